#pragma once
// The figures of a count's result as the programs show them: numbers only,
// each program makes its own texts of them.

#include <cstdint>

namespace kvx {

struct ResultFigures {
    bool partial = false;   // stopped, and the words found so far listed
    bool ignoring = false;  // words to ignore or common words were left out
    int32_t wordsIncluded = 0;
    int32_t wordsExcluded = 0;
    int64_t occurrencesIncluded = 0;
    int64_t totalOccurrences = 0;

    friend bool operator==(const ResultFigures&, const ResultFigures&) = default;
};

}  // namespace kvx
