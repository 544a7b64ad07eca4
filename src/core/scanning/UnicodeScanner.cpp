#include "scanning/UnicodeScanner.h"

#include <cstring>

#include <unicode/ubrk.h>
#include <unicode/uchar.h>
#include <unicode/uscript.h>
#include <unicode/utext.h>
#include <unicode/utf8.h>

#include "text/Cp1252.h"
#include "text/Unicode.h"

namespace kvx::scanning {
namespace {

inline unsigned char U(char c) { return static_cast<unsigned char>(c); }

bool IsAscii(std::string_view s) {
    const char* p = s.data();
    const char* const e = p + s.size();
    for (; e - p >= 8; p += 8) {
        uint64_t w;
        std::memcpy(&w, p, 8);
        if (w & 0x8080808080808080ULL) return false;
    }
    for (; p < e; ++p)
        if (U(*p) >= 0x80) return false;
    return true;
}

// The Windows-1252 letters (nothing else is a letter of the code page).
const wordtext::CharTable kCodeLetter = wordtext::WordCharTable(false, "");

bool IsShadowByte(unsigned char b) {
    return b == kShadowInside || b == kShadowLatin || b == kShadowOther || b == kShadowSegmented;
}

// The shadow byte of a letter without a Windows-1252 code.
unsigned char LetterKind(UChar32 c) {
    // Kana and the common ideographs without asking ICU.
    if ((c >= 0x4E00 && c <= 0x9FFF) || (c >= 0x3041 && c <= 0x3096) || (c >= 0x309D && c <= 0x30FA && c != 0x30A0) ||
        (c >= 0x30FC && c <= 0x30FF))
        return kShadowSegmented;
    for (UScriptCode s : {USCRIPT_HAN, USCRIPT_HIRAGANA, USCRIPT_KATAKANA, USCRIPT_THAI, USCRIPT_LAO, USCRIPT_KHMER,
                          USCRIPT_MYANMAR})
        if (uscript_hasScript(c, s)) return kShadowSegmented;
    UErrorCode e = U_ZERO_ERROR;
    const UScriptCode s = uscript_getScript(c, &e);
    return s == USCRIPT_LATIN || s == USCRIPT_COMMON || s == USCRIPT_INHERITED ? kShadowLatin : kShadowOther;
}

void ShadowInto(std::string_view utf8, bool digits, std::string& out) {
    const auto* p = reinterpret_cast<const uint8_t*>(utf8.data());
    const int32_t n = static_cast<int32_t>(utf8.size());
    out.resize(utf8.size());
    char* const o = out.data();
    // The last byte of a word character before here (0: none): a combining
    // mark takes it for all its bytes, so that the word rules see the mark's
    // letter at the end of a word.
    unsigned char attach = 0;
    for (int32_t i = 0; i < n;) {
        const uint8_t b = p[i];
        if (b < 0x80) {
            o[i++] = static_cast<char>(b);
            attach = kCodeLetter[b] || (digits && b >= '0' && b <= '9') ? b : 0;
            continue;
        }
        const int32_t start = i;
        UChar32 c;
        U8_NEXT(p, i, n, c);
        unsigned char last = text::kNoCode, fill = text::kNoCode;
        unsigned char code = c < 0 ? text::kNoCode : text::toCp1252(static_cast<char32_t>(c));
        if (IsShadowByte(code)) code = text::kNoCode;
        if (code != text::kNoCode) {
            // Every byte the code: whatever the scanner asks of a byte (a
            // word character, a letter to skip, a marker's) it answers as
            // the code does.
            last = fill = code;
            attach = kCodeLetter[code] ? code : 0;
        } else if (c >= 0) {
            const uint32_t kind = U_GET_GC_MASK(c);
            if (kind & U_GC_L_MASK) {
                last = LetterKind(c);
                fill = kShadowInside;
                attach = last;
            } else if ((kind & U_GC_M_MASK) && attach != 0) {
                last = fill = attach;
            } else if ((kind & U_GC_ND_MASK) && digits) {
                last = attach = kShadowLatin;
                fill = kShadowInside;
            } else {
                attach = 0;
            }
        } else {
            attach = 0;
        }
        std::memset(o + start, fill, static_cast<size_t>(i - start - 1));
        o[i - 1] = static_cast<char>(last);
    }
}

}  // namespace

UnicodeLine& UnicodeLine::operator=(const UnicodeLine& o) {
    on = o.on;
    utf8_.clear();
    shadowed_ = false;
    return *this;
}

UnicodeLine::~UnicodeLine() {
    if (breaker_) ubrk_close(breaker_);
    if (text_) utext_close(text_);
}

wordtext::PreparedLine UnicodeLine::Prepare(std::string& line, bool lowerCase) {
    if (IsAscii(line)) return wordtext::PrepareLineInPlace(line, lowerCase);
    wordtext::TrimControlChars(line);
    if (line.empty()) return {};
    if (lowerCase) line = text::LowerUtf8(line);
    // Tab, form feed and no-break space become blanks, ’ the apostrophe;
    // backspaces go; CR LF, CR and LF each become one blank.
    const size_t n = line.size();
    char* const s = line.data();
    size_t out = 0;
    bool afterCR = false, hyphen = false;
    for (size_t i = 0; i < n; ++i) {
        const unsigned char c = U(s[i]);
        if (c == 8) continue;
        if (c == '\n' && afterCR) {
            afterCR = false;
            continue;
        }
        afterCR = c == '\r';
        if (c == '\t' || c == '\f' || c == '\n' || c == '\r') {
            s[out++] = ' ';
        } else if (c == 0xC2 && i + 1 < n && U(s[i + 1]) == 0xA0) {
            s[out++] = ' ';
            ++i;
        } else if (c == 0xE2 && i + 2 < n && U(s[i + 1]) == 0x80 && U(s[i + 2]) == 0x99) {
            s[out++] = '\'';
            i += 2;
        } else {
            hyphen = hyphen || c == '-';
            s[out++] = static_cast<char>(c);
        }
    }
    line.resize(out);
    return {false, hyphen};
}

void UnicodeLine::DropByteOrderPair(std::string& line) {
    if (line.rfind("\xC3\xBF\xC3\xBE", 0) == 0 || line.rfind("\xC3\xBE\xC3\xBF", 0) == 0) line.erase(0, 4);
}

std::string UnicodeLine::ShadowOf(std::string_view utf8, bool digits) {
    std::string out;
    ShadowInto(utf8, digits, out);
    return out;
}

void UnicodeLine::Shadow(std::string& line, bool digits) {
    shadowed_ = false;
    if (IsAscii(line)) return;
    utf8_.swap(line);
    // A stray byte (an entity's character) is a Windows-1252 character.
    bool valid = true;
    for (const text::Utf8Char& ch : text::Utf8Chars(utf8_)) valid = valid && ch.valid;
    if (!valid) {
        std::string fixed;
        fixed.reserve(utf8_.size() + 16);
        for (const text::Utf8Char& ch : text::Utf8Chars(utf8_)) {
            if (ch.valid)
                fixed.append(ch.bytes);
            else
                text::appendUtf8(fixed, text::fromCp1252(static_cast<unsigned char>(ch.value)));
        }
        utf8_.swap(fixed);
    }
    ShadowInto(utf8_, digits, line);
    shadowed_ = true;
}

std::string_view UnicodeLine::Utf8(std::string_view word, const std::string& line) const {
    if (!shadowed_) return word;
    const size_t at = static_cast<size_t>(word.data() - line.data());
    std::string_view s(utf8_.data() + at, word.size());
    while (!s.empty() && (U(s.front()) & 0xC0) == 0x80) s.remove_prefix(1);
    if (!s.empty() && U(s.back()) >= 0x80) {
        size_t j = s.size() - 1;
        while (j > 0 && (U(s[j]) & 0xC0) == 0x80) --j;
        if (j + static_cast<size_t>(U8_COUNT_TRAIL_BYTES(U(s[j]))) + 1 > s.size()) s = s.substr(0, j);
    }
    return s;
}

bool UnicodeLine::IsLatin(std::string_view word) {
    return std::memchr(word.data(), kShadowOther, word.size()) == nullptr &&
           std::memchr(word.data(), kShadowSegmented, word.size()) == nullptr;
}

bool UnicodeLine::NeedsCutting(std::string_view word) {
    return std::memchr(word.data(), kShadowSegmented, word.size()) != nullptr;
}

void UnicodeLine::Cuts(std::string_view word, const std::string& line, std::vector<size_t>& cuts) {
    cuts.clear();
    const size_t at = static_cast<size_t>(word.data() - line.data());
    UErrorCode e = U_ZERO_ERROR;
    if (!breaker_) breaker_ = ubrk_open(UBRK_WORD, "", nullptr, 0, &e);
    if (U_FAILURE(e) || !breaker_) return;
    text_ = utext_openUTF8(text_, utf8_.data() + at, static_cast<int64_t>(word.size()), &e);
    ubrk_setUText(breaker_, text_, &e);
    if (U_FAILURE(e)) return;
    // The kind of the character that ends before b, and of the one from b.
    auto before = [&](size_t b) {
        size_t j = b - 1;
        while (j > 0 && U(word[j]) == kShadowInside) --j;
        return U(word[j]);
    };
    auto from = [&](size_t b) {
        size_t j = b;
        while (j + 1 < word.size() && U(word[j]) == kShadowInside) ++j;
        return U(word[j]);
    };
    for (int32_t b = ubrk_first(breaker_); b != UBRK_DONE; b = ubrk_next(breaker_)) {
        const size_t k = static_cast<size_t>(b);
        if (k == 0 || k >= word.size()) continue;
        if (before(k) == kShadowSegmented || from(k) == kShadowSegmented) cuts.push_back(k);
    }
}

}  // namespace kvx::scanning
