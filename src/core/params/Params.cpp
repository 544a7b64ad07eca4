#include "params/Params.h"

namespace kvx {

std::string AllowedExtraChars(const Params& p) {
    std::string s;
    if (p.allowHyphens == 1) s += "-";
    if (p.allowApostrophes == 1) s += "'";
    if (p.allowUnderscores == 1) s += "_";
    if (p.allowColons == 1) s += ":";
    if (p.allowBackslashes == 1) s += "\\";
    if (p.allowForwardSlashes == 1) s += "/";
    if (p.allowPeriods == 1) s += ".";
    if (p.allowAtSigns == 1) s += "@";
    if (p.allowNumerals == 1) s += "0123456789";
    return s;
}

}  // namespace kvx
