#pragma once
// The command line's host: no window, no questions. Messages are kept so that
// a refusal can be reported on standard error; numbers follow the user's locale.

#include <string>
#include <vector>

#include "shell/Host.h"

namespace kvx {

class CliHost : public Host {
public:
    CliHost();
    Answer message(std::string_view text, std::string_view title, Icon icon,
                   Buttons buttons) override;
    std::string formatGrouped(int64_t n) const override;
    std::string decimalPoint() const override { return decimalPoint_; }

    // The output box is only kept for the no-words message.
    int64_t outputLength() const override { return static_cast<int64_t>(output_.size()); }
    std::string outputText() const override { return output_; }
    void setOutputText(std::string_view t) override { output_ = t; }
    void appendOutputText(std::string_view t) override { output_ += t; }

    /// The last message shown with an OK button only (a refusal or a notice).
    const std::string& lastMessage() const { return last_; }
    /// The errors the count went on after (invalid comment markers).
    const std::vector<std::string>& warnings() const { return warnings_; }

private:
    std::string last_;
    std::vector<std::string> warnings_;
    std::string output_;
    std::string thousandsSep_;
    std::string decimalPoint_ = ".";
    std::string grouping_;
};

/// Applies the locale's digit grouping to a string of digits (with an optional
/// leading minus sign).
std::string GroupDigits(const std::string& digits, const std::string& grouping,
                        const std::string& separator);

}  // namespace kvx
