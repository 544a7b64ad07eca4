#include "KeywordsWindow.h"

#include <QCheckBox>
#include <QDoubleSpinBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLocale>
#include <QSpinBox>
#include <QTableView>
#include <QVBoxLayout>
#include <algorithm>
#include <numeric>

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

}  // namespace

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

KeywordsWindow::KeywordsWindow(QWidget* parent) : QWidget(parent, Qt::Window) {
    setWindowTitle(QStringLiteral("KVX: Keywords"));
    summary = new QLabel(this);
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
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(summary);
    layout->addLayout(options);
    layout->addWidget(view, 1);
    connect(minG2Box, &QDoubleSpinBox::valueChanged, this, [this] { Refilter(); });
    connect(minFrequencyBox, &QSpinBox::valueChanged, this, [this] { Refilter(); });
    connect(underUsedBox, &QCheckBox::toggled, this, [this] { Refilter(); });
    resize(760, 520);
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
    const QLocale l;
    summary->setText(QStringLiteral("%1 words here against %2 in %3: %4 listed")
                         .arg(l.toString(qlonglong(model.table().total)), l.toString(qlonglong(model.table().refTotal)),
                              reference_, l.toString(model.rowCount())));
}

}  // namespace kvx
