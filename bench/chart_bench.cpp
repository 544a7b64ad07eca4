// Opens the chart window on a count of n different words (10^6 by default)
// and prints how long that took until both views were painted, then the
// time of each step: the rows, the chart data, drawing and painting.
//
//   kvx_chart_bench [WORDS] [RUNS]      (offscreen unless QT_QPA_PLATFORM is set)

#include <QApplication>
#include <QChartView>
#include <QElapsedTimer>
#include <QPushButton>
#include <QTabWidget>
#include <algorithm>
#include <cstdio>
#include <fstream>
#include <vector>

#include "ChartWindow.h"
#include "ScriptedAsker.h"
#include "words/ChartData.h"

using namespace kvx;

int main(int argc, char** argv) {
    const int64_t n = argc > 1 ? std::max(1LL, atoll(argv[1])) : 1000000;
    const int runs = argc > 2 ? std::max(1, atoi(argv[2])) : 3;
    kvx::test::PrepareEnvironment("/tmp/kvx-chart-bench", qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"));
    QApplication app(argc, argv);

    // n different six-letter words, word i occurring 1 + 1000 / (i + 1) times.
    const std::string input = "/tmp/kvx-chart-bench.txt", out = "/tmp/kvx-chart-bench-listing.txt";
    {
        std::ofstream f(input, std::ios::binary);
        for (int64_t i = 0; i < n; ++i) {
            std::string w(6, 'b');
            for (int k = 5, v = int(i); k >= 0; --k, v /= 25) w[size_t(k)] = char('b' + v % 25);
            for (int64_t j = 0; j <= 1000 / (i + 1); ++j) f << w << (i % 10 == 9 ? "\n" : " ");
        }
    }
    test::Window t;
    if (!t.load()) return 1;
    t.w->params().warnOnOverwrite = 0;
    t.w->params().suppressLiveWords = 1;
    t.w->suppressWordsBox->setChecked(true);
    t.setFile(0, QString::fromStdString(input));
    t.setFile(1, QString::fromStdString(out));
    t.w->show();
    t.w->StartOrStopCount();
    t.waitCount();  // the count runs on a thread of its own
    std::printf("%d words listed\n", t.w->session().NumWordsIncluded());

    // Paints both views, as the user sees them when going through the tabs.
    auto paintBoth = [](ChartWindow* chart) {
        for (int tab : {0, 1}) {
            chart->tabViews->setCurrentIndex(tab);
            QCoreApplication::sendPostedEvents();  // the layout of the tab shown
            (tab == 0 ? chart->chtBars : chart->chtRanks)->grab();
        }
    };
    // The first opening as the user sees it: the command to both views painted.
    QElapsedTimer timer;
    timer.start();
    t.w->ShowChart();
    paintBoth(t.w->chart());
    std::printf("opening the chart window: %.3f s\n", timer.nsecsElapsed() / 1e9);

    // Then its parts, again and again.
    for (int r = 0; r < runs; ++r) {
        timer.restart();
        const std::vector<ListedWord> rows = t.w->session().ListedWords();
        const double tRows = timer.nsecsElapsed() / 1e9;
        ChartData data = MakeChartData(rows);
        const double tData = timer.nsecsElapsed() / 1e9;
        const size_t points = data.curve.size();
        t.w->chart()->SetData(std::move(data), t.w->session().ListingsMade());
        paintBoth(t.w->chart());
        const double tAll = timer.nsecsElapsed() / 1e9;
        std::printf("run %d: rows %.3f s, chart data %.3f s (%zu points), drawn and painted %.3f s, total %.3f s\n",
                    r + 1, tRows, tData - tRows, points, tAll - tData, tAll);
    }
    return 0;
}
