// kvx-count: counts the words of files, or of standard input, with the
// program's own rules and writes the listing exactly as the desktop program
// writes its output file, or in a format for other programs.
//
//   kvx-count [-q] [-p PARAMS] [-o OUTPUT] [-j N] [--type EXT] [--format FORMAT] [INPUT]...
//   kvx-count --counts [-p PARAMS] [-o FILE] [--type EXT] [INPUT]...
//   kvx-count --merge [-p PARAMS] [-o OUTPUT] [--format FORMAT] [COUNTS]...
//   kvx-count --phrases N [OPTION]... [INPUT]...
//   kvx-count --contexts WORD [--width N] [OPTION]... [INPUT]...
//   kvx-count --keyness REF [--under] [--min-g2 X] [--min-freq N] [--format FORMAT] [INPUT]...
//
// Exit status: 0 counted (also when no word survived the rules), 1 refused
// (message on standard error, nothing written), 2 bad usage.

#include <fcntl.h>
#include <getopt.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <cerrno>
#include <clocale>
#include <csignal>
#include <cstdio>
#include <cctype>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <optional>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "base/Errors.h"
#include "base/Folder.h"
#include "base/Version.h"
#include "cli/CliHost.h"
#include "cli/Progress.h"
#include "counting/CountingSession.h"
#include "files/FileChecks.h"
#include "files/OutputFile.h"
#include "params/Params.h"
#include "render/ResultTexts.h"
#include "shell/MessageTable.h"
#include "state/StateFile.h"
#include "scanning/WordText.h"
#include "text/Cp1252.h"
#include "text/Unicode.h"
#include "words/Keyness.h"
#include "words/Ranking.h"
#include "words/Listing.h"
#include "words/Phrases.h"

namespace {

constexpr int kOk = 0;
constexpr int kRefused = 1;
constexpr int kUsage = 2;

const char* const kStdinName = "standard input";
const char* const kStdoutName = "standard output";

const char* const kUsageText =
    "Usage: kvx-count [OPTION]... [INPUT]...\n"
    "Counts the different words of the INPUTs as one text (standard input when\n"
    "INPUT is - or missing) and lists them.\n"
    "\n"
    "  -p, --params=PARAMS  parameter file saved by KVX (default: the first-start\n"
    "                       parameters)\n"
    "  -o, --output=OUTPUT  write the listing to OUTPUT (default and -: standard output)\n"
    "      --type=EXT       read INPUT with the comment and markup rules of files\n"
    "                       ending in .EXT (html, xml, php, c, ...); standard input\n"
    "                       has none unless given\n"
    "      --format=FORMAT  listing (default, as the window writes it), csv, tsv\n"
    "                       or json\n"
    "  -j, --jobs=N         count with N threads (default: the number of cores)\n"
    "      --letters=SET    western (default: the letters of Windows-1252) or\n"
    "                       unicode (the letters of every script)\n"
    "      --collation=LANG alphabetical order of language LANG (de, sv, ...) under\n"
    "                       --letters unicode (default: the locale's language)\n"
    "      --counts         write the raw counts of the INPUTs (a counts file)\n"
    "                       instead of the listing\n"
    "      --merge          add the counts files given as INPUTs, in their order,\n"
    "                       and list them as one count over all their inputs\n"
    "      --phrases=N      count and list runs of N words (2 to 5) instead of words\n"
    "      --contexts=WORD  list where the INPUTs hold the listing's WORD, as tsv:\n"
    "                       file, line, text before, the word as written, text after\n"
    "      --width=N        the characters of text either side (default 40)\n"
    "      --keyness=REF    list the keywords of the INPUTs against REF, a text or a\n"
    "                       counts file (given again: a corpus), as tsv, csv or json\n"
    "      --under          list the under-used words too\n"
    "      --min-g2=X       the least log-likelihood listed (default 3.84)\n"
    "      --min-freq=N     the least frequency listed (default 1)\n"
    "  -q, --quiet          print neither the progress line nor the result counts\n"
    "      --progress       show the progress line also when standard error is not\n"
    "                       a terminal\n"
    "  -h, --help           show this help\n"
    "      --version        show the version\n"
    "\n"
    "The result counts go to standard error, and there, when it is a terminal, a\n"
    "line that tells how far a long count is. Long options may be abbreviated.\n"
    "Exit status: 0 counted, 1 refused, 2 bad usage.\n";

// Messages are written with CR LF inside; a terminal wants LF.
std::string Lines(const std::string& text) {
    std::string s;
    s.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') continue;
        s += text[i] == '\r' ? '\n' : text[i];
    }
    return s;
}

void PrintLabel(const std::string& text) { std::fprintf(stderr, "%s\n", Lines(text).c_str()); }

// "kvx-count: NAME: text", or "kvx-count: text" when the text names it first.
void PrintMessage(const std::string& name, const std::string& text) {
    std::string m = "kvx-count: ";
    if (!name.empty() && text.rfind(name + " ", 0) != 0) m += name + ": ";
    std::fprintf(stderr, "%s%s\n", m.c_str(), Lines(text).c_str());
}

int Refuse(const std::string& name, const std::string& text) {
    PrintMessage(name, text.empty() ? std::string("The count was refused.") : text);
    return kRefused;
}

// Without a limit of its own, the run may take three quarters of the
// machine's memory: a text of more different words than that holds is
// refused with a message instead of pushing the machine into swap.
int64_t LimitMemory() {
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
    return -1;  // a sanitizer's shadow memory alone is larger than any such limit
#endif
    struct rlimit rl {};
    if (::getrlimit(RLIMIT_AS, &rl) != 0) return -1;
    const long pages = ::sysconf(_SC_PHYS_PAGES), pageSize = ::sysconf(_SC_PAGESIZE);
    if (rl.rlim_cur != RLIM_INFINITY || pages <= 0 || pageSize <= 0) return -1;
    const rlim_t limit = rlim_t(pages) / 4 * 3 * rlim_t(pageSize);
    rl.rlim_cur = rl.rlim_max == RLIM_INFINITY ? limit : std::min(limit, rl.rlim_max);
    return ::setrlimit(RLIMIT_AS, &rl) == 0 ? int64_t(rl.rlim_cur) : -1;
}

// The word table's index and records are read at random: on huge pages
// their lookups miss the TLB far less, which halves the time of a count of
// millions of different words. The C library takes large blocks on huge
// pages when told so at start-up, so the program starts itself once more
// with that setting; when it cannot, it goes on as it is.
void UseHugePages(char** argv) {
    const char* const kSetting = "glibc.malloc.hugetlb";
    const char* tunables = std::getenv("GLIBC_TUNABLES");
    if (tunables && std::strstr(tunables, kSetting)) return;
    std::string value = tunables && *tunables ? std::string(tunables) + ":" : std::string();
    value += std::string(kSetting) + "=1";
    if (::setenv("GLIBC_TUNABLES", value.c_str(), 1) != 0) return;
    ::execv("/proc/self/exe", argv);
}

int Usage(const std::string& problem) {
    std::fprintf(stderr, "kvx-count: %s\nTry 'kvx-count --help'.\n", problem.c_str());
    return kUsage;
}

const char* const kSameFile = "Output file cannot be the same as the input file.";

// The first of the files the run reads that OUTPUT would replace ("" when
// none): one of the same name, or, when the output is a regular file, one
// with the same device and inode: an input, the parameter file, the
// common-words file or standard input.
std::string ReadFileReplaced(const std::string& output, const std::vector<std::string>& read, bool fromStdin) {
    for (const std::string& name : read)
        if (name == output) return name;
    struct stat out {}, st {};
    if (::stat(output.c_str(), &out) != 0 || !S_ISREG(out.st_mode)) return {};
    for (const std::string& name : read)
        if (name != "-" && kvx::filecheck::SameFile(name, output)) return name;
    if (fromStdin && ::fstat(STDIN_FILENO, &st) == 0 && st.st_dev == out.st_dev && st.st_ino == out.st_ino)
        return kStdinName;
    return {};
}

struct Options {
    std::string params, output, type, format = "listing";
    int jobs = 0;  // 0: the number of cores
    std::vector<std::string> inputs;
    bool haveParams = false, haveOutput = false, haveType = false, haveFormat = false, haveKeyness = false;
    bool quiet = false, progress = false;
    bool everyScript = false;
    std::string collation;  // "" : the locale's language
    kvx::CountsMode counts = kvx::CountsMode::None;
    std::vector<std::string> references;  // --keyness
    kvx::KeynessOptions keyness;
    int phrases = 0;
    std::string contexts;  // --contexts: the word as given
    int width = 40;
    bool haveContexts = false, haveWidth = false;
};

// Values of the options without a short form.
enum : int { kType = 256, kFormat, kCounts, kMerge, kProgress, kVersion, kKeyness, kUnder, kMinG2, kMinFreq, kPhrases,
             kContexts, kWidth, kLetters, kCollation };

const option kLongOptions[] = {
    {"params", required_argument, nullptr, 'p'},  {"output", required_argument, nullptr, 'o'},
    {"type", required_argument, nullptr, kType},  {"format", required_argument, nullptr, kFormat},
    {"jobs", required_argument, nullptr, 'j'},    {"counts", no_argument, nullptr, kCounts},
    {"merge", no_argument, nullptr, kMerge},      {"quiet", no_argument, nullptr, 'q'},
    {"progress", no_argument, nullptr, kProgress}, {"help", no_argument, nullptr, 'h'},
    {"version", no_argument, nullptr, kVersion},  {"keyness", required_argument, nullptr, kKeyness},
    {"under", no_argument, nullptr, kUnder},      {"min-g2", required_argument, nullptr, kMinG2},
    {"min-freq", required_argument, nullptr, kMinFreq}, {"phrases", required_argument, nullptr, kPhrases},
    {"contexts", required_argument, nullptr, kContexts}, {"width", required_argument, nullptr, kWidth},
    {"letters", required_argument, nullptr, kLetters}, {"collation", required_argument, nullptr, kCollation},
    {nullptr, 0, nullptr, 0},
};

// The refusal of argument `arg` that getopt_long could not take (it
// returned '?'); letter is that of a short option, 0 for a long one.
int RefuseOption(const std::string& arg, int letter) {
    if (letter != 0) return Usage(std::string("unknown option '-") + char(letter) + "'");
    const std::string name = arg.substr(2, arg.find('=') - 2);
    std::string matches;
    int n = 0;
    for (const option* o = kLongOptions; o->name; ++o) {
        if (name == o->name && arg.find('=') != std::string::npos && o->has_arg == no_argument)
            return Usage("option '--" + name + "' takes no value");
        if (std::string_view(o->name).starts_with(name)) matches += (n++ ? ", --" : "--") + std::string(o->name);
    }
    if (n == 1 && arg.find('=') != std::string::npos) return Usage("option '" + matches + "' takes no value");
    if (n > 1) return Usage("option '" + arg + "' is ambiguous (" + matches + ")");
    return Usage("unknown option '" + arg + "'");
}

// Parses the arguments as getopt_long does (abbreviated long options,
// --name=value or --name value, bundled letters, -- ends the options, and
// options may follow the inputs); returns -1 to go on, else the exit status.
int ParseArguments(int argc, char** argv, Options& o) {
    ::opterr = 0;  // the messages are ours
    for (int c; (c = ::getopt_long(argc, argv, ":p:o:j:hq", kLongOptions, nullptr)) != -1;) {
        // The argument as written: with its value when joined to it.
        const std::string a = argv[::optarg && ::optarg == argv[::optind - 1] ? ::optind - 2 : ::optind - 1];
        if (c == '?') {
            const bool isLong = ::optopt == 0 || ::optopt >= kType || ::optopt == 'q' || ::optopt == 'h';
            return RefuseOption(a, isLong ? 0 : ::optopt);
        }
        if (c == ':')
            return Usage("option '" + (a.rfind("--", 0) == 0 ? a : std::string("-") + char(::optopt)) +
                         "' needs an argument");
        const std::string value = ::optarg ? ::optarg : "";
        if (::optarg && value.empty()) return Usage("option '" + a + "' needs a non-empty argument");
        switch (c) {
        case 'h':
            std::fputs(kUsageText, stdout);
            return kOk;
        case kVersion:
            std::printf("kvx-count %s\n", kvx::ProgramVersion().c_str());
            return kOk;
        case kCounts:
        case kMerge: {
            const auto mode = c == kCounts ? kvx::CountsMode::Write : kvx::CountsMode::Merge;
            if (o.counts != kvx::CountsMode::None && o.counts != mode)
                return Usage("--counts and --merge cannot go together");
            o.counts = mode;
            break;
        }
        case 'q': o.quiet = true; break;
        case kProgress: o.progress = true; break;
        case 'p': o.params = value, o.haveParams = true; break;
        case 'o': o.output = value, o.haveOutput = value != "-"; break;
        case kType:
            o.type = kvx::filecheck::GetFileExtension("." + value, true);
            o.haveType = true;
            break;
        case 'j': {
            char* end = nullptr;
            errno = 0;
            const long n = std::strtol(value.c_str(), &end, 10);
            if (*end != '\0' || errno != 0 || n < 1 || n > 1024 || !std::isdigit(static_cast<unsigned char>(value[0])))
                return Usage("option '" + a + "' needs a number of threads from 1 to 1024");
            o.jobs = static_cast<int>(n);
            break;
        }
        case kKeyness:
            if (value == "-") return Usage("the reference of --keyness must be a file");
            o.references.push_back(value);
            break;
        case kUnder: o.keyness.underUsed = o.haveKeyness = true; break;
        case kMinG2: {
            double x = -1;
            const auto r = std::from_chars(value.data(), value.data() + value.size(), x);
            if (r.ec != std::errc() || r.ptr != value.data() + value.size() || !(x >= 0) || !std::isfinite(x))
                return Usage("option '" + a + "' needs a number of at least 0");
            o.keyness.minG2 = x;
            o.haveKeyness = true;
            break;
        }
        case kMinFreq: {
            int64_t n = 0;
            const auto r = std::from_chars(value.data(), value.data() + value.size(), n);
            if (r.ec != std::errc() || r.ptr != value.data() + value.size() || n < 1)
                return Usage("option '" + a + "' needs a frequency of at least 1");
            o.keyness.minFrequency = n;
            o.haveKeyness = true;
            break;
        }
        case kContexts: o.contexts = value, o.haveContexts = true; break;
        case kWidth: {
            int n = 0;
            const auto r = std::from_chars(value.data(), value.data() + value.size(), n);
            if (r.ec != std::errc() || r.ptr != value.data() + value.size() || n < 0 || n > 1000)
                return Usage("option '" + a + "' needs a number of characters from 0 to 1000");
            o.width = n;
            o.haveWidth = true;
            break;
        }
        case kPhrases:
            if (value.size() != 1 || value[0] < '0' + kvx::kMinPhraseWords || value[0] > '0' + kvx::kMaxPhraseWords)
                return Usage("option '" + a + "' needs a number of words from 2 to 5");
            o.phrases = value[0] - '0';
            break;
        case kLetters:
            if (value != "western" && value != "unicode")
                return Usage("unknown letters '" + value + "' (western or unicode)");
            o.everyScript = value == "unicode";
            break;
        case kCollation:
            if (value.find_first_not_of("abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ_-") != std::string::npos)
                return Usage("unknown collation language '" + value + "' (a language code such as de or sv)");
            o.collation = value;
            break;
        case kFormat:
            if (value != "listing" && value != "csv" && value != "tsv" && value != "json")
                return Usage("unknown format '" + value + "' (listing, csv, tsv or json)");
            o.format = value;
            o.haveFormat = true;
            break;
        }
    }
    for (int i = ::optind; i < argc; ++i) {
        if (std::string_view(argv[i]) == "-" && std::count(o.inputs.begin(), o.inputs.end(), "-") > 0)
            return Usage("standard input given twice");
        o.inputs.push_back(argv[i]);
    }
    if (o.counts == kvx::CountsMode::Write && o.haveFormat)
        return Usage("--format lists words; --counts writes a counts file");
    if (o.counts == kvx::CountsMode::Merge && o.haveType)
        return Usage("--type reads texts; --merge reads counts files");
    if (o.phrases > 0 && (o.counts != kvx::CountsMode::None || !o.references.empty()))
        return Usage("--phrases cannot go with --counts, --merge or --keyness");
    if (o.haveWidth && !o.haveContexts) return Usage("--width goes with --contexts");
    if (o.haveContexts) {
        if (o.phrases > 0 || o.counts != kvx::CountsMode::None || !o.references.empty())
            return Usage("--contexts cannot go with --phrases, --counts, --merge or --keyness");
        if (o.haveFormat && o.format != "tsv") return Usage("--contexts writes tsv");
    }
    if (o.references.empty() && o.haveKeyness) return Usage("--under, --min-g2 and --min-freq go with --keyness");
    if (!o.references.empty()) {
        if (o.counts == kvx::CountsMode::Write) return Usage("--counts and --keyness cannot go together");
        if (o.format == "listing" && o.haveFormat) return Usage("--keyness writes tsv, csv or json");
        if (!o.haveFormat) o.format = "tsv";
    }
    return -1;
}

// Refuses a count that was refused before it began, ran out of memory or
// broke off at an error; -1 when it ran well.
int RefuseFailedCount(const kvx::CountResult& result, const std::string& inputName, int64_t memoryLimit) {
    if (result.outOfMemory)
        return Refuse(inputName, memoryLimit > 0 ? "Out of memory: the count needs more than " +
                                                       std::to_string(memoryLimit >> 20) +
                                                       " MiB, three quarters of this machine's memory."
                                                 : std::string("Out of memory."));
    if (!result.ran || result.failed || !result.listing.attempted)
        return Refuse(inputName, kvx::LastError(result.diagnostics));
    return -1;
}

// Prints the warnings of a count, one given for each input once.
void PrintWarnings(const kvx::CountResult& result, const std::string& paramsName) {
    std::string last;
    for (const kvx::Diagnostic& d : result.diagnostics) {
        if (d.kind != kvx::Diagnostic::Kind::Warning || d.text == last) continue;
        PrintMessage(paramsName, d.text);
        last = d.text;
    }
}

// A reference is read as counts files when one of them is named .counts or
// starts as a counts file does (only a regular file is looked into: a pipe
// can be read once); otherwise as texts.
bool IsCountsFile(const std::string& name) {
    if (name.size() > 7 && name.compare(name.size() - 7, 7, ".counts") == 0) return true;
    struct stat st {};
    if (::stat(name.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return false;  // a pipe is read once
    char head[15] = {};
    const int fd = ::open(name.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) return false;
    const ssize_t n = ::read(fd, head, sizeof head - 1);
    ::close(fd);
    std::string_view h(head, n > 0 ? size_t(n) : 0);
    if (h.starts_with("\xEF\xBB\xBF")) h.remove_prefix(3);
    return h.starts_with("kvx-counts ");
}

kvx::ListingFormat FormatNamed(const std::string& f) {
    if (f == "csv") return kvx::ListingFormat::Csv;
    if (f == "tsv") return kvx::ListingFormat::Tsv;
    if (f == "json") return kvx::ListingFormat::Json;
    return kvx::ListingFormat::Listing;
}

}  // namespace

int main(int argc, char** argv) {
    UseHugePages(argv);
    std::setlocale(LC_ALL, "");
    std::signal(SIGPIPE, SIG_IGN);
    kvx::OutputFile::RemoveTemporaryOnSignals();
    std::ios::sync_with_stdio(false);  // the listing is written through std::cout

    Options opt;
    if (int status = ParseArguments(argc, argv, opt); status >= 0) return status;
    const int64_t memoryLimit = LimitMemory();
    if (opt.inputs.empty()) opt.inputs.push_back("-");
    const bool fromStdin = std::count(opt.inputs.begin(), opt.inputs.end(), "-") > 0;
    const std::string outputName = opt.haveOutput ? opt.output : kStdoutName;

    kvx::MessageTable texts;
    const std::string datFile = kvx::ProgramFolder() + "/kvx.dat";
    int32_t r = texts.Load(datFile);
    if (r <= 0) return Refuse(datFile, kvx::MessageTable::LoadErrorText(r, datFile));

    kvx::Params params;
    if (opt.haveParams) {
        std::string result = kvx::RestoreSavedState(params, opt.params);
        if (!result.empty()) return Refuse(opt.params, result);
    }
    if (fromStdin) {
        const int flags = ::fcntl(STDIN_FILENO, F_GETFL);
        if (flags < 0) return Refuse(kStdinName, "is closed.");
        // A stream left non-blocking by whoever opened it would end the count
        // early with "try again"; this run waits for its input.
        if (flags & O_NONBLOCK) ::fcntl(STDIN_FILENO, F_SETFL, flags & ~O_NONBLOCK);
    }
    for (const std::string& input : opt.inputs) {
        struct stat st {};
        if (input != "-" && ::stat(input.c_str(), &st) == 0 && S_ISDIR(st.st_mode))
            return Refuse(input, "is a folder, not a file.");
    }
    if (opt.haveOutput) {
        std::vector<std::string> read = opt.inputs;
        read.insert(read.end(), opt.references.begin(), opt.references.end());
        if (opt.haveParams) read.push_back(opt.params);
        if (params.ignoreCommonWords == 1) read.push_back(params.commonWordsFile);
        const std::string replaced = ReadFileReplaced(opt.output, read, fromStdin);
        if (!replaced.empty()) return Refuse(replaced, kSameFile);
    }
    params.inputIsFile = true;
    params.fileNames[0] = opt.inputs[0] == "-" ? std::string() : opt.inputs[0];
    params.fileNames[1] = opt.haveOutput ? opt.output : std::string();
    params.outputToFileDisabled = 0;
    params.suppressLiveWords = 1;

    kvx::CliHost host;
    kvx::CountingSession session(params, host, texts);
    // Sets a session up for the options; false when the common words cannot be read.
    const auto setUp = [&](kvx::CountingSession& s) {
        s.startUpCompleted = true;
        s.namedStreams = true;
        s.notTextAdvice =
            "Convert it to plain text with the program it belongs to, and count the text\r\n"
            "file it saves.";
        if (opt.haveType) s.SetRulesExtension(opt.type);
        s.SetListingFormat(FormatNamed(opt.format));
        s.SetTableOnly(!opt.references.empty() || opt.haveContexts);
        s.SetJobs(opt.jobs > 0 ? opt.jobs : std::max(1, static_cast<int>(std::thread::hardware_concurrency())));
        s.SetMergedPieces(true);  // nothing shows the words as they are found
        s.SetLetters(opt.everyScript, opt.collation);
        return params.ignoreCommonWords != 1 || s.ReadCommonWordsFile();
    };
    if (fromStdin) session.SetInputStream(STDIN_FILENO, kStdinName);
    if (opt.inputs.size() > 1) session.SetInputs(opt.inputs);
    session.SetCountsMode(opt.counts);
    session.SetPhraseLength(opt.phrases);
    // The entry as the table holds it.
    std::string entry = opt.everyScript ? opt.contexts : kvx::text::utf8ToCp1252(opt.contexts);
    if (params.caseSignificant != 1)
        entry = opt.everyScript ? kvx::text::LowerUtf8(entry) : kvx::wordtext::LowerCaseExt(entry);
    if (opt.haveContexts) session.SetContexts(entry, opt.width);

    if (params.ignoreCommonWords == 1 && params.commonWordsFile.empty())
        return Refuse(opt.params, "Please specify the file containing common words.");
    if (!setUp(session)) return Refuse(params.commonWordsFile, kvx::LastError(session.Diagnostics()));

    session.SetListingSink(opt.haveOutput ? kvx::ListingSink::File : kvx::ListingSink::StandardOutput);
    // On a terminal a line tells how far the count is; it goes before the
    // first byte of a listing on standard output and before any message.
    std::optional<kvx::cli::ProgressLine> progress;
    std::streambuf* const standardOutput = std::cout.rdbuf();
    std::optional<kvx::cli::FirstWriteBuf> listingStart;
    if (opt.progress || (!opt.quiet && ::isatty(STDERR_FILENO))) {
        std::vector<int64_t> sizes;
        for (const std::string& input : opt.inputs) {
            struct stat st {};
            const bool known = input != "-" && ::stat(input.c_str(), &st) == 0 && S_ISREG(st.st_mode);
            sizes.push_back(known ? int64_t(st.st_size) : -1);
        }
        progress.emplace(STDERR_FILENO, [&session] { return session.BytesRead(); }, std::move(sizes));
        listingStart.emplace(standardOutput, [&progress] { progress->Stop(); });
        std::cout.rdbuf(&*listingStart);
    }
    const kvx::CountResult result = session.CountWords();
    if (progress) {
        progress->Stop();
        const std::ios::iostate state = std::cout.rdstate();  // rdbuf() clears it
        std::cout.rdbuf(standardOutput);
        std::cout.setstate(state);
    }
    const kvx::ListingOutcome& listing = result.listing;
    // Messages name the input they concern; one refused before any input was
    // looked at concerns the parameters.
    const std::string paramsName = opt.haveParams ? opt.params : std::string();
    const std::string inputName = session.CurrentInput().empty() ? paramsName : session.CurrentInput();
    // Refused before it began, broken by a read error, or ended by an error
    // before the listing: the message says why.
    if (int status = RefuseFailedCount(result, inputName, memoryLimit); status >= 0) return status;
    if (opt.haveContexts) {
        // The rows are those of the word as listed: a word the listing
        // leaves out has none.
        kvx::WordTable& table = session.CountedTable();
        kvx::FilterWords(table, params);
        const auto& records = table.Records();
        if (std::none_of(records.begin(), records.end(),
                         [&](const kvx::WordRecord& r) { return r.included && table.Word(r) == entry; }))
            return Refuse("", "\"" + opt.contexts + "\" is not in the listing.");
        PrintWarnings(result, paramsName);
        const kvx::ListingOutcome written =
            kvx::WriteOut(opt.haveOutput ? opt.output : std::string(), [&](std::ostream& out) {
                out << "file\tline\tleft\tword\tright\n";
                const kvx::ContextRows& rows = session.Contexts();
                // Under the letters of every script the texts are UTF-8
                // already; cp1252 bytes above 127 are written by a table.
                std::array<std::string, 256> utf8;
                for (int b = 128; b < 256; ++b) utf8[size_t(b)] = kvx::text::cp1252ToUtf8(std::string(1, char(b)));
                std::string buffer;
                buffer.reserve(1 << 17);
                const auto append = [&](std::string_view t) {
                    if (opt.everyScript) {
                        buffer += t;
                        return;
                    }
                    // Runs of ASCII at once.
                    for (size_t i = 0; i < t.size();) {
                        size_t j = i;
                        while (j < t.size() && static_cast<unsigned char>(t[j]) < 128) ++j;
                        buffer.append(t.data() + i, j - i);
                        if (j < t.size()) buffer += utf8[static_cast<unsigned char>(t[j++])];
                        i = j;
                    }
                };
                for (const kvx::ContextRow& row : rows.rows) {
                    const std::string& input = opt.inputs[size_t(row.input)];
                    buffer += input == "-" ? kStdinName : input;
                    char number[24];
                    buffer += '\t';
                    buffer.append(number, std::to_chars(number, number + sizeof number, row.line).ptr);
                    buffer += '\t';
                    append(rows.Left(row));
                    buffer += '\t';
                    append(rows.Word(row));
                    buffer += '\t';
                    append(rows.Right(row));
                    buffer += '\n';
                    if (buffer.size() >= (1 << 16)) {
                        out.write(buffer.data(), std::streamsize(buffer.size()));
                        buffer.clear();
                        if (!out) break;
                    }
                }
                out.write(buffer.data(), std::streamsize(buffer.size()));
            });
        if (written.error.number == 0 || written.err == EPIPE || (!opt.haveOutput && written.err == EBADF))
            return kOk;
        return Refuse(outputName, kvx::ErrorNumberText(texts.Get(kvx::Message::ErrorTitle), written.error));
    }
    if (!opt.references.empty()) {
        // The reference is counted (or its counts files added) under the
        // same rules, then both tables are compared.
        PrintWarnings(result, paramsName);
        kvx::CountingSession reference(params, host, texts);
        if (!setUp(reference)) return Refuse(params.commonWordsFile, kvx::LastError(reference.Diagnostics()));
        const bool counts = std::any_of(opt.references.begin(), opt.references.end(), IsCountsFile);
        reference.SetInputs(opt.references);
        reference.SetCountsMode(counts ? kvx::CountsMode::Merge : kvx::CountsMode::None);
        reference.SetListingSink(kvx::ListingSink::StandardOutput);
        const kvx::CountResult refResult = reference.CountWords();
        if (int status = RefuseFailedCount(refResult, reference.CurrentInput(), memoryLimit); status >= 0)
            return status;
        PrintWarnings(refResult, paramsName);
        const kvx::KeywordTable keywords =
            kvx::CompareWords(session.CountedTable(), reference.CountedTable(), params, opt.keyness);
        if (keywords.total == 0 || keywords.refTotal == 0)
            return Refuse(keywords.total == 0 ? inputName : reference.CurrentInput(),
                          "No words to compare.");
        const kvx::ListingFormat format = FormatNamed(opt.format);
        const kvx::ListingOutcome written = kvx::WriteOut(
            opt.haveOutput ? opt.output : std::string(),
            [&](std::ostream& out) { kvx::WriteKeywords(out, format, keywords); });
        if (written.error.number == 0 || written.err == EPIPE || (!opt.haveOutput && written.err == EBADF))
            return kOk;
        return Refuse(outputName, kvx::ErrorNumberText(texts.Get(kvx::Message::ErrorTitle), written.error));
    }
    if (listing.error.number != 0) {
        // The reader went away (also of a pipe named as OUTPUT) or never was: end quietly.
        if (listing.err == EPIPE || (!opt.haveOutput && listing.err == EBADF)) return kOk;
        return Refuse(outputName, kvx::ErrorNumberText(texts.Get(kvx::Message::ErrorTitle), listing.error) +
                                      (listing.failedWriting ? " (the listing was not written)" : ""));
    }
    PrintWarnings(result, paramsName);
    if (opt.counts == kvx::CountsMode::Write) return kOk;  // a counts file has no result labels
    if (result.wordsIncluded == 0)
        PrintMessage(opt.inputs.size() == 1 ? inputName : std::string(),
                     kvx::NoWordsMessageText(result.differentWords, params));
    const auto grouped = [&](int64_t n) { return host.formatGrouped(n); };
    for (const std::string& label : kvx::ResultLabelTexts(result, grouped))
        if (!label.empty() && !opt.quiet) PrintLabel(label);
    return kOk;
}
