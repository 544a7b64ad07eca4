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
    p.cboShortWordSize = kDefaultShortWordSize;
    p.cboLongWordSize = kDefaultLongWordSize;
    p.cboThresholdFrequency = kDefaultThresholdFrequency;
}

void InitializeParams(Params& p) {
    p.txbFile[0].clear();
    p.txbFile[1].clear();
    p.txbWordsToIgnore.clear();
    SetDefaultValues(p);
    p.chkSuppressWords = 0;
    p.txbCommonWordsFile.clear();
    p.strCommonWordsFile.clear();
    p.txbParametersFile.clear();
    p.strWordsToIgnore.clear();  // the emptied box, taken into force
    p.chkDisableOutputToFile = 0;  // no output file named
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
        {"chkIgnoreShortWords", "Ignore words with fewer than", &P::chkIgnoreShortWords, 1,
         F::Filter, 17, 2},
        {"chkIgnoreInfrequentWords", "Ignore words with fewer than", &P::chkIgnoreInfrequentWords,
         0, F::Filter, 13, 3},
        {"chkIgnoreCommonWords", "Ignore common words in file:", &P::chkIgnoreCommonWords, -1,
         F::CommonWords, 12, 0},
        {"chkIgnoreRepetitions", "Ignore a word if consists of a repetition of a single letter",
         &P::chkIgnoreRepetitions, 1, F::Filter, 14, 4},
        {"chkIgnoreRomNum40", "Ignore Roman numerals < XL (40)", &P::chkIgnoreRomNum40, 1,
         F::Filter, 15, 5},
        {"chkIgnoreNoLetter", "Ignore word if it lacks a letter (e.g. numbers)",
         &P::chkIgnoreNoLetter, 1, F::Filter, 16, 6},
        {"chkCaseSignificant", "Upper/lower case significant", &P::chkCaseSignificant, 0,
         F::Confirm, 10, 1},
        {"chkDropFinalS", "Drop final 's' unless 'ss' or vowel+'s'", &P::chkDropFinalS, 1,
         F::Confirm, 11, 16},
        {"chkAllowWordsWithHyphens", "hyphens -", &P::chkAllowWordsWithHyphens, 1,
         F::ConfirmCheckChars, 1, 7},
        {"chkAllowWordsWithApostrophes", "apostrophes '", &P::chkAllowWordsWithApostrophes, 0,
         F::ConfirmCheckChars, 2, 8},
        {"chkAllowWordsWithUnderscores", "underscores _", &P::chkAllowWordsWithUnderscores, 0,
         F::ConfirmCheckChars, 3, 9},
        {"chkAllowWordsWithColons", "colons :", &P::chkAllowWordsWithColons, 0,
         F::ConfirmCheckChars, 4, 10},
        {"chkAllowWordsWithBackslashes", "backslashes \\", &P::chkAllowWordsWithBackslashes, 0,
         F::ConfirmCheckChars, 5, 11},
        // Its handler runs no character check.
        {"chkAllowWordsWithForwardslashes", "forward slashes /",
         &P::chkAllowWordsWithForwardslashes, 0, F::Confirm, 6, 12},
        {"chkAllowWordsWithPeriods", "periods .", &P::chkAllowWordsWithPeriods, 0,
         F::ConfirmCheckChars, 7, 13},
        {"chkAllowWordsWithAtSigns", "at-signs @", &P::chkAllowWordsWithAtSigns, 0,
         F::ConfirmCheckChars, 8, 14},
        {"chkAllowWordsWithNumerals", "numerals", &P::chkAllowWordsWithNumerals, 0,
         F::ConfirmCheckChars, 9, 15},
        {"chkOutputWithCommas", "Include commas in output file", &P::chkOutputWithCommas, 0,
         F::Output, 18, 17},
        {"chkAllowCommentMarkers", "Allow start- and end-comment markers",
         &P::chkAllowCommentMarkers, 0, F::ConfirmCommentMarkers, 19, 18},
        {"chkWarnOnOverwrite", "Warn before overwriting output file", &P::chkWarnOnOverwrite, 1,
         F::Output, 20, 19},
        {"chkSaveStateOnQuit", "Save state when quitting", &P::chkSaveStateOnQuit, 0,
         F::Output, 21, 20},
        {"chkSuppressWords", "Don't display words as found", &P::chkSuppressWords, -1,
         F::MainWindow, 0, 0},
        {"chkDisableOutputToFile", "Disable", &P::chkDisableOutputToFile, -1, F::MainWindow, 0, 0},
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
