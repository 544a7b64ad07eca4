#pragma once
// The parameter set: every option the user can set, as plain values.
// The windows bind their controls to one Params object; the core reads it
// whenever it needs a value (check boxes count as set only when exactly 1).
// Texts are UTF-8.

#include <array>
#include <cstdint>
#include <string>

namespace kvx {

struct Params {
    /// The first-start values (SetDefaultValues for the boxes and lists).
    Params();
    bool operator==(const Params&) const = default;

    // Check boxes of the parameters window: 0 clear, 1 ticked (2 greyed, not
    // ticked). Their defaults are in the check-box table (params/Defaults).
    int16_t caseSignificant = 0;
    int16_t allowApostrophes = 0;
    int16_t allowHyphens = 0;
    int16_t allowUnderscores = 0;
    int16_t allowColons = 0;
    int16_t allowBackslashes = 0;
    int16_t allowForwardSlashes = 0;
    int16_t allowPeriods = 0;
    int16_t allowAtSigns = 0;
    int16_t allowNumerals = 0;
    int16_t dropFinalS = 0;
    int16_t allowCommentMarkers = 0;
    int16_t ignoreCommonWords = 0;
    int16_t ignoreShortWords = 0;
    int16_t ignoreInfrequentWords = 0;
    int16_t ignoreRepetitions = 0;
    int16_t ignoreRomanNumerals = 0;
    int16_t ignoreWordsWithoutLetters = 0;
    int16_t numbersWithCommas = 0;
    int16_t warnOnOverwrite = 0;
    int16_t saveStateOnQuit = 0;

    // Lists of the parameters window (ListIndex, -1 = nothing selected).
    int16_t shortWordIndex = 0;       // "2".."9": threshold = index + 2
    int16_t longWordIndex = 0;        // "20".."80": threshold = 20 + 10 * index
    int16_t frequencyIndex = 0;  // "2".."9": threshold = index + 2

    // Text boxes of the parameters window.
    std::string wordsToIgnoreText;
    std::string commonWordsFileText;
    std::array<std::string, 2> startComment;
    std::array<std::string, 2> endComment;
    std::string parametersFile;

    // Main window.
    bool inputIsFile = true;  // false: the clipboard is the source
    std::array<std::string, 2> fileNames;  // 0 input file, 1 output file
    int16_t outputToFileDisabled = 0;
    int16_t suppressLiveWords = 0;
    int16_t wordOrder = 0;      // 0 "by frequency", 1 "alphabetical"
    int16_t displayFormat = 0;  // 0..9, see the listing

    // Related main-window state kept with the parameters.
    std::string wordsToIgnore;   // normalised: " a b c " or empty
    std::string commonWordsFile; // path of the common-words file

    int shortWordThreshold() const { return shortWordIndex + 2; }
    int longWordThreshold() const { return 20 + 10 * longWordIndex; }
    int frequencyThreshold() const { return frequencyIndex + 2; }
};

/// The extra characters the parameters allow inside words, in this order:
/// "-", "'", "_", ":", "\\", "/", ".", "@", "0123456789".
std::string AllowedExtraChars(const Params& p);

}  // namespace kvx
