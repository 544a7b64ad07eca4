#include "ScriptedAsker.h"

#include <QSignalSpy>

#include "ParamsWindow.h"

namespace kvx::test {

QString ScriptedAsker::openFileDialog(QWidget* owner, const QString& title, const QString&,
                                     const QString& folder) {
    lastOwner = owner;
    dialogTitles << title;
    dialogFolders << folder;
    if (files.empty()) return {};
    QString f = files.front();
    files.pop_front();
    return f;
}

Window::Window() : w(std::make_unique<MainWindow>()) {
    w->host().setAsker(&asker);
    w->popUpInterval = 0;
    w->endProgram = [] {};
    w->openUrl = [](const QUrl&) { return false; };
    // Connected after the window's own handler, which starts the count.
    QObject::connect(w->countButton, &QPushButton::clicked, [this] { waitCount(); });
}

Window::~Window() {
    asker.hooksOff = true;
    waitCount();
}

bool Window::waitCount() {
    if (waiting_ || !w) return true;
    waiting_ = true;
    // An event loop of its own, which the count's calls wake at once.
    QSignalSpy ended(w.get(), &MainWindow::countEnded);
    while (w->Counting() && ended.wait(60000)) {
    }
    waiting_ = false;
    return !w->Counting();
}

bool Window::load(std::initializer_list<Answer> startUpAnswers) {
    for (Answer a : startUpAnswers) asker.answers.push_back(a);
    return w->StartUp();
}

std::string Window::output() const { return w->host().outputText(); }

QString Window::label(const char* name) const {
    auto* l = w->findChild<QLabel*>(QString::fromLatin1(name));
    return l ? l->text() : QStringLiteral("<no label>");
}

bool Window::labelShown(const char* name) const {
    auto* l = w->findChild<QLabel*>(QString::fromLatin1(name));
    return l && !l->isHidden();
}

ParamsWindow& Window::panel() const {
    return *w->findChild<ParamsWindow*>(QStringLiteral("frmParams"));
}

void Window::setFile(int i, const QString& path) {
    w->fileNameBoxes[i]->setText(path);
    w->params().fileNames[size_t(i)] = path.toStdString();
    w->EnableOutputFileControls();
}

void Window::verifyIdle() {
    QCOMPARE(w->countButton->text(), QStringLiteral("Count words"));
    QVERIFY(w->countButton->isEnabled());
    QVERIFY(!w->session().Running());
    QVERIFY(!w->outputBox->isReadOnly());  // the user's again after a count
    for (QWidget* c : std::initializer_list<QWidget*>{
             w->fileButtons[0], w->fileNameBoxes[0], w->fileButtons[1], w->fileNameBoxes[1], w->saveStateButton,
             w->setParametersButton, w->helpButton, w->wordOrderList, w->displayFormatList, w->fileSourceButton,
             w->clipboardSourceButton, w->copyToClipboardButton})
        QVERIFY2(c->isEnabled(), qPrintable(c->objectName()));
    const ParamsWindow& params = panel();
    for (QWidget* c : std::initializer_list<QWidget*>{params.Check("chkCaseSignificant"), params.shortWordSizeList,
                                                     params.wordsToIgnoreBox, params.saveLoadStateButtons[1]})
        QVERIFY2(c->isEnabled(), qPrintable(c->objectName()));
    // No "Clear" for an empty box, "Disable" only with an output file.
    for (int k = 0; k < 2; ++k)
        if (w->fileNameBoxes[k]->text().isEmpty()) QVERIFY(!w->clearFileButtons[k]->isEnabled());
    QCOMPARE(w->disableOutputBox->isEnabled(), !w->params().fileNames[1].empty());
    QCOMPARE(label("lblTwirler"), QStringLiteral(" "));
}

QString TempDir() {
    static QTemporaryDir dir;
    return dir.path();
}

QString WriteFile(const QString& name, const std::string& bytes) {
    const QString path = TempDir() + QLatin1Char('/') + name;
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate)) qFatal("cannot write %s", qPrintable(path));
    f.write(bytes.data(), static_cast<qint64>(bytes.size()));
    return path;
}

std::string ReadFile(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll().toStdString() : "<missing>";
}

QString StateFilePath() {
    return QString::fromLocal8Bit(qgetenv("XDG_DATA_HOME")) + QStringLiteral("/kvx/kvx.usr");
}

void ForgetState() {
    QDir(QString::fromLocal8Bit(qgetenv("XDG_DATA_HOME"))).removeRecursively();
    QDir(QString::fromLocal8Bit(qgetenv("XDG_CONFIG_HOME"))).removeRecursively();
}

void PrepareEnvironment(const char* home, bool offscreen) {
    // Run directly or through ctest, the tests never touch the real home.
    const QByteArray h(home);
    qputenv("HOME", h);
    qputenv("XDG_DATA_HOME", h + "/data");
    qputenv("XDG_CONFIG_HOME", h + "/config");
    if (offscreen) qputenv("QT_QPA_PLATFORM", "offscreen");
    qputenv("LC_ALL", "en_US.UTF-8");
    qputenv("LANG", "en_US.UTF-8");
    if (qEnvironmentVariableIsEmpty("KVX_DATA_DIR")) qputenv("KVX_DATA_DIR", KVX_BUILD_DATA_DIR);
    QDir().mkpath(QString::fromLocal8Bit(h));
    QDir(QString::fromLocal8Bit(h + "/data")).removeRecursively();
    QDir(QString::fromLocal8Bit(h + "/config")).removeRecursively();
}

}  // namespace kvx::test
