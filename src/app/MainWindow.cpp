#include "MainWindow.h"

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
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QTimer>
#include <QUrl>
#include <QVBoxLayout>
#include <fstream>
#include <tuple>

#include "ChartWindow.h"
#include "CorpusSource.h"
#include "ContextsWindow.h"
#include "HelpWindow.h"
#include "KeywordsWindow.h"
#include "LettersSetting.h"
#include "ParamsWindow.h"
#include "PopUpWindow.h"
#include "QtHost.h"
#include "QtUtil.h"
#include "WindowTexts.h"
#include "base/Folder.h"
#include "base/Version.h"
#include "files/FileChecks.h"
#include "params/Defaults.h"
#include "scanning/TextLists.h"
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

std::string MainWindow::VersionText(const std::string& version) { return kvx::VersionText(version); }

MainWindow::MainWindow(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("frmMain"));
    host_ = std::make_unique<QtHost>(*this);
    session_ = std::make_unique<CountingSession>(params_, *host_, texts_);
    // A large file is counted on every core, in pieces of kvx-count's size.
    session_->SetJobs(int(std::max(1u, std::thread::hardware_concurrency())));
    host_->quitTakenUp = [this] { paramsAtQuit_ = params_; };
    openUrl = [](const QUrl& url) { return QDesktopServices::openUrl(url); };
    endProgram = [] { QCoreApplication::quit(); };
    BuildControls();
    ConnectHandlers();
    BuildShortcuts();
    setAcceptDrops(true);
    helpWindow_ = new HelpWindow(this, [this] { SetTheFocus(); });
    popUpWindow_ = new PopUpWindow(this);
    // The parameters window exists from the start: its controls hold parameters.
    paramsWindow_ = new ParamsWindow(*this);
}

MainWindow::~MainWindow() {
    if (!worker_.joinable()) return;
    // Closed in the middle of a count: it winds down without the window.
    host_->detach();
    worker_.join();
}

// ---------------------------------------------------------------------------
// Controls

void MainWindow::BuildControls() {
    auto button = [this](const char* name, const char* caption) {
        return Named(new QPushButton(QString::fromLatin1(caption), this), name);
    };
    auto label = [this](const char* name, const QString& caption = QString()) {
        return Named(new QLabel(caption, this), name);
    };

    // Source and files.
    auto* sourceLabel = new QLabel(QStringLiteral("Source:"), this);
    fileSourceButton = Named(new QRadioButton(QStringLiteral("file"), this), "optInFile");
    clipboardSourceButton = Named(new QRadioButton(QStringLiteral("clipboard"), this), "optOnClipboard");
    fileSourceButton->setChecked(true);
    clipboardSizeLabel = label("lblSizeOfClipboardContents");
    aboutLink = label("lblCorvaneSystems", QStringLiteral("Corvane Systems"));
    manualLink = label("lblOnlineDocumentation", QStringLiteral("Online user manual"));
    for (QLabel* l : {aboutLink, manualLink}) {
        l->setCursor(Qt::PointingHandCursor);
        QFont f = l->font();
        f.setUnderline(true);
        l->setFont(f);
        l->setStyleSheet(QStringLiteral("color: palette(link);"));
    }
    aboutLink->setToolTip(QStringLiteral("Click to visit the publisher's web site"));
    manualLink->setToolTip(QStringLiteral("Click to read the user manual"));

    static const char* const kFileNames[2] = {"txbFile_0", "txbFile_1"};
    static const char* const kCmdNames[2] = {"cmdFile_0", "cmdFile_1"};
    static const char* const kClearNames[2] = {"cmdClearFile_0", "cmdClearFile_1"};
    static const char* const kCaptions[2] = {"Input file", "Output file"};
    for (int k = 0; k < 2; ++k) {
        fileNameBoxes[k] = Named(new QLineEdit(this), kFileNames[k]);
        fileButtons[k] = button(kCmdNames[k], kCaptions[k]);
        clearFileButtons[k] = button(kClearNames[k], "Clear");
        clearFileButtons[k]->setEnabled(false);  // the box starts empty
        fileNameBoxes[k]->installEventFilter(this);
        fileButtons[k]->installEventFilter(this);
    }
    corpusButton = button("cmdCorpus", "Corpus...");
    corpusLister_ = new CorpusLister;
    corpusLister_->setParent(this);
    corpusButton->setToolTip(QStringLiteral("Count several files, or the files of folders (Ctrl+Shift+O)"));
    disableOutputBox =
        Named(new QCheckBox(QStringLiteral("Disable"), this), "chkDisableOutputToFile");
    fileSizeLabel = label("lblFilesize");

    // Count command, order and format.
    countButton = button("cmdListWords", "Count words");
    countButton->installEventFilter(this);
    countButton->setDefault(true);
    {
        QFont f = countButton->font();
        f.setBold(true);
        countButton->setFont(f);
        // Room for either caption without the button changing size.
        countButton->setMinimumWidth(countButton->sizeHint().width() + 24);
    }
    suppressWordsBox = Named(new QCheckBox(QStringLiteral("Don't display words as found"), this),
                             "chkSuppressWords");
    wordOrderList = Named(new QComboBox(this), "cboWordOrder");
    displayFormatList = Named(new QComboBox(this), "cboDisplayFormat");
    for (QComboBox* c : {wordOrderList, displayFormatList})
        c->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    auto* wordOrderLabel = new QLabel(QStringLiteral("Word order:"), this);
    auto* displayFormatLabel = new QLabel(QStringLiteral("Display format:"), this);
    wordOrderLabel->setBuddy(wordOrderList);
    displayFormatLabel->setBuddy(displayFormatList);
    twirlerLabel = label("lblTwirler", QStringLiteral(" "));
    {
        QFont f = QFontDatabase::systemFont(QFontDatabase::FixedFont);
        f.setPointSize(f.pointSize() + 4);
        twirlerLabel->setFont(f);
        twirlerLabel->setFixedWidth(QFontMetrics(f).horizontalAdvance(QChar(0x2588)) + 8);
        twirlerLabel->setAlignment(Qt::AlignCenter);
    }

    // Result labels.
    Frame2 = Named(new QFrame(this), "Frame2");
    Frame2->setFrameShape(QFrame::StyledPanel);
    wordCountLabel = label("lblNumberOfWords");
    wordsExcludedLabel = label("lblNumWordsExcluded");
    occurrencesLabel = label("lblNumOccurrences");
    totalOccurrencesLabel = label("lblTotalNumOccurrences");
    for (QLabel* l : {wordCountLabel, wordsExcludedLabel, occurrencesLabel,
                      totalOccurrencesLabel}) {
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
        const int h = std::max(wordCountLabel->fontMetrics().height(), QFontMetrics(bar).height());
        for (QLabel* l : {wordCountLabel, wordsExcludedLabel, occurrencesLabel,
                          totalOccurrencesLabel})
            l->setFixedHeight(h);
    }
    totalOccurrencesLabel->setAlignment(Qt::AlignRight | Qt::AlignVCenter);

    // Text boxes.
    introBox = Named(new QPlainTextEdit(this), "txbIntro");
    introBox->setReadOnly(true);
    introBox->viewport()->installEventFilter(this);
    introBox->viewport()->setCursor(Qt::PointingHandCursor);
    introBox->setToolTip(QStringLiteral("Click to show the text on the clipboard"));
    outputBox = Named(new QPlainTextEdit(this), "txbOutput");
    ListingColumns::Apply(outputBox, session_->LettersOfEveryScript());
    outputBox->setLineWrapMode(QPlainTextEdit::NoWrap);
    // Tab moves on to the next control, as in every other box.
    outputBox->setTabChangesFocus(true);

    // Commands.
    setParametersButton = button("cmdSetParameters", "Set parameters");
    saveStateButton = button("cmdSaveState", "Save state");
    clearOutputButton = button("cmdClearOutput", "Clear textbox");
    copyToClipboardButton = button("cmdCopyToClipboard", "Copy text to clipboard");
    saveListingButton = button("cmdSaveListing", "Save listing as...");
    saveListingButton->setToolTip(QStringLiteral(
        "Save the listed words for a spreadsheet or another program: CSV, TSV or JSON (Ctrl+Shift+S)"));
    chartButton = button("cmdChart", "Chart");
    chartButton->setToolTip(QStringLiteral("Chart the listed words (Ctrl+G)"));
    compareButton = button("cmdCompare", "Compare with...");
    compareButton->setToolTip(QStringLiteral("The keywords of the listed result against another text or a counts file"));
    // All wait for a finished count.
    saveListingButton->setEnabled(false);
    chartButton->setEnabled(false);
    compareButton->setEnabled(false);
    helpButton = button("cmdHelp", "Help");
    helpButton->installEventFilter(this);
    quitButton = button("cmdQuit", "Quit");
    siteLabel = label("lblCV_URL");
    {
        QFont f = siteLabel->font();
        f.setPointSizeF(f.pointSizeF() * 0.85);
        f.setUnderline(true);
        siteLabel->setFont(f);
        siteLabel->setCursor(Qt::PointingHandCursor);
        siteLabel->setStyleSheet(QStringLiteral("color: palette(link);"));
    }

    timer = new QTimer(this);
    timer->setObjectName(QStringLiteral("Timer1"));
    timer->setInterval(1000);

    // Layout: the source and file rows, the count row, the results, then the
    // text boxes (the output box takes the room) and the commands.
    auto* top = new QHBoxLayout;
    top->addWidget(sourceLabel);
    top->addWidget(fileSourceButton);
    top->addWidget(clipboardSourceButton);
    top->addSpacing(16);
    top->addWidget(clipboardSizeLabel, 1);
    top->addWidget(compareButton);  // what the count found, against another text
    top->addSpacing(12);
    top->addWidget(aboutLink);
    top->addSpacing(12);
    top->addWidget(manualLink);

    auto* files = new QGridLayout;
    files->setHorizontalSpacing(6);
    files->setVerticalSpacing(4);
    for (int k = 0; k < 2; ++k) {
        files->addWidget(fileButtons[k], k == 0 ? 0 : 2, 0);
        files->addWidget(fileNameBoxes[k], k == 0 ? 0 : 2, 1);
        files->addWidget(clearFileButtons[k], k == 0 ? 0 : 2, 2);
    }
    files->addWidget(corpusButton, 0, 3);
    files->addWidget(fileSizeLabel, 1, 1);
    files->addWidget(disableOutputBox, 2, 3);
    files->setColumnStretch(1, 1);
    fileButtons[0]->setMinimumWidth(fileButtons[1]->sizeHint().width());

    auto* countRow = new QHBoxLayout;
    countRow->addWidget(countButton);
    countRow->addWidget(twirlerLabel);
    countRow->addWidget(suppressWordsBox);
    countRow->addStretch(1);
    countRow->addWidget(wordOrderLabel);
    countRow->addWidget(wordOrderList);
    countRow->addSpacing(12);
    countRow->addWidget(displayFormatLabel);
    countRow->addWidget(displayFormatList);

    auto* results = new QGridLayout(Frame2);
    results->setContentsMargins(8, 4, 8, 4);
    results->setHorizontalSpacing(24);
    results->addWidget(wordCountLabel, 0, 0);
    results->addWidget(wordsExcludedLabel, 1, 0);
    results->addWidget(occurrencesLabel, 0, 1);
    results->addWidget(totalOccurrencesLabel, 1, 1);
    results->setColumnStretch(0, 1);
    results->setColumnStretch(1, 1);

    auto* boxes = new QHBoxLayout;
    boxes->addWidget(introBox, 1);
    boxes->addWidget(outputBox, 3);

    auto* commands = new QHBoxLayout;
    for (QPushButton* b :
         {setParametersButton, saveStateButton, clearOutputButton, copyToClipboardButton, saveListingButton, chartButton,
          helpButton})
        commands->addWidget(b);
    commands->addStretch(1);
    commands->addWidget(siteLabel);
    commands->addSpacing(12);
    commands->addWidget(quitButton);

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

void MainWindow::BuildShortcuts() {
    auto shortcut = [this](QKeySequence keys, std::function<void()> run) {
        auto* s = new QShortcut(keys, this);
        connect(s, &QShortcut::activated, this, std::move(run));
    };
    // Each runs only what its button would run while that button is usable.
    shortcut(QKeySequence::Open, [this] {
        if (fileButtons[0]->isEnabled()) ChooseFile(0);
    });
    shortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_O), [this] {
        if (corpusButton->isEnabled()) ChooseCorpus();
    });
    for (QKeySequence keys : {QKeySequence(Qt::CTRL | Qt::Key_Return), QKeySequence(Qt::CTRL | Qt::Key_Enter)})
        shortcut(keys, [this] {
            if (countButton->isEnabled()) StartOrStopCount();
        });
    // Escape stops a running count the way "Stop" does (the same question).
    shortcut(QKeySequence(Qt::Key_Escape), [this] {
        if (counting_ && countButton->isEnabled()) StartOrStopCount();
    });
    shortcut(QKeySequence(Qt::Key_F1), [this] {
        if (helpButton->isEnabled()) ShowHelp();
    });
    shortcut(QKeySequence(Qt::CTRL | Qt::Key_Q), [this] { Quit(); });
    shortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_S), [this] {
        if (saveListingButton->isEnabled()) SaveListing();
    });
    shortcut(QKeySequence(Qt::CTRL | Qt::Key_G), [this] {
        if (chartButton->isEnabled()) ShowChart();
    });
}

void MainWindow::ConnectHandlers() {
    connect(countButton, &QPushButton::clicked, this, [this] { StartOrStopCount(); });
    for (int k = 0; k < 2; ++k) {
        connect(fileButtons[k], &QPushButton::clicked, this, [this, k] { ChooseFile(k); });
        connect(clearFileButtons[k], &QPushButton::clicked, this, [this, k] { ClearFileName(k); });
        connect(fileNameBoxes[k], &QLineEdit::textEdited, this,
                [this, k](const QString& t) {
                    params_.fileNames[k] = t.toStdString();
                    clearFileButtons[k]->setEnabled(!t.isEmpty());
                    // The size shown is that of the file named now.
                    if (k == 0) session_->ShowInputFileSize(std::string(wordtext::TrimBlanks(params_.fileNames[0])));
                });
    }
    connect(corpusButton, &QPushButton::clicked, this, [this] { ChooseCorpus(); });
    connect(fileSourceButton, &QRadioButton::clicked, this, [this] { FileSourceChosen(); });
    connect(clipboardSourceButton, &QRadioButton::clicked, this, [this] { ClipboardSourceChosen(); });
    connect(suppressWordsBox, &QCheckBox::clicked, this, [this] { SuppressLiveWordsToggled(); });
    connect(disableOutputBox, &QCheckBox::clicked, this,
            [this] { OutputToFileToggled(); });
    connect(wordOrderList, &QComboBox::activated, this, [this] { WordOrderChanged(); });
    connect(displayFormatList, &QComboBox::activated, this, [this] { DisplayFormatChanged(); });
    connect(setParametersButton, &QPushButton::clicked, this, [this] { ShowParameters(); });
    connect(saveStateButton, &QPushButton::clicked, this, [this] { SaveStateNow(); });
    connect(clearOutputButton, &QPushButton::clicked, this, [this] { ClearOutput(); });
    connect(copyToClipboardButton, &QPushButton::clicked, this, [this] { CopyListingToClipboard(); });
    connect(saveListingButton, &QPushButton::clicked, this, [this] { SaveListing(); });
    connect(chartButton, &QPushButton::clicked, this, [this] { ShowChart(); });
    connect(compareButton, &QPushButton::clicked, this, [this] { CompareWith(); });
    connect(helpButton, &QPushButton::clicked, this, [this] { ShowHelp(); });
    connect(quitButton, &QPushButton::clicked, this, [this] { Quit(); });
    connect(aboutLink, &QLabel::linkActivated, this, [this] { OpenAboutPage(); });
    connect(timer, &QTimer::timeout, this, [this] { TimerTick(); });
    // Whatever changes the box outside a listing (a count, a refused count
    // emptying it, the user's typing) leaves it no longer the listing; a
    // count that lists anew shows its listing once it ends.
    connect(outputBox->document(), &QTextDocument::contentsChanged, this, [this] {
        if ((counting_ || !session_->Running()) && listingShown_ >= 0) {
            listingShown_ = -1;
            RefreshResultCommands();
        }
    });
    aboutLink->installEventFilter(this);
    manualLink->installEventFilter(this);
    // A listed word's contexts: double-click, Enter or the box's menu.
    outputBox->installEventFilter(this);
    outputBox->viewport()->installEventFilter(this);
    outputBox->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(outputBox, &QWidget::customContextMenuRequested, this, [this](const QPoint& at) {
        QMenu* menu = outputBox->createStandardContextMenu(at);
        const QString word = ListedWordAt(outputBox->cursorForPosition(at));
        if (!word.isEmpty() && session_->PhraseLength() == 0) {
            QAction* contexts = new QAction(QStringLiteral("Contexts"), menu);
            connect(contexts, &QAction::triggered, this, [this, word] { ShowContexts(word); });
            menu->insertAction(menu->actions().value(0), contexts);
            menu->insertSeparator(menu->actions().value(1));
        }
        menu->setAttribute(Qt::WA_DeleteOnClose);
        menu->popup(outputBox->viewport()->mapToGlobal(at));
    });
    siteLabel->installEventFilter(this);
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event) {
    switch (event->type()) {
    case QEvent::KeyPress: {
        auto* key = static_cast<QKeyEvent*>(event);
        if (watched != outputBox || (key->key() != Qt::Key_Return && key->key() != Qt::Key_Enter)) break;
        const QString word = ListedWordAt(outputBox->textCursor());
        if (word.isEmpty()) break;  // not the listing: Enter edits the box
        ShowContexts(word);
        return true;
    }
    case QEvent::MouseButtonDblClick:
        if (watched == outputBox->viewport()) {
            const QString word =
                ListedWordAt(outputBox->cursorForPosition(static_cast<QMouseEvent*>(event)->position().toPoint()));
            if (!word.isEmpty()) ShowContexts(word);
        }
        break;
    case QEvent::KeyRelease: {
        auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_F1 && !key->isAutoRepeat() &&
            (watched == helpButton || watched == fileButtons[0] || watched == fileButtons[1] ||
             watched == countButton)) {
            ShowHelp();
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
            if (watched == fileNameBoxes[k]) FileNameEdited(k);
        break;
    }
    case QEvent::MouseButtonRelease:
        if (static_cast<QMouseEvent*>(event)->button() != Qt::LeftButton) break;
        if (watched == introBox->viewport()) IntroClicked();
        else if (watched == aboutLink || watched == siteLabel) OpenAboutPage();
        else if (watched == manualLink) OpenManual();
        break;
    default:
        break;
    }
    return QWidget::eventFilter(watched, event);
}

namespace {

// The local files dropped; empty when any of them is not one.
QStringList DroppedFiles(const QMimeData* data) {
    QStringList paths;
    for (const QUrl& url : data->urls()) {
        if (!url.isLocalFile()) return {};
        paths << url.toLocalFile();
    }
    return paths;
}

}  // namespace

void MainWindow::dragEnterEvent(QDragEnterEvent* event) {
    if (!DroppedFiles(event->mimeData()).isEmpty() && fileButtons[0]->isEnabled())
        event->acceptProposedAction();
}

void MainWindow::dropEvent(QDropEvent* event) {
    const QStringList paths = DroppedFiles(event->mimeData());
    if (paths.isEmpty() || !fileButtons[0]->isEnabled()) return;
    event->acceptProposedAction();
    // Handled once the drop is over, so that a message box does not run
    // inside the drag's own event loop. Several files or a folder make a
    // corpus, with the filter used last.
    if (paths.size() == 1) {
        QTimer::singleShot(0, this, [this, path = paths[0]] { OpenFile(path); });
        return;
    }
    const std::vector<CorpusChoice> recent = RecentCorpora();
    const CorpusChoice corpus{paths, recent.empty() ? DefaultCorpusFilter() : recent.front().filter};
    QTimer::singleShot(0, this, [this, corpus] {
        if (fileButtons[0]->isEnabled()) TakeCorpus(corpus);
    });
}

void MainWindow::OpenFile(const QString& name) {
    if (!fileButtons[0]->isEnabled()) return;  // a count began meanwhile
    const QFileInfo file(name);
    const QString path = file.absoluteFilePath();
    if (file.isDir()) {
        const std::vector<CorpusChoice> recent = RecentCorpora();
        TakeCorpus({{path}, recent.empty() ? DefaultCorpusFilter() : recent.front().filter});
        return;
    }
    if (file.suffix().compare(QLatin1String("kvx"), Qt::CaseInsensitive) == 0) {
        paramsWindow_->LoadStateFrom(path);
        SetTheFocus();
        return;
    }
    // As if chosen in the input-file dialog.
    session_->wordsCounted = false;
    TakeFileName(0, path);
}

void MainWindow::closeEvent(QCloseEvent* event) {
    if (quitting_) {
        event->accept();
        return;
    }
    event->ignore();
    Quit();
}

// ---------------------------------------------------------------------------
// Start-up

bool MainWindow::StartUp() {
    session_->startUpCompleted = false;

    // Message texts.
    const std::string folder = ProgramFolder();
    const std::string path = folder + (folder.empty() || folder.back() == '/' ? "" : "/") + "kvx.dat";
    const int32_t r = texts_.Load(path);
    if (r <= 0) {
        host_->message(MessageTable::LoadErrorText(r, path), "", Icon::Critical, Buttons::OK);
        return false;
    }

    // Program-wide strings.
    userSubfolder = texts_.Get(Message::UserSubfolder);
    programTitle = texts_.Get(Message::ProgramTitle);
    versionText = kvx::ProgramVersion();

    // The main window's controls and the defaults.
    introBox->setPlainText(Q(texts_.Get(Message::IntroWhat) + "\n\n" + texts_.Get(Message::IntroSource) +
                             "\n\n" + texts_.Get(Message::IntroCount) + "\n\n" +
                             texts_.Get(Message::IntroParameters) + "\n\n" + texts_.Get(Message::IntroOutputFile) +
                             "\n\n" + texts_.Get(Message::IntroClipboard)));
    countButton->setText(Q(texts_.Get(Message::CountButtonCaption)));
    {
        // The publisher's web address in short (its host), a link like the
        // others; a local page has no such address, and the label stays hidden.
        const QUrl site(Q(texts_.Get(Message::AboutPage)));
        siteLabel->setText(site.host());
        siteLabel->setToolTip(site.toString());
        siteLabel->setVisible(!site.isLocalFile() && !site.host().isEmpty());
    }
    session_->SetDefaultCommonWordsFile();
    FillComboBoxes();
    InitializeVariables();
    session_->ValidateInputFile(params_.fileNames[0]);
    fileButtons[1]->setEnabled(false);
    fileNameBoxes[1]->setEnabled(false);
    clearFileButtons[1]->setEnabled(false);
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
    std::string err = RestoreSavedState(params_, stateFile);
    EnableOutputFileControls();
    if (!err.empty()) {
        InitializeVariables();
        FillComboBoxes();
    }
    ParamsToControls();
    session_->ValidateInputFile(params_.fileNames[0]);
    // The latest corpus comes back when the saved state names its first file
    // (listed in the background; a source chosen meanwhile wins).
    if (const std::vector<CorpusChoice> recent = RecentCorpora();
        params_.inputIsFile && !recent.empty() && !params_.fileNames[0].empty()) {
        const CorpusChoice corpus = recent.front();
        corpusLister_->Start(corpus, [this, corpus, first = params_.fileNames[0]](std::vector<std::string> files,
                                                                                  qint64 bytes) {
            if (!files.empty() && files[0] == first && params_.fileNames[0] == first && corpusFiles_.empty() &&
                fileButtons[0]->isEnabled())
                TakeListedCorpus(corpus, std::move(files), bytes);
            if (std::exchange(countWhenListed_, false)) StartOrStopCount();
        });
    }

    LoadCommonWordsAtStartUp();

    session_->ConcealNumWords();
    timer->start();
    SetTheFocus();
    session_->startUpCompleted = true;
    return true;
}

void MainWindow::LoadCommonWordsAtStartUp() {
    params_.commonWordsFile = std::string(wordtext::TrimBlanks(params_.commonWordsFile));
    if (!filecheck::FileExists(params_.commonWordsFile)) {
        params_.commonWordsFile.clear();
        params_.commonWordsFileText.clear();
        params_.ignoreCommonWords = 0;
        ParamsToControls();
    }
    const std::string title = texts_.Get(Message::CommonWordsTitle);
    if (params_.commonWordsFile.empty()) {
        if (host_->askUnlessSilenced(QStringLiteral("commonWordsAtStart"),
                                     texts_.Get(Message::UseDefaultCommonWords), title) == Answer::Yes) {
            session_->SetDefaultCommonWordsFile();
            session_->AttemptToReadCommonWords();
        }
    } else if (params_.ignoreCommonWords == 1) {
        session_->AttemptToReadCommonWords();
    } else if (host_->message(texts_.Get(Message::UseCommonWordsFile) + "\r\n" + params_.commonWordsFile,
                              title, Icon::None, Buttons::YesNo) == Answer::Yes) {
        session_->AttemptToReadCommonWords();
    }
}

void MainWindow::InitializeVariables() {
    params_.inputIsFile = true;
    copyToClipboardButton->setToolTip(QString());
    clipboardSizeLabel->clear();
    fileSizeLabel->clear();
    stateFile = UserFilePath("kvx.usr", userSubfolder);
    twirlerLabel->setText(QStringLiteral(" "));
    session_->maxClipboardChars = 100000;
    // Initialize: the parameters back to their first-start values.
    session_->wordsCounted = false;
    InitializeParams(params_);
    session_->SetDefaultCommentMarkers();
    EnableOutputFileControls();
    session_->progressBarWidth = 37;
    ParamsToControls();
}

void MainWindow::FillComboBoxes() {
    const bool was = settingControls_;
    settingControls_ = true;
    FillList(wordOrderList, WordOrderEntries());
    FillList(displayFormatList, DisplayFormatEntries());
    settingControls_ = was;
    params_.shortWordIndex = kDefaultShortWordSize;
    params_.longWordIndex = kDefaultLongWordSize;
    params_.frequencyIndex = kDefaultThresholdFrequency;
    params_.wordOrder = 0;
    params_.displayFormat = 0;
    ParamsToControls();
}

void MainWindow::SetWindowCaption() { setWindowTitle(Q(programTitle + " " + versionText)); }

void MainWindow::SetUpCopyAndOutputControls() {
    copyToClipboardButton->setText(Q(texts_.Get(Message::CopyButtonCaption)));
    QFont f = copyToClipboardButton->font();
    f.setBold(false);
    copyToClipboardButton->setFont(f);
    copyToClipboardButton->setVisible(true);
    timer->start();
    fileButtons[1]->setEnabled(true);
    fileNameBoxes[1]->setEnabled(true);
    clearFileButtons[1]->setEnabled(!fileNameBoxes[1]->text().isEmpty());
}

namespace {
// The window's size and place between runs: Qt's own settings file in the
// XDG config folder, apart from the state file.
const QString kSettingsName = QStringLiteral("kvx");
const QString kGeometryKey = QStringLiteral("frmMain/geometry");
}  // namespace

void MainWindow::SaveWindowGeometry() {
    QSettings(kSettingsName, kSettingsName).setValue(kGeometryKey, saveGeometry());
}

void MainWindow::PlaceWindow() {
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

void MainWindow::SetTheFocus() {
    RefreshResultCommands();
    if (!isVisible()) return;
    if (fileNameBoxes[0]->text().isEmpty() && fileButtons[0]->isEnabled()) fileButtons[0]->setFocus();
    else if (countButton->isEnabled()) countButton->setFocus();
    RefreshFileButtons();
}

void MainWindow::RefreshFileButtons() {
    twirlerLabel->setText(QStringLiteral(" "));
    for (int k = 0; k < 2; ++k)
        clearFileButtons[k]->setEnabled(fileButtons[k]->isEnabled() && !fileNameBoxes[k]->text().isEmpty());
}

void MainWindow::EnableControls(bool enabled) {
    for (int k = 0; k < 2; ++k) {
        fileButtons[k]->setEnabled(enabled);
        fileNameBoxes[k]->setEnabled(enabled);
        // "Clear" only for a box that holds a name.
        clearFileButtons[k]->setEnabled(enabled && !fileNameBoxes[k]->text().isEmpty());
    }
    corpusButton->setEnabled(enabled);
    for (QWidget* w : std::initializer_list<QWidget*>{
             copyToClipboardButton, helpButton, saveStateButton, setParametersButton, clearOutputButton,
             wordOrderList, displayFormatList, clipboardSourceButton, fileSourceButton})
        w->setEnabled(enabled);
    // "Disable" only with an output file named.
    if (enabled) EnableOutputFileControls();
    else disableOutputBox->setEnabled(false);
    paramsWindow_->EnableControls(enabled);
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
    return std::tie(a.shortWordIndex, a.longWordIndex, a.frequencyIndex, a.startComment,
                    a.endComment, a.wordsToIgnore, a.commonWordsFile, a.inputIsFile, a.fileNames[0]) ==
           std::tie(b.shortWordIndex, b.longWordIndex, b.frequencyIndex, b.startComment,
                    b.endComment, b.wordsToIgnore, b.commonWordsFile, b.inputIsFile, b.fileNames[0]);
}

}  // namespace

bool MainWindow::ResultReady() const {
    return !counting_ && session_->wordsCounted && !session_->Running() && !quitting_ &&
           listingShown_ == session_->ListingsMade() && SameListing(countedWith_, params_);
}

void MainWindow::RefreshResultCommands() {
    if (!counting_ && !session_->Running() && listingSeen_ != session_->ListingsMade()) {
        // A listing was made: its last lines go into the box, and from then
        // on any change of the box ends it.
        listingSeen_ = session_->ListingsMade();
        listingShown_ = -1;
        host_->flushOutput();
        listingShown_ = listingSeen_;
    }
    const bool ready = ResultReady();
    saveListingButton->setEnabled(ready);
    chartButton->setEnabled(ready);
    compareButton->setEnabled(ready);
    if (!chartWindow_) return;
    if (!ready && chartWindow_->listing() >= 0) chartWindow_->ShowNoListing();
    else if (ready && chartWindow_->isVisible() && chartWindow_->listing() != session_->ListingsMade())
        UpdateChart();
}

void MainWindow::UpdateChart() {
    chartWindow_->SetData(MakeChartData(session_->ListedWords()), session_->ListingsMade());
}

void MainWindow::EnableOutputFileControls() {
    if (params_.fileNames[1].empty()) {
        params_.outputToFileDisabled = 0;
        disableOutputBox->setChecked(false);
        disableOutputBox->setEnabled(false);
    } else {
        disableOutputBox->setEnabled(true);
    }
}

void MainWindow::ParamsToControls() {
    const bool was = settingControls_;
    settingControls_ = true;
    const QSignalBlocker b1(fileSourceButton), b2(clipboardSourceButton), b3(disableOutputBox),
        b4(suppressWordsBox), b5(wordOrderList), b6(displayFormatList), b7(fileNameBoxes[0]),
        b8(fileNameBoxes[1]);
    if (params_.inputIsFile) fileSourceButton->setChecked(true);
    else clipboardSourceButton->setChecked(true);
    // A corpus stays while the parameters name its first file.
    if (!corpusFiles_.empty() && params_.fileNames[0] != corpusFiles_[0]) DropCorpus();
    for (int k = corpusFiles_.empty() ? 0 : 1; k < 2; ++k)
        if (fileNameBoxes[k]->text().toStdString() != params_.fileNames[k])
            fileNameBoxes[k]->setText(Q(params_.fileNames[k]));
    disableOutputBox->setCheckState(params_.outputToFileDisabled == 1   ? Qt::Checked
                                          : params_.outputToFileDisabled == 2 ? Qt::PartiallyChecked
                                                                                : Qt::Unchecked);
    suppressWordsBox->setCheckState(params_.suppressLiveWords == 1   ? Qt::Checked
                                    : params_.suppressLiveWords == 2 ? Qt::PartiallyChecked
                                                                    : Qt::Unchecked);
    wordOrderList->setCurrentIndex(params_.wordOrder);
    displayFormatList->setCurrentIndex(params_.displayFormat);
    settingControls_ = was;
    emit paramsRefreshed();
}

void MainWindow::SelectOptInFile() {
    if (fileSourceButton->isChecked() && params_.inputIsFile) return;
    params_.inputIsFile = true;
    fileSourceButton->setChecked(true);
    FileSourceChosen();
}

void MainWindow::SelectOptOnClipboard() {
    if (clipboardSourceButton->isChecked() && !params_.inputIsFile) return;
    params_.inputIsFile = false;
    clipboardSourceButton->setChecked(true);
    ClipboardSourceChosen();
}

void MainWindow::ShowClipboardSize(int64_t n) {
    clipboardSizeLabel->setText(Q(ClipboardSizeText(n, *host_)));
}

void MainWindow::PopUp(const QString& message, int width, int height, int interval, int top,
                    int left) {
    popUpWindow_->PopUp(message, width, height, interval, top, left);
}

void MainWindow::RequestWebPage(const std::string& url) {
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

void MainWindow::StartOrStopCount() {
    if (counting_) {  // "Stop"
        host_->requestStop();
        return;
    }
    if (session_->Running()) {  // "Stop" for work on this thread (common words read)
        session_->StartOrStopCount();
        return;
    }
    if (ListingCorpus()) {  // the corpus chosen is counted once its files are listed
        countWhenListed_ = true;
        return;
    }
    params_.suppressLiveWords = suppressWordsBox->isChecked() ? 1 : 0;
    ListingColumns::Apply(outputBox, session_->LettersOfEveryScript());
    listingsBefore_ = session_->ListingsMade();
    counting_ = true;
    // Nothing the count reads can change under it, from the first check on;
    // the output box is the count's alone (it keeps the box's length).
    EnableControls(false);
    outputBox->setReadOnly(true);
    host_->beginWork();
    worker_ = std::thread([this] {
        session_->StartOrStopCount();
        QMetaObject::invokeMethod(this, [this] { CountEnded(); }, Qt::QueuedConnection);
    });
}

void MainWindow::CountEnded() {
    worker_.join();
    host_->endWork();
    counting_ = false;
    outputBox->setReadOnly(false);
    EnableControls(true);
    // Nothing that decides a result can change while it is counted.
    if (session_->ListingsMade() != listingsBefore_) countedWith_ = params_;
    RefreshResultCommands();
    if (saveStateAtEnd_) SaveStateWithPopUp(paramsAtQuit_ ? *paramsAtQuit_ : params_);
    emit countEnded();
    if (quitting_ && endProgram) endProgram();
}

void MainWindow::ChooseFile(int k) {
    QString name;
    if (k == 1) {
        name = host_->saveFileDialog(QStringLiteral("Specify output file"), QString());
    } else {
        session_->wordsCounted = false;
        // "*" rather than "*.*": files without an extension are input too.
        name = Q(host_->openFileDialog("Specify input file",
                                       "Any file containing only text (*) | *", {}));
    }
    TakeFileName(k, name);
}

void MainWindow::ChooseCorpus() {
    if (const std::optional<CorpusChoice> corpus = AskForCorpus(this)) TakeCorpus(*corpus);
    SetTheFocus();
}

void MainWindow::TakeCorpus(const CorpusChoice& corpus) {
    ShowListing(true, CorpusName(corpus));
    corpusLister_->Start(corpus, [this, corpus](std::vector<std::string> files, qint64 bytes) {
        ShowListing(false);
        if (TakeListedCorpus(corpus, std::move(files), bytes) && std::exchange(countWhenListed_, false))
            StartOrStopCount();
        countWhenListed_ = false;
    });
}

bool MainWindow::ListingCorpus() const { return corpusLister_->Busy(); }

void MainWindow::ShowListing(bool listing, const QString& name) {
    // The window stays usable; the pointer and the label say the files are listed.
    if (listing) {
        if (!ListingCorpus()) labelBeforeListing_ = fileSizeLabel->text();
        setCursor(Qt::BusyCursor);
        fileSizeLabel->setText(QStringLiteral("Listing the files of %1...").arg(name));
    } else {
        unsetCursor();
        fileSizeLabel->setText(labelBeforeListing_);
    }
}

bool MainWindow::TakeListedCorpus(const CorpusChoice& corpus, std::vector<std::string> files, qint64 bytes) {
    if (files.empty()) {
        std::string where;
        for (const QString& p : corpus.paths)
            where += (where.empty() ? "" : ", ") + QFileInfo(p).absoluteFilePath().toStdString();
        host_->message("No text files in " + where + ".", texts_.Get(Message::ErrorTitle), Icon::Exclamation,
                       Buttons::OK);
        return false;
    }
    session_->wordsCounted = false;
    session_->SetInputs(files);
    // The state file names the first file: counted alone, it is a part of the corpus.
    params_.fileNames[0] = files[0];
    corpusFiles_ = std::move(files);
    {
        const QSignalBlocker block(fileNameBoxes[0]);
        fileNameBoxes[0]->setText(CorpusSizeText(qsizetype(corpusFiles_.size()), bytes));
    }
    fileNameBoxes[0]->setReadOnly(true);
    QString where = corpus.paths.join(QStringLiteral("; "));
    if (!corpus.filter.isEmpty()) where += QStringLiteral(" (") + corpus.filter + QLatin1Char(')');
    fileNameBoxes[0]->setToolTip(where);
    fileSizeLabel->setText(where);
    RememberCorpus(corpus);
    session_->ClearOutput();
    SelectOptInFile();
    SetTheFocus();
    return true;
}

void MainWindow::DropCorpus() {
    if (corpusLister_->Busy()) {
        corpusLister_->Cancel();
        ShowListing(false);
        countWhenListed_ = false;
    }
    if (corpusFiles_.empty()) return;
    corpusFiles_.clear();
    session_->SetInputs({});
    session_->wordsCounted = false;
    fileNameBoxes[0]->setReadOnly(false);
    fileNameBoxes[0]->setToolTip(QString());
    fileSizeLabel->clear();
}

void MainWindow::TakeFileName(int k, const QString& name) {
    if (!name.isEmpty()) {
        if (k == 0) DropCorpus();
        params_.fileNames[k] = name.toStdString();
        {
            const QSignalBlocker block(fileNameBoxes[k]);
            fileNameBoxes[k]->setText(name);
        }
        if (k == 0) {
            session_->ValidateInputFile(params_.fileNames[0]);
            session_->ClearOutput();
        }
    }
    if (k == 0) SelectOptInFile();
    else EnableOutputFileControls();
    SetTheFocus();
}

void MainWindow::FileNameEdited(int k) {
    if (!isVisible() || checkingEdit_ || settingControls_ || (k == 0 && !corpusFiles_.empty())) return;
    checkingEdit_ = true;
    const std::string text(wordtext::TrimBlanks(fileNameBoxes[k]->text().toStdString()));
    params_.fileNames[k] = text;
    if (fileNameBoxes[k]->text().toStdString() != text) {
        const QSignalBlocker block(fileNameBoxes[k]);
        fileNameBoxes[k]->setText(Q(text));
    }
    if (k == 0) {
        if (!text.empty()) session_->ValidateInputFile(text);
        session_->wordsCounted = false;
    }
    EnableOutputFileControls();
    // The focus stays where the user's click or Tab put it.
    RefreshFileButtons();
    checkingEdit_ = false;
}

void MainWindow::ClearFileName(int k) {
    if (k == 0) DropCorpus();
    params_.fileNames[k].clear();
    {
        const QSignalBlocker block(fileNameBoxes[k]);
        fileNameBoxes[k]->clear();
    }
    if (fileButtons[k]->isEnabled()) fileButtons[k]->setFocus();
    clearFileButtons[k]->setEnabled(false);
    if (k == 0) {
        fileSizeLabel->clear();
    } else {
        params_.outputToFileDisabled = 0;
        disableOutputBox->setChecked(false);
        disableOutputBox->setEnabled(false);
    }
}

void MainWindow::FileSourceChosen() {
    params_.inputIsFile = true;
    session_->wordsCounted = false;
    if (session_->listDisplayed) host_->setOutputText("");
    // The figures belong to the result just given up.
    session_->ConcealNumWords();
    SetTheFocus();
}

void MainWindow::ClipboardSourceChosen() {
    params_.inputIsFile = false;
    session_->wordsCounted = false;
    if (session_->listDisplayed) host_->setOutputText("");
    // The figures belong to the result just given up.
    session_->ConcealNumWords();
    SetTheFocus();
}

void MainWindow::SuppressLiveWordsToggled() {
    const int16_t v = suppressWordsBox->isChecked() ? 1 : 0;
    if (counting_) host_->requestSuppressWords(v);  // the count takes it up
    else params_.suppressLiveWords = v;
    SetTheFocus();
}

void MainWindow::OutputToFileToggled() {
    params_.outputToFileDisabled = disableOutputBox->isChecked() ? 1 : 0;
}

void MainWindow::WordOrderChanged() {
    params_.wordOrder = static_cast<int16_t>(wordOrderList->currentIndex());
    if (session_->wordsCounted) session_->ListWords();
    SetTheFocus();
}

void MainWindow::DisplayFormatChanged() {
    params_.displayFormat = static_cast<int16_t>(displayFormatList->currentIndex());
    if (session_->wordsCounted) session_->ListWords();
    SetTheFocus();
}

void MainWindow::ShowParameters() {
    if (showParameters) showParameters();
}

void MainWindow::SaveStateNow() {
    SaveStateWithPopUp(params_);
    SetTheFocus();
}

void MainWindow::SaveStateWithPopUp(const Params& p) {
    const std::string err = SaveState(p, stateFile);
    if (err.empty()) {
        // 2400 x 300 twips, 6500 down and 5200 across from the window's corner.
        PopUp(Q(texts_.Get(Message::StateSaved)), Px(2400), Px(300), popUpInterval, Px(6500), Px(5200));
    } else if (host_->quitting) {
        // Saved once a count wound down on quitting: still worth telling.
        QString t = Q(err);
        t.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
        host_->asker().message(this, t, QStringLiteral("Error"), Icon::Exclamation, Buttons::OK);
    } else {
        host_->message(err, "Error", Icon::Exclamation, Buttons::OK);
    }
}

void MainWindow::ClearOutput() { session_->ClearOutput(); }

void MainWindow::CopyListingToClipboard() {
    host_->flushOutput();
    const QString text = outputBox->toPlainText();
    host_->setClipboardText(text.toStdString());
    if (!text.isEmpty()) {
        ShowClipboardSize(text.size());
        SelectOptOnClipboard();
    }
}

void MainWindow::SaveListing() {
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
                               ErrorNumberText(texts_.Get(Message::ErrorTitle), o.error),
                           "Save listing as", Icon::Exclamation, Buttons::OK);
    }
    SetTheFocus();
}

void MainWindow::ShowChart() {
    if (!ResultReady()) return;
    if (!chartWindow_) chartWindow_ = new ChartWindow(*this);
    if (chartWindow_->listing() != session_->ListingsMade()) UpdateChart();
    chartWindow_->ShowChart();
}

void MainWindow::CompareWith() {
    if (!ResultReady()) return;
    if (const std::optional<CorpusChoice> reference = AskForCorpus(this, QStringLiteral("Compare with"), true))
        CompareWith(*reference);
}

void MainWindow::CompareWith(const CorpusChoice& reference) {
    if (!ResultReady()) return;
    if (!keywordsWindow_) {
        keywordsWindow_ = new KeywordsWindow(texts_, this);
        keywordsWindow_->here = [this] { return ResultReady() ? &session_->CountedTable() : nullptr; };
        keywordsWindow_->report = [this](const QString& why) {
            host_->message(why.toStdString(), texts_.Get(Message::ErrorTitle), Icon::Exclamation, Buttons::OK);
        };
    }
    ReferenceSource source;
    source.rules = params_;
    source.everyScript = session_->LettersOfEveryScript();
    source.collation = session_->CollationLanguage();
    for (const QString& p : reference.paths) source.paths.push_back(QFileInfo(p).absoluteFilePath().toStdString());
    source.filter = reference.filter.toStdString();
    RememberCorpus(reference, true);
    keywordsWindow_->Start(source, CorpusName(reference));
}

QString MainWindow::ListedWordAt(const QTextCursor& cursor) {
    if (!ResultReady()) return {};
    const std::vector<ListedWord> words = session_->ListedWords();
    // One word a line after the header, or all in one run, after ", ".
    qsizetype i = cursor.blockNumber() - 1;
    if (params_.displayFormat == 9) {
        const QString text = outputBox->toPlainText();
        const qsizetype at = cursor.position();
        i = text.left(at).count(QStringLiteral(", "));
        if (at < text.size() && text.mid(at - 1, 2) == QStringLiteral(", ")) --i;  // just before a ", "
    }
    if (i < 0 || size_t(i) >= words.size()) return {};
    return QString::fromStdString(words[size_t(i)].word);
}

void MainWindow::ShowContexts(const QString& word) {
    if (!ResultReady()) return;
    const std::string w = word.toStdString();
    QString why;
    if (session_->PhraseLength() > 0) why = QStringLiteral("Contexts are shown for words, not for phrases.");
    else if (w.empty()) why = QStringLiteral("No word was chosen.");
    else {
        const std::vector<ListedWord> words = session_->ListedWords();
        if (std::none_of(words.begin(), words.end(), [&](const ListedWord& l) { return l.word == w; }))
            why = QStringLiteral("\"%1\" is not in the listing.").arg(word);
    }
    if (!why.isEmpty()) {
        host_->message(why.toStdString(), texts_.Get(Message::ErrorTitle), Icon::Exclamation, Buttons::OK);
        return;
    }
    if (!contextsWindow_) {
        contextsWindow_ = new ContextsWindow(texts_, this);
        contextsWindow_->saveAs = [this] {
            return host_->saveFileDialog(QStringLiteral("Save contexts as"), QStringLiteral("TSV (*.tsv)"));
        };
        contextsWindow_->report = [this](const QString& why) {
            host_->message(why.toStdString(), texts_.Get(Message::ErrorTitle), Icon::Exclamation, Buttons::OK);
        };
    }
    ContextsSource source;
    source.params = params_;
    source.everyScript = session_->LettersOfEveryScript();
    source.collation = session_->CollationLanguage();
    source.clipboard = session_->ClipboardText();
    source.inputs = corpusFiles_;
    source.maxClipboardChars = session_->maxClipboardChars;
    contextsWindow_->Start(source, word);
}

void MainWindow::ShowHelp() { helpWindow_->ShowHelp(); }

void MainWindow::Quit() {
    if (quitting_) return;
    // The count writes parameters as it goes: its thread is joined first.
    if (params_.saveStateOnQuit == 1) {
        if (counting_) saveStateAtEnd_ = true;
        else SaveStateWithPopUp(params_);
    }
    quitting_ = true;
    // A count may be running: it winds down without asking anything, and
    // the program ends once its thread is joined.
    host_->requestQuit();
    timer->stop();
    SaveWindowGeometry();
    helpWindow_->hide();
    if (chartWindow_) chartWindow_->hide();
    if (contextsWindow_) {
        contextsWindow_->Stop();
        contextsWindow_->hide();
    }
    if (keywordsWindow_) {
        keywordsWindow_->Stop();
        keywordsWindow_->hide();
    }
    hide();
    if (!counting_ && endProgram) endProgram();
}

void MainWindow::IntroClicked() {
    if (!session_->startUpCompleted || counting_) return;
    session_->wordsCounted = false;
    session_->CheckClipboard(true);
}

void MainWindow::OpenAboutPage() { RequestWebPage(texts_.Get(Message::AboutPage)); }

void MainWindow::OpenManual() { RequestWebPage(texts_.Get(Message::ManualPage)); }

void MainWindow::TimerTick() {
    host_->flushOutput();
    const bool empty = outputBox->document()->isEmpty();
    copyToClipboardButton->setToolTip(
        empty ? QStringLiteral(
                    "To count words in the text box the text must first be copied to the clipboard ")
              : QString());
    // Not while a count runs: the commands stay disabled until it ends.
    if (!counting_) clearOutputButton->setEnabled(!empty);
    // A parameter change may have made the result stale.
    RefreshResultCommands();
    for (int k = 0; k < 2; ++k) {
        const QString t = fileNameBoxes[k]->text();
        fileNameBoxes[k]->setToolTip(t.size() >= (k == 0 ? 49 : 38) ? t : QString());
    }
}

}  // namespace kvx
