#include "scanning/WordText.h"

#include <algorithm>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "text/Cp1252.h"

namespace kvx::wordtext {

namespace {

using ByteMap = std::array<unsigned char, 256>;

constexpr ByteMap IdentityMap() {
    ByteMap m{};
    for (int i = 0; i < 256; ++i) m[i] = static_cast<unsigned char>(i);
    return m;
}

constexpr CharTable SetTable(std::string_view set) {
    CharTable t{};
    for (char c : set) t[static_cast<unsigned char>(c)] = true;
    return t;
}

// Ordinary lower-casing of the code page's letters.
constexpr ByteMap kOrdinaryLower = [] {
    ByteMap m = IdentityMap();
    for (int c = 'A'; c <= 'Z'; ++c) m[c] = static_cast<unsigned char>(c + 32);
    for (int c = 0xC0; c <= 0xDE; ++c)
        if (c != 0xD7) m[c] = static_cast<unsigned char>(c + 32);
    m[0x8A] = 0x9A;
    m[0x8C] = 0x9C;
    m[0x8E] = 0x9E;
    m[0x9F] = 0xFF;
    return m;
}();

// Lower-casing by the letter tables.
constexpr ByteMap kTableLower = [] {
    ByteMap m = IdentityMap();
    for (size_t k = 0; k < kUpperLetters.size(); ++k)
        m[static_cast<unsigned char>(kUpperLetters[k])] =
            static_cast<unsigned char>(kLowerLetters[k]);
    return m;
}();

constexpr ByteMap kBaseLetter = [] {
    ByteMap m = IdentityMap();
    for (size_t k = 0; k < kAccentedLetters.size(); ++k)
        m[static_cast<unsigned char>(kAccentedLetters[k])] =
            static_cast<unsigned char>(kBaseLetters[k]);
    return m;
}();

constexpr CharTable kAccented = SetTable(kAccentedLetters);
constexpr CharTable kLigature = SetTable(kLigatureLetters);
constexpr CharTable kVowel = SetTable(kVowels);

// The vowels of the lower-cased vowel list.
constexpr CharTable kLowerVowel = [] {
    CharTable t{};
    // The vowel list holds accented letters, so LowerCaseExt takes the table path.
    for (char c : kVowels) t[kTableLower[static_cast<unsigned char>(c)]] = true;
    return t;
}();

// kStemTail[k]: the characters that stand k + 1 places before a blank in the
// stem list. A word whose k-th character from the end is not among them
// cannot be a stem.
constexpr std::array<CharTable, 3> kStemTail = [] {
    std::array<CharTable, 3> t{};
    for (size_t i = 1; i < kContractionStems.size(); ++i)
        if (kContractionStems[i] == ' ')
            for (size_t k = 0; k < t.size() && k < i; ++k)
                t[k][static_cast<unsigned char>(kContractionStems[i - 1 - k])] = true;
    return t;
}();

// Length of the longest stem in the list.
constexpr size_t kLongestStem = [] {
    size_t longest = 0, run = 0;
    for (char c : kContractionStems) {
        run = c == ' ' ? 0 : run + 1;
        longest = run > longest ? run : longest;
    }
    return longest;
}();

constexpr CharTable kLetter = [] {
    CharTable t{};
    for (int c = 'A'; c <= 'Z'; ++c) t[c] = true;
    for (int c = 'a'; c <= 'z'; ++c) t[c] = true;
    for (int c = 192; c <= 255; ++c)
        if (c != 215 && c != 247) t[c] = true;
    return t;
}();

// Cleaning: 1 = drop (backspace), 2 = blank (tab, LF, FF, no-break space), 3 = CR.
constexpr std::array<unsigned char, 256> kCleanClass = [] {
    std::array<unsigned char, 256> t{};
    t[8] = 1;
    t[9] = 2;
    t[10] = 2;
    t[12] = 2;
    t[160] = 2;
    t[13] = 3;
    return t;
}();

inline unsigned char U(char c) { return static_cast<unsigned char>(c); }

// The one pass of PrepareLineInPlace: the low byte of an entry is what the
// character becomes, the high byte says what it was.
enum : uint16_t { kSeenHyphen = 0x100, kSeenAccented = 0x200, kSeenZcaron = 0x400, kSeenLineCtl = 0x800 };
using PrepareMap = std::array<uint16_t, 256>;
constexpr PrepareMap MakePrepareMap(bool lowerCase) {
    PrepareMap m{};
    for (int c = 0; c < 256; ++c) {
        uint16_t v = lowerCase ? kOrdinaryLower[c] : static_cast<uint16_t>(c);
        // Tab, form feed and no-break space become blanks here; a backspace,
        // CR or LF stays for CleanLineInPlace, which pairs CR with LF.
        if (kCleanClass[c] == 2 && c != 10) v = ' ';
        if (c == 8 || c == 10 || c == 13) v |= kSeenLineCtl;
        if (c == '-') v |= kSeenHyphen;
        if (kAccented[c]) v |= kSeenAccented;
        // Which lower-casing Z caron gets depends on the whole line: it waits.
        if (lowerCase && c == 0x8E) v = 0x8E | kSeenZcaron;
        m[c] = v;
    }
    return m;
}
constexpr PrepareMap kPrepareLower = MakePrepareMap(true);
constexpr PrepareMap kPrepareKeepCase = MakePrepareMap(false);

// 0-based offset of the first character of s at or after from that is (want
// true) or is not (want false) in t; npos when none.
size_t ScanTable(std::string_view s, size_t from, const CharTable& t, bool want) {
    for (size_t i = from; i < s.size(); ++i)
        if (t[U(s[i])] == want) return i;
    return std::string_view::npos;
}

size_t StartOffset(int64_t start) { return start < 1 ? 0 : static_cast<size_t>(start - 1); }

}  // namespace

// ---------------------------------------------------------------------------
// Word characters

bool IsWordChar(unsigned char c, bool numerals, std::string_view extra) {
    if (c == text::kNoCode) c = '?';
    if (c < 128) {
        if (kLetter[c]) return true;
        if (numerals && c >= '0' && c <= '9') return true;
        return extra.find(static_cast<char>(c)) != std::string_view::npos;
    }
    return kLetter[c];
}

CharTable WordCharTable(bool numerals, std::string_view extra) {
    CharTable t{};
    for (int c = 0; c < 256; ++c) t[c] = IsWordChar(static_cast<unsigned char>(c), numerals, extra);
    return t;
}

int64_t WordLength(std::string_view s, int64_t start, bool numerals, std::string_view extra) {
    size_t from = StartOffset(start);
    if (from >= s.size()) return 0;
    const CharTable t = WordCharTable(numerals, extra);
    size_t end = std::min(s.size(), from + static_cast<size_t>(kMaxWordLength));
    size_t i = from;
    while (i < end && t[U(s[i])]) ++i;
    return static_cast<int64_t>(i - from);
}

// ---------------------------------------------------------------------------
// Word rules

bool StartsWithVowel(std::string_view text, bool lowerCaseOnly) {
    if (text.empty()) return false;
    return lowerCaseOnly ? kLowerVowel[U(text[0])] : kVowel[U(text[0])];
}

bool StemInList(std::string_view word) {
    // word + blank can only occur in the stem list when it is no longer than
    // it, which is also what the buffer holds.
    char buf[kContractionStems.size()];
    if (word.size() + 1 > sizeof buf) return false;
    // Most words that end like a stem ("in", "den") are told apart by their
    // last three characters, under either lower-casing.
    for (size_t k = 0; k < kStemTail.size() && k < word.size(); ++k) {
        const unsigned char c = U(word[word.size() - 1 - k]);
        if (!kStemTail[k][kOrdinaryLower[c]] && !kStemTail[k][kTableLower[c]]) return false;
    }
    // A word without blanks matches only as a whole suffix of one stem, and no
    // stem is longer than seven letters.
    if (word.size() > kLongestStem && word.find(' ') == std::string_view::npos) return false;
    const ByteMap& lower = HasNoFoldableLetters(word) ? kOrdinaryLower : kTableLower;
    for (size_t i = 0; i < word.size(); ++i) buf[i] = static_cast<char>(lower[U(word[i])]);
    buf[word.size()] = ' ';
    return kContractionStems.find(std::string_view(buf, word.size() + 1)) != std::string_view::npos;
}

// ---------------------------------------------------------------------------
// Line preparation

void CleanLineInPlace(std::string& text) {
    size_t i = 0;
    const size_t n = text.size();
    while (i < n && kCleanClass[U(text[i])] == 0) ++i;
    if (i == n) return;
    size_t out = i;
    bool afterCR = false;  // the previous kept character was a CR
    for (; i < n; ++i) {
        unsigned char c = U(text[i]);
        switch (kCleanClass[c]) {
        case 1:  // backspaces go first, so a CR and LF they separated still pair
            continue;
        case 3:
            text[out++] = ' ';
            afterCR = true;
            continue;
        case 2:
            if (c == 10 && afterCR) {
                afterCR = false;  // CR LF makes one blank
                continue;
            }
            text[out++] = ' ';
            break;
        default:
            text[out++] = static_cast<char>(c);
            break;
        }
        afterCR = false;
    }
    text.resize(out);
}

PreparedLine PrepareLineInPlace(std::string& text, bool lowerCase) {
    TrimControlChars(text);
    if (text.empty()) return {};
    const PrepareMap& map = lowerCase ? kPrepareLower : kPrepareKeepCase;
    uint16_t seen = 0;
    char* p = text.data();
    char* const e = p + text.size();
    // Eight characters at a time while they are printable ASCII (0x20 to
    // 0x7F), which only lower-casing changes; any other goes by the map.
    constexpr uint64_t kOnes = 0x0101010101010101ULL;
    constexpr uint64_t kHighs = 0x8080808080808080ULL;
#if defined(__SSE2__)
    // Sixteen at a time first; as signed bytes, 0x80 and above are below 0x20.
    const __m128i blank = _mm_set1_epi8(0x20), dash = _mm_set1_epi8('-');
    const __m128i beforeA = _mm_set1_epi8('A' - 1), afterZ = _mm_set1_epi8('Z' + 1);
    while (e - p >= 16) {
        __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
        if (_mm_movemask_epi8(_mm_cmplt_epi8(v, blank)) != 0) {
            for (char* const stop = p + 16; p < stop; ++p) {
                const uint16_t m = map[U(*p)];
                seen |= m;
                *p = static_cast<char>(m & 0xFF);
            }
            continue;
        }
        if (_mm_movemask_epi8(_mm_cmpeq_epi8(v, dash)) != 0) seen |= kSeenHyphen;
        if (lowerCase) {
            const __m128i upper = _mm_and_si128(_mm_cmpgt_epi8(v, beforeA), _mm_cmplt_epi8(v, afterZ));
            v = _mm_or_si128(v, _mm_and_si128(upper, blank));  // 0x20 is also the step between the cases
            _mm_storeu_si128(reinterpret_cast<__m128i*>(p), v);
        }
        p += 16;
    }
#endif
    while (e - p >= 8) {
        uint64_t w;
        std::memcpy(&w, p, 8);
        // Bytes below 0x80 cannot carry into their neighbours in these sums.
        if ((w | ~(w + kOnes * (0x80 - 0x20))) & kHighs) {
            for (char* const stop = p + 8; p < stop; ++p) {
                const uint16_t v = map[U(*p)];
                seen |= v;
                *p = static_cast<char>(v & 0xFF);
            }
            continue;
        }
        const uint64_t dash = w ^ (kOnes * '-');
        if ((dash - kOnes) & ~dash & kHighs) seen |= kSeenHyphen;
        if (lowerCase) {
            const uint64_t upper = (w + kOnes * (0x80 - 'A')) & ~(w + kOnes * (0x80 - 'Z' - 1)) & kHighs;
            w |= upper >> 2;  // 0x80 >> 2 is the 0x20 between the cases
            std::memcpy(p, &w, 8);
        }
        p += 8;
    }
    for (; p < e; ++p) {
        const uint16_t v = map[U(*p)];
        seen |= v;
        *p = static_cast<char>(v & 0xFF);
    }
    // LowerCaseExtInPlace keeps Z caron in a line with a foldable letter.
    if ((seen & kSeenZcaron) && !(seen & kSeenAccented))
        std::replace(text.begin(), text.end(), '\x8E', '\x9E');
    if (seen & kSeenLineCtl) CleanLineInPlace(text);
    return {false, (seen & kSeenHyphen) != 0};
}

std::string CleanLine(std::string_view text) {
    std::string s(text);
    CleanLineInPlace(s);
    return s;
}

void ReplaceDoubleHyphensInPlace(std::string& text) {
    size_t p = text.find("--");
    while (p != std::string::npos) {
        bool afterOpen = p >= 2 && text[p - 2] == '<' && text[p - 1] == '!';
        bool beforeClose = p + 2 < text.size() && text[p + 2] == '>';
        if (!afterOpen && !beforeClose) {
            text[p] = ' ';
            text[p + 1] = ' ';
        }
        p = text.find("--", p + 2);
    }
}

std::string ReplaceDoubleHyphens(std::string text) {
    ReplaceDoubleHyphensInPlace(text);
    return text;
}

// ---------------------------------------------------------------------------
// Case and folding

bool HasNoFoldableLetters(std::string_view text) {
    for (char c : text)
        if (kAccented[U(c)]) return false;
    return true;
}

unsigned char LowerCaseChar(unsigned char c) { return kOrdinaryLower[c]; }

void LowerCaseExtInPlace(std::string& text) {
    // The two lower-casings differ only on Ž (142), which the letter tables
    // leave alone; the ordinary one serves unless the text holds Ž and a
    // foldable letter.
    const bool table = std::memchr(text.data(), 0x8E, text.size()) != nullptr &&
                       !HasNoFoldableLetters(text);
    const ByteMap& lower = table ? kTableLower : kOrdinaryLower;
    for (char& c : text) c = static_cast<char>(lower[U(c)]);
}

std::string LowerCaseExt(std::string_view text) {
    std::string s(text);
    LowerCaseExtInPlace(s);
    return s;
}

std::string FoldForSorting(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (char c : text) {
        if (kLigature[U(c)]) {
            size_t k = kLigatureLetters.find(c);
            out += kLigatureSpellings.substr(2 * k, 2);
        } else {
            out += static_cast<char>(kBaseLetter[U(c)]);
        }
    }
    return out;
}

// ---------------------------------------------------------------------------
// Character entities and control characters

std::string ConvertCharacterEntities(std::string_view text) {
    // Every replacement puts one character where the entity was and the search
    // goes on right after it, which in the original text is just after the
    // entity's semicolon; so the result can be built in one pass.
    std::string out;
    size_t copied = 0;  // text[0, copied) is already in out
    size_t start = 0;
    for (;;) {
        size_t p = text.find('&', start);
        if (p == std::string_view::npos) break;
        size_t q = text.find(';', p);
        if (q == std::string_view::npos) break;
        std::string_view e = text.substr(p, q - p + 1);
        char replacement;
        if (e == "&quot;") {
            replacement = '"';
        } else {
            size_t k = kCharacterEntities.find(e);
            if (k == std::string_view::npos) {
                start = q + 1;
                continue;
            }
            size_t j = kCharacterEntities.find(';', k);
            replacement = kCharacterEntities[j + 1];
        }
        if (out.empty()) out.reserve(text.size());
        out.append(text.substr(copied, p - copied));
        out += replacement;
        copied = q + 1;
        start = q + 1;
    }
    if (copied == 0) return std::string(text);
    out.append(text.substr(copied));
    return out;
}

int16_t CharacterEntityLength(std::string_view s) {
    if (s.size() < 4) return 0;
    if (s[0] == '&' && s[1] == '#') return 1;
    if (s[0] != '&') return 0;
    // Only a semicolon within the first 20 characters can give a length.
    size_t limit = std::min<size_t>(s.size(), 20);
    size_t p = s.substr(0, limit).find(';');
    if (p == std::string_view::npos) return 0;
    if (s.substr(0, p).find(' ') != std::string_view::npos) return 0;
    if (!IsWordChar(U(s[1]), false, "#")) return 0;
    return static_cast<int16_t>(p + 1);
}

int64_t SkipCharsIn(std::string_view s, int64_t start, std::string_view set) {
    if (s.empty()) return 0;
    if (set.empty()) return 1;
    size_t i = ScanTable(s, StartOffset(start), SetTable(set), false);
    return i == std::string_view::npos ? static_cast<int64_t>(s.size()) + 1
                                       : static_cast<int64_t>(i) + 1;
}

void TrimControlChars(std::string& s) {
    size_t b = 0, e = s.size();
    while (b < e && U(s[b]) <= 32) ++b;
    while (e > b && U(s[e - 1]) <= 32) --e;
    if (e < s.size()) s.resize(e);
    if (b > 0) s.erase(0, b);
}

// ---------------------------------------------------------------------------
// Searching and editing by character set

int64_t FindNonBlank(std::string_view s, int64_t start) {
    if (s.empty()) return 0;
    for (size_t i = StartOffset(start); i < s.size(); ++i)
        if (s[i] != ' ') return static_cast<int64_t>(i) + 1;
    return 0;
}

void RemoveChars(std::string& s, std::string_view set, int64_t start) {
    if (s.empty() || set.empty()) return;
    const CharTable t = SetTable(set);
    size_t from = StartOffset(start);
    if (from >= s.size()) return;
    size_t out = from;
    for (size_t i = from; i < s.size(); ++i)
        if (!t[U(s[i])]) s[out++] = s[i];
    s.resize(out);
}

}  // namespace kvx::wordtext
