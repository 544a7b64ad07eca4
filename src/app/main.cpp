// kvx: the desktop word counter.
//
//   kvx [QT-OPTION]... [FILE]     the window, FILE chosen as the input file
//   kvx --version | --help        answered without opening a window

#include <QApplication>

#include <algorithm>
#include <cstdio>
#include <iterator>
#include <string>
#include <string_view>

#include "MainWindow.h"
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
    std::printf("%s %s\n", texts.Get(kvx::Message::ProgramTitle).c_str(), kvx::ProgramVersion().c_str());
    return 0;
}

// The options Qt's application object takes off the command line (with one
// dash or two), so that they can be told from ours before it starts: it
// needs a display, and a mistyped option must not wait for one.
bool QtOptionTakesValue(std::string_view name) {
    static const std::string_view kWithValue[] = {
        "platform", "platformpluginpath", "platformtheme", "plugin", "qwindowgeometry",
        "qwindowtitle", "qwindowicon", "geometry", "title", "icon", "session", "style",
        "stylesheet", "qmljsdebugger", "display", "name", "visual"};
    return std::find(std::begin(kWithValue), std::end(kWithValue), name) != std::end(kWithValue);
}

bool QtFlag(std::string_view name) {
    static const std::string_view kFlags[] = {"reverse", "testability", "widgetcount", "qdevel",
                                              "qdebug",  "nograb",      "dograb"};
    if (std::find(std::begin(kFlags), std::end(kFlags), name) != std::end(kFlags)) return true;
    for (std::string_view joined : {"style=", "stylesheet=", "qmljsdebugger="})
        if (name.starts_with(joined)) return true;
    return false;
}

int Usage(const std::string& fault) {
    std::fprintf(stderr, "kvx: %s\n%s", fault.c_str(), kUsageText);
    return 2;
}

// Reads the command line before any window exists: the exit status when the
// program ends here, -1 when the window is to start.
int ReadOptions(int argc, char** argv) {
    int files = 0;
    bool optionsEnded = false;
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        if (optionsEnded || !arg.starts_with('-')) {
            if (++files > 1) return Usage("more than one file given");
            continue;
        }
        if (arg == "--") {
            optionsEnded = true;
            continue;
        }
        if (arg == "--help" || arg == "-h") {
            std::fputs(kUsageText, stdout);
            return 0;
        }
        if (arg == "--version") return PrintVersion();
        const std::string_view name = arg.substr(arg.starts_with("--") ? 2 : 1);
        if (QtOptionTakesValue(name)) ++i;
        else if (!QtFlag(name)) return Usage("unknown option '" + std::string(arg) + "'");
    }
    return -1;
}

}  // namespace

int main(int argc, char** argv) {
    if (const int status = ReadOptions(argc, argv); status >= 0) return status;
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("kvx"));
    QApplication::setDesktopFileName(QStringLiteral("org.example.kvx"));

    // What Qt left of the arguments: at most one file, "--" before a name
    // that begins with a dash. An option of another window system (such as
    // -geometry away from X11) is left over and refused here.
    QStringList files;
    bool optionsEnded = false;
    for (const QString& arg : QApplication::arguments().mid(1)) {
        if (!optionsEnded && arg == QLatin1String("--")) optionsEnded = true;
        else if (!optionsEnded && arg.startsWith(QLatin1Char('-')))
            return Usage("unknown option '" + arg.toStdString() + "'");
        else files << arg;
    }
    if (files.size() > 1) return Usage("more than one file given");

    kvx::MainWindow mainWindow;
    if (!mainWindow.StartUp()) return 1;
    if (!files.isEmpty()) mainWindow.OpenFile(files.first());
    return QApplication::exec();
}
