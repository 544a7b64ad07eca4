#pragma once
// The command line's host: no window, no questions (each gets the answer that
// goes on without a dialog); numbers follow the user's locale.

#include <string>

#include "shell/Host.h"

namespace kvx {

class CliHost : public Host {
public:
    CliHost();
    Answer message(std::string_view text, std::string_view title, Icon icon,
                   Buttons buttons) override;
    std::string formatGrouped(int64_t n) const override;
    std::string decimalPoint() const override { return decimalPoint_; }

private:
    std::string thousandsSep_;
    std::string decimalPoint_ = ".";
    std::string grouping_;
};

/// Applies the locale's digit grouping to a string of digits (with an optional
/// leading minus sign).
std::string GroupDigits(const std::string& digits, const std::string& grouping,
                        const std::string& separator);

}  // namespace kvx
