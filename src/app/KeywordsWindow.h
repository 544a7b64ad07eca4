#pragma once
// The keywords window: the words of the counted text set against a
// reference (another text, a corpus, or counts files), by log-likelihood G2
// and Log Ratio, in a table that sorts by any column. The reference is
// counted on a worker thread, with a progress bar and Stop. The minimum G2,
// the minimum frequency and whether the under-used words are shown change
// what is listed without counting again.

#include <QAbstractTableModel>
#include <QWidget>
#include <functional>
#include <memory>
#include <thread>
#include <vector>

#include "params/Params.h"
#include "words/Keyness.h"

class QCheckBox;
class QDoubleSpinBox;
class QLabel;
class QProgressBar;
class QPushButton;
class QSpinBox;
class QTableView;
class QTimer;

namespace kvx {

class MessageTable;

/// A reference and the rules it is counted under (those of the result).
struct ReferenceSource {
    Params rules;
    bool everyScript = false;
    std::string collation;
    std::vector<std::string> paths;  // files and folders (absolute)
    std::string filter;              // of the files in folders; empty: all
};

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
    explicit KeywordsWindow(const MessageTable& texts, QWidget* parent = nullptr);
    ~KeywordsWindow() override;
    /// Counts the reference on a worker thread and then compares the
    /// counted text with it (see here); a count still running is given up.
    void Start(const ReferenceSource& reference, const QString& name);
    bool Running() const { return worker_.joinable(); }
    /// Stops the reference's count: nothing is compared.
    void Stop();
    /// Shows the comparison of the counted text with the reference named.
    void Show(KeywordTable table, const QString& reference);

    /// The counted text's table, or null when its result is gone.
    std::function<WordTable*()> here;
    /// Reports why a reference cannot be compared.
    std::function<void(const QString& why)> report;

    QLabel* summary;
    QProgressBar* bar;
    QPushButton* stopButton;
    QDoubleSpinBox* minG2Box;
    QSpinBox* minFrequencyBox;
    QCheckBox* underUsedBox;
    QTableView* view;
    KeywordsModel model;

signals:
    /// A reference's count has ended (compared, refused or stopped).
    void finished();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    struct Job;
    void Finish(const std::shared_ptr<Job>& job);
    void Refilter();
    void ShowRunning(bool running);
    const MessageTable& texts_;
    std::shared_ptr<Job> job_;
    std::thread worker_;
    QTimer* timer_;
    QString reference_;  // of the table shown
    QString pending_;    // of the reference being counted
};

}  // namespace kvx
