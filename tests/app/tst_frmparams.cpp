// The parameters window: controls bound to the parameters, the question before
// a count is thrown away, the checks, common words and parameter files; the
// help window's place and the message boxes' line breaks.

#include <QMessageBox>
#include <QSettings>

#include "FrmHelp.h"
#include "FrmParams.h"
#include "ScriptedAsker.h"
#include "TextGen.h"
#include "base/Folder.h"
#include "params/Defaults.h"
#include "state/StateFile.h"

using namespace kvx;
using namespace kvx::test;

namespace {

const std::string kConfirm = "Changing this entails reading the file anew.  Is this OK?";

FrmParams& Panel(Window& t) {
    auto* f = t.w->findChild<FrmParams*>(QStringLiteral("frmParams"));
    if (!f) qFatal("no parameters window");
    return *f;
}

QCheckBox* Box(Window& t, const char* name) {
    auto* b = Panel(t).findChild<QCheckBox*>(QString::fromLatin1(name));
    if (!b) qFatal("no check box %s", name);
    return b;
}

// A real count of a small file, so that a finished result is there.
void Count(Window& t) {
    t.setFile(0, WriteFile(QStringLiteral("params-small.txt"), "the cat sat on the mat\r\n"));
    t.w->cmdListWords->click();
    QVERIFY(t.w->session().blnWordsGot);
    t.asker.clear();
}

int Confirmations(const ScriptedAsker& a) {
    int n = 0;
    for (const Shown& q : a.asked) n += q.text == kConfirm;
    return n;
}

}  // namespace

class TestFrmParams : public QObject {
    Q_OBJECT
    std::unique_ptr<Window> win;  // a fresh, loaded window for each test

private slots:
    void init() {
        ForgetState();
        win = std::make_unique<Window>();
        QVERIFY(win->load());
    }

    void boxesShowTheParameters() {
        Window& t = *win;
        t.w->params().chkAllowWordsWithColons = 1;
        t.w->params().chkIgnoreRepetitions = 0;
        t.w->ParamsToControls();
        for (const CheckBoxInfo* c : CheckBoxesInOrder(&CheckBoxInfo::setStep))
            QCOMPARE(Box(t, c->name)->isChecked(), t.w->params().*(c->member) == 1);
        QCOMPARE(Panel(t).cboLongWordSize->currentText(), QStringLiteral("50"));
        // "Set parameters" shows the window, "Close" hides it, "Quit" ends the program.
        QTest::mouseClick(t.w->cmdSetParameters, Qt::LeftButton);
        QVERIFY(Panel(t).isVisible());
        QTest::mouseClick(Panel(t).cmdClose, Qt::LeftButton);
        QVERIFY(!Panel(t).isVisible());
        // Escape closes it too, from any of its boxes.
        Panel(t).ShowWindow();
        QTest::keyClick(Panel(t).txbWordsToIgnore, Qt::Key_Escape);
        QVERIFY(!Panel(t).isVisible());
        bool ended = false;
        t.w->endProgram = [&] { ended = true; };
        QTest::mouseClick(Panel(t).cmdQuit, Qt::LeftButton);
        QVERIFY(ended);
    }

    void confirmBeforeThrowingAwayACount_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("yes");
        for (const char* n : {"chkCaseSignificant", "chkAllowWordsWithNumerals", "chkDropFinalS"}) {
            QTest::addRow("%s yes", n) << QString::fromLatin1(n) << true;
            QTest::addRow("%s no", n) << QString::fromLatin1(n) << false;
        }
    }

    void confirmBeforeThrowingAwayACount() {
        QFETCH(QString, name);
        QFETCH(bool, yes);
        Window& t = *win;
        Count(t);
        QCheckBox* b = Box(t, name.toLatin1().constData());
        const bool before = b->isChecked();
        t.asker.answers = {yes ? Answer::Yes : Answer::No};
        QTest::mouseClick(b, Qt::LeftButton);
        QCOMPARE(t.asker.asked.size(), size_t(1));
        QCOMPARE(t.asker.asked[0].text, kConfirm);
        QCOMPARE(t.asker.asked[0].buttons, Buttons::YesNo);
        QCOMPARE(t.w->session().blnWordsGot, !yes);
        QCOMPARE(b->isChecked(), yes != before);
        for (const CheckBoxInfo& c : CheckBoxes())
            if (name == QLatin1String(c.name)) QCOMPARE(t.w->params().*(c.member), int16_t(yes != before));
    }

    void noQuestionWithoutCountNorOnRefresh() {
        Window& t = *win;
        t.asker.clear();
        QTest::mouseClick(Box(t, "chkCaseSignificant"), Qt::LeftButton);
        QTest::mouseClick(Box(t, "chkIgnoreRepetitions"), Qt::LeftButton);
        QCOMPARE(t.w->params().chkCaseSignificant, int16_t(1));
        QCOMPARE(t.w->params().chkIgnoreRepetitions, int16_t(0));
        // The program writing values into the widgets runs no handler.
        Count(t);
        t.w->params().chkCaseSignificant = 0;
        t.w->host().paramsChanged();
        QVERIFY(!Box(t, "chkCaseSignificant")->isChecked());
        QVERIFY(t.asker.asked.empty());
        QVERIFY(t.w->session().blnWordsGot);
    }

    void setAndClearCheckboxes() {
        Window& t = *win;
        Panel(t).cmdClearCommonWordsFile_Click();
        Count(t);
        t.asker.answers = {Answer::Yes, Answer::OK};
        QTest::mouseClick(Panel(t).cmdSetOrClearCheckboxes[1], Qt::LeftButton);
        // Asked once; the common-words box, set with no file chosen, asks for one and stays clear.
        QCOMPARE(t.asker.titles(), (Titles{t.w->strProgramTitle, "Ignore common words in file:"}));
        for (const CheckBoxInfo* c : CheckBoxesInOrder(&CheckBoxInfo::setStep))
            QCOMPARE(t.w->params().*(c->member), int16_t(c->family != BoxFamily::CommonWords));
        QVERIFY(!t.w->session().blnWordsGot);

        // Clearing after a count: No keeps the first box that changes, the next one asks again.
        Count(t);
        t.asker.answers = {Answer::No, Answer::Yes};
        QTest::mouseClick(Panel(t).cmdSetOrClearCheckboxes[0], Qt::LeftButton);
        QCOMPARE(Confirmations(t.asker), 2);
        QCOMPARE(t.asker.core.unexpected, 0);
        QCOMPARE(t.w->params().chkAllowWordsWithHyphens, int16_t(1));
        QCOMPARE(t.w->params().chkDropFinalS, int16_t(0));
    }

    void characterCheckOfTheWordsToIgnore() {
        Window& t = *win;
        t.asker.clear();
        t.w->params().txbWordsToIgnore = "alpha,beta";
        QTest::mouseClick(Box(t, "chkAllowWordsWithNumerals"), Qt::LeftButton);
        QCOMPARE(t.asker.titles(), Titles{"Character not allowed"});
        QVERIFY(t.asker.last().text.starts_with("The character , occurs in some word to ignore\n"));
        // Raised here, owned here; the main window's own questions stay its own.
        QCOMPARE(t.asker.lastOwner, &Panel(t));
        t.w->host().message("main", "main", Icon::None, Buttons::OK);
        QCOMPARE(t.asker.lastOwner, t.w.get());

        // Forward slashes and the filter boxes do not check; nor does "Clear checkboxes".
        t.asker.clear();
        QTest::mouseClick(Box(t, "chkAllowWordsWithForwardslashes"), Qt::LeftButton);
        QTest::mouseClick(Box(t, "chkIgnoreNoLetter"), Qt::LeftButton);
        t.w->session().blnCommonWordsLoaded = false;
        Panel(t).cmdClearCommonWordsFile_Click();
        QTest::mouseClick(Panel(t).cmdSetOrClearCheckboxes[0], Qt::LeftButton);
        QVERIFY(t.asker.asked.empty());

        // Allowed underscores pass; back to the defaults they no longer do,
        // while the comment markers stay.
        t.w->params().txbWordsToIgnore = "snake_case";
        QTest::mouseClick(Box(t, "chkAllowWordsWithUnderscores"), Qt::LeftButton);
        QVERIFY(t.asker.asked.empty());
        t.w->params().txbStartComment[0] = "{";
        t.w->params().chkIgnoreCommonWords = 0;
        t.w->host().paramsChanged();
        QTest::mouseClick(Panel(t).cmdRestoreDefaults, Qt::LeftButton);
        QCOMPARE(t.asker.titles(), Titles{"Character not allowed"});
        QCOMPARE(t.w->params().chkAllowWordsWithUnderscores, int16_t(0));
        QCOMPARE(Panel(t).txbStartComment[0]->text(), QStringLiteral("{"));
    }

    void textBoxes() {
        Window& t = *win;
        FrmParams& f = Panel(t);
        f.ShowWindow();
        QVERIFY(QTest::qWaitForWindowActive(&f));
        f.txbWordsToIgnore->setFocus();
        QTest::keyClicks(f.txbWordsToIgnore, QStringLiteral("The, the  AND and"));
        QCOMPARE(t.w->params().txbWordsToIgnore, std::string("The, the  AND and"));
        f.cmdClearWordsToIgnore->setFocus();  // leaving the box
        QCOMPARE(f.txbWordsToIgnore->text(), QStringLiteral("and the"));
        QCOMPARE(t.w->params().strWordsToIgnore, std::string(" and the "));
        QTest::mouseClick(f.cmdClearWordsToIgnore, Qt::LeftButton);
        QVERIFY(f.txbWordsToIgnore->text().isEmpty());
        QVERIFY(t.w->params().strWordsToIgnore.empty());

        // A comment marker is trimmed, and changing it throws the count away.
        Count(t);
        QTest::keyClicks(f.txbStartComment[1], QStringLiteral("  (* "));
        f.txbComment_LostFocus(f.txbStartComment[1]);
        QCOMPARE(f.txbStartComment[1]->text(), QStringLiteral("(*"));
        QCOMPARE(t.w->params().txbStartComment[1], std::string("(*"));
        QVERIFY(!t.w->session().blnWordsGot);
        QVERIFY(t.asker.asked.empty());
    }

    void commonWordsFile() {
        Window& t = *win;
        FrmParams& f = Panel(t);
        const QString path = WriteFile(QStringLiteral("cw.txt"), DistinctWords(42));

        // No file: asked to name one, and the box stays clear; a typed path
        // counts only while the box is ticked.
        QTest::mouseClick(f.cmdClearCommonWordsFile, Qt::LeftButton);
        t.asker.clear();
        QTest::mouseClick(f.Check("chkIgnoreCommonWords"), Qt::LeftButton);
        QCOMPARE(t.asker.last().text, std::string("Please specify the file containing common words."));
        QVERIFY(!f.Check("chkIgnoreCommonWords")->isChecked());
        QTest::keyClicks(f.txbCommonWordsFile, path);
        QTest::keyClick(f.txbCommonWordsFile, Qt::Key_Return);
        QCOMPARE(t.asker.asked.size(), size_t(1));
        QVERIFY(t.w->params().strCommonWordsFile.empty());

        // Chosen: loaded, then the notice that it is loaded, the box ticked.
        t.asker.clear();
        t.asker.files = {path};
        QTest::mouseClick(f.cmdSelectCommonWordsFile, Qt::LeftButton);
        QCOMPARE(t.asker.dialogFolders, QStringList{QString::fromStdString(ProgramFolder())});
        QCOMPARE(t.asker.asked.size(), size_t(2));
        QCOMPARE(t.asker.asked[0].text, "Forty two common words loaded from " + path.toStdString());
        QCOMPARE(t.asker.lastOwner, &f);
        QCOMPARE(t.asker.asked[0].icon, Icon::Information);
        QVERIFY(t.asker.asked[1].text.starts_with("This file has already been loaded."));
        QVERIFY(f.Check("chkIgnoreCommonWords")->isChecked());
        QCOMPARE(t.w->session().NumCommonWords(), 42);
        // Unticked and ticked again: already loaded, no reload.
        QTest::mouseClick(f.Check("chkIgnoreCommonWords"), Qt::LeftButton);
        t.asker.clear();
        QTest::mouseClick(f.Check("chkIgnoreCommonWords"), Qt::LeftButton);
        QCOMPARE(t.asker.titles(), Titles{"Common words loaded"});
        QVERIFY(f.Check("chkIgnoreCommonWords")->isChecked());

        // A missing file typed in the box, and a file that is not text.
        t.asker.clear();
        f.txbCommonWordsFile->selectAll();
        QTest::keyClicks(f.txbCommonWordsFile, TempDir() + QStringLiteral("/no-such-words.txt "));
        QTest::keyClick(f.txbCommonWordsFile, Qt::Key_Return);
        t.asker.files = {WriteFile(QStringLiteral("cw.bin"), RandomBytes(4000, 3))};
        QTest::mouseClick(f.cmdSelectCommonWordsFile, Qt::LeftButton);
        QCOMPARE(t.asker.titles(), (Titles{"File not found", "Invalid input"}));
        QCOMPARE(f.txbCommonWordsFile->text(), TempDir() + QStringLiteral("/cw.bin"));
        QVERIFY(!f.Check("chkIgnoreCommonWords")->isChecked());
        QVERIFY(!t.w->session().blnCommonWordsLoaded);

        // Reinitialize, or the box emptied while unticked: no file named, so
        // the words loaded are not left out of the next count.
        for (const bool reinitialize : {true, false}) {
            t.asker.files = {path};
            QTest::mouseClick(f.cmdSelectCommonWordsFile, Qt::LeftButton);
            if (reinitialize) {
                QTest::mouseClick(f.cmdInitialize, Qt::LeftButton);
            } else {
                QTest::mouseClick(f.Check("chkIgnoreCommonWords"), Qt::LeftButton);
                f.txbCommonWordsFile->selectAll();
                QTest::keyClick(f.txbCommonWordsFile, Qt::Key_Delete);
                QTest::keyClick(f.txbCommonWordsFile, Qt::Key_Return);
                QTest::mouseClick(f.Check("chkIgnoreCommonWords"), Qt::LeftButton);  // asks for a file
            }
            t.setFile(0, WriteFile(QStringLiteral("cw-words.txt"), DistinctWords(3)));
            t.w->cmdListWords->click();
            QCOMPARE(t.w->session().NumWordsIncluded(), 3);
        }
    }

    void stopWhileCommonWordsLoad() {
        Window& t = *win;
        FrmParams& f = Panel(t);
        bool stopCaption = false;
        t.asker.onYield = [&](int64_t n) {
            if (n != 50) return;
            stopCaption = t.w->cmdListWords->text() == QStringLiteral("Stop");
            t.w->cmdListWords->click();
        };
        t.asker.clear();
        t.asker.files = {WriteFile(QStringLiteral("cw-big.txt"), DistinctWords(3000))};
        QTest::mouseClick(f.cmdSelectCommonWordsFile, Qt::LeftButton);
        t.asker.onYield = nullptr;
        QVERIFY(stopCaption);
        QVERIFY(t.asker.asked.empty());
        QVERIFY(!f.Check("chkIgnoreCommonWords")->isChecked());
        QVERIFY(!t.w->session().blnCommonWordsLoaded);
        t.verifyIdle();
    }

    void parameterFiles() {
        Window& t = *win;
        FrmParams& f = Panel(t);
        kvx::Params& p = t.w->params();
        p.txbFile = {"/tmp/in.txt", "/tmp/out.txt"};
        p.txbWordsToIgnore = "und der";
        p.txbEndComment = {"*)", "}"};
        p.cboLongWordSize = 0;
        p.cboDisplayFormat = 9;
        p.chkCaseSignificant = 1;
        t.w->ParamsToControls();
        // Named without an extension, the file gets ".kvx".
        const QString file = TempDir() + QStringLiteral("/round.kvx");
        t.asker.clear();
        t.asker.files = {TempDir() + QStringLiteral("/round")};
        QTest::mouseClick(f.cmdSaveLoadState[0], Qt::LeftButton);
        QVERIFY(t.asker.asked.empty());
        QCOMPARE(f.lblParameters->text(), QStringLiteral("State saved to"));
        QCOMPARE(f.txbParametersFile->text(), file);

        // Back to a first start, then loaded again: both windows show it,
        // and saved again the file is the same but for the normalised words.
        f.cmdInitialize_Click();
        QVERIFY(p.txbFile[0].empty());
        QCOMPARE(p.chkCaseSignificant, int16_t(0));
        t.asker.files = {file};
        QTest::mouseClick(f.cmdSaveLoadState[1], Qt::LeftButton);
        QVERIFY(t.asker.asked.empty());
        QCOMPARE(f.lblParameters->text(), QStringLiteral("State loaded from"));
        QVERIFY(Box(t, "chkCaseSignificant")->isChecked());
        QCOMPARE(f.cboLongWordSize->currentText(), QStringLiteral("20"));
        QCOMPARE(f.txbEndComment[1]->text(), QStringLiteral("}"));
        QCOMPARE(f.txbWordsToIgnore->text(), QStringLiteral("der und"));
        QCOMPARE(t.w->cboDisplayFormat->currentIndex(), 9);
        QCOMPARE(t.w->txbFile[1]->text(), QStringLiteral("/tmp/out.txt"));
        const QString again = TempDir() + QStringLiteral("/round-again.kvx");
        QVERIFY(SaveState(p, again.toStdString()).empty());
        std::string expected = ReadFile(file);
        expected.replace(expected.find("\"und der\""), 9, "\"der und\"");
        QCOMPARE(ReadFile(again), expected);
    }

    void damagedParameterFileChangesNothing() {
        Window& t = *win;
        FrmParams& f = Panel(t);
        kvx::Params& p = t.w->params();
        p.chkCaseSignificant = 1;
        p.txbFile[0] = "/tmp/x.txt";
        p.txbStartComment[1] = "{";
        t.w->ParamsToControls();
        kvx::Params expected = p;
        // A saved listing: its lines would fill the names and the markers.
        const QString file = WriteFile(QStringLiteral("listing.csv"), "\"a\"\r\n\"b\"\r\n,,\r\n,,\r\n,,\r\n,,\r\n,,\r\n1,2\r\n");
        expected.txbParametersFile = file.toStdString();
        t.asker.clear();
        t.asker.files = {file};
        QTest::mouseClick(f.cmdSaveLoadState[1], Qt::LeftButton);
        QCOMPARE(t.asker.titles(), Titles{"Load parameters"});
        QCOMPARE(t.asker.last().text, std::string("Error when attempting to restore parameters: Type mismatch"));
        QCOMPARE(f.lblParameters->text(), QStringLiteral("Error loading from"));
        QCOMPARE(f.txbParametersFile->text(), file);
        QVERIFY(p == expected);
        QVERIFY(Box(t, "chkCaseSignificant")->isChecked());
        QCOMPARE(t.w->txbFile[0]->text(), QStringLiteral("/tmp/x.txt"));
        QCOMPARE(f.txbStartComment[0]->text(), QString::fromStdString(p.txbStartComment[0]));
        QCOMPARE(f.txbStartComment[1]->text(), QStringLiteral("{"));

        // A save into a missing folder reports; a cancelled dialog changes nothing.
        t.asker.clear();
        t.asker.files = {TempDir() + QStringLiteral("/no/such/folder/p.kvx"), QString()};
        QTest::mouseClick(f.cmdSaveLoadState[0], Qt::LeftButton);
        QTest::mouseClick(f.cmdSaveLoadState[1], Qt::LeftButton);
        QCOMPARE(t.asker.titles(), Titles{"Save parameters"});
        QCOMPARE(f.lblParameters->text(), QStringLiteral("Error saving to"));
    }

    void helpWindowAndQuestions() {
        Window& t = *win;
        // The help window opens over the main window where it stands now; Escape closes it.
        t.w->setGeometry(150, 120, 900, 700);
        t.w->cmdHelp_Click();
        QCOMPARE(t.w->help()->geometry(), QRect(150 + 13, 120 + 32, 900 - 26, 700 - 45));
        QTest::keyClick(t.w->help()->txbHelpScreen, Qt::Key_Escape);
        QVERIFY(!t.w->help()->isVisible());

        // A message box breaks a line only where the text breaks it.
        const QString line(QStringLiteral("The character , occurs in some word to ignore, while "
                                          "it is not allowed in words."));
        const auto box = MakeMessageBox(t.w.get(), line + QStringLiteral("\nNext"), {},
                                        Icon::Exclamation, Buttons::OK);
        box->show();
        const auto* label = box->findChild<QLabel*>(QStringLiteral("qt_msgbox_label"));
        QVERIFY(label->height() < 3 * label->fontMetrics().height());

        // An answer given with "Don't ask again" ticked is given from then on.
        QSettings kept(QStringLiteral("kvx"), QStringLiteral("kvx"));
        for (const Answer answer : {Answer::Yes, Answer::No}) {
            kept.remove(QStringLiteral("questions/q"));
            t.asker.clear();
            t.asker.answers = {answer, answer};
            for (const bool silence : {false, true, true}) {
                t.asker.silenceNext = silence;
                QCOMPARE(t.w->host().askUnlessSilenced(QStringLiteral("q"), "Ask?", "T"), answer);
            }
            QCOMPARE(t.asker.asked.size(), size_t(2));
        }
        kept.remove(QStringLiteral("questions/q"));
    }
};

KVX_APP_TEST_MAIN(TestFrmParams)
#include "tst_frmparams.moc"
