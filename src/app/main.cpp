// kvx: the desktop word counter.
//
//   kvx [QT-OPTION]... [FILE]     the window, FILE chosen as the input file
//   kvx --version | --help        answered without opening a window

#include <QApplication>

#include <cstdio>
#include <cstring>
#include <string>

#include "FrmMain.h"
#include "base/Folder.h"
#include "base/Version.h"
#include "shell/MessageTable.h"

namespace {

const char* const kUsageText =
    "Usage: kvx [QT-OPTION]... [FILE]\n"
    "Counts the words of a text file or of the clipboard and lists them by frequency.\n"
    "FILE is chosen as the input file; a .kvx file is read as parameters.\n"
    "\n"
    "  -h, --help     show this help\n"
    "      --version  read the message texts and show the version\n";

// Loads the message texts as the window does at start-up, so that a
// package check sees the installed data files found.
int PrintVersion() {
    const std::string path = kvx::ProgramFolder() + "/kvx.dat";
    kvx::MessageTable texts;
    const int32_t r = texts.Load(path);
    if (r <= 0) {
        std::string text = kvx::MessageTable::LoadErrorText(r, path);
        std::erase(text, '\r');  // the message box's CR LF; a terminal wants LF
        std::fprintf(stderr, "kvx: %s\n", text.c_str());
        return 1;
    }
    std::printf("%s %s\n", texts.GetProgramText(1).c_str(), kvx::ProgramVersion().c_str());
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    for (int i = 1; i < argc && std::strcmp(argv[i], "--") != 0; ++i) {
        if (!std::strcmp(argv[i], "--help") || !std::strcmp(argv[i], "-h")) {
            std::fputs(kUsageText, stdout);
            return 0;
        }
        if (!std::strcmp(argv[i], "--version")) return PrintVersion();
    }
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("kvx"));
    QApplication::setDesktopFileName(QStringLiteral("org.example.kvx"));

    // What Qt left of the arguments: at most one file, "--" before a name
    // that begins with a dash.
    QStringList args = QApplication::arguments().mid(1);
    const bool optionsEnded = !args.isEmpty() && args.first() == QLatin1String("--");
    if (optionsEnded) args.removeFirst();
    if (args.size() > 1 || (!optionsEnded && !args.isEmpty() && args.first().startsWith(QLatin1Char('-')))) {
        std::fprintf(stderr, "kvx: %s\n%s",
                     args.size() > 1 ? "more than one file given"
                                     : ("unknown option '" + args.first().toStdString() + "'").c_str(),
                     kUsageText);
        return 2;
    }

    kvx::FrmMain frmMain;
    if (!frmMain.Form_Load()) return 1;
    if (!args.isEmpty()) frmMain.OpenFile(args.first());
    return QApplication::exec();
}
