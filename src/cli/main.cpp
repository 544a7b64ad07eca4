// kvx-count: counts the words of one file with the program's own rules and
// writes the listing exactly as the desktop program writes its output file.
//
//   kvx-count [-p PARAMS] [-o OUTPUT] INPUT
//
// Exit status: 0 counted (also when no word survived the rules), 1 refused
// (message on standard error, nothing written), 2 bad usage.

#include <cerrno>
#include <clocale>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <iostream>
#include <string>

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

}  // namespace

int main(int argc, char** argv) {
    std::setlocale(LC_ALL, "");
    std::signal(SIGPIPE, SIG_IGN);
    std::ios::sync_with_stdio(false);  // the listing is written through std::cout

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

    session.SetListingSink(haveOutput ? kvx::ListingSink::File : kvx::ListingSink::StandardOutput);
    session.CountWords();
    const kvx::ListingOutcome& listing = session.LastListing();
    // Refused before it began, broken by a read error, or ended by an error
    // before the listing: the message says why.
    if (!session.blnCountRan || session.blnErrorReported || !listing.attempted)
        return Refuse(host.lastMessage());
    if (listing.error.number != 0) {
        if (!haveOutput) {
            if (listing.err == EPIPE) return kOk;  // the reader went away: end quietly
            PrintMessage(std::string("Error writing the listing: ") + std::strerror(listing.err));
        } else {
            PrintMessage(host.lastMessage() +
                         (listing.failedWriting ? " (the listing was not written)" : ""));
        }
        return kRefused;
    }
    if (session.NumWordsIncluded() == 0) PrintMessage(host.outputText());
    for (const std::string& label : session.ResultLabelTexts())
        if (!label.empty()) PrintMessage(label);
    return kOk;
}
