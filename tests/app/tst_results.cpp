// What the window does with a finished result besides listing it: "Save
// listing as..." (the bytes of kvx-count --format) and the chart window.

#include <QBarSet>
#include <QChartView>
#include <QHorizontalBarSeries>

#include <QSignalSpy>

#include "ChartWindow.h"
#include "CorpusSource.h"
#include "KeywordsWindow.h"
#include "ParamsWindow.h"
#include "ScriptedAsker.h"
#include "TextGen.h"

using namespace kvx;
using namespace kvx::test;

namespace {

// Word k occurs 840 / k times: frequency = C / rank exactly.
std::string ZipfText() {
    const char* words[] = {"alpha", "bravo", "charlie", "delta", "echo", "foxtrot", "golf", "hotel"};
    std::string s;
    for (int k = 1; k <= 8; ++k)
        for (int i = 0; i < 840 / k; ++i) s += std::string(words[k - 1]) + (i % 10 == 9 ? "\r\n" : " ");
    return s;
}

}  // namespace

class TestResults : public WindowTest {
    Q_OBJECT

    bool ready() const { return win->w->saveListingButton->isEnabled() && win->w->chartButton->isEnabled(); }

private slots:
    void init() {
        freshWindow();
        win->setFile(0, WriteFile(QStringLiteral("zipf.txt"), ZipfText()));
        win->w->activateWindow();  // for the shortcuts
        QVERIFY(QTest::qWaitForWindowActive(win->w.get()));
    }

    void commandsOfferOnlyTheListingShown() {
        Window& t = *win;
        QVERIFY(!ready());
        t.w->countButton->click();
        QVERIFY(ready());
        int yieldsReady = 0;
        t.asker.onYield = [&](int64_t) { yieldsReady += ready(); };
        t.w->countButton->click();  // a count
        const int yields = t.asker.core.yields;
        Select(t.w->wordOrderList, 1);  // and a re-listing
        QVERIFY(yields > 0 && t.asker.core.yields > yields);
        QCOMPARE(yieldsReady, 0);
        QVERIFY(ready());
        // A parameter that changes what the listing holds: both wait, and the
        // open chart is emptied, until it is back as it was.
        t.w->chartButton->click();
        const ChartWindow* chart = t.w->chart();
        Select(t.panel().shortWordSizeList, 4);
        QVERIFY(!ready() && chart->listing() == -1 && !chart->saveImageButton->isEnabled());
        Select(t.panel().shortWordSizeList, 1);
        QVERIFY(ready() && chart->listing() == t.w->session().ListingsMade());
        // A count refused after it emptied the listing: both wait for the next listing.
        WriteFile(QStringLiteral("zipf.txt"), std::string(3000, '\x01'));
        t.asker.answers = {Answer::OK};  // not a text file
        t.w->countButton->click();
        QVERIFY(!ready() && chart->listing() == -1 && t.output().empty());
        Select(t.w->wordOrderList, 0);
        QVERIFY(ready() && chart->listing() == t.w->session().ListingsMade());
    }

    void saveListingAs_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("chosenType");
        QTest::addColumn<QString>("savedAs");
        QTest::addColumn<QString>("start");  // the bytes: kvx-count --format's tests
        QTest::addColumn<int>("order");
        QTest::newRow("csv by its name") << "a.csv" << "" << "a.csv" << "rank,frequency,word\r\n1,840,alpha\r\n" << 0;
        QTest::newRow("the name wins over the type") << "b.JSON" << "TSV (*.tsv)" << "b.JSON" << "{\"wordsInList\":8," << 0;
        QTest::newRow("tsv by the type, alphabetical") << "c" << "TSV (*.tsv)" << "c.tsv" << "rank\tfrequency\tword\n1\t840\talpha\n" << 1;
    }

    void saveListingAs() {
        QFETCH(QString, name);
        QFETCH(QString, chosenType);
        QFETCH(QString, savedAs);
        QFETCH(QString, start);
        QFETCH(int, order);
        Window& t = *win;
        t.w->countButton->click();
        Select(t.w->wordOrderList, order);
        QFile::remove(TempDir() + "/" + savedAs);
        t.asker.clear();
        t.asker.files = {TempDir() + "/" + name};
        t.asker.saveFilter = chosenType;
        QTest::keyClick(t.w.get(), Qt::Key_S, Qt::ControlModifier | Qt::ShiftModifier);
        QCOMPARE(t.asker.dialogTitles, QStringList{"Save listing as"});
        QVERIFY(t.asker.asked.empty());
        const std::string saved = ReadFile(TempDir() + "/" + savedAs);
        QVERIFY2(saved.starts_with(start.toStdString()), saved.c_str());
        // An existing file is replaced only when the user says so.
        t.asker.files = {TempDir() + "/" + savedAs};
        t.asker.answers = {Answer::No};
        Select(t.w->wordOrderList, 1 - order);
        t.w->saveListingButton->click();
        QCOMPARE(ReadFile(TempDir() + "/" + savedAs), saved);
        // A folder that is not there is reported.
        t.asker.files = {TempDir() + "/absent/" + savedAs};
        t.asker.answers = {Answer::OK};
        t.w->saveListingButton->click();
        QCOMPARE(t.asker.titles(), (Titles{"Save listing as", "Save listing as"}));
        QCOMPARE(t.asker.last().text, std::string("The listing was not saved.\nError 53: File not found"));
    }

    void chartFollowsTheListing() {
        Window& t = *win;
        t.w->countButton->click();
        QTest::keyClick(t.w.get(), Qt::Key_G, Qt::ControlModifier);
        ChartWindow* chart = t.w->chart();
        QVERIFY(chart && chart->isVisible());
        QCOMPARE(chart->data().bars.front().word, std::string("alpha"));
        QCOMPARE(chart->data().fitRanks, int64_t(8));
        QVERIFY(qAbs(chart->data().slope + 1) < 1e-9);
        QCOMPARE(chart->slopeLabel->text(), QStringLiteral("Slope of the line: -1.00    Zipf exponent: 1.00"));
        auto barsDrawn = [&] {
            auto* s = static_cast<QHorizontalBarSeries*>(chart->chtBars->chart()->series().value(0));
            return s ? s->barSets().value(0)->count() : -1;
        };
        QCOMPARE(barsDrawn(), 8);
        // A re-listing hands the chart the new listing; a new count too.
        const int64_t before = chart->listing();
        Select(t.w->wordOrderList, 1);
        QVERIFY(chart->listing() > before);
        QCOMPARE(chart->data().bars.front().word, std::string("alpha"));
        t.setFile(0, WriteFile(QStringLiteral("many.txt"), DistinctWords(150)));
        t.w->countButton->click();
        QCOMPARE(chart->data().words, int64_t(150));
        QCOMPARE(barsDrawn(), 30);
        chart->spnTopWords->setValue(12);
        QCOMPARE(barsDrawn(), 12);
        QCOMPARE(chart->slopeLabel->text(), QStringLiteral("Slope of the line: 0.00    Zipf exponent: 0.00"));
        // "Save image..." writes the open tab, as PNG or SVG by the name or the type chosen.
        const std::tuple<int, const char*, const char*, const char*> images[] = {
            {0, "bars.png", "", "\x89PNG"}, {1, "ranks", "SVG image (*.svg)", "<?xml"}};
        for (const auto& [tab, name, type, start] : images) {
            chart->tabViews->setCurrentIndex(tab);
            t.asker.files = {TempDir() + "/" + name};
            t.asker.saveFilter = QString::fromLatin1(type);
            chart->saveImageButton->click();
            QCOMPARE(t.asker.lastOwner, static_cast<QWidget*>(chart));
            QVERIFY(ReadFile(TempDir() + "/" + (tab ? "ranks.svg" : name)).starts_with(start));
        }
    }

    // "Compare with..." counts a reference (a file, counts files or a
    // corpus) under the same rules in the background and lists the
    // keywords; the options choose the rows without counting again.
    void compareWithAReference() {
        Window& t = *win;
        t.w->countButton->click();
        std::string ref;
        for (int i = 0; i < 100; ++i) ref += "alpha bravo charlie delta echo foxtrot golf\n";
        const QString dir = TempDir() + QStringLiteral("/refs");
        QDir().mkpath(dir + QStringLiteral("/sub"));
        WriteFile(QStringLiteral("refs/a.txt"), ref.substr(0, 2200));
        WriteFile(QStringLiteral("refs/sub/b.txt"), ref.substr(2200));
        std::string hotels;
        for (int i = 0; i < 300; ++i) hotels += "hotel ";
        WriteFile(QStringLiteral("refs/c.dat"), hotels);  // not in the filter
        KeywordsWindow* k = nullptr;
        const auto compare = [&](const QStringList& paths, bool stop = false) {
            t.w->CompareWith(CorpusChoice{paths, QStringLiteral("*.txt")});
            k = t.w->keywords();
            QVERIFY(k && k->isVisible() && k->Running());  // the window does not wait for the count
            QSignalSpy ended(k, &KeywordsWindow::finished);
            if (stop) k->stopButton->click();
            QVERIFY(ended.wait());
            QVERIFY(!k->stopButton->isVisible());
        };
        // Stopped, nothing is compared and nothing is asked.
        t.asker.clear();
        compare({dir}, true);
        QCOMPARE(k->model.rowCount(), 0);
        QVERIFY(t.asker.asked.empty());
        compare({dir});
        auto words = [&] {
            std::string s;
            for (int i = 0; i < k->model.rowCount(); ++i) s += k->model.Row(i).word + " ";
            return s;
        };
        QCOMPARE(words(), std::string("alpha hotel bravo "));  // used more here, by G2
        QCOMPARE(k->model.data(k->model.index(1, 2), Qt::DisplayRole).toString(), QStringLiteral("0"));
        k->underUsedBox->setChecked(true);
        QCOMPARE(words(), std::string("alpha hotel bravo golf foxtrot echo delta "));
        k->minFrequencyBox->setValue(200);  // here for those used more, there for the others
        QCOMPARE(words(), std::string("alpha bravo "));
        k->view->sortByColumn(0, Qt::DescendingOrder);
        QCOMPARE(words(), std::string("bravo alpha "));
        // A counts file made under other word rules is refused, as kvx-count refuses it.
        t.asker.answers = {Answer::OK};
        compare({WriteFile(QStringLiteral("other.counts"),
                           "kvx-counts 1\nrules 0123456789abcdef\noccurrences 1\nwords 1\n1\tcat\n")});
        QVERIFY(t.asker.last().text.find("/other.counts: The counts were made under other word rules") != std::string::npos);
        QCOMPARE(words(), std::string("bravo alpha "));
    }
};

KVX_APP_TEST_MAIN(TestResults)
#include "tst_results.moc"
