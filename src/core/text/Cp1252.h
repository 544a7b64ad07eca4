#pragma once
// Text inside the core is held as 8-bit strings of Windows-1252 codes: a word
// only ever holds ASCII and the codes 192-255, whose Unicode values equal their
// byte values, so words and keys compare bytewise in Unicode order.
// A character that has no Windows-1252 code is held as kNoCode: it classifies
// like '?' (never a letter, never a control character) but is not equal to '?'.

#include <iterator>
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
/// Number of UTF-16 code units of UTF-8 text, as text boxes count characters.
size_t utf16Length(std::string_view utf8);

/// What the decoder found at the start of its bytes.
enum class Utf8Status : unsigned char {
    Valid,       ///< a well-formed character
    Invalid,     ///< the first byte stands alone, as a Windows-1252 byte
    Incomplete,  ///< the bytes end inside a sequence: more are needed to decide
};

struct Utf8Step {
    Utf8Status status;
    unsigned char length;  ///< Valid: bytes taken; Invalid: 1; Incomplete: bytes wanted
    char32_t value;        ///< Valid: the character; otherwise the first byte
};

/// Decodes the UTF-8 sequence at p[0..n), n >= 1. Valid UTF-8 has no overlong
/// forms, no surrogates and nothing above U+10FFFF. A caller reading in blocks
/// fetches more bytes on Incomplete; at the end of the text it is Invalid.
inline Utf8Step decodeUtf8(const unsigned char* p, size_t n) {
    const unsigned char b0 = p[0];
    const Utf8Step invalid{Utf8Status::Invalid, 1, b0};
    if (b0 < 0x80) return {Utf8Status::Valid, 1, b0};
    unsigned char len;
    char32_t c, min;
    if (b0 >= 0xC2 && b0 <= 0xDF) { len = 2; c = b0 & 0x1F; min = 0x80; }
    else if (b0 >= 0xE0 && b0 <= 0xEF) { len = 3; c = b0 & 0x0F; min = 0x800; }
    else if (b0 >= 0xF0 && b0 <= 0xF4) { len = 4; c = b0 & 0x07; min = 0x10000; }
    else return invalid;
    const size_t have = n < len ? n : len;
    for (size_t k = 1; k < have; ++k) {
        if ((p[k] & 0xC0) != 0x80) return invalid;
        c = (c << 6) | (p[k] & 0x3F);
    }
    if (have < len) return {Utf8Status::Incomplete, len, b0};
    if (c < min || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) return invalid;
    return {Utf8Status::Valid, len, c};
}

/// One character of UTF-8 text as the decoder cuts it.
struct Utf8Char {
    std::string_view bytes;  ///< its bytes in the text (one for an invalid byte)
    char32_t value;          ///< the character, or the invalid byte's value
    bool valid;
    /// Its Windows-1252 code: an invalid byte is one already.
    unsigned char code() const { return valid ? toCp1252(value) : static_cast<unsigned char>(value); }
};

/// The characters of a whole UTF-8 text, for a range-for loop.
class Utf8Chars {
public:
    explicit Utf8Chars(std::string_view s) : s_(s) {}

    class iterator {
    public:
        explicit iterator(std::string_view s) : rest_(s) { decode(); }
        const Utf8Char& operator*() const { return ch_; }
        iterator& operator++() {
            rest_.remove_prefix(ch_.bytes.size());
            decode();
            return *this;
        }
        bool operator==(std::default_sentinel_t) const { return rest_.empty(); }

    private:
        void decode() {
            if (rest_.empty()) return;
            Utf8Step d = decodeUtf8(reinterpret_cast<const unsigned char*>(rest_.data()), rest_.size());
            bool valid = d.status == Utf8Status::Valid;
            ch_ = {rest_.substr(0, valid ? d.length : 1), d.value, valid};
        }
        std::string_view rest_;
        Utf8Char ch_{};
    };

    iterator begin() const { return iterator(s_); }
    std::default_sentinel_t end() const { return {}; }

private:
    std::string_view s_;
};

/// The UTF-16 unit stored at p, little- or big-endian.
inline char32_t utf16Unit(const unsigned char* p, bool littleEndian) {
    return littleEndian ? (p[0] | (p[1] << 8)) : ((p[0] << 8) | p[1]);
}

struct Utf16Step {
    char32_t value;       ///< the character; U+FFFD for a lone surrogate
    unsigned char units;  ///< 2 for a surrogate pair, else 1
};

/// Decodes the UTF-16 unit u, given the unit after it (-1 when there is none):
/// a high surrogate followed by a low one makes a character beyond U+FFFF.
inline Utf16Step decodeUtf16(char32_t u, int32_t next) {
    if (u < 0xD800 || u > 0xDFFF) return {u, 1};
    if (u < 0xDC00 && next >= 0xDC00 && next <= 0xDFFF)
        return {0x10000 + ((u - 0xD800) << 10) + (static_cast<char32_t>(next) - 0xDC00), 2};
    return {0xFFFD, 1};
}

/// The UTF-16 code units of UTF-8 text; an invalid byte stands for its own value.
std::u16string toUtf16Units(std::string_view utf8);

}  // namespace kvx::text
