// Counts run through the main window: the count command, the refusals, the
// questions, stopping from inside a yield, the clipboard and re-listing.

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QGuiApplication>
#include <QLabel>
#include <QPlainTextEdit>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

#include "ScriptedAsker.h"

using namespace kvx;
using namespace kvx::test;

namespace {

const std::string kSmallText = "the cat sat on the mat.\r\nThe cat ran.\r\n";
const std::string kSmallListing =
    "   Rank    Freq  Word (longest has 3 characters)\r\n"
    "      1       3  the\r\n"
    "      2       2  cat\r\n"
    "      3       1  mat\r\n"
    "      4       1  ran\r\n"
    "      5       1  sat\r\n";

// Letters-only words that are all different: "bcd", "bce", ...
std::string DifferentWords(int n, int perLine) {
    std::string s;
    int made = 0;
    for (char a = 'b'; a <= 'z' && made < n; ++a)
        for (char b = 'b'; b <= 'z' && made < n; ++b)
            for (char c = 'b'; c <= 'z' && made < n; ++c)
                for (char d = 'b'; d <= 'z' && made < n; ++d) {
                    s += {'q', a, b, c, d};
                    ++made;
                    s += made % perLine == 0 ? "\n" : " ";
                }
    return s;
}

void SetClipboard(const QString& text) { QGuiApplication::clipboard()->setText(text); }

}  // namespace

class TestCounting : public QObject {
    Q_OBJECT
private slots:
    void init() { ForgetState(); }

    void wholeCountOfASmallFile() {
        Window t;
        QVERIFY(t.load());
        const QString in = WriteFile(QStringLiteral("small.txt"), kSmallText);
        const QString out = TempDir() + QStringLiteral("/small-out.txt");
        QFile::remove(out);
        SetInput(*t.w, in);
        SetOutput(*t.w, out);
        t.asker.clear();

        QTest::mouseClick(t.w->cmdListWords, Qt::LeftButton);

        QVERIFY2(t.asker.asked.empty(), qPrintable(t.asker.titles().join(',')));
        QCOMPARE(t.output(), kSmallListing);
        QCOMPARE(ReadFile(out), kSmallListing);
        QCOMPARE(t.label("lblNumberOfWords"), QStringLiteral("Number of words in this list: 5"));
        QCOMPARE(t.label("lblNumWordsExcluded"), QStringLiteral("Number of words ignored: 1"));
        QCOMPARE(t.label("lblNumOccurrences"),
                 QStringLiteral("Number of instances of words in this list: 8"));
        QCOMPARE(t.label("lblTotalNumOccurrences"),
                 QStringLiteral("Total number of instances of words: 9"));
        for (const char* l : {"lblNumberOfWords", "lblNumWordsExcluded", "lblNumOccurrences",
                              "lblTotalNumOccurrences"})
            QVERIFY2(t.labelShown(l), l);
        // The window is back to idle.
        QCOMPARE(t.w->cmdListWords->text(), QStringLiteral("Count words"));
        QVERIFY(t.w->cmdFile[0]->isEnabled());
        QVERIFY(t.w->cmdSetParameters->isEnabled());
        QVERIFY(t.w->cboWordOrder->isEnabled());
        QCOMPARE(t.w->lblTwirler->text(), QStringLiteral(" "));
        QVERIFY(t.w->session().blnWordsGot);
    }

    void relistsOnOrderAndFormatChange() {
        Window t;
        QVERIFY(t.load());
        SetInput(*t.w, WriteFile(QStringLiteral("relist.txt"), kSmallText));
        t.w->cmdListWords->click();
        QCOMPARE(t.output(), kSmallListing);

        t.w->cboWordOrder->setCurrentIndex(1);
        emit t.w->cboWordOrder->activated(1);
        QCOMPARE(t.output(), std::string("   Rank    Freq  Word (longest has 3 characters)\r\n"
                                         "      2       2  cat\r\n"
                                         "      3       1  mat\r\n"
                                         "      4       1  ran\r\n"
                                         "      5       1  sat\r\n"
                                         "      1       3  the\r\n"));
        t.w->cboDisplayFormat->setCurrentIndex(8);
        emit t.w->cboDisplayFormat->activated(8);
        QCOMPARE(t.output(), std::string("Word (longest has 3 characters)\r\ncat\r\nmat\r\nran\r\n"
                                         "sat\r\nthe\r\n"));
        QCOMPARE(t.w->params().cboDisplayFormat, int16_t(8));

        // A new source makes the result stale: no listing any more.
        t.w->optOnClipboard->click();
        QVERIFY(!t.w->session().blnWordsGot);
        QCOMPARE(t.output(), std::string());
        t.w->optInFile->click();
        t.w->cboDisplayFormat->setCurrentIndex(0);
        emit t.w->cboDisplayFormat->activated(0);
        QCOMPARE(t.output(), std::string());
    }

    void refusals_data() {
        QTest::addColumn<QString>("input");
        QTest::addColumn<QString>("output");
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("text");
        const QString dir = TempDir();
        const QString text = WriteFile(QStringLiteral("words.txt"), kSmallText);
        WriteFile(QStringLiteral("noext"), kSmallText);
        WriteFile(QStringLiteral("binary.dat"), std::string(3000, '\x01'));
        QTest::newRow("no input") << QString() << QString() << "Error"
                                  << "Input file not specified.";
        QTest::newRow("same output") << text << text << "Error"
                                     << "Output file cannot be the same as the input file.";
        QTest::newRow("same output by another name")
            << text << dir + QStringLiteral("/./words.txt") << "Error"
            << "Output file cannot be the same as the input file.";
        QTest::newRow("no extension") << dir + QStringLiteral("/noext") << QString()
                                      << "Invalid input" << "Invalid input file specification.";
        QTest::newRow("missing") << dir + QStringLiteral("/absent.txt") << QString()
                                 << "File not found" << "Input file does not exist.";
        QTest::newRow("not text") << dir + QStringLiteral("/binary.dat") << QString()
                                  << "Not a text file" << QString();
    }

    void refusals() {
        QFETCH(QString, input);
        QFETCH(QString, output);
        QFETCH(QString, title);
        QFETCH(QString, text);
        Window t;
        QVERIFY(t.load());
        SetInput(*t.w, input);
        SetOutput(*t.w, output);
        t.w->host().setOutputText("left alone");
        t.asker.clear();
        t.asker.answers = {Answer::OK};

        t.w->cmdListWords->click();

        QCOMPARE(t.asker.asked.size(), size_t(1));
        QCOMPARE(t.asker.last().title, title);
        if (!text.isEmpty()) QCOMPARE(t.asker.last().text, text);
        QCOMPARE(t.w->cmdListWords->text(), QStringLiteral("Count words"));
        QVERIFY(t.w->cmdFile[0]->isEnabled());
        QVERIFY(!t.w->session().blnWordsGot);
        // The input file is untouched when it was named as the output too.
        if (!output.isEmpty()) QCOMPARE(ReadFile(input), kSmallText);
    }

    void largeFileQuestion() {
        Window t;
        QVERIFY(t.load());
        // 200,001 bytes: just over the limit.
        std::string big;
        while (big.size() < 200001) big += "lorem ipsum dolor sit amet\n";
        big.resize(200001);
        big.back() = '\n';
        SetInput(*t.w, WriteFile(QStringLiteral("big.txt"), big));

        // Cancel: nothing runs.
        t.asker.clear();
        t.asker.answers = {Answer::Cancel};
        t.w->cmdListWords->click();
        QCOMPARE(t.asker.titles(), QStringList{QStringLiteral("Large input file")});
        QCOMPARE(t.asker.last().buttons, Buttons::YesNoCancel);
        QVERIFY(t.asker.last().text.startsWith(QStringLiteral(
            "The input file is quite large.  It is advisable to specify an output file before "
            "continuing,\nin case the text window will not hold the result. Do you wish")));
        QCOMPARE(t.output(), std::string());

        // Yes: the output-file dialog runs, then the count goes on.
        t.asker.clear();
        const QString out = TempDir() + QStringLiteral("/big-out.txt");
        QFile::remove(out);
        t.asker.answers = {Answer::Yes};
        t.asker.files = {out};
        t.w->cmdListWords->click();
        QCOMPARE(t.asker.dialogTitles, QStringList{QStringLiteral("Specify output file")});
        QCOMPARE(t.w->txbFile[1]->text(), out);
        QVERIFY(t.w->chkDisableOutputToFile->isEnabled());
        QVERIFY2(t.asker.unexpected.isEmpty(), qPrintable(t.asker.unexpected.join('\n')));
        QVERIFY(ReadFile(out).find("  lorem\r\n") != std::string::npos);
        QVERIFY(t.label("lblNumberOfWords").startsWith(QStringLiteral("Number of words in this list:")));
    }

    void stopWithFewWords_data() {
        QTest::addColumn<bool>("listThem");
        QTest::newRow("do not list") << false;
        QTest::newRow("list the words found") << true;
    }

    void stopWithFewWords() {
        QFETCH(bool, listThem);
        Window t;
        QVERIFY(t.load());
        SetInput(*t.w, WriteFile(QStringLiteral("few.txt"), DifferentWords(1500, 10)));
        t.asker.clear();
        t.asker.answers = {listThem ? Answer::Yes : Answer::No};
        bool stopCaption = false;
        t.asker.onYield = [&](int64_t n) {
            if (n == 300) {
                stopCaption = t.w->cmdListWords->text() == QStringLiteral("Stop");
                QVERIFY(t.w->cmdListWords->isEnabled());
                QVERIFY(!t.w->cmdFile[0]->isEnabled());
                QVERIFY(!t.w->cmdHelp->isEnabled());
                QVERIFY(t.w->cmdQuit->isEnabled());
                QVERIFY(t.w->chkSuppressWords->isEnabled());
                t.w->cmdListWords->click();
            }
        };

        t.w->cmdListWords->click();
        t.asker.onYield = nullptr;

        QVERIFY(stopCaption);
        // Fewer than 2000 words: no "Stop" question, straight to the listing question.
        QCOMPARE(t.asker.titles(), QStringList{QStringLiteral("Counting interrupted")});
        QCOMPARE(t.asker.last().buttons, Buttons::YesNo);
        QCOMPARE(t.asker.last().text,
                 QStringLiteral("The operation was stopped before all words were counted.\nDo "
                                "you wish to list the words which were found?"));
        QCOMPARE(t.w->cmdListWords->text(), QStringLiteral("Count words"));
        QVERIFY(t.w->cmdListWords->isEnabled());
        QVERIFY(t.w->cmdFile[0]->isEnabled());
        QVERIFY(!t.w->session().blnWordsGot);
        if (listThem) {
            QVERIFY(t.output().find("   Rank    Freq  Word") == 0);
            QVERIFY(t.labelShown("lblNumberOfWords"));
            QCOMPARE(t.label("lblNumOccurrences"), QString());
            QCOMPARE(t.label("lblTotalNumOccurrences"), QString());
        } else {
            const std::string out = t.output();
            // The words shown as found, then the stop sentence after an empty line.
            QVERIFY2(out.rfind("qbbbb qbbbc qbbbd ", 0) == 0, out.c_str());
            QVERIFY2(out.find("\r\n\r\nStopped with 300 words found.") != std::string::npos,
                     out.c_str());
            QCOMPARE(t.w->txbOutput->textCursor().position(),
                     t.w->txbOutput->document()->characterCount() - 1);
            QVERIFY(!t.labelShown("lblNumberOfWords"));
        }
    }

    void stopQuestionAfter2000Words() {
        Window t;
        QVERIFY(t.load());
        SetInput(*t.w, WriteFile(QStringLiteral("many.txt"), DifferentWords(6000, 10)));
        t.asker.clear();
        // "Stop": No (go on), then Yes; "Counting interrupted": No.
        t.asker.answers = {Answer::No, Answer::Yes, Answer::No};
        t.asker.onYield = [&](int64_t n) {
            if (n == 2505 || n == 4000) t.w->cmdListWords->click();
        };

        t.w->cmdListWords->click();
        t.asker.onYield = nullptr;

        QCOMPARE(t.asker.titles(),
                 (QStringList{QStringLiteral("Stop"), QStringLiteral("Stop"),
                              QStringLiteral("Counting interrupted")}));
        QCOMPARE(t.asker.asked[0].text,
                 QStringLiteral(" 2505 different words have been found.\nDo you really wish to stop?"));
        // After No the pass went on with the next line; every word met is new.
        QCOMPARE(t.asker.asked[1].text,
                 QStringLiteral(" 4000 different words have been found.\nDo you really wish to stop?"));
        QVERIFY(t.w->cmdFile[0]->isEnabled());
        QCOMPARE(t.w->cmdListWords->text(), QStringLiteral("Count words"));
    }

    void clipboardLimit_data() {
        QTest::addColumn<int>("chars");
        QTest::addColumn<bool>("counted");
        QTest::newRow("100000 characters") << 100000 << true;
        QTest::newRow("100001 characters") << 100001 << false;
    }

    void clipboardLimit() {
        QFETCH(int, chars);
        QFETCH(bool, counted);
        Window t;
        QVERIFY(t.load());
        QString text;
        text.reserve(chars);
        while (text.size() + 4 <= chars) text += QStringLiteral("abc ");
        while (text.size() < chars) text += QLatin1Char('x');
        SetClipboard(text);
        t.w->optOnClipboard->click();
        QVERIFY(!t.w->params().optInFile);
        t.asker.clear();
        t.asker.answers = {Answer::OK};

        t.w->cmdListWords->click();

        if (counted) {
            QVERIFY2(t.asker.asked.empty(), qPrintable(t.asker.titles().join(',')));
            QCOMPARE(t.output(), std::string("   Rank    Freq  Word (longest has 3 characters)\r\n"
                                             "      1   25000  abc\r\n"));
            QCOMPARE(t.label("lblSizeOfClipboardContents"),
                     QStringLiteral("Contents of clipboard:   100,000 bytes"));
            QVERIFY(t.w->optOnClipboard->isChecked());
        } else {
            QCOMPARE(t.asker.titles(), QStringList{QStringLiteral("Too much clipboard text")});
            QCOMPARE(t.asker.last().text,
                     QStringLiteral("There are 100,001 characters in the text on the "
                                    "clipboard.\nThe maximum permitted is 100,000.  If "
                                    "possible,\ncount word frequencies for this text using an "
                                    "input file."));
            QCOMPARE(t.label("lblSizeOfClipboardContents"),
                     QStringLiteral("Contents of clipboard:   100,001 bytes"));
            QVERIFY(t.w->optInFile->isChecked());
            QVERIFY(t.w->params().optInFile);
        }
    }

    void copyOutputToClipboardThenCount() {
        Window t;
        QVERIFY(t.load());
        t.w->host().setOutputText("gamma delta gamma");
        t.w->cmdCopyToClipboard->click();
        QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("gamma delta gamma"));
        QVERIFY(t.w->optOnClipboard->isChecked());
        QCOMPARE(t.label("lblSizeOfClipboardContents"),
                 QStringLiteral("Contents of clipboard:   17 bytes"));
        t.w->cmdListWords->click();
        QCOMPARE(t.output(), std::string("   Rank    Freq  Word (longest has 5 characters)\r\n"
                                         "      1       2  gamma\r\n"
                                         "      2       1  delta\r\n"));
    }

    void unwritableOutputFileIsReported() {
        Window t;
        QVERIFY(t.load());
        SetInput(*t.w, WriteFile(QStringLiteral("rep.txt"), kSmallText));
        SetOutput(*t.w, TempDir() + QStringLiteral("/no/such/folder/out.txt"));
        t.asker.clear();
        t.asker.answers = {Answer::OK};

        t.w->cmdListWords->click();

        QCOMPARE(t.asker.asked.size(), size_t(1));
        QCOMPARE(t.asker.last().icon, Icon::Exclamation);
        QCOMPARE(t.asker.last().title, QString::fromStdString(t.w->texts().GetProgramText(34)));
        // Nothing is left disabled.
        QCOMPARE(t.w->cmdListWords->text(), QStringLiteral("Count words"));
        QVERIFY(t.w->cmdListWords->isEnabled());
        for (QWidget* c : std::initializer_list<QWidget*>{
                 t.w->cmdFile[0], t.w->txbFile[0], t.w->cmdFile[1], t.w->cmdSaveState,
                 t.w->cmdSetParameters, t.w->cmdHelp, t.w->cboWordOrder, t.w->cboDisplayFormat,
                 t.w->optInFile, t.w->optOnClipboard, t.w->cmdCopyToClipboard})
            QVERIFY2(c->isEnabled(), qPrintable(c->objectName()));
    }

    void quitDuringACountEndsIt() {
        Window t;
        QVERIFY(t.load());
        SetInput(*t.w, WriteFile(QStringLiteral("quit.txt"), DifferentWords(6000, 10)));
        const QString out = TempDir() + QStringLiteral("/quit-out.txt");
        QFile::remove(out);
        SetOutput(*t.w, out);
        bool ended = false;
        t.w->endProgram = [&] { ended = true; };
        t.asker.clear();
        t.asker.onYield = [&](int64_t n) {
            if (n == 2500) t.w->cmdQuit->click();
        };
        t.w->cmdListWords->click();
        QVERIFY(ended);
        QVERIFY(t.asker.asked.empty());
        QVERIFY(!t.w->isVisible());
        QVERIFY(!QFile::exists(out));
    }
};

KVX_APP_TEST_MAIN(TestCounting)
#include "tst_counting.moc"
