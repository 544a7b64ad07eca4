#pragma once
// The contexts window: every place in the source where the count found the
// words listed under one entry, one per row, aligned on the word. The source
// is counted again on a worker thread, with the contexts of the entry kept,
// under the rules of the listed result; the window stays responsive and the
// count can be stopped.

#include <QAbstractTableModel>
#include <QStringList>
#include <QWidget>
#include <atomic>
#include <functional>
#include <memory>
#include <optional>
#include <thread>
#include <vector>

#include "params/Params.h"
#include "scanning/Contexts.h"
#include "shell/Host.h"

class QLabel;
class QProgressBar;
class QPushButton;
class QTableView;
class QTimer;

namespace kvx {

class CountingSession;
class MessageTable;

/// The host of a count on a worker thread: it asks nothing (a question gets
/// the answer that goes on), hands over the clipboard text that was counted,
/// and takes up a stop at the count's turns.
class WorkerHost : public Host {
public:
    WorkerHost(const std::atomic<bool>& stop, std::string clipboard) : stop_(stop), clipboard_(std::move(clipboard)) {}
    CountingSession* session = nullptr;
    Answer message(std::string_view, std::string_view, Icon, Buttons b) override {
        // "Stop?" gets Yes; "Do you wish to specify an output file?" No.
        return b == Buttons::YesNo ? Answer::Yes : b == Buttons::YesNoCancel ? Answer::No : Answer::OK;
    }
    void yield() override;
    void scanProgress(int64_t, int) override { yield(); }
    std::string clipboardText() override { return clipboard_; }

private:
    const std::atomic<bool>& stop_;
    std::string clipboard_;
};

/// The rules and source of the listed result, for counting it again.
struct ContextsSource {
    Params params;
    bool everyScript = false;
    std::string collation;
    std::string clipboard;  // the text counted, when the source was the clipboard (UTF-8)
    std::vector<std::string> inputs;  // the files of a corpus, in order; empty: the input file
    int32_t maxClipboardChars = 100000;
};

/// The rows found, in the order chosen; the first Shown() of them are listed.
/// A sort by a context runs on a worker thread: the rows keep their order
/// until it ends, and a sort asked for meanwhile runs after it.
class ContextsModel : public QAbstractTableModel {
    Q_OBJECT
public:
    static constexpr int kPage = 1000;
    ~ContextsModel() override;
    void SetRows(ContextRows rows, QStringList inputs, bool utf8);
    /// Lists kPage more rows.
    void ShowMore();
    int Shown() const { return shown_; }
    int Total() const { return int(order_.size()); }
    bool Sorting() const { return sorter_.joinable(); }
    /// The rows given (view rows) as TSV lines (file, line, left, word,
    /// right), after the header line when header is set.
    QString Tsv(const std::vector<int>& rows, bool header) const;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    /// By the left context read backwards from the word, or by the right
    /// context, letter case ignored; the other columns go back to the order
    /// of the text.
    void sort(int column, Qt::SortOrder order) override;

signals:
    /// A sort has begun, or its rows are in their new order.
    void sortingChanged();

private:
    struct SortRequest {
        int column;
        Qt::SortOrder order;
        bool operator==(const SortRequest&) const = default;
    };
    void StartSort(SortRequest r);
    void SortEnded(int64_t generation, std::vector<int32_t> order);
    QString Text(std::string_view s) const;
    QString Cell(int row, int column) const;
    std::shared_ptr<const ContextRows> rows_ = std::make_shared<const ContextRows>();
    QStringList inputs_;
    bool utf8_ = false;
    std::vector<int32_t> order_;
    int shown_ = 0;
    std::thread sorter_;
    SortRequest running_{-1, Qt::AscendingOrder};
    SortRequest sorted_{-1, Qt::AscendingOrder};  // the order of the rows
    std::optional<SortRequest> pending_;          // asked for while a sort ran
    int64_t generation_ = 0;              // of the rows: a sort of rows replaced is dropped
};

class ContextsWindow : public QWidget {
    Q_OBJECT
public:
    ContextsWindow(const MessageTable& texts, QWidget* parent = nullptr);
    ~ContextsWindow() override;
    /// Counts source again keeping the contexts of word (UTF-8, as listed)
    /// and shows them; a count still running is stopped first.
    void Start(const ContextsSource& source, const QString& word);
    bool Running() const;
    /// Stops the count running (its rows so far are shown).
    void Stop();
    /// Copies the selected rows as TSV.
    void CopyRows();
    /// Saves every row as TSV to path; the error's text, "" when written.
    QString SaveTo(const QString& path);

    QLabel* summary;
    QProgressBar* bar;
    QPushButton* stopButton;
    QPushButton* moreButton;
    QPushButton* copyButton;
    QPushButton* saveButton;
    QTableView* view;
    ContextsModel model;
    /// The "Save as..." dialog (the path chosen, "" when cancelled) and the
    /// report of a save that failed.
    std::function<QString()> saveAs;
    std::function<void(const QString&)> report;

signals:
    /// A count has ended (its rows are in the model).
    void finished();

private:
    struct Job;
    void Finish(const std::shared_ptr<Job>& job);
    void Refresh();
    void SaveAs();

    const MessageTable& texts_;
    std::shared_ptr<Job> job_;
    std::thread worker_;
    QTimer* timer_;
    QString word_;
    QString error_;
};

}  // namespace kvx
