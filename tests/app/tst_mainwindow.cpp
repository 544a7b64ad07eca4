// The main window outside counting: start-up, the saved state, the file
// controls, the help and pop-up windows, the web links and the host.

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTimer>
#include <QUrl>

#include "FrmHelp.h"
#include "FrmPopUp.h"
#include "HelpText.h"
#include "ScriptedAsker.h"
#include "state/StateFile.h"

using namespace kvx;
using namespace kvx::test;

class TestMainWindow : public QObject {
    Q_OBJECT
private slots:
    void init() { ForgetState(); }

    void firstStart() {
        Window t;
        QVERIFY(t.load({Answer::No}));
        // Only the common-words question, with its own title and Yes/No.
        QCOMPARE(t.asker.asked.size(), size_t(1));
        const Asked q = t.asker.asked[0];
        QCOMPARE(q.text, QString::fromStdString(t.w->texts().GetProgramText(41)));
        QCOMPARE(q.title, QString::fromStdString(t.w->texts().GetProgramText(42)));
        QCOMPARE(q.buttons, Buttons::YesNo);

        FrmMain& w = *t.w;
        QCOMPARE(w.windowTitle(), QStringLiteral("KVX 1.07"));
        QVERIFY(w.isVisible());
        QVERIFY(w.optInFile->isChecked());
        QVERIFY(w.txbFile[0]->text().isEmpty());
        QVERIFY(w.txbFile[1]->text().isEmpty());
        QCOMPARE(w.cboWordOrder->currentText(), QStringLiteral("by frequency"));
        QCOMPARE(w.cboDisplayFormat->currentText(), QStringLiteral("rank frequency word"));
        QCOMPARE(w.cboDisplayFormat->count(), 10);
        QVERIFY(!w.chkSuppressWords->isChecked());
        QVERIFY(!w.chkDisableOutputToFile->isChecked());
        QVERIFY(!w.chkDisableOutputToFile->isEnabled());
        QVERIFY(!w.cmdClearFile[0]->isEnabled());
        QVERIFY(!w.cmdClearFile[1]->isEnabled());
        QVERIFY(w.cmdFile[1]->isEnabled());
        QCOMPARE(w.cmdListWords->text(), QStringLiteral("Count words"));
        QCOMPARE(w.cmdCopyToClipboard->text(),
                 QString::fromStdString(w.texts().GetProgramText(9)));
        QVERIFY(w.Timer1->isActive());
        QCOMPARE(w.Timer1->interval(), 1000);
        QVERIFY(w.session().blnStartUpCompleted);
        QVERIFY(!w.session().blnCommonWordsLoaded);
        QCOMPARE(w.params().chkIgnoreCommonWords, int16_t(0));
        QVERIFY(w.txbIntro->isReadOnly());
        QVERIFY(w.txbIntro->toPlainText().startsWith(
            QString::fromStdString(w.texts().GetProgramText(19) + "\n\n" +
                                   w.texts().GetProgramText(20))));
        for (const char* l : {"lblNumberOfWords", "lblNumWordsExcluded", "lblNumOccurrences",
                              "lblTotalNumOccurrences"})
            QVERIFY2(!t.labelShown(l), l);
        // Nothing written at start-up.
        QVERIFY(!QFile::exists(StateFilePath()));
        QCOMPARE(QString::fromStdString(w.strStateFile), StateFilePath());
    }

    void controlsCarryTheirNamesAndCaptions_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("caption");
        QTest::newRow("count") << "cmdListWords" << "Count words";
        QTest::newRow("input") << "cmdFile_0" << "Input file";
        QTest::newRow("output") << "cmdFile_1" << "Output file";
        QTest::newRow("clear 0") << "cmdClearFile_0" << "Clear";
        QTest::newRow("clear 1") << "cmdClearFile_1" << "Clear";
        QTest::newRow("params") << "cmdSetParameters" << "Set parameters";
        QTest::newRow("save") << "cmdSaveState" << "Save state";
        QTest::newRow("clear box") << "cmdClearOutput" << "Clear textbox";
        QTest::newRow("help") << "cmdHelp" << "Help";
        QTest::newRow("quit") << "cmdQuit" << "Quit";
        QTest::newRow("disable") << "chkDisableOutputToFile" << "Disable";
        QTest::newRow("suppress") << "chkSuppressWords" << "Don't display words as found";
        QTest::newRow("file") << "optInFile" << "file";
        QTest::newRow("clipboard") << "optOnClipboard" << "clipboard";
        QTest::newRow("publisher") << "lblCorvaneSystems" << "Corvane Systems";
        QTest::newRow("manual") << "lblOnlineDocumentation" << "Online user manual";
    }

    void controlsCarryTheirNamesAndCaptions() {
        QFETCH(QString, name);
        QFETCH(QString, caption);
        Window t;
        QVERIFY(t.load());
        QObject* o = t.w->findChild<QObject*>(name);
        QVERIFY2(o, qPrintable(name));
        QString text;
        if (auto* b = qobject_cast<QAbstractButton*>(o)) text = b->text();
        else if (auto* l = qobject_cast<QLabel*>(o)) text = l->text();
        QCOMPARE(text, caption);
        for (const char* n : {"txbFile_0", "txbFile_1", "txbOutput", "txbIntro", "Frame2",
                              "lblFilesize", "lblSizeOfClipboardContents", "lblTwirler",
                              "lblCV_URL", "cboWordOrder", "cboDisplayFormat",
                              "cmdCopyToClipboard"})
            QVERIFY2(t.w->findChild<QWidget*>(QString::fromLatin1(n)), n);
    }

    void saveAndRestoreAcrossTwoWindows() {
        const QString out = TempDir() + QStringLiteral("/state-out.txt");
        {
            Window t;
            QVERIFY(t.load());
            t.w->txbFile[1]->setText(out);
            t.w->params().txbFile[1] = out.toStdString();
            t.w->chkSuppressWords->click();
            t.w->cboDisplayFormat->setCurrentIndex(3);
            emit t.w->cboDisplayFormat->activated(3);
            t.w->params().chkIgnoreRepetitions = 0;
            t.asker.clear();
            t.w->cmdSaveState->click();
            QVERIFY2(t.asker.asked.empty(), qPrintable(t.asker.titles().join(',')));
            QVERIFY(QFile::exists(StateFilePath()));
            QVERIFY(!t.w->popUp()->isVisible());
            QCOMPARE(t.w->popUp()->lblMessage->text(),
                     QString::fromStdString(t.w->texts().GetProgramText(50)));
        }
        Window t;
        QVERIFY(t.load());
        QCOMPARE(t.w->txbFile[1]->text(), out);
        QVERIFY(t.w->chkSuppressWords->isChecked());
        QCOMPARE(t.w->cboDisplayFormat->currentIndex(), 3);
        QCOMPARE(t.w->params().chkIgnoreRepetitions, int16_t(0));
        QVERIFY(t.w->chkDisableOutputToFile->isEnabled());
        QVERIFY(t.w->cmdClearFile[1]->isEnabled());
        // The source is not part of the state.
        QVERIFY(t.w->optInFile->isChecked());
    }

    void damagedStateFileMeansDefaults() {
        QDir().mkpath(QFileInfo(StateFilePath()).path());
        QFile f(StateFilePath());
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("\"/tmp/x.txt\"\r\n\"\"\r\n\"\"\r\n");  // far too short
        f.close();
        Window t;
        QVERIFY(t.load());
        QVERIFY(t.w->txbFile[0]->text().isEmpty());
        QCOMPARE(t.w->cboDisplayFormat->currentIndex(), 0);
        QCOMPARE(t.w->params().cboShortWordSize, int16_t(1));
    }

    void restoredInputFileIsValidatedSilently() {
        Params p;
        p.txbFile[0] = (TempDir() + QStringLiteral("/gone-away.txt")).toStdString();
        QDir().mkpath(QFileInfo(StateFilePath()).path());
        QCOMPARE(SaveState(p, StateFilePath().toStdString()), std::string());
        Window t;
        QVERIFY(t.load());
        QCOMPARE(t.asker.asked.size(), size_t(1));  // only the common-words question
        QVERIFY(t.w->txbFile[0]->text().isEmpty());
        QVERIFY(t.w->params().txbFile[0].empty());
        // ...and a restored file that exists shows its size.
        p.txbFile[0] = WriteFile(QStringLiteral("present.txt"), std::string(10000, 'a')).toStdString();
        QCOMPARE(SaveState(p, StateFilePath().toStdString()), std::string());
        Window u;
        QVERIFY(u.load());
        QCOMPARE(u.label("lblFilesize"), QStringLiteral("Filesize:   10,000 bytes    9.77 KB"));
    }

    void commonWordsQuestions() {
        const QString cw = WriteFile(QStringLiteral("common.txt"), "the and of\r\n");
        Params p;
        p.strCommonWordsFile = cw.toStdString();
        p.txbCommonWordsFile = p.strCommonWordsFile;
        p.chkIgnoreCommonWords = 0;
        QDir().mkpath(QFileInfo(StateFilePath()).path());
        QCOMPARE(SaveState(p, StateFilePath().toStdString()), std::string());
        {
            // Named but not in use: question 40 with the path.
            Window t;
            QVERIFY(t.load({Answer::Yes, Answer::OK}));
            QCOMPARE(t.asker.asked[0].text,
                     QString::fromStdString(t.w->texts().GetProgramText(40)) + "\n" + cw);
            QCOMPARE(t.asker.asked.size(), size_t(2));
            QCOMPARE(t.asker.asked[1].title, QStringLiteral("Common words loaded"));
            QVERIFY(t.w->session().blnCommonWordsLoaded);
            QCOMPARE(t.w->params().chkIgnoreCommonWords, int16_t(1));
            QCOMPARE(t.w->cmdListWords->text(), QStringLiteral("Count words"));
            QVERIFY(t.output().empty());
        }
        // The file went away: forgotten, and question 41 instead.
        QFile::remove(cw);
        Window t;
        QVERIFY(t.load({Answer::No}));
        QCOMPARE(t.asker.asked.size(), size_t(1));
        QCOMPARE(t.asker.asked[0].text, QString::fromStdString(t.w->texts().GetProgramText(41)));
        QVERIFY(t.w->params().strCommonWordsFile.empty());
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
        QCOMPARE(t.asker.asked[0].title, QString());
        QCOMPARE(t.asker.asked[0].text, QStringLiteral("Cannot open file containing program text.\n") +
                                            empty.path() + QStringLiteral("/kvx.dat"));
    }

    void quitSavesStateOnlyWhenAsked() {
        {
            Window t;
            QVERIFY(t.load());
            bool ended = false;
            t.w->endProgram = [&] { ended = true; };
            t.w->cmdQuit->click();
            QVERIFY(ended);
            QVERIFY(!QFile::exists(StateFilePath()));
        }
        Window t;
        QVERIFY(t.load());
        t.w->params().chkSaveStateOnQuit = 1;
        int ends = 0;
        t.w->endProgram = [&] { ++ends; };
        t.w->close();  // closing the window is the Quit command
        QCOMPARE(ends, 1);
        QVERIFY(QFile::exists(StateFilePath()));
    }

    void saveStateFailureIsReported() {
        Window t;
        QVERIFY(t.load());
        t.w->strStateFile = (TempDir() + QStringLiteral("/no/such/dir/kvx.usr")).toStdString();
        t.asker.clear();
        t.asker.answers = {Answer::OK};
        t.w->cmdSaveState->click();
        QCOMPARE(t.asker.titles(), QStringList{QStringLiteral("Error")});
        QCOMPARE(t.asker.last().icon, Icon::Exclamation);
        QVERIFY(t.asker.last().text.startsWith(
            QStringLiteral("Error when attempting to save parameters: ")));
    }

    void fileControls() {
        Window t;
        QVERIFY(t.load());
        FrmMain& w = *t.w;
        const QString in = WriteFile(QStringLiteral("pick.txt"), "one two three\n");
        // Cancelling the input dialog clears the result's right to be re-listed.
        w.session().blnWordsGot = true;
        t.asker.files = {QString()};
        w.cmdFile[0]->click();
        QCOMPARE(t.asker.dialogTitles, QStringList{QStringLiteral("Specify input file")});
        QCOMPARE(t.asker.dialogFilters,
                 QStringList{QStringLiteral("Any file containing only text (*.*) | *.*")});
        QVERIFY(!w.session().blnWordsGot);
        QVERIFY(w.txbFile[0]->text().isEmpty());

        t.asker.files = {in};
        w.host().setOutputText("old listing");
        w.cmdFile[0]->click();
        QCOMPARE(w.txbFile[0]->text(), in);
        QCOMPARE(QString::fromStdString(w.params().txbFile[0]), in);
        QCOMPARE(t.label("lblFilesize"), QStringLiteral("Filesize:   14 bytes"));
        QVERIFY(t.output().empty());
        QVERIFY(w.cmdClearFile[0]->isEnabled());
        QCOMPARE(w.host().currentFolder(), TempDir() + QLatin1Char('/'));

        // Typing an output name and leaving the box enables "Disable".
        w.txbFile[1]->setFocus();
        QTest::keyClicks(w.txbFile[1], QStringLiteral("  out.txt  "));
        w.txbFile_LostFocus(1);
        QCOMPARE(w.txbFile[1]->text(), QStringLiteral("out.txt"));
        QCOMPARE(w.params().txbFile[1], std::string("out.txt"));
        QVERIFY(w.chkDisableOutputToFile->isEnabled());
        w.chkDisableOutputToFile->click();
        QCOMPARE(w.params().chkDisableOutputToFile, int16_t(1));

        // Clearing the output file unchecks and disables "Disable".
        w.cmdClearFile[1]->click();
        QVERIFY(w.txbFile[1]->text().isEmpty());
        QVERIFY(!w.chkDisableOutputToFile->isChecked());
        QVERIFY(!w.chkDisableOutputToFile->isEnabled());
        QCOMPARE(w.params().chkDisableOutputToFile, int16_t(0));
        QVERIFY(!w.cmdClearFile[1]->isEnabled());

        w.cmdClearFile[0]->click();
        QVERIFY(t.label("lblFilesize").isEmpty());
        QVERIFY(w.params().txbFile[0].empty());

        // A typed file without extension is refused after start-up.
        t.asker.clear();
        t.asker.answers = {Answer::OK};
        w.txbFile[0]->setText(TempDir() + QStringLiteral("/plain"));
        w.txbFile_LostFocus(0);
        QCOMPARE(t.asker.titles(), QStringList{QStringLiteral("Invalid input")});
        QCOMPARE(w.txbFile[0]->text(), TempDir() + QStringLiteral("/plain"));
    }

    void enableControlsLeavesQuitCountAndSuppress() {
        Window t;
        QVERIFY(t.load());
        t.w->EnableControls(false);
        for (const char* n : {"cmdFile_0", "txbFile_0", "cmdClearFile_0", "cmdFile_1", "txbFile_1",
                              "cmdClearFile_1", "chkDisableOutputToFile", "cmdCopyToClipboard",
                              "cmdHelp", "cmdSaveState", "cmdSetParameters", "cmdClearOutput",
                              "cboWordOrder", "cboDisplayFormat", "optOnClipboard", "optInFile"})
            QVERIFY2(!t.w->findChild<QWidget*>(QString::fromLatin1(n))->isEnabled(), n);
        QVERIFY(t.w->cmdQuit->isEnabled());
        QVERIFY(t.w->cmdListWords->isEnabled());
        QVERIFY(t.w->chkSuppressWords->isEnabled());
        t.w->EnableControls(true);
        QVERIFY(t.w->cmdSetParameters->isEnabled());
    }

    void timerRefreshesTipsAndClearCommand() {
        Window t;
        QVERIFY(t.load());
        FrmMain& w = *t.w;
        w.Timer1_Timer();
        QCOMPARE(w.cmdCopyToClipboard->toolTip(),
                 QStringLiteral("To count words in the text box the text must first be copied "
                                "to the clipboard "));
        QVERIFY(!w.cmdClearOutput->isEnabled());
        w.host().setOutputText("x");
        w.txbFile[0]->setText(QString(48, QLatin1Char('a')));
        w.txbFile[1]->setText(QString(38, QLatin1Char('b')));
        w.Timer1_Timer();
        QVERIFY(w.cmdCopyToClipboard->toolTip().isEmpty());
        QVERIFY(w.cmdClearOutput->isEnabled());
        QVERIFY(w.txbFile[0]->toolTip().isEmpty());
        QCOMPARE(w.txbFile[1]->toolTip(), QString(38, QLatin1Char('b')));
        w.txbFile[0]->setText(QString(49, QLatin1Char('a')));
        w.Timer1_Timer();
        QCOMPARE(w.txbFile[0]->toolTip(), QString(49, QLatin1Char('a')));

        w.cmdClearOutput->click();
        QVERIFY(t.output().empty());
        QVERIFY(!w.session().blnWordsGot);
    }

    void helpWindow() {
        Window t;
        QVERIFY(t.load());
        FrmHelp* h = t.w->help();
        QVERIFY(!h->isVisible());
        t.w->cmdHelp->click();
        QVERIFY(h->isVisible());
        QCOMPARE(h->windowTitle(), QStringLiteral("KVX: Help"));
        QCOMPARE(h->cmdClose->text(), QStringLiteral("Close"));
        const QString text = h->txbHelpScreen->toPlainText();
        QCOMPARE(text.split(QStringLiteral("\n\n")).size(), 14);
        QVERIFY(text.contains(QStringLiteral("This help window may be resized for easier reading.")));
        QVERIFY(text.endsWith(QStringLiteral(
            "An output file can be written as comma-delimited so that it can be read by other "
            "software.")));
        QVERIFY(!text.contains(QStringLiteral("http")));
        QVERIFY(!text.contains(QStringLiteral("www")));

        // A tiny window must not give negative sizes.
        h->setMinimumSize(0, 0);
        h->resize(10, 10);
        QVERIFY(h->txbHelpScreen->width() >= 0 && h->txbHelpScreen->height() >= 0);
        h->resize(500, 400);
        QCOMPARE(h->cmdClose->x(), (500 - h->cmdClose->width()) / 2);
        QCOMPARE(h->txbHelpScreen->height(), 400 - 51);

        h->showMinimized();
        t.w->cmdHelp->click();
        QVERIFY(!h->isMinimized());
        QVERIFY(h->isVisible());

        h->cmdClose->click();
        QVERIFY(!h->isVisible());
    }

    void f1OpensHelp_data() {
        QTest::addColumn<QString>("control");
        QTest::newRow("count") << "cmdListWords";
        QTest::newRow("input file") << "cmdFile_0";
        QTest::newRow("output file") << "cmdFile_1";
        QTest::newRow("help") << "cmdHelp";
    }

    void f1OpensHelp() {
        QFETCH(QString, control);
        Window t;
        QVERIFY(t.load());
        auto* b = t.w->findChild<QPushButton*>(control);
        QTest::keyRelease(b, Qt::Key_F1);
        QVERIFY(t.w->help()->isVisible());
        t.w->help()->hide();
        // Another key does nothing; F1 elsewhere does nothing.
        QTest::keyRelease(b, Qt::Key_F2);
        QTest::keyRelease(t.w->cmdSaveState, Qt::Key_F1);
        QVERIFY(!t.w->help()->isVisible());
    }

    void popUpClosesOnTimerOrClick() {
        Window t;
        QVERIFY(t.load());
        FrmPopUp* p = t.w->popUp();
        p->PopUp(QStringLiteral("Saved"), 160, 20, 0, 433, 347);
        QVERIFY(!p->isVisible());
        QCOMPARE(p->lblMessage->text(), QStringLiteral("Saved"));
        QVERIFY(p->width() >= 160);
        QCOMPARE(p->pos(), t.w->geometry().topLeft() + QPoint(347, 433));

        // A click ends it long before its 60 seconds.
        QTimer::singleShot(0, p, [p] { QTest::mouseRelease(p->lblMessage, Qt::LeftButton); });
        QElapsedTimer clock;
        clock.start();
        p->PopUp(QStringLiteral("Click me"), 160, 20, 60000, 0, 0);
        QVERIFY(clock.elapsed() < 30000);
        QVERIFY(!p->isVisible());
        QVERIFY(!p->Timer1->isActive());
    }

    void webLinks() {
        Window t;
        QVERIFY(t.load());
        QList<QUrl> opened;
        t.w->openUrl = [&](const QUrl& u) {
            opened << u;
            return true;
        };
        QTest::mouseClick(t.w->lblCorvaneSystems, Qt::LeftButton);
        QTest::mouseClick(t.w->lblOnlineDocumentation, Qt::LeftButton);
        QCOMPARE(opened.size(), 2);
        QCOMPARE(opened[0], QUrl(QString::fromStdString(t.w->texts().GetProgramText(14))));
        QCOMPARE(opened[1], QUrl(QString::fromStdString(t.w->texts().GetProgramText(15))));
        QVERIFY(!t.w->lblCorvaneSystems->toolTip().isEmpty());
        QVERIFY(!t.w->lblOnlineDocumentation->toolTip().isEmpty());
        QVERIFY(t.asker.asked.size() == 1);

        t.w->openUrl = [](const QUrl&) { return false; };
        t.asker.clear();
        t.asker.answers = {Answer::OK};
        QTest::mouseClick(t.w->lblOnlineDocumentation, Qt::LeftButton);
        QCOMPARE(t.asker.titles(), QStringList{QStringLiteral("Cannot launch web browser")});
        QCOMPARE(t.asker.last().text,
                 QStringLiteral("Error launching web browser, error code = 2.\n\nPlease try once more."));
        QCOMPARE(t.asker.last().icon, Icon::Exclamation);

        // Addresses of any other kind are never handed to the desktop.
        opened.clear();
        t.w->openUrl = [&](const QUrl& u) {
            opened << u;
            return true;
        };
        t.w->texts().Set(15, "smb://server/share/run.exe");
        t.asker.clear();
        t.asker.answers = {Answer::OK};
        QTest::mouseClick(t.w->lblOnlineDocumentation, Qt::LeftButton);
        QVERIFY(opened.isEmpty());
        QCOMPARE(t.asker.titles(), QStringList{QStringLiteral("Cannot launch web browser")});
    }

    void hostOutputBox() {
        Window t;
        QVERIFY(t.load());
        QtHost& h = t.w->host();
        h.setOutputText("ab\r\ncd\r\n");
        // Line breaks count as CR LF, as the listing writes them.
        QCOMPARE(h.outputLength(), int64_t(8));
        QCOMPARE(h.outputText(), std::string("ab\r\ncd\r\n"));
        h.appendOutputText("\xc3\xa9t\xc3\xa9");  // "été": 3 characters
        QCOMPARE(h.outputLength(), int64_t(11));
        h.setOutputText("");
        QCOMPARE(h.outputLength(), int64_t(0));
        // Appended text counts at once, even before it reaches the widget.
        h.appendOutputText("one ");
        h.appendOutputText("two\r\n");
        QCOMPARE(h.outputLength(), int64_t(9));
        h.setOutputCaret(true);
        QCOMPARE(h.outputText(), std::string("one two\r\n"));
        QCOMPARE(t.w->txbOutput->textCursor().position(), 8);
        h.appendOutputText("three");
        QTest::qWait(1);
        QCOMPARE(t.w->txbOutput->toPlainText(), QStringLiteral("one two\nthree"));
        h.setOutputText("");
        QCOMPARE(h.formatGrouped(12234884), std::string("12,234,884"));
        QCOMPARE(h.formatGroupedDecimals(12345.678, 2), std::string("12,345.68"));
        h.setTwirler(0);
        QCOMPARE(t.w->lblTwirler->text(), QString(QChar(0x2584)));
        h.setTwirler(3);
        QCOMPARE(t.w->lblTwirler->text(), QString(QChar(0x2590)));
        h.setProgressBarStyle(true);
        QVERIFY(t.w->lblTotalNumOccurrences->font().bold());
        QVERIFY(t.w->lblTotalNumOccurrences->alignment() & Qt::AlignLeft);
        h.setProgressBarStyle(false);
        QVERIFY(t.w->lblTotalNumOccurrences->alignment() & Qt::AlignRight);
    }

    void versionAndFilter() {
        QCOMPARE(FrmMain::VersionText("1.0"), std::string("1.07"));
        QCOMPARE(FrmMain::VersionText("2.5"), std::string("2.57"));
        QCOMPARE(FrmMain::VersionText("3.12.1"), std::string("3.127"));
        QCOMPARE(QtFilter(QStringLiteral("Any file containing only text (*.*) | *.*")),
                 QStringLiteral("Any file containing only text (*.*)"));
        QCOMPARE(QtFilter(QStringLiteral("Parameter files | *.kvx")),
                 QStringLiteral("Parameter files (*.kvx)"));
        QCOMPARE(QtFilter(QString()), QString());
        QCOMPARE(HelpParagraphs().size(), 14);
    }
};

KVX_APP_TEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"
