#include "words/Phrases.h"

#include "params/Params.h"
#include "words/Ranking.h"

namespace kvx {

void PhraseBuilder::AddWordToList(std::string_view word) {
    if (!KeptByWordRules(word, *params_, utf8_)) {
        EndOfRun();
        return;
    }
    if (count_ == words_) {  // the first word leaves the run
        joined_.erase(0, joined_.find(' ') + 1);
        --count_;
    }
    if (count_ > 0) joined_ += ' ';
    joined_ += word;
    if (++count_ == words_) target_->AddWordToList(joined_);
}

Params PhraseListingRules(const Params& p) {
    Params rules = p;
    rules.ignoreShortWords = rules.ignoreRepetitions = rules.ignoreRomanNumerals = 0;
    rules.ignoreWordsWithoutLetters = 0;
    rules.longWordIndex = 1000;  // longer than any phrase
    return rules;
}

}  // namespace kvx
