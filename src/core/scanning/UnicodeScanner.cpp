#include "scanning/UnicodeScanner.h"

#include <array>
#include <cstring>

#include <unicode/ubrk.h>
#include <unicode/uchar.h>
#include <unicode/uscript.h>
#include <unicode/utf16.h>
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

// Kana and the common ideographs: letters of scripts without spaces,
// known without asking ICU.
inline bool IsKanaOrIdeograph(UChar32 c) {
    return (c >= 0x4E00 && c <= 0x9FFF) || (c >= 0x3041 && c <= 0x3096) ||
           (c >= 0x309D && c <= 0x30FA && c != 0x30A0) || (c >= 0x30FC && c <= 0x30FF);
}

// The shadow byte of a letter without a Windows-1252 code.
unsigned char LetterKind(UChar32 c) {
    if (IsKanaOrIdeograph(c)) return kShadowSegmented;
    for (UScriptCode s : {USCRIPT_HAN, USCRIPT_HIRAGANA, USCRIPT_KATAKANA, USCRIPT_THAI, USCRIPT_LAO, USCRIPT_KHMER,
                          USCRIPT_MYANMAR})
        if (uscript_hasScript(c, s)) return kShadowSegmented;
    UErrorCode e = U_ZERO_ERROR;
    const UScriptCode s = uscript_getScript(c, &e);
    return s == USCRIPT_LATIN || s == USCRIPT_COMMON || s == USCRIPT_INHERITED ? kShadowLatin : kShadowOther;
}

// The shadow of utf8 into out; false (out unfinished) at a byte that is
// not UTF-8. kinds gets the shadow bytes of the letters without a code.
bool ShadowInto(std::string_view utf8, bool digits, std::string& out, unsigned& kinds) {
    const auto* p = reinterpret_cast<const uint8_t*>(utf8.data());
    const int32_t n = static_cast<int32_t>(utf8.size());
    out.resize(utf8.size());
    char* const o = out.data();
    // The last byte of a word character before here (0: none): a combining
    // mark takes it for all its bytes, so that the word rules see the mark's
    // letter at the end of a word.
    unsigned char attach = 0;
    for (int32_t i = 0; i < n;) {
        uint8_t b = p[i];
        if (b < 0x80) {
            // ASCII is its own shadow, eight bytes at a time where it can be.
            for (uint64_t w; i + 8 <= n && (std::memcpy(&w, p + i, 8), (w & 0x8080808080808080ULL) == 0); i += 8)
                std::memcpy(o + i, &w, 8);
            for (; i < n && (b = p[i]) < 0x80; ++i) o[i] = static_cast<char>(b);
            b = static_cast<uint8_t>(o[i - 1]);
            attach = kCodeLetter[b] || (digits && b >= '0' && b <= '9') ? b : 0;
            continue;
        }
        if (b >= 0xE3 && b <= 0xE9 && i + 2 < n && (p[i + 1] & 0xC0) == 0x80 && (p[i + 2] & 0xC0) == 0x80 &&
            IsKanaOrIdeograph(((b & 0x0F) << 12) | ((p[i + 1] & 0x3F) << 6) | (p[i + 2] & 0x3F))) {
            // The commonest in Chinese and Japanese text, straight.
            o[i] = o[i + 1] = static_cast<char>(kShadowInside);
            o[i + 2] = static_cast<char>(attach = kShadowSegmented);
            kinds |= 1u << (kShadowSegmented & 31);
            i += 3;
            continue;
        }
        const int32_t start = i;
        UChar32 c;
        if ((b == 0xC2 || b == 0xC3) && i + 1 < n && (p[i + 1] & 0xC0) == 0x80) {
            c = ((b & 0x1F) << 6) | (p[i + 1] & 0x3F);  // Latin-1, the commonest
            i += 2;
        } else {
            U8_NEXT(p, i, n, c);
            if (c < 0) return false;
        }
        unsigned char last = text::kNoCode, fill = text::kNoCode;
        // No character above U+2122 has a code.
        unsigned char code = c >= 0xA0 && c <= 0xFF ? static_cast<unsigned char>(c)
                             : c > 0x2122          ? text::kNoCode
                                                   : text::toCp1252(static_cast<char32_t>(c));
        if (IsShadowByte(code)) code = text::kNoCode;
        if (code != text::kNoCode) {
            // Every byte the code: whatever the scanner asks of a byte (a
            // word character, a letter to skip, a marker's) it answers as
            // the code does.
            last = fill = code;
            attach = kCodeLetter[code] ? code : 0;
        } else {
            const uint32_t kind = U_GET_GC_MASK(c);
            if (kind & U_GC_L_MASK) {
                last = LetterKind(c);
                kinds |= 1u << (last & 31);
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
        }
        if (i - start == 2)
            o[start] = static_cast<char>(fill);
        else
            std::memset(o + start, fill, static_cast<size_t>(i - start - 1));
        o[i - 1] = static_cast<char>(last);
    }
    return true;
}

// Whether no character beyond ASCII changes when lower-cased (and the
// text is UTF-8).
bool CaselessBeyondAscii(std::string_view s) {
    const auto* p = reinterpret_cast<const uint8_t*>(s.data());
    const int32_t n = static_cast<int32_t>(s.size());
    for (int32_t i = 0; i < n;) {
        const uint8_t b = p[i];
        if (b < 0x80) {
            ++i;
        } else if (b >= 0xE3 && b <= 0xE9 && i + 2 < n && (p[i + 1] & 0xC0) == 0x80 && (p[i + 2] & 0xC0) == 0x80) {
            i += 3;  // U+3000 to U+9FFF: kana, ideographs and their signs have no case
        } else {
            UChar32 c;
            U8_NEXT(p, i, n, c);
            if (c < 0 || u_hasBinaryProperty(c, UCHAR_CHANGES_WHEN_LOWERCASED)) return false;
        }
    }
    return true;
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
}

wordtext::PreparedLine UnicodeLine::Prepare(std::string& line, bool lowerCase) {
    if (IsAscii(line)) return wordtext::PrepareLineInPlace(line, lowerCase);
    wordtext::TrimControlChars(line);
    if (line.empty()) return {};
    // A line of Latin-1 characters, or whose characters beyond ASCII have
    // no case (kana, ideographs), is lower-cased here, on the way; ICU
    // lower-cases any other.
    bool here = lowerCase;
    for (size_t i = 0; here && i < line.size(); ++i) here = U(line[i]) < 0xC4;
    if (lowerCase && !here) {
        here = CaselessBeyondAscii(line);
        if (!here) line = text::LowerUtf8(line);
    }
    return Clean(line, here);
}

namespace {

// The bytes Clean changes or drops (second table: also those it lower-cases).
constexpr std::array<std::array<bool, 256>, 2> kCleanBytes = [] {
    std::array<std::array<bool, 256>, 2> t{};
    for (auto& row : t)
        for (const int c : {8, 9, 12, 10, 13, 0xC2, 0xE2}) row[static_cast<size_t>(c)] = true;  // BS, TAB, FF, LF, CR
    for (int c = 'A'; c <= 'Z'; ++c) t[1][static_cast<size_t>(c)] = true;
    t[1][0xC3] = true;
    return t;
}();

}  // namespace

wordtext::PreparedLine UnicodeLine::Clean(std::string& line, bool lowerLatin1) {
    const std::array<bool, 256>& special = kCleanBytes[lowerLatin1 ? 1 : 0];
    // Tab, form feed and no-break space become blanks, ’ the apostrophe;
    // backspaces go; CR LF, CR and LF each become one blank. Other bytes
    // are moved, in stretches, only when something before them went.
    const size_t n = line.size();
    char* const s = line.data();
    size_t out = 0, i = 0;
    bool afterCR = false;
    for (;;) {
        size_t j = i;
        while (j < n && !special[U(s[j])]) ++j;
        if (j > i) {
            if (out != i) std::memmove(s + out, s + i, j - i);
            out += j - i;
            i = j;
            afterCR = false;
        }
        if (i >= n) break;
        const unsigned char c = U(s[i]);
        if (c >= 'A' && c <= 'Z') {  // lowerLatin1 only
            s[out++] = static_cast<char>(c + 32);
            afterCR = false;
            ++i;
            continue;
        }
        if (c == 0xC3) {  // lowerLatin1 only: À-Þ to à-þ
            s[out++] = static_cast<char>(c);
            ++i;
            if (i < n && U(s[i]) >= 0x80 && U(s[i]) <= 0x9E && U(s[i]) != 0x97) s[out++] = static_cast<char>(U(s[i++]) + 0x20);
            afterCR = false;
            continue;
        }
        ++i;
        if (c == 8) continue;
        if (c == '\n' && afterCR) {
            afterCR = false;
            continue;
        }
        afterCR = c == '\r';
        if (c == '\t' || c == '\f' || c == '\n' || c == '\r') {
            s[out++] = ' ';
        } else if (c == 0xC2 && i < n && U(s[i]) == 0xA0) {
            s[out++] = ' ';
            ++i;
        } else if (c == 0xE2 && i + 1 < n && U(s[i]) == 0x80 && U(s[i + 1]) == 0x99) {
            s[out++] = '\'';
            i += 2;
        } else {
            s[out++] = static_cast<char>(c);
        }
    }
    line.resize(out);
    return {false, std::memchr(s, '-', out) != nullptr};
}

void UnicodeLine::DropByteOrderPair(std::string& line) {
    if (line.rfind("\xC3\xBF\xC3\xBE", 0) == 0 || line.rfind("\xC3\xBE\xC3\xBF", 0) == 0) line.erase(0, 4);
}

// A text with its stray bytes (not UTF-8) as Windows-1252 characters.
std::string Repaired(std::string_view s) {
    std::string fixed;
    fixed.reserve(s.size() + 16);
    for (const text::Utf8Char& ch : text::Utf8Chars(s)) {
        if (ch.valid)
            fixed.append(ch.bytes);
        else
            text::appendUtf8(fixed, text::fromCp1252(static_cast<unsigned char>(ch.value)));
    }
    return fixed;
}

std::string UnicodeLine::ShadowOf(std::string_view utf8, bool digits) {
    std::string out;
    unsigned kinds = 0;
    if (!ShadowInto(utf8, digits, out, kinds)) ShadowInto(Repaired(utf8), digits, out, kinds);
    return out;
}

void UnicodeLine::Shadow(std::string& line, bool digits) {
    shadowed_ = false;
    if (IsAscii(line)) return;
    utf8_.swap(line);
    kinds_ = 0;
    // A stray byte (an entity's character) is a Windows-1252 character.
    if (!ShadowInto(utf8_, digits, line, kinds_)) {
        utf8_ = Repaired(utf8_);
        ShadowInto(utf8_, digits, line, kinds_);
    }
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

bool UnicodeLine::IsLatin(std::string_view word) const {
    if (!Holds(kShadowOther) && !Holds(kShadowSegmented)) return true;
    for (const char c : word)
        if (U(c) == kShadowOther || U(c) == kShadowSegmented) return false;
    return true;
}

bool UnicodeLine::NeedsCutting(std::string_view word) const {
    return Holds(kShadowSegmented) && std::memchr(word.data(), kShadowSegmented, word.size()) != nullptr;
}

void UnicodeLine::Cuts(std::string_view word, const std::string& line, std::vector<size_t>& cuts) {
    cuts.clear();
    const size_t at = static_cast<size_t>(word.data() - line.data());
    // The dictionary's cuts take most of the time of a text in these
    // scripts, and phrases come again and again: the cuts of a run of up
    // to CutCache::kLongest bytes are kept.
    const std::string_view utf8(utf8_.data() + at, word.size());
    const bool cached = word.size() <= CutCache::kLongest;
    const uint64_t hash = cached ? CutCache::Hash(utf8) : 0;
    if (cached) {
        size_t n = 0;
        if (const uint8_t* found = cutsOf_.Find(utf8, hash, n)) {
            cuts.assign(found, found + n);
            return;
        }
    }
    CutsByIcu(word, at, cuts);
    if (cached) cutsOf_.Add(utf8, hash, cuts);
}

const uint8_t* CutCache::Find(std::string_view utf8, uint64_t hash, size_t& n) const {
    if (slots_.empty()) return nullptr;
    const size_t mask = slots_.size() - 1;
    const uint64_t tag = hash >> 32;
    for (size_t i = static_cast<size_t>(hash) & mask;; i = (i + 1) & mask) {
        const uint64_t s = slots_[i];
        if (s == 0) return nullptr;
        if (s >> 32 != tag) continue;
        const auto* e = reinterpret_cast<const uint8_t*>(data_.data()) + (s & 0xFFFFFFFFu) - 1;
        if (e[0] == utf8.size() && std::memcmp(e + 2, utf8.data(), utf8.size()) == 0) {
            n = e[1];
            return e + 2 + utf8.size();
        }
    }
}

void CutCache::Add(std::string_view utf8, uint64_t hash, const std::vector<size_t>& cuts) {
    if (runs_ >= kMaxRuns || data_.size() + 2 + utf8.size() + cuts.size() > kMaxBytes) {
        slots_.clear();
        data_.clear();
        runs_ = 0;
    }
    if (2 * (runs_ + 1) > slots_.size()) {
        // Twice the slots, filled again (at most half are in use).
        std::vector<uint64_t> old(std::max<size_t>(1024, slots_.size() * 2), 0);
        old.swap(slots_);
        const size_t mask = slots_.size() - 1;
        for (const uint64_t s : old) {
            if (s == 0) continue;
            const auto* e = reinterpret_cast<const uint8_t*>(data_.data()) + (s & 0xFFFFFFFFu) - 1;
            size_t i = static_cast<size_t>(Hash(std::string_view(reinterpret_cast<const char*>(e) + 2, e[0]))) & mask;
            while (slots_[i] != 0) i = (i + 1) & mask;
            slots_[i] = s;
        }
    }
    const size_t mask = slots_.size() - 1;
    size_t i = static_cast<size_t>(hash) & mask;
    while (slots_[i] != 0) i = (i + 1) & mask;
    slots_[i] = (hash >> 32) << 32 | (data_.size() + 1);
    data_ += static_cast<char>(utf8.size());
    data_ += static_cast<char>(cuts.size());
    data_.append(utf8);
    for (const size_t c : cuts) data_ += static_cast<char>(c);
    ++runs_;
}

void UnicodeLine::CutsByIcu(std::string_view word, size_t at, std::vector<size_t>& cuts) {
    UErrorCode e = U_ZERO_ERROR;
    if (!breaker_) breaker_ = ubrk_open(UBRK_WORD, "", nullptr, 0, &e);
    if (U_FAILURE(e) || !breaker_) return;
    // The iterator takes UTF-16, quicker than UTF-8 through UText; units_[k]
    // is the UTF-8 offset of UTF-16 unit k.
    const auto* p = reinterpret_cast<const uint8_t*>(utf8_.data() + at);
    const int32_t n = static_cast<int32_t>(word.size());
    utf16_.resize(word.size() + 1);
    units_.resize(word.size() + 1);
    int32_t len = 0;
    for (int32_t i = 0; i < n;) {
        const int32_t start = i;
        UChar32 c;
        if (p[i] >= 0xE3 && p[i] <= 0xE9 && i + 2 < n && (p[i + 1] & 0xC0) == 0x80 && (p[i + 2] & 0xC0) == 0x80) {
            c = ((p[i] & 0x0F) << 12) | ((p[i + 1] & 0x3F) << 6) | (p[i + 2] & 0x3F);  // kana, ideographs
            i += 3;
        } else {
            U8_NEXT(p, i, n, c);
            if (c < 0) c = 0xFFFD;
        }
        units_[static_cast<size_t>(len)] = static_cast<uint32_t>(start);
        if (c > 0xFFFF) units_[static_cast<size_t>(len) + 1] = static_cast<uint32_t>(start);
        U16_APPEND_UNSAFE(utf16_.data(), len, c);
    }
    units_[static_cast<size_t>(len)] = static_cast<uint32_t>(n);
    ubrk_setText(breaker_, utf16_.data(), len, &e);
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
        const size_t k = units_[static_cast<size_t>(b)];
        if (k == 0 || k >= word.size()) continue;
        if (before(k) == kShadowSegmented || from(k) == kShadowSegmented) cuts.push_back(k);
    }
}

}  // namespace kvx::scanning
