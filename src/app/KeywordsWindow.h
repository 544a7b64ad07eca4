#pragma once
// The keywords window: the words of the counted text set against a
// reference (another text, or a counts file), by log-likelihood G2 and Log
// Ratio, in a table that sorts by any column. The minimum G2, the minimum
// frequency and whether the under-used words are shown change what is
// listed without counting again.

#include <QAbstractTableModel>
#include <QWidget>
#include <vector>

#include "words/Keyness.h"

class QCheckBox;
class QDoubleSpinBox;
class QLabel;
class QSpinBox;
class QTableView;

namespace kvx {

/// The rows of a comparison that pass the options, as a table.
class KeywordsModel : public QAbstractTableModel {
    Q_OBJECT
public:
    void SetTable(KeywordTable table);
    /// Lists the rows that pass o, in the table's order.
    void Filter(const KeynessOptions& o);
    const KeywordTable& table() const { return table_; }
    const Keyword& Row(int i) const { return table_.rows[size_t(shown_[size_t(i)])]; }

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    void sort(int column, Qt::SortOrder order) override;

private:
    KeywordTable table_;
    std::vector<int32_t> shown_;
};

class KeywordsWindow : public QWidget {
    Q_OBJECT
public:
    explicit KeywordsWindow(QWidget* parent = nullptr);
    /// Shows the comparison of the counted text with the reference named.
    void Show(KeywordTable table, const QString& reference);

    QLabel* summary;
    QDoubleSpinBox* minG2Box;
    QSpinBox* minFrequencyBox;
    QCheckBox* underUsedBox;
    QTableView* view;
    KeywordsModel model;

private:
    void Refilter();
    QString reference_;
};

}  // namespace kvx
