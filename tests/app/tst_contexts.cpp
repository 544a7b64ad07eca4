// The contexts of a listed word (counted again on a worker thread) and the
// phrases setting.

#include <QCheckBox>
#include <QClipboard>
#include <QDir>
#include <QGuiApplication>
#include <QLabel>
#include <QPlainTextEdit>
#include <QSignalSpy>
#include <QSpinBox>
#include <QTableView>
#include <numeric>

#include "ContextsWindow.h"
#include "CorpusSource.h"
#include "LettersSetting.h"
#include "ParamsWindow.h"
#include "PhrasesSetting.h"
#include "ScriptedAsker.h"

using namespace kvx;
using namespace kvx::test;

namespace {

const std::string kText =
    "The cat sat. Cats sat\ton the mat;\r\nthe CAT's mat, the cats' hat.\r\n"
    "A dog? The dogs!\r\n/* cat cat */ cat\r\n";

}  // namespace

class TestContexts : public WindowTest {
    Q_OBJECT

    // The contexts of word as the window finds them (waits for the count).
    ContextsWindow* contextsOf(const QString& word) {
        win->w->ShowContexts(word);
        ContextsWindow* c = win->w->contexts();
        if (c && c->Running()) QSignalSpy(c, &ContextsWindow::finished).wait(60000);
        return c;
    }

private slots:
    // Every listed word has as many rows as its frequency, whatever the
    // rules merge (final s, case) and leave out (comments), from the file
    // and from the clipboard, in a one-word-a-line layout and in the one-run one.
    void rowsMatchFrequencies_data() {
        QTest::addColumn<bool>("clipboard");
        QTest::addColumn<bool>("dropFinalS");
        QTest::addColumn<int>("format");
        QTest::addColumn<bool>("everyScript");
        QTest::newRow("file") << false << false << 0 << false;
        QTest::newRow("file, final s") << false << true << 3 << false;
        QTest::newRow("clipboard, one run") << true << true << 9 << false;
        QTest::newRow("clipboard, every script") << true << false << 1 << true;
    }
    void rowsMatchFrequencies() {
        QFETCH(bool, clipboard);
        QFETCH(bool, dropFinalS);
        QFETCH(int, format);
        QFETCH(bool, everyScript);
        Window& t = *win;
        t.panel().letters->everyScriptBox->setChecked(everyScript);
        t.w->params().dropFinalS = dropFinalS;
        t.w->params().displayFormat = int16_t(format);
        if (clipboard) {
            QGuiApplication::clipboard()->setText(QString::fromStdString(kText));
            t.w->clipboardSourceButton->click();
        } else {
            t.setFile(0, WriteFile(QStringLiteral("a.c"), kText));  // C comments skipped
        }
        t.w->countButton->click();
        if (clipboard) QGuiApplication::clipboard()->setText(QStringLiteral("other text"));
        t.asker.clear();
        const std::vector<ListedWord> words = t.w->session().ListedWords();
        QVERIFY(words.size() > 5);
        QTextDocument* doc = t.w->outputBox->document();
        for (size_t i = 0; i < words.size(); ++i) {
            // The row of the word in the box names it.
            QTextCursor at(doc->findBlockByNumber(int(i) + 1));
            if (format == 9) {
                const QStringList run = t.w->outputBox->toPlainText().split(QStringLiteral(", "));
                at = QTextCursor(doc);
                at.setPosition(int(std::accumulate(run.begin(), run.begin() + qsizetype(i), qsizetype(2 * i),
                                                   [](qsizetype n, const QString& w) { return n + w.size(); })));
            }
            QCOMPARE(t.w->ListedWordAt(at).toStdString(), words[i].word);
            ContextsWindow* c = contextsOf(QString::fromStdString(words[i].word));
            QVERIFY(c && !c->Running() && c->isVisible());
            QVERIFY2(c->summary->text().endsWith(QStringLiteral(" shown")), qPrintable(c->summary->text()));
            QCOMPARE(c->model.Total(), int(words[i].frequency));
        }
        QVERIFY2(t.asker.asked.empty(), t.asker.asked.empty() ? "" : t.asker.asked[0].text.c_str());
        // "cat" as written, aligned on it, in the order of the text.
        ContextsWindow* c = contextsOf(QStringLiteral("cat"));
        QVERIFY(c->model.Tsv({0}, true).startsWith(
            QStringLiteral("file\tline\tleft\tword\tright\n%1\t1\tThe \tcat\t sat. Cats sat on the mat;")
                .arg(clipboard ? QStringLiteral("Clipboard") : TempDir() + QStringLiteral("/a.c"))));
        QCOMPARE(c->model.index(1, 3).data().toString(), dropFinalS ? QStringLiteral("Cats") : QStringLiteral("CAT"));
    }

    // A corpus: the rows come from each of its files, named in the file column.
    void rowsOfACorpus() {
        Window& t = *win;
        QDir().mkpath(TempDir() + QStringLiteral("/ctx-corpus"));
        WriteFile(QStringLiteral("ctx-corpus/a.txt"), "one cat\r\n");
        WriteFile(QStringLiteral("ctx-corpus/b.txt"), "two\r\ncat cat\r\n");
        t.w->TakeCorpus({{TempDir() + QStringLiteral("/ctx-corpus")}, QStringLiteral("*.txt")});
        QTRY_VERIFY(!t.w->ListingCorpus());
        t.w->countButton->click();
        ContextsWindow* c = contextsOf(QStringLiteral("cat"));
        QVERIFY(c && c->model.Total() == 3);
        QCOMPARE(c->model.index(0, 0).data().toString(), TempDir() + QStringLiteral("/ctx-corpus/a.txt"));
        QCOMPARE(c->model.index(2, 0).data().toString() + c->model.index(2, 1).data().toString(),
                 TempDir() + QStringLiteral("/ctx-corpus/b.txt2"));
    }

    void refusalsAndSorting() {
        Window& t = *win;
        t.setFile(0, WriteFile(QStringLiteral("b.txt"), "bob ann xen. cid ann yel.\r\nDan ann xen.\r\n"));
        t.w->countButton->click();
        t.w->ShowContexts(QStringLiteral("zebra"));
        QVERIFY(!t.w->contexts());
        QCOMPARE(t.asker.last().text, std::string("\"zebra\" is not in the listing."));
        // Sorted by the right context, then by the left one read backwards.
        ContextsWindow* c = contextsOf(QStringLiteral("ann"));
        QVERIFY(c);
        const auto words = [&](int column) {
            QSignalSpy sorted(&c->model, &ContextsModel::sortingChanged);
            c->model.sort(column, Qt::AscendingOrder);
            while (c->model.Sorting() && sorted.wait()) {
            }
            QString s;
            for (int r = 0; r < c->model.Total(); ++r) s += c->model.index(r, column).data().toString().trimmed() + '|';
            return s;
        };
        QCOMPARE(words(4), QStringLiteral("xen.|xen. cid ann yel.|yel.|"));
        QCOMPARE(words(2), QStringLiteral("bob|bob ann xen. cid|Dan|"));  // letter case ignored
        // Saved whole, with the header line.
        const QString saved = TempDir() + QStringLiteral("/ctx.tsv");
        QCOMPARE(c->SaveTo(saved), QString());
        QCOMPARE(QString::fromStdString(ReadFile(saved)).count('\n'), 4);
        QVERIFY(!c->SaveTo(TempDir() + QStringLiteral("/no/such/ctx.tsv")).isEmpty());

        // Phrases: listed in the box, no contexts for them.
        PhrasesSetting* phrases = t.panel().phrases;
        phrases->phrasesBox->setChecked(true);
        phrases->lengthBox->setValue(3);
        t.w->countButton->click();
        QVERIFY2(t.output().find("bob ann xen") != std::string::npos, t.output().c_str());
        t.asker.clear();
        t.w->ShowContexts(QStringLiteral("bob ann xen"));
        QVERIFY(!c->isVisible() || c->model.Total() == 3);
        QCOMPARE(t.asker.last().text, std::string("Contexts are shown for words, not for phrases."));
        phrases->phrasesBox->setChecked(false);
    }
};

KVX_APP_TEST_MAIN(TestContexts)
#include "tst_contexts.moc"
