#pragma once
// The seam between the core and whatever shows it.
//
// The counting session shows everything through the Host: message boxes,
// questions, the clipboard, turns of the event loop, labels. The engine below
// the session knows no Host; it reports to the session (base/RunObserver.h).
// The desktop program implements the Host with Qt, the command line with
// fixed answers, the tests with a scripted fake.
// All texts crossing the seam are UTF-8.

#include <cstdint>
#include <string>
#include <string_view>

namespace kvx {

class IoFaults;

enum class Icon { None, Information, Exclamation, Critical };
enum class Buttons { OK, OKCancel, YesNo, YesNoCancel };
enum class Answer { OK, Cancel, Yes, No };

/// Labels of the main window that the core writes.
enum class Label {
    NumberOfWords,        // wordCountLabel
    NumWordsExcluded,     // wordsExcludedLabel
    NumOccurrences,       // occurrencesLabel
    TotalNumOccurrences,  // totalOccurrencesLabel (also the progress bar)
    SizeOfClipboardContents,
    Filesize,
    Twirler,              // twirlerLabel
};

class Host {
public:
    virtual ~Host() = default;

    /// A message box; returns the button pressed.
    virtual Answer message(std::string_view text, std::string_view title, Icon icon,
                           Buttons buttons) = 0;
    /// A question that, while the program quits, is not shown and gets
    /// `whenQuitting`, the answer that ends the work at hand.
    Answer ask(std::string_view text, std::string_view title, Icon icon, Buttons buttons,
               Answer whenQuitting) {
        return quitting ? whenQuitting : message(text, title, icon, buttons);
    }
    /// Set while the program quits: no question is shown, and one without an
    /// answer of its own for quitting gets the cautious one (OK, Cancel, No).
    bool quitting = false;

    /// Offers the event loop a chance to run (after every word, every listed
    /// record...). Implementations throttle this themselves.
    virtual void yield() {}
    /// False for a host without an event loop: a count then does not offer
    /// it a turn after every word or listed line.
    bool hasEventLoop = true;

    // The output text box outputBox. Lengths are in characters.
    virtual int64_t outputLength() const { return 0; }
    virtual std::string outputText() const { return {}; }
    virtual void setOutputText(std::string_view) {}
    virtual void appendOutputText(std::string_view) {}
    /// Puts the caret at the start (false) or the end (true) of the text.
    virtual void setOutputCaret(bool /*atEnd*/) {}
    virtual void repaintOutput() {}

    // Labels.
    virtual void setLabel(Label, std::string_view) {}
    virtual void setLabelVisible(Label, bool) {}
    virtual void repaintLabel(Label) {}
    /// totalOccurrencesLabel as the progress bar (Courier bold, left) or
    /// as the result label (Arial, right-aligned).
    virtual void setProgressBarStyle(bool /*asBar*/) {}
    /// Shows twirler character i (0..3) in twirlerLabel.
    virtual void setTwirler(int /*i*/) {}

    // The count command and the other controls of the main window.
    virtual void setCountCaption(std::string_view) {}
    virtual void setCountEnabled(bool) {}
    virtual void repaintCount() {}
    /// EnableControls: every command but Quit, the count command and
    /// suppressLiveWords.
    virtual void enableControls(bool) {}
    virtual void repaintWindow() {}
    /// The parameter values changed from the core's side (a check box set
    /// during a count, a list index restored...): refresh the controls.
    virtual void paramsChanged() {}

    /// Runs the output-file chooser (ChooseFile with index 1).
    virtual void chooseOutputFile() {}
    /// SetTheFocus: focus back to the main window's default control.
    virtual void setTheFocus() {}
    /// Shows the parameters window (modeless).
    virtual void showParametersWindow() {}
    /// Shows the main window (the common-words file may load before it is shown).
    virtual void showMainWindow() {}
    /// A file-open dialog opening in folder (the current folder when empty);
    /// returns the chosen path, "" when cancelled.
    virtual std::string openFileDialog(std::string_view /*title*/, std::string_view /*filter*/,
                                       std::string_view /*folder*/) {
        return {};
    }
    /// The folder the next file dialog opens in.
    virtual void setCurrentFolder(const std::string&) {}

    // Clipboard, plain text.
    virtual std::string clipboardText() { return {}; }
    virtual void setClipboardText(std::string_view) {}

    /// A whole number with the user's digit grouping ("12,234,884").
    virtual std::string formatGrouped(int64_t n) const { return std::to_string(n); }
    /// The user's decimal sign.
    virtual std::string decimalPoint() const { return "."; }
    /// A number with `decimals` decimals and the user's grouping and decimal
    /// sign: the whole part through formatGrouped, the decimals after
    /// decimalPoint.
    std::string formatGroupedDecimals(double x, int decimals) const;

    /// Simulated failures of the file reads and writes of a count (tests
    /// only; null in the program).
    IoFaults* ioFaults() const { return ioFaults_; }
    void setIoFaults(IoFaults* faults) { ioFaults_ = faults; }

private:
    IoFaults* ioFaults_ = nullptr;
};

}  // namespace kvx
