#include "ParamsWindow.h"

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

#include "MainWindow.h"
#include "QtHost.h"
#include "QtUtil.h"
#include "counting/CountingSession.h"
#include "LettersSetting.h"
#include "PhrasesSetting.h"
#include "params/Defaults.h"
#include "scanning/TextLists.h"
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

ParamsWindow::ParamsWindow(MainWindow& main)
    : QWidget(&main, Qt::Window), main_(main), p_(main.params()), session_(main.session()) {
    setObjectName(QStringLiteral("frmParams"));
    setWindowTitle(QStringLiteral("KVX: Set parameters"));
    BuildControls();
    ConnectHandlers();
    parametersLabel->clear();
    parametersFileBox->clear();
    parametersFileBox->hide();
    ParamsToControls();
    hide();

    main.showParameters = [this] { ShowWindow(); };
    connect(&main, &MainWindow::paramsRefreshed, this, [this] { ParamsToControls(); });
}

ParamsWindow::~ParamsWindow() = default;

// ---------------------------------------------------------------------------
// Controls

void ParamsWindow::BuildControls() {
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

    shortWordSizeList = list("cboShortWordSize", ShortWordSizeEntries());
    longWordSizeList = list("cboLongWordSize", LongWordSizeEntries());
    frequencyThresholdList = list("cboThresholdFrequency", ThresholdFrequencyEntries());

    static const char* const kStartNames[2] = {"txbStartComment_0", "txbStartComment_1"};
    static const char* const kEndNames[2] = {"txbEndComment_0", "txbEndComment_1"};
    for (int k = 0; k < 2; ++k) {
        startCommentBoxes[k] = edit(kStartNames[k]);
        endCommentBoxes[k] = edit(kEndNames[k]);
        startCommentBoxes[k]->setPlaceholderText(QStringLiteral("start marker"));
        endCommentBoxes[k]->setPlaceholderText(QStringLiteral("end marker"));
        for (QLineEdit* e : {startCommentBoxes[k], endCommentBoxes[k]}) {
            e->setMaximumWidth(140);
            e->installEventFilter(this);
        }
    }
    wordsToIgnoreBox = edit("txbWordsToIgnore");
    wordsToIgnoreBox->setToolTip(QStringLiteral(
        "Add additional words to ignore here.  Words must be separated by spaces, not commas."));
    wordsToIgnoreBox->installEventFilter(this);
    commonWordsFileBox = edit("txbCommonWordsFile");
    commonWordsFileBox->installEventFilter(this);
    commonWordsFileBox->setMinimumWidth(280);
    parametersFileBox = edit("txbParametersFile");
    parametersFileBox->setReadOnly(true);
    {
        QSizePolicy sp = parametersFileBox->sizePolicy();
        sp.setRetainSizeWhenHidden(true);
        parametersFileBox->setSizePolicy(sp);
    }
    parametersLabel = label("lblParameters", "State loaded from:");
    parametersLabel->setMinimumWidth(parametersLabel->fontMetrics().horizontalAdvance(
                                       QStringLiteral("Error loading from  ")));

    clearWordsToIgnoreButton = button("cmdClearWordsToIgnore", "Clear");
    selectCommonWordsFileButton = button("cmdSelectCommonWordsFile", "Select common words file");
    selectCommonWordsFileButton->setToolTip(
        QStringLiteral("This is for a file containing words (such as common words) ") +
        QStringLiteral("which should be ignored."));
    clearCommonWordsFileButton = button("cmdClearCommonWordsFile", "Clear");
    setOrClearCheckboxesButtons[1] = button("cmdSetOrClearCheckboxes_1", "Set checkboxes");
    setOrClearCheckboxesButtons[0] = button("cmdSetOrClearCheckboxes_0", "Clear checkboxes");
    saveLoadStateButtons[1] = button("cmdSaveLoadState_1", "Load state from file");
    saveLoadStateButtons[0] = button("cmdSaveLoadState_0", "Save state to file");
    restoreDefaultsButton = button("cmdRestoreDefaults", "Restore defaults");
    initializeButton = button("cmdInitialize", "Reinitialize");
    closeButton = button("cmdClose", "Close");
    closeButton->setDefault(true);
    quitButton = button("cmdQuit", "Quit");

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
        pairs->addWidget(startCommentBoxes[k], k, 1);
        pairs->addWidget(endCommentBoxes[k], k, 2);
    }
    pairs->setColumnStretch(3, 1);
    further->addLayout(pairs);
    letters = new LettersSetting(session_, this);
    further->addWidget(letters);
    phrases = new PhrasesSetting(session_, this);
    further->addWidget(phrases);
    wordsLayout->addLayout(further);
    wordsLayout->addStretch(1);

    // Which counted words are left out of the listing.
    QFrame* ignore = frame();
    auto* ignoreLayout = new QGridLayout(ignore);
    ignoreLayout->addWidget(Check("chkIgnoreShortWords"), 0, 0);
    ignoreLayout->addWidget(shortWordSizeList, 0, 1);
    ignoreLayout->addWidget(label(nullptr, "characters"), 0, 2);
    auto* ignoreLongWordsLabel = label("lblIgnoreLongWords", "Ignore words with more than");
    // Lined up with the captions of the check boxes around it.
    const QCheckBox* shortWords = Check("chkIgnoreShortWords");
    ignoreLongWordsLabel->setIndent(shortWords->sizeHint().width() -
                                  shortWords->fontMetrics().horizontalAdvance(shortWords->text()) - 4);
    ignoreLayout->addWidget(ignoreLongWordsLabel, 1, 0);
    ignoreLayout->addWidget(longWordSizeList, 1, 1);
    ignoreLayout->addWidget(label(nullptr, "characters"), 1, 2);
    ignoreLayout->addWidget(Check("chkIgnoreInfrequentWords"), 2, 0);
    ignoreLayout->addWidget(frequencyThresholdList, 2, 1);
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
    setOrClear->addWidget(setOrClearCheckboxesButtons[1]);
    setOrClear->addWidget(setOrClearCheckboxesButtons[0]);
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
    auto* wordsToIgnoreLabel = label("lblWordsToIgnore", "Ignore these words:");
    wordsToIgnoreLabel->setBuddy(wordsToIgnoreBox);
    listsLayout->addWidget(wordsToIgnoreLabel, 0, 0);
    listsLayout->addWidget(wordsToIgnoreBox, 0, 1, 1, 2);
    listsLayout->addWidget(clearWordsToIgnoreButton, 0, 3);
    listsLayout->addWidget(Check("chkIgnoreCommonWords"), 1, 0);
    listsLayout->addWidget(commonWordsFileBox, 1, 1);
    listsLayout->addWidget(selectCommonWordsFileButton, 1, 2);
    listsLayout->addWidget(clearCommonWordsFileButton, 1, 3);
    listsLayout->setColumnStretch(1, 1);

    // The last load or save, and the commands.
    auto* state = new QHBoxLayout;
    state->addWidget(parametersLabel);
    state->addWidget(parametersFileBox, 1);

    auto* commands = new QHBoxLayout;
    for (QPushButton* b : {saveLoadStateButtons[1], saveLoadStateButtons[0], restoreDefaultsButton,
                           initializeButton})
        commands->addWidget(b);
    commands->addStretch(1);
    commands->addWidget(closeButton);
    commands->addWidget(quitButton);

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
        Check("chkAllowCommentMarkers"), startCommentBoxes[0], endCommentBoxes[0], startCommentBoxes[1],
        endCommentBoxes[1], letters->everyScriptBox, letters->collationList, Check("chkIgnoreShortWords"), shortWordSizeList, longWordSizeList,
        Check("chkIgnoreInfrequentWords"), frequencyThresholdList, Check("chkIgnoreRepetitions"),
        Check("chkIgnoreRomNum40"), Check("chkIgnoreNoLetter"), Check("chkOutputWithCommas"),
        Check("chkWarnOnOverwrite"), Check("chkSaveStateOnQuit"), setOrClearCheckboxesButtons[1],
        setOrClearCheckboxesButtons[0], wordsToIgnoreBox, clearWordsToIgnoreButton,
        Check("chkIgnoreCommonWords"), commonWordsFileBox, selectCommonWordsFileButton,
        clearCommonWordsFileButton, parametersFileBox, saveLoadStateButtons[1], saveLoadStateButtons[0],
        restoreDefaultsButton, initializeButton, closeButton, quitButton};
    for (size_t i = 1; i < std::size(order); ++i)
        setTabOrder(const_cast<QWidget*>(order[i - 1]), const_cast<QWidget*>(order[i]));
}

void ParamsWindow::ConnectHandlers() {
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
        {shortWordSizeList, &Params::shortWordIndex},
        {longWordSizeList, &Params::longWordIndex},
        {frequencyThresholdList, &Params::frequencyIndex}};
    for (const auto& [list, member] : lists) {
        connect(list, &QComboBox::activated, this, [this, member](int index) {
            p_.*member = static_cast<int16_t>(index);
            FilterFamilyToggled();
            main_.RefreshResultCommands();
        });
    }
    for (int k = 0; k < 2; ++k) {
        connect(startCommentBoxes[k], &QLineEdit::textEdited, this,
                [this, k](const QString& t) { p_.startComment[k] = t.toStdString(); });
        connect(endCommentBoxes[k], &QLineEdit::textEdited, this,
                [this, k](const QString& t) { p_.endComment[k] = t.toStdString(); });
        onClick(setOrClearCheckboxesButtons[k], [this, k] { SetOrClearCheckboxes(k); });
        onClick(saveLoadStateButtons[k], [this, k] { SaveOrLoadState(k); });
    }
    connect(wordsToIgnoreBox, &QLineEdit::textEdited, this,
            [this](const QString& t) { p_.wordsToIgnoreText = t.toStdString(); });
    connect(commonWordsFileBox, &QLineEdit::textEdited, this,
            [this](const QString& t) { p_.commonWordsFileText = t.toStdString(); });
    onClick(clearWordsToIgnoreButton, [this] { ClearWordsToIgnore(); });
    onClick(selectCommonWordsFileButton, [this] { SelectCommonWordsFile(); });
    onClick(clearCommonWordsFileButton, [this] { ClearCommonWordsFile(); });
    onClick(restoreDefaultsButton, [this] { RestoreDefaults(); });
    onClick(initializeButton, [this] { InitializeParameters(); });
    onClick(closeButton, [this] { CloseWindow(); });
    onClick(quitButton, [this] { Quit(); });
}

void ParamsWindow::ParamsToControls() {
    for (const Box& b : boxes_) {
        const QSignalBlocker block(b.widget);
        b.widget->setCheckState(StateOf(p_.*(b.info->member)));
    }
    const std::pair<QComboBox*, int16_t> lists[] = {{shortWordSizeList, p_.shortWordIndex},
                                                    {longWordSizeList, p_.longWordIndex},
                                                    {frequencyThresholdList, p_.frequencyIndex}};
    for (const auto& [list, index] : lists) {
        const QSignalBlocker block(list);
        list->setCurrentIndex(index >= 0 && index < list->count() ? index : -1);
    }
    const std::pair<QLineEdit*, const std::string*> texts[] = {
        {startCommentBoxes[0], &p_.startComment[0]}, {endCommentBoxes[0], &p_.endComment[0]},
        {startCommentBoxes[1], &p_.startComment[1]}, {endCommentBoxes[1], &p_.endComment[1]},
        {wordsToIgnoreBox, &p_.wordsToIgnoreText},     {commonWordsFileBox, &p_.commonWordsFileText},
        {parametersFileBox, &p_.parametersFile}};
    for (const auto& [box, value] : texts) {
        if (box->text().toStdString() == *value) continue;
        const QSignalBlocker block(box);
        box->setText(Q(*value));
    }
}

const ParamsWindow::Box* ParamsWindow::FindBox(const QCheckBox* widget) const {
    for (const Box& b : boxes_)
        if (b.widget == widget) return &b;
    return nullptr;
}

const ParamsWindow::Box* ParamsWindow::FindBox(const char* name) const {
    const QString n = QString::fromLatin1(name);
    for (const Box& b : boxes_)
        if (b.widget->objectName() == n) return &b;
    return nullptr;
}

QCheckBox* ParamsWindow::Check(const char* name) const { return FindBox(name)->widget; }

bool ParamsWindow::SetCheckBox(const char* name, int16_t value) {
    const Box* b = FindBox(name);
    if (!b) return false;
    SetBox(*b, value);
    return true;
}

void ParamsWindow::SetBox(const Box& box, int16_t value) {
    if (p_.*(box.info->member) == value && ValueOf(box.widget) == value) return;
    p_.*(box.info->member) = value;
    {
        const QSignalBlocker block(box.widget);
        box.widget->setCheckState(StateOf(value));
    }
    RunHandler(box);
}

void ParamsWindow::RunHandler(const Box& box) {
    switch (box.info->family) {
    case BoxFamily::Confirm:
    case BoxFamily::ConfirmCheckChars:
    case BoxFamily::ConfirmCommentMarkers: ConfirmFamilyToggled(box.widget); break;
    case BoxFamily::Filter: FilterFamilyToggled(); break;
    case BoxFamily::CommonWords: IgnoreCommonWordsChanged(); break;
    case BoxFamily::Output:
    case BoxFamily::MainWindow: break;
    }
}

void ParamsWindow::SetList(QComboBox* list, int16_t Params::*member, int16_t index) {
    if (p_.*member == index && list->currentIndex() == index) return;
    p_.*member = index;
    {
        const QSignalBlocker block(list);
        list->setCurrentIndex(index);
    }
    FilterFamilyToggled();
}

void ParamsWindow::MoveFocusToClose() {
    if (closeButton->isEnabled()) closeButton->setFocus(Qt::OtherFocusReason);
}

// ---------------------------------------------------------------------------
// Showing and placing

void ParamsWindow::ShowWindow() {
    PlaceWindow();
    show();
    raise();
    activateWindow();
    MoveFocusToClose();
}

void ParamsWindow::EnableControls(bool enabled) {
    for (QObject* child : children())
        if (auto* w = qobject_cast<QWidget*>(child); w && !w->isWindow() && w != closeButton && w != quitButton)
            w->setEnabled(enabled);
}

void ParamsWindow::PlaceWindow() {
    // Top with the main window's top, left beyond the "Set parameters" button.
    move(main_.pos().x() + main_.setParametersButton->width() + Px(300), main_.pos().y());
}

bool ParamsWindow::event(QEvent* event) {
    if (event->type() == QEvent::WindowActivate) {
        PlaceWindow();
        if (closeButton->isEnabled() && closeButton->isVisible()) closeButton->setFocus(Qt::OtherFocusReason);
    }
    return QWidget::event(event);
}

bool ParamsWindow::eventFilter(QObject* watched, QEvent* event) {
    const QtHost::Owner owner(main_.host(), this);
    switch (event->type()) {
    case QEvent::KeyPress: {
        auto* key = static_cast<QKeyEvent*>(event);
        if (watched == commonWordsFileBox &&
            (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter)) {
            CommonWordsFileEdited();
            return true;
        }
        break;
    }
    case QEvent::FocusOut: {
        // A message box or file dialog taking the focus is not leaving the box.
        const auto reason = static_cast<QFocusEvent*>(event)->reason();
        if (reason == Qt::PopupFocusReason) break;
        if (reason == Qt::ActiveWindowFocusReason && QApplication::activeModalWidget()) break;
        if (watched == wordsToIgnoreBox) WordsToIgnoreEdited();
        else if (watched == commonWordsFileBox) CommonWordsFileEdited();
        else
            for (int k = 0; k < 2; ++k)
                if (watched == startCommentBoxes[k] || watched == endCommentBoxes[k])
                    CommentMarkerEdited(static_cast<QLineEdit*>(watched));
        main_.RefreshResultCommands();
        break;
    }
    default:
        break;
    }
    return QWidget::eventFilter(watched, event);
}

void ParamsWindow::keyPressEvent(QKeyEvent* event) {
    // Escape closes the window, as "Close" does.
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        CloseWindow();
        return;
    }
    QWidget::keyPressEvent(event);
}

void ParamsWindow::closeEvent(QCloseEvent* event) {
    // The window's own close box does what "Close" does.
    event->ignore();
    CloseWindow();
}

// ---------------------------------------------------------------------------
// Checks

bool ParamsWindow::ConfirmRereading() {
    if (main_.host().message("Changing this entails reading the file anew.  Is this OK?",
                             main_.programTitle, Icon::None, Buttons::YesNo) == Answer::Yes) {
        session_.wordsCounted = false;
        return true;
    }
    return false;
}

bool ParamsWindow::CheckAllowedExtraChars() {
    if (!session_.startUpCompleted || session_.settingControls || settingCheckboxes ||
        p_.wordsToIgnoreText.empty())
        return true;
    session_.SetAllowedExtraChars();
    const std::string why = kvx::CheckAllowedExtraChars(p_);
    if (why.empty()) return true;
    main_.host().message(why, kvx::kCharNotAllowedTitle, Icon::Exclamation, Buttons::OK);
    return false;
}

// ---------------------------------------------------------------------------
// Change handlers

void ParamsWindow::ConfirmFamilyToggled(QCheckBox* widget) {
    const Box* box = FindBox(widget);
    if (!box || !session_.startUpCompleted || session_.settingControls) return;
    if (box->info->family == BoxFamily::ConfirmCommentMarkers && session_.ReadingCommonWords())
        return;
    if (session_.wordsCounted && !ConfirmRereading()) {
        session_.settingControls = true;
        SetBox(*box, p_.*(box->info->member) == 1 ? 0 : 1);
        session_.settingControls = false;
    }
    if (box->info->family == BoxFamily::ConfirmCheckChars) CheckAllowedExtraChars();
}

void ParamsWindow::FilterFamilyToggled() {
    if (session_.startUpCompleted) MoveFocusToClose();
}

void ParamsWindow::IgnoreCommonWordsChanged() {
    if (!session_.startUpCompleted || session_.settingControls) return;
    const bool noFile = p_.ignoreCommonWords == 1 && p_.commonWordsFile.empty();
    session_.IgnoreCommonWordsChanged();
    if (noFile) selectCommonWordsFileButton->setFocus(Qt::OtherFocusReason);
    if (isVisible()) MoveFocusToClose();
}

void ParamsWindow::CommentMarkerEdited(QLineEdit* box) {
    for (int k = 0; k < 2; ++k) {
        std::string* value = box == startCommentBoxes[k] ? &p_.startComment[k]
                             : box == endCommentBoxes[k] ? &p_.endComment[k]
                                                       : nullptr;
        if (!value) continue;
        *value = std::string(wordtext::TrimBlanks(box->text().toStdString()));
        if (box->text().toStdString() != *value) {
            const QSignalBlocker block(box);
            box->setText(Q(*value));
        }
        session_.wordsCounted = false;
    }
}

void ParamsWindow::WordsToIgnoreEdited() {
    if (checkingEdit_) return;
    checkingEdit_ = true;
    p_.wordsToIgnoreText = NormaliseWordsToIgnore(p_.wordsToIgnoreText, p_.wordsToIgnore);
    if (wordsToIgnoreBox->text().toStdString() != p_.wordsToIgnoreText) {
        const QSignalBlocker block(wordsToIgnoreBox);
        wordsToIgnoreBox->setText(Q(p_.wordsToIgnoreText));
    }
    if (!p_.wordsToIgnore.empty()) CheckAllowedExtraChars();
    checkingEdit_ = false;
}

void ParamsWindow::CommonWordsFileEdited() {
    if (checkingEdit_) return;
    checkingEdit_ = true;
    p_.commonWordsFileText = commonWordsFileBox->text().toStdString();
    session_.CommonWordsFileEdited();
    checkingEdit_ = false;
}

// ---------------------------------------------------------------------------
// Commands

void ParamsWindow::SetOrClearCheckboxes(int index) {
    settingCheckboxes = true;
    for (const CheckBoxInfo* c : CheckBoxesInOrder(&CheckBoxInfo::setStep))
        SetCheckBox(c->name, index == 1 ? 1 : 0);
    settingCheckboxes = false;
}

void ParamsWindow::SetDefaultValues() {
    session_.wordsCounted = false;
    for (const CheckBoxInfo* c : CheckBoxesInOrder(&CheckBoxInfo::defaultStep))
        SetCheckBox(c->name, c->defaultValue);
    session_.SetDefaultCommentMarkers();
    SetList(shortWordSizeList, &Params::shortWordIndex, kDefaultShortWordSize);
    SetList(longWordSizeList, &Params::longWordIndex, kDefaultLongWordSize);
    SetList(frequencyThresholdList, &Params::frequencyIndex, kDefaultThresholdFrequency);
}

void ParamsWindow::RestoreDefaults() {
    SetDefaultValues();
    MoveFocusToClose();
}

void ParamsWindow::ClearWordsToIgnore() {
    p_.wordsToIgnoreText.clear();
    {
        const QSignalBlocker block(wordsToIgnoreBox);
        wordsToIgnoreBox->clear();
    }
    // The emptied box is in force at once, not only after the box is next left.
    WordsToIgnoreEdited();
    MoveFocusToClose();
}

void ParamsWindow::SelectCommonWordsFile() {
    session_.SelectCommonWordsFile();
    MoveFocusToClose();
}

void ParamsWindow::ClearCommonWordsFile() { session_.ClearCommonWordsFile(); }

void ParamsWindow::InitializeParameters() {
    // The main window's Initialize: files, lists and texts back to a first start.
    p_.fileNames[0].clear();
    p_.fileNames[1].clear();
    p_.wordsToIgnoreText.clear();
    main_.ParamsToControls();
    SetDefaultValues();
    p_.suppressLiveWords = 0;
    // The loaded words go with the name: with none, a count leaves none out
    // (the box keeps its tick, as the other parameters of this kind do).
    p_.commonWordsFileText.clear();
    p_.commonWordsFile.clear();
    p_.parametersFile.clear();
    session_.SetDefaultCommentMarkers();
    WordsToIgnoreEdited();
    main_.EnableOutputFileControls();
    p_.wordOrder = 0;
    p_.displayFormat = 0;
    main_.ParamsToControls();
    SetDefaultValues();
    parametersLabel->setText(QStringLiteral("Program reinitialized."));
    parametersFileBox->hide();
    ShowWindow();
}

void ParamsWindow::CloseWindow() {
    hide();
    main_.activateWindow();
    main_.SetTheFocus();
}

void ParamsWindow::Quit() {
    main_.Quit();
    if (main_.Quitting()) hide();
}

void ParamsWindow::SaveOrLoadState(int index) {
    if (index == 1) LoadState();
    else SaveStateToFile();
}

void ParamsWindow::LoadState() {
    QtHost& host = main_.host();
    const QString name =
        host.quitting ? QString()
                      : host.asker().openFileDialog(
                            this, QStringLiteral("Specify file to load parameters from."),
                            kParameterFilter, host.currentFolder());
    if (!name.isEmpty()) LoadStateFrom(name);
}

void ParamsWindow::NameParametersFile(const QString& name) {
    parametersLabel->clear();
    p_.parametersFile = name.toStdString();
    {
        const QSignalBlocker block(parametersFileBox);
        parametersFileBox->setText(name);
    }
    parametersFileBox->show();
}

void ParamsWindow::LoadStateFrom(const QString& name) {
    QtHost& host = main_.host();
    const std::string path = name.toStdString();
    NameParametersFile(name);

    const int16_t order = p_.wordOrder;
    const int16_t format = p_.displayFormat;
    session_.settingControls = true;
    const std::string err = RestoreSavedState(p_, path);
    session_.settingControls = false;
    if (!err.empty()) {
        // A file that fails changes nothing: the message, and its name
        // beside "Error loading from".
        host.message(err, "Load parameters", Icon::Exclamation, Buttons::OK);
        parametersLabel->setText(QStringLiteral("Error loading from"));
        return;
    }
    main_.EnableOutputFileControls();
    main_.ParamsToControls();
    parametersLabel->setText(QStringLiteral("State loaded from"));
    // A finished count stays; show it in the order and layout just loaded.
    if (session_.wordsCounted && (order != p_.wordOrder || format != p_.displayFormat))
        session_.ListWords();
}

void ParamsWindow::SaveStateToFile() {
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
    NameParametersFile(name);
    const std::string err = SaveState(p_, path);
    if (err.empty()) {
        parametersLabel->setText(QStringLiteral("State saved to"));
        return;
    }
    host.message(err, "Save parameters", Icon::Exclamation, Buttons::OK);
    parametersLabel->setText(QStringLiteral("Error saving to"));
}

}  // namespace kvx
