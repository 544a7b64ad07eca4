#include "cli/CliHost.h"

#include <clocale>
#include <climits>

namespace kvx {

CliHost::CliHost() {
    hasEventLoop = false;
    if (const lconv* lc = std::localeconv()) {
        if (lc->thousands_sep) thousandsSep_ = lc->thousands_sep;
        if (lc->grouping) grouping_ = lc->grouping;
        if (lc->decimal_point && *lc->decimal_point) decimalPoint_ = lc->decimal_point;
    }
}

Answer CliHost::message(std::string_view, std::string_view, Icon, Buttons buttons) {
    // The messages reach the user through the count's result.
    switch (buttons) {
    case Buttons::OK: return Answer::OK;
    case Buttons::OKCancel: return Answer::OK;       // go on, however slowly
    case Buttons::YesNo: return Answer::Yes;
    case Buttons::YesNoCancel: return Answer::No;    // no output-file dialog here
    }
    return Answer::OK;
}

std::string GroupDigits(const std::string& digits, const std::string& grouping,
                        const std::string& separator) {
    if (grouping.empty() || separator.empty()) return digits;
    size_t signLen = (!digits.empty() && digits[0] == '-') ? 1 : 0;
    std::string body = digits.substr(signLen);
    std::string out;
    size_t gi = 0;
    int group = static_cast<unsigned char>(grouping[0]);
    int inGroup = 0;
    for (size_t i = body.size(); i-- > 0;) {
        if (group > 0 && group != CHAR_MAX && inGroup == group) {
            out.insert(0, separator);
            inGroup = 0;
            if (gi + 1 < grouping.size()) group = static_cast<unsigned char>(grouping[++gi]);
        }
        out.insert(out.begin(), body[i]);
        ++inGroup;
    }
    return digits.substr(0, signLen) + out;
}

std::string CliHost::formatGrouped(int64_t n) const {
    return GroupDigits(std::to_string(n), grouping_, thousandsSep_);
}

}  // namespace kvx
