// The main window as keyboard and desktop users meet it: where the focus
// goes, the shortcuts, dropped files and the remembered window place.

#include <QLayout>
#include <QMimeData>

#include "FrmHelp.h"
#include "ScriptedAsker.h"
#include "TextGen.h"
#include "state/StateFile.h"

using namespace kvx;
using namespace kvx::test;

class TestDesktop : public QObject {
    Q_OBJECT
    std::unique_ptr<Window> win;  // a fresh, loaded, active window for each test

private slots:
    void init() {
        ForgetState();
        win = std::make_unique<Window>();
        QVERIFY(win->load());
        win->w->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(win->w.get()));
        win->asker.clear();
    }

    void focusGoesWhereTheUserSends() {
        Window& t = *win;
        FrmMain& w = *t.w;
        // Tab leaves the output box rather than entering a tab.
        w.txbOutput->setFocus();
        QTest::keyClick(w.txbOutput, Qt::Key_Tab);
        QVERIFY(!w.txbOutput->hasFocus());
        QVERIFY(w.txbOutput->toPlainText().isEmpty());
        // Leaving a file box with a click keeps the focus where the click put it.
        w.txbFile[0]->setFocus();
        QTest::keyClicks(w.txbFile[0], WriteFile(QStringLiteral("notes"), "one two\n"));
        QVERIFY(w.cmdClearFile[0]->isEnabled());  // a name typed can be cleared
        w.txbOutput->setFocus(Qt::MouseFocusReason);
        QVERIFY(w.txbOutput->hasFocus());
        QCOMPARE(t.label("lblFilesize"), QStringLiteral("Filesize:   8 bytes"));
        QVERIFY(t.asker.asked.empty());
    }

    void shortcuts_data() {
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("mods");
        QTest::newRow("Ctrl+O input file") << int(Qt::Key_O) << int(Qt::ControlModifier);
        QTest::newRow("Ctrl+Enter count") << int(Qt::Key_Return) << int(Qt::ControlModifier);
        QTest::newRow("Escape stops through the question") << int(Qt::Key_Escape) << 0;
        QTest::newRow("F1 help") << int(Qt::Key_F1) << 0;
        QTest::newRow("Ctrl+Q quit") << int(Qt::Key_Q) << int(Qt::ControlModifier);
    }

    void shortcuts() {
        QFETCH(int, key);
        QFETCH(int, mods);
        Window& t = *win;
        FrmMain& w = *t.w;
        int ends = 0;
        w.endProgram = [&] { ++ends; };
        auto press = [&] { QTest::keyClick(&w, Qt::Key(key), Qt::KeyboardModifiers(mods)); };
        const QString in = WriteFile(QStringLiteral("keys.txt"), DistinctWords(2500));
        if (key == Qt::Key_O) {
            t.asker.files = {in};
            press();
            QCOMPARE(w.txbFile[0]->text(), in);
            return;
        }
        t.setFile(0, in);
        if (key == Qt::Key_Escape) {
            t.asker.answers = {Answer::Yes, Answer::No};  // stop, then do not list
            t.asker.onYield = [&](int64_t n) {
                if (n == 2100) press();
            };
            press();  // idle: nothing happens
            w.cmdListWords->click();
            t.asker.onYield = nullptr;
            QCOMPARE(t.asker.titles(), (Titles{"Stop", "Counting interrupted"}));
            return;
        }
        press();
        QCOMPARE(t.output().starts_with("   Rank"), key == Qt::Key_Return);
        QCOMPARE(w.help()->isVisible(), key == Qt::Key_F1);
        QCOMPARE(ends, int(key == Qt::Key_Q));
    }

    void droppedFilesAndTheWindowPlace() {
        Window& t = *win;
        FrmMain& w = *t.w;
        auto drop = [&](const QString& path) {
            QMimeData data;
            data.setUrls({QUrl::fromLocalFile(path)});
            QDragEnterEvent enter(QPoint(20, 20), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
            QApplication::sendEvent(&w, &enter);
            QDropEvent e(QPointF(20, 20), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
            QApplication::sendEvent(&w, &e);
            QCoreApplication::processEvents();  // taken up once the drop is over
        };
        const QString in = WriteFile(QStringLiteral("LICENSE"), "free text\n");
        drop(in);
        QCOMPARE(w.txbFile[0]->text(), in);
        QCOMPARE(t.label("lblFilesize"), QStringLiteral("Filesize:   10 bytes"));
        Params p;
        p.cboDisplayFormat = 4;
        const QString kvx = TempDir() + QStringLiteral("/dropped.kvx");
        QCOMPARE(SaveState(p, kvx.toStdString()), std::string());
        drop(kvx);
        QCOMPARE(w.cboDisplayFormat->currentIndex(), 4);
        QVERIFY(t.asker.asked.empty());

        // Never narrower than its rows with the lists filled; size and place
        // come back at the next start.
        QVERIFY(w.minimumSize().width() >= w.layout()->minimumSize().width());
        const QRect place(130, 90, w.minimumWidth() + 40, w.minimumHeight() + 30);
        w.setGeometry(place);
        w.cmdQuit->click();
        Window u;
        QVERIFY(u.load());
        QCOMPARE(u.w->geometry(), place);
    }
};

KVX_APP_TEST_MAIN(TestDesktop)
#include "tst_desktop.moc"
