#pragma once
// The Qt side of the seam: message boxes, file dialogs, the output box, the
// labels and the controls of the main window, the clipboard and the locale.
//
// Questions and dialogs go through an Asker, which the window tests replace
// with a scripted one; everything else acts on the widgets of FrmMain.

#include <QElapsedTimer>
#include <QObject>
#include <QString>
#include <QStringList>
#include <memory>
#include <string>

#include "shell/Host.h"

class QMessageBox;
class QWidget;

namespace kvx {

class FrmMain;

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
    /// Called at every yield offer, before the event loop runs (tests use it
    /// to press buttons in the middle of a count).
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

class QtHost : public Host {
public:
    explicit QtHost(FrmMain& window);
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

    /// The shortest time between two runs of the event loop from yield().
    int yieldIntervalMs = 20;
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

    void setLabel(Label which, std::string_view text) override;
    void setLabelVisible(Label which, bool visible) override;
    void repaintLabel(Label which) override;
    void setProgressBarStyle(bool asBar) override;
    void setTwirler(int i) override;

    void setCountCaption(std::string_view caption) override;
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

    /// Puts text appended since the last turn of the event loop into the box.
    void flushOutput() const;

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
    /// True when a forced repaint may run now (at most one every ~20 ms).
    bool repaintDue();

    FrmMain& w_;
    QWidget* owner_ = nullptr;
    std::unique_ptr<Asker> defaultAsker_;
    Asker* asker_;
    QElapsedTimer yieldClock_;
    uint32_t yieldOffers_ = 0;
    QElapsedTimer repaintClock_;
    QString currentFolder_;
    // Words shown as they are found arrive one at a time; they are put into
    // the box together, once per turn of the event loop or when the box is read.
    mutable QString pending_;
    mutable int64_t pendingLength_ = 0;
    mutable bool caretToEnd_ = false;
    std::unique_ptr<QObject> flushContext_;  // owns the queued flush
};

}  // namespace kvx
