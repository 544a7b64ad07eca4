#pragma once
// The words-to-ignore box: turning what the user typed into the normalised
// list, and checking it against the characters words may contain.

#include <string>
#include <string_view>

#include "params/Params.h"

namespace kvx {
class Host;

/// Normalises the UTF-8 text of the words-to-ignore box: blanks trimmed,
/// lower-cased as the scanner lower-cases, commas taken as blanks, repeated
/// words dropped, the rest sorted by UTF-16 code units. Returns the new box
/// text (the box unchanged when it holds only blanks) and sets
/// strWordsToIgnore to " w1 w2 ... " or to "" when there are no words.
std::string NormaliseWordsToIgnore(std::string_view boxText, std::string& strWordsToIgnore);

/// Reports the first character of p.txbWordsToIgnore that is neither a letter,
/// a blank nor an extra character the check boxes allow; false when one was
/// reported. Whether to check at all is the window's decision.
bool CheckAllowedExtraChars(const Params& p, Host& host);

}  // namespace kvx
