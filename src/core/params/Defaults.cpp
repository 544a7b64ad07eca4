#include "params/Defaults.h"

#include <algorithm>

namespace kvx {
namespace {

std::vector<std::string> NumberEntries(int from, int to, int step) {
    std::vector<std::string> v;
    for (int i = from; i <= to; i += step) v.push_back(std::to_string(i));
    return v;
}

}  // namespace

Params::Params() { SetDefaultValues(*this); }

void SetDefaultValues(Params& p) {
    for (const CheckBoxInfo& c : CheckBoxes())
        if (c.defaultValue >= 0) p.*c.member = c.defaultValue;
    p.shortWordIndex = kDefaultShortWordSize;
    p.longWordIndex = kDefaultLongWordSize;
    p.frequencyIndex = kDefaultThresholdFrequency;
}

void InitializeParams(Params& p) {
    p.fileNames[0].clear();
    p.fileNames[1].clear();
    p.wordsToIgnoreText.clear();
    SetDefaultValues(p);
    p.suppressLiveWords = 0;
    p.commonWordsFileText.clear();
    p.commonWordsFile.clear();
    p.parametersFile.clear();
    p.wordsToIgnore.clear();  // the emptied box, taken into force
    p.outputToFileDisabled = 0;  // no output file named
}

const std::vector<std::string>& ShortWordSizeEntries() {
    static const std::vector<std::string> v = NumberEntries(2, 9, 1);
    return v;
}

const std::vector<std::string>& LongWordSizeEntries() {
    static const std::vector<std::string> v = NumberEntries(20, 80, 10);
    return v;
}

const std::vector<std::string>& ThresholdFrequencyEntries() {
    static const std::vector<std::string> v = NumberEntries(2, 9, 1);
    return v;
}

const std::vector<std::string>& WordOrderEntries() {
    static const std::vector<std::string> v = {"by frequency", "alphabetical"};
    return v;
}

const std::vector<std::string>& DisplayFormatEntries() {
    static const std::vector<std::string> v = {
        "rank frequency word", "rank word frequency", "rank frequency", "rank word",
        "frequency rank",      "frequency word",      "word rank",      "word frequency",
        "word",                "word (+ commas)"};
    return v;
}

const std::vector<CheckBoxInfo>& CheckBoxes() {
    using P = Params;
    using F = BoxFamily;
    static const std::vector<CheckBoxInfo> v = {
        {"chkIgnoreShortWords", "Ignore words with fewer than", &P::ignoreShortWords, 1,
         F::Filter, 17, 2},
        {"chkIgnoreInfrequentWords", "Ignore words with fewer than", &P::ignoreInfrequentWords,
         0, F::Filter, 13, 3},
        {"chkIgnoreCommonWords", "Ignore common words in file:", &P::ignoreCommonWords, -1,
         F::CommonWords, 12, 0},
        {"chkIgnoreRepetitions", "Ignore a word if consists of a repetition of a single letter",
         &P::ignoreRepetitions, 1, F::Filter, 14, 4},
        {"chkIgnoreRomNum40", "Ignore Roman numerals < XL (40)", &P::ignoreRomanNumerals, 1,
         F::Filter, 15, 5},
        {"chkIgnoreNoLetter", "Ignore word if it lacks a letter (e.g. numbers)",
         &P::ignoreWordsWithoutLetters, 1, F::Filter, 16, 6},
        {"chkCaseSignificant", "Upper/lower case significant", &P::caseSignificant, 0,
         F::Confirm, 10, 1},
        {"chkDropFinalS", "Drop final 's' unless 'ss' or vowel+'s'", &P::dropFinalS, 1,
         F::Confirm, 11, 16},
        {"chkAllowWordsWithHyphens", "hyphens -", &P::allowHyphens, 1,
         F::ConfirmCheckChars, 1, 7},
        {"chkAllowWordsWithApostrophes", "apostrophes '", &P::allowApostrophes, 0,
         F::ConfirmCheckChars, 2, 8},
        {"chkAllowWordsWithUnderscores", "underscores _", &P::allowUnderscores, 0,
         F::ConfirmCheckChars, 3, 9},
        {"chkAllowWordsWithColons", "colons :", &P::allowColons, 0,
         F::ConfirmCheckChars, 4, 10},
        {"chkAllowWordsWithBackslashes", "backslashes \\", &P::allowBackslashes, 0,
         F::ConfirmCheckChars, 5, 11},
        // Its handler runs no character check.
        {"chkAllowWordsWithForwardslashes", "forward slashes /",
         &P::allowForwardSlashes, 0, F::Confirm, 6, 12},
        {"chkAllowWordsWithPeriods", "periods .", &P::allowPeriods, 0,
         F::ConfirmCheckChars, 7, 13},
        {"chkAllowWordsWithAtSigns", "at-signs @", &P::allowAtSigns, 0,
         F::ConfirmCheckChars, 8, 14},
        {"chkAllowWordsWithNumerals", "numerals", &P::allowNumerals, 0,
         F::ConfirmCheckChars, 9, 15},
        {"chkOutputWithCommas", "Include commas in output file", &P::numbersWithCommas, 0,
         F::Output, 18, 17},
        {"chkAllowCommentMarkers", "Allow start- and end-comment markers",
         &P::allowCommentMarkers, 0, F::ConfirmCommentMarkers, 19, 18},
        {"chkWarnOnOverwrite", "Warn before overwriting output file", &P::warnOnOverwrite, 1,
         F::Output, 20, 19},
        {"chkSaveStateOnQuit", "Save state when quitting", &P::saveStateOnQuit, 0,
         F::Output, 21, 20},
        {"chkSuppressWords", "Don't display words as found", &P::suppressLiveWords, -1,
         F::MainWindow, 0, 0},
        {"chkDisableOutputToFile", "Disable", &P::outputToFileDisabled, -1, F::MainWindow, 0, 0},
    };
    return v;
}

std::vector<const CheckBoxInfo*> CheckBoxesInOrder(int8_t CheckBoxInfo::*step) {
    std::vector<const CheckBoxInfo*> v;
    for (const CheckBoxInfo& c : CheckBoxes())
        if (c.*step > 0) v.push_back(&c);
    std::sort(v.begin(), v.end(), [step](auto* a, auto* b) { return a->*step < b->*step; });
    return v;
}

}  // namespace kvx
