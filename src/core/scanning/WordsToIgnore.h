#pragma once
// The words-to-ignore box: turning what the user typed into the normalised
// list, and checking it against the characters words may contain.

#include <string>
#include <string_view>

#include "params/Params.h"

namespace kvx {

/// Normalises the UTF-8 text of the words-to-ignore box: blanks trimmed,
/// lower-cased as the scanner lower-cases, commas taken as blanks, repeated
/// words dropped, the rest sorted by UTF-16 code units. Returns the new box
/// text (the box unchanged when it holds only blanks) and sets
/// wordsToIgnore to " w1 w2 ... " or to "" when there are no words.
std::string NormaliseWordsToIgnore(std::string_view boxText, std::string& wordsToIgnore);

/// The message about the first character of p.wordsToIgnoreText that is
/// neither a letter, a blank nor an extra character the check boxes allow;
/// "" when there is none. Whether to check at all is the window's decision.
std::string CheckAllowedExtraChars(const Params& p);
/// The title of that message.
inline constexpr std::string_view kCharNotAllowedTitle = "Character not allowed";

}  // namespace kvx
