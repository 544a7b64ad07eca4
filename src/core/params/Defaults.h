#pragma once
// Defaults of the parameter set, the entries of its lists and the captions of
// the check boxes of the parameters window.

#include <cstdint>
#include <string>
#include <vector>

#include "params/Params.h"

namespace kvx {

/// Puts the check boxes and the three parameter lists to their defaults.
/// chkIgnoreCommonWords, the comment-marker boxes and the texts are kept;
/// clearing blnWordsGot and loading the "C" markers are the caller's part.
void SetDefaultValues(Params& p);

/// The effect of reinitialising on the parameters: both file boxes, the words
/// to ignore, the common-words file and the parameter-file box emptied,
/// SetDefaultValues, chkSuppressWords 0, and chkDisableOutputToFile 0 since
/// the output box is now empty. Word order and display format are kept.
void InitializeParams(Params& p);

/// List entries, in list order.
const std::vector<std::string>& ShortWordSizeEntries();       // "2".."9"
const std::vector<std::string>& LongWordSizeEntries();        // "20".."80"
const std::vector<std::string>& ThresholdFrequencyEntries();  // "2".."9"
const std::vector<std::string>& WordOrderEntries();           // "by frequency", "alphabetical"
const std::vector<std::string>& DisplayFormatEntries();       // the ten listing layouts

/// A check box of the parameters window: control name, caption, value.
struct CheckBoxInfo {
    const char* name;
    const char* caption;
    int16_t Params::*member;
};

/// The 21 check boxes of the parameters window, in the order of the
/// parameter table (the order "Set checkboxes" uses is the window's).
const std::vector<CheckBoxInfo>& ParamsCheckBoxes();

}  // namespace kvx
