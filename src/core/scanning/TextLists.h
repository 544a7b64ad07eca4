#pragma once
// List helpers of the string procedures: cutting a text into pieces, dropping
// repeated pieces, joining them again, and numbers spelled out in words.
// Texts are handled byte by byte, so UTF-8 and 8-bit texts both work.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace kvx::wordtext {

/// The text without its leading and trailing blanks (by default only spaces).
std::string_view TrimBlanks(std::string_view s, std::string_view blanks = " ");

/// Cuts text from 1-based position `start` on into the pieces between
/// delimiters: one leading delimiter is dropped, a final one is implied.
/// The pieces go to array[0..] (trimmed of blanks when `trim`); returns how
/// many there are (at most 32767 is reported; the array always holds all).
int16_t SplitText(std::string_view text, std::string_view delimiter, int64_t start,
                  std::vector<std::string>& array, bool trim);

/// Keeps the first occurrence of every entry, in order, and drops the later
/// ones together with every empty entry.
void RemoveDuplicateStrings(std::vector<std::string>& array);

/// The entries with the delimiter between them.
std::string JoinText(const std::vector<std::string>& array, std::string_view delimiter);

/// "No", "One" ... "Twenty", "Thirty" ... "Ninety", "Forty two"; 100 and more
/// (and negative numbers) as inDigits, n with the user's digit grouping.
std::string NumberInWords(int64_t n, std::string_view inDigits);

}  // namespace kvx::wordtext
