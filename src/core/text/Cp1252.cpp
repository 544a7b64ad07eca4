#include "text/Cp1252.h"

#include <array>
#include <cstdint>
#include <cstring>
#include <string>

namespace kvx::text {
namespace {

// Unicode values of the codes 0x80-0x9F; 0 where Windows-1252 has no character.
constexpr std::array<char32_t, 32> kHigh = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0,      0x017D, 0,
    0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

}  // namespace

unsigned char toCp1252(char32_t c) {
    if (c < 0x80 || (c >= 0xA0 && c <= 0xFF)) return static_cast<unsigned char>(c);
    if (c < 0xA0) {
        // C1 controls: only the five codes Windows-1252 leaves undefined map back.
        unsigned char b = static_cast<unsigned char>(c);
        return kHigh[b - 0x80] == 0 ? b : kNoCode;
    }
    for (size_t i = 0; i < kHigh.size(); ++i)
        if (kHigh[i] == c) return static_cast<unsigned char>(0x80 + i);
    return kNoCode;
}

char32_t fromCp1252(unsigned char b) {
    if (b >= 0x80 && b < 0xA0 && kHigh[b - 0x80] != 0) return kHigh[b - 0x80];
    return b;
}

void appendUtf8(std::string& out, char32_t c) {
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

std::string utf8ToCp1252(std::string_view utf8) {
    std::string out;
    out.reserve(utf8.size());
    for (const Utf8Char& ch : Utf8Chars(utf8)) out += static_cast<char>(ch.code());
    return out;
}

namespace {

// The UTF-8 bytes of each code, at most three, and their number.
struct Utf8Code {
    char bytes[3];
    uint8_t size;
};

const std::array<Utf8Code, 256> kUtf8Codes = [] {
    std::array<Utf8Code, 256> t{};
    for (int b = 0; b < 256; ++b) {
        std::string s;
        appendUtf8(s, b == kNoCode ? char32_t(0xFFFD) : fromCp1252(static_cast<unsigned char>(b)));
        for (size_t k = 0; k < s.size(); ++k) t[size_t(b)].bytes[k] = s[k];
        t[size_t(b)].size = static_cast<uint8_t>(s.size());
    }
    return t;
}();

}  // namespace

std::string cp1252ToUtf8(std::string_view cp) {
    size_t ascii = 0;
    while (ascii < cp.size() && static_cast<unsigned char>(cp[ascii]) < 0x80) ++ascii;
    if (ascii == cp.size()) return std::string(cp);
    std::string out(ascii + 3 * (cp.size() - ascii), '\0');
    std::memcpy(out.data(), cp.data(), ascii);
    char* o = out.data() + ascii;
    for (size_t i = ascii; i < cp.size(); ++i) {
        const Utf8Code& c = kUtf8Codes[static_cast<unsigned char>(cp[i])];
        std::memcpy(o, c.bytes, 3);  // the room is there; only c.size bytes count
        o += c.size;
    }
    out.resize(size_t(o - out.data()));
    return out;
}

size_t utf8Length(std::string_view utf8) {
    size_t n = 0;
    for ([[maybe_unused]] const Utf8Char& ch : Utf8Chars(utf8)) ++n;
    return n;
}

size_t utf16Length(std::string_view utf8) {
    size_t n = 0;
    for (const Utf8Char& ch : Utf8Chars(utf8)) n += ch.value >= 0x10000 ? 2 : 1;
    return n;
}

std::u16string toUtf16Units(std::string_view utf8) {
    std::u16string u;
    u.reserve(utf8.size());
    for (const Utf8Char& ch : Utf8Chars(utf8)) {
        char32_t c = ch.value;
        if (c >= 0x10000) {
            c -= 0x10000;
            u += static_cast<char16_t>(0xD800 + (c >> 10));
            u += static_cast<char16_t>(0xDC00 + (c & 0x3FF));
        } else {
            u += static_cast<char16_t>(c);
        }
    }
    return u;
}

}  // namespace kvx::text
