// The parameters window: its controls, the questions before a finished count
// is thrown away, the character check of the words to ignore, the
// common-words controls and the parameter files.

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "FrmParams.h"
#include "ScriptedAsker.h"
#include "params/Defaults.h"
#include "state/StateFile.h"

using namespace kvx;
using namespace kvx::test;

namespace {

const QString kConfirm = QStringLiteral("Changing this entails reading the file anew.  Is this OK?");

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
    const QString in = WriteFile(QStringLiteral("params-small.txt"), "the cat sat on the mat\r\n");
    t.w->txbFile[0]->setText(in);
    t.w->params().txbFile[0] = in.toStdString();
    t.w->cmdListWords_Click();
    QVERIFY(t.w->session().blnWordsGot);
    t.asker.clear();
}

int Count(const QStringList& l, const QString& s) { return static_cast<int>(l.count(s)); }

QStringList Texts(const ScriptedAsker& a) {
    QStringList l;
    for (const Asked& q : a.asked) l << q.text;
    return l;
}

// Distinct letter-only words, n of them, several per line.
std::string Words(int n) {
    std::string s;
    int made = 0;
    for (char a = 'b'; a <= 'z' && made < n; ++a)
        for (char b = 'b'; b <= 'z' && made < n; ++b)
            for (char c = 'b'; c <= 'z' && made < n; ++c) {
                s += {'k', a, b, c};
                s += ++made % 10 == 0 ? "\r\n" : " ";
            }
    return s;
}

}  // namespace

class TestFrmParams : public QObject {
    Q_OBJECT
private slots:
    void init() { ForgetState(); }

    void controlsAndCaptions() {
        Window t;
        QVERIFY(t.load());
        FrmParams& f = Panel(t);
        QVERIFY(!f.isVisible());
        QCOMPARE(f.windowTitle(), QStringLiteral("KVX: Set parameters"));
        for (const CheckBoxInfo* c : CheckBoxesInOrder(&CheckBoxInfo::setStep)) {
            QCheckBox* b = Box(t, c->name);
            QCOMPARE(b->text(), QString::fromLatin1(c->caption));
            QCOMPARE(b->checkState() == Qt::Checked, t.w->params().*(c->member) == 1);
        }
        QCOMPARE(f.cboShortWordSize->currentText(), QStringLiteral("3"));
        QCOMPARE(f.cboLongWordSize->currentText(), QStringLiteral("50"));
        QCOMPARE(f.cboThresholdFrequency->currentText(), QStringLiteral("2"));
        QCOMPARE(f.cmdSetOrClearCheckboxes[1]->objectName(), QStringLiteral("cmdSetOrClearCheckboxes_1"));
        QCOMPARE(f.cmdSaveLoadState[1]->text(), QStringLiteral("Load state from file"));
        QCOMPARE(f.cmdSaveLoadState[0]->text(), QStringLiteral("Save state to file"));
        QCOMPARE(f.txbWordsToIgnore->toolTip(),
                 QStringLiteral("Add additional words to ignore here.  Words must be separated by "
                                "spaces, not commas."));
        QCOMPARE(f.cmdSelectCommonWordsFile->toolTip(),
                 QStringLiteral("This is for a file containing words (such as common words) which "
                                "should be ignored."));
        QVERIFY(f.lblParameters->text().isEmpty());
        QVERIFY(f.txbParametersFile->isHidden());

        // "Set parameters" shows it beside the main window; "Close" hides it.
        QTest::mouseClick(t.w->cmdSetParameters, Qt::LeftButton);
        QVERIFY(f.isVisible());
        QCOMPARE(f.pos().y(), t.w->pos().y());
        QCOMPARE(f.pos().x(), t.w->pos().x() + t.w->cmdSetParameters->width() + 20);
        QTest::mouseClick(f.cmdClose, Qt::LeftButton);
        QVERIFY(!f.isVisible());
        QVERIFY(t.asker.unexpected.isEmpty());
    }

    void confirmFamily_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("yes");
        for (const char* n :
             {"chkCaseSignificant", "chkAllowWordsWithApostrophes", "chkAllowWordsWithHyphens",
              "chkAllowWordsWithUnderscores", "chkAllowWordsWithColons",
              "chkAllowWordsWithBackslashes", "chkAllowWordsWithForwardslashes",
              "chkAllowWordsWithPeriods", "chkAllowWordsWithAtSigns", "chkAllowWordsWithNumerals",
              "chkDropFinalS", "chkAllowCommentMarkers"}) {
            QTest::addRow("%s yes", n) << QString::fromLatin1(n) << true;
            QTest::addRow("%s no", n) << QString::fromLatin1(n) << false;
        }
    }

    void confirmFamily() {
        QFETCH(QString, name);
        QFETCH(bool, yes);
        Window t;
        QVERIFY(t.load());
        Count(t);
        QCheckBox* b = Box(t, name.toLatin1().constData());
        const bool before = b->isChecked();
        t.asker.answers = {yes ? Answer::Yes : Answer::No};
        QTest::mouseClick(b, Qt::LeftButton);
        QCOMPARE(t.asker.asked.size(), size_t(1));
        QCOMPARE(t.asker.asked[0].text, kConfirm);
        QCOMPARE(t.asker.asked[0].title, QString::fromStdString(t.w->strProgramTitle));
        QCOMPARE(t.asker.asked[0].buttons, Buttons::YesNo);
        QCOMPARE(t.w->session().blnWordsGot, !yes);
        const bool now = yes ? !before : before;
        QCOMPARE(b->isChecked(), now);
        const CheckBoxInfo* info = nullptr;
        for (const CheckBoxInfo& c : CheckBoxes())
            if (name == QLatin1String(c.name)) info = &c;
        QCOMPARE(t.w->params().*(info->member), int16_t(now ? 1 : 0));
        QVERIFY(t.asker.unexpected.isEmpty());
    }

    void noQuestionWithoutCountNorOnRefresh() {
        Window t;
        QVERIFY(t.load());
        t.asker.clear();
        QTest::mouseClick(Box(t, "chkCaseSignificant"), Qt::LeftButton);
        QTest::mouseClick(Box(t, "chkIgnoreRepetitions"), Qt::LeftButton);
        QCOMPARE(t.w->params().chkCaseSignificant, int16_t(1));
        QCOMPARE(t.w->params().chkIgnoreRepetitions, int16_t(0));
        QVERIFY(t.asker.asked.empty());

        // The program writing values into the widgets runs no handler.
        Count(t);
        t.w->params().chkCaseSignificant = 0;
        t.w->params().chkAllowWordsWithColons = 1;
        t.w->host().paramsChanged();
        QVERIFY(t.asker.asked.empty());
        QVERIFY(!Box(t, "chkCaseSignificant")->isChecked());
        QVERIFY(Box(t, "chkAllowWordsWithColons")->isChecked());
        QVERIFY(t.w->session().blnWordsGot);
    }

    void setCheckboxesAfterCountAsksOnce() {
        Window t;
        QVERIFY(t.load());
        Panel(t).cmdClearCommonWordsFile_Click();
        Count(t);
        t.asker.answers = {Answer::Yes, Answer::OK};
        QTest::mouseClick(Panel(t).cmdSetOrClearCheckboxes[1], Qt::LeftButton);
        QCOMPARE(Count(Texts(t.asker), kConfirm), 1);
        // The common-words box, set with no file chosen, asks for one and stays clear.
        QCOMPARE(t.asker.titles(),
                 (QStringList{QString::fromStdString(t.w->strProgramTitle),
                              QStringLiteral("Ignore common words in file:")}));
        for (const CheckBoxInfo* c : CheckBoxesInOrder(&CheckBoxInfo::setStep))
            QCOMPARE(t.w->params().*(c->member),
                     int16_t(std::string(c->name) == "chkIgnoreCommonWords" ? 0 : 1));
        QVERIFY(!t.w->session().blnWordsGot);
    }

    void clearCheckboxesAnsweredNoAsksAgain() {
        Window t;
        QVERIFY(t.load());
        Count(t);
        // Hyphens are the first box that changes: No keeps it, the next one asks again.
        t.asker.answers = {Answer::No, Answer::Yes};
        QTest::mouseClick(Panel(t).cmdSetOrClearCheckboxes[0], Qt::LeftButton);
        QCOMPARE(Count(Texts(t.asker), kConfirm), 2);
        QVERIFY(t.asker.unexpected.isEmpty());
        QCOMPARE(t.w->params().chkAllowWordsWithHyphens, int16_t(1));
        QVERIFY(Box(t, "chkAllowWordsWithHyphens")->isChecked());
        QCOMPARE(t.w->params().chkDropFinalS, int16_t(0));
        QCOMPARE(t.w->params().chkWarnOnOverwrite, int16_t(0));
    }

    void characterCheck_data() {
        QTest::addColumn<QString>("words");
        QTest::addColumn<QString>("box");
        QTest::addColumn<QString>("message");
        const QString head = QStringLiteral(" occurs in some word to ignore\nbut is not ");
        QTest::newRow("comma") << "alpha,beta" << "chkAllowWordsWithNumerals"
                               << "The character ," + head +
                                      "currently set as a character allowed in a word.\n\n"
                                      "Words-to-ignore must be separated by a space, not by a comma.";
        QTest::newRow("plus") << "a+b" << "chkAllowWordsWithPeriods"
                              << "The character +" + head + "a character allowed in a word.";
        QTest::newRow("underscore") << "snake_case" << "chkAllowWordsWithColons"
                                    << "The character _" + head +
                                           "currently set as a character allowed in a word.";
    }

    void characterCheck() {
        QFETCH(QString, words);
        QFETCH(QString, box);
        QFETCH(QString, message);
        Window t;
        QVERIFY(t.load());
        t.asker.clear();
        t.w->params().txbWordsToIgnore = words.toStdString();
        QTest::mouseClick(Box(t, box.toLatin1().constData()), Qt::LeftButton);
        QCOMPARE(t.asker.asked.size(), size_t(1));
        QCOMPARE(t.asker.asked[0].text, message);
        QCOMPARE(t.asker.asked[0].title, QStringLiteral("Character not allowed"));
        QCOMPARE(t.asker.asked[0].icon, Icon::Exclamation);

        // Forward slashes and the filter boxes do not check; nor does "Clear checkboxes".
        t.asker.clear();
        QTest::mouseClick(Box(t, "chkAllowWordsWithForwardslashes"), Qt::LeftButton);
        QTest::mouseClick(Box(t, "chkIgnoreNoLetter"), Qt::LeftButton);
        t.w->session().blnCommonWordsLoaded = false;
        Panel(t).cmdClearCommonWordsFile_Click();
        QTest::mouseClick(Panel(t).cmdSetOrClearCheckboxes[0], Qt::LeftButton);
        QVERIFY2(t.asker.asked.empty(), qPrintable(t.asker.titles().join(',')));
    }

    void underscoreAllowedPassesAndRestoreDefaultsReports() {
        Window t;
        QVERIFY(t.load());
        t.asker.clear();
        t.w->params().txbWordsToIgnore = "snake_case";
        QTest::mouseClick(Box(t, "chkAllowWordsWithUnderscores"), Qt::LeftButton);
        QVERIFY(t.asker.asked.empty());
        // Back to the defaults the underscore is no longer allowed.
        t.w->params().txbStartComment[0] = "{";
        t.w->params().chkIgnoreCommonWords = 0;
        t.w->host().paramsChanged();
        QTest::mouseClick(Panel(t).cmdRestoreDefaults, Qt::LeftButton);
        QCOMPARE(t.asker.titles(), QStringList{QStringLiteral("Character not allowed")});
        QCOMPARE(t.w->params().chkAllowWordsWithUnderscores, int16_t(0));
        QCOMPARE(t.w->params().txbStartComment[0], std::string("{"));
        QCOMPARE(Panel(t).txbStartComment[0]->text(), QStringLiteral("{"));
    }

    void wordsToIgnoreThroughTheBox() {
        Window t;
        QVERIFY(t.load());
        FrmParams& f = Panel(t);
        f.ShowWindow();
        QVERIFY(QTest::qWaitForWindowActive(&f));
        f.txbWordsToIgnore->setFocus();
        QTest::keyClicks(f.txbWordsToIgnore, QStringLiteral("The, the  AND and"));
        QCOMPARE(t.w->params().txbWordsToIgnore, std::string("The, the  AND and"));
        f.cmdClearWordsToIgnore->setFocus();  // leaving the box
        QCOMPARE(f.txbWordsToIgnore->text(), QStringLiteral("and the"));
        QCOMPARE(t.w->params().strWordsToIgnore, std::string(" and the "));


        // "Clear" empties the list in force too.
        t.w->params().txbWordsToIgnore = "zeta alpha";
        f.txbWordsToIgnore_LostFocus();
        QCOMPARE(t.w->params().strWordsToIgnore, std::string(" alpha zeta "));
        QTest::mouseClick(f.cmdClearWordsToIgnore, Qt::LeftButton);
        QVERIFY(f.txbWordsToIgnore->text().isEmpty());
        QVERIFY(t.w->params().strWordsToIgnore.empty());
        QVERIFY(t.asker.unexpected.isEmpty());
    }

    void commentMarkersTrimmed() {
        Window t;
        QVERIFY(t.load());
        Count(t);
        FrmParams& f = Panel(t);
        QTest::keyClicks(f.txbStartComment[1], QStringLiteral("  (* "));
        f.txbComment_LostFocus(f.txbStartComment[1]);
        QCOMPARE(f.txbStartComment[1]->text(), QStringLiteral("(*"));
        QCOMPARE(t.w->params().txbStartComment[1], std::string("(*"));
        QVERIFY(!t.w->session().blnWordsGot);
        QVERIFY(t.asker.asked.empty());
    }

    void commonWordsLoadedMessages_data() {
        QTest::addColumn<int>("n");
        QTest::addColumn<QString>("head");
        QTest::newRow("one") << 1 << "One common word";
        QTest::newRow("forty two") << 42 << "Forty two common words";
        QTest::newRow("grouped") << 1234 << "1,234 common words";
    }

    void commonWordsLoadedMessages() {
        QFETCH(int, n);
        QFETCH(QString, head);
        Window t;
        QVERIFY(t.load());
        FrmParams& f = Panel(t);
        const QString path = WriteFile(QStringLiteral("cw-%1.txt").arg(n), Words(n));
        t.asker.clear();
        t.asker.files = {path};
        QTest::mouseClick(f.cmdSelectCommonWordsFile, Qt::LeftButton);
        QCOMPARE(t.asker.dialogTitles,
                 QStringList{QStringLiteral("Specify file of common words to ignore")});
        // The box was clear: the loaded message, then the notice that it is loaded.
        QCOMPARE(t.asker.asked.size(), size_t(2));
        QCOMPARE(t.asker.asked[0].text, head + QStringLiteral(" loaded from ") + path);
        QCOMPARE(t.asker.asked[0].title, QStringLiteral("Common words loaded"));
        QCOMPARE(t.asker.asked[0].icon, Icon::Information);
        QCOMPARE(t.asker.asked[1].text,
                 QStringLiteral("This file has already been loaded.  Click on 'Clear' and "
                                "re-select the file if it has been changed on disk."));
        QVERIFY(f.Check("chkIgnoreCommonWords")->isChecked());
        QCOMPARE(f.txbCommonWordsFile->text(), path);
        QCOMPARE(t.w->session().NumCommonWords(), n);

        // With the box already ticked only the loaded message comes.
        t.asker.clear();
        t.asker.files = {path};
        QTest::mouseClick(f.cmdSelectCommonWordsFile, Qt::LeftButton);
        QCOMPARE(t.asker.titles(), QStringList{QStringLiteral("Common words loaded")});
    }

    void commonWordsBoxAndPath() {
        Window t;
        QVERIFY(t.load());
        FrmParams& f = Panel(t);
        const QString path =
            WriteFile(QStringLiteral("cw3.txt"), "The cat\r\n// comment\r\n/* more */ dog\r\n");

        // No file: asked to name one, and the box stays clear.
        QTest::mouseClick(f.cmdClearCommonWordsFile, Qt::LeftButton);
        QVERIFY(f.txbCommonWordsFile->text().isEmpty());
        t.asker.clear();
        QTest::mouseClick(f.Check("chkIgnoreCommonWords"), Qt::LeftButton);
        QCOMPARE(Texts(t.asker),
                 QStringList{QStringLiteral("Please specify the file containing common words.")});
        QCOMPARE(t.asker.last().title, QStringLiteral("Ignore common words in file:"));
        QVERIFY(!f.Check("chkIgnoreCommonWords")->isChecked());
        QCOMPARE(t.w->params().chkIgnoreCommonWords, int16_t(0));

        // A typed path counts only while the box is ticked.
        QTest::keyClicks(f.txbCommonWordsFile, path);
        QTest::keyClick(f.txbCommonWordsFile, Qt::Key_Return);
        QCOMPARE(t.asker.asked.size(), size_t(1));
        QVERIFY(t.w->params().strCommonWordsFile.empty());

        // Chosen, loaded, unticked, ticked again: already loaded, no reload.
        t.asker.clear();
        t.asker.files = {path};
        QTest::mouseClick(f.cmdSelectCommonWordsFile, Qt::LeftButton);
        QCOMPARE(t.asker.asked[0].text, QStringLiteral("Three common words loaded from ") + path);
        QTest::mouseClick(f.Check("chkIgnoreCommonWords"), Qt::LeftButton);
        QVERIFY(!f.Check("chkIgnoreCommonWords")->isChecked());
        t.asker.clear();
        QTest::mouseClick(f.Check("chkIgnoreCommonWords"), Qt::LeftButton);
        QCOMPARE(t.asker.titles(), QStringList{QStringLiteral("Common words loaded")});
        QVERIFY(t.asker.last().text.startsWith(QStringLiteral("This file has already been loaded.")));
        QVERIFY(f.Check("chkIgnoreCommonWords")->isChecked());

        // Enter in the path box with a missing file: not found, box cleared.
        t.asker.clear();
        f.txbCommonWordsFile->selectAll();
        QTest::keyClicks(f.txbCommonWordsFile, TempDir() + QStringLiteral("/no-such-words.txt "));
        QTest::keyClick(f.txbCommonWordsFile, Qt::Key_Return);
        QCOMPARE(Texts(t.asker), QStringList{QStringLiteral("File for common words not found.")});
        QCOMPARE(t.asker.last().title, QStringLiteral("File not found"));
        QCOMPARE(f.txbCommonWordsFile->text(), TempDir() + QStringLiteral("/no-such-words.txt"));
        QVERIFY(!f.Check("chkIgnoreCommonWords")->isChecked());
        QVERIFY(!t.w->session().blnCommonWordsLoaded);

        // A file that is not text.
        std::string binary(4000, '\0');
        for (size_t i = 0; i < binary.size(); ++i) binary[i] = static_cast<char>(i * 7);
        const QString bin = WriteFile(QStringLiteral("cw.bin"), binary);
        t.asker.clear();
        t.asker.files = {bin};
        QTest::mouseClick(f.cmdSelectCommonWordsFile, Qt::LeftButton);
        QCOMPARE(Texts(t.asker), QStringList{QStringLiteral("This is not a text file.")});
        QCOMPARE(t.asker.last().title, QStringLiteral("Invalid input"));
        QVERIFY(!f.Check("chkIgnoreCommonWords")->isChecked());
        QVERIFY(!t.w->session().blnCommonWordsLoaded);
    }

    void stopWhileCommonWordsLoad() {
        Window t;
        QVERIFY(t.load());
        FrmParams& f = Panel(t);
        const QString path = WriteFile(QStringLiteral("cw-big.txt"), Words(3000));
        bool stopCaption = false;
        t.asker.onYield = [&](int64_t n) {
            if (n != 50) return;
            stopCaption = t.w->cmdListWords->text() == QStringLiteral("Stop");
            t.w->cmdListWords->click();
        };
        t.asker.clear();
        t.asker.files = {path};
        QTest::mouseClick(f.cmdSelectCommonWordsFile, Qt::LeftButton);
        t.asker.onYield = nullptr;
        QVERIFY(stopCaption);
        QVERIFY2(t.asker.asked.empty(), qPrintable(t.asker.titles().join(',')));
        QVERIFY(!f.Check("chkIgnoreCommonWords")->isChecked());
        QVERIFY(!t.w->session().blnCommonWordsLoaded);
        QCOMPARE(t.w->cmdListWords->text(), QString::fromStdString(t.w->session().IdleCaption()));
    }

    void parameterFilesRoundTrip() {
        Window t;
        QVERIFY(t.load());
        FrmParams& f = Panel(t);
        kvx::Params& p = t.w->params();
        // Every kind of field away from its default.
        t.asker.answers = {Answer::OK};
        QTest::mouseClick(f.cmdSetOrClearCheckboxes[1], Qt::LeftButton);
        p.chkIgnoreCommonWords = 1;
        p.txbFile = {"/tmp/in \"quoted\".txt", "/tmp/out.txt"};
        p.txbWordsToIgnore = "und der";
        p.txbStartComment = {"(*", "{"};
        p.txbEndComment = {"*)", "}"};
        p.cboShortWordSize = 7;
        p.cboLongWordSize = 0;
        p.cboThresholdFrequency = 5;
        p.cboWordOrder = 1;
        p.cboDisplayFormat = 9;
        p.chkSuppressWords = 1;
        p.chkDisableOutputToFile = 1;
        p.strCommonWordsFile = "/tmp/Common Words.txt";
        t.w->ParamsToControls();
        const kvx::Params saved = p;

        const QString file = TempDir() + QStringLiteral("/round.kvx");
        QFile::remove(file);
        t.asker.clear();
        t.asker.files = {file};
        QTest::mouseClick(f.cmdSaveLoadState[0], Qt::LeftButton);
        QVERIFY2(t.asker.asked.empty(), qPrintable(t.asker.titles().join(',')));
        QCOMPARE(t.asker.dialogTitles, QStringList{QStringLiteral("Specify file to save parameters to")});
        QCOMPARE(t.asker.dialogFilters, QStringList{QStringLiteral("Parameter files (*.kvx) | *.kvx")});
        QCOMPARE(f.lblParameters->text(), QStringLiteral("State saved to"));
        QVERIFY(!f.txbParametersFile->isHidden());
        QCOMPARE(f.txbParametersFile->text(), file);

        // Everything back to a first start, then loaded again.
        f.cmdInitialize_Click();
        QCOMPARE(f.lblParameters->text(), QStringLiteral("Program reinitialized."));
        QVERIFY(f.txbParametersFile->isHidden());
        QVERIFY(p.txbFile[0].empty());
        QCOMPARE(p.cboDisplayFormat, int16_t(0));
        QCOMPARE(p.chkCaseSignificant, int16_t(0));
        QCOMPARE(p.chkIgnoreCommonWords, int16_t(1));  // kept
        t.asker.clear();
        t.asker.files = {file};
        QTest::mouseClick(f.cmdSaveLoadState[1], Qt::LeftButton);
        QVERIFY2(t.asker.asked.empty(), qPrintable(t.asker.titles().join(',')));
        QCOMPARE(t.asker.dialogTitles, QStringList{QStringLiteral("Specify file to load parameters from.")});
        QCOMPARE(f.lblParameters->text(), QStringLiteral("State loaded from"));
        QCOMPARE(f.txbParametersFile->text(), file);

        // Field for field: saved again, the file is the same (the words to
        // ignore come back normalised, as loading processes them).
        const QString again = TempDir() + QStringLiteral("/round-again.kvx");
        QVERIFY(SaveState(p, again.toStdString()).empty());
        std::string expected = ReadFile(file);
        expected.replace(expected.find("\"und der\""), 9, "\"der und\"");
        QCOMPARE(ReadFile(again), expected);
        QCOMPARE(p.strWordsToIgnore, std::string(" der und "));
        QCOMPARE(p.txbCommonWordsFile, saved.strCommonWordsFile);
        for (const CheckBoxInfo* c : CheckBoxesInOrder(&CheckBoxInfo::setStep))
            QCOMPARE(Box(t, c->name)->isChecked(), saved.*(c->member) == 1);
        // The widgets of both windows show it.
        QCOMPARE(f.cboShortWordSize->currentText(), QStringLiteral("9"));
        QCOMPARE(f.cboLongWordSize->currentText(), QStringLiteral("20"));
        QCOMPARE(f.txbEndComment[1]->text(), QStringLiteral("}"));
        QCOMPARE(f.txbWordsToIgnore->text(), QStringLiteral("der und"));
        QCOMPARE(t.w->cboDisplayFormat->currentIndex(), 9);
        QCOMPARE(t.w->txbFile[1]->text(), QStringLiteral("/tmp/out.txt"));

        // Saving over an existing file asks first; No leaves it alone.
        t.asker.clear();
        t.asker.files = {file};
        t.asker.answers = {Answer::No};
        const std::string bytes = ReadFile(file);
        p.cboShortWordSize = 0;
        f.lblParameters->clear();
        QTest::mouseClick(f.cmdSaveLoadState[0], Qt::LeftButton);
        QCOMPARE(t.asker.asked.size(), size_t(1));
        QCOMPARE(ReadFile(file), bytes);
        QVERIFY(f.lblParameters->text().isEmpty());
    }

    void damagedParameterFileGivesDefaults() {
        Window t;
        QVERIFY(t.load());
        FrmParams& f = Panel(t);
        kvx::Params& p = t.w->params();
        p.chkCaseSignificant = 1;
        p.cboDisplayFormat = 4;
        p.txbFile[0] = "/tmp/x.txt";
        t.w->ParamsToControls();
        const QString file = TempDir() + QStringLiteral("/damaged.kvx");
        QVERIFY(SaveState(p, file.toStdString()).empty());
        // Line 12, a check box, holds a value no box takes.
        std::string bytes = ReadFile(file);
        size_t pos = 0;
        for (int line = 1; line < 12; ++line) pos = bytes.find("\r\n", pos) + 2;
        bytes.replace(pos, bytes.find("\r\n", pos) - pos, "7");
        WriteFile(QStringLiteral("damaged.kvx"), bytes);

        t.asker.clear();
        t.asker.files = {file};
        QTest::mouseClick(f.cmdSaveLoadState[1], Qt::LeftButton);
        QCOMPARE(t.asker.titles(), QStringList{QStringLiteral("Load parameters")});
        QVERIFY(t.asker.last().text.startsWith(
            QStringLiteral("Error when attempting to restore parameters: ")));
        QCOMPARE(t.asker.last().icon, Icon::Exclamation);
        QCOMPARE(f.lblParameters->text(), QStringLiteral("Error loading from"));
        QCOMPARE(f.txbParametersFile->text(), file);
        QVERIFY(!f.txbParametersFile->isHidden());
        QCOMPARE(p.chkCaseSignificant, int16_t(0));
        QVERIFY(!Box(t, "chkCaseSignificant")->isChecked());
        QVERIFY(p.txbFile[0].empty());
        QCOMPARE(p.cboShortWordSize, int16_t(1));

        // A save into a missing folder reports and says so.
        t.asker.clear();
        t.asker.files = {TempDir() + QStringLiteral("/no/such/folder/p.kvx")};
        QTest::mouseClick(f.cmdSaveLoadState[0], Qt::LeftButton);
        QCOMPARE(t.asker.titles(), QStringList{QStringLiteral("Save parameters")});
        QVERIFY(t.asker.last().text.startsWith(
            QStringLiteral("Error when attempting to save parameters: ")));
        QCOMPARE(f.lblParameters->text(), QStringLiteral("Error saving to"));

        // A cancelled dialog changes nothing.
        t.asker.clear();
        QTest::mouseClick(f.cmdSaveLoadState[1], Qt::LeftButton);
        QCOMPARE(f.lblParameters->text(), QStringLiteral("Error saving to"));
        QVERIFY(t.asker.asked.empty());
    }

    void quitFromTheParametersWindow() {
        Window t;
        QVERIFY(t.load());
        bool ended = false;
        t.w->endProgram = [&] { ended = true; };
        FrmParams& f = Panel(t);
        f.ShowWindow();
        QTest::mouseClick(f.cmdQuit, Qt::LeftButton);
        QVERIFY(ended);
        QVERIFY(!f.isVisible());
    }
};

KVX_APP_TEST_MAIN(TestFrmParams)
#include "tst_frmparams.moc"
