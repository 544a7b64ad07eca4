// The contexts window on a large text, offscreen: the time until the rows of
// WORD are in (the source read again on every core), then the time of each
// sort by the left and the right context, with the window's event loop
// stalled meanwhile (the longest gap between two timer ticks).
//
//   kvx_contexts_bench FILE WORD

#include <QApplication>
#include <QElapsedTimer>
#include <QHeaderView>
#include <QSignalSpy>
#include <QTableView>
#include <QTimer>
#include <algorithm>
#include <cstdio>

#include "ContextsWindow.h"
#include "ScriptedAsker.h"

using namespace kvx;

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: kvx_contexts_bench FILE WORD\n");
        return 2;
    }
    test::PrepareEnvironment("/tmp/kvx-contexts-bench");
    QApplication app(argc, argv);
    test::Window t;
    if (!t.load()) return 1;
    t.setFile(0, QString::fromLocal8Bit(argv[1]));
    t.w->suppressWordsBox->setChecked(true);
    t.asker.answers = {Answer::No};  // no output file
    t.w->StartOrStopCount();
    t.waitCount();
    QTest::qWait(200);  // the listing shown
    QElapsedTimer timer;
    timer.start();
    t.w->ShowContexts(QString::fromUtf8(argv[2]));
    ContextsWindow* c = t.w->contexts();
    if (!c) {
        std::fprintf(stderr, "no contexts: %s\n", t.asker.last().text.c_str());
        return 1;
    }
    QSignalSpy ended(c, &ContextsWindow::finished);
    if (c->Running() && !ended.wait(600000)) return 1;
    std::printf("rows of \"%s\": %d in %.3f s\n", argv[2], c->model.Total(), timer.nsecsElapsed() / 1e9);
    // The longest time the event loop went without a tick.
    QElapsedTimer tick;
    qint64 longest = 0;
    QTimer ticker;
    ticker.setInterval(10);
    QObject::connect(&ticker, &QTimer::timeout, [&] {
        longest = std::max(longest, tick.restart());
    });
    for (int column : {2, 4})
        for (Qt::SortOrder order : {Qt::AscendingOrder, Qt::DescendingOrder}) {
            QSignalSpy sorted(&c->model, &ContextsModel::sortingChanged);
            longest = 0;
            tick.start();
            ticker.start();
            timer.restart();
            c->view->sortByColumn(column, order);
            while (c->model.Sorting() && sorted.wait(600000)) {
            }
            const double took = timer.nsecsElapsed() / 1e9;
            QTest::qWait(50);
            ticker.stop();
            std::printf("sort by %s %s: %.3f s, the window stalled at most %lld ms\n", column == 2 ? "left" : "right",
                        order == Qt::AscendingOrder ? "ascending" : "descending", took, static_cast<long long>(longest));
        }
    return 0;
}
