#pragma once
// The main window. It owns the program: the parameters, the message texts,
// the counting session and the Qt host.
//
// Start-up (StartUp): message texts -> program strings -> defaults and
// lists -> show -> saved state -> input file check -> common-words question.
// Afterwards every control hands its event to a short handler named control
// plus event; the decisions live in kvx::CountingSession, which reaches the
// widgets back through QtHost. A count runs on a thread of its own, started
// by StartOrStopCount, while the window goes on with its event loop; a
// second click on the same button (captioned "Stop") asks it to stop. A
// finished result (wordsCounted) can also be saved in a table
// format ("Save listing as...") and charted (ChartWindow), without counting again.

#include <QTextCursor>
#include <QWidget>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "counting/CountingSession.h"
#include "params/Params.h"
#include "shell/MessageTable.h"

class QCheckBox;
class QComboBox;
class QFrame;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QRadioButton;
class QTimer;
class QUrl;

namespace kvx {

class ChartWindow;
class HelpWindow;
class KeywordsWindow;
class ContextsWindow;
class ParamsWindow;
class PopUpWindow;
class QtHost;
struct CorpusChoice;
class CorpusLister;

class MainWindow : public QWidget {
    Q_OBJECT
public:
    explicit MainWindow(QWidget* parent = nullptr);
    ~MainWindow() override;

    /// The whole start-up. False when the message texts could not be loaded
    /// (the critical message has been shown; the program must end).
    bool StartUp();

    Params& params() { return params_; }
    MessageTable& texts() { return texts_; }
    CountingSession& session() { return *session_; }
    QtHost& host() { return *host_; }
    HelpWindow* help() const { return helpWindow_; }
    PopUpWindow* popUp() const { return popUpWindow_; }
    /// The chart window, once it has been opened.
    ChartWindow* chart() const { return chartWindow_; }

    // Program-wide strings set at start-up.
    std::string programTitle;
    std::string userSubfolder;
    std::string versionText;
    std::string stateFile;

    /// How long the saved-state pop-up stays (tests set 0).
    int popUpInterval = 2000;
    /// Shows the parameters window (set by whoever owns it).
    std::function<void()> showParameters;
    /// Opens a web address; false when it could not be handed over.
    std::function<bool(const QUrl&)> openUrl;
    /// Ends the program (default: quits the application's event loop).
    std::function<void()> endProgram;

    /// "1.0" -> "1.07": major, ".", minor, then the digit 7.
    static std::string VersionText(const std::string& version);

    // Public methods the other windows and the host call.
    void SetTheFocus();
    void EnableControls(bool enabled);
    void EnableOutputFileControls();
    /// "Save listing as..." and "Chart" are usable while the output box shows
    /// the listing of a finished result and the parameters still match it; an
    /// open chart follows the last listing and is emptied when there is none.
    void RefreshResultCommands();
    /// Writes the parameter values into the widgets without firing handlers.
    void ParamsToControls();
    void InitializeVariables();
    void FillComboBoxes();
    void PopUp(const QString& message, int width, int height, int interval, int top, int left);
    void RequestWebPage(const std::string& url);
    /// Takes a file dropped on the window or named on the command line: a
    /// ".kvx" file as parameters, any other as the input file. A relative
    /// name is taken from the current folder.
    void OpenFile(const QString& path);
    bool Quitting() const { return quitting_; }
    /// True from the count command until the count's thread has ended.
    bool Counting() const { return counting_; }

    // Event handlers.
    void StartOrStopCount();
    void ChooseFile(int index);
    /// "Corpus...": several files, or folders filtered by extension, as the source.
    void ChooseCorpus();
    /// Makes the corpus the source once its files are listed in the
    /// background (a message, nothing changed, when it holds no file to
    /// count); a corpus given meanwhile, or another input file, replaces it.
    void TakeCorpus(const CorpusChoice& corpus);
    /// True while the files of a corpus given are being listed.
    bool ListingCorpus() const;
    /// The files of the corpus in force, in the order counted; empty: none.
    const std::vector<std::string>& CorpusFiles() const { return corpusFiles_; }
    void FileNameEdited(int index);
    void ClearFileName(int index);
    void FileSourceChosen();
    void ClipboardSourceChosen();
    void SuppressLiveWordsToggled();
    void OutputToFileToggled();
    void WordOrderChanged();
    void DisplayFormatChanged();
    void ShowParameters();
    void SaveStateNow();
    void ClearOutput();
    void CopyListingToClipboard();
    void SaveListing();
    void ShowChart();
    /// "Compare with...": asks for a reference (a text, counts files or a
    /// corpus), counts it under the same rules in the background and shows
    /// the keywords of the result against it.
    void CompareWith();
    /// Compares the result with a reference: a text, counts files or a corpus.
    void CompareWith(const CorpusChoice& reference);
    /// The keywords window, once it has been opened.
    KeywordsWindow* keywords() const { return keywordsWindow_; }
    /// The listed word (UTF-8) on the output box's row at cursor, "" when
    /// the row holds none or the box is not the listing.
    QString ListedWordAt(const QTextCursor& cursor);
    /// Opens the contexts window on a listed word (double-click, Enter or
    /// "Contexts" in the output box); a word not listed gets a message.
    void ShowContexts(const QString& word);
    /// The contexts window, once it has been opened.
    ContextsWindow* contexts() const { return contextsWindow_; }
    void ShowHelp();
    void Quit();
    void IntroClicked();
    void OpenAboutPage();
    void OpenManual();
    void TimerTick();

    // Controls (object names are the control names).
    QRadioButton* fileSourceButton;
    QRadioButton* clipboardSourceButton;
    QLineEdit* fileNameBoxes[2];
    QPushButton* fileButtons[2];
    QPushButton* clearFileButtons[2];
    QPushButton* corpusButton;
    QCheckBox* disableOutputBox;
    QPushButton* countButton;
    QCheckBox* suppressWordsBox;
    QComboBox* wordOrderList;
    QComboBox* displayFormatList;
    QPushButton* setParametersButton;
    QPushButton* saveStateButton;
    QPushButton* clearOutputButton;
    QPushButton* copyToClipboardButton;
    QPushButton* saveListingButton;
    QPushButton* chartButton;
    QPushButton* compareButton;
    QPushButton* helpButton;
    QPushButton* quitButton;
    QLabel* aboutLink;
    QLabel* manualLink;
    QLabel* siteLabel;
    QPlainTextEdit* outputBox;
    QPlainTextEdit* introBox;
    QFrame* Frame2;
    QLabel* wordCountLabel;
    QLabel* occurrencesLabel;
    QLabel* totalOccurrencesLabel;
    QLabel* wordsExcludedLabel;
    QLabel* fileSizeLabel;
    QLabel* clipboardSizeLabel;
    QLabel* twirlerLabel;
    QTimer* timer;

signals:
    /// The parameter values were written back into the controls.
    void paramsRefreshed();
    /// A count started by the count command has ended, its thread joined.
    void countEnded();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    void BuildControls();
    void BuildShortcuts();
    /// The non-focus half of SetTheFocus: twirler blank, "Clear" buttons.
    void RefreshFileButtons();
    /// The input or output file chosen (empty: none), as the dialog hands it.
    void TakeFileName(int index, const QString& name);
    void SaveWindowGeometry();
    void ConnectHandlers();
    void SetWindowCaption();
    void SetUpCopyAndOutputControls();
    void PlaceWindow();
    void LoadCommonWordsAtStartUp();
    void SaveStateWithPopUp(const Params& p);
    /// A finished result, listed in the output box as it stands, counted with
    /// the parameters now set, and no count running.
    bool ResultReady() const;
    /// Hands the chart window the chart of the result as now listed.
    void UpdateChart();
    void SelectOptInFile();
    void SelectOptOnClipboard();
    void ShowClipboardSize(int64_t n);
    /// The count's thread ended: joins it and gives the window back.
    void CountEnded();
    /// Back to the file named in the input box as the source.
    void DropCorpus();
    /// Makes the corpus listed the source; false when it has no files.
    bool TakeListedCorpus(const CorpusChoice& corpus, std::vector<std::string> files, qint64 bytes);
    /// Shows that the files of a corpus are being listed, or no longer.
    void ShowListing(bool listing, const QString& name = {});

    Params params_;
    MessageTable texts_;
    std::unique_ptr<QtHost> host_;
    std::unique_ptr<CountingSession> session_;
    HelpWindow* helpWindow_ = nullptr;
    ParamsWindow* paramsWindow_ = nullptr;
    PopUpWindow* popUpWindow_ = nullptr;
    ChartWindow* chartWindow_ = nullptr;
    KeywordsWindow* keywordsWindow_ = nullptr;
    ContextsWindow* contextsWindow_ = nullptr;
    // The listing the output box shows (-1: none, the box changed since),
    // the last listing seen, and the parameters of the count listed.
    int64_t listingShown_ = -1;
    int64_t listingSeen_ = 0;
    Params countedWith_;
    bool settingControls_ = false;
    bool checkingEdit_ = false;
    bool quitting_ = false;
    // The count's thread, and the listings made before it began.
    std::thread worker_;
    bool counting_ = false;
    int64_t listingsBefore_ = 0;
    // Quit while a count runs: the state is saved once its thread is joined,
    // with the parameters as they were when the count took up the quit.
    bool saveStateAtEnd_ = false;
    std::optional<Params> paramsAtQuit_;
    // The corpus in force: its files, and the box shows its size instead of
    // the first file's name, which the parameters hold.
    std::vector<std::string> corpusFiles_;
    CorpusLister* corpusLister_;
    QString labelBeforeListing_;
    bool countWhenListed_ = false;  // the count command came while the corpus was listed
};

}  // namespace kvx
