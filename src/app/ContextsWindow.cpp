#include "ContextsWindow.h"

#include <QApplication>
#include <QClipboard>
#include <QFontDatabase>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QLabel>
#include <QLocale>
#include <QProgressBar>
#include <QPushButton>
#include <QTableView>
#include <QTimer>
#include <QVBoxLayout>
#include <algorithm>
#include <array>
#include <atomic>
#include <numeric>
#include <sys/stat.h>

#include "counting/CountingSession.h"
#include "shell/MessageTable.h"
#include "text/Cp1252.h"
#include "text/Unicode.h"
#include "words/Listing.h"

namespace kvx {
namespace {

enum Column { kFile, kLine, kLeft, kWord, kRight, kColumns };
constexpr int kContextWidth = 40;  // characters either side of the word

QString NoTabs(QString s) { return s.replace(QLatin1Char('\t'), QLatin1Char(' ')); }

}  // namespace

struct ContextsWindow::Job {
    Job(const ContextsSource& s, const MessageTable& texts) : source(s), host(stop, s.clipboard), session(source.params, host, texts) {
        host.session = &session;
    }
    ContextsSource source;
    std::atomic<bool> stop{false};
    WorkerHost host;
    CountingSession session;
    int64_t total = 0;  // bytes of the source, 0: not known
    std::string error;
};

void WorkerHost::yield() {
    if (session && stop_.load(std::memory_order_relaxed)) session->stopRequested = true;
}

namespace {

// Case-folded UTF-16 text of each row's context, one after the other, and
// the first eight code units of each as two numbers.
struct SortKeys {
    std::vector<char16_t> text;
    std::vector<size_t> start;  // of row i's key; one more at the end
    std::vector<std::array<uint64_t, 2>> head;

    std::u16string_view Key(size_t i) const { return {text.data() + start[i], start[i + 1] - start[i]}; }
};

// The case-folded UTF-16 unit of each cp1252 byte.
const std::array<char16_t, 256>& FoldedCp1252() {
    static const std::array<char16_t, 256> t = [] {
        std::array<char16_t, 256> a{};
        for (int b = 0; b < 256; ++b) {
            const QString f = QString::fromStdString(text::cp1252ToUtf8(std::string(1, char(b)))).toCaseFolded();
            a[size_t(b)] = f.size() == 1 ? f[0].unicode() : char16_t(b);
        }
        return a;
    }();
    return t;
}

// The left context is read backwards from the word, so that rows sharing the
// words just before it come together; the right one without the blanks at
// its ends.
SortKeys MakeKeys(const ContextRows& rows, bool utf8, bool left) {
    SortKeys k;
    k.start.reserve(rows.size() + 1);
    k.head.reserve(rows.size());
    k.text.reserve(rows.TextBytes() / 2);
    const std::array<char16_t, 256>& folded = FoldedCp1252();
    for (const ContextRow& r : rows.rows) {
        const std::string_view s = left ? rows.Left(r) : rows.Right(r);
        const size_t from = k.text.size();
        if (utf8) {
            const QString f = QString::fromUtf8(s.data(), qsizetype(s.size())).toCaseFolded();
            k.text.insert(k.text.end(), f.utf16(), f.utf16() + f.size());
        } else {
            for (char c : s) k.text.push_back(folded[static_cast<unsigned char>(c)]);
        }
        auto first = k.text.begin() + std::ptrdiff_t(from);
        if (left) {
            std::reverse(first, k.text.end());
        } else {
            while (k.text.size() > from && QChar::isSpace(k.text.back())) k.text.pop_back();
            first = k.text.begin() + std::ptrdiff_t(from);
            const auto blank = std::find_if(first, k.text.end(), [](char16_t c) { return !QChar::isSpace(c); });
            k.text.erase(first, blank);
        }
        std::array<uint64_t, 2> head{};
        for (size_t i = 0; i < 8; ++i) head[i / 4] = head[i / 4] << 16 | (from + i < k.text.size() ? k.text[from + i] : 0);
        k.start.push_back(from);
        k.head.push_back(head);
    }
    k.start.push_back(k.text.size());
    return k;
}

}  // namespace

ContextsModel::~ContextsModel() {
    if (sorter_.joinable()) sorter_.join();
}

void ContextsModel::SetRows(ContextRows rows, QStringList inputs, bool utf8) {
    beginResetModel();
    rows_ = std::make_shared<const ContextRows>(std::move(rows));
    ++generation_;
    pending_.reset();
    sorted_ = SortRequest{-1, Qt::AscendingOrder};
    inputs_ = std::move(inputs);
    utf8_ = utf8;
    order_.resize(rows_->size());
    std::iota(order_.begin(), order_.end(), 0);
    shown_ = std::min(kPage, Total());
    endResetModel();
}

void ContextsModel::ShowMore() {
    const int more = std::min(shown_ + kPage, Total());
    if (more == shown_) return;
    beginInsertRows({}, shown_, more - 1);
    shown_ = more;
    endInsertRows();
}

QString ContextsModel::Text(std::string_view s) const {
    return utf8_ ? QString::fromUtf8(s.data(), qsizetype(s.size())) : QString::fromStdString(text::cp1252ToUtf8(s));
}

QString ContextsModel::Cell(int row, int column) const {
    const ContextRow& r = rows_->rows[size_t(order_[size_t(row)])];
    switch (column) {
    case kFile: return r.input < inputs_.size() ? inputs_[r.input] : QString();
    case kLine: return QString::number(r.line);
    case kLeft: return Text(rows_->Left(r));
    case kWord: return Text(rows_->Word(r));
    default: return Text(rows_->Right(r));
    }
}

QString ContextsModel::Tsv(const std::vector<int>& rows, bool header) const {
    QString out = header ? QStringLiteral("file\tline\tleft\tword\tright\n") : QString();
    for (int row : rows) {
        for (int c = 0; c < kColumns; ++c) out += NoTabs(Cell(row, c)) + (c + 1 < kColumns ? '\t' : '\n');
    }
    return out;
}

int ContextsModel::rowCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : shown_; }

int ContextsModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : kColumns; }

QVariant ContextsModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid()) return {};
    if (role == Qt::DisplayRole) return Cell(index.row(), index.column());
    if (role == Qt::TextAlignmentRole) {
        const Qt::Alignment side = index.column() == kLeft || index.column() == kLine ? Qt::AlignRight : Qt::AlignLeft;
        return QVariant::fromValue(side | Qt::AlignVCenter);
    }
    return {};
}

QVariant ContextsModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole) return {};
    static const char* const kNames[kColumns] = {"File", "Line", "Left", "Word", "Right"};
    return QString::fromLatin1(kNames[section]);
}

void ContextsModel::sort(int column, Qt::SortOrder order) {
    // The view may ask twice for one sort.
    const SortRequest r{column, order};
    if (sorter_.joinable()) {
        if (r == running_) pending_.reset();
        else pending_ = r;  // after the one running
    } else if (r == sorted_) {
        return;
    } else if (column == kLeft || column == kRight) {
        StartSort(r);
    } else {
        // The order of the text, or its reverse: no need of a worker.
        sorted_ = r;
        beginResetModel();
        std::iota(order_.begin(), order_.end(), 0);
        if (order == Qt::DescendingOrder) std::reverse(order_.begin(), order_.end());
        endResetModel();
    }
}

void ContextsModel::StartSort(SortRequest r) {
    running_ = r;
    sorter_ = std::thread([this, r, rows = rows_, utf8 = utf8_, generation = generation_] {
        std::vector<int32_t> order(rows->size());
        std::iota(order.begin(), order.end(), 0);
        if (r.column == kLeft || r.column == kRight) {
            const SortKeys keys = MakeKeys(*rows, utf8, r.column == kLeft);
            // The first units of each key beside its row, so that most
            // comparisons read nothing else; rows with equal keys keep the
            // order of the text.
            struct Item {
                std::array<uint64_t, 2> head;
                int32_t row;
            };
            std::vector<Item> items(order.size());
            for (size_t i = 0; i < items.size(); ++i) items[i] = {keys.head[i], int32_t(i)};
            const bool up = r.order == Qt::AscendingOrder;
            std::sort(items.begin(), items.end(), [&](const Item& a, const Item& b) {
                if (a.head != b.head) return up == (a.head < b.head);
                const int c = keys.Key(size_t(a.row)).compare(keys.Key(size_t(b.row)));
                return c != 0 ? up == (c < 0) : a.row < b.row;
            });
            for (size_t i = 0; i < items.size(); ++i) order[i] = items[i].row;
        } else if (r.order == Qt::DescendingOrder) {
            std::reverse(order.begin(), order.end());  // asked for while a sort by a context ran
        }
        QMetaObject::invokeMethod(
            this, [this, generation, order = std::move(order)]() mutable { SortEnded(generation, std::move(order)); },
            Qt::QueuedConnection);
    });
    emit sortingChanged();
}

void ContextsModel::SortEnded(int64_t generation, std::vector<int32_t> order) {
    sorter_.join();
    if (pending_) {
        const SortRequest next = *pending_;
        pending_.reset();
        StartSort(next);
        return;
    }
    if (generation == generation_) {
        sorted_ = running_;
        beginResetModel();
        order_ = std::move(order);
        endResetModel();
    }
    emit sortingChanged();
}

ContextsWindow::ContextsWindow(const MessageTable& texts, QWidget* parent)
    : QWidget(parent, Qt::Window), texts_(texts) {
    setObjectName(QStringLiteral("frmContexts"));
    setWindowTitle(QStringLiteral("KVX: Contexts"));
    summary = new QLabel(this);
    bar = new QProgressBar(this);
    bar->setRange(0, 1000);
    stopButton = new QPushButton(QStringLiteral("Stop"), this);
    view = new QTableView(this);
    view->setModel(&model);
    view->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    view->setSortingEnabled(true);
    view->setSelectionBehavior(QAbstractItemView::SelectRows);
    view->setWordWrap(false);
    view->verticalHeader()->hide();
    view->verticalHeader()->setDefaultSectionSize(view->fontMetrics().height() + 4);
    view->horizontalHeader()->setSortIndicator(-1, Qt::AscendingOrder);
    moreButton = new QPushButton(QStringLiteral("Show more"), this);
    copyButton = new QPushButton(QStringLiteral("Copy"), this);
    saveButton = new QPushButton(QStringLiteral("Save as..."), this);
    auto* top = new QHBoxLayout;
    top->addWidget(summary, 1);
    top->addWidget(bar);
    top->addWidget(stopButton);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(moreButton);
    buttons->addStretch(1);
    buttons->addWidget(copyButton);
    buttons->addWidget(saveButton);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(view, 1);
    layout->addLayout(buttons);
    resize(900, 500);

    timer_ = new QTimer(this);
    timer_->setInterval(100);
    connect(timer_, &QTimer::timeout, this, [this] {
        if (job_ && job_->total > 0)
            bar->setValue(int(std::min<int64_t>(1000, job_->session.BytesRead() * 1000 / job_->total)));
    });
    connect(stopButton, &QPushButton::clicked, this, [this] { Stop(); });
    connect(&model, &ContextsModel::sortingChanged, this, [this] { Refresh(); });
    connect(moreButton, &QPushButton::clicked, this, [this] {
        model.ShowMore();
        Refresh();
    });
    connect(copyButton, &QPushButton::clicked, this, [this] { CopyRows(); });
    connect(saveButton, &QPushButton::clicked, this, [this] { SaveAs(); });
    Refresh();
}

ContextsWindow::~ContextsWindow() {
    if (job_) job_->stop = true;
    if (worker_.joinable()) worker_.join();
}

bool ContextsWindow::Running() const { return worker_.joinable(); }

void ContextsWindow::Stop() {
    if (job_) job_->stop = true;
}

void ContextsWindow::Start(const ContextsSource& source, const QString& word) {
    Stop();
    if (worker_.joinable()) worker_.join();
    word_ = word;
    error_.clear();
    model.SetRows({}, {}, false);
    auto job = std::make_shared<Job>(source, texts_);
    Params& p = job->source.params;
    p.fileNames[1].clear();
    CountingSession& s = job->session;
    s.startUpCompleted = true;
    s.maxClipboardChars = source.maxClipboardChars;
    s.SetListingSink(ListingSink::StandardOutput);
    s.SetTableOnly(true);
    s.SetJobs(std::max(1, int(std::thread::hardware_concurrency())));
    s.SetLetters(source.everyScript, source.collation);
    const std::string w = word.toStdString();
    s.SetContexts(source.everyScript ? w : text::utf8ToCp1252(w), kContextWidth);
    if (p.inputIsFile) {
        s.SetInputs(source.inputs);
        for (const std::string& input : source.inputs.empty() ? std::vector<std::string>{p.fileNames[0]} : source.inputs) {
            struct stat st {};
            if (::stat(input.c_str(), &st) == 0) job->total += st.st_size;
        }
    }
    job_ = job;
    worker_ = std::thread([this, job] {
        const bool common = job->source.params.ignoreCommonWords != 1 || job->session.ReadCommonWordsFile();
        if (!common) {
            job->error = LastError(job->session.Diagnostics());
        } else {
            const CountResult r = job->session.CountWords();
            job->error = LastError(r.diagnostics);
            if (job->error.empty() && (!r.ran || r.failed)) job->error = "The source could not be read again.";
        }
        QMetaObject::invokeMethod(this, [this, job] { Finish(job); }, Qt::QueuedConnection);
    });
    bar->setValue(0);
    timer_->start();
    Refresh();
    show();
    raise();
    activateWindow();
}

void ContextsWindow::Finish(const std::shared_ptr<Job>& job) {
    if (job != job_) return;  // a count given up for a later one
    if (worker_.joinable()) worker_.join();
    timer_->stop();
    const Params& p = job->source.params;
    QStringList inputs;
    if (!p.inputIsFile)
        inputs << QStringLiteral("Clipboard");
    else if (job->source.inputs.empty())
        inputs << QString::fromStdString(p.fileNames[0]);
    else
        for (const std::string& input : job->source.inputs) inputs << QString::fromStdString(input);
    error_ = QString::fromStdString(job->error);
    model.SetRows(job->session.TakeContexts(), inputs, job->source.everyScript);
    view->horizontalHeader()->setSortIndicator(-1, Qt::AscendingOrder);
    view->resizeColumnsToContents();  // once: a sort keeps the widths
    Refresh();
    emit finished();
}

void ContextsWindow::Refresh() {
    const bool running = Running();
    const QLocale locale;
    QString text;
    if (running) text = QStringLiteral("Reading the source again for \"%1\"...").arg(word_);
    else if (!error_.isEmpty()) text = error_;
    else
        text = QStringLiteral("\"%1\": %2 of %3 shown%4")
                   .arg(word_, locale.toString(model.Shown()), locale.toString(model.Total()),
                        job_ && job_->stop ? QStringLiteral(" (stopped)") : QString()) +
               (model.Sorting() ? QStringLiteral(", sorting...") : QString());
    summary->setText(text);
    bar->setVisible(running);
    stopButton->setVisible(running);
    moreButton->setEnabled(!running && model.Shown() < model.Total());
    copyButton->setEnabled(!running && model.Total() > 0);
    saveButton->setEnabled(!running && model.Total() > 0);
}

void ContextsWindow::CopyRows() {
    std::vector<int> rows;
    for (const QModelIndex& i : view->selectionModel()->selectedRows()) rows.push_back(i.row());
    std::sort(rows.begin(), rows.end());
    if (!rows.empty()) QApplication::clipboard()->setText(model.Tsv(rows, false));
}

QString ContextsWindow::SaveTo(const QString& path) {
    // Every row, not only those listed so far.
    while (model.Shown() < model.Total()) model.ShowMore();
    std::vector<int> rows(size_t(model.Total()));
    std::iota(rows.begin(), rows.end(), 0);
    const std::string tsv = model.Tsv(rows, true).toStdString();
    Refresh();
    const ListingOutcome o = WriteOut(path.toStdString(), [&](std::ostream& out) { out << tsv; });
    if (o.error.number == 0) return {};
    return QString::fromStdString(ErrorNumberText(texts_.Get(Message::ErrorTitle), o.error));
}

void ContextsWindow::SaveAs() {
    if (saveAs) {
        const QString path = saveAs();
        if (path.isEmpty()) return;
        const QString why = SaveTo(path);
        if (!why.isEmpty() && report) report(path + QStringLiteral(": ") + why);
    }
}

}  // namespace kvx
