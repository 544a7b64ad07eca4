#pragma once
// A Host that records every message box and answers OK.

#include <string>
#include <vector>

#include "shell/Host.h"

namespace kvx::testing {

struct RecordedMessage {
    std::string text, title;
    Icon icon;
    Buttons buttons;
};

class RecordingHost : public Host {
public:
    Answer message(std::string_view text, std::string_view title, Icon icon,
                   Buttons buttons) override {
        messages.push_back({std::string(text), std::string(title), icon, buttons});
        return Answer::OK;
    }
    std::string formatGrouped(int64_t n) const override {
        std::string digits = std::to_string(n < 0 ? -n : n), out;
        for (size_t i = 0; i < digits.size(); ++i) {
            if (i > 0 && (digits.size() - i) % 3 == 0) out += ',';
            out += digits[i];
        }
        return n < 0 ? "-" + out : out;
    }
    std::vector<RecordedMessage> messages;
};

}  // namespace kvx::testing
