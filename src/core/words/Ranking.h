#pragma once
// After a count: the alphabetical sort, the ignore rules, the result counters
// and the frequency chain that the listing follows.

#include <cstdint>
#include <string_view>
#include <vector>

#include "base/RunObserver.h"
#include "words/WordTable.h"

namespace kvx {

struct Params;

struct Results {
    int32_t wordsInList = 0;
    int32_t wordsIgnored = 0;
    int64_t instancesInList = 0;
    int64_t maxFrequency = 0;
    int16_t longestWordLength = 0;
    int32_t firstByFrequency = 0;  // first slot of the frequency chain, 0 = none
};

/// Sorts slots lo..hi ascending by sortKey from character position start
/// (1-based): the descending quicksort, then the range reversed. The order of
/// equal keys is the one these two steps give.
void SortWordList(std::vector<WordRecord>& t, int32_t lo, int32_t hi, int32_t start);
/// The descending quicksort on whole records (middle pivot).
void QuickSortDescending(std::vector<WordRecord>& t, int32_t lo, int32_t hi, int32_t start);
/// Orders the records of each group of equal sort keys by word, ordinally.
void OrderEqualKeys(std::vector<WordRecord>& t, int32_t n);

/// One character repeated (case-sensitive); false for "".
bool IsRepetition(std::string_view w);
/// Only I, V and X after trimming and upper-casing; never the single "I".
bool IsRomanNumeral(std::string_view w);
/// No letter at all (true for "").
bool LacksLetter(std::string_view w);

/// Sets included of slots 1..n by the ignore rules of p.
void FilterWords(std::vector<WordRecord>& t, int32_t n, const Params& p);
/// Recomputes the result counters over the included records.
void CountIncludedWords(const std::vector<WordRecord>& t, int32_t n, Results& r);
/// Ranks the included records by descending frequency (ties in table order)
/// and links them through nextByFrequency from r.firstByFrequency, telling the
/// observer (may be null) of its progress every 1000 links.
void BuildFrequencyChain(std::vector<WordRecord>& t, int32_t n, Results& r, RunObserver* observer);

}  // namespace kvx
