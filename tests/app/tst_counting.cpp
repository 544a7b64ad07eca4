// Counts run through the main window: the count command, the refusals, the
// questions, stopping and quitting in the middle of a count (on one thread
// and on several), the clipboard and re-listing.

#include <algorithm>

#include "CorpusSource.h"
#include "ParamsWindow.h"
#include "Process.h"
#include "ScriptedAsker.h"
#include "state/StateFile.h"
#include "TextGen.h"
#include "WindowTexts.h"

using namespace kvx;
using namespace kvx::test;

namespace {

const std::string kSmallText = "the cat sat on the mat.\r\nThe cat ran.\r\n";
const std::string kHeader = "   Rank    Freq  Word (longest has 3 characters)\r\n";
const std::string kSmallListing = kHeader +
                                  "      1       3  the\r\n"
                                  "      2       2  cat\r\n"
                                  "      3       1  mat\r\n"
                                  "      4       1  ran\r\n"
                                  "      5       1  sat\r\n";

}  // namespace

class TestCounting : public WindowTest {
    Q_OBJECT

private slots:

    // The texts the window makes of what the session reports as numbers.
    void labelTexts() {
        const Host& numbers = win->w->host();
        const std::pair<std::string, std::string> rows[] = {
            {ProgressBarText(-1, 5), "[     ]"},
            {ProgressBarText(0, 5), "[>    ]"},
            {ProgressBarText(1, 5), "[>    ]"},
            {ProgressBarText(3, 5), "[-->  ]"},
            {ProgressBarText(5, 5), "[---->]"},
            {ProgressBarText(6, 5), "[----->]"},  // the last line had no line break
            {WordsFoundText(20, false), "Number of different words found so far: 20"},
            {WordsFoundText(10, true), "Number of common words read so far: 10"},
            {FileSizeText(9999, numbers), "Filesize:   9,999 bytes"},
            {FileSizeText(12345678, numbers), "Filesize:   12,345,678 bytes    12,056.33 KB    11.77 MB"},
        };
        for (const auto& [made, expected] : rows) QCOMPARE(made, expected);
    }

    void wholeCountOfASmallFile() {
        Window& t = *win;
        const QString out = TempDir() + QStringLiteral("/small-out.txt");
        QFile::remove(out);
        t.setFile(0, WriteFile(QStringLiteral("small.txt"), kSmallText));
        t.setFile(1, out);
        t.asker.clear();
        QTest::mouseClick(t.w->countButton, Qt::LeftButton);
        QVERIFY(t.asker.asked.empty());
        QCOMPARE(t.output(), kSmallListing);
        QCOMPARE(ReadFile(out), kSmallListing);
        const std::pair<const char*, const char*> figures[] = {
            {"lblNumberOfWords", "in this list: 5"}, {"lblNumWordsExcluded", "ignored: 1"},
            {"lblNumOccurrences", "in this list: 8"}, {"lblTotalNumOccurrences", "of words: 9"}};
        for (const auto& [name, end] : figures)
            QVERIFY2(t.labelShown(name) && t.label(name).endsWith(QLatin1String(end)), name);
        t.verifyIdle();
        QVERIFY(t.w->session().wordsCounted);
    }

    void relistsOnOrderAndFormatChange() {
        Window& t = *win;
        t.setFile(0, WriteFile(QStringLiteral("relist.txt"), kSmallText));
        t.w->countButton->click();
        Select(t.w->wordOrderList, 1);
        Select(t.w->displayFormatList, 8);
        QCOMPARE(t.output(), std::string("Word (longest has 3 characters)\r\ncat\r\nmat\r\nran\r\nsat\r\nthe\r\n"));
        QCOMPARE(t.w->params().displayFormat, int16_t(8));
        // A new source makes the result stale: no listing any more.
        t.w->clipboardSourceButton->click();
        QVERIFY(!t.w->session().wordsCounted);
        QVERIFY(!t.labelShown("lblNumberOfWords"));  // nor its figures
        Select(t.w->displayFormatList, 0);
        QCOMPARE(t.output(), std::string());
    }

    // A refused count leaves the window idle (the other refusals: kvx-count's tests).
    void refusalsLeaveTheWindowIdle() {
        Window& t = *win;
        const QString binary = WriteFile(QStringLiteral("binary.dat"), std::string(3000, '\x01'));
        for (const auto& [input, title] : {std::pair{QString(), "Error"}, {binary, "Not a text file"}}) {
            t.setFile(0, input);
            t.asker.clear({Answer::OK});
            t.w->countButton->click();
            QCOMPARE(t.asker.titles(), Titles{title});
            t.verifyIdle();
            QVERIFY(!t.w->session().wordsCounted);
        }
    }

    void largeFileQuestion() {
        Window& t = *win;
        // 200,001 bytes: just over the limit
        t.setFile(0, WriteFile(QStringLiteral("big.txt"), std::string(199989, ' ') + "lorem ipsum\n"));
        // Cancel: nothing runs.
        t.asker.clear({Answer::Cancel});
        t.w->countButton->click();
        QCOMPARE(t.asker.titles(), Titles{"Large input file"});
        QCOMPARE(t.asker.last().buttons, Buttons::YesNoCancel);
        QCOMPARE(t.output(), std::string());
        // Yes: the output-file dialog runs, then the count goes on.
        const QString out = TempDir() + QStringLiteral("/big-out.txt");
        QFile::remove(out);
        t.asker.answers = {Answer::Yes};
        t.asker.files = {out};
        t.w->countButton->click();
        QCOMPARE(t.asker.dialogTitles, QStringList{QStringLiteral("Specify output file")});
        QCOMPARE(t.w->fileNameBoxes[1]->text(), out);
        QVERIFY(t.w->disableOutputBox->isEnabled());
        QCOMPARE(t.asker.core.unexpected, 0);
        QVERIFY(ReadFile(out).find("  lorem\r\n") != std::string::npos);
    }

    void stopWithFewWords_data() {
        QTest::addColumn<bool>("listThem");
        QTest::newRow("do not list") << false;
        QTest::newRow("list the words found") << true;
    }

    void stopWithFewWords() {
        QFETCH(bool, listThem);
        Window& t = *win;
        t.setFile(0, WriteFile(QStringLiteral("few.txt"), DistinctWords(1500)));
        t.asker.clear({listThem ? Answer::Yes : Answer::No});
        bool stopCaption = false;
        t.asker.onYield = [&](int64_t n) {
            if (n != 300) return;
            stopCaption = t.w->countButton->text() == QStringLiteral("Stop");
            QVERIFY(!t.w->fileButtons[0]->isEnabled() && !t.w->helpButton->isEnabled());
            QVERIFY(t.w->quitButton->isEnabled() && t.w->suppressWordsBox->isEnabled());
            // Typing cannot mix with the words shown (nor upset the count's idea of the box's length).
            QTest::keyClicks(t.w->outputBox, QStringLiteral("typed"));
            QVERIFY(t.w->outputBox->isReadOnly() && !t.w->outputBox->toPlainText().contains(QLatin1String("typed")));
            // What the count uses cannot change under it.
            QVERIFY(!t.panel().Check("chkCaseSignificant")->isEnabled() && t.panel().closeButton->isEnabled());
            t.w->countButton->click();
        };
        t.w->countButton->click();
        t.asker.onYield = nullptr;
        QVERIFY(stopCaption);
        // Fewer than 2000 words: no "Stop" question, straight to the listing question.
        QCOMPARE(t.asker.titles(), Titles{"Counting interrupted"});
        QCOMPARE(t.asker.last().buttons, Buttons::YesNo);
        t.verifyIdle();
        QVERIFY(!t.w->session().wordsCounted);
        const std::string out = t.output();
        if (listThem) {
            QVERIFY(out.starts_with("   Rank    Freq  Word"));
            QVERIFY(t.labelShown("lblNumberOfWords"));
            QCOMPARE(t.label("lblTotalNumOccurrences"), QString());
        } else {
            // The words shown as found, then the stop sentence after an empty line.
            QVERIFY2(out.starts_with("qbbbb qbbbc qbbbd "), out.c_str());
            QVERIFY2(out.ends_with("\r\n\r\nStopped with 300 words found."), out.c_str());
            QCOMPARE(t.w->outputBox->textCursor().position(), t.w->outputBox->document()->characterCount() - 1);
            QVERIFY(!t.labelShown("lblNumberOfWords"));
        }
    }

    void stopQuestionAfter2000Words() {
        Window& t = *win;
        t.setFile(0, WriteFile(QStringLiteral("many.txt"), DistinctWords(6000)));
        t.asker.clear({Answer::No, Answer::Yes, Answer::No});  // "Stop": No (go on), then Yes; then do not list
        t.asker.onYield = [&](int64_t n) {
            if (n == 2505 || n == 4000) t.w->countButton->click();
        };
        t.w->countButton->click();
        t.asker.onYield = nullptr;
        QCOMPARE(t.asker.titles(), (Titles{"Stop", "Stop", "Counting interrupted"}));
        // After No the pass went on with the next line; every word met is new.
        QVERIFY(t.asker.asked[0].text.starts_with(" 2505 ") && t.asker.asked[1].text.starts_with(" 4000 "));
        t.verifyIdle();
    }

    void clipboardLimit_data() {
        QTest::addColumn<int>("chars");
        QTest::newRow("100000 characters") << 100000;
        QTest::newRow("100001 characters") << 100001;
    }

    void clipboardLimit() {
        QFETCH(int, chars);
        Window& t = *win;
        QString text = QStringLiteral("abc ").repeated(25000);
        if (chars > 100000) text += QLatin1Char('x');
        QGuiApplication::clipboard()->setText(text);
        t.w->clipboardSourceButton->click();
        QVERIFY(!t.w->params().inputIsFile);
        t.asker.clear({Answer::OK});
        t.w->countButton->click();
        QCOMPARE(t.label("lblSizeOfClipboardContents"),
                 QStringLiteral("Contents of clipboard:   %1 bytes").arg(chars == 100000 ? "100,000" : "100,001"));
        if (chars == 100000) {
            QVERIFY(t.asker.asked.empty());
            QCOMPARE(t.output(), kHeader + "      1   25000  abc\r\n");
            QVERIFY(t.w->clipboardSourceButton->isChecked());
        } else {
            QCOMPARE(t.asker.titles(), Titles{"Too much clipboard text"});
            QVERIFY(t.asker.last().text.starts_with("There are 100,001 characters in the text on the clipboard."));
            QVERIFY(t.w->fileSourceButton->isChecked());
            QVERIFY(t.w->params().inputIsFile);
        }
    }

    void copyOutputToClipboard() {
        Window& t = *win;
        t.w->host().setOutputText("gamma delta gamma");
        t.w->copyToClipboardButton->click();
        QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("gamma delta gamma"));
        QVERIFY(t.w->clipboardSourceButton->isChecked() && !t.w->params().inputIsFile);
    }

    // On several threads (words not shown as found), a count of a file of
    // many pieces stopped lists the words of the text up to a line, as one
    // thread would (whole counts: the core's tests of counting on several threads).
    void onEveryCoreStopped() {
        Window& t = *win;
        const std::string text = DistinctWords(20000) + TwoBlockText(3000, 3000);
        const QString in = WriteFile(QStringLiteral("pieces.txt"), text);
        const QString out = TempDir() + QStringLiteral("/pieces-out.txt");
        const QString cli = TempDir() + QStringLiteral("/pieces-cli.txt");
        t.setFile(0, in);
        t.setFile(1, out);
        t.w->params().warnOnOverwrite = 0;
        t.w->session().SetJobs(3, 20000);
        t.w->suppressWordsBox->setChecked(true);
        t.asker.clear({Answer::Yes, Answer::Yes, Answer::OK});  // stop, list the words found
        t.asker.onYield = [&](int64_t) {
            if (t.asker.answers.size() == 3) t.w->countButton->click();
        };
        QFile::remove(out);
        t.w->countButton->click();
        t.verifyIdle();
        QCOMPARE(t.w->suppressWordsBox->isChecked(), true);
        // (then the box's own limit: the listing is in the file only)
        QCOMPARE(t.asker.titles(), (Titles{"Stop", "Counting interrupted", "Error"}));
        // The listing is kvx-count's of the text up to a line: ten words a line.
        const std::string listing = ReadFile(out);
        const size_t words = size_t(std::count(listing.begin(), listing.end(), '\n') - 1);
        size_t end = 0;
        for (size_t line = 0; line < words / 10; ++line) end = text.find('\n', end) + 1;
        WriteFile(QStringLiteral("prefix.txt"), text.substr(0, end));
        QCOMPARE(Run(std::string(KVX_COUNT_BIN) + " -o '" + cli.toStdString() + "' " + TempDir().toStdString() + "/prefix.txt"), 0);
        QCOMPARE(listing, ReadFile(cli));
        QVERIFY(words % 10 == 0 && words < 20000);
        QCOMPARE(t.asker.asked[0].text, " " + std::to_string(words) +
                                            " different words have been found.\nDo you really wish to stop?");
    }

    // A folder as the source: its text files in the order of their paths,
    // each under its own comment rules, listed as kvx-count lists them; a
    // folder with none, or a file that is no text, changes and writes nothing.
    void corpusAsTheSource() {
        Window& t = *win;
        const QString dir = TempDir() + QStringLiteral("/corpus");
        QDir(dir).removeRecursively();
        QDir().mkpath(dir + QStringLiteral("/sub"));
        QDir().mkpath(dir + QStringLiteral("/none"));
        WriteFile(QStringLiteral("corpus/b.txt"), kSmallText);
        WriteFile(QStringLiteral("corpus/a.html"), "<p>dog <b>sat</b></p> <!-- cat cat -->\r\n");
        WriteFile(QStringLiteral("corpus/sub/c.txt"), DistinctWords(300));
        WriteFile(QStringLiteral("corpus/skip.dat"), "zebra\r\n");
        const QString out = TempDir() + QStringLiteral("/corpus-out.txt");
        const QString cli = TempDir() + QStringLiteral("/corpus-cli.txt");
        t.setFile(1, out);
        t.w->params().warnOnOverwrite = 0;
        // The files are listed in the background; a corpus given meanwhile replaces the one listed.
        const auto take = [&](const QString& path, const QString& filter) {
            t.w->TakeCorpus({{path}, filter});
            QVERIFY(t.w->ListingCorpus());
            QTRY_VERIFY(!t.w->ListingCorpus());
        };
        t.asker.clear({Answer::OK});
        take(dir + QStringLiteral("/none"), QStringLiteral("*.txt"));
        QCOMPARE(t.asker.last().text, "No text files in " + dir.toStdString() + "/none.");
        QVERIFY(t.w->CorpusFiles().empty());
        t.w->session().SetJobs(3);
        t.w->TakeCorpus({{dir + QStringLiteral("/none")}, QStringLiteral("*.txt")});
        take(dir, QStringLiteral("*.txt;*.html"));
        QCOMPARE(t.asker.asked.size(), size_t(1));
        QCOMPARE(t.w->fileNameBoxes[0]->text(),
                 CorpusSizeText(3, qint64(kSmallText.size() + 41 + DistinctWords(300).size())));
        QCOMPARE(t.w->params().fileNames[0], t.w->CorpusFiles()[0]);  // what the state file names
        t.asker.clear();
        t.w->countButton->click();
        QVERIFY(t.asker.asked.empty());
        std::string files;
        for (const std::string& f : t.w->CorpusFiles()) files += " '" + f + "'";
        QCOMPARE(files, " '" + dir.toStdString() + "/a.html' '" + dir.toStdString() + "/b.txt' '" +
                            dir.toStdString() + "/sub/c.txt'");
        QCOMPARE(Run(std::string(KVX_COUNT_BIN) + " -o '" + cli.toStdString() + "'" + files), 0);
        QCOMPARE(ReadFile(out), ReadFile(cli));
        QCOMPARE(t.w->fileSizeLabel->text(), dir + QStringLiteral(" (*.txt;*.html)"));  // not a file's size
        // Saved and started again, the window has the same corpus.
        t.w->SaveStateNow();
        {
            Window again;
            QVERIFY(again.load());
            QTRY_COMPARE(again.w->CorpusFiles(), t.w->CorpusFiles());
        }
        QVERIFY(ReadFile(out).find("dog") != std::string::npos && ReadFile(out).find("cat ") == std::string::npos);
        // A file that is no text refuses the whole count.
        WriteFile(QStringLiteral("corpus/sub/d.txt"), std::string(3000, '\x01'));
        QFile::remove(out);
        // The count command given while the files are listed counts them once listed.
        t.w->TakeCorpus({{dir}, QStringLiteral("*.txt")});
        t.asker.clear({Answer::OK, Answer::OK});
        t.w->countButton->click();
        QTRY_VERIFY(!t.w->ListingCorpus());
        QVERIFY(t.waitCount());
        QVERIFY(!t.asker.asked.empty() && t.asker.asked[0].text.find("d.txt") != std::string::npos);
        QVERIFY(!QFile::exists(out));
        t.verifyIdle();
        // Files and folders dropped together make a corpus, with the filter used last.
        QMimeData data;
        data.setUrls({QUrl::fromLocalFile(dir + QStringLiteral("/b.txt")), QUrl::fromLocalFile(dir + QStringLiteral("/sub"))});
        QDropEvent drop(QPointF(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(t.w.get(), &drop);
        QTRY_COMPARE(t.w->CorpusFiles().size(), size_t(3));
        // Another input file ends the corpus.
        t.w->ClearFileName(0);
        QVERIFY(t.w->CorpusFiles().empty() && !t.w->fileNameBoxes[0]->isReadOnly());
    }

    // Quit, the close box or the window going away in the middle of a count
    // end it without a question and without an output file. The state is
    // saved once the count's thread is joined, with what the count took up.
    void quitDuringACount_data() {
        QTest::addColumn<int>("how");
        QTest::addColumn<bool>("parallel");
        QTest::newRow("Quit, one thread") << 0 << false;
        QTest::newRow("close box, on every core") << 1 << true;
        QTest::newRow("window destroyed, one thread") << 2 << false;
        QTest::newRow("window destroyed, on every core") << 2 << true;
    }

    void quitDuringACount() {
        QFETCH(int, how);
        QFETCH(bool, parallel);
        Window& t = *win;
        t.setFile(0, WriteFile(QStringLiteral("quit.txt"), DistinctWords(20000)));
        const QString out = TempDir() + QStringLiteral("/quit-out.txt");
        QFile::remove(out);
        t.setFile(1, out);
        t.w->session().SetJobs(2, 20000);
        t.w->suppressWordsBox->setChecked(parallel);
        bool ended = false;
        t.w->endProgram = [&] { ended = true; };
        t.asker.clear();
        if (how == 2) {
            t.w->StartOrStopCount();  // no wait
            QVERIFY(QTest::qWaitFor([&] { return t.w->countButton->text() == QStringLiteral("Stop"); }));
            t.w.reset();  // joins the count's thread
            return;
        }
        t.w->params().saveStateOnQuit = 1;
        t.asker.onYield = [&](int64_t n) {
            if (n != 5) return;
            t.w->suppressWordsBox->click();
            if (how == 0) t.w->quitButton->click();
            else t.w->close();
        };
        t.w->countButton->click();
        QVERIFY(ended);
        QVERIFY(t.asker.asked.empty());
        QVERIFY(!t.w->isVisible());
        QVERIFY(!QFile::exists(out));
        Params saved;
        QCOMPARE(RestoreSavedState(saved, StateFilePath().toStdString()), std::string());
        QCOMPARE(saved.suppressLiveWords, int16_t(!parallel));
    }
};

KVX_APP_TEST_MAIN(TestCounting)
#include "tst_counting.moc"
