#pragma once
// The main window. It owns the program: the parameters, the message texts,
// the counting session and the Qt host.
//
// Start-up (Form_Load): message texts -> program strings -> defaults and
// lists -> show -> saved state -> input file check -> common-words question.
// Afterwards every control hands its event to a short handler named control
// plus event; the decisions live in kvx::CountingSession, which reaches the
// widgets back through QtHost. A count runs on a thread of its own, started
// by cmdListWords_Click, while the window goes on with its event loop; a
// second click on the same button (captioned "Stop") asks it to stop. A
// finished result (blnWordsGot) can also be saved in a table
// format ("Save listing as...") and charted (FrmChart), without counting again.

#include <QWidget>
#include <functional>
#include <memory>
#include <string>
#include <thread>

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

class FrmChart;
class FrmHelp;
class FrmParams;
class FrmPopUp;
class QtHost;

class FrmMain : public QWidget {
    Q_OBJECT
public:
    explicit FrmMain(QWidget* parent = nullptr);
    ~FrmMain() override;

    /// The whole start-up. False when the message texts could not be loaded
    /// (the critical message has been shown; the program must end).
    bool Form_Load();

    Params& params() { return params_; }
    MessageTable& texts() { return texts_; }
    CountingSession& session() { return *session_; }
    QtHost& host() { return *host_; }
    FrmHelp* help() const { return frmHelp_; }
    FrmPopUp* popUp() const { return frmPopUp_; }
    /// The chart window, once it has been opened.
    FrmChart* chart() const { return frmChart_; }

    // Program-wide strings set at start-up.
    std::string strProgramTitle;
    std::string strUserSubfolder;
    std::string strVersion;
    std::string strStateFile;

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
    bool Quitting() const { return blnQuitting_; }
    /// True from the count command until the count's thread has ended.
    bool Counting() const { return counting_; }

    // Event handlers.
    void cmdListWords_Click();
    void cmdFile_Click(int index);
    void txbFile_LostFocus(int index);
    void cmdClearFile_Click(int index);
    void optInFile_Click();
    void optOnClipboard_Click();
    void chkSuppressWords_Click();
    void chkDisableOutputToFile_Click();
    void cboWordOrder_Click();
    void cboDisplayFormat_Click();
    void cmdSetParameters_Click();
    void cmdSaveState_Click();
    void cmdClearOutput_Click();
    void cmdCopyToClipboard_Click();
    void cmdSaveListing_Click();
    void cmdChart_Click();
    void cmdHelp_Click();
    void cmdQuit_Click();
    void txbIntro_Click();
    void lblCorvaneSystems_Click();
    void lblOnlineDocumentation_Click();
    void Timer1_Timer();

    // Controls (object names are the control names).
    QRadioButton* optInFile;
    QRadioButton* optOnClipboard;
    QLineEdit* txbFile[2];
    QPushButton* cmdFile[2];
    QPushButton* cmdClearFile[2];
    QCheckBox* chkDisableOutputToFile;
    QPushButton* cmdListWords;
    QCheckBox* chkSuppressWords;
    QComboBox* cboWordOrder;
    QComboBox* cboDisplayFormat;
    QPushButton* cmdSetParameters;
    QPushButton* cmdSaveState;
    QPushButton* cmdClearOutput;
    QPushButton* cmdCopyToClipboard;
    QPushButton* cmdSaveListing;
    QPushButton* cmdChart;
    QPushButton* cmdHelp;
    QPushButton* cmdQuit;
    QLabel* lblCorvaneSystems;
    QLabel* lblOnlineDocumentation;
    QLabel* lblCV_URL;
    QPlainTextEdit* txbOutput;
    QPlainTextEdit* txbIntro;
    QFrame* Frame2;
    QLabel* lblNumberOfWords;
    QLabel* lblNumOccurrences;
    QLabel* lblTotalNumOccurrences;
    QLabel* lblNumWordsExcluded;
    QLabel* lblFilesize;
    QLabel* lblSizeOfClipboardContents;
    QLabel* lblTwirler;
    QTimer* Timer1;

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
    void SaveStateWithPopUp();
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

    Params params_;
    MessageTable texts_;
    std::unique_ptr<QtHost> host_;
    std::unique_ptr<CountingSession> session_;
    FrmHelp* frmHelp_ = nullptr;
    FrmParams* frmParams_ = nullptr;
    FrmPopUp* frmPopUp_ = nullptr;
    FrmChart* frmChart_ = nullptr;
    // The listing the output box shows (-1: none, the box changed since),
    // the last listing seen, and the parameters of the count listed.
    int64_t listingShown_ = -1;
    int64_t listingSeen_ = 0;
    Params countedWith_;
    bool blnSettingControls_ = false;
    bool blnInLostFocus_ = false;
    bool blnQuitting_ = false;
    // The count's thread, and the listings made before it began.
    std::thread worker_;
    bool counting_ = false;
    int64_t listingsBefore_ = 0;
};

}  // namespace kvx
