#pragma once
// Keywords against a reference: which words a text uses more (or less) than
// a reference text does, by the log-likelihood G2 of the 2x2 table of a word's
// frequency and the other words' on each side, with the Log Ratio as the size
// of the difference.
//
// Both sides are word tables as counted (before the rules that need the
// whole text). The words compared on each side, and its total, are those the
// listing would keep without its minimum frequency: the minimum frequency of
// the comparison takes its place, as a word too rare to be listed on one side
// still counts there.

#include <cstdint>
#include <ostream>
#include <string>
#include <vector>

#include "words/ListingFormats.h"
#include "words/WordTable.h"

namespace kvx {

struct Params;

struct KeynessOptions {
    double minG2 = 3.84;        // p < 0.05 with one degree of freedom
    int64_t minFrequency = 1;   // here for an over-used word, in the reference for an under-used one
    bool underUsed = false;     // list the under-used words too, after the over-used ones
};

struct Keyword {
    std::string word;  // UTF-8
    int64_t frequency = 0, refFrequency = 0;
    double g2 = 0, logRatio = 0;
    bool overUsed = true;  // used more here than in the reference
};

struct KeywordTable {
    int64_t total = 0, refTotal = 0;  // instances of the words compared on each side
    std::vector<Keyword> rows;         // over-used first, then under-used; each by G2
};

/// G2 = 2 * sum of O * ln(O / E) over the four cells a, b, n1 - a, n2 - b
/// (a cell with O = 0 adds nothing).
double LogLikelihood(int64_t a, int64_t b, int64_t n1, int64_t n2);
/// log2((a / n1) / (b / n2)), with 0.5 in place of a zero frequency.
double LogRatio(int64_t a, int64_t b, int64_t n1, int64_t n2);

/// Compares the words of here with those of ref (their inclusion marks are
/// not looked at): the rules of p that look at a word alone choose the words
/// compared. Sorted by G2 descending, ties by the frequency on the side that
/// uses the word more, descending, then by word.
KeywordTable CompareWords(const WordTable& here, const WordTable& ref, const Params& p, const KeynessOptions& o);

/// The table in CSV, TSV or JSON (any other format writes TSV).
void WriteKeywords(std::ostream& out, ListingFormat f, const KeywordTable& t);

}  // namespace kvx
