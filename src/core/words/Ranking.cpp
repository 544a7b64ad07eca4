#include "words/Ranking.h"

#include <algorithm>
#include <cstdint>
#include <numeric>
#include <string>
#include <utility>

#include "params/Params.h"
#include "scanning/TextLists.h"
#include "text/Cp1252.h"
#include "text/Unicode.h"

namespace kvx {

namespace {

std::string_view KeyFrom(const WordTable& t, const WordRecord& r, int32_t start) {
    std::string_view k = t.SortKey(r);
    const size_t from = start > 1 ? size_t(start - 1) : 0;
    return from >= k.size() ? std::string_view() : k.substr(from);
}

bool IsLetterCode(unsigned char c) {
    if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z')) return true;
    if (c >= 192) return c != 215 && c != 247;
    return c == 138 || c == 154 || c == 140 || c == 156 || c == 159;
}

}  // namespace

namespace {

// A record's sort key from a start position, with its first eight bytes as
// a number (big-endian, zero-padded), so that most comparisons read no
// string. Equal numbers fall back to the keys themselves, which also orders
// a key before its extension by zero bytes.
struct KeyRef {
    uint64_t head;
    int32_t slot;
};

// Descending quicksort (middle pivot) of the key references: the records
// stay put and the same comparisons and exchanges are made as on the records
// themselves, so the order, equal keys included, is the same.
void QuickSortRefs(std::vector<KeyRef>& a, int32_t lo, int32_t hi, const WordTable& t, int32_t start) {
    auto key = [&](const KeyRef& r) { return KeyFrom(t, t[r.slot], start); };
    // -1, 0, 1 as x is below, equal to or above the pivot p.
    auto cmp = [&](const KeyRef& x, const KeyRef& p) {
        if (x.head != p.head) return x.head < p.head ? -1 : 1;
        const int c = key(x).compare(key(p));
        return c < 0 ? -1 : c > 0 ? 1 : 0;
    };
    // Recurse into the smaller part and loop on the larger one: the two parts
    // are disjoint, so the order of visiting them does not change the result,
    // and the stack stays logarithmic.
    while (lo < hi) {
        int32_t i = lo, j = hi;
        const KeyRef p = a[size_t(lo + (hi - lo) / 2)];
        while (i <= j) {
            while (i < hi && cmp(a[size_t(i)], p) > 0) ++i;
            while (j > lo && cmp(a[size_t(j)], p) < 0) --j;
            if (i <= j) {
                if (i < j) std::swap(a[size_t(i)], a[size_t(j)]);
                ++i;
                --j;
            }
        }
        const bool leftPart = lo < j, rightPart = i < hi;
        if (leftPart && rightPart) {
            if (j - lo < hi - i) {
                QuickSortRefs(a, lo, j, t, start);
                lo = i;
            } else {
                QuickSortRefs(a, i, hi, t, start);
                hi = j;
            }
        } else if (leftPart) {
            hi = j;
        } else if (rightPart) {
            lo = i;
        } else {
            return;
        }
    }
}

}  // namespace

void QuickSortDescending(WordTable& t, int32_t lo, int32_t hi, int32_t start) {
    if (lo >= hi) return;
    std::vector<KeyRef> refs(size_t(hi - lo + 1));
    for (int32_t s = lo; s <= hi; ++s) refs[size_t(s - lo)] = {OrderHead(KeyFrom(t, t[s], start)), s};
    QuickSortRefs(refs, 0, hi - lo, t, start);
    std::vector<int32_t> from(refs.size());
    for (size_t k = 0; k < refs.size(); ++k) from[k] = refs[k].slot;
    refs = decltype(refs)();  // "= {}" would keep the memory
    t.Permute(lo, from);
}

void SortWordList(WordTable& t, int32_t lo, int32_t hi, int32_t start) {
    if (lo >= hi) return;
    // Keys ascending already and all different (the words of a table in
    // word order, most of them their own keys) are left where the two
    // steps would put them back.
    bool ascending = true;
    std::string_view before = KeyFrom(t, t[lo], start);
    uint64_t beforeHead = OrderHead(before);
    for (int32_t s = lo + 1; s <= hi && ascending; ++s) {
        const std::string_view key = KeyFrom(t, t[s], start);
        const uint64_t head = OrderHead(key);
        ascending = beforeHead < head || (beforeHead == head && before < key);
        before = key;
        beforeHead = head;
    }
    if (ascending) return;
    QuickSortDescending(t, lo, hi, start);
    std::reverse(t.Records().begin() + lo, t.Records().begin() + hi + 1);
}

void OrderEqualKeys(WordTable& t) {
    // Pairwise exchange within a group of equal keys leaves that group's words
    // in ascending order in the positions the group occupies. After the sort
    // the groups are runs of adjacent records; otherwise collect each group's
    // positions first.
    const std::span<WordRecord> records = t.Records();
    const int32_t n = t.size();
    auto byWord = [&t](const WordRecord& a, const WordRecord& b) { return t.Word(a) < t.Word(b); };
    auto key = [&t](int32_t i) { return t.SortKey(t[i]); };
    bool adjacent = true;
    for (int32_t i = 1; i < n && adjacent; ++i) adjacent = key(i - 1) <= key(i);
    if (adjacent) {
        int32_t i = 0;
        while (i < n) {
            int32_t j = i + 1;
            while (j < n && key(j) == key(i)) ++j;
            if (j - i > 1) std::sort(records.begin() + i, records.begin() + j, byWord);
            i = j;
        }
        return;
    }
    std::vector<int32_t> pos(static_cast<size_t>(n));
    std::iota(pos.begin(), pos.end(), 0);
    std::stable_sort(pos.begin(), pos.end(), [&](int32_t a, int32_t b) { return key(a) < key(b); });
    size_t g = 0;
    while (g < pos.size()) {
        size_t e = g + 1;
        while (e < pos.size() && key(pos[e]) == key(pos[g])) ++e;
        if (e - g > 1) {
            std::vector<WordRecord> group;
            group.reserve(e - g);
            for (size_t k = g; k < e; ++k) group.push_back(records[size_t(pos[k])]);
            std::sort(group.begin(), group.end(), byWord);
            for (size_t k = g; k < e; ++k) records[size_t(pos[k])] = group[k - g];
        }
        g = e;
    }
}

bool IsRepetition(std::string_view w) {
    if (w.empty()) return false;
    return w.find_first_not_of(w.front()) == std::string_view::npos;
}

bool IsRomanNumeral(std::string_view w) {
    // I, V and X in either case (only a-z are upper-cased), never "I" alone.
    const std::string_view u = wordtext::TrimBlanks(w);
    if (u == "I" || u == "i") return false;
    return u.find_first_not_of("IVXivx") == std::string_view::npos;
}

bool LacksLetter(std::string_view w) {
    for (char c : w)
        if (IsLetterCode(static_cast<unsigned char>(c))) return false;
    return true;
}

bool KeptByWordRules(std::string_view word, const Params& p, bool utf8) {
    // Under the letters of every script words are UTF-8: lengths are in characters.
    const int64_t len = int64_t(utf8 ? text::utf8Length(word) : word.size());
    if (p.ignoreShortWords == 1 && len < p.shortWordThreshold()) return false;
    if (len > p.longWordThreshold()) return false;
    if (p.ignoreRepetitions == 1 && len > 1 && (utf8 ? text::IsRepetitionUtf8(word) : IsRepetition(word)) &&
        !(word[0] >= '0' && word[0] <= '9'))
        return false;
    if (p.ignoreRomanNumerals == 1 && IsRomanNumeral(word)) return false;
    return !(p.ignoreWordsWithoutLetters == 1 && (utf8 ? !text::HasLetterUtf8(word) : LacksLetter(word)));
}

void FilterWords(WordTable& t, const Params& p) {
    for (WordRecord& r : t.Records())
        r.included = !(p.ignoreInfrequentWords == 1 && r.frequency < p.frequencyThreshold()) &&
                     KeptByWordRules(t.Word(r), p, t.utf8Words);
}

void CountIncludedWords(const WordTable& t, RankedFigures& r) {
    r.longestWordLength = 0;
    r.widestWord = 0;
    r.wordsInList = 0;
    r.maxFrequency = 0;
    r.wordsIgnored = 0;
    r.instancesInList = 0;
    for (int32_t s = 0; s < t.size(); ++s) {
        const WordRecord& w = t[s];
        if (!w.included) {
            ++r.wordsIgnored;
            continue;
        }
        ++r.wordsInList;
        // Cannot overflow: the counts of a table add up to at most its total
        // of occurrences, which counts files are checked to keep within range.
        r.instancesInList += w.frequency;
        r.maxFrequency = std::max(r.maxFrequency, w.frequency);
        if (t.utf8Words) {
            const std::string_view word = t.Word(w);
            r.longestWordLength =
                std::max<int16_t>(r.longestWordLength, int16_t(std::min<size_t>(text::utf8Length(word), 32767)));
            r.widestWord = std::max<int16_t>(r.widestWord, int16_t(std::min<size_t>(text::DisplayWidth(word), 32767)));
        } else {
            r.longestWordLength =
                std::max<int16_t>(r.longestWordLength, int16_t(std::min<size_t>(w.length, 32767)));
            r.widestWord = r.longestWordLength;
        }
    }
}

void BuildFrequencyChain(WordTable& t, RankedFigures& r, RunObserver* observer) {
    for (WordRecord& w : t.Records()) {
        w.rank = 0;
        w.nextByFrequency = kNoWord;
    }

    // Numbering: descending frequency, equal frequencies in slot order. Only
    // frequencies 1..maxFrequency take part, as in a count down from the
    // maximum. The event loop gets a turn at each new frequency, so the time
    // depends on the number of words, never on how large their counts are.
    // A counting sort by frequency, the records taken in slot order, which
    // breaks ties as a stable sort does; the rare frequencies too large for a
    // bucket are sorted as (frequency, slot) pairs and come first.
    const auto inChain = [&](const WordRecord& w) {
        return w.included && w.frequency >= 1 && w.frequency <= r.maxFrequency;
    };
    constexpr int64_t kBuckets = int64_t(1) << 16;
    const size_t buckets = size_t(std::clamp<int64_t>(r.maxFrequency + 1, 1, kBuckets));
    std::vector<size_t> next(buckets + 1, 0);
    std::vector<std::pair<int64_t, int32_t>> high;
    size_t total = 0;
    for (int32_t s = 0; s < t.size(); ++s) {
        const WordRecord& w = t[s];
        if (!inChain(w)) continue;
        ++total;
        if (w.frequency < int64_t(buckets))
            ++next[size_t(w.frequency)];
        else
            high.emplace_back(w.frequency, s);
    }
    std::sort(high.begin(), high.end(), [](const auto& a, const auto& b) {
        return a.first != b.first ? a.first > b.first : a.second < b.second;
    });
    std::vector<int32_t> order(total);
    for (size_t k = 0; k < high.size(); ++k) order[k] = high[k].second;
    size_t at = high.size();
    high = decltype(high)();
    for (size_t f = buckets; f-- > 1;) at += std::exchange(next[f], at);
    for (int32_t s = 0; s < t.size(); ++s) {
        const WordRecord& w = t[s];
        if (inChain(w) && w.frequency < int64_t(buckets)) order[next[size_t(w.frequency)]++] = s;
    }

    r.firstByFrequency = kNoWord;
    const bool yields = observer && observer->yields;
    for (size_t k = 0; k < order.size(); ++k) {
        WordRecord& w = t[order[k]];
        if (yields && (k == 0 || w.frequency != t[order[k - 1]].frequency)) observer->yield();
        w.rank = int32_t(k + 1);
    }
    if (order.empty()) return;
    r.firstByFrequency = order[0];

    // Linking: rank r to rank r + 1, up to wordsInList links; a mark
    // of progress every 1000.
    const int64_t ranked = int64_t(order.size());
    for (int64_t rank = 1;; ++rank) {
        if (rank < ranked) t[order[size_t(rank - 1)]].nextByFrequency = order[size_t(rank)];
        if (rank >= r.wordsInList) break;
        if ((rank + 1) % 1000 == 0 && observer) observer->progress(rank + 1);
    }
}

}  // namespace kvx
