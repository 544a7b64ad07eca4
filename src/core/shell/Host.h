#pragma once
// The seam between the core and whatever shows it.
//
// The counting session shows everything through the Host: message boxes,
// questions, the clipboard, turns of the event loop, and what a count has
// reached as numbers and states (the window makes the labels' texts). The
// engine below the session knows no Host; it reports to the session
// (base/RunObserver.h). The desktop program implements the Host with Qt, the
// command line with fixed answers, the tests with a scripted fake.
// All texts crossing the seam are UTF-8.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "base/ResultFigures.h"

namespace kvx {

class IoFaults;

enum class Icon { None, Information, Exclamation, Critical };
enum class Buttons { OK, OKCancel, YesNo, YesNoCancel };
enum class Answer { OK, Cancel, Yes, No };

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

    // What a count has reached.
    /// The different words counted so far (common words while they are
    /// read); n < 0: the figure goes, the words are all read.
    virtual void wordsFound(int32_t /*n*/, bool /*commonWords*/) {}
    /// The figures of the result, shown in the four result labels.
    virtual void showResult(const ResultFigures&) {}
    /// The four result labels are hidden: they belong to a result given up.
    virtual void hideResult() {}
    /// The progress bar of a pass over inputs of known size, shown in place
    /// of the total: step -1 is the empty bar at the start, then step rounds
    /// width * bytes read / size (one more than width when the last line
    /// had no line break).
    virtual void scanProgress(int64_t /*step*/, int /*width*/) {}
    /// The pass ended: the total's label is a result label again, empty,
    /// and the twirler rests.
    virtual void scanEnded() {}
    /// The input file's size in bytes; none: no such file.
    virtual void inputSize(std::optional<int64_t> /*bytes*/) {}
    /// The clipboard text's length in characters; none: not known.
    virtual void clipboardSize(std::optional<int64_t> /*chars*/) {}
    /// The twirler at turn i of a listing; -1: at rest.
    virtual void turn(int64_t /*i*/) {}

    // The count command and the other controls of the main window.
    /// A count or listing runs, and the count command is its Stop button,
    /// or none runs and the command counts.
    virtual void countRunning(bool) {}
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
