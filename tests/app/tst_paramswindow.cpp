// The parameters window: controls bound to the parameters, the question before
// a count is thrown away, the checks, common words and parameter files; the
// help window's place and the message boxes' line breaks.

#include <QTextBlock>
#include <QTextDocument>
#include <QTextLayout>

#include "HelpWindow.h"
#include "LettersSetting.h"
#include "ParamsWindow.h"
#include "ScriptedAsker.h"
#include "TextGen.h"
#include "base/Folder.h"
#include "params/Defaults.h"

using namespace kvx;
using namespace kvx::test;

namespace {

const std::string kConfirm = "Changing this entails reading the file anew.  Is this OK?";

// A real count of a small file, so that a finished result is there.
void Count(Window& t) {
    t.setFile(0, WriteFile(QStringLiteral("params-small.txt"), "the cat sat on the mat\r\n"));
    t.w->countButton->click();
    QVERIFY(t.w->session().wordsCounted);
    t.asker.clear();
}

int Confirmations(const ScriptedAsker& a) {
    int n = 0;
    for (const Shown& q : a.asked) n += q.text == kConfirm;
    return n;
}

}  // namespace

class TestParamsWindow : public WindowTest {
    Q_OBJECT

private slots:

    void boxesShowTheParameters() {
        Window& t = *win;
        t.w->params().allowColons = 1;
        t.w->params().ignoreRepetitions = 0;
        t.w->ParamsToControls();
        for (const CheckBoxInfo* c : CheckBoxesInOrder(&CheckBoxInfo::setStep))
            QCOMPARE(t.panel().Check(c->name)->isChecked(), t.w->params().*(c->member) == 1);
        // "Set parameters" shows the window, "Close" hides it, "Quit" ends the program.
        QTest::mouseClick(t.w->setParametersButton, Qt::LeftButton);
        QVERIFY(t.panel().isVisible());
        QTest::mouseClick(t.panel().closeButton, Qt::LeftButton);
        QVERIFY(!t.panel().isVisible());
        // Escape closes it too, from any of its boxes.
        t.panel().ShowWindow();
        QTest::keyClick(t.panel().wordsToIgnoreBox, Qt::Key_Escape);
        QVERIFY(!t.panel().isVisible());
        bool ended = false;
        t.w->endProgram = [&] { ended = true; };
        QTest::mouseClick(t.panel().quitButton, Qt::LeftButton);
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
        QCheckBox* b = t.panel().Check(name.toLatin1().constData());
        t.asker.clear();
        QTest::mouseClick(b, Qt::LeftButton);  // no count to throw away: no question
        QTest::mouseClick(b, Qt::LeftButton);
        QVERIFY(t.asker.asked.empty());
        Count(t);
        // The program writing values into the widgets runs no handler.
        t.w->params().caseSignificant = int16_t(1 - t.w->params().caseSignificant);
        t.w->host().paramsChanged();
        QVERIFY(t.asker.asked.empty() && t.w->session().wordsCounted);
        const bool before = b->isChecked();
        t.asker.answers = {yes ? Answer::Yes : Answer::No};
        QTest::mouseClick(b, Qt::LeftButton);
        QCOMPARE(t.asker.asked.size(), size_t(1));
        QCOMPARE(t.asker.asked[0].text, kConfirm);
        QCOMPARE(t.asker.asked[0].buttons, Buttons::YesNo);
        QCOMPARE(t.w->session().wordsCounted, !yes);
        QCOMPARE(b->isChecked(), yes != before);
        for (const CheckBoxInfo& c : CheckBoxes())
            if (name == QLatin1String(c.name)) QCOMPARE(t.w->params().*(c.member), int16_t(yes != before));
    }

    void setAndClearCheckboxes() {
        Window& t = *win;
        t.panel().ClearCommonWordsFile();
        Count(t);
        t.asker.answers = {Answer::Yes, Answer::OK};
        QTest::mouseClick(t.panel().setOrClearCheckboxesButtons[1], Qt::LeftButton);
        // Asked once; the common-words box, set with no file chosen, asks for one and stays clear.
        QCOMPARE(t.asker.titles(), (Titles{t.w->programTitle, "Ignore common words in file:"}));
        for (const CheckBoxInfo* c : CheckBoxesInOrder(&CheckBoxInfo::setStep))
            QCOMPARE(t.w->params().*(c->member), int16_t(c->family != BoxFamily::CommonWords));
        QVERIFY(!t.w->session().wordsCounted);

        // Clearing after a count: No keeps the first box that changes, the next one asks again.
        Count(t);
        t.asker.answers = {Answer::No, Answer::Yes};
        QTest::mouseClick(t.panel().setOrClearCheckboxesButtons[0], Qt::LeftButton);
        QCOMPARE(Confirmations(t.asker), 2);
        QCOMPARE(t.asker.core.unexpected, 0);
        QCOMPARE(t.w->params().allowHyphens, int16_t(1));
        QCOMPARE(t.w->params().dropFinalS, int16_t(0));
    }

    void characterCheckOfTheWordsToIgnore() {
        Window& t = *win;
        t.asker.clear();
        t.w->params().wordsToIgnoreText = "alpha,beta";
        QTest::mouseClick(t.panel().Check("chkAllowWordsWithNumerals"), Qt::LeftButton);
        QCOMPARE(t.asker.titles(), Titles{"Character not allowed"});
        // Raised here, owned here; the main window's own questions stay its own.
        QCOMPARE(t.asker.lastOwner, &t.panel());
        t.w->host().message("main", "main", Icon::None, Buttons::OK);
        QCOMPARE(t.asker.lastOwner, t.w.get());

        // Forward slashes and the filter boxes do not check; nor does "Clear checkboxes".
        t.asker.clear();
        QTest::mouseClick(t.panel().Check("chkAllowWordsWithForwardslashes"), Qt::LeftButton);
        QTest::mouseClick(t.panel().Check("chkIgnoreNoLetter"), Qt::LeftButton);
        t.w->session().commonWordsLoaded = false;
        t.panel().ClearCommonWordsFile();
        QTest::mouseClick(t.panel().setOrClearCheckboxesButtons[0], Qt::LeftButton);
        QVERIFY(t.asker.asked.empty());

        // Allowed underscores pass; back to the defaults they no longer do,
        // while the comment markers stay.
        t.w->params().wordsToIgnoreText = "snake_case";
        QTest::mouseClick(t.panel().Check("chkAllowWordsWithUnderscores"), Qt::LeftButton);
        QVERIFY(t.asker.asked.empty());
        t.w->params().startComment[0] = "{";
        t.w->params().ignoreCommonWords = 0;
        t.w->host().paramsChanged();
        QTest::mouseClick(t.panel().restoreDefaultsButton, Qt::LeftButton);
        QCOMPARE(t.asker.titles(), Titles{"Character not allowed"});
        QCOMPARE(t.w->params().allowUnderscores, int16_t(0));
        QCOMPARE(t.panel().startCommentBoxes[0]->text(), QStringLiteral("{"));
    }

    void textBoxes() {
        Window& t = *win;
        ParamsWindow& f = t.panel();
        f.ShowWindow();
        QVERIFY(QTest::qWaitForWindowActive(&f));
        f.wordsToIgnoreBox->setFocus();
        QTest::keyClicks(f.wordsToIgnoreBox, QStringLiteral("The, the  AND and"));
        QCOMPARE(t.w->params().wordsToIgnoreText, std::string("The, the  AND and"));
        f.clearWordsToIgnoreButton->setFocus();  // leaving the box
        QCOMPARE(f.wordsToIgnoreBox->text(), QStringLiteral("and the"));
        QCOMPARE(t.w->params().wordsToIgnore, std::string(" and the "));
        QTest::mouseClick(f.clearWordsToIgnoreButton, Qt::LeftButton);
        QVERIFY(f.wordsToIgnoreBox->text().isEmpty());
        QVERIFY(t.w->params().wordsToIgnore.empty());

        // A comment marker is trimmed, and changing it throws the count away.
        Count(t);
        QTest::keyClicks(f.startCommentBoxes[1], QStringLiteral("  (* "));
        f.CommentMarkerEdited(f.startCommentBoxes[1]);
        QCOMPARE(f.startCommentBoxes[1]->text(), QStringLiteral("(*"));
        QCOMPARE(t.w->params().startComment[1], std::string("(*"));
        QVERIFY(!t.w->session().wordsCounted);
        QVERIFY(t.asker.asked.empty());
    }

    void commonWordsFile() {
        Window& t = *win;
        ParamsWindow& f = t.panel();
        const QString path = WriteFile(QStringLiteral("cw.txt"), DistinctWords(42));

        // No file: asked to name one, and the box stays clear; a typed path
        // counts only while the box is ticked.
        QTest::mouseClick(f.clearCommonWordsFileButton, Qt::LeftButton);
        t.asker.clear();
        QTest::mouseClick(f.Check("chkIgnoreCommonWords"), Qt::LeftButton);
        QCOMPARE(t.asker.last().text, std::string("Please specify the file containing common words."));
        QVERIFY(!f.Check("chkIgnoreCommonWords")->isChecked());
        QTest::keyClicks(f.commonWordsFileBox, path);
        QTest::keyClick(f.commonWordsFileBox, Qt::Key_Return);
        QCOMPARE(t.asker.asked.size(), size_t(1));
        QVERIFY(t.w->params().commonWordsFile.empty());

        // Chosen: loaded, then the notice that it is loaded, the box ticked.
        t.asker.clear();
        t.asker.files = {path};
        QTest::mouseClick(f.selectCommonWordsFileButton, Qt::LeftButton);
        QCOMPARE(t.asker.titles(), (Titles{"Common words loaded", "Common words loaded"}));
        QCOMPARE(t.asker.asked[0].text, "Forty two common words loaded from " + path.toStdString());
        QCOMPARE(t.asker.asked[0].icon, Icon::Information);
        QVERIFY(t.asker.asked[1].text.starts_with("This file has already been loaded."));
        QVERIFY(f.Check("chkIgnoreCommonWords")->isChecked());

        // A missing file typed in the box, and a file that is not text.
        t.asker.clear();
        f.commonWordsFileBox->selectAll();
        QTest::keyClicks(f.commonWordsFileBox, TempDir() + QStringLiteral("/no-such-words.txt "));
        QTest::keyClick(f.commonWordsFileBox, Qt::Key_Return);
        t.asker.files = {WriteFile(QStringLiteral("cw.bin"), RandomBytes(4000, 3))};
        QTest::mouseClick(f.selectCommonWordsFileButton, Qt::LeftButton);
        QCOMPARE(t.asker.titles(), (Titles{"File not found", "Invalid input"}));
        QCOMPARE(f.commonWordsFileBox->text(), TempDir() + QStringLiteral("/cw.bin"));
        QVERIFY(!f.Check("chkIgnoreCommonWords")->isChecked());
        QVERIFY(!t.w->session().commonWordsLoaded);

        // Reinitialize, or the box emptied while unticked: no file named, so
        // the words loaded are not left out of the next count.
        const QString words = WriteFile(QStringLiteral("cw-words.txt"), DistinctWords(3));
        auto included = [&] {
            t.setFile(0, words);
            t.w->countButton->click();
            return t.w->session().NumWordsIncluded();
        };
        t.asker.files = {path, path};
        QTest::mouseClick(f.selectCommonWordsFileButton, Qt::LeftButton);
        QTest::mouseClick(f.initializeButton, Qt::LeftButton);
        QCOMPARE(included(), 3);
        QTest::mouseClick(f.selectCommonWordsFileButton, Qt::LeftButton);
        QTest::mouseClick(f.Check("chkIgnoreCommonWords"), Qt::LeftButton);
        f.commonWordsFileBox->clear();
        QTest::keyClick(f.commonWordsFileBox, Qt::Key_Return);
        QTest::mouseClick(f.Check("chkIgnoreCommonWords"), Qt::LeftButton);  // asks for a file
        QCOMPARE(included(), 3);
    }

    void stopWhileCommonWordsLoad() {
        Window& t = *win;
        ParamsWindow& f = t.panel();
        bool stopCaption = false;
        t.asker.onYield = [&](int64_t n) {
            if (n != 50) return;
            stopCaption = t.w->countButton->text() == QStringLiteral("Stop");
            t.w->countButton->click();
        };
        t.asker.clear();
        t.asker.files = {WriteFile(QStringLiteral("cw-big.txt"), DistinctWords(3000))};
        QTest::mouseClick(f.selectCommonWordsFileButton, Qt::LeftButton);
        t.asker.onYield = nullptr;
        QVERIFY(stopCaption);
        QVERIFY(t.asker.asked.empty());
        QVERIFY(!f.Check("chkIgnoreCommonWords")->isChecked());
        QVERIFY(!t.w->session().commonWordsLoaded);
        t.verifyIdle();
    }

    void parameterFiles() {
        Window& t = *win;
        ParamsWindow& f = t.panel();
        kvx::Params& p = t.w->params();
        p.fileNames = {"/tmp/in.txt", "/tmp/out.txt"};
        p.wordsToIgnoreText = "und der";
        p.endComment = {"*)", "}"};
        p.longWordIndex = 0;
        p.displayFormat = 9;
        p.caseSignificant = 1;
        t.w->ParamsToControls();
        // Named without an extension, the file gets ".kvx".
        const QString file = TempDir() + QStringLiteral("/round.kvx");
        t.asker.clear();
        t.asker.files = {TempDir() + QStringLiteral("/round")};
        QTest::mouseClick(f.saveLoadStateButtons[0], Qt::LeftButton);
        QVERIFY(t.asker.asked.empty());
        QCOMPARE(f.parametersLabel->text(), QStringLiteral("State saved to"));
        QCOMPARE(f.parametersFileBox->text(), file);

        // Back to a first start, then loaded again: both windows show it.
        f.InitializeParameters();
        QVERIFY(p.fileNames[0].empty());
        QCOMPARE(p.caseSignificant, int16_t(0));
        t.asker.files = {file};
        QTest::mouseClick(f.saveLoadStateButtons[1], Qt::LeftButton);
        QVERIFY(t.asker.asked.empty());
        QCOMPARE(f.parametersLabel->text(), QStringLiteral("State loaded from"));
        QVERIFY(t.panel().Check("chkCaseSignificant")->isChecked());
        QCOMPARE(f.longWordSizeList->currentText(), QStringLiteral("20"));
        QCOMPARE(f.wordsToIgnoreBox->text(), QStringLiteral("der und"));
        QCOMPARE(t.w->displayFormatList->currentIndex(), 9);
        QCOMPARE(t.w->fileNameBoxes[1]->text(), QStringLiteral("/tmp/out.txt"));

        // A saved listing, whose lines would fill the names and the markers,
        // leaves the windows as they were.
        const QString listing = WriteFile(QStringLiteral("listing.csv"), "\"a\"\r\n\"b\"\r\n,,\r\n,,\r\n,,\r\n,,\r\n,,\r\n1,2\r\n");
        t.asker.files = {listing};
        QTest::mouseClick(f.saveLoadStateButtons[1], Qt::LeftButton);
        QCOMPARE(t.asker.titles(), Titles{"Load parameters"});
        QCOMPARE(f.parametersLabel->text(), QStringLiteral("Error loading from"));
        QCOMPARE(f.parametersFileBox->text(), listing);
        QVERIFY(f.Check("chkCaseSignificant")->isChecked());
        QCOMPARE(f.wordsToIgnoreBox->text(), QStringLiteral("der und"));
        QCOMPARE(t.w->fileNameBoxes[1]->text(), QStringLiteral("/tmp/out.txt"));

        // A save into a missing folder reports; a cancelled dialog changes nothing.
        t.asker.clear();
        t.asker.files = {TempDir() + QStringLiteral("/no/such/folder/p.kvx"), QString()};
        QTest::mouseClick(f.saveLoadStateButtons[0], Qt::LeftButton);
        QTest::mouseClick(f.saveLoadStateButtons[1], Qt::LeftButton);
        QCOMPARE(t.asker.titles(), Titles{"Save parameters"});
        QCOMPARE(f.parametersLabel->text(), QStringLiteral("Error saving to"));
    }

    void helpWindowAndQuestions() {
        Window& t = *win;
        // The help window opens over the main window where it stands now; Escape closes it.
        t.w->setGeometry(150, 120, 900, 700);
        t.w->ShowHelp();
        QCOMPARE(t.w->help()->geometry(), QRect(150 + 13, 120 + 32, 900 - 26, 700 - 45));
        QTest::keyClick(t.w->help()->helpTextBox, Qt::Key_Escape);
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
            t.asker.clear({answer, answer});
            for (const bool silence : {false, true, true}) {
                t.asker.silenceNext = silence;
                QCOMPARE(t.w->host().askUnlessSilenced(QStringLiteral("q"), "Ask?", "T"), answer);
            }
            QCOMPARE(t.asker.asked.size(), size_t(2));
        }
        kept.remove(QStringLiteral("questions/q"));
    }

    // "Letters of every script" is kept in the settings, not in the
    // parameters, and the next count uses it with its alphabetical order.
    void lettersOfEveryScript() {
        Window& t = *win;
        LettersSetting& l = *t.panel().letters;
        QVERIFY(!l.collationList->isEnabled());
        l.everyScriptBox->click();
        l.collationList->setCurrentIndex(l.collationList->findData(QStringLiteral("sv")));
        t.w->params().wordOrder = 1;
        t.setFile(0, WriteFile(QStringLiteral("letters.txt"), "\xC3\xB6ra zeta \xCE\xA9mega\r\n"));
        t.w->countButton->click();
        // Swedish puts ö after z.
        QVERIFY(t.output().find("zeta\r\n      2       1  \xC3\xB6ra\r\n      3       1  \xCF\x89mega") !=
                std::string::npos);
        QSettings kept(QStringLiteral("kvx"), QStringLiteral("kvx"));
        QCOMPARE(kept.value(QStringLiteral("letters/collation")).toString(), QStringLiteral("sv"));
        // Wide characters, drawn by another font, take two columns in the box,
        // and the blanks and digits of their rows are the box's font's.
        t.setFile(0, WriteFile(QStringLiteral("wide.txt"), "\xE3\x83\x86\xE3\x82\xAD\xE3\x82\xB9\xE3\x83\x88 abcdefgh\r\n"));
        auto x = [&](int row, int at) {  // where the row's character at is drawn (-1: its last)
            const QTextBlock b = t.w->outputBox->document()->findBlockByNumber(row);
            QTextLayout layout(b.text(), t.w->outputBox->font());
            layout.setFormats(b.layout()->formats());
            layout.beginLayout();
            QTextLine line = layout.createLine();
            line.setLineWidth(10000);
            layout.endLayout();
            return line.cursorToX(at < 0 ? int(b.text().size()) - 1 : at);
        };
        for (const int format : {7, 0}) {  // word frequency; rank frequency word
            t.w->params().displayFormat = int16_t(format);
            t.w->countButton->click();
            QVERIFY(qAbs(x(1, format == 7 ? -1 : 15) - x(2, format == 7 ? -1 : 15)) < 0.5);
        }
        l.everyScriptBox->click();
        QCOMPARE(kept.value(QStringLiteral("letters/everyScript")).toBool(), false);
        QVERIFY(!t.w->session().LettersOfEveryScript());
    }
};

KVX_APP_TEST_MAIN(TestParamsWindow)
#include "tst_paramswindow.moc"
