#pragma once
// Text inside the core is held as 8-bit strings of Windows-1252 codes: a word
// only ever holds ASCII and the codes 192-255, whose Unicode values equal their
// byte values, so words and keys compare bytewise in Unicode order.
// A character that has no Windows-1252 code is held as kNoCode: it classifies
// like '?' (never a letter, never a control character) but is not equal to '?'.

#include <string>
#include <string_view>

namespace kvx::text {

inline constexpr unsigned char kNoCode = 0x81;  // undefined in Windows-1252

/// The Windows-1252 code of a Unicode character, kNoCode when it has none.
unsigned char toCp1252(char32_t c);
/// The Unicode character of a Windows-1252 code (undefined codes map to U+0080+).
char32_t fromCp1252(unsigned char b);

/// UTF-8 (as the user typed it) to Windows-1252 codes. Invalid UTF-8 bytes are
/// taken as Windows-1252 bytes.
std::string utf8ToCp1252(std::string_view utf8);
/// Windows-1252 codes to UTF-8 (kNoCode comes out as U+FFFD).
std::string cp1252ToUtf8(std::string_view cp);

/// Appends the UTF-8 form of c to out.
void appendUtf8(std::string& out, char32_t c);
/// Number of Unicode characters in UTF-8 text (invalid bytes count one each).
size_t utf8Length(std::string_view utf8);
/// Decodes one UTF-8 sequence at s[i]; returns its length, or 0 when the bytes
/// there are not valid UTF-8 (overlong forms and surrogates are invalid).
size_t decodeUtf8(std::string_view s, size_t i, char32_t& out);

/// The UTF-16 code units of UTF-8 text; an invalid byte stands for its own value.
std::u16string toUtf16Units(std::string_view utf8);
/// Ordinal comparison of two UTF-8 texts by their UTF-16 code units.
int compareUtf16(std::string_view a, std::string_view b);

}  // namespace kvx::text
