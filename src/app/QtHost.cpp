#include "QtHost.h"

#include <QApplication>
#include <QClipboard>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QFontDatabase>
#include <QGridLayout>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSettings>
#include <QSpacerItem>
#include <QRadioButton>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTimer>
#include <algorithm>

#include "MainWindow.h"
#include "WindowTexts.h"
#include "render/ResultTexts.h"

namespace kvx {
namespace {

QString Q(std::string_view s) { return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size())); }

QMessageBox::Icon ToQt(Icon icon) {
    switch (icon) {
    case Icon::Information: return QMessageBox::Information;
    case Icon::Exclamation: return QMessageBox::Warning;
    case Icon::Critical: return QMessageBox::Critical;
    case Icon::None: break;
    }
    return QMessageBox::NoIcon;
}

QMessageBox::StandardButtons ToQt(Buttons buttons) {
    switch (buttons) {
    case Buttons::OK: return QMessageBox::Ok;
    case Buttons::OKCancel: return QMessageBox::Ok | QMessageBox::Cancel;
    case Buttons::YesNo: return QMessageBox::Yes | QMessageBox::No;
    case Buttons::YesNoCancel: return QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
    }
    return QMessageBox::Ok;
}

// The answer of a question asked while the program quits that has none of its own.
Answer QuittingAnswer(Buttons buttons) {
    switch (buttons) {
    case Buttons::OK: return Answer::OK;
    case Buttons::OKCancel:
    case Buttons::YesNoCancel: return Answer::Cancel;
    case Buttons::YesNo: return Answer::No;
    }
    return Answer::OK;
}

}  // namespace

QString QtFilter(const QString& filter) {
    const qsizetype bar = filter.indexOf(QLatin1Char('|'));
    if (bar < 0) return filter.trimmed();
    const QString description = filter.left(bar).trimmed();
    const QString pattern = filter.mid(bar + 1).trimmed();
    if (description.contains(QLatin1Char('('))) return description;
    return description + QStringLiteral(" (") + pattern + QLatin1Char(')');
}

int ChosenFileType(QString& path, const QString& chosenFilter, const QStringList& suffixes) {
    const int own = int(suffixes.indexOf(QFileInfo(path).suffix().toLower()));
    if (own >= 0) return own;
    int type = 0;
    const qsizetype star = chosenFilter.indexOf(QStringLiteral("*."));
    if (star >= 0) {
        qsizetype end = star + 2;
        while (end < chosenFilter.size() && chosenFilter[end].isLetterOrNumber()) ++end;
        type = std::max(0, int(suffixes.indexOf(chosenFilter.mid(star + 2, end - star - 2).toLower())));
    }
    if (!suffixes.isEmpty()) path += QLatin1Char('.') + suffixes[type];
    return type;
}

std::unique_ptr<QMessageBox> MakeMessageBox(QWidget* parent, const QString& text,
                                            const QString& title, Icon icon, Buttons buttons) {
    auto box = std::make_unique<QMessageBox>(ToQt(icon), title, QString(), ToQt(buttons), parent);
    // A plain-text box is wrapped by Qt at about 500 pixels whatever its own
    // line breaks say; as rich text that keeps white space, it breaks only at
    // them and Qt widens the box instead.
    box->setTextFormat(Qt::RichText);
    box->setText(QStringLiteral("<p style=\"white-space:pre\">") + text.toHtmlEscaped() +
                 QStringLiteral("</p>"));
    // Wide enough for the whole title beside the title bar's buttons: a short
    // text would otherwise cut a title such as "Clipboard empty" short.
    if (auto* grid = qobject_cast<QGridLayout*>(box->layout())) {
        const int width = box->fontMetrics().horizontalAdvance(title) + 140;
        grid->addItem(new QSpacerItem(width, 0, QSizePolicy::Minimum, QSizePolicy::Minimum),
                      grid->rowCount(), 0, 1, grid->columnCount());
    }
    return box;
}

Answer Asker::message(QWidget* parent, const QString& text, const QString& title, Icon icon,
                      Buttons buttons) {
    const std::unique_ptr<QMessageBox> box = MakeMessageBox(parent, text, title, icon, buttons);
    switch (box->exec()) {
    case QMessageBox::Yes: return Answer::Yes;
    case QMessageBox::No: return Answer::No;
    case QMessageBox::Cancel: return Answer::Cancel;
    case QMessageBox::Ok: return Answer::OK;
    default: break;
    }
    // Closed with Escape or the window's close box.
    return buttons == Buttons::OK ? Answer::OK
           : buttons == Buttons::YesNo ? Answer::No
                                       : Answer::Cancel;
}

Answer Asker::question(QWidget* parent, const QString& text, const QString& title,
                       bool& silence) {
    const std::unique_ptr<QMessageBox> box =
        MakeMessageBox(parent, text, title, Icon::None, Buttons::YesNo);
    auto* dontAsk = new QCheckBox(QStringLiteral("Don't ask again"));
    box->setCheckBox(dontAsk);
    const bool yes = box->exec() == QMessageBox::Yes;
    silence = dontAsk->isChecked();
    return yes ? Answer::Yes : Answer::No;
}

QString Asker::openFileDialog(QWidget* parent, const QString& title, const QString& filter,
                              const QString& folder) {
    return QFileDialog::getOpenFileName(parent, title, folder, QtFilter(filter));
}

QString Asker::saveFileDialog(QWidget* parent, const QString& title, const QString& filter,
                              const QString& folder, QString* selectedFilter) {
    // The callers ask their own overwrite question.
    return QFileDialog::getSaveFileName(parent, title, folder, QtFilter(filter), selectedFilter,
                                        QFileDialog::DontConfirmOverwrite);
}

QtHost::QtHost(MainWindow& window)
    : w_(window), defaultAsker_(std::make_unique<Asker>()), asker_(defaultAsker_.get()),
      currentFolder_(QDir::homePath()), guiThread_(std::this_thread::get_id()),
      context_(std::make_unique<QObject>()), timer_(new QTimer(context_.get())) {
    std::fill(latest_, latest_ + kKinds, -1);
    QObject::connect(timer_, &QTimer::timeout, context_.get(), [this] { flushOutput(); });
}

QtHost::~QtHost() = default;

void QtHost::setAsker(Asker* asker) { asker_ = asker ? asker : defaultAsker_.get(); }

QWidget* QtHost::owner() const { return owner_ ? owner_ : &w_; }

void QtHost::post(int kind, QString text, std::function<void(const QString&)> apply) {
    if (!offThread()) {
        flushOutput();
        apply(text);
        return;
    }
    const std::lock_guard<std::mutex> lock(mutex_);
    if (detached_) return;
    if (kind >= 0 && latest_[kind] >= 0) {
        Update& u = updates_[size_t(latest_[kind])];
        if (kind == kAppend) u.text += text;
        else u.text = std::move(text);
        return;
    }
    if (kind < 0) std::fill(latest_, latest_ + kKinds, -1);
    else latest_[kind] = int(updates_.size());
    updates_.push_back({kind, std::move(text), std::move(apply)});
}

void QtHost::flushOutput() const {
    std::vector<Update> batch;
    {
        const std::lock_guard<std::mutex> lock(mutex_);
        batch.swap(updates_);
        std::fill(latest_, latest_ + kKinds, -1);
    }
    for (const Update& u : batch) u.apply(u.text);
}

template <class R>
R QtHost::onWindowThread(std::function<R()> f, R whenDetached) {
    if (!offThread()) {
        flushOutput();
        return f();
    }
    R result = whenDetached;
    bool done = false;
    std::unique_lock<std::mutex> lock(mutex_);
    if (detached_) return whenDetached;
    std::fill(latest_, latest_ + kKinds, -1);
    updates_.push_back({kOrdered, {}, [&](const QString&) {
                            R r = f();
                            const std::lock_guard<std::mutex> l(mutex_);
                            result = std::move(r);
                            done = true;
                            called_.notify_all();
                        }});
    lock.unlock();
    QMetaObject::invokeMethod(context_.get(), [this] { flushOutput(); }, Qt::QueuedConnection);
    lock.lock();
    called_.wait(lock, [&] { return done || detached_; });
    return done ? result : whenDetached;
}

void QtHost::onWindowThread(std::function<void()> f) {
    onWindowThread<bool>([&] { return f(), true; }, false);
}

void QtHost::beginWork() {
    flushOutput();
    mirroredLength_ = outputLength();
    stopRequested_ = false;
    suppressRequested_ = -1;
    working_ = true;
    timer_->start(updateIntervalMs);
}

void QtHost::endWork() {
    timer_->stop();
    flushOutput();
    working_ = false;
    if (quitRequested_.exchange(false)) quitting = true;
    stopRequested_ = false;
    // A change of suppressWordsBox the count had no yield left to take up.
    const int v = suppressRequested_.exchange(-1);
    if (v >= 0) w_.params().suppressLiveWords = int16_t(v);
}

void QtHost::requestQuit() {
    if (working_) quitRequested_ = true;
    else quitting = true;
}

void QtHost::detach() {
    {
        const std::lock_guard<std::mutex> lock(mutex_);
        detached_ = true;
        updates_.clear();
        std::fill(latest_, latest_ + kKinds, -1);
        quitRequested_ = true;
    }
    called_.notify_all();
}

bool QtHost::takeUpQuit() {
    if (!quitting && quitRequested_.load(std::memory_order_relaxed)) {
        if (quitTakenUp) quitTakenUp();
        quitting = true;
    }
    return quitting;
}

Answer QtHost::message(std::string_view text, std::string_view title, Icon icon,
                       Buttons buttons) {
    if (offThread() ? takeUpQuit() : quitting) return QuittingAnswer(buttons);
    // Text boxes and message boxes break lines at CR LF; Qt wants LF.
    QString t = Q(text);
    t.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    const QString caption = Q(title);
    return onWindowThread<Answer>([&] { return asker_->message(owner(), t, caption, icon, buttons); },
                                  QuittingAnswer(buttons));
}

Answer QtHost::askUnlessSilenced(const QString& key, std::string_view text,
                                 std::string_view title) {
    // The program's own settings file, $XDG_CONFIG_HOME/kvx/kvx.conf.
    QSettings settings(QStringLiteral("kvx"), QStringLiteral("kvx"));
    const QString kept = QStringLiteral("questions/") + key;
    const QString answer = settings.value(kept).toString();
    if (answer == QLatin1String("yes")) return Answer::Yes;
    if (answer == QLatin1String("no") || quitting) return Answer::No;
    flushOutput();
    QString t = Q(text);
    t.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    bool silence = false;
    const Answer a = asker_->question(owner(), t, Q(title), silence);
    if (silence) settings.setValue(kept, a == Answer::Yes ? "yes" : "no");
    return a;
}

void QtHost::yield() {
    asker_->yielded();
    if (!offThread()) {
        if (quitting) w_.session().stopRequested = true;
        return;
    }
    // Requests from the window's thread are taken up here, on the thread
    // that counts, so that it alone touches what it counts with.
    if (suppressRequested_.load(std::memory_order_relaxed) >= 0) {
        const int v = suppressRequested_.exchange(-1);
        if (v >= 0) w_.params().suppressLiveWords = int16_t(v);
    }
    if (takeUpQuit() || (stopRequested_.load(std::memory_order_relaxed) && stopRequested_.exchange(false)))
        w_.session().stopRequested = true;
}

namespace {
// Length as the box counts it: a line break (CR LF, CR or LF) is two characters.
int64_t BoxLength(const QString& t) {
    int64_t n = t.size();
    for (qsizetype i = 0; i < t.size(); ++i) {
        if (t[i] == QLatin1Char('\r')) {
            if (i + 1 < t.size() && t[i + 1] == QLatin1Char('\n')) ++i;
            else ++n;
        } else if (t[i] == QLatin1Char('\n')) {
            ++n;
        }
    }
    return n;
}
}  // namespace

void QtHost::insertOutput(const QString& text) const {
    QTextCursor c(w_.outputBox->document());
    c.movePosition(QTextCursor::End);
    c.insertText(text);
}

// The box counts a line break as two characters (CR LF), as the listing
// writes them: characters plus one per block separator.
int64_t QtHost::outputLength() const {
    if (offThread()) return mirroredLength_;
    flushOutput();
    const QTextDocument* doc = w_.outputBox->document();
    const int64_t chars = doc->characterCount() - 1;
    return chars + (doc->blockCount() - 1);
}

std::string QtHost::outputText() const {
    return const_cast<QtHost*>(this)->onWindowThread<std::string>(
        [this] {
            QString t = w_.outputBox->toPlainText();
            t.replace(QLatin1Char('\n'), QStringLiteral("\r\n"));
            return t.toStdString();
        },
        std::string());
}

void QtHost::setOutputText(std::string_view text) {
    QString t = Q(text);
    if (offThread()) mirroredLength_ = BoxLength(t);
    post(kOrdered, std::move(t), [this](const QString& s) { w_.outputBox->setPlainText(s); });
}

void QtHost::appendOutputText(std::string_view text) {
    if (text.empty()) return;
    QString t = Q(text);
    if (offThread()) mirroredLength_ += BoxLength(t);
    post(kAppend, std::move(t), [this](const QString& s) { insertOutput(s); });
}

void QtHost::setOutputCaret(bool atEnd) {
    post(kCaret, atEnd ? QStringLiteral("1") : QString(), [this](const QString& s) {
        QTextCursor c = w_.outputBox->textCursor();
        c.movePosition(s.isEmpty() ? QTextCursor::Start : QTextCursor::End);
        w_.outputBox->setTextCursor(c);
    });
}

// A widget changed from the counting thread is repainted as the window's
// event loop runs; on the window's thread the repaint is only scheduled.
void QtHost::repaintOutput() {
    if (!offThread()) w_.outputBox->viewport()->update();
}

QLabel* QtHost::labelOf(Label which) const {
    switch (which) {
    case Label::NumberOfWords: return w_.wordCountLabel;
    case Label::NumWordsExcluded: return w_.wordsExcludedLabel;
    case Label::NumOccurrences: return w_.occurrencesLabel;
    case Label::TotalNumOccurrences: return w_.totalOccurrencesLabel;
    case Label::SizeOfClipboardContents: return w_.clipboardSizeLabel;
    case Label::Filesize: return w_.fileSizeLabel;
    case Label::Twirler: return w_.twirlerLabel;
    }
    return w_.twirlerLabel;
}

void QtHost::setLabel(Label which, std::string_view text) {
    post(kLabelText + int(which), Q(text), [this, which](const QString& s) { labelOf(which)->setText(s); });
}

void QtHost::setLabelVisible(Label which, bool visible) {
    // The result labels keep their room when hidden, so the window does not
    // jump; hiding shows an empty caption.
    post(kLabelShown + int(which), visible ? QStringLiteral("1") : QString(), [this, which](const QString& s) {
        QLabel* l = labelOf(which);
        QSizePolicy sp = l->sizePolicy();
        sp.setRetainSizeWhenHidden(true);
        l->setSizePolicy(sp);
        l->setVisible(!s.isEmpty());
    });
}

void QtHost::repaintLabel(Label which) {
    if (!offThread()) labelOf(which)->update();
}

void QtHost::setProgressBarStyle(bool asBar) {
    post(kOrdered, asBar ? QStringLiteral("1") : QString(), [this](const QString& s) {
        QLabel* l = w_.totalOccurrencesLabel;
        if (!s.isEmpty()) {
            QFont f = QFontDatabase::systemFont(QFontDatabase::FixedFont);
            f.setBold(true);
            l->setFont(f);
            l->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
        } else {
            l->setFont(w_.wordCountLabel->font());
            l->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        }
    });
}

void QtHost::setCountCaption(std::string_view caption) {
    post(kOrdered, Q(caption), [this](const QString& s) { w_.countButton->setText(s); });
}

void QtHost::wordsFound(int32_t n, bool commonWords) {
    if (n < 0) {
        setLabel(Label::NumberOfWords, "");
        return;
    }
    setLabel(Label::NumberOfWords, WordsFoundText(n, commonWords));
    setLabelVisible(Label::NumberOfWords, true);
    repaintLabel(Label::NumberOfWords);
}

void QtHost::showResult(const ResultFigures& figures) {
    const std::vector<std::string> labels =
        ResultLabelTexts(figures, [this](int64_t x) { return formatGrouped(x); });
    setLabel(Label::NumberOfWords, labels[0]);
    setLabelVisible(Label::NumberOfWords, true);
    setLabel(Label::NumWordsExcluded, labels[1]);
    setLabelVisible(Label::NumWordsExcluded, true);
    setLabel(Label::NumOccurrences, "");
    setLabel(Label::TotalNumOccurrences, "");
    setProgressBarStyle(false);
    if (!labels[2].empty()) setLabel(Label::NumOccurrences, labels[2]);
    if (!labels[3].empty()) setLabel(Label::TotalNumOccurrences, labels[3]);
    setLabelVisible(Label::NumOccurrences, true);
    setLabelVisible(Label::TotalNumOccurrences, true);
}

void QtHost::hideResult() {
    for (Label l : {Label::NumberOfWords, Label::NumWordsExcluded, Label::NumOccurrences,
                    Label::TotalNumOccurrences})
        setLabelVisible(l, false);
}

void QtHost::scanProgress(int64_t step, int width) {
    if (step < 0) {
        setProgressBarStyle(true);
        setLabelVisible(Label::TotalNumOccurrences, true);
    }
    setLabel(Label::TotalNumOccurrences, ProgressBarText(step, width));
    repaintLabel(Label::TotalNumOccurrences);
}

void QtHost::scanEnded() {
    setProgressBarStyle(false);
    setLabel(Label::TotalNumOccurrences, "");
    setLabelVisible(Label::TotalNumOccurrences, true);
    repaintLabel(Label::TotalNumOccurrences);
    turn(-1);
}

void QtHost::inputSize(std::optional<int64_t> bytes) {
    // A corpus keeps its own line there, not the size of the file checked last.
    if (!w_.CorpusFiles().empty()) return;
    setLabel(Label::Filesize, bytes ? FileSizeText(*bytes, *this) : std::string());
}

void QtHost::clipboardSize(std::optional<int64_t> chars) {
    setLabel(Label::SizeOfClipboardContents, chars ? ClipboardSizeText(*chars, *this) : std::string());
}

void QtHost::turn(int64_t i) {
    if (i < 0) {
        setLabel(Label::Twirler, " ");
        return;
    }
    static const char16_t kBlocks[4] = {u'\u2584', u'\u258C', u'\u2580', u'\u2590'};
    post(kTwirler, QString(QChar(kBlocks[i % 4])), [this](const QString& s) { w_.twirlerLabel->setText(s); });
}

void QtHost::countRunning(bool running) {
    setCountCaption(running ? "Stop" : w_.texts().Get(Message::CountButtonCaption));
}

void QtHost::setCountEnabled(bool enabled) {
    post(kOrdered, {}, [this, enabled](const QString&) { w_.countButton->setEnabled(enabled); });
}

void QtHost::repaintCount() {
    if (!offThread()) w_.countButton->update();
}

void QtHost::enableControls(bool enabled) {
    onWindowThread([this, enabled] { w_.EnableControls(enabled); });
}

void QtHost::repaintWindow() {
    if (!offThread()) w_.update();
}

void QtHost::paramsChanged() {
    onWindowThread([this] { w_.ParamsToControls(); });
}

void QtHost::chooseOutputFile() {
    onWindowThread([this] { w_.ChooseFile(1); });
}

void QtHost::setTheFocus() {
    onWindowThread([this] { w_.SetTheFocus(); });
}

void QtHost::showParametersWindow() {
    onWindowThread([this] {
        if (w_.showParameters) w_.showParameters();
    });
}

void QtHost::showMainWindow() {
    onWindowThread([this] {
        if (!w_.isVisible()) w_.show();
    });
}

std::string QtHost::openFileDialog(std::string_view title, std::string_view filter,
                                   std::string_view folder) {
    if (offThread() ? takeUpQuit() : quitting) return {};
    const QString t = Q(title), f = Q(filter), d = Q(folder);
    return onWindowThread<std::string>(
        [&] { return asker_->openFileDialog(owner(), t, f, d.isEmpty() ? currentFolder_ : d).toStdString(); },
        std::string());
}

QString QtHost::saveFileDialog(const QString& title, const QString& filter,
                               QString* selectedFilter) {
    if (quitting) return {};
    return asker_->saveFileDialog(owner(), title, filter, currentFolder_, selectedFilter);
}

QString QtHost::saveFileAs(const QString& title, const QString& filter, const QStringList& suffixes,
                           int& type) {
    // The type chosen last time for this kind of file is offered first.
    const QString key = QStringLiteral("saveAs/") + suffixes.join(QLatin1Char('-'));
    QSettings settings(QStringLiteral("kvx"), QStringLiteral("kvx"));
    QString chosen = settings.value(key).toString();
    QString name = saveFileDialog(title, filter, &chosen);
    if (name.isEmpty()) return {};
    type = ChosenFileType(name, chosen, suffixes);
    settings.setValue(key, filter.split(QStringLiteral(";;")).value(type));
    if (QFileInfo::exists(name) &&
        message((name + QStringLiteral(" already exists.\r\nDo you want to replace it?")).toStdString(),
                title.toStdString(), Icon::Exclamation, Buttons::YesNo) != Answer::Yes)
        return {};
    return name;
}

void QtHost::setCurrentFolder(const std::string& folder) {
    post(kOrdered, Q(folder), [this](const QString& s) { currentFolder_ = s; });
}

std::string QtHost::clipboardText() {
    return onWindowThread<std::string>(
        [] { return QGuiApplication::clipboard()->text(QClipboard::Clipboard).toStdString(); }, std::string());
}

void QtHost::setClipboardText(std::string_view text) {
    post(kOrdered, Q(text), [](const QString& s) {
        QClipboard* cb = QGuiApplication::clipboard();
        cb->clear(QClipboard::Clipboard);
        cb->setText(s, QClipboard::Clipboard);
    });
}

std::string QtHost::formatGrouped(int64_t n) const {
    return QLocale::system().toString(static_cast<qlonglong>(n)).toStdString();
}

std::string QtHost::decimalPoint() const { return QLocale::system().decimalPoint().toStdString(); }

}  // namespace kvx
