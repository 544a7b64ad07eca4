#include "KeywordsWindow.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QDoubleSpinBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLocale>
#include <QProgressBar>
#include <QPushButton>
#include <QSpinBox>
#include <QTableView>
#include <QTimer>
#include <QVBoxLayout>
#include <algorithm>
#include <fstream>
#include <numeric>
#include <sys/stat.h>

#include "ContextsWindow.h"
#include "counting/CountingSession.h"
#include "files/Corpus.h"

namespace kvx {
namespace {

enum Column { kWord, kFrequency, kRefFrequency, kPerMillion, kRefPerMillion, kG2, kLogRatio, kColumns };

double PerMillion(int64_t f, int64_t n) { return n > 0 ? double(f) * 1e6 / double(n) : 0.0; }

// The value of a row's column, for sorting and showing.
double Value(const Keyword& k, int column, const KeywordTable& t) {
    switch (column) {
    case kFrequency: return double(k.frequency);
    case kRefFrequency: return double(k.refFrequency);
    case kPerMillion: return PerMillion(k.frequency, t.total);
    case kRefPerMillion: return PerMillion(k.refFrequency, t.refTotal);
    case kG2: return k.g2;
    default: return k.logRatio;
    }
}

// A counts file by its name or its first line.
bool LooksLikeCounts(const std::string& path) {
    if (path.ends_with(".counts")) return true;
    std::ifstream in(path, std::ios::binary);
    std::string head(14, '\0');
    in.read(head.data(), std::streamsize(head.size()));
    head.resize(size_t(std::max<std::streamsize>(in.gcount(), 0)));
    if (head.rfind("\xEF\xBB\xBF", 0) == 0) head.erase(0, 3);
    return head.rfind("kvx-counts ", 0) == 0;
}

}  // namespace

struct KeywordsWindow::Job {
    Job(const ReferenceSource& s, const MessageTable& texts) : source(s), host(stop, {}), session(source.rules, host, texts) {
        host.session = &session;
    }
    ReferenceSource source;
    std::atomic<bool> stop{false};
    WorkerHost host;
    CountingSession session;
    std::atomic<int64_t> total{0};  // bytes of the reference, 0: not known yet
    std::string error;              // the reason it cannot be compared
};

void KeywordsModel::SetTable(KeywordTable table) {
    beginResetModel();
    table_ = std::move(table);
    shown_.clear();
    endResetModel();
}

void KeywordsModel::Filter(const KeynessOptions& o) {
    beginResetModel();
    shown_.clear();
    for (size_t i = 0; i < table_.rows.size(); ++i) {
        const Keyword& k = table_.rows[i];
        if (k.g2 < o.minG2 || (!k.overUsed && !o.underUsed)) continue;
        if ((k.overUsed ? k.frequency : k.refFrequency) < o.minFrequency) continue;
        shown_.push_back(int32_t(i));
    }
    endResetModel();
}

int KeywordsModel::rowCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : int(shown_.size()); }

int KeywordsModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : kColumns; }

QVariant KeywordsModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid()) return {};
    const Keyword& k = Row(index.row());
    const int c = index.column();
    if (role == Qt::TextAlignmentRole)
        return QVariant::fromValue(c == kWord ? Qt::AlignLeft | Qt::AlignVCenter : Qt::AlignRight | Qt::AlignVCenter);
    if (role != Qt::DisplayRole) return {};
    if (c == kWord) return QString::fromStdString(k.word);
    if (c == kFrequency || c == kRefFrequency) return QLocale().toString(qlonglong(Value(k, c, table_)));
    return QLocale().toString(Value(k, c, table_), 'f', c == kPerMillion || c == kRefPerMillion ? 2 : 3);
}

QVariant KeywordsModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (role != Qt::DisplayRole) return {};
    if (orientation == Qt::Vertical) return section + 1;
    static const char* const names[] = {"Word", "Freq.", "Ref. freq.", "Per million", "Ref. per million", "G2",
                                        "Log Ratio"};
    return QString::fromLatin1(names[section]);
}

void KeywordsModel::sort(int column, Qt::SortOrder order) {
    if (column < 0 || column >= kColumns) return;
    beginResetModel();
    const auto less = [&](int32_t a, int32_t b) {
        const Keyword &x = table_.rows[size_t(a)], &y = table_.rows[size_t(b)];
        if (column == kWord) return x.word < y.word;
        const double u = Value(x, column, table_), v = Value(y, column, table_);
        return u != v ? u < v : a < b;
    };
    std::stable_sort(shown_.begin(), shown_.end(), [&](int32_t a, int32_t b) {
        return order == Qt::AscendingOrder ? less(a, b) : less(b, a);
    });
    endResetModel();
}

KeywordsWindow::KeywordsWindow(const MessageTable& texts, QWidget* parent)
    : QWidget(parent, Qt::Window), texts_(texts) {
    setWindowTitle(QStringLiteral("KVX: Keywords"));
    summary = new QLabel(this);
    bar = new QProgressBar(this);
    stopButton = new QPushButton(QStringLiteral("Stop"), this);
    minG2Box = new QDoubleSpinBox(this);
    minG2Box->setObjectName(QStringLiteral("minG2Box"));
    minG2Box->setRange(0, 1e9);
    minG2Box->setDecimals(2);
    minG2Box->setValue(3.84);
    minFrequencyBox = new QSpinBox(this);
    minFrequencyBox->setObjectName(QStringLiteral("minFrequencyBox"));
    minFrequencyBox->setRange(1, 1000000000);
    underUsedBox = new QCheckBox(QStringLiteral("Under-used words too"), this);
    view = new QTableView(this);
    view->setModel(&model);
    view->setSortingEnabled(true);
    view->horizontalHeader()->setSortIndicator(-1, Qt::DescendingOrder);
    view->setSelectionBehavior(QAbstractItemView::SelectRows);
    auto* options = new QHBoxLayout;
    options->addWidget(new QLabel(QStringLiteral("Minimum G2:"), this));
    options->addWidget(minG2Box);
    options->addSpacing(12);
    options->addWidget(new QLabel(QStringLiteral("Minimum frequency:"), this));
    options->addWidget(minFrequencyBox);
    options->addSpacing(12);
    options->addWidget(underUsedBox);
    options->addStretch(1);
    auto* top = new QHBoxLayout;
    top->addWidget(summary, 1);
    top->addWidget(bar);
    top->addWidget(stopButton);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addLayout(options);
    layout->addWidget(view, 1);
    connect(minG2Box, &QDoubleSpinBox::valueChanged, this, [this] { Refilter(); });
    connect(minFrequencyBox, &QSpinBox::valueChanged, this, [this] { Refilter(); });
    connect(underUsedBox, &QCheckBox::toggled, this, [this] { Refilter(); });
    resize(760, 520);

    timer_ = new QTimer(this);
    timer_->setInterval(100);
    connect(timer_, &QTimer::timeout, this, [this] {
        if (!job_) return;
        const int64_t total = job_->total.load();
        bar->setRange(0, total > 0 ? 1000 : 0);  // busy until the size is known
        if (total > 0) bar->setValue(int(std::min<int64_t>(1000, job_->session.BytesRead() * 1000 / total)));
    });
    connect(stopButton, &QPushButton::clicked, this, [this] { Stop(); });
    ShowRunning(false);
}

KeywordsWindow::~KeywordsWindow() {
    if (job_) job_->stop = true;
    if (worker_.joinable()) worker_.join();
}

void KeywordsWindow::Stop() {
    if (job_) job_->stop = true;
}

void KeywordsWindow::closeEvent(QCloseEvent* event) {
    Stop();
    event->accept();
}

void KeywordsWindow::ShowRunning(bool running) {
    bar->setVisible(running);
    stopButton->setVisible(running);
    if (running) {
        bar->setRange(0, 0);
        timer_->start();
    } else {
        timer_->stop();
    }
}

void KeywordsWindow::Start(const ReferenceSource& reference, const QString& name) {
    Stop();
    if (worker_.joinable()) worker_.join();
    auto job = std::make_shared<Job>(reference, texts_);
    CountingSession& s = job->session;
    job->source.rules.fileNames[1].clear();
    s.startUpCompleted = true;
    s.SetListingSink(ListingSink::StandardOutput);
    s.SetTableOnly(true);
    s.SetJobs(std::max(1, int(std::thread::hardware_concurrency())));
    s.SetLetters(reference.everyScript, reference.collation);
    job_ = job;
    worker_ = std::thread([this, job, name] {
        CountingSession& s = job->session;
        const std::vector<std::string>& paths = job->source.paths;
        std::vector<std::string> files;
        struct stat st {};
        if (paths.size() == 1 && (::stat(paths[0].c_str(), &st) != 0 || !S_ISDIR(st.st_mode))) {
            files = paths;  // a single file: the count says what is wrong with it
            job->total = int64_t(st.st_size);
        } else {
            int64_t bytes = 0;
            files = corpus::ExpandCorpus(paths, job->source.filter, &bytes, &job->stop);
            job->total = bytes;
        }
        if (files.empty()) {
            job->error = "No text files in " + name.toStdString() + ".";
        } else if (!job->stop) {
            s.SetInputs(files);
            const bool counts = std::any_of(files.begin(), files.end(), LooksLikeCounts);
            s.SetCountsMode(counts ? CountsMode::Merge : CountsMode::None);
            const bool common = job->source.rules.ignoreCommonWords != 1 || s.ReadCommonWordsFile();
            const CountResult r = common ? s.CountWords() : CountResult{};
            std::string why = common ? LastError(r.diagnostics) : LastError(s.Diagnostics());
            if (why.empty() && (!r.ran || r.failed)) why = "The reference could not be counted.";
            if (!why.empty()) job->error = (files.size() == 1 ? files[0] : s.CurrentInput()) + ": " + why;
        }
        QMetaObject::invokeMethod(this, [this, job] { Finish(job); }, Qt::QueuedConnection);
    });
    summary->setText(QStringLiteral("Counting %1...").arg(name));
    pending_ = name;
    ShowRunning(true);
    show();
    raise();
    activateWindow();
}

void KeywordsWindow::Finish(const std::shared_ptr<Job>& job) {
    if (job != job_) return;  // a count given up for a later one
    if (worker_.joinable()) worker_.join();
    ShowRunning(false);
    std::string why = job->stop ? std::string() : job->error;
    KeywordTable table;
    WordTable* counted = here ? here() : nullptr;
    if (!job->stop && why.empty()) {
        if (!counted) {
            why = "The counted text changed meanwhile: compare again.";
        } else {
            KeynessOptions all;  // the window chooses what it lists
            all.minG2 = 0;
            all.underUsed = true;
            table = CompareWords(*counted, job->session.CountedTable(), job->source.rules, all);
            if (table.refTotal == 0) why = pending_.toStdString() + ": The reference has no words to compare.";
        }
    }
    job_.reset();
    if (job->stop || !why.empty()) {
        // The table shown before, if any, stays.
        if (!reference_.isEmpty()) Refilter();
        else if (job->stop) summary->setText(QStringLiteral("Stopped: nothing was compared."));
        else hide();
        if (!why.empty() && report) report(QString::fromStdString(why));
    } else {
        Show(std::move(table), pending_);
    }
    emit finished();
}

void KeywordsWindow::Show(KeywordTable table, const QString& reference) {
    reference_ = reference;
    model.SetTable(std::move(table));
    view->horizontalHeader()->setSortIndicator(-1, Qt::DescendingOrder);
    Refilter();
    show();
    raise();
    activateWindow();
}

void KeywordsWindow::Refilter() {
    KeynessOptions o;
    o.minG2 = minG2Box->value();
    o.minFrequency = minFrequencyBox->value();
    o.underUsed = underUsedBox->isChecked();
    model.Filter(o);
    const QHeaderView* header = view->horizontalHeader();
    if (header->sortIndicatorSection() >= 0) model.sort(header->sortIndicatorSection(), header->sortIndicatorOrder());
    if (Running()) return;  // the summary tells of the count
    const QLocale l;
    summary->setText(QStringLiteral("%1 words here against %2 in %3: %4 listed")
                         .arg(l.toString(qlonglong(model.table().total)), l.toString(qlonglong(model.table().refTotal)),
                              reference_, l.toString(model.rowCount())));
}

}  // namespace kvx
