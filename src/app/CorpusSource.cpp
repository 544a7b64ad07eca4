#include "CorpusSource.h"

#include <QComboBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSettings>
#include <QVBoxLayout>

#include "files/Corpus.h"

namespace kvx {

namespace {

const QString kSettingsName = QStringLiteral("kvx");
const QString kRecentKey = QStringLiteral("corpus/recent");
const QString kReferenceKey = QStringLiteral("corpus/references");
constexpr int kRecentMax = 5;

// A corpus in the settings: its filter, then its paths, one a line.
QString Encode(const CorpusChoice& c) { return (QStringList{c.filter} + c.paths).join(QLatin1Char('\n')); }

CorpusChoice Decode(const QString& s) {
    QStringList lines = s.split(QLatin1Char('\n'));
    CorpusChoice c;
    c.filter = lines.takeFirst();
    c.paths = lines;
    return c;
}

}  // namespace

QString CorpusName(const CorpusChoice& c) {
    QString text = c.paths.join(QStringLiteral("; "));
    if (!c.filter.isEmpty()) text += QStringLiteral(" (") + c.filter + QLatin1Char(')');
    return text;
}

CorpusLister::~CorpusLister() {
    Cancel();
    Join();
}

void CorpusLister::Join() {
    if (worker_.joinable()) worker_.join();
}

void CorpusLister::Cancel() {
    if (job_) job_->stop = true;
    job_.reset();
    done_ = nullptr;
}

void CorpusLister::Start(const CorpusChoice& corpus, Done done) {
    Cancel();
    Join();  // soon: it was told to stop
    auto job = std::make_shared<Job>();
    std::vector<std::string> paths;
    for (const QString& p : corpus.paths) paths.push_back(QFileInfo(p).absoluteFilePath().toStdString());
    job_ = job;
    done_ = std::move(done);
    worker_ = std::thread([this, job, paths, filter = corpus.filter.toStdString()] {
        job->files = corpus::ExpandCorpus(paths, filter, &job->bytes, &job->stop);
        QMetaObject::invokeMethod(
            this,
            [this, job] {
                if (job != job_) return;  // replaced or cancelled
                Join();
                job_.reset();
                const Done done = std::move(done_);
                done_ = nullptr;
                done(std::move(job->files), job->bytes);
            },
            Qt::QueuedConnection);
    });
}

QString DefaultCorpusFilter() { return QStringLiteral("*.txt;*.htm;*.html"); }

QString CorpusSizeText(qsizetype files, qint64 bytes) {
    return QString::number(files) + (files == 1 ? QStringLiteral(" file, ") : QStringLiteral(" files, ")) +
           QString::number(double(bytes) / 1048576.0, 'f', 2) + QStringLiteral(" MB");
}

std::vector<CorpusChoice> RecentCorpora(bool reference) {
    std::vector<CorpusChoice> out;
    const QStringList saved =
        QSettings(kSettingsName, kSettingsName).value(reference ? kReferenceKey : kRecentKey).toStringList();
    for (const QString& s : saved) {
        CorpusChoice c = Decode(s);
        if (!c.paths.isEmpty() && out.size() < size_t(kRecentMax)) out.push_back(c);
    }
    return out;
}

void RememberCorpus(const CorpusChoice& corpus, bool reference) {
    QStringList saved{Encode(corpus)};
    for (const CorpusChoice& c : RecentCorpora(reference))
        if (!(c == corpus) && saved.size() < kRecentMax) saved << Encode(c);
    QSettings(kSettingsName, kSettingsName).setValue(reference ? kReferenceKey : kRecentKey, saved);
}

std::optional<CorpusChoice> AskForCorpus(QWidget* parent, const QString& title, bool reference) {
    QDialog d(parent);
    d.setWindowTitle(title);
    auto* recent = new QComboBox(&d);
    const std::vector<CorpusChoice> recents = RecentCorpora(reference);
    recent->addItem(QString());
    for (const CorpusChoice& c : recents) recent->addItem(CorpusName(c));
    recent->setMinimumContentsLength(40);
    recent->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    auto* list = new QListWidget(&d);
    auto* addFiles = new QPushButton(QStringLiteral("Add &files..."), &d);
    auto* addFolder = new QPushButton(QStringLiteral("Add f&older..."), &d);
    auto* remove = new QPushButton(QStringLiteral("&Remove"), &d);
    auto* filter = new QLineEdit(recents.empty() ? DefaultCorpusFilter() : recents.front().filter, &d);
    filter->setToolTip(QStringLiteral("The files of a folder and its subfolders that are counted; empty: all"));
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &d);
    buttons->button(QDialogButtonBox::Ok)->setEnabled(false);

    auto add = [&](const QStringList& paths) {
        for (const QString& p : paths)
            if (!p.isEmpty() && list->findItems(p, Qt::MatchExactly).isEmpty()) list->addItem(p);
        buttons->button(QDialogButtonBox::Ok)->setEnabled(list->count() > 0);
    };
    QObject::connect(recent, &QComboBox::activated, &d, [&](int i) {
        if (i < 1) return;
        list->clear();
        add(recents[size_t(i - 1)].paths);
        filter->setText(recents[size_t(i - 1)].filter);
    });
    QObject::connect(addFiles, &QPushButton::clicked, &d, [&] {
        add(QFileDialog::getOpenFileNames(&d, QStringLiteral("Add files to the corpus")));
    });
    QObject::connect(addFolder, &QPushButton::clicked, &d, [&] {
        add({QFileDialog::getExistingDirectory(&d, QStringLiteral("Add a folder to the corpus"))});
    });
    QObject::connect(remove, &QPushButton::clicked, &d, [&] {
        delete list->currentItem();
        buttons->button(QDialogButtonBox::Ok)->setEnabled(list->count() > 0);
    });
    QObject::connect(buttons, &QDialogButtonBox::accepted, &d, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &d, &QDialog::reject);

    auto* side = new QVBoxLayout;
    side->addWidget(addFiles);
    side->addWidget(addFolder);
    side->addWidget(remove);
    side->addStretch(1);
    auto* middle = new QHBoxLayout;
    middle->addWidget(list, 1);
    middle->addLayout(side);
    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("R&ecent:"), recent);
    form->addRow(QStringLiteral("Files and folders:"), middle);
    form->addRow(QStringLiteral("E&xtensions in folders:"), filter);
    auto* main = new QVBoxLayout(&d);
    main->addLayout(form);
    main->addWidget(buttons);
    d.resize(640, 360);

    if (d.exec() != QDialog::Accepted || list->count() == 0) return std::nullopt;
    CorpusChoice c;
    for (int i = 0; i < list->count(); ++i) c.paths << list->item(i)->text();
    c.filter = filter->text().trimmed();
    return c;
}

}  // namespace kvx
