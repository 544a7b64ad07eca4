// Counts a text through the main window offscreen, with the live display of
// words on, and through the same core as kvx-count does without a window, and
// prints both wall times and their ratio. Also counts the paint events the
// window got during the count, to show that it keeps repainting.
//
//   kvx_window_bench FILE [RUNS]

#include <QApplication>
#include <QElapsedTimer>
#include <QEvent>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <algorithm>
#include <cstdio>
#include <vector>

#include "ScriptedAsker.h"
#include "base/Folder.h"
#include "counting/CountingSession.h"
#include "shell/Host.h"
#include "shell/MessageTable.h"

using namespace kvx;

namespace {

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

// The core alone, as kvx-count runs it: no display, listing to a file.
double CountWithoutWindow(const std::string& path, const std::string& out) {
    MessageTable texts;
    texts.Load(ProgramFolder() + "/kvx.dat");
    Params p;
    p.txbFile[0] = path;
    p.txbFile[1] = out;
    p.chkWarnOnOverwrite = 0;
    struct Quiet : Host {
        Answer message(std::string_view, std::string_view, Icon, Buttons b) override {
            return b == Buttons::YesNoCancel ? Answer::No : (b == Buttons::YesNo ? Answer::Yes : Answer::OK);
        }
    } host;
    CountingSession s(p, host, texts);
    s.blnStartUpCompleted = true;
    QElapsedTimer t;
    t.start();
    s.CountWords();
    return t.nsecsElapsed() / 1e9;
}

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
        std::fprintf(stderr, "usage: kvx_window_bench FILE [RUNS]\n");
        return 2;
    }
    kvx::test::PrepareEnvironment("/tmp/kvx-window-bench");
    QApplication app(argc, argv);
    const QString input = QString::fromLocal8Bit(argv[1]);
    const int runs = argc > 2 ? std::max(1, atoi(argv[2])) : 3;
    const std::string out = "/tmp/kvx-window-bench-listing.txt";

    std::vector<double> window, core;
    int64_t paints = 0;
    for (int r = 0; r < runs; ++r) {
        test::Window t;
        if (!t.load()) return 1;
        t.w->params().chkWarnOnOverwrite = 0;
        t.w->txbFile[0]->setText(input);
        t.w->params().txbFile[0] = input.toStdString();
        t.w->txbFile[1]->setText(QString::fromStdString(out));
        t.w->params().txbFile[1] = out;
        t.w->EnableOutputFileControls();
        t.w->show();
        QApplication::processEvents();
        PaintCounter counter;
        app.installEventFilter(&counter);
        QElapsedTimer timer;
        timer.start();
        t.w->cmdListWords_Click();
        window.push_back(timer.nsecsElapsed() / 1e9);
        app.removeEventFilter(&counter);
        paints = counter.paints;
        core.push_back(CountWithoutWindow(input.toStdString(), out));
    }
    const double w = Median(window), c = Median(core);
    std::printf("window (live display on)  %7.3f s\n", w);
    std::printf("core alone (kvx-count)    %7.3f s\n", c);
    std::printf("window / core = %.2f  (target <= 1.5); %lld paint events during the last count\n",
                w / c, static_cast<long long>(paints));
    return 0;
}
