// Takes the pictures of the manual: the main window before, during and after
// a count, and the help window, as data/manual-*.png.
// Usage: kvx_manual_shots <output folder> <text file>

#include <QApplication>
#include <QDir>
#include <QLineEdit>
#include <QPixmap>
#include <QPushButton>

#include "FrmHelp.h"
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
    auto save = [&](QWidget* w, const char* name) {
        QApplication::processEvents();
        w->grab().save(dir + QLatin1Char('/') + QLatin1String(name));
    };

    Window t;
    // Yes to the common-words question, OK to the loaded message.
    if (!t.load({Answer::Yes, Answer::OK})) return 1;
    t.w->resize(960, 700);
    t.w->txbFile[0]->setText(input);
    t.w->params().txbFile[0] = input.toStdString();
    t.w->session().ValidateInputFile(input.toStdString());
    t.w->SetTheFocus();
    save(t.w.get(), "manual-main-window.png");

    t.asker.answers = {Answer::No, Answer::No, Answer::No};
    t.asker.onYield = [&](int64_t n) {
        if (n == 40000) save(t.w.get(), "manual-counting.png");
    };
    t.w->cmdListWords->click();
    t.asker.onYield = nullptr;
    save(t.w.get(), "manual-result.png");

    t.w->cmdHelp->click();
    t.w->help()->resize(720, 560);
    save(t.w->help(), "manual-help-window.png");
    return 0;
}
