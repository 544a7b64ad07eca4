#pragma once
// A corpus as the window's source: several files, or folders whose files
// match a filter of extensions. The dialog that chooses one, and the short
// list of recent corpora kept in the program's settings.

#include <QString>
#include <QStringList>
#include <optional>
#include <string>
#include <vector>

class QWidget;

namespace kvx {

struct CorpusChoice {
    QStringList paths;  // files and folders
    QString filter;     // e.g. "*.txt;*.html"; empty: every file
    bool operator==(const CorpusChoice&) const = default;
};

/// The files of the corpus, in the order they are counted (see
/// corpus::ExpandCorpus); bytes: their total size.
std::vector<std::string> CorpusFilesOf(const CorpusChoice& corpus, qint64* bytes = nullptr);

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
