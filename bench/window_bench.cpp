// Counts a text through the main window offscreen, the words not shown as
// found, so on every core: the time from "Count words" until the count has
// ended with its output file in place (the window's countEnded signal), the
// median of RUNS. Also counts the paint events the window got during the
// last count, to show that it keeps repainting. run_bench.py sets it against
// kvx-count on the same file. With PARAMS, a parameter file is loaded first
// (as if dropped on the window); with PIECE_BYTES the file is cut into
// pieces of that size, to compare the window's listing with kvx-count's.
//
//   kvx_window_bench FILE [RUNS [PARAMS [PIECE_BYTES]]]

#include <QApplication>
#include <QCheckBox>
#include <QElapsedTimer>
#include <QEvent>
#include <QFile>
#include <QLineEdit>
#include <QSignalSpy>
#include <algorithm>
#include <cstdio>
#include <thread>
#include <vector>

#include "ScriptedAsker.h"

using namespace kvx;

namespace {

// Counts the paint events the window's widgets receive.
struct PaintCounter : QObject {
    int64_t paints = 0;
    bool eventFilter(QObject* o, QEvent* e) override {
        if (e->type() == QEvent::Paint) ++paints;
        return QObject::eventFilter(o, e);
    }
};

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: kvx_window_bench FILE [RUNS [PARAMS [PIECE_BYTES]]]\n");
        return 2;
    }
    kvx::test::PrepareEnvironment("/tmp/kvx-window-bench");
    QApplication app(argc, argv);
    const QString input = QString::fromLocal8Bit(argv[1]);
    const int runs = argc > 2 ? std::max(1, atoi(argv[2])) : 3;
    const QString out = QStringLiteral("/tmp/kvx-window-bench-listing.txt");

    std::vector<double> times;
    int64_t paints = 0;
    for (int r = 0; r < runs; ++r) {
        test::Window t;
        if (!t.load()) return 1;
        if (argc > 3 && argv[3][0]) t.w->OpenFile(QString::fromLocal8Bit(argv[3]));
        if (argc > 4) t.w->session().SetJobs(int(std::max(2u, std::thread::hardware_concurrency())), atoll(argv[4]));
        t.w->params().warnOnOverwrite = 0;
        t.setFile(0, input);
        t.setFile(1, out);
        t.w->suppressWordsBox->setChecked(true);
        t.w->show();
        QFile::remove(out);
        PaintCounter counter;
        app.installEventFilter(&counter);
        QSignalSpy ended(t.w.get(), &MainWindow::countEnded);
        QElapsedTimer timer;
        timer.start();
        t.w->StartOrStopCount();
        while (ended.isEmpty() && ended.wait(600000)) {
        }
        times.push_back(timer.nsecsElapsed() / 1e9);
        app.removeEventFilter(&counter);
        paints = counter.paints;
        if (!QFile::exists(out)) {
            std::fprintf(stderr, "no output file\n");
            return 1;
        }
    }
    std::sort(times.begin(), times.end());
    std::printf("window %.3f s  (%lld paint events during the last count)\n", times[times.size() / 2],
                static_cast<long long>(paints));
    return 0;
}
