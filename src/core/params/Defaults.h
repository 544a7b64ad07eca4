#pragma once
// Defaults of the parameter set, the entries of its lists and the captions of
// the check boxes of the parameters window.

#include <cstdint>
#include <string>
#include <vector>

#include "params/Params.h"

namespace kvx {

/// Puts the check boxes and the three parameter lists to their defaults.
/// ignoreCommonWords, the comment-marker boxes and the texts are kept;
/// clearing wordsCounted and loading the "C" markers are the caller's part.
void SetDefaultValues(Params& p);

/// The effect of reinitialising on the parameters: both file boxes, the words
/// to ignore, the common-words file and the parameter-file box emptied,
/// SetDefaultValues, suppressLiveWords 0, and outputToFileDisabled 0 since
/// the output box is now empty. Word order and display format are kept.
void InitializeParams(Params& p);

/// The defaults of the three number lists, as list indexes: "3", "50", "2".
inline constexpr int16_t kDefaultShortWordSize = 1;
inline constexpr int16_t kDefaultLongWordSize = 3;
inline constexpr int16_t kDefaultThresholdFrequency = 0;

/// List entries, in list order.
const std::vector<std::string>& ShortWordSizeEntries();       // "2".."9"
const std::vector<std::string>& LongWordSizeEntries();        // "20".."80"
const std::vector<std::string>& ThresholdFrequencyEntries();  // "2".."9"
const std::vector<std::string>& WordOrderEntries();           // "by frequency", "alphabetical"
const std::vector<std::string>& DisplayFormatEntries();       // the ten listing layouts

/// What a change of a check box means for a count already made.
enum class BoxFamily {
    Confirm,                // the user confirms rereading the file
    ConfirmCheckChars,      // as Confirm, then the words to ignore are checked
    ConfirmCommentMarkers,  // as Confirm, but not while words are being read
    Filter,                 // only filters a finished count
    CommonWords,            // loads or drops the common words
    Output,                 // affects only the output
    MainWindow,             // a box of the main window, not of the parameters window
};

/// A check box: control name, caption, value, default (-1: kept by
/// SetDefaultValues), family, and its place in the two orders in which the
/// parameters window walks the boxes (0: not walked).
struct CheckBoxInfo {
    const char* name;
    const char* caption;
    int16_t Params::*member;
    int16_t defaultValue;
    BoxFamily family;
    int8_t setStep;      // "Set checkboxes" / "Clear checkboxes"
    int8_t defaultStep;  // SetDefaultValues
};

/// Every check box, in the order of the state file: the first
/// kBoxesBeforeReservedLine precede its reserved line, the rest follow it.
const std::vector<CheckBoxInfo>& CheckBoxes();
inline constexpr size_t kBoxesBeforeReservedLine = 18;

/// The boxes with a non-zero step, in the order of that step.
std::vector<const CheckBoxInfo*> CheckBoxesInOrder(int8_t CheckBoxInfo::*step);

}  // namespace kvx
