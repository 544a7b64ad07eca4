#pragma once
// The windows' side of the scripted host: an asker that hands every question
// to the core fake host, a window fixture, and a test main that keeps the
// tests away from the real home folder.

#include <QTest>
#include <QtWidgets>
#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "FakeHost.h"
#include "MainWindow.h"
#include "QtHost.h"

namespace kvx {
class ParamsWindow;
}

namespace kvx::test {

class ScriptedAsker : public Asker {
public:
    FakeHost core;
    std::deque<Answer>& answers = core.answers;
    std::vector<Shown>& asked = core.messages;
    /// Paths returned by the file dialogs, in order ("" = cancelled).
    std::deque<QString> files;
    QStringList dialogTitles;
    QStringList dialogFolders;  // where each file dialog opened
    /// Runs at every yield offer with the number of offers so far, on the
    /// window's thread while the count waits.
    std::function<void(int64_t)> onYield;

    /// The window that owned the last question or file dialog.
    QWidget* lastOwner = nullptr;

    Answer message(QWidget* owner, const QString& text, const QString& title, Icon icon,
                   Buttons buttons) override {
        lastOwner = owner;
        return core.message(text.toStdString(), title.toStdString(), icon, buttons);
    }
    /// Whether the next question with a "Don't ask again" box gets it ticked.
    bool silenceNext = false;
    Answer question(QWidget* owner, const QString& text, const QString& title,
                    bool& silence) override {
        silence = silenceNext;
        return message(owner, text, title, Icon::None, Buttons::YesNo);
    }
    QString openFileDialog(QWidget*, const QString& title, const QString&,
                           const QString& folder) override;
    /// The file type "chosen" in the next save dialogs (empty: left as offered).
    QString saveFilter;
    QString saveFileDialog(QWidget* parent, const QString& title, const QString& filter,
                           const QString& folder, QString* selectedFilter) override {
        if (selectedFilter && !saveFilter.isEmpty()) *selectedFilter = saveFilter;
        return openFileDialog(parent, title, filter, folder);
    }
    void yielded() override {
        core.yield();
        if (!onYield) return;
        const int64_t n = core.yields;
        if (QThread::currentThread() == qApp->thread()) onYield(n);
        else QMetaObject::invokeMethod(qApp, [&] { if (!hooksOff) onYield(n); }, Qt::BlockingQueuedConnection);
    }
    /// Set when the test has ended: the hooks may refer to what is gone.
    bool hooksOff = false;
    std::vector<std::string> titles() const { return core.titles(); }
    Shown last() const { return asked.empty() ? Shown{{}, {}, Icon::None, Buttons::OK} : asked.back(); }
    /// Forgets the questions asked so far; `next` answers the ones to come.
    void clear(std::initializer_list<Answer> next) {
        clear();
        answers = next;
    }
    void clear() {
        asked.clear();
        core.unexpected = 0;
        dialogTitles.clear();
        dialogFolders.clear();
    }
};

using Titles = std::vector<std::string>;

/// A main window with a scripted asker, popped up with no delay.
struct Window {
    ScriptedAsker asker;
    std::unique_ptr<MainWindow> w;

    Window();
    /// A count still running (a test that failed midway) ends first.
    ~Window();
    /// Runs the start-up with the given answers queued first.
    bool load(std::initializer_list<Answer> startUpAnswers = {Answer::No});
    /// Text of the output box with CR LF line breaks.
    std::string output() const;
    QString label(const char* name) const;
    bool labelShown(const char* name) const;
    ParamsWindow& panel() const;
    /// Names the input or output file as if typed into its box.
    void setFile(int i, const QString& path);
    /// The window is idle: every control usable, the count command ready.
    void verifyIdle();
    /// Waits until the count started last has ended (false after a minute).
    /// A click on the count command waits by itself, unless it comes while
    /// the test already waits (a "Stop" from onYield).
    bool waitCount();

private:
    bool waiting_ = false;
};

/// Chooses entry i of a list as the user does.
inline void Select(QComboBox* box, int i) {
    box->setCurrentIndex(i);
    emit box->activated(i);
}

/// A temporary folder for files a test writes.
QString TempDir();
/// Writes bytes to a file in TempDir() and returns its path.
QString WriteFile(const QString& name, const std::string& bytes);
std::string ReadFile(const QString& path);
/// The path of the standard state file.
QString StateFilePath();
/// Removes the state file and everything under the test's data home.
void ForgetState();
/// Points the program's folders at the build tree and a private home.
void PrepareEnvironment(const char* home, bool offscreen = true);

/// Base of the window tests: each test starts with a fresh, loaded window
/// and no saved state.
class WindowTest : public QObject {
    Q_OBJECT
protected:
    std::unique_ptr<Window> win;
    void freshWindow() {
        ForgetState();
        win = std::make_unique<Window>();
        QVERIFY(win->load());
    }
private slots:
    void init() { freshWindow(); }
};

}  // namespace kvx::test

#define KVX_APP_TEST_MAIN(TestClass)                      \
    int main(int argc, char** argv) {                     \
        kvx::test::PrepareEnvironment(KVX_APP_TEST_HOME); \
        QApplication app(argc, argv);                     \
        TestClass tc;                                     \
        QTEST_SET_MAIN_SOURCE_PATH                        \
        return QTest::qExec(&tc, argc, argv);             \
    }
