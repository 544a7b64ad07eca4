// kvx: the desktop word counter.

#include <QApplication>

#include "FrmMain.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("kvx"));
    QApplication::setDesktopFileName(QStringLiteral("kvx"));
    kvx::FrmMain frmMain;
    if (!frmMain.Form_Load()) return 1;
    return QApplication::exec();
}
