#pragma once
// A corpus as the window's source: several files, or folders whose files
// match a filter of extensions. The dialog that chooses one, and the short
// list of recent corpora kept in the program's settings.

#include <QObject>
#include <QString>
#include <QStringList>
#include <atomic>
#include <functional>
#include <memory>
#include <optional>
#include <thread>
#include <string>
#include <vector>

class QWidget;

namespace kvx {

struct CorpusChoice {
    QStringList paths;  // files and folders
    QString filter;     // e.g. "*.txt;*.html"; empty: every file
    bool operator==(const CorpusChoice&) const = default;
};

/// Lists the files of a corpus on a worker thread (a folder may hold a great
/// many), and hands them over on the window's thread. A new corpus given
/// while one is listed replaces it.
class CorpusLister : public QObject {
    Q_OBJECT
public:
    using Done = std::function<void(std::vector<std::string> files, qint64 bytes)>;
    ~CorpusLister() override;
    /// Lists corpus and then calls done (unless replaced or cancelled first).
    void Start(const CorpusChoice& corpus, Done done);
    void Cancel();
    bool Busy() const { return bool(job_); }

private:
    struct Job {
        std::atomic<bool> stop{false};
        std::vector<std::string> files;
        int64_t bytes = 0;
    };
    void Join();
    std::shared_ptr<Job> job_;
    Done done_;
    std::thread worker_;
};

/// The filter offered when none was used before.
QString DefaultCorpusFilter();

/// "N files, M MB" (MB of 1,048,576 bytes).
QString CorpusSizeText(qsizetype files, qint64 bytes);

/// Its paths, "; " between them, then its filter in brackets.
QString CorpusName(const CorpusChoice& corpus);

/// The corpora chosen last, the latest first (at most five); reference:
/// those compared with, kept apart from the sources.
std::vector<CorpusChoice> RecentCorpora(bool reference = false);
/// Puts a corpus at the head of the recent ones.
void RememberCorpus(const CorpusChoice& corpus, bool reference = false);

/// The corpus dialog, offering the recent corpora; nothing
/// when it was cancelled or left empty.
std::optional<CorpusChoice> AskForCorpus(QWidget* parent, const QString& title = QStringLiteral("Corpus"),
                                         bool reference = false);

}  // namespace kvx
