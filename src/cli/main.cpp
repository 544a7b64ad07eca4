// kvx-count: counts the words of one file with the program's own rules and
// writes the listing exactly as the desktop program writes its output file.
//
//   kvx-count [-p PARAMS] [-o OUTPUT] INPUT
//
// Exit status: 0 counted (also when no word survived the rules), 1 refused
// (message on standard error, nothing written), 2 bad usage.

#include <unistd.h>

#include <cerrno>
#include <clocale>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iostream>
#include <string>
#include <sys/stat.h>

#include "base/Errors.h"
#include "base/Folder.h"
#include "cli/CliHost.h"
#include "counting/CountingSession.h"
#include "params/Params.h"
#include "shell/MessageTable.h"
#include "state/StateFile.h"

namespace {

constexpr int kOk = 0;
constexpr int kRefused = 1;
constexpr int kUsage = 2;

const char* const kUsageText =
    "Usage: kvx-count [-p PARAMS] [-o OUTPUT] INPUT\n"
    "Counts the different words of INPUT and lists them.\n"
    "\n"
    "  -p PARAMS   parameter file saved by KVX (default: the first-start parameters)\n"
    "  -o OUTPUT   write the listing to OUTPUT (default: standard output)\n"
    "  --help      show this help\n"
    "  --version   show the version\n"
    "\n"
    "The result counts go to standard error. Exit status: 0 counted, 1 refused,\n"
    "2 bad usage.\n";

// Messages are written with CR LF inside; a terminal wants LF.
void PrintMessage(const std::string& text) {
    std::string s;
    s.reserve(text.size() + 1);
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') continue;
        s += text[i] == '\r' ? '\n' : text[i];
    }
    std::fprintf(stderr, "%s\n", s.c_str());
}

int Refuse(const std::string& text) {
    PrintMessage(text.empty() ? std::string("The count was refused.") : text);
    return kRefused;
}

bool IsRegularOrMissing(const std::string& path) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) return errno == ENOENT;
    return S_ISREG(st.st_mode);
}

}  // namespace

int main(int argc, char** argv) {
    std::setlocale(LC_ALL, "");
    std::signal(SIGPIPE, SIG_IGN);

    std::string paramsPath, outputPath, inputPath;
    bool haveParams = false, haveOutput = false;
    for (int i = 1; i < argc; ++i) {
        std::string a = argv[i];
        if (a == "--help" || a == "-h") {
            std::fputs(kUsageText, stdout);
            return kOk;
        }
        if (a == "--version") {
            std::printf("kvx-count %s\n", KVX_VERSION_STRING);
            return kOk;
        }
        if ((a == "-p" || a == "-o") && i + 1 < argc) {
            (a == "-p" ? paramsPath : outputPath) = argv[++i];
            (a == "-p" ? haveParams : haveOutput) = true;
        } else if (a == "--" && i + 1 == argc - 1 && inputPath.empty()) {
            inputPath = argv[++i];
        } else if (!a.empty() && a[0] == '-' && a != "-") {
            std::fprintf(stderr, "kvx-count: unknown option '%s'\n%s", a.c_str(), kUsageText);
            return kUsage;
        } else if (inputPath.empty()) {
            inputPath = a;
        } else {
            std::fprintf(stderr, "kvx-count: only one input file\n%s", kUsageText);
            return kUsage;
        }
    }
    if (inputPath.empty() || (haveParams && paramsPath.empty()) || (haveOutput && outputPath.empty())) {
        std::fputs(kUsageText, stderr);
        return kUsage;
    }

    kvx::MessageTable texts;
    const std::string datFile = kvx::ProgramFolder() + "/kvx.dat";
    int32_t r = texts.Load(datFile);
    if (r <= 0) return Refuse(kvx::MessageTable::LoadErrorText(r, datFile));

    kvx::Params params;
    if (haveParams) {
        std::string result = kvx::RestoreSavedState(params, paramsPath);
        if (!result.empty()) return Refuse(result);
    }
    params.optInFile = true;
    params.txbFile[0] = inputPath;
    params.txbFile[1] = outputPath;
    params.chkDisableOutputToFile = 0;
    params.chkSuppressWords = 1;

    kvx::CliHost host;
    kvx::CountingSession session(params, host, texts);
    session.blnStartUpCompleted = true;
    session.blnRequireExtension = false;

    if (params.chkIgnoreCommonWords == 1) {
        if (params.strCommonWordsFile.empty())
            return Refuse("Please specify the file containing common words.");
        if (!session.ReadCommonWordsFile()) return Refuse(host.lastMessage());
    }

    int status = kOk;
    bool listed = false;
    session.listingOverride = [&] {
        listed = true;
        // A count broken by a read error is incomplete: refused below, nothing written.
        if (session.blnErrorReported) return;
        kvx::Lister& lister = session.lister;
        if (session.results.lngNumWordsIncluded == 0) {
            lister.ShowNoWordsMessage();
            // The message goes to the output box; here it goes to standard error.
            return;
        }
        lister.blnWritingToFile = true;
        if (!haveOutput) {
            std::ios::sync_with_stdio(false);
            lister.WriteListing(std::cout);
            std::cout.flush();
            if (!std::cout) {
                if (errno == EPIPE) std::exit(kOk);  // reader went away: end quietly
                PrintMessage(std::string("Error writing the listing: ") + std::strerror(errno));
                status = kRefused;
            }
            return;
        }
        // A regular file is replaced only once the whole listing is written.
        const bool viaTemp = IsRegularOrMissing(outputPath);
        std::string target = outputPath;
        if (viaTemp) {
            // A fresh name beside the output, so no file of the user's is touched.
            target = outputPath + ".XXXXXX";
            int fd = ::mkstemp(target.data());
            if (fd < 0) {
                kvx::RunError e = kvx::ErrorFromErrno(errno);
                PrintMessage(texts.GetProgramText(34) + " " + std::to_string(e.number) + ": " +
                             e.description);
                status = kRefused;
                return;
            }
            mode_t mask = ::umask(0);
            ::umask(mask);
            ::fchmod(fd, 0666 & ~mask);  // as an ordinary new file would get
            ::close(fd);
        }
        std::ofstream out(target, std::ios::binary | std::ios::trunc);
        if (!out) {
            if (viaTemp) std::remove(target.c_str());
            kvx::RunError e = kvx::ErrorFromErrno(errno);
            PrintMessage(texts.GetProgramText(34) + " " + std::to_string(e.number) + ": " +
                         e.description);
            status = kRefused;
            return;
        }
        lister.WriteListing(out);
        out.close();
        if (!out) {
            kvx::RunError e = kvx::ErrorFromErrno(errno ? errno : EIO);
            if (viaTemp) std::remove(target.c_str());
            PrintMessage(texts.GetProgramText(34) + " " + std::to_string(e.number) + ": " +
                         e.description + " (the listing was not written)");
            status = kRefused;
            return;
        }
        if (viaTemp && std::rename(target.c_str(), outputPath.c_str()) != 0) {
            kvx::RunError e = kvx::ErrorFromErrno(errno);
            std::remove(target.c_str());
            PrintMessage(texts.GetProgramText(34) + " " + std::to_string(e.number) + ": " +
                         e.description);
            status = kRefused;
        }
    };

    session.CountWords();
    if (!session.blnCountRan) return Refuse(host.lastMessage());
    if (session.blnErrorReported) return Refuse(host.lastMessage());
    if (!listed) return Refuse(host.lastMessage());  // an error ended the count
    if (status != kOk) return status;
    if (session.results.lngNumWordsIncluded == 0) PrintMessage(host.outputText());
    for (const std::string& label : session.ResultLabelTexts())
        if (!label.empty()) PrintMessage(label);
    return kOk;
}
