#pragma once
// Phrases: runs of N consecutive words counted as one entry, the words
// joined by one blank. The builder sits between the scanner and the word
// table. A run ends where the scanner says (a word dropped or ignored,
// sentence punctuation, a comment or markup skipped, a blank line), at a
// word that the listing would leave out by itself (too short or long, a
// repetition, a Roman numeral, no letter), and at the end of each input.
// The joined phrase is then listed by frequency alone.

#include <cstdint>
#include <string>
#include <string_view>

#include "scanning/WordSink.h"

namespace kvx {

struct Params;

/// The shortest and longest phrases counted.
inline constexpr int kMinPhraseWords = 2, kMaxPhraseWords = 5;

class PhraseBuilder : public WordSink {
public:
    /// Hands every run of words words (2..5) to target; p is read live.
    PhraseBuilder(int words, const Params& p, WordSink& target, bool utf8 = false)
        : words_(words), params_(&p), target_(&target), utf8_(utf8) {}
    void AddWordToList(std::string_view word) override;
    void EndOfRun() override {
        joined_.clear();
        count_ = 0;
    }

private:
    int words_;
    const Params* params_;
    WordSink* target_;
    bool utf8_;  // the words are UTF-8 (the letters of every script)
    std::string joined_;  // the last words of the run, up to words_
    int count_ = 0;
};

/// The rules that list a table of phrases: those of p but the ones that look
/// at a word alone, which the builder applied to each word.
Params PhraseListingRules(const Params& p);

}  // namespace kvx
