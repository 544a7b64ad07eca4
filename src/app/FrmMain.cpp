#include "FrmMain.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QDesktopServices>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QKeySequence>
#include <QMimeData>
#include <QSettings>
#include <QShortcut>
#include <QTextDocument>
#include <QFontDatabase>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QTimer>
#include <QUrl>
#include <QVBoxLayout>
#include <tuple>

#include "FrmChart.h"
#include "FrmHelp.h"
#include "FrmParams.h"
#include "FrmPopUp.h"
#include "QtHost.h"
#include "QtUtil.h"
#include "base/Folder.h"
#include "base/Version.h"
#include "files/FileProc.h"
#include "params/Defaults.h"
#include "scanning/StrProcLists.h"
#include "state/StateFile.h"
#include "words/ChartData.h"

namespace kvx {
namespace {

template <class W>
W* Named(W* w, const char* name) {
    w->setObjectName(QString::fromLatin1(name));
    return w;
}

void FillList(QComboBox* box, const std::vector<std::string>& entries) {
    box->clear();
    for (const std::string& e : entries) box->addItem(Q(e));
}

}  // namespace

std::string FrmMain::VersionText(const std::string& version) { return kvx::VersionText(version); }

FrmMain::FrmMain(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("frmMain"));
    host_ = std::make_unique<QtHost>(*this);
    session_ = std::make_unique<CountingSession>(params_, *host_, texts_);
    // A large file is counted on every core, in pieces of kvx-count's size.
    session_->SetJobs(int(std::max(1u, std::thread::hardware_concurrency())));
    openUrl = [](const QUrl& url) { return QDesktopServices::openUrl(url); };
    endProgram = [] { QCoreApplication::quit(); };
    BuildControls();
    ConnectHandlers();
    BuildShortcuts();
    setAcceptDrops(true);
    frmHelp_ = new FrmHelp(this, [this] { SetTheFocus(); });
    frmPopUp_ = new FrmPopUp(this);
    // The parameters window exists from the start: its controls hold parameters.
    frmParams_ = new FrmParams(*this);
}

FrmMain::~FrmMain() {
    if (!worker_.joinable()) return;
    // Closed in the middle of a count: it winds down without the window.
    host_->detach();
    worker_.join();
}

// ---------------------------------------------------------------------------
// Controls

void FrmMain::BuildControls() {
    auto button = [this](const char* name, const char* caption) {
        return Named(new QPushButton(QString::fromLatin1(caption), this), name);
    };
    auto label = [this](const char* name, const QString& caption = QString()) {
        return Named(new QLabel(caption, this), name);
    };

    // Source and files.
    auto* lblSource = new QLabel(QStringLiteral("Source:"), this);
    optInFile = Named(new QRadioButton(QStringLiteral("file"), this), "optInFile");
    optOnClipboard = Named(new QRadioButton(QStringLiteral("clipboard"), this), "optOnClipboard");
    optInFile->setChecked(true);
    lblSizeOfClipboardContents = label("lblSizeOfClipboardContents");
    lblCorvaneSystems = label("lblCorvaneSystems", QStringLiteral("Corvane Systems"));
    lblOnlineDocumentation = label("lblOnlineDocumentation", QStringLiteral("Online user manual"));
    for (QLabel* l : {lblCorvaneSystems, lblOnlineDocumentation}) {
        l->setCursor(Qt::PointingHandCursor);
        QFont f = l->font();
        f.setUnderline(true);
        l->setFont(f);
        l->setStyleSheet(QStringLiteral("color: palette(link);"));
    }
    lblCorvaneSystems->setToolTip(QStringLiteral("Click to visit the publisher's web site"));
    lblOnlineDocumentation->setToolTip(QStringLiteral("Click to read the user manual"));

    static const char* const kFileNames[2] = {"txbFile_0", "txbFile_1"};
    static const char* const kCmdNames[2] = {"cmdFile_0", "cmdFile_1"};
    static const char* const kClearNames[2] = {"cmdClearFile_0", "cmdClearFile_1"};
    static const char* const kCaptions[2] = {"Input file", "Output file"};
    for (int k = 0; k < 2; ++k) {
        txbFile[k] = Named(new QLineEdit(this), kFileNames[k]);
        cmdFile[k] = button(kCmdNames[k], kCaptions[k]);
        cmdClearFile[k] = button(kClearNames[k], "Clear");
        cmdClearFile[k]->setEnabled(false);  // the box starts empty
        txbFile[k]->installEventFilter(this);
        cmdFile[k]->installEventFilter(this);
    }
    chkDisableOutputToFile =
        Named(new QCheckBox(QStringLiteral("Disable"), this), "chkDisableOutputToFile");
    lblFilesize = label("lblFilesize");

    // Count command, order and format.
    cmdListWords = button("cmdListWords", "Count words");
    cmdListWords->installEventFilter(this);
    cmdListWords->setDefault(true);
    {
        QFont f = cmdListWords->font();
        f.setBold(true);
        cmdListWords->setFont(f);
        // Room for either caption without the button changing size.
        cmdListWords->setMinimumWidth(cmdListWords->sizeHint().width() + 24);
    }
    chkSuppressWords = Named(new QCheckBox(QStringLiteral("Don't display words as found"), this),
                             "chkSuppressWords");
    cboWordOrder = Named(new QComboBox(this), "cboWordOrder");
    cboDisplayFormat = Named(new QComboBox(this), "cboDisplayFormat");
    for (QComboBox* c : {cboWordOrder, cboDisplayFormat})
        c->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    auto* lblWordOrder = new QLabel(QStringLiteral("Word order:"), this);
    auto* lblDisplayFormat = new QLabel(QStringLiteral("Display format:"), this);
    lblWordOrder->setBuddy(cboWordOrder);
    lblDisplayFormat->setBuddy(cboDisplayFormat);
    lblTwirler = label("lblTwirler", QStringLiteral(" "));
    {
        QFont f = QFontDatabase::systemFont(QFontDatabase::FixedFont);
        f.setPointSize(f.pointSize() + 4);
        lblTwirler->setFont(f);
        lblTwirler->setFixedWidth(QFontMetrics(f).horizontalAdvance(QChar(0x2588)) + 8);
        lblTwirler->setAlignment(Qt::AlignCenter);
    }

    // Result labels.
    Frame2 = Named(new QFrame(this), "Frame2");
    Frame2->setFrameShape(QFrame::StyledPanel);
    lblNumberOfWords = label("lblNumberOfWords");
    lblNumWordsExcluded = label("lblNumWordsExcluded");
    lblNumOccurrences = label("lblNumOccurrences");
    lblTotalNumOccurrences = label("lblTotalNumOccurrences");
    for (QLabel* l : {lblNumberOfWords, lblNumWordsExcluded, lblNumOccurrences,
                      lblTotalNumOccurrences}) {
        l->setParent(Frame2);
        // Runs of blanks align the figures; keep them.
        l->setTextFormat(Qt::PlainText);
        l->setStyleSheet(QStringLiteral("white-space: pre;"));
        QSizePolicy sp = l->sizePolicy();
        sp.setRetainSizeWhenHidden(true);
        l->setSizePolicy(sp);
    }
    {
        // The total's label turns into a bold fixed-font progress bar during a
        // count: every row is as tall as the taller of the two fonts, so the
        // panel keeps its height.
        QFont bar = QFontDatabase::systemFont(QFontDatabase::FixedFont);
        bar.setBold(true);
        const int h = std::max(lblNumberOfWords->fontMetrics().height(), QFontMetrics(bar).height());
        for (QLabel* l : {lblNumberOfWords, lblNumWordsExcluded, lblNumOccurrences,
                          lblTotalNumOccurrences})
            l->setFixedHeight(h);
    }
    lblTotalNumOccurrences->setAlignment(Qt::AlignRight | Qt::AlignVCenter);

    // Text boxes.
    txbIntro = Named(new QPlainTextEdit(this), "txbIntro");
    txbIntro->setReadOnly(true);
    txbIntro->viewport()->installEventFilter(this);
    txbIntro->viewport()->setCursor(Qt::PointingHandCursor);
    txbIntro->setToolTip(QStringLiteral("Click to show the text on the clipboard"));
    txbOutput = Named(new QPlainTextEdit(this), "txbOutput");
    txbOutput->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    txbOutput->setLineWrapMode(QPlainTextEdit::NoWrap);
    // Tab moves on to the next control, as in every other box.
    txbOutput->setTabChangesFocus(true);

    // Commands.
    cmdSetParameters = button("cmdSetParameters", "Set parameters");
    cmdSaveState = button("cmdSaveState", "Save state");
    cmdClearOutput = button("cmdClearOutput", "Clear textbox");
    cmdCopyToClipboard = button("cmdCopyToClipboard", "Copy text to clipboard");
    cmdSaveListing = button("cmdSaveListing", "Save listing as...");
    cmdSaveListing->setToolTip(QStringLiteral(
        "Save the listed words for a spreadsheet or another program: CSV, TSV or JSON (Ctrl+Shift+S)"));
    cmdChart = button("cmdChart", "Chart");
    cmdChart->setToolTip(QStringLiteral("Chart the listed words (Ctrl+G)"));
    // Both wait for a finished count.
    cmdSaveListing->setEnabled(false);
    cmdChart->setEnabled(false);
    cmdHelp = button("cmdHelp", "Help");
    cmdHelp->installEventFilter(this);
    cmdQuit = button("cmdQuit", "Quit");
    lblCV_URL = label("lblCV_URL");
    {
        QFont f = lblCV_URL->font();
        f.setPointSizeF(f.pointSizeF() * 0.85);
        f.setUnderline(true);
        lblCV_URL->setFont(f);
        lblCV_URL->setCursor(Qt::PointingHandCursor);
        lblCV_URL->setStyleSheet(QStringLiteral("color: palette(link);"));
    }

    Timer1 = new QTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->setInterval(1000);

    // Layout: the source and file rows, the count row, the results, then the
    // text boxes (the output box takes the room) and the commands.
    auto* top = new QHBoxLayout;
    top->addWidget(lblSource);
    top->addWidget(optInFile);
    top->addWidget(optOnClipboard);
    top->addSpacing(16);
    top->addWidget(lblSizeOfClipboardContents, 1);
    top->addWidget(lblCorvaneSystems);
    top->addSpacing(12);
    top->addWidget(lblOnlineDocumentation);

    auto* files = new QGridLayout;
    files->setHorizontalSpacing(6);
    files->setVerticalSpacing(4);
    for (int k = 0; k < 2; ++k) {
        files->addWidget(cmdFile[k], k == 0 ? 0 : 2, 0);
        files->addWidget(txbFile[k], k == 0 ? 0 : 2, 1);
        files->addWidget(cmdClearFile[k], k == 0 ? 0 : 2, 2);
    }
    files->addWidget(lblFilesize, 1, 1);
    files->addWidget(chkDisableOutputToFile, 2, 3);
    files->setColumnStretch(1, 1);
    cmdFile[0]->setMinimumWidth(cmdFile[1]->sizeHint().width());

    auto* countRow = new QHBoxLayout;
    countRow->addWidget(cmdListWords);
    countRow->addWidget(lblTwirler);
    countRow->addWidget(chkSuppressWords);
    countRow->addStretch(1);
    countRow->addWidget(lblWordOrder);
    countRow->addWidget(cboWordOrder);
    countRow->addSpacing(12);
    countRow->addWidget(lblDisplayFormat);
    countRow->addWidget(cboDisplayFormat);

    auto* results = new QGridLayout(Frame2);
    results->setContentsMargins(8, 4, 8, 4);
    results->setHorizontalSpacing(24);
    results->addWidget(lblNumberOfWords, 0, 0);
    results->addWidget(lblNumWordsExcluded, 1, 0);
    results->addWidget(lblNumOccurrences, 0, 1);
    results->addWidget(lblTotalNumOccurrences, 1, 1);
    results->setColumnStretch(0, 1);
    results->setColumnStretch(1, 1);

    auto* boxes = new QHBoxLayout;
    boxes->addWidget(txbIntro, 1);
    boxes->addWidget(txbOutput, 3);

    auto* commands = new QHBoxLayout;
    for (QPushButton* b :
         {cmdSetParameters, cmdSaveState, cmdClearOutput, cmdCopyToClipboard, cmdSaveListing, cmdChart,
          cmdHelp})
        commands->addWidget(b);
    commands->addStretch(1);
    commands->addWidget(lblCV_URL);
    commands->addSpacing(12);
    commands->addWidget(cmdQuit);

    auto* main = new QVBoxLayout(this);
    main->setContentsMargins(10, 8, 10, 10);
    main->setSpacing(8);
    main->addLayout(top);
    main->addLayout(files);
    main->addLayout(countRow);
    main->addWidget(Frame2);
    main->addLayout(boxes, 1);
    main->addLayout(commands);

    setMinimumSize(720, 480);
    resize(960, 700);
}

void FrmMain::BuildShortcuts() {
    auto shortcut = [this](QKeySequence keys, std::function<void()> run) {
        auto* s = new QShortcut(keys, this);
        connect(s, &QShortcut::activated, this, std::move(run));
    };
    // Each runs only what its button would run while that button is usable.
    shortcut(QKeySequence::Open, [this] {
        if (cmdFile[0]->isEnabled()) cmdFile_Click(0);
    });
    for (QKeySequence keys : {QKeySequence(Qt::CTRL | Qt::Key_Return), QKeySequence(Qt::CTRL | Qt::Key_Enter)})
        shortcut(keys, [this] {
            if (cmdListWords->isEnabled()) cmdListWords_Click();
        });
    // Escape stops a running count the way "Stop" does (the same question).
    shortcut(QKeySequence(Qt::Key_Escape), [this] {
        if (counting_ && cmdListWords->isEnabled()) cmdListWords_Click();
    });
    shortcut(QKeySequence(Qt::Key_F1), [this] {
        if (cmdHelp->isEnabled()) cmdHelp_Click();
    });
    shortcut(QKeySequence(Qt::CTRL | Qt::Key_Q), [this] { cmdQuit_Click(); });
    shortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_S), [this] {
        if (cmdSaveListing->isEnabled()) cmdSaveListing_Click();
    });
    shortcut(QKeySequence(Qt::CTRL | Qt::Key_G), [this] {
        if (cmdChart->isEnabled()) cmdChart_Click();
    });
}

void FrmMain::ConnectHandlers() {
    connect(cmdListWords, &QPushButton::clicked, this, [this] { cmdListWords_Click(); });
    for (int k = 0; k < 2; ++k) {
        connect(cmdFile[k], &QPushButton::clicked, this, [this, k] { cmdFile_Click(k); });
        connect(cmdClearFile[k], &QPushButton::clicked, this, [this, k] { cmdClearFile_Click(k); });
        connect(txbFile[k], &QLineEdit::textEdited, this,
                [this, k](const QString& t) {
                    params_.txbFile[k] = t.toStdString();
                    cmdClearFile[k]->setEnabled(!t.isEmpty());
                    // The size shown is that of the file named now.
                    if (k == 0) session_->ShowInputFileSize(std::string(StrProc::TrimBlanks(params_.txbFile[0])));
                });
    }
    connect(optInFile, &QRadioButton::clicked, this, [this] { optInFile_Click(); });
    connect(optOnClipboard, &QRadioButton::clicked, this, [this] { optOnClipboard_Click(); });
    connect(chkSuppressWords, &QCheckBox::clicked, this, [this] { chkSuppressWords_Click(); });
    connect(chkDisableOutputToFile, &QCheckBox::clicked, this,
            [this] { chkDisableOutputToFile_Click(); });
    connect(cboWordOrder, &QComboBox::activated, this, [this] { cboWordOrder_Click(); });
    connect(cboDisplayFormat, &QComboBox::activated, this, [this] { cboDisplayFormat_Click(); });
    connect(cmdSetParameters, &QPushButton::clicked, this, [this] { cmdSetParameters_Click(); });
    connect(cmdSaveState, &QPushButton::clicked, this, [this] { cmdSaveState_Click(); });
    connect(cmdClearOutput, &QPushButton::clicked, this, [this] { cmdClearOutput_Click(); });
    connect(cmdCopyToClipboard, &QPushButton::clicked, this, [this] { cmdCopyToClipboard_Click(); });
    connect(cmdSaveListing, &QPushButton::clicked, this, [this] { cmdSaveListing_Click(); });
    connect(cmdChart, &QPushButton::clicked, this, [this] { cmdChart_Click(); });
    connect(cmdHelp, &QPushButton::clicked, this, [this] { cmdHelp_Click(); });
    connect(cmdQuit, &QPushButton::clicked, this, [this] { cmdQuit_Click(); });
    connect(lblCorvaneSystems, &QLabel::linkActivated, this, [this] { lblCorvaneSystems_Click(); });
    connect(Timer1, &QTimer::timeout, this, [this] { Timer1_Timer(); });
    // Whatever changes the box outside a listing (a count, a refused count
    // emptying it, the user's typing) leaves it no longer the listing; a
    // count that lists anew shows its listing once it ends.
    connect(txbOutput->document(), &QTextDocument::contentsChanged, this, [this] {
        if ((counting_ || !session_->Running()) && listingShown_ >= 0) {
            listingShown_ = -1;
            RefreshResultCommands();
        }
    });
    lblCorvaneSystems->installEventFilter(this);
    lblOnlineDocumentation->installEventFilter(this);
    lblCV_URL->installEventFilter(this);
}

bool FrmMain::eventFilter(QObject* watched, QEvent* event) {
    switch (event->type()) {
    case QEvent::KeyRelease: {
        auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_F1 && !key->isAutoRepeat() &&
            (watched == cmdHelp || watched == cmdFile[0] || watched == cmdFile[1] ||
             watched == cmdListWords)) {
            cmdHelp_Click();
            return true;
        }
        break;
    }
    case QEvent::FocusOut: {
        // Only a move of the focus inside the program counts as leaving the
        // box, not the window losing activation to a message box.
        auto reason = static_cast<QFocusEvent*>(event)->reason();
        if (reason == Qt::ActiveWindowFocusReason || reason == Qt::PopupFocusReason) break;
        for (int k = 0; k < 2; ++k)
            if (watched == txbFile[k]) txbFile_LostFocus(k);
        break;
    }
    case QEvent::MouseButtonRelease:
        if (static_cast<QMouseEvent*>(event)->button() != Qt::LeftButton) break;
        if (watched == txbIntro->viewport()) txbIntro_Click();
        else if (watched == lblCorvaneSystems || watched == lblCV_URL) lblCorvaneSystems_Click();
        else if (watched == lblOnlineDocumentation) lblOnlineDocumentation_Click();
        break;
    default:
        break;
    }
    return QWidget::eventFilter(watched, event);
}

void FrmMain::dragEnterEvent(QDragEnterEvent* event) {
    const QList<QUrl> urls = event->mimeData()->urls();
    if (urls.size() == 1 && urls[0].isLocalFile() && cmdFile[0]->isEnabled())
        event->acceptProposedAction();
}

void FrmMain::dropEvent(QDropEvent* event) {
    const QList<QUrl> urls = event->mimeData()->urls();
    if (urls.size() != 1 || !urls[0].isLocalFile() || !cmdFile[0]->isEnabled()) return;
    event->acceptProposedAction();
    // Handled once the drop is over, so that a message box does not run
    // inside the drag's own event loop.
    const QString path = urls[0].toLocalFile();
    QTimer::singleShot(0, this, [this, path] { OpenFile(path); });
}

void FrmMain::OpenFile(const QString& name) {
    if (!cmdFile[0]->isEnabled()) return;  // a count began meanwhile
    const QFileInfo file(name);
    const QString path = file.absoluteFilePath();
    if (!file.isDir() && file.suffix().compare(QLatin1String("kvx"), Qt::CaseInsensitive) == 0) {
        frmParams_->LoadStateFrom(path);
        SetTheFocus();
        return;
    }
    // As if chosen in the input-file dialog.
    session_->blnWordsGot = false;
    TakeFileName(0, path);
}

void FrmMain::closeEvent(QCloseEvent* event) {
    if (blnQuitting_) {
        event->accept();
        return;
    }
    event->ignore();
    cmdQuit_Click();
}

// ---------------------------------------------------------------------------
// Start-up

bool FrmMain::Form_Load() {
    session_->blnStartUpCompleted = false;

    // Message texts.
    const std::string folder = ProgramFolder();
    const std::string path = folder + (folder.empty() || folder.back() == '/' ? "" : "/") + "kvx.dat";
    const int32_t r = texts_.Load(path);
    if (r <= 0) {
        host_->message(MessageTable::LoadErrorText(r, path), "", Icon::Critical, Buttons::OK);
        return false;
    }

    // Program-wide strings.
    strUserSubfolder = texts_.GetProgramText(310);
    strProgramTitle = texts_.GetProgramText(1);
    strVersion = kvx::ProgramVersion();

    // The main window's controls and the defaults.
    txbIntro->setPlainText(Q(texts_.GetProgramText(19) + "\n\n" + texts_.GetProgramText(20) +
                             "\n\n" + texts_.GetProgramText(35) + "\n\n" +
                             texts_.GetProgramText(21) + "\n\n" + texts_.GetProgramText(22) +
                             "\n\n" + texts_.GetProgramText(23)));
    cmdListWords->setText(Q(session_->IdleCaption()));
    {
        // The publisher's web address in short (its host), a link like the
        // others; a local page has no such address, and the label stays hidden.
        const QUrl site(Q(texts_.GetProgramText(14)));
        lblCV_URL->setText(site.host());
        lblCV_URL->setToolTip(site.toString());
        lblCV_URL->setVisible(!site.isLocalFile() && !site.host().isEmpty());
    }
    session_->SetDefaultCommonWordsFile();
    FillComboBoxes();
    InitializeVariables();
    session_->ValidateInputFile(params_.txbFile[0]);
    cmdFile[1]->setEnabled(false);
    txbFile[1]->setEnabled(false);
    cmdClearFile[1]->setEnabled(false);
    host_->setCurrentFolder(QDir::homePath().toStdString());

    SetWindowCaption();
    SetUpCopyAndOutputControls();
    // Never narrower than the rows need with the lists filled, so that no
    // caption or entry is clipped.
    setMinimumSize(layout()->minimumSize().expandedTo(QSize(720, 480)));
    resize(size().expandedTo(minimumSize()));
    PlaceWindow();
    session_->ConcealNumWords();
    show();

    // The saved state; a missing or damaged file means the defaults.
    session_->SetDefaultCommonWordsFile();
    FillComboBoxes();
    std::string err = RestoreSavedState(params_, strStateFile);
    EnableOutputFileControls();
    if (!err.empty()) {
        InitializeVariables();
        FillComboBoxes();
    }
    ParamsToControls();
    session_->ValidateInputFile(params_.txbFile[0]);

    LoadCommonWordsAtStartUp();

    session_->ConcealNumWords();
    Timer1->start();
    SetTheFocus();
    session_->blnStartUpCompleted = true;
    return true;
}

void FrmMain::LoadCommonWordsAtStartUp() {
    params_.strCommonWordsFile = std::string(StrProc::TrimBlanks(params_.strCommonWordsFile));
    if (!FileProc::FileExists(params_.strCommonWordsFile)) {
        params_.strCommonWordsFile.clear();
        params_.txbCommonWordsFile.clear();
        params_.chkIgnoreCommonWords = 0;
        ParamsToControls();
    }
    const std::string title = texts_.GetProgramText(42);
    if (params_.strCommonWordsFile.empty()) {
        if (host_->askUnlessSilenced(QStringLiteral("commonWordsAtStart"),
                                     texts_.GetProgramText(41), title) == Answer::Yes) {
            session_->SetDefaultCommonWordsFile();
            session_->AttemptToReadCommonWords();
        }
    } else if (params_.chkIgnoreCommonWords == 1) {
        session_->AttemptToReadCommonWords();
    } else if (host_->message(texts_.GetProgramText(40) + "\r\n" + params_.strCommonWordsFile,
                              title, Icon::None, Buttons::YesNo) == Answer::Yes) {
        session_->AttemptToReadCommonWords();
    }
}

void FrmMain::InitializeVariables() {
    params_.optInFile = true;
    cmdCopyToClipboard->setToolTip(QString());
    lblSizeOfClipboardContents->clear();
    lblFilesize->clear();
    strStateFile = UserFilePath("kvx.usr", strUserSubfolder);
    lblTwirler->setText(QStringLiteral(" "));
    session_->lngMaxClipboardChars = 100000;
    // Initialize: the parameters back to their first-start values.
    session_->blnWordsGot = false;
    InitializeParams(params_);
    session_->SetDefaultCommentMarkers();
    EnableOutputFileControls();
    session_->intProgressBarWidth = 37;
    ParamsToControls();
}

void FrmMain::FillComboBoxes() {
    const bool was = blnSettingControls_;
    blnSettingControls_ = true;
    FillList(cboWordOrder, WordOrderEntries());
    FillList(cboDisplayFormat, DisplayFormatEntries());
    blnSettingControls_ = was;
    params_.cboShortWordSize = kDefaultShortWordSize;
    params_.cboLongWordSize = kDefaultLongWordSize;
    params_.cboThresholdFrequency = kDefaultThresholdFrequency;
    params_.cboWordOrder = 0;
    params_.cboDisplayFormat = 0;
    ParamsToControls();
}

void FrmMain::SetWindowCaption() { setWindowTitle(Q(strProgramTitle + " " + strVersion)); }

void FrmMain::SetUpCopyAndOutputControls() {
    cmdCopyToClipboard->setText(Q(texts_.GetProgramText(9)));
    QFont f = cmdCopyToClipboard->font();
    f.setBold(false);
    cmdCopyToClipboard->setFont(f);
    cmdCopyToClipboard->setVisible(true);
    Timer1->start();
    cmdFile[1]->setEnabled(true);
    txbFile[1]->setEnabled(true);
    cmdClearFile[1]->setEnabled(!txbFile[1]->text().isEmpty());
}

namespace {
// The window's size and place between runs: Qt's own settings file in the
// XDG config folder, apart from the state file.
const QString kSettingsName = QStringLiteral("kvx");
const QString kGeometryKey = QStringLiteral("frmMain/geometry");
}  // namespace

void FrmMain::SaveWindowGeometry() {
    QSettings(kSettingsName, kSettingsName).setValue(kGeometryKey, saveGeometry());
}

void FrmMain::PlaceWindow() {
    if (restoreGeometry(QSettings(kSettingsName, kSettingsName).value(kGeometryKey).toByteArray()))
        return;
    const QScreen* screen = this->screen();
    if (!screen) return;
    const QRect avail = screen->availableGeometry();
    const int h = std::min(height(), avail.height());
    // 100 twips from the left, a third of the free height above.
    move(avail.left() + Px(100), avail.top() + std::max(0, (avail.height() - h) / 3));
}

// ---------------------------------------------------------------------------
// Helpers other windows call

void FrmMain::SetTheFocus() {
    RefreshResultCommands();
    if (!isVisible()) return;
    if (txbFile[0]->text().isEmpty() && cmdFile[0]->isEnabled()) cmdFile[0]->setFocus();
    else if (cmdListWords->isEnabled()) cmdListWords->setFocus();
    RefreshFileButtons();
}

void FrmMain::RefreshFileButtons() {
    lblTwirler->setText(QStringLiteral(" "));
    for (int k = 0; k < 2; ++k)
        cmdClearFile[k]->setEnabled(cmdFile[k]->isEnabled() && !txbFile[k]->text().isEmpty());
}

void FrmMain::EnableControls(bool enabled) {
    for (int k = 0; k < 2; ++k) {
        cmdFile[k]->setEnabled(enabled);
        txbFile[k]->setEnabled(enabled);
        // "Clear" only for a box that holds a name.
        cmdClearFile[k]->setEnabled(enabled && !txbFile[k]->text().isEmpty());
    }
    for (QWidget* w : std::initializer_list<QWidget*>{
             cmdCopyToClipboard, cmdHelp, cmdSaveState, cmdSetParameters, cmdClearOutput,
             cboWordOrder, cboDisplayFormat, optOnClipboard, optInFile})
        w->setEnabled(enabled);
    // "Disable" only with an output file named.
    if (enabled) EnableOutputFileControls();
    else chkDisableOutputToFile->setEnabled(false);
    frmParams_->EnableControls(enabled);
    RefreshResultCommands();
}

namespace {

// Whether two parameter sets give the same listing of the same source: all
// that decides which words are counted and kept. Word order and layout are
// left out, since a change of them lists the result again.
bool SameListing(const Params& a, const Params& b) {
    for (const CheckBoxInfo& c : CheckBoxes())
        if (c.family != BoxFamily::Output && c.family != BoxFamily::MainWindow &&
            a.*(c.member) != b.*(c.member))
            return false;
    return std::tie(a.cboShortWordSize, a.cboLongWordSize, a.cboThresholdFrequency, a.txbStartComment,
                    a.txbEndComment, a.strWordsToIgnore, a.strCommonWordsFile, a.optInFile, a.txbFile[0]) ==
           std::tie(b.cboShortWordSize, b.cboLongWordSize, b.cboThresholdFrequency, b.txbStartComment,
                    b.txbEndComment, b.strWordsToIgnore, b.strCommonWordsFile, b.optInFile, b.txbFile[0]);
}

}  // namespace

bool FrmMain::ResultReady() const {
    return !counting_ && session_->blnWordsGot && !session_->Running() && !blnQuitting_ &&
           listingShown_ == session_->ListingsMade() && SameListing(countedWith_, params_);
}

void FrmMain::RefreshResultCommands() {
    if (!counting_ && !session_->Running() && listingSeen_ != session_->ListingsMade()) {
        // A listing was made: its last lines go into the box, and from then
        // on any change of the box ends it.
        listingSeen_ = session_->ListingsMade();
        listingShown_ = -1;
        host_->flushOutput();
        listingShown_ = listingSeen_;
    }
    const bool ready = ResultReady();
    cmdSaveListing->setEnabled(ready);
    cmdChart->setEnabled(ready);
    if (!frmChart_) return;
    if (!ready && frmChart_->listing() >= 0) frmChart_->ShowNoListing();
    else if (ready && frmChart_->isVisible() && frmChart_->listing() != session_->ListingsMade())
        UpdateChart();
}

void FrmMain::UpdateChart() {
    frmChart_->SetData(MakeChartData(session_->ListedRows()), session_->ListingsMade());
}

void FrmMain::EnableOutputFileControls() {
    if (params_.txbFile[1].empty()) {
        params_.chkDisableOutputToFile = 0;
        chkDisableOutputToFile->setChecked(false);
        chkDisableOutputToFile->setEnabled(false);
    } else {
        chkDisableOutputToFile->setEnabled(true);
    }
}

void FrmMain::ParamsToControls() {
    const bool was = blnSettingControls_;
    blnSettingControls_ = true;
    const QSignalBlocker b1(optInFile), b2(optOnClipboard), b3(chkDisableOutputToFile),
        b4(chkSuppressWords), b5(cboWordOrder), b6(cboDisplayFormat), b7(txbFile[0]),
        b8(txbFile[1]);
    if (params_.optInFile) optInFile->setChecked(true);
    else optOnClipboard->setChecked(true);
    for (int k = 0; k < 2; ++k)
        if (txbFile[k]->text().toStdString() != params_.txbFile[k])
            txbFile[k]->setText(Q(params_.txbFile[k]));
    chkDisableOutputToFile->setCheckState(params_.chkDisableOutputToFile == 1   ? Qt::Checked
                                          : params_.chkDisableOutputToFile == 2 ? Qt::PartiallyChecked
                                                                                : Qt::Unchecked);
    chkSuppressWords->setCheckState(params_.chkSuppressWords == 1   ? Qt::Checked
                                    : params_.chkSuppressWords == 2 ? Qt::PartiallyChecked
                                                                    : Qt::Unchecked);
    cboWordOrder->setCurrentIndex(params_.cboWordOrder);
    cboDisplayFormat->setCurrentIndex(params_.cboDisplayFormat);
    blnSettingControls_ = was;
    emit paramsRefreshed();
}

void FrmMain::SelectOptInFile() {
    if (optInFile->isChecked() && params_.optInFile) return;
    params_.optInFile = true;
    optInFile->setChecked(true);
    optInFile_Click();
}

void FrmMain::SelectOptOnClipboard() {
    if (optOnClipboard->isChecked() && !params_.optInFile) return;
    params_.optInFile = false;
    optOnClipboard->setChecked(true);
    optOnClipboard_Click();
}

void FrmMain::ShowClipboardSize(int64_t n) {
    lblSizeOfClipboardContents->setText(
        Q("Contents of clipboard:   " + host_->formatGrouped(n) + " bytes"));
}

void FrmMain::PopUp(const QString& message, int width, int height, int interval, int top,
                    int left) {
    frmPopUp_->PopUp(message, width, height, interval, top, left);
}

void FrmMain::RequestWebPage(const std::string& url) {
    const QUrl u(Q(url));
    // Only web pages and local files are handed on, whatever kvx.dat says.
    const QString scheme = u.scheme().toLower();
    const bool allowed = scheme == QLatin1String("http") || scheme == QLatin1String("https") ||
                         scheme == QLatin1String("file");
    if (u.isValid() && !u.isEmpty() && allowed && openUrl && openUrl(u)) return;
    // The desktop says only that nothing took the address: most often no web
    // browser or handler for its kind is set up.
    host_->message("Cannot open " + url +
                       "\r\n\r\nNo web browser or other handler for this kind of address "
                       "is set up on this computer.",
                   "Cannot launch web browser", Icon::Exclamation, Buttons::OK);
}

// ---------------------------------------------------------------------------
// Event handlers

void FrmMain::cmdListWords_Click() {
    if (counting_) {  // "Stop"
        host_->requestStop();
        return;
    }
    if (session_->Running()) {  // "Stop" for work on this thread (common words read)
        session_->cmdListWords_Click();
        return;
    }
    params_.chkSuppressWords = chkSuppressWords->isChecked() ? 1 : 0;
    listingsBefore_ = session_->ListingsMade();
    counting_ = true;
    // Nothing the count reads can change under it, from the first check on.
    EnableControls(false);
    host_->beginWork();
    worker_ = std::thread([this] {
        session_->cmdListWords_Click();
        QMetaObject::invokeMethod(this, [this] { CountEnded(); }, Qt::QueuedConnection);
    });
}

void FrmMain::CountEnded() {
    worker_.join();
    host_->endWork();
    counting_ = false;
    EnableControls(true);
    // Nothing that decides a result can change while it is counted.
    if (session_->ListingsMade() != listingsBefore_) countedWith_ = params_;
    RefreshResultCommands();
    emit countEnded();
    if (blnQuitting_ && endProgram) endProgram();
}

void FrmMain::cmdFile_Click(int k) {
    QString name;
    if (k == 1) {
        name = host_->saveFileDialog(QStringLiteral("Specify output file"), QString());
    } else {
        session_->blnWordsGot = false;
        // "*" rather than "*.*": files without an extension are input too.
        name = Q(host_->openFileDialog("Specify input file",
                                       "Any file containing only text (*) | *", {}));
    }
    TakeFileName(k, name);
}

void FrmMain::TakeFileName(int k, const QString& name) {
    if (!name.isEmpty()) {
        params_.txbFile[k] = name.toStdString();
        {
            const QSignalBlocker block(txbFile[k]);
            txbFile[k]->setText(name);
        }
        if (k == 0) {
            session_->ValidateInputFile(params_.txbFile[0]);
            session_->cmdClearOutput_Click();
        }
    }
    if (k == 0) SelectOptInFile();
    else EnableOutputFileControls();
    SetTheFocus();
}

void FrmMain::txbFile_LostFocus(int k) {
    if (!isVisible() || blnInLostFocus_ || blnSettingControls_) return;
    blnInLostFocus_ = true;
    const std::string text(StrProc::TrimBlanks(txbFile[k]->text().toStdString()));
    params_.txbFile[k] = text;
    if (txbFile[k]->text().toStdString() != text) {
        const QSignalBlocker block(txbFile[k]);
        txbFile[k]->setText(Q(text));
    }
    if (k == 0) {
        if (!text.empty()) session_->ValidateInputFile(text);
        session_->blnWordsGot = false;
    }
    EnableOutputFileControls();
    // The focus stays where the user's click or Tab put it.
    RefreshFileButtons();
    blnInLostFocus_ = false;
}

void FrmMain::cmdClearFile_Click(int k) {
    params_.txbFile[k].clear();
    {
        const QSignalBlocker block(txbFile[k]);
        txbFile[k]->clear();
    }
    if (cmdFile[k]->isEnabled()) cmdFile[k]->setFocus();
    cmdClearFile[k]->setEnabled(false);
    if (k == 0) {
        lblFilesize->clear();
    } else {
        params_.chkDisableOutputToFile = 0;
        chkDisableOutputToFile->setChecked(false);
        chkDisableOutputToFile->setEnabled(false);
    }
}

void FrmMain::optInFile_Click() {
    params_.optInFile = true;
    session_->blnWordsGot = false;
    if (session_->blnListDisplayed) host_->setOutputText("");
    // The figures belong to the result just given up.
    session_->ConcealNumWords();
    SetTheFocus();
}

void FrmMain::optOnClipboard_Click() {
    params_.optInFile = false;
    session_->blnWordsGot = false;
    if (session_->blnListDisplayed) host_->setOutputText("");
    // The figures belong to the result just given up.
    session_->ConcealNumWords();
    SetTheFocus();
}

void FrmMain::chkSuppressWords_Click() {
    const int16_t v = chkSuppressWords->isChecked() ? 1 : 0;
    if (counting_) host_->requestSuppressWords(v);  // the count takes it up
    else params_.chkSuppressWords = v;
    SetTheFocus();
}

void FrmMain::chkDisableOutputToFile_Click() {
    params_.chkDisableOutputToFile = chkDisableOutputToFile->isChecked() ? 1 : 0;
}

void FrmMain::cboWordOrder_Click() {
    params_.cboWordOrder = static_cast<int16_t>(cboWordOrder->currentIndex());
    if (session_->blnWordsGot) session_->ListWords();
    SetTheFocus();
}

void FrmMain::cboDisplayFormat_Click() {
    params_.cboDisplayFormat = static_cast<int16_t>(cboDisplayFormat->currentIndex());
    if (session_->blnWordsGot) session_->ListWords();
    SetTheFocus();
}

void FrmMain::cmdSetParameters_Click() {
    if (showParameters) showParameters();
}

void FrmMain::cmdSaveState_Click() {
    SaveStateWithPopUp();
    SetTheFocus();
}

void FrmMain::SaveStateWithPopUp() {
    const std::string err = SaveState(params_, strStateFile);
    if (err.empty()) {
        // 2400 x 300 twips, 6500 down and 5200 across from the window's corner.
        PopUp(Q(texts_.GetProgramText(50)), Px(2400), Px(300), popUpInterval, Px(6500), Px(5200));
    } else {
        host_->message(err, "Error", Icon::Exclamation, Buttons::OK);
    }
}

void FrmMain::cmdClearOutput_Click() { session_->cmdClearOutput_Click(); }

void FrmMain::cmdCopyToClipboard_Click() {
    host_->flushOutput();
    const QString text = txbOutput->toPlainText();
    host_->setClipboardText(text.toStdString());
    if (!text.isEmpty()) {
        ShowClipboardSize(text.size());
        SelectOptOnClipboard();
    }
}

void FrmMain::cmdSaveListing_Click() {
    if (!ResultReady()) return;
    static const ListingFormat kFormats[] = {ListingFormat::Csv, ListingFormat::Tsv, ListingFormat::Json};
    int type = 0;
    const QString name = host_->saveFileAs(
        QStringLiteral("Save listing as"),
        QStringLiteral("CSV, comma-separated (*.csv);;TSV, tab-separated (*.tsv);;JSON (*.json)"),
        {QStringLiteral("csv"), QStringLiteral("tsv"), QStringLiteral("json")}, type);
    if (!name.isEmpty()) {
        const ListingOutcome o = session_->SaveListingAs(name.toStdString(), kFormats[type]);
        if (o.error.number != 0)
            host_->message("The listing was not saved.\r\n" +
                               ErrorNumberText(texts_.GetProgramText(34), o.error),
                           "Save listing as", Icon::Exclamation, Buttons::OK);
    }
    SetTheFocus();
}

void FrmMain::cmdChart_Click() {
    if (!ResultReady()) return;
    if (!frmChart_) frmChart_ = new FrmChart(*this);
    if (frmChart_->listing() != session_->ListingsMade()) UpdateChart();
    frmChart_->ShowChart();
}

void FrmMain::cmdHelp_Click() { frmHelp_->ShowHelp(); }

void FrmMain::cmdQuit_Click() {
    if (blnQuitting_) return;
    if (params_.chkSaveStateOnQuit == 1) SaveStateWithPopUp();
    blnQuitting_ = true;
    // A count may be running: it winds down without asking anything, and
    // the program ends once its thread is joined.
    host_->requestQuit();
    Timer1->stop();
    SaveWindowGeometry();
    frmHelp_->hide();
    if (frmChart_) frmChart_->hide();
    hide();
    if (!counting_ && endProgram) endProgram();
}

void FrmMain::txbIntro_Click() {
    if (!session_->blnStartUpCompleted || counting_) return;
    session_->blnWordsGot = false;
    session_->CheckClipboard(true);
}

void FrmMain::lblCorvaneSystems_Click() { RequestWebPage(texts_.GetProgramText(14)); }

void FrmMain::lblOnlineDocumentation_Click() { RequestWebPage(texts_.GetProgramText(15)); }

void FrmMain::Timer1_Timer() {
    host_->flushOutput();
    const bool empty = txbOutput->document()->isEmpty();
    cmdCopyToClipboard->setToolTip(
        empty ? QStringLiteral(
                    "To count words in the text box the text must first be copied to the clipboard ")
              : QString());
    // Not while a count runs: the commands stay disabled until it ends.
    if (!counting_) cmdClearOutput->setEnabled(!empty);
    // A parameter change may have made the result stale.
    RefreshResultCommands();
    for (int k = 0; k < 2; ++k) {
        const QString t = txbFile[k]->text();
        txbFile[k]->setToolTip(t.size() >= (k == 0 ? 49 : 38) ? t : QString());
    }
}

}  // namespace kvx
