#pragma once
// The one scripted host of the tests: records every message, answers from a
// queue, keeps the output box as a string and records what the labels would
// show (as numbers) and the yields.

#include <deque>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "shell/Host.h"
#include "text/Cp1252.h"

namespace kvx::test {

struct Shown {
    std::string text, title;
    Icon icon;
    Buttons buttons;
};

class FakeHost : public Host {
public:
    std::vector<Shown> messages;
    /// Answers in order; when empty a question counts as unexpected and gets
    /// OK, No or Cancel.
    std::deque<Answer> answers;
    int unexpected = 0;
    std::string output;  // UTF-8
    std::string everShown;  // all the box was given, in order
    bool caretAtEnd = false;
    std::vector<int64_t> barSteps;  // the progress bar's steps, -1 its start
    bool scanning = false;          // a bar shown and its pass not ended
    std::vector<std::pair<int32_t, bool>> found;  // wordsFound: the number, common words
    bool resultShown = false;       // the result labels
    int64_t twirler = -2;           // the last turn
    int yields = 0;
    int paramsChangedCalls = 0;
    bool controlsEnabled = false, countEnabled = false;
    std::function<void()> onYield;
    std::string clipboard;  // UTF-8
    std::string folder;     // the file dialogs' current folder
    std::string dialogFolder;  // the folder the last file-open dialog was asked to open in

    Answer message(std::string_view text, std::string_view title, Icon icon, Buttons buttons) override {
        messages.push_back({std::string(text), std::string(title), icon, buttons});
        if (!answers.empty()) {
            Answer a = answers.front();
            answers.pop_front();
            return a;
        }
        ++unexpected;
        return buttons == Buttons::OK ? Answer::OK : buttons == Buttons::YesNo ? Answer::No : Answer::Cancel;
    }
    std::vector<std::string> titles() const {
        std::vector<std::string> t;
        for (const Shown& s : messages) t.push_back(s.title);
        return t;
    }
    void yield() override {
        ++yields;
        if (onYield) onYield();
    }
    int64_t outputLength() const override { return int64_t(text::utf8Length(output)); }
    std::string outputText() const override { return output; }
    void setOutputText(std::string_view t) override { output = std::string(t), everShown += t; }
    void appendOutputText(std::string_view t) override { output += t, everShown += t; }
    void setOutputCaret(bool atEnd) override { caretAtEnd = atEnd; }
    void scanProgress(int64_t step, int) override { barSteps.push_back(step), scanning = true; }
    void scanEnded() override { scanning = false; }
    void wordsFound(int32_t n, bool common) override { found.emplace_back(n, common); }
    void showResult(const ResultFigures&) override { resultShown = true; }
    void hideResult() override { resultShown = false; }
    void turn(int64_t i) override { twirler = i; }
    void paramsChanged() override { ++paramsChangedCalls; }
    void enableControls(bool on) override { controlsEnabled = on; }
    void setCountEnabled(bool on) override { countEnabled = on; }
    std::string clipboardText() override { return clipboard; }
    void setCurrentFolder(const std::string& f) override { folder = f; }
    std::string openFileDialog(std::string_view, std::string_view, std::string_view in) override {
        dialogFolder = std::string(in);
        return {};  // cancelled
    }
    std::string formatGrouped(int64_t n) const override {
        std::string s = std::to_string(n);
        for (int i = int(s.size()) - 3; i > (n < 0 ? 1 : 0); i -= 3) s.insert(size_t(i), ",");
        return s;
    }
};

}  // namespace kvx::test
