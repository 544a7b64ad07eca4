#include "ScriptedAsker.h"

#include <QLineEdit>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <cstdlib>

namespace kvx::test {

Answer ScriptedAsker::message(QWidget*, const QString& text, const QString& title, Icon icon,
                              Buttons buttons) {
    asked.push_back({text, title, icon, buttons});
    if (!answers.empty()) {
        Answer a = answers.front();
        answers.pop_front();
        return a;
    }
    unexpected << title + QStringLiteral(": ") + text;
    switch (buttons) {
    case Buttons::OK: return Answer::OK;
    case Buttons::YesNo: return Answer::No;
    default: return Answer::Cancel;
    }
}

QString ScriptedAsker::openFileDialog(QWidget*, const QString& title, const QString& filter,
                                      const QString&) {
    dialogTitles << title;
    dialogFilters << filter;
    if (files.empty()) return {};
    QString f = files.front();
    files.pop_front();
    return f;
}

QString ScriptedAsker::saveFileDialog(QWidget* parent, const QString& title,
                                      const QString& filter, const QString& folder) {
    return openFileDialog(parent, title, filter, folder);
}

void ScriptedAsker::yielded() {
    ++yields;
    if (onYield) onYield(yields);
}

QStringList ScriptedAsker::titles() const {
    QStringList t;
    for (const Asked& a : asked) t << a.title;
    return t;
}

Asked ScriptedAsker::last() const {
    return asked.empty() ? Asked{{}, {}, Icon::None, Buttons::OK} : asked.back();
}

void ScriptedAsker::clear() {
    asked.clear();
    unexpected.clear();
    dialogTitles.clear();
    dialogFilters.clear();
}

Window::Window() : w(std::make_unique<FrmMain>()) {
    w->host().setAsker(&asker);
    w->popUpInterval = 0;
    w->endProgram = [] {};
    w->openUrl = [](const QUrl&) { return false; };
}

bool Window::load(std::initializer_list<Answer> startUpAnswers) {
    for (Answer a : startUpAnswers) asker.answers.push_back(a);
    return w->Form_Load();
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
    if (!f.open(QIODevice::ReadOnly)) return "<missing>";
    return f.readAll().toStdString();
}

QString StateFilePath() {
    return QString::fromLocal8Bit(qgetenv("XDG_DATA_HOME")) + QStringLiteral("/kvx/kvx.usr");
}

void ForgetState() {
    QDir(QString::fromLocal8Bit(qgetenv("XDG_DATA_HOME"))).removeRecursively();
}

void PrepareEnvironment(const char* home, bool offscreen) {
    // Run directly or through ctest, the tests never touch the real home.
    const QByteArray h(home);
    qputenv("HOME", h);
    qputenv("XDG_DATA_HOME", h + "/data");
    if (offscreen) qputenv("QT_QPA_PLATFORM", "offscreen");
    qputenv("LC_ALL", "en_US.UTF-8");
    qputenv("LANG", "en_US.UTF-8");
    if (qEnvironmentVariableIsEmpty("KVX_DATA_DIR")) qputenv("KVX_DATA_DIR", KVX_BUILD_DATA_DIR);
    QDir().mkpath(QString::fromLocal8Bit(h));
    QDir(QString::fromLocal8Bit(h + "/data")).removeRecursively();
}

void SetInput(FrmMain& w, const QString& path) {
    w.txbFile[0]->setText(path);
    w.params().txbFile[0] = path.toStdString();
}

void SetOutput(FrmMain& w, const QString& path) {
    w.txbFile[1]->setText(path);
    w.params().txbFile[1] = path.toStdString();
    w.EnableOutputFileControls();
}

}  // namespace kvx::test
