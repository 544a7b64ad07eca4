#include "params/Params.h"

namespace kvx {

std::string AllowedExtraChars(const Params& p) {
    std::string s;
    if (p.chkAllowWordsWithHyphens == 1) s += "-";
    if (p.chkAllowWordsWithApostrophes == 1) s += "'";
    if (p.chkAllowWordsWithUnderscores == 1) s += "_";
    if (p.chkAllowWordsWithColons == 1) s += ":";
    if (p.chkAllowWordsWithBackslashes == 1) s += "\\";
    if (p.chkAllowWordsWithForwardslashes == 1) s += "/";
    if (p.chkAllowWordsWithPeriods == 1) s += ".";
    if (p.chkAllowWordsWithAtSigns == 1) s += "@";
    if (p.chkAllowWordsWithNumerals == 1) s += "0123456789";
    return s;
}

}  // namespace kvx
