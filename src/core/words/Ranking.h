#pragma once
// After a count: the alphabetical sort, the ignore rules, the result counters
// and the frequency chain that the listing follows.

#include <cstdint>
#include <string_view>
#include <vector>

#include "base/RunObserver.h"
#include "words/ListingFormats.h"
#include "words/WordTable.h"

namespace kvx {

struct Params;

/// The figures of a ranked table: those of the result labels, what the
/// listing's columns need, and where its frequency order starts.
struct RankedFigures : ListingFigures {
    int64_t maxFrequency = 0;
    int16_t longestWordLength = 0;  // in characters
    int16_t widestWord = 0;         // in the columns of a monospace font
    int32_t firstByFrequency = kNoWord;  // first record of the frequency chain
};

/// Sorts records lo..hi ascending by sort key from character position start
/// (1-based): the descending quicksort, then the range reversed. The order of
/// equal keys is the one these two steps give.
void SortWordList(WordTable& t, int32_t lo, int32_t hi, int32_t start);
/// The descending quicksort on whole records (middle pivot).
void QuickSortDescending(WordTable& t, int32_t lo, int32_t hi, int32_t start);
/// Orders the records of each group of equal sort keys by word, ordinally.
void OrderEqualKeys(WordTable& t);

/// One character repeated (case-sensitive); false for "".
bool IsRepetition(std::string_view w);
/// Only I, V and X after trimming and upper-casing; never the single "I".
bool IsRomanNumeral(std::string_view w);
/// No letter at all (true for "").
bool LacksLetter(std::string_view w);

/// Whether the ignore rules of p that look at the word alone (length,
/// repetition, Roman numeral, no letter) keep it.
bool KeptByWordRules(std::string_view word, const Params& p, bool utf8 = false);
/// Sets included of every record by the ignore rules of p.
void FilterWords(WordTable& t, const Params& p);
/// Recomputes the figures over the included records (totalInstances stays).
void CountIncludedWords(const WordTable& t, RankedFigures& r);
/// Ranks the included records by descending frequency (ties in table order)
/// and links them through nextByFrequency from r.firstByFrequency, telling the
/// observer (may be null) of its progress every 1000 links.
void BuildFrequencyChain(WordTable& t, RankedFigures& r, RunObserver* observer);

}  // namespace kvx
