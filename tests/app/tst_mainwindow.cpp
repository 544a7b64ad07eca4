// The main window outside counting: start-up, the saved state, the file
// controls, the keyboard, dropped files, the help and pop-up windows, the web
// links and the host.

#include "HelpWindow.h"
#include "PopUpWindow.h"
#include "HelpText.h"
#include "ScriptedAsker.h"
#include "TextGen.h"
#include "base/Folder.h"
#include "state/StateFile.h"

using namespace kvx;
using namespace kvx::test;

namespace {

void SaveStateFile(const Params& p) {
    QDir().mkpath(QFileInfo(StateFilePath()).path());
    QCOMPARE(SaveState(p, StateFilePath().toStdString()), std::string());
}

}  // namespace

class TestMainWindow : public WindowTest {
    Q_OBJECT

private slots:

    void firstStart() {
        Window& t = *win;  // loaded with No to the common-words question
        // Only the common-words question, with its own title and Yes/No.
        QCOMPARE(t.asker.titles(), Titles{t.w->texts().Get(Message::CommonWordsTitle)});
        QCOMPARE(t.asker.asked[0].buttons, Buttons::YesNo);
        QVERIFY(t.w->isVisible() && t.w->timer->isActive() && t.w->session().startUpCompleted);
        QCOMPARE(t.w->params().ignoreCommonWords, int16_t(0));
        t.verifyIdle();
        QVERIFY(!t.labelShown("lblNumberOfWords"));
        QVERIFY(!QFile::exists(StateFilePath()));  // nothing written at start-up

        // "Don't ask again" ticked: the next start keeps the answer and asks nothing.
        {
            Window silenced;
            silenced.asker.silenceNext = true;
            QVERIFY(silenced.load());
            Window next;
            QVERIFY(next.load({}));
            QVERIFY(next.asker.asked.empty());
            QCOMPARE(next.w->params().ignoreCommonWords, int16_t(0));
        }
        ForgetState();
    }

    // The state is saved by "Save state", or on quitting (Quit, the close
    // box) when asked to, and the next start restores it; one that cannot
    // be saved is reported (its text: the state-file core tests).
    void saveAndRestoreAcrossTwoWindows_data() {
        QTest::addColumn<int>("how");
        QTest::newRow("Save state") << 0;
        QTest::newRow("close box, saving on quitting") << 1;
        QTest::newRow("Quit, not saving") << 2;
        QTest::newRow("Save state where it cannot be saved") << 3;
    }

    void saveAndRestoreAcrossTwoWindows() {
        QFETCH(int, how);
        const QString out = TempDir() + QStringLiteral("/state-out.txt");
        Window& t = *win;
        t.setFile(0, WriteFile(QStringLiteral("present.txt"), std::string(10000, 'a')));
        t.setFile(1, out);
        t.w->suppressWordsBox->click();
        Select(t.w->displayFormatList, 3);
        t.w->params().ignoreRepetitions = 0;
        t.w->params().saveStateOnQuit = how == 1;
        if (how == 3) t.w->stateFile = (TempDir() + QStringLiteral("/no/such/dir/kvx.usr")).toStdString();
        int ends = 0;
        t.w->endProgram = [&] { ++ends; };
        t.asker.clear({Answer::OK});
        if (how == 1) t.w->close();
        else (how == 2 ? t.w->quitButton : t.w->saveStateButton)->click();
        QCOMPARE(ends, int(how == 1 || how == 2));
        QCOMPARE(t.asker.titles(), how == 3 ? Titles{"Error"} : Titles{});
        QCOMPARE(QFile::exists(StateFilePath()), how < 2);
        if (how >= 2) return;
        Window u;
        QVERIFY(u.load());
        QCOMPARE(u.w->fileNameBoxes[1]->text(), out);
        QCOMPARE(u.label("lblFilesize"), QStringLiteral("Filesize:   10,000 bytes    9.77 KB"));
        QVERIFY(u.w->suppressWordsBox->isChecked());
        QCOMPARE(u.w->displayFormatList->currentIndex(), 3);
        QCOMPARE(u.w->params().ignoreRepetitions, int16_t(0));
        QVERIFY(u.w->disableOutputBox->isEnabled() && u.w->clearFileButtons[1]->isEnabled());
    }

    void commonWordsQuestions() {
        const QString cw = WriteFile(QStringLiteral("common.txt"), "the and of\r\n");
        Params p;
        p.commonWordsFile = p.commonWordsFileText = cw.toStdString();
        p.ignoreCommonWords = 0;
        SaveStateFile(p);
        {
            // Named but not in use: question 40 with the path, then loaded.
            Window t;
            QVERIFY(t.load({Answer::Yes, Answer::OK}));
            QCOMPARE(t.asker.asked[0].text, t.w->texts().Get(Message::UseCommonWordsFile) + "\n" + cw.toStdString());
            QCOMPARE(t.asker.titles(), (Titles{t.w->texts().Get(Message::CommonWordsTitle), "Common words loaded"}));
            QVERIFY(t.w->session().commonWordsLoaded);
            QCOMPARE(t.w->params().ignoreCommonWords, int16_t(1));
            QVERIFY(t.output().empty());
        }
        // The file went away: forgotten, and question 41 instead.
        QFile::remove(cw);
        Window t;
        QVERIFY(t.load({Answer::No}));
        QCOMPARE(t.asker.asked.size(), size_t(1));
        QCOMPARE(t.asker.asked[0].text, t.w->texts().Get(Message::UseDefaultCommonWords));
        QVERIFY(t.w->params().commonWordsFile.empty());
    }

    void missingMessageTextsEndStartUp() {
        QTemporaryDir empty;
        const QByteArray saved = qgetenv("KVX_DATA_DIR");
        qputenv("KVX_DATA_DIR", empty.path().toLocal8Bit());
        Window t;
        const bool ok = t.load({Answer::OK});
        qputenv("KVX_DATA_DIR", saved);
        QVERIFY(!ok);
        QVERIFY(!t.w->isVisible());
        QCOMPARE(t.asker.asked.size(), size_t(1));
        QCOMPARE(t.asker.asked[0].icon, Icon::Critical);
        QVERIFY(t.asker.asked[0].text.ends_with("\n" + empty.path().toStdString() + "/kvx.dat"));
    }

    void fileControls() {
        Window& t = *win;
        MainWindow& w = *t.w;
        const QString in = WriteFile(QStringLiteral("pick.txt"), "one two three\n");
        // Cancelling the input dialog takes away the result's right to be re-listed.
        w.session().wordsCounted = true;
        t.asker.files = {QString()};
        w.fileButtons[0]->click();
        QVERIFY(!w.session().wordsCounted);
        QVERIFY(w.fileNameBoxes[0]->text().isEmpty());

        t.asker.files = {in};
        w.host().setOutputText("old listing");
        w.fileButtons[0]->click();
        QCOMPARE(QString::fromStdString(w.params().fileNames[0]), in);
        QCOMPARE(t.label("lblFilesize"), QStringLiteral("Filesize:   14 bytes"));
        QVERIFY(t.output().empty());
        QVERIFY(w.clearFileButtons[0]->isEnabled());
        QCOMPARE(w.host().currentFolder(), TempDir() + QLatin1Char('/'));

        // Typing an output name and leaving the box enables "Disable";
        // clearing the name unticks and disables it again.
        QTest::keyClicks(w.fileNameBoxes[1], QStringLiteral("  out.txt  "));
        w.FileNameEdited(1);
        QCOMPARE(w.params().fileNames[1], std::string("out.txt"));
        QVERIFY(w.disableOutputBox->isEnabled());
        w.disableOutputBox->click();
        QCOMPARE(w.params().outputToFileDisabled, int16_t(1));
        w.clearFileButtons[1]->click();
        QVERIFY(!w.disableOutputBox->isChecked());
        QCOMPARE(w.params().outputToFileDisabled, int16_t(0));
        QVERIFY(!w.disableOutputBox->isEnabled());
        w.clearFileButtons[0]->click();
        QVERIFY(t.label("lblFilesize").isEmpty());
        QVERIFY(w.params().fileNames[0].empty());

        // The size shown follows a name as it is typed. A file without
        // extension is input like any other; a folder is refused as one.
        t.asker.clear();
        QTest::keyClicks(w.fileNameBoxes[0], WriteFile(QStringLiteral("README"), "no extension\n"));
        QCOMPARE(t.label("lblFilesize"), QStringLiteral("Filesize:   13 bytes"));
        w.FileNameEdited(0);
        QVERIFY(t.asker.asked.empty());
        w.fileNameBoxes[0]->selectAll();
        QTest::keyClicks(w.fileNameBoxes[0], TempDir());
        QVERIFY(t.label("lblFilesize").isEmpty());
        t.asker.answers = {Answer::OK};
        w.FileNameEdited(0);
        QCOMPARE(t.asker.last().text, TempDir().toStdString() + " is a folder, not a file.");

        // The timer enables "Clear textbox" while the box holds text; clearing drops the result.
        w.host().setOutputText("");
        w.TimerTick();
        QVERIFY(!w.clearOutputButton->isEnabled());
        w.host().setOutputText("x");
        w.session().wordsCounted = true;
        w.TimerTick();
        QVERIFY(w.clearOutputButton->isEnabled());
        w.clearOutputButton->click();
        QVERIFY(t.output().empty());
        QVERIFY(!w.session().wordsCounted);
    }

    void keyboard_data() {
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("mods");
        QTest::newRow("Tab leaves the output box") << int(Qt::Key_Tab) << 0;
        QTest::newRow("Ctrl+O input file") << int(Qt::Key_O) << int(Qt::ControlModifier);
        QTest::newRow("Ctrl+Enter count") << int(Qt::Key_Return) << int(Qt::ControlModifier);
        QTest::newRow("Escape stops through the question") << int(Qt::Key_Escape) << 0;
        QTest::newRow("F1 help") << int(Qt::Key_F1) << 0;
        QTest::newRow("Ctrl+Q quit") << int(Qt::Key_Q) << int(Qt::ControlModifier);
    }

    void keyboard() {
        QFETCH(int, key);
        QFETCH(int, mods);
        Window& t = *win;
        MainWindow& w = *t.w;
        w.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&w));
        int ends = 0;
        w.endProgram = [&] { ++ends; };
        auto press = [&] { QTest::keyClick(w.focusWidget(), Qt::Key(key), Qt::KeyboardModifiers(mods)); };
        const QString in = WriteFile(QStringLiteral("keys"), DistinctWords(2500));  // no extension
        // Leaving the input box for the output box keeps the focus there.
        QTest::keyClicks(w.fileNameBoxes[0], in);
        QVERIFY(w.clearFileButtons[0]->isEnabled());
        w.outputBox->setFocus(Qt::MouseFocusReason);
        QVERIFY(w.outputBox->hasFocus());
        t.asker.clear();
        t.asker.files = {in};
        t.asker.answers = {Answer::Yes, Answer::No};  // stop, then do not list
        t.asker.onYield = [&](int64_t n) {
            if (n == 2100 && key == Qt::Key_Escape) press();
        };
        press();
        t.waitCount();
        if (key == Qt::Key_Escape) w.countButton->click();
        if (key == Qt::Key_Tab) QVERIFY(!w.outputBox->hasFocus() && t.output().empty());
        QCOMPARE(t.asker.dialogTitles.size(), qsizetype(key == Qt::Key_O));
        QCOMPARE(t.output().starts_with("   Rank"), key == Qt::Key_Return);
        if (key != Qt::Key_Return)  // a count this long also says the box holds only its start
            QCOMPARE(t.asker.titles(), (key == Qt::Key_Escape ? Titles{"Stop", "Counting interrupted"} : Titles{}));
        QCOMPARE(w.help()->isVisible(), key == Qt::Key_F1);
        QCOMPARE(ends, int(key == Qt::Key_Q));
    }

    void droppedFilesAndTheWindowPlace() {
        Window& t = *win;
        MainWindow& w = *t.w;
        auto drop = [&](const QString& path) {
            QMimeData data;
            data.setUrls({QUrl::fromLocalFile(path)});
            QDragEnterEvent enter(QPoint(20, 20), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
            QDropEvent e(QPointF(20, 20), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
            QApplication::sendEvent(&w, &enter);
            QApplication::sendEvent(&w, &e);
            QCoreApplication::sendPostedEvents();  // taken up once the drop is over
        };
        const QString in = WriteFile(QStringLiteral("LICENSE"), "free text\n");
        drop(in);
        QCOMPARE(w.fileNameBoxes[0]->text(), in);
        // Named on the command line: a relative name is read from the current folder.
        const QString named = WriteFile(QStringLiteral("named.txt"), "more text\n");
        const QString was = QDir::currentPath();
        QDir::setCurrent(TempDir());
        w.OpenFile(QStringLiteral("named.txt"));
        QDir::setCurrent(was);
        QCOMPARE(w.fileNameBoxes[0]->text(), named);
        Params p;
        p.displayFormat = 4;
        const QString kvx = TempDir() + QStringLiteral("/dropped.kvx");
        QCOMPARE(SaveState(p, kvx.toStdString()), std::string());
        drop(kvx);
        QCOMPARE(w.displayFormatList->currentIndex(), 4);
        QCOMPARE(t.asker.asked.size(), size_t(1));  // only the start-up question

        // Never narrower than its rows with the lists filled; size and place
        // come back at the next start.
        QVERIFY(w.minimumSize().width() >= w.layout()->minimumSize().width());
        const QRect place(130, 90, w.minimumWidth() + 40, w.minimumHeight() + 30);
        w.setGeometry(place);
        w.quitButton->click();
        Window u;
        QVERIFY(u.load());
        QCOMPARE(u.w->geometry(), place);
    }

    void helpAndPopUpWindows() {
        Window& t = *win;
        // F1 released on a button, which the shortcut does not see.
        HelpWindow* h = t.w->help();
        QTest::keyRelease(t.w->countButton, Qt::Key_F2);  // another key does nothing
        QVERIFY(!h->isVisible());
        QTest::keyRelease(t.w->countButton, Qt::Key_F1);
        QVERIFY(h->isVisible());
        h->closeButton->click();
        QVERIFY(!h->isVisible());

        // A click ends the pop-up long before its 60 seconds.
        PopUpWindow* p = t.w->popUp();
        QTimer::singleShot(0, p, [p] { QTest::mouseRelease(p->messageLabel, Qt::LeftButton); });
        p->PopUp(QStringLiteral("Click me"), 160, 20, 60000, 0, 0);
        QCOMPARE(p->messageLabel->text(), QStringLiteral("Click me"));
        QVERIFY(!p->isVisible());
        QVERIFY(!p->timer->isActive());
    }

    // The illustrated manual says all that the help window says (but its
    // opening paragraph), and each of its pictures is a data file.
    void manualHoldsTheHelpText() {
        const QString dir = QString::fromStdString(ProgramFolder()) + QLatin1Char('/');
        QString manual = QString::fromUtf8(ReadFile(dir + QStringLiteral("manual.html")).c_str());
        const QRegularExpression picture(QStringLiteral("<img src=\"([^\"]+)\""));
        for (const QRegularExpressionMatch& m : picture.globalMatch(manual))
            QVERIFY2(QFileInfo::exists(dir + m.captured(1)), qPrintable(m.captured(1)));
        manual.remove(QRegularExpression(QStringLiteral("<[^>]*>")));
        manual.replace(QRegularExpression(QStringLiteral("\\s+")), QStringLiteral(" "));
        manual.replace(QStringLiteral("&#x27;"), QStringLiteral("'")).replace(QStringLiteral("&lt;"), QStringLiteral("<"));
        manual.replace(QStringLiteral("&gt;"), QStringLiteral(">")).replace(QStringLiteral("&amp;"), QStringLiteral("&"));
        const QStringList help = HelpParagraphs();
        for (qsizetype i = 1; i < help.size(); ++i) QVERIFY2(manual.contains(help[i]), qPrintable(help[i]));
    }

    void webLinks() {
        Window& t = *win;
        QList<QUrl> opened;
        bool launches = true;
        t.w->openUrl = [&](const QUrl& u) {
            opened << u;
            return launches;
        };
        QTest::mouseClick(t.w->aboutLink, Qt::LeftButton);
        QTest::mouseClick(t.w->manualLink, Qt::LeftButton);
        QCOMPARE(opened, (QList<QUrl>{QUrl(QString::fromStdString(t.w->texts().Get(Message::AboutPage))),
                                      QUrl(QString::fromStdString(t.w->texts().Get(Message::ManualPage)))}));
        // A browser that does not start is reported; addresses of any other
        // kind are never handed to the desktop.
        launches = false;
        t.asker.clear({Answer::OK, Answer::OK});
        QTest::mouseClick(t.w->manualLink, Qt::LeftButton);
        QVERIFY(t.asker.last().text.starts_with("Cannot open " + t.w->texts().Get(Message::ManualPage) + "\n\n"));
        opened.clear();
        launches = true;
        t.w->texts().Set(Message::ManualPage, "smb://server/share/run.exe");
        QTest::mouseClick(t.w->manualLink, Qt::LeftButton);
        QVERIFY(opened.isEmpty());
        QCOMPARE(t.asker.titles(), (Titles{"Cannot launch web browser", "Cannot launch web browser"}));
    }

    void hostOutputBox() {
        Window& t = *win;
        QtHost& h = t.w->host();
        // Line breaks count as CR LF, as the listing writes them, and
        // appended text counts at once, before it reaches the widget.
        h.setOutputText("ab\r\ncd\r\n");
        h.appendOutputText("\xc3\xa9t\xc3\xa9");
        QCOMPARE(h.outputLength(), int64_t(11));
        h.setOutputText("");
        h.appendOutputText("one ");
        h.appendOutputText("two\r\n");
        QCOMPARE(h.outputLength(), int64_t(9));
        h.setOutputCaret(true);
        QCOMPARE(h.outputText(), std::string("one two\r\n"));
        QCOMPARE(t.w->outputBox->textCursor().position(), 8);
    }
};

KVX_APP_TEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"
