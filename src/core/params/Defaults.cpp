#include "params/Defaults.h"

namespace kvx {
namespace {

std::vector<std::string> NumberEntries(int from, int to, int step) {
    std::vector<std::string> v;
    for (int i = from; i <= to; i += step) v.push_back(std::to_string(i));
    return v;
}

}  // namespace

void SetDefaultValues(Params& p) {
    p.chkCaseSignificant = 0;
    p.chkIgnoreShortWords = 1;
    p.chkIgnoreInfrequentWords = 0;
    p.chkIgnoreRepetitions = 1;
    p.chkIgnoreRomNum40 = 1;
    p.chkIgnoreNoLetter = 1;
    p.chkAllowWordsWithHyphens = 1;
    p.chkAllowWordsWithApostrophes = 0;
    p.chkAllowWordsWithUnderscores = 0;
    p.chkAllowWordsWithColons = 0;
    p.chkAllowWordsWithBackslashes = 0;
    p.chkAllowWordsWithForwardslashes = 0;
    p.chkAllowWordsWithPeriods = 0;
    p.chkAllowWordsWithAtSigns = 0;
    p.chkAllowWordsWithNumerals = 0;
    p.chkDropFinalS = 1;
    p.chkOutputWithCommas = 0;
    p.chkAllowCommentMarkers = 0;
    p.chkWarnOnOverwrite = 1;
    p.chkSaveStateOnQuit = 0;

    p.cboShortWordSize = 1;
    p.cboLongWordSize = 3;
    p.cboThresholdFrequency = 0;
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

const std::vector<CheckBoxInfo>& ParamsCheckBoxes() {
    static const std::vector<CheckBoxInfo> v = {
        {"chkCaseSignificant", "Upper/lower case significant", &Params::chkCaseSignificant},
        {"chkAllowWordsWithApostrophes", "apostrophes '", &Params::chkAllowWordsWithApostrophes},
        {"chkAllowWordsWithHyphens", "hyphens -", &Params::chkAllowWordsWithHyphens},
        {"chkAllowWordsWithUnderscores", "underscores _", &Params::chkAllowWordsWithUnderscores},
        {"chkAllowWordsWithColons", "colons :", &Params::chkAllowWordsWithColons},
        {"chkAllowWordsWithBackslashes", "backslashes \\", &Params::chkAllowWordsWithBackslashes},
        {"chkAllowWordsWithForwardslashes", "forward slashes /",
         &Params::chkAllowWordsWithForwardslashes},
        {"chkAllowWordsWithPeriods", "periods .", &Params::chkAllowWordsWithPeriods},
        {"chkAllowWordsWithAtSigns", "at-signs @", &Params::chkAllowWordsWithAtSigns},
        {"chkAllowWordsWithNumerals", "numerals", &Params::chkAllowWordsWithNumerals},
        {"chkDropFinalS", "Drop final 's' unless 'ss' or vowel+'s'", &Params::chkDropFinalS},
        {"chkAllowCommentMarkers", "Allow start- and end-comment markers",
         &Params::chkAllowCommentMarkers},
        {"chkIgnoreCommonWords", "Ignore common words in file:", &Params::chkIgnoreCommonWords},
        {"chkIgnoreShortWords", "Ignore words with fewer than", &Params::chkIgnoreShortWords},
        {"chkIgnoreInfrequentWords", "Ignore words with fewer than",
         &Params::chkIgnoreInfrequentWords},
        {"chkIgnoreRepetitions", "Ignore a word if consists of a repetition of a single letter",
         &Params::chkIgnoreRepetitions},
        {"chkIgnoreRomNum40", "Ignore Roman numerals < XL (40)", &Params::chkIgnoreRomNum40},
        {"chkIgnoreNoLetter", "Ignore word if it lacks a letter (e.g. numbers)",
         &Params::chkIgnoreNoLetter},
        {"chkOutputWithCommas", "Include commas in output file", &Params::chkOutputWithCommas},
        {"chkWarnOnOverwrite", "Warn before overwriting output file", &Params::chkWarnOnOverwrite},
        {"chkSaveStateOnQuit", "Save state when quitting", &Params::chkSaveStateOnQuit},
    };
    return v;
}

}  // namespace kvx
