#include "FrmParams.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QFileInfo>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>
#include <cstring>

#include "FrmMain.h"
#include "QtHost.h"
#include "QtUtil.h"
#include "counting/CountingSession.h"
#include "params/Defaults.h"
#include "scanning/StrProcLists.h"
#include "scanning/WordsToIgnore.h"
#include "state/StateFile.h"

namespace kvx {
namespace {

Qt::CheckState StateOf(int16_t v) {
    return v == 1 ? Qt::Checked : v == 2 ? Qt::PartiallyChecked : Qt::Unchecked;
}

int16_t ValueOf(const QCheckBox* box) {
    switch (box->checkState()) {
    case Qt::Checked: return 1;
    case Qt::PartiallyChecked: return 2;
    default: return 0;
    }
}

const QString kParameterFilter = QStringLiteral("Parameter files (*.kvx) | *.kvx");

}  // namespace

FrmParams::FrmParams(FrmMain& main)
    : QWidget(&main, Qt::Window), main_(main), p_(main.params()), session_(main.session()) {
    setObjectName(QStringLiteral("frmParams"));
    setWindowTitle(QStringLiteral("KVX: Set parameters"));
    BuildControls();
    ConnectHandlers();
    lblParameters->clear();
    txbParametersFile->clear();
    txbParametersFile->hide();
    ParamsToControls();
    hide();

    main.showParameters = [this] { ShowWindow(); };
    connect(&main, &FrmMain::paramsRefreshed, this, [this] { ParamsToControls(); });
}

FrmParams::~FrmParams() = default;

// ---------------------------------------------------------------------------
// Controls

void FrmParams::BuildControls() {
    auto button = [this](const char* name, const char* caption) {
        auto* b = new QPushButton(QString::fromLatin1(caption), this);
        b->setObjectName(QString::fromLatin1(name));
        b->setAutoDefault(false);
        return b;
    };
    auto list = [this](const char* name, const std::vector<std::string>& entries) {
        auto* c = new QComboBox(this);
        c->setObjectName(QString::fromLatin1(name));
        for (const std::string& e : entries) c->addItem(Q(e));
        c->setSizeAdjustPolicy(QComboBox::AdjustToContents);
        return c;
    };
    auto edit = [this](const char* name) {
        auto* e = new QLineEdit(this);
        e->setObjectName(QString::fromLatin1(name));
        return e;
    };
    auto label = [this](const char* name, const char* caption) {
        auto* l = new QLabel(QString::fromLatin1(caption), this);
        if (name) l->setObjectName(QString::fromLatin1(name));
        return l;
    };
    auto frame = [this] {
        auto* f = new QFrame(this);
        f->setFrameShape(QFrame::StyledPanel);
        return f;
    };

    for (const CheckBoxInfo& c : CheckBoxes()) {
        if (c.family == BoxFamily::MainWindow) continue;
        auto* box = new QCheckBox(QString::fromLatin1(c.caption), this);
        box->setObjectName(QString::fromLatin1(c.name));
        boxes_.push_back({box, &c});
    }

    cboShortWordSize = list("cboShortWordSize", ShortWordSizeEntries());
    cboLongWordSize = list("cboLongWordSize", LongWordSizeEntries());
    cboThresholdFrequency = list("cboThresholdFrequency", ThresholdFrequencyEntries());

    static const char* const kStartNames[2] = {"txbStartComment_0", "txbStartComment_1"};
    static const char* const kEndNames[2] = {"txbEndComment_0", "txbEndComment_1"};
    for (int k = 0; k < 2; ++k) {
        txbStartComment[k] = edit(kStartNames[k]);
        txbEndComment[k] = edit(kEndNames[k]);
        txbStartComment[k]->setPlaceholderText(QStringLiteral("start marker"));
        txbEndComment[k]->setPlaceholderText(QStringLiteral("end marker"));
        for (QLineEdit* e : {txbStartComment[k], txbEndComment[k]}) {
            e->setMaximumWidth(140);
            e->installEventFilter(this);
        }
    }
    txbWordsToIgnore = edit("txbWordsToIgnore");
    txbWordsToIgnore->setToolTip(QStringLiteral(
        "Add additional words to ignore here.  Words must be separated by spaces, not commas."));
    txbWordsToIgnore->installEventFilter(this);
    txbCommonWordsFile = edit("txbCommonWordsFile");
    txbCommonWordsFile->installEventFilter(this);
    txbCommonWordsFile->setMinimumWidth(280);
    txbParametersFile = edit("txbParametersFile");
    txbParametersFile->setReadOnly(true);
    {
        QSizePolicy sp = txbParametersFile->sizePolicy();
        sp.setRetainSizeWhenHidden(true);
        txbParametersFile->setSizePolicy(sp);
    }
    lblParameters = label("lblParameters", "State loaded from:");
    lblParameters->setMinimumWidth(lblParameters->fontMetrics().horizontalAdvance(
                                       QStringLiteral("Error loading from  ")));

    cmdClearWordsToIgnore = button("cmdClearWordsToIgnore", "Clear");
    cmdSelectCommonWordsFile = button("cmdSelectCommonWordsFile", "Select common words file");
    cmdSelectCommonWordsFile->setToolTip(
        QStringLiteral("This is for a file containing words (such as common words) ") +
        QStringLiteral("which should be ignored."));
    cmdClearCommonWordsFile = button("cmdClearCommonWordsFile", "Clear");
    cmdSetOrClearCheckboxes[1] = button("cmdSetOrClearCheckboxes_1", "Set checkboxes");
    cmdSetOrClearCheckboxes[0] = button("cmdSetOrClearCheckboxes_0", "Clear checkboxes");
    cmdSaveLoadState[1] = button("cmdSaveLoadState_1", "Load state from file");
    cmdSaveLoadState[0] = button("cmdSaveLoadState_0", "Save state to file");
    cmdRestoreDefaults = button("cmdRestoreDefaults", "Restore defaults");
    cmdInitialize = button("cmdInitialize", "Reinitialize");
    cmdClose = button("cmdClose", "Close");
    cmdClose->setDefault(true);
    cmdQuit = button("cmdQuit", "Quit");

    // What makes a word: the allowed characters, then case, final s and comments.
    QFrame* words = frame();
    auto* wordsLayout = new QVBoxLayout(words);
    wordsLayout->addWidget(label("lblAllowWordsWith", "Allow 'words' with:"));
    auto* allow = new QGridLayout;
    allow->setContentsMargins(12, 0, 0, 0);
    allow->setHorizontalSpacing(16);
    const char* const allowBoxes[] = {
        "chkAllowWordsWithApostrophes",    "chkAllowWordsWithHyphens",
        "chkAllowWordsWithUnderscores",    "chkAllowWordsWithColons",
        "chkAllowWordsWithBackslashes",    "chkAllowWordsWithForwardslashes",
        "chkAllowWordsWithPeriods",        "chkAllowWordsWithAtSigns",
        "chkAllowWordsWithNumerals"};
    for (int i = 0; i < 9; ++i)
        allow->addWidget(Check(allowBoxes[i]), i % 3, i / 3);
    wordsLayout->addLayout(allow);
    wordsLayout->addSpacing(6);
    wordsLayout->addWidget(label("lblFurthermore", "Furthermore:"));
    auto* further = new QVBoxLayout;
    further->setContentsMargins(12, 0, 0, 0);
    further->addWidget(Check("chkCaseSignificant"));
    further->addWidget(Check("chkDropFinalS"));
    further->addWidget(Check("chkAllowCommentMarkers"));
    auto* pairs = new QGridLayout;
    pairs->setContentsMargins(20, 0, 0, 0);
    static const char* const kPairCaptions[2] = {"1st pair:", "2nd pair:"};
    for (int k = 0; k < 2; ++k) {
        pairs->addWidget(label(nullptr, kPairCaptions[k]), k, 0);
        pairs->addWidget(txbStartComment[k], k, 1);
        pairs->addWidget(txbEndComment[k], k, 2);
    }
    pairs->setColumnStretch(3, 1);
    further->addLayout(pairs);
    wordsLayout->addLayout(further);
    wordsLayout->addStretch(1);

    // Which counted words are left out of the listing.
    QFrame* ignore = frame();
    auto* ignoreLayout = new QGridLayout(ignore);
    ignoreLayout->addWidget(Check("chkIgnoreShortWords"), 0, 0);
    ignoreLayout->addWidget(cboShortWordSize, 0, 1);
    ignoreLayout->addWidget(label(nullptr, "characters"), 0, 2);
    auto* lblIgnoreLongWords = label("lblIgnoreLongWords", "Ignore words with more than");
    // Lined up with the captions of the check boxes around it.
    const QCheckBox* shortWords = Check("chkIgnoreShortWords");
    lblIgnoreLongWords->setIndent(shortWords->sizeHint().width() -
                                  shortWords->fontMetrics().horizontalAdvance(shortWords->text()) - 4);
    ignoreLayout->addWidget(lblIgnoreLongWords, 1, 0);
    ignoreLayout->addWidget(cboLongWordSize, 1, 1);
    ignoreLayout->addWidget(label(nullptr, "characters"), 1, 2);
    ignoreLayout->addWidget(Check("chkIgnoreInfrequentWords"), 2, 0);
    ignoreLayout->addWidget(cboThresholdFrequency, 2, 1);
    ignoreLayout->addWidget(label(nullptr, "occurrences"), 2, 2);
    ignoreLayout->addWidget(Check("chkIgnoreRepetitions"), 3, 0, 1, 4);
    ignoreLayout->addWidget(Check("chkIgnoreRomNum40"), 4, 0, 1, 4);
    ignoreLayout->addWidget(Check("chkIgnoreNoLetter"), 5, 0, 1, 4);
    ignoreLayout->setColumnStretch(3, 1);
    ignoreLayout->setRowStretch(6, 1);

    // The output file and quitting.
    QFrame* output = frame();
    auto* outputLayout = new QVBoxLayout(output);
    outputLayout->addWidget(Check("chkOutputWithCommas"));
    outputLayout->addWidget(Check("chkWarnOnOverwrite"));
    outputLayout->addWidget(Check("chkSaveStateOnQuit"));

    auto* setOrClear = new QHBoxLayout;
    setOrClear->addWidget(cmdSetOrClearCheckboxes[1]);
    setOrClear->addWidget(cmdSetOrClearCheckboxes[0]);
    setOrClear->addStretch(1);

    auto* right = new QVBoxLayout;
    right->addWidget(ignore, 1);
    right->addWidget(output);
    right->addLayout(setOrClear);

    auto* upper = new QHBoxLayout;
    upper->addWidget(words, 1);
    upper->addLayout(right, 1);

    // The two ignore lists.
    QFrame* lists = frame();
    auto* listsLayout = new QGridLayout(lists);
    auto* lblWordsToIgnore = label("lblWordsToIgnore", "Ignore these words:");
    lblWordsToIgnore->setBuddy(txbWordsToIgnore);
    listsLayout->addWidget(lblWordsToIgnore, 0, 0);
    listsLayout->addWidget(txbWordsToIgnore, 0, 1, 1, 2);
    listsLayout->addWidget(cmdClearWordsToIgnore, 0, 3);
    listsLayout->addWidget(Check("chkIgnoreCommonWords"), 1, 0);
    listsLayout->addWidget(txbCommonWordsFile, 1, 1);
    listsLayout->addWidget(cmdSelectCommonWordsFile, 1, 2);
    listsLayout->addWidget(cmdClearCommonWordsFile, 1, 3);
    listsLayout->setColumnStretch(1, 1);

    // The last load or save, and the commands.
    auto* state = new QHBoxLayout;
    state->addWidget(lblParameters);
    state->addWidget(txbParametersFile, 1);

    auto* commands = new QHBoxLayout;
    for (QPushButton* b : {cmdSaveLoadState[1], cmdSaveLoadState[0], cmdRestoreDefaults,
                           cmdInitialize})
        commands->addWidget(b);
    commands->addStretch(1);
    commands->addWidget(cmdClose);
    commands->addWidget(cmdQuit);

    auto* all = new QVBoxLayout(this);
    all->setContentsMargins(10, 10, 10, 10);
    all->setSpacing(8);
    all->addLayout(upper, 1);
    all->addWidget(lists);
    all->addLayout(state);
    all->addLayout(commands);

    // Tab order: down the word rules, then the ignore rules, the output
    // boxes, the lists and the commands.
    const QWidget* order[] = {
        Check("chkAllowWordsWithApostrophes"), Check("chkAllowWordsWithHyphens"),
        Check("chkAllowWordsWithUnderscores"), Check("chkAllowWordsWithColons"),
        Check("chkAllowWordsWithBackslashes"), Check("chkAllowWordsWithForwardslashes"),
        Check("chkAllowWordsWithPeriods"), Check("chkAllowWordsWithAtSigns"),
        Check("chkAllowWordsWithNumerals"), Check("chkCaseSignificant"), Check("chkDropFinalS"),
        Check("chkAllowCommentMarkers"), txbStartComment[0], txbEndComment[0], txbStartComment[1],
        txbEndComment[1], Check("chkIgnoreShortWords"), cboShortWordSize, cboLongWordSize,
        Check("chkIgnoreInfrequentWords"), cboThresholdFrequency, Check("chkIgnoreRepetitions"),
        Check("chkIgnoreRomNum40"), Check("chkIgnoreNoLetter"), Check("chkOutputWithCommas"),
        Check("chkWarnOnOverwrite"), Check("chkSaveStateOnQuit"), cmdSetOrClearCheckboxes[1],
        cmdSetOrClearCheckboxes[0], txbWordsToIgnore, cmdClearWordsToIgnore,
        Check("chkIgnoreCommonWords"), txbCommonWordsFile, cmdSelectCommonWordsFile,
        cmdClearCommonWordsFile, txbParametersFile, cmdSaveLoadState[1], cmdSaveLoadState[0],
        cmdRestoreDefaults, cmdInitialize, cmdClose, cmdQuit};
    for (size_t i = 1; i < std::size(order); ++i)
        setTabOrder(const_cast<QWidget*>(order[i - 1]), const_cast<QWidget*>(order[i]));
}

void FrmParams::ConnectHandlers() {
    // Whatever a click here asks or reports belongs to this window.
    auto onClick = [this](QAbstractButton* button, auto handler) {
        connect(button, &QAbstractButton::clicked, this, [this, handler] {
            const QtHost::Owner owner(main_.host(), this);
            handler();
            main_.RefreshResultCommands();  // the listed result may no longer match
        });
    };
    for (const Box& b : boxes_) {
        QCheckBox* w = b.widget;
        onClick(w, [this, w] {
            const Box* box = FindBox(w);
            p_.*(box->info->member) = ValueOf(w);
            RunHandler(*box);
        });
    }
    const std::pair<QComboBox*, int16_t Params::*> lists[] = {
        {cboShortWordSize, &Params::cboShortWordSize},
        {cboLongWordSize, &Params::cboLongWordSize},
        {cboThresholdFrequency, &Params::cboThresholdFrequency}};
    for (const auto& [list, member] : lists) {
        connect(list, &QComboBox::activated, this, [this, member](int index) {
            p_.*member = static_cast<int16_t>(index);
            FilterFamily_Click();
            main_.RefreshResultCommands();
        });
    }
    for (int k = 0; k < 2; ++k) {
        connect(txbStartComment[k], &QLineEdit::textEdited, this,
                [this, k](const QString& t) { p_.txbStartComment[k] = t.toStdString(); });
        connect(txbEndComment[k], &QLineEdit::textEdited, this,
                [this, k](const QString& t) { p_.txbEndComment[k] = t.toStdString(); });
        onClick(cmdSetOrClearCheckboxes[k], [this, k] { cmdSetOrClearCheckboxes_Click(k); });
        onClick(cmdSaveLoadState[k], [this, k] { cmdSaveLoadState_Click(k); });
    }
    connect(txbWordsToIgnore, &QLineEdit::textEdited, this,
            [this](const QString& t) { p_.txbWordsToIgnore = t.toStdString(); });
    connect(txbCommonWordsFile, &QLineEdit::textEdited, this,
            [this](const QString& t) { p_.txbCommonWordsFile = t.toStdString(); });
    onClick(cmdClearWordsToIgnore, [this] { cmdClearWordsToIgnore_Click(); });
    onClick(cmdSelectCommonWordsFile, [this] { cmdSelectCommonWordsFile_Click(); });
    onClick(cmdClearCommonWordsFile, [this] { cmdClearCommonWordsFile_Click(); });
    onClick(cmdRestoreDefaults, [this] { cmdRestoreDefaults_Click(); });
    onClick(cmdInitialize, [this] { cmdInitialize_Click(); });
    onClick(cmdClose, [this] { cmdClose_Click(); });
    onClick(cmdQuit, [this] { cmdQuit_Click(); });
}

void FrmParams::ParamsToControls() {
    for (const Box& b : boxes_) {
        const QSignalBlocker block(b.widget);
        b.widget->setCheckState(StateOf(p_.*(b.info->member)));
    }
    const std::pair<QComboBox*, int16_t> lists[] = {{cboShortWordSize, p_.cboShortWordSize},
                                                    {cboLongWordSize, p_.cboLongWordSize},
                                                    {cboThresholdFrequency, p_.cboThresholdFrequency}};
    for (const auto& [list, index] : lists) {
        const QSignalBlocker block(list);
        list->setCurrentIndex(index >= 0 && index < list->count() ? index : -1);
    }
    const std::pair<QLineEdit*, const std::string*> texts[] = {
        {txbStartComment[0], &p_.txbStartComment[0]}, {txbEndComment[0], &p_.txbEndComment[0]},
        {txbStartComment[1], &p_.txbStartComment[1]}, {txbEndComment[1], &p_.txbEndComment[1]},
        {txbWordsToIgnore, &p_.txbWordsToIgnore},     {txbCommonWordsFile, &p_.txbCommonWordsFile},
        {txbParametersFile, &p_.txbParametersFile}};
    for (const auto& [box, value] : texts) {
        if (box->text().toStdString() == *value) continue;
        const QSignalBlocker block(box);
        box->setText(Q(*value));
    }
}

const FrmParams::Box* FrmParams::FindBox(const QCheckBox* widget) const {
    for (const Box& b : boxes_)
        if (b.widget == widget) return &b;
    return nullptr;
}

const FrmParams::Box* FrmParams::FindBox(const char* name) const {
    const QString n = QString::fromLatin1(name);
    for (const Box& b : boxes_)
        if (b.widget->objectName() == n) return &b;
    return nullptr;
}

QCheckBox* FrmParams::Check(const char* name) const { return FindBox(name)->widget; }

bool FrmParams::SetCheckBox(const char* name, int16_t value) {
    const Box* b = FindBox(name);
    if (!b) return false;
    SetBox(*b, value);
    return true;
}

void FrmParams::SetBox(const Box& box, int16_t value) {
    if (p_.*(box.info->member) == value && ValueOf(box.widget) == value) return;
    p_.*(box.info->member) = value;
    {
        const QSignalBlocker block(box.widget);
        box.widget->setCheckState(StateOf(value));
    }
    RunHandler(box);
}

void FrmParams::RunHandler(const Box& box) {
    switch (box.info->family) {
    case BoxFamily::Confirm:
    case BoxFamily::ConfirmCheckChars:
    case BoxFamily::ConfirmCommentMarkers: chkConfirmFamily_Click(box.widget); break;
    case BoxFamily::Filter: FilterFamily_Click(); break;
    case BoxFamily::CommonWords: chkIgnoreCommonWords_Click(); break;
    case BoxFamily::Output:
    case BoxFamily::MainWindow: break;
    }
}

void FrmParams::SetList(QComboBox* list, int16_t Params::*member, int16_t index) {
    if (p_.*member == index && list->currentIndex() == index) return;
    p_.*member = index;
    {
        const QSignalBlocker block(list);
        list->setCurrentIndex(index);
    }
    FilterFamily_Click();
}

void FrmParams::MoveFocusToClose() {
    if (cmdClose->isEnabled()) cmdClose->setFocus(Qt::OtherFocusReason);
}

// ---------------------------------------------------------------------------
// Showing and placing

void FrmParams::ShowWindow() {
    PlaceWindow();
    show();
    raise();
    activateWindow();
    MoveFocusToClose();
}

void FrmParams::EnableControls(bool enabled) {
    for (QObject* child : children())
        if (auto* w = qobject_cast<QWidget*>(child); w && !w->isWindow() && w != cmdClose && w != cmdQuit)
            w->setEnabled(enabled);
}

void FrmParams::PlaceWindow() {
    // Top with the main window's top, left beyond the "Set parameters" button.
    move(main_.pos().x() + main_.cmdSetParameters->width() + Px(300), main_.pos().y());
}

bool FrmParams::event(QEvent* event) {
    if (event->type() == QEvent::WindowActivate) {
        PlaceWindow();
        if (cmdClose->isEnabled() && cmdClose->isVisible()) cmdClose->setFocus(Qt::OtherFocusReason);
    }
    return QWidget::event(event);
}

bool FrmParams::eventFilter(QObject* watched, QEvent* event) {
    const QtHost::Owner owner(main_.host(), this);
    switch (event->type()) {
    case QEvent::KeyPress: {
        auto* key = static_cast<QKeyEvent*>(event);
        if (watched == txbCommonWordsFile &&
            (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter)) {
            txbCommonWordsFile_LostFocus();
            return true;
        }
        break;
    }
    case QEvent::FocusOut: {
        // A message box or file dialog taking the focus is not leaving the box.
        const auto reason = static_cast<QFocusEvent*>(event)->reason();
        if (reason == Qt::PopupFocusReason) break;
        if (reason == Qt::ActiveWindowFocusReason && QApplication::activeModalWidget()) break;
        if (watched == txbWordsToIgnore) txbWordsToIgnore_LostFocus();
        else if (watched == txbCommonWordsFile) txbCommonWordsFile_LostFocus();
        else
            for (int k = 0; k < 2; ++k)
                if (watched == txbStartComment[k] || watched == txbEndComment[k])
                    txbComment_LostFocus(static_cast<QLineEdit*>(watched));
        main_.RefreshResultCommands();
        break;
    }
    default:
        break;
    }
    return QWidget::eventFilter(watched, event);
}

void FrmParams::keyPressEvent(QKeyEvent* event) {
    // Escape closes the window, as "Close" does.
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        cmdClose_Click();
        return;
    }
    QWidget::keyPressEvent(event);
}

void FrmParams::closeEvent(QCloseEvent* event) {
    // The window's own close box does what "Close" does.
    event->ignore();
    cmdClose_Click();
}

// ---------------------------------------------------------------------------
// Checks

bool FrmParams::ConfirmRereading() {
    if (main_.host().message("Changing this entails reading the file anew.  Is this OK?",
                             main_.strProgramTitle, Icon::None, Buttons::YesNo) == Answer::Yes) {
        session_.blnWordsGot = false;
        return true;
    }
    return false;
}

bool FrmParams::CheckAllowedExtraChars() {
    if (!session_.blnStartUpCompleted || session_.blnSettingControls || blnSettingCheckboxes ||
        p_.txbWordsToIgnore.empty())
        return true;
    session_.SetAllowedExtraChars();
    const std::string why = kvx::CheckAllowedExtraChars(p_);
    if (why.empty()) return true;
    main_.host().message(why, kvx::kCharNotAllowedTitle, Icon::Exclamation, Buttons::OK);
    return false;
}

// ---------------------------------------------------------------------------
// Change handlers

void FrmParams::chkConfirmFamily_Click(QCheckBox* widget) {
    const Box* box = FindBox(widget);
    if (!box || !session_.blnStartUpCompleted || session_.blnSettingControls) return;
    if (box->info->family == BoxFamily::ConfirmCommentMarkers && session_.ReadingCommonWords())
        return;
    if (session_.blnWordsGot && !ConfirmRereading()) {
        session_.blnSettingControls = true;
        SetBox(*box, p_.*(box->info->member) == 1 ? 0 : 1);
        session_.blnSettingControls = false;
    }
    if (box->info->family == BoxFamily::ConfirmCheckChars) CheckAllowedExtraChars();
}

void FrmParams::FilterFamily_Click() {
    if (session_.blnStartUpCompleted) MoveFocusToClose();
}

void FrmParams::chkIgnoreCommonWords_Click() {
    if (!session_.blnStartUpCompleted || session_.blnSettingControls) return;
    const bool noFile = p_.chkIgnoreCommonWords == 1 && p_.strCommonWordsFile.empty();
    session_.chkIgnoreCommonWords_Click();
    if (noFile) cmdSelectCommonWordsFile->setFocus(Qt::OtherFocusReason);
    if (isVisible()) MoveFocusToClose();
}

void FrmParams::txbComment_LostFocus(QLineEdit* box) {
    for (int k = 0; k < 2; ++k) {
        std::string* value = box == txbStartComment[k] ? &p_.txbStartComment[k]
                             : box == txbEndComment[k] ? &p_.txbEndComment[k]
                                                       : nullptr;
        if (!value) continue;
        *value = std::string(StrProc::TrimBlanks(box->text().toStdString()));
        if (box->text().toStdString() != *value) {
            const QSignalBlocker block(box);
            box->setText(Q(*value));
        }
        session_.blnWordsGot = false;
    }
}

void FrmParams::txbWordsToIgnore_LostFocus() {
    if (blnInLostFocus_) return;
    blnInLostFocus_ = true;
    p_.txbWordsToIgnore = NormaliseWordsToIgnore(p_.txbWordsToIgnore, p_.strWordsToIgnore);
    if (txbWordsToIgnore->text().toStdString() != p_.txbWordsToIgnore) {
        const QSignalBlocker block(txbWordsToIgnore);
        txbWordsToIgnore->setText(Q(p_.txbWordsToIgnore));
    }
    if (!p_.strWordsToIgnore.empty()) CheckAllowedExtraChars();
    blnInLostFocus_ = false;
}

void FrmParams::txbCommonWordsFile_LostFocus() {
    if (blnInLostFocus_) return;
    blnInLostFocus_ = true;
    p_.txbCommonWordsFile = txbCommonWordsFile->text().toStdString();
    session_.txbCommonWordsFile_LostFocus();
    blnInLostFocus_ = false;
}

// ---------------------------------------------------------------------------
// Commands

void FrmParams::cmdSetOrClearCheckboxes_Click(int index) {
    blnSettingCheckboxes = true;
    for (const CheckBoxInfo* c : CheckBoxesInOrder(&CheckBoxInfo::setStep))
        SetCheckBox(c->name, index == 1 ? 1 : 0);
    blnSettingCheckboxes = false;
}

void FrmParams::SetDefaultValues() {
    session_.blnWordsGot = false;
    for (const CheckBoxInfo* c : CheckBoxesInOrder(&CheckBoxInfo::defaultStep))
        SetCheckBox(c->name, c->defaultValue);
    session_.SetDefaultCommentMarkers();
    SetList(cboShortWordSize, &Params::cboShortWordSize, kDefaultShortWordSize);
    SetList(cboLongWordSize, &Params::cboLongWordSize, kDefaultLongWordSize);
    SetList(cboThresholdFrequency, &Params::cboThresholdFrequency, kDefaultThresholdFrequency);
}

void FrmParams::cmdRestoreDefaults_Click() {
    SetDefaultValues();
    MoveFocusToClose();
}

void FrmParams::cmdClearWordsToIgnore_Click() {
    p_.txbWordsToIgnore.clear();
    {
        const QSignalBlocker block(txbWordsToIgnore);
        txbWordsToIgnore->clear();
    }
    // The emptied box is in force at once, not only after the box is next left.
    txbWordsToIgnore_LostFocus();
    MoveFocusToClose();
}

void FrmParams::cmdSelectCommonWordsFile_Click() {
    session_.cmdSelectCommonWordsFile_Click();
    MoveFocusToClose();
}

void FrmParams::cmdClearCommonWordsFile_Click() { session_.cmdClearCommonWordsFile_Click(); }

void FrmParams::cmdInitialize_Click() {
    // The main window's Initialize: files, lists and texts back to a first start.
    p_.txbFile[0].clear();
    p_.txbFile[1].clear();
    p_.txbWordsToIgnore.clear();
    main_.ParamsToControls();
    SetDefaultValues();
    p_.chkSuppressWords = 0;
    // The loaded words go with the name: with none, a count leaves none out
    // (the box keeps its tick, as the other parameters of this kind do).
    p_.txbCommonWordsFile.clear();
    p_.strCommonWordsFile.clear();
    p_.txbParametersFile.clear();
    session_.SetDefaultCommentMarkers();
    txbWordsToIgnore_LostFocus();
    main_.EnableOutputFileControls();
    p_.cboWordOrder = 0;
    p_.cboDisplayFormat = 0;
    main_.ParamsToControls();
    SetDefaultValues();
    lblParameters->setText(QStringLiteral("Program reinitialized."));
    txbParametersFile->hide();
    ShowWindow();
}

void FrmParams::cmdClose_Click() {
    hide();
    main_.activateWindow();
    main_.SetTheFocus();
}

void FrmParams::cmdQuit_Click() {
    main_.cmdQuit_Click();
    if (main_.Quitting()) hide();
}

void FrmParams::cmdSaveLoadState_Click(int index) {
    if (index == 1) LoadState();
    else SaveStateToFile();
}

void FrmParams::LoadState() {
    QtHost& host = main_.host();
    const QString name =
        host.quitting ? QString()
                      : host.asker().openFileDialog(
                            this, QStringLiteral("Specify file to load parameters from."),
                            kParameterFilter, host.currentFolder());
    if (!name.isEmpty()) LoadStateFrom(name);
}

void FrmParams::LoadStateFrom(const QString& name) {
    QtHost& host = main_.host();
    const std::string path = name.toStdString();
    lblParameters->clear();
    p_.txbParametersFile = path;
    {
        const QSignalBlocker block(txbParametersFile);
        txbParametersFile->setText(name);
    }
    txbParametersFile->show();

    const int16_t order = p_.cboWordOrder;
    const int16_t format = p_.cboDisplayFormat;
    session_.blnSettingControls = true;
    const std::string err = RestoreSavedState(p_, path);
    session_.blnSettingControls = false;
    if (!err.empty()) {
        // A file that fails changes nothing: the message, and its name
        // beside "Error loading from".
        host.message(err, "Load parameters", Icon::Exclamation, Buttons::OK);
        lblParameters->setText(QStringLiteral("Error loading from"));
        return;
    }
    main_.EnableOutputFileControls();
    main_.ParamsToControls();
    lblParameters->setText(QStringLiteral("State loaded from"));
    // A finished count stays; show it in the order and layout just loaded.
    if (session_.blnWordsGot && (order != p_.cboWordOrder || format != p_.cboDisplayFormat))
        session_.ListWords();
}

void FrmParams::SaveStateToFile() {
    QtHost& host = main_.host();
    const QString title = QStringLiteral("Specify file to save parameters to");
    QString name =
        host.quitting ? QString()
                      : host.asker().saveFileDialog(this, title, kParameterFilter,
                                                    host.currentFolder(), nullptr);
    if (name.isEmpty()) return;
    // A name typed without an extension gets ".kvx", so that the load
    // dialog's filter shows the file.
    if (QFileInfo(name).suffix().isEmpty()) name += QStringLiteral(".kvx");
    if (QFileInfo::exists(name) &&
        host.message(name.toStdString() + " already exists.\r\nDo you want to replace it?",
                     title.toStdString(), Icon::Exclamation, Buttons::YesNo) != Answer::Yes)
        return;
    const std::string path = name.toStdString();
    lblParameters->clear();
    p_.txbParametersFile = path;
    {
        const QSignalBlocker block(txbParametersFile);
        txbParametersFile->setText(name);
    }
    txbParametersFile->show();
    const std::string err = SaveState(p_, path);
    if (err.empty()) {
        lblParameters->setText(QStringLiteral("State saved to"));
        return;
    }
    host.message(err, "Save parameters", Icon::Exclamation, Buttons::OK);
    lblParameters->setText(QStringLiteral("Error saving to"));
}

}  // namespace kvx
