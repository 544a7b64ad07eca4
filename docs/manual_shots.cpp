// Takes the pictures of the manual: the main window before, during and after
// a count, the chart window's two views, the parameters window and the help
// window, as data/manual-*.png.
// Usage: kvx_manual_shots <output folder> <text file>
// The manual's pictures, from the build folder (the text's path shows in them):
//   python3 ../bench/gen_text.py prose /tmp/kvx/sample.txt 600001
//   QT_QPA_PLATFORM=offscreen ./kvx_manual_shots ../data /tmp/kvx/sample.txt

#include <QApplication>
#include <QDir>
#include <QLineEdit>
#include <QPixmap>
#include <QPushButton>
#include <QSpinBox>
#include <QTabWidget>

#include "ChartWindow.h"
#include "HelpWindow.h"
#include "ParamsWindow.h"
#include "ScriptedAsker.h"

using namespace kvx;
using namespace kvx::test;

int main(int argc, char** argv) {
    if (argc < 3) return 2;
    PrepareEnvironment(KVX_APP_TEST_HOME, false);
    QApplication app(argc, argv);
    const QString dir = QString::fromLocal8Bit(argv[1]);
    const QString input = QString::fromLocal8Bit(argv[2]);
    QDir().mkpath(dir);
    // Lets the layouts and charts settle first (a chart redrawn for another
    // number of bars takes a few turns of the event loop), except under a
    // running count, which only gets its own turn.
    auto save = [&](QWidget* w, const char* name, bool settle = true) {
        if (settle) QTest::qWait(200);
        QApplication::processEvents();
        w->grab().save(dir + QLatin1Char('/') + QLatin1String(name));
    };

    Window t;
    // Yes to the common-words question, OK to the loaded message.
    if (!t.load({Answer::Yes, Answer::OK})) return 1;
    t.w->resize(960, 700);
    t.w->OpenFile(input);  // as "kvx FILE" does
    t.w->TimerTick();      // its once-a-second tidying of the commands
    save(t.w.get(), "manual-main-window.png");

    t.asker.answers = {Answer::No, Answer::No, Answer::No};
    t.asker.onYield = [&](int64_t n) {
        if (n == 40000) save(t.w.get(), "manual-counting.png", false);
    };
    t.w->countButton->click();
    t.asker.onYield = nullptr;
    save(t.w.get(), "manual-result.png");

    t.w->chartButton->click();
    ChartWindow* chart = t.w->chart();
    if (!chart) return 1;
    chart->spnTopWords->setValue(20);
    chart->resize(720, 640);
    save(chart, "manual-chart-bars.png");
    chart->tabViews->setCurrentIndex(1);
    save(chart, "manual-chart-ranks.png");
    chart->hide();

    t.w->setParametersButton->click();
    for (QWidget* top : QApplication::topLevelWidgets())
        if (auto* params = qobject_cast<ParamsWindow*>(top)) {
            // The common-words file where the installed program finds it.
            params->commonWordsFileBox->setText(QStringLiteral("/usr/share/kvx/cwds_en.txt"));
            save(params, "manual-parameters.png");
            params->hide();
        }

    t.w->helpButton->click();
    t.w->help()->resize(720, 560);
    save(t.w->help(), "manual-help-window.png");
    return 0;
}
