#pragma once
// The Qt side of the seam: message boxes, file dialogs, the output box, the
// labels and the controls of the main window, the clipboard and the locale.
// What the core reports as numbers and states it turns into the labels' and
// the count command's texts (the texts themselves: WindowTexts.h).
//
// Questions and dialogs go through an Asker, which the window tests replace
// with a scripted one; everything else acts on the widgets of MainWindow.

#include <QElapsedTimer>
#include <QObject>
#include <QString>
#include <QStringList>
#include <atomic>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "shell/Host.h"

class QLabel;
class QMessageBox;
class QTimer;
class QWidget;

namespace kvx {

class MainWindow;

/// Answers the program's questions. The default shows real dialogs.
class Asker {
public:
    virtual ~Asker() = default;
    /// A message box with the given title, icon and buttons; the button pressed.
    virtual Answer message(QWidget* parent, const QString& text, const QString& title, Icon icon,
                           Buttons buttons);
    /// A file-open dialog; "" when cancelled. The filter is "description | pattern".
    virtual QString openFileDialog(QWidget* parent, const QString& title, const QString& filter,
                                   const QString& folder);
    /// A dialog that names a file that need not exist yet; "" when cancelled.
    /// Filters go in Qt's form, several joined by ";;"; the one chosen is put
    /// in selectedFilter when given.
    virtual QString saveFileDialog(QWidget* parent, const QString& title, const QString& filter,
                                   const QString& folder, QString* selectedFilter);
    /// A Yes/No question with a "Don't ask again" box; `silence` tells
    /// whether the box was ticked.
    virtual Answer question(QWidget* parent, const QString& text, const QString& title,
                            bool& silence);
    /// Called at every yield offer, on the thread that counts, before a stop
    /// asked for is taken up (tests use it to press buttons in the middle of
    /// a count).
    virtual void yielded() {}
};

/// Turns a "description | pattern" filter into Qt's "description (pattern)".
QString QtFilter(const QString& filter);

/// The file type a save dialog's answer names, as an index into suffixes
/// ("csv", ...): the file's own suffix when it is one of them, else the type
/// of the chosen filter (the first "*.suffix" it names, else the first type),
/// whose suffix is then appended to path.
int ChosenFileType(QString& path, const QString& chosenFilter, const QStringList& suffixes);

/// The message box for a question: its lines break only where the text
/// breaks, the box widening instead (up to the limit Qt sets by the screen).
std::unique_ptr<QMessageBox> MakeMessageBox(QWidget* parent, const QString& text,
                                            const QString& title, Icon icon, Buttons buttons);

/// Every method may be called from the thread that counts as well as from
/// the window's own: there, what changes the window is handed to the
/// window's thread in order. Labels, the twirler and the words shown as found
/// are applied together every 50 ms, keeping only the latest text of each
/// label; questions and whatever returns a value wait for the window's thread.
class QtHost : public Host {
public:
    explicit QtHost(MainWindow& window);
    ~QtHost() override;

    /// Replaces the asker (not owned; nullptr restores the default one).
    void setAsker(Asker* asker);
    Asker& asker() const { return *asker_; }

    /// While one lives, questions and file dialogs belong to `window`: the
    /// window whose action raised them stays in front with them.
    class Owner {
    public:
        Owner(QtHost& host, QWidget* window) : host_(host), previous_(host.owner_) {
            host.owner_ = window;
        }
        ~Owner() { host_.owner_ = previous_; }
        Owner(const Owner&) = delete;
        Owner& operator=(const Owner&) = delete;

    private:
        QtHost& host_;
        QWidget* previous_;
    };
    /// The window that owns questions now (the main window unless an Owner says otherwise).
    QWidget* owner() const;

    /// How often updates from the counting thread reach the window.
    int updateIntervalMs = 50;
    Answer message(std::string_view text, std::string_view title, Icon icon,
                   Buttons buttons) override;
    void yield() override;
    /// A Yes/No question the user can silence: answered with "Don't ask
    /// again" ticked, that answer is given without asking from then on. It is
    /// kept in the program's settings under `key`, not in the state file.
    Answer askUnlessSilenced(const QString& key, std::string_view text, std::string_view title);

    int64_t outputLength() const override;
    std::string outputText() const override;
    void setOutputText(std::string_view text) override;
    void appendOutputText(std::string_view text) override;
    void setOutputCaret(bool atEnd) override;
    void repaintOutput() override;

    void wordsFound(int32_t n, bool commonWords) override;
    void showResult(const ResultFigures& figures) override;
    void hideResult() override;
    void scanProgress(int64_t step, int width) override;
    void scanEnded() override;
    void inputSize(std::optional<int64_t> bytes) override;
    void clipboardSize(std::optional<int64_t> chars) override;
    void turn(int64_t i) override;

    void countRunning(bool running) override;
    void setCountEnabled(bool enabled) override;
    void repaintCount() override;
    void enableControls(bool enabled) override;
    void repaintWindow() override;
    void paramsChanged() override;

    void chooseOutputFile() override;
    void setTheFocus() override;
    void showParametersWindow() override;
    void showMainWindow() override;
    std::string openFileDialog(std::string_view title, std::string_view filter,
                               std::string_view folder) override;
    void setCurrentFolder(const std::string& folder) override;
    const QString& currentFolder() const { return currentFolder_; }

    std::string clipboardText() override;
    void setClipboardText(std::string_view text) override;

    std::string formatGrouped(int64_t n) const override;
    std::string decimalPoint() const override;

    /// Applies what the counting thread changed in the window so far.
    void flushOutput() const;

    // The counting thread (window's thread only).
    /// A count starts on another thread: updates from it are applied from now on.
    void beginWork();
    /// It ended (its thread is joined): the last updates are applied.
    void endWork();
    /// "Stop" pressed: the count takes it up at its next yield.
    void requestStop() { stopRequested_ = true; }
    /// Quit: while a count runs, it winds down answering every question as
    /// the program does when quitting; otherwise quitting is set at once.
    void requestQuit();
    /// The window goes away: the counting thread's calls return at once
    /// (questions get their quitting answers), so that it can be joined.
    void detach();
    /// suppressWordsBox changed while a count runs: it takes it up at its next yield.
    void requestSuppressWords(int16_t value) { suppressRequested_ = value; }
    /// Called on the counting thread as it takes up a quit, before any
    /// question gets its quitting answer (the window keeps the parameters then).
    std::function<void()> quitTakenUp;

    /// A save-style dialog, through the asker (see Asker::saveFileDialog).
    QString saveFileDialog(const QString& title, const QString& filter,
                           QString* selectedFilter = nullptr);
    /// A save dialog for a file of one of several types (Qt filters joined by
    /// ";;", in the order of suffixes), offering the type chosen last time:
    /// the name with its suffix, its type in `type` (see ChosenFileType), or
    /// "" when cancelled or when replacing an existing file was refused.
    QString saveFileAs(const QString& title, const QString& filter, const QStringList& suffixes,
                       int& type);

private:
    /// The labels of the main window the core's reports change.
    enum class Label {
        NumberOfWords,        // wordCountLabel
        NumWordsExcluded,     // wordsExcludedLabel
        NumOccurrences,       // occurrencesLabel
        TotalNumOccurrences,  // totalOccurrencesLabel (also the progress bar)
        SizeOfClipboardContents,
        Filesize,
        Twirler,              // twirlerLabel
    };
    QLabel* labelOf(Label which) const;
    void setLabel(Label which, std::string_view text);
    void setLabelVisible(Label which, bool visible);
    void repaintLabel(Label which);
    /// totalOccurrencesLabel as the progress bar (fixed font, bold, left) or
    /// as the result label (the labels' font, right-aligned).
    void setProgressBarStyle(bool asBar);
    void setCountCaption(std::string_view caption);

    /// True on a thread other than the window's.
    bool offThread() const { return std::this_thread::get_id() != guiThread_; }
    // What the counting thread hands over. Updates of one kind (a label's
    // text, the twirler, words appended...) given since the last update of
    // another kind are merged into one, the latest text winning (appended
    // text adding up).
    enum Kind { kLabelText = 0, kLabelShown = 8, kTwirler = 16, kAppend, kCaret, kKinds, kOrdered = -1 };
    struct Update {
        int kind;
        QString text;
        std::function<void(const QString&)> apply;
    };
    void post(int kind, QString text, std::function<void(const QString&)> apply);
    /// Runs f on the window's thread after the updates before it and waits
    /// for its value; `whenDetached` once the window is going away.
    template <class R>
    R onWindowThread(std::function<R()> f, R whenDetached);
    void onWindowThread(std::function<void()> f);
    /// Takes up a quit asked for from the window's thread (counting thread).
    bool takeUpQuit();
    void insertOutput(const QString& text) const;

    MainWindow& w_;
    QWidget* owner_ = nullptr;
    std::unique_ptr<Asker> defaultAsker_;
    Asker* asker_;
    QString currentFolder_;
    std::thread::id guiThread_;
    std::unique_ptr<QObject> context_;  // lives on the window's thread: the timer, the calls
    QTimer* timer_;                     // applies the updates while a count runs

    mutable std::mutex mutex_;
    std::condition_variable called_;
    mutable std::vector<Update> updates_;
    mutable int latest_[kKinds];  // index in updates_ of the last update of each kind, -1: none
    bool detached_ = false;
    // The output box's length as the counting thread has made it, so that
    // reading it needs no wait for the window's thread.
    int64_t mirroredLength_ = 0;
    bool working_ = false;
    std::atomic<bool> stopRequested_{false};
    std::atomic<bool> quitRequested_{false};
    std::atomic<int> suppressRequested_{-1};
};

}  // namespace kvx
