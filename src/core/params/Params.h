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
    int16_t chkCaseSignificant = 0;
    int16_t chkAllowWordsWithApostrophes = 0;
    int16_t chkAllowWordsWithHyphens = 0;
    int16_t chkAllowWordsWithUnderscores = 0;
    int16_t chkAllowWordsWithColons = 0;
    int16_t chkAllowWordsWithBackslashes = 0;
    int16_t chkAllowWordsWithForwardslashes = 0;
    int16_t chkAllowWordsWithPeriods = 0;
    int16_t chkAllowWordsWithAtSigns = 0;
    int16_t chkAllowWordsWithNumerals = 0;
    int16_t chkDropFinalS = 0;
    int16_t chkAllowCommentMarkers = 0;
    int16_t chkIgnoreCommonWords = 0;
    int16_t chkIgnoreShortWords = 0;
    int16_t chkIgnoreInfrequentWords = 0;
    int16_t chkIgnoreRepetitions = 0;
    int16_t chkIgnoreRomNum40 = 0;
    int16_t chkIgnoreNoLetter = 0;
    int16_t chkOutputWithCommas = 0;
    int16_t chkWarnOnOverwrite = 0;
    int16_t chkSaveStateOnQuit = 0;

    // Lists of the parameters window (ListIndex, -1 = nothing selected).
    int16_t cboShortWordSize = 0;       // "2".."9": threshold = index + 2
    int16_t cboLongWordSize = 0;        // "20".."80": threshold = 20 + 10 * index
    int16_t cboThresholdFrequency = 0;  // "2".."9": threshold = index + 2

    // Text boxes of the parameters window.
    std::string txbWordsToIgnore;
    std::string txbCommonWordsFile;
    std::array<std::string, 2> txbStartComment;
    std::array<std::string, 2> txbEndComment;
    std::string txbParametersFile;

    // Main window.
    bool optInFile = true;  // false: the clipboard is the source
    std::array<std::string, 2> txbFile;  // 0 input file, 1 output file
    int16_t chkDisableOutputToFile = 0;
    int16_t chkSuppressWords = 0;
    int16_t cboWordOrder = 0;      // 0 "by frequency", 1 "alphabetical"
    int16_t cboDisplayFormat = 0;  // 0..9, see the listing

    // Related main-window state kept with the parameters.
    std::string strWordsToIgnore;   // normalised: " a b c " or empty
    std::string strCommonWordsFile; // path of the common-words file

    int shortWordThreshold() const { return cboShortWordSize + 2; }
    int longWordThreshold() const { return 20 + 10 * cboLongWordSize; }
    int frequencyThreshold() const { return cboThresholdFrequency + 2; }
};

/// The extra characters the parameters allow inside words, in this order:
/// "-", "'", "_", ":", "\\", "/", ".", "@", "0123456789".
std::string AllowedExtraChars(const Params& p);

}  // namespace kvx
