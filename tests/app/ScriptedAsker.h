#pragma once
// Test helpers for the windows: an asker that answers every question from a
// queue and records it, a window fixture, and a test main that keeps the
// tests away from the real home folder.

#include <QString>
#include <QStringList>
#include <QTest>
#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "FrmMain.h"
#include "QtHost.h"

namespace kvx::test {

/// One question the program asked.
struct Asked {
    QString text;
    QString title;
    Icon icon;
    Buttons buttons;
};

class ScriptedAsker : public Asker {
public:
    /// Answers given in order; when the queue is empty the question is
    /// recorded as unexpected and answered OK / No / Cancel.
    std::deque<Answer> answers;
    /// Paths returned by the file dialogs, in order ("" = cancelled).
    std::deque<QString> files;
    std::vector<Asked> asked;
    QStringList unexpected;
    QStringList dialogTitles;
    QStringList dialogFilters;
    /// Runs at every yield offer with the number of offers so far.
    std::function<void(int64_t)> onYield;
    int64_t yields = 0;

    Answer message(QWidget*, const QString& text, const QString& title, Icon icon,
                   Buttons buttons) override;
    QString openFileDialog(QWidget*, const QString& title, const QString& filter,
                           const QString& folder) override;
    QString saveFileDialog(QWidget*, const QString& title, const QString& filter,
                           const QString& folder) override;
    void yielded() override;

    /// Titles of the questions asked, in order.
    QStringList titles() const;
    /// The last question asked ("" title when none).
    Asked last() const;
    void clear();
};

/// A main window with a scripted asker, popped up with no delay.
struct Window {
    ScriptedAsker asker;
    std::unique_ptr<FrmMain> w;

    Window();
    /// Runs the start-up with the given answers queued first.
    bool load(std::initializer_list<Answer> startUpAnswers = {Answer::No});
    /// Text of the output box with CR LF line breaks.
    std::string output() const;
    QString label(const char* name) const;
    bool labelShown(const char* name) const;
};

/// Names the input file as if typed into its box.
void SetInput(FrmMain& w, const QString& path);
/// Names the output file as if typed into its box.
void SetOutput(FrmMain& w, const QString& path);

/// A temporary folder for files a test writes.
QString TempDir();
/// Writes bytes to a file in TempDir() and returns its path.
QString WriteFile(const QString& name, const std::string& bytes);
/// Reads a whole file.
std::string ReadFile(const QString& path);
/// The path of the standard state file.
QString StateFilePath();
/// Removes the state file and everything under the test's data home.
void ForgetState();

/// Points the program's folders at the build tree and a private home.
void PrepareEnvironment(const char* home, bool offscreen = true);

}  // namespace kvx::test

#define KVX_APP_TEST_MAIN(TestClass)                        \
    int main(int argc, char** argv) {                       \
        kvx::test::PrepareEnvironment(KVX_APP_TEST_HOME);   \
        QApplication app(argc, argv);                       \
        TestClass tc;                                       \
        QTEST_SET_MAIN_SOURCE_PATH                          \
        return QTest::qExec(&tc, argc, argv);               \
    }
