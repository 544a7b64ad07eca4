#pragma once
// A host for the word-table and listing tests: keeps the output box as a
// string, records labels, messages, yields and twirler turns, and answers
// questions from a queue.

#include <deque>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "shell/Host.h"
#include "text/Cp1252.h"

namespace kvx::wordstest {

class WordsTestHost : public Host {
public:
    struct Shown {
        std::string text, title;
        Icon icon;
        Buttons buttons;
    };

    std::string output;  // UTF-8
    bool caretAtEnd = false;
    int caretMoves = 0;
    std::map<Label, std::string> labels;
    std::map<Label, bool> visible;
    std::vector<std::string> numberOfWordsHistory;
    std::vector<Shown> messages;
    std::deque<Answer> answers;
    std::vector<int> twirls;
    int yields = 0;
    int paramsChangedCalls = 0;
    std::function<void()> onYield;

    Answer message(std::string_view text, std::string_view title, Icon icon, Buttons buttons) override {
        messages.push_back({std::string(text), std::string(title), icon, buttons});
        if (answers.empty()) return buttons == Buttons::YesNo ? Answer::Yes : Answer::OK;
        Answer a = answers.front();
        answers.pop_front();
        return a;
    }
    void yield() override {
        ++yields;
        if (onYield) onYield();
    }
    int64_t outputLength() const override { return int64_t(text::utf8Length(output)); }
    std::string outputText() const override { return output; }
    void setOutputText(std::string_view t) override { output = std::string(t); }
    void appendOutputText(std::string_view t) override { output += t; }
    void setOutputCaret(bool atEnd) override {
        caretAtEnd = atEnd;
        ++caretMoves;
    }
    void setLabel(Label l, std::string_view t) override {
        labels[l] = std::string(t);
        if (l == Label::NumberOfWords) numberOfWordsHistory.emplace_back(t);
    }
    void setLabelVisible(Label l, bool v) override { visible[l] = v; }
    void setTwirler(int i) override { twirls.push_back(i); }
    void paramsChanged() override { ++paramsChangedCalls; }
};

}  // namespace kvx::wordstest
