#include "counting/CountingSession.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <fstream>
#include <iostream>
#include <new>

#include "base/Errors.h"
#include "base/Folder.h"
#include "files/FileChecks.h"
#include "files/LineReader.h"
#include "files/OutputFile.h"
#include "scanning/WordText.h"
#include "scanning/TextLists.h"
#include "scanning/WordsToIgnore.h"
#include "text/Cp1252.h"
#include "words/CountsFile.h"
#include "counting/PrepareLine.h"
#include "words/Phrases.h"

namespace kvx {
namespace {

constexpr int64_t kLargeFile = 200000;
constexpr int64_t kCheckedBytes = 16384;
constexpr double kTolerance = 0.1;
constexpr int64_t kClipboardAdviceLimit = 102400;
constexpr int64_t kProgressBarMinimum = 10240;
constexpr int32_t kStopQuestionWords = 2000;
constexpr int64_t kPlainTextChecked = 3000;

}  // namespace

std::string LastError(const std::vector<Diagnostic>& ds) {
    for (auto d = ds.rbegin(); d != ds.rend(); ++d)
        if (d->kind == Diagnostic::Kind::Error) return d->text;
    return {};
}

CountingSession::CountingSession(Params& p, Host& h, const MessageTable& t)
    : params(p), host(h), texts(t), relay_(h, p) {
    scanner.params = &params;
    scanner.observer = &relay_;
    scanner.sink = &table;
    scanner.stopRequested = &stopRequested;
    scanner.commonWords = &commonWords;
    table.observer = &relay_;
    lister.params = &params;
    lister.observer = &relay_;
    lister.box = &relay_;
    lister.texts = &texts;
    lister.stopRequested = &stopRequested;
    commonWords.assign(1, std::string());
    scanner.SetCommentMarkers("C");
}

void CountingSession::SetAllowedExtraChars() { scanner.SetAllowedExtraChars(); }

void CountingSession::SetCountRunning(bool running) {
    running_ = running;
    host.countRunning(running);
}

void CountingSession::ResetWordTable() { table.Reset(); }

void CountingSession::Report(Diagnostic::Kind kind, std::string title, std::string text, Icon icon) {
    relay_.report({kind, std::move(title), std::move(text)}, icon);
}

void CountingSession::ReportError(int16_t number, std::string_view description) {
    errorReported = true;
    if (number == ErrorNumber::OutOfMemory) outOfMemory = true;
    lister.ReportError(number, description);
}

void CountingSession::ReportReadError(const std::string& input, const RunError& e) {
    host.turn(-1);
    if (e.number == ErrorNumber::OutOfMemory) {
        ReportError(e.number, e.description);
        return;
    }
    errorReported = true;
    readFailed_ = true;
    const std::string title = texts.Get(Message::ErrorTitle);
    Report(Diagnostic::Kind::Error, title, input + " could not be read.\r\n\r\n" + ErrorNumberText(title, e));
}

void CountingSession::StartOrStopCount() {
    if (running_) {
        stopRequested = true;
        return;
    }
    CountWords();
}

void CountingSession::ConcealNumWords() {
    host.hideResult();
}

void CountingSession::ClearOutput() {
    host.setOutputText("");
    ConcealNumWords();
    wordsCounted = false;
    if (startUpCompleted) host.setTheFocus();
}

void CountingSession::PrepareLister() {
    lister.table = &table;
    figures.totalInstances = scanner.totalInstances;
    lister.figures = &figures;
    lister.faults = host.ioFaults();
}

CountResult CountingSession::CountWords() {
    result_ = {};
    relay_.diagnostics.clear();
    Count();
    result_.ran = countRan;
    result_.failed = errorReported;
    result_.outOfMemory = outOfMemory;
    result_.listing = listing_;
    result_.diagnostics = relay_.diagnostics;
    return result_;
}

void CountingSession::Count() {
    countRan = false;
    errorReported = false;
    outOfMemory = false;
    readFailed_ = false;
    bytesRead_.store(0, std::memory_order_relaxed);
    lister.outputFileWritten = false;  // it told of the last listing, not of this count
    listing_ = {};
    contexts_ = {};
    if (std::string why = CheckAllowedExtraChars(params); !why.empty()) {
        Report(Diagnostic::Kind::Error, std::string(kCharNotAllowedTitle), std::move(why));
        host.showParametersWindow();
        return;
    }
    ApplyLetters();
    // Common words read under the other letters are read again.
    if (CommonWordsInForce() && commonWordsLoaded && commonWordsEveryScript_ != everyScript_) {
        commonWordsLoaded = ReadCommonWordsFile();
        ApplyLetters();
    }
    SetAllowedExtraChars();
    scanner.readingWords = false;
    relay_.readingWords = false;
    listingPartial = false;
    scanner.entitiesPossible = false;
    relay_.displaySuppressed = false;
    lister.minColumnWidth = 6;
    try {
        scanner.totalInstances = 0;
        scanner.wordsToIgnore = IgnoreListText();
        scanner.commonWordCount = CommonWordsInForce() ? commonWordCount : 0;
        bool ok;
        if (params.inputIsFile) {
            ok = countsMode_ == CountsMode::Merge ? LoadCounts() : CountWordsInFile();
        } else if (!CheckClipboard(false)) {
            params.inputIsFile = true;
            host.paramsChanged();
            return;
        } else {
            ok = CountWordsOnClipboard();
        }
        if (!ok) return;
        countRan = true;
        if (phraseLength_ > 0) {  // the total is that of the phrases
            scanner.totalInstances = 0;
            for (const WordRecord& r : table.Records()) scanner.totalInstances += r.frequency;
        }
        // A failed read ends the count with its message: the words read
        // before it are only part of the text.
        if (readFailed_) {
            Finish();
            return;
        }
        if (countsMode_ == CountsMode::Write || tableOnly_) {
            // A count broken by a lack of memory writes nothing.
            if (!errorReported && !tableOnly_) listing_ = WriteCountsTo(sink_);
            listing_.attempted = true;
            Finish();
            return;
        }

        table.Finish();
        SortWordList(table, 0, table.size() - 1, 1);
        if (params.caseSignificant == 1) OrderEqualKeys(table);

        if (stopRequested) {
            stopRequested = false;
            std::string note = host.outputLength() > 0 ? "\r\n\r\n" : "";
            note += "Stopped with " + std::to_string(table.size()) + " word" +
                    (table.size() == 1 ? "" : "s") + " found.";
            host.appendOutputText(note);
            ConcealNumWords();
            host.setOutputCaret(true);
            Answer a = host.message(
                "The operation was stopped before all words were counted.\r\n"
                "Do you wish to list the words which were found?",
                "Counting interrupted", Icon::None, Buttons::YesNo);
            if (a != Answer::Yes) {
                host.enableControls(true);
                SetCountRunning(false);
                return;
            }
            listingPartial = true;
        }
        wordsCounted = !listingPartial;
        RunResultPhases();
    } catch (const std::bad_alloc&) {
        ReportError(ErrorNumber::OutOfMemory, "Out of memory");
    }
    Finish();
}

std::string CountingSession::WordRulesFingerprint() const {
    return kvx::WordRulesFingerprint(params, commonWords, commonWordCount, LettersFingerprint());
}

bool CountingSession::LoadCounts() {
    std::vector<std::string> inputs = inputs_;
    if (inputs.empty()) inputs = {streamFd_ >= 0 ? std::string("-") : params.fileNames[0]};
    ClearOutput();
    ResetWordTable();
    const std::string rules = WordRulesFingerprint();
    int64_t total = 0;
    for (const std::string& input : inputs) {
        currentInput_ = input == "-" ? streamName_ : input;
        std::ifstream in(input == "-" ? std::string("/dev/stdin") : input, std::ios::binary);
        std::string why;
        if (!in) {
            why = "cannot be read: " + std::string(std::strerror(errno)) + ".";
        } else {
            CountsInParts inParts{input == "-" ? "/dev/stdin" : input, jobs_};
            why = ReadCounts(in, rules, params, table, total, !tableOnly_, &inParts);
        }
        in.clear();
        if (const std::streamoff end = in.tellg(); end > 0) bytesRead_.fetch_add(end, std::memory_order_relaxed);
        if (!why.empty()) {
            Report(Diagnostic::Kind::Error, "Error", why);
            return false;
        }
    }
    scanner.totalInstances = total;
    return true;
}

ListingOutcome CountingSession::WriteCountsTo(ListingSink sink) {
    const std::string rules = WordRulesFingerprint();
    return WriteOut(sink == ListingSink::File ? params.fileNames[1] : std::string(),
                    [&](std::ostream& out) {
                        WriteCounts(out, rules, scanner.totalInstances, table);
                    });
}

ContextRecorder* CountingSession::SetSink(scanning::Scanner& s, std::unique_ptr<WordSink>& builder,
                                          WordTable& target, int32_t input) const {
    builder.reset();
    ContextRecorder* recorder = nullptr;
    if (phraseLength_ > 0) {
        builder = std::make_unique<PhraseBuilder>(phraseLength_, params, target, target.utf8Words);
    } else if (!contextEntry_.empty()) {
        auto r = std::make_unique<ContextRecorder>(contextEntry_, contextWidth_, s.currentLine, target, input, &s.unicode);
        recorder = r.get();
        builder = std::move(r);
    }
    s.sink = builder ? builder.get() : &target;
    s.phraseBreaks = phraseLength_ > 0;
    s.lineStarts = recorder != nullptr;
    return recorder;
}

void CountingSession::RunResultPhases() {
    SetCountRunning(true);
    host.repaintCount();
    host.setCountEnabled(false);

    host.setOutputText("Now filtering words ...");
    host.repaintOutput();
    FilterWords(table, phraseLength_ > 0 ? PhraseListingRules(params) : params);
    host.setOutputText("Now getting maximum frequency and maximum word length ...");
    host.repaintOutput();
    CountIncludedWords(table, figures);
    host.setOutputText("Now setting up frequency chain ...");
    host.repaintOutput();
    BuildFrequencyChain(table, figures, &relay_);

    ShowResultCounts();
    listDisplayed = true;
    host.setCountEnabled(true);
    PrepareLister();
    // A count broken by a lack of memory is listed in the window only;
    // elsewhere it is refused with nothing written.
    if (sink_ == ListingSink::Window || !errorReported)
        listing_ = lister.ListTo(sink_);
    listing_.attempted = true;
    ++listingsMade_;
}

void CountingSession::Finish() {
    host.enableControls(true);
    host.setCountEnabled(true);
    SetCountRunning(false);
    host.turn(-1);
    host.setTheFocus();
}

void CountingSession::ListWords() {
    if (!wordsCounted || running_) return;
    stopRequested = false;  // a listing stopped earlier must not end this one at once
    // The count command doubles as Stop while the listing runs; the other
    // commands stay disabled so that nothing can change the table under it.
    SetCountRunning(true);
    host.enableControls(false);
    try {
        PrepareLister();
        lister.ListWords();
    } catch (const std::bad_alloc&) {
        ReportError(ErrorNumber::OutOfMemory, "Out of memory");
    }
    ++listingsMade_;
    host.enableControls(true);
    SetCountRunning(false);
}

std::vector<ListedWord> CountingSession::ListedWords() {
    PrepareLister();
    return lister.ListedWords();
}

ListingOutcome CountingSession::SaveListingAs(const std::string& path, ListingFormat format) {
    PrepareLister();
    const ListingFormat was = lister.format;
    lister.format = format;
    ListingOutcome o;
    try {
        o = WriteOut(path, [this](std::ostream& out) { lister.WriteListing(out); }, host.ioFaults());
    } catch (...) {
        lister.format = was;
        throw;
    }
    lister.format = was;
    o.attempted = true;
    return o;
}

void CountingSession::ShowResultCounts() {
    result_.partial = listingPartial;
    result_.ignoring = !params.wordsToIgnore.empty() || CommonWordsInForce();
    result_.differentWords = table.size();
    result_.wordsIncluded = int32_t(figures.wordsInList);
    result_.wordsExcluded = int32_t(figures.wordsIgnored);
    result_.occurrencesIncluded = figures.instancesInList;
    result_.totalOccurrences = scanner.totalInstances;
    host.showResult(result_);
    host.repaintWindow();
}

bool CountingSession::ValidateInputFile(const std::string& path) {
    // Files without an extension (README, logs) are counted too, without
    // comment markers.
    const bool ok = filecheck::FileExists(path);
    if (!ok) {
        if (startUpCompleted && filecheck::FolderExists(path)) {
            Report(Diagnostic::Kind::Error, "Invalid input", path + " is a folder, not a file.");
        } else if (startUpCompleted) {
            Report(Diagnostic::Kind::Error, "File not found", "Input file does not exist.");
        } else {
            std::string folder = filecheck::GetFolder(params.fileNames[0], false);
            if (!folder.empty() && filecheck::FolderExists(folder)) host.setCurrentFolder(folder);
            params.fileNames[0].clear();
            host.paramsChanged();
        }
        host.inputSize(std::nullopt);
    } else {
        ShowInputFileSize(path);
        std::string folder = filecheck::GetFolder(path, false);
        if (!folder.empty() && filecheck::FolderExists(folder)) host.setCurrentFolder(folder);
    }
    return ok;
}

void CountingSession::ShowInputFileSize(const std::string& path) {
    if (!filecheck::FileExists(path)) {
        host.inputSize(std::nullopt);
        return;
    }
    host.inputSize(std::max<int64_t>(filecheck::FileLength(path), 0));
}

bool CountingSession::IsStreamInput(const std::string& input) const {
    if (input == "-") return streamFd_ >= 0;
    struct stat st {};
    return namedStreams && ::stat(input.c_str(), &st) == 0 && (S_ISFIFO(st.st_mode) || S_ISCHR(st.st_mode));
}

int CountingSession::OpenStream(const std::string& input, RunError& error,
                                const std::atomic<bool>* abandon) const {
    if (input == "-") return streamFd_;
    int fd;
    do fd = ::open(input.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | (abandon ? O_NONBLOCK : 0));
    while (fd < 0 && errno == EINTR);
    if (fd < 0) {
        error = ErrorFromErrno(errno);
    } else if (abandon) {
        // Opened without waiting: the wait for a pipe's first bytes (or its
        // writer's end) stops when the count is abandoned, as the writer may
        // never come then.
        pollfd p{fd, POLLIN, 0};
        while (!*abandon && ::poll(&p, 1, 100) == 0) {
        }
        ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    }
    return fd;
}

bool CountingSession::CountWordsInFile() {
    std::vector<std::string> inputs = inputs_;
    if (inputs.empty() && streamFd_ >= 0) {
        inputs = {"-"};
    } else if (inputs.empty()) {
        params.fileNames[0] = std::string(wordtext::TrimBlanks(params.fileNames[0]));
        host.paramsChanged();
        inputs = {params.fileNames[0]};
    }
    // Every file is checked before any input is counted: one refused refuses
    // all. A stream is checked when its turn comes: it can be read only once,
    // and its writer may wait for the stream before it to be read.
    std::vector<int64_t> lengths(inputs.size(), 0);
    std::vector<int16_t> kinds(inputs.size(), 0);
    std::vector<bool> streams(inputs.size());
    for (size_t i = 0; i < inputs.size(); ++i) {
        streams[i] = IsStreamInput(inputs[i]);
        if (streams[i]) continue;
        currentInput_ = inputs[i];
        if (!CheckInputFile(currentInput_, lengths[i])) return false;
        kinds[i] = fileKind;
    }
    const bool oneStream = inputs.size() == 1 && streams[0];
    if (jobs_ > 1 &&
        (inputs.size() > 1 || (!oneStream && lengths[0] >= 2 * PieceBytes()))) {
        if (!ScanInParallel(inputs, lengths, streams)) return false;
    } else {
        for (size_t i = 0; i < inputs.size(); ++i) {
            curStream_ = inputs[i] == "-" && streamFd_ >= 0;
            currentInput_ = curStream_ ? streamName_ : inputs[i];
            fileKind = kinds[i];
            if (streams[i]) {
                RunError e;
                curFd_ = OpenStream(inputs[i], e);
                if (curFd_ < 0) {
                    ReportError(e.number, e.description);
                    break;
                }
                if (!CheckText(currentInput_, lengths[i])) {
                    if (!curStream_) ::close(curFd_);
                    curFd_ = -1;
                    Finish();
                    return false;
                }
            }
            inputIndex_ = int32_t(i);
            ScanFile(currentInput_, lengths[i], i == 0);
            if (curFd_ >= 0 && !curStream_) ::close(curFd_);
            curFd_ = -1;
            if (errorReported || stopRequested) break;
        }
    }
    curStream_ = false;
    return true;
}
bool CountingSession::OpenLines(LineReader& reader, const std::string& path) {
    reader.faults = host.ioFaults();
    reader.utf8Out = scanner.unicode.on;
    const bool opened = curFd_ >= 0 ? reader.openStream(curFd_, streamRead_) : reader.open(path);
    if (curFd_ >= 0) std::string().swap(streamRead_);  // the reader holds it now
    return opened;
}

RunError CountingSession::ReadLines(const std::string& path,
                                    const std::function<bool(std::string&)>& onLine) {
    LineReader reader;
    if (!OpenLines(reader, path)) return reader.error();
    std::string& line = scanner.currentLine;
    for (;;) {
        LineReader::Status st = reader.readLine(line);
        if (st == LineReader::Status::End) return {};
        if (st == LineReader::Status::Error) return reader.error();
        if (!onLine(line)) return {};
    }
}

// The names, the size and the text check, with their questions: false when
// the count does not start.
bool CountingSession::CheckInputFile(const std::string& input, int64_t& length) {
    const std::string output = params.fileNames[1];
    if (input.empty()) {
        Report(Diagnostic::Kind::Error, "Error", "Input file not specified.");
        return false;
    }
    if (!ValidateInputFile(input)) return false;
    if (!output.empty() && (output == input || filecheck::SameFile(input, output))) {
        Report(Diagnostic::Kind::Error, "Error", "Output file cannot be the same as the input file.");
        return false;
    }
    const int64_t L = length = filecheck::FileLength(input);
    if (output.empty() && L > kLargeFile) {
        Answer a = host.message(
            "The input file is quite large.  It is advisable to specify an output file "
            "before continuing,\r\nin case the text window will not hold the result. "
            "Do you wish to specify an output file?",
            "Large input file", Icon::None, Buttons::YesNoCancel);
        if (a == Answer::Cancel) return false;
        if (a == Answer::Yes) host.chooseOutputFile();
    }
    return CheckText(input, length);
}

// The text check, of the file or of the start of the stream (kept for the count).
bool CountingSession::CheckText(const std::string& input, int64_t& length) {
    host.setOutputText("Checking file ...");
    host.clipboardSize(std::nullopt);
    ConcealNumWords();
    host.repaintWindow();

    TextCheck c;
    if (curFd_ >= 0) {
        streamRead_.clear();
        c = CheckStream(curFd_, streamRead_);
        length = 0;  // unknown: no progress bar
    } else {
        c.kind = filecheck::TextFileKindTolerant(input, kCheckedBytes, c.bad, c.position, kTolerance,
                                                c.percentage, true);
        c.length = length;
    }
    return ShowTextCheck(input, c);
}

CountingSession::TextCheck CountingSession::CheckStream(int fd, std::string& head) {
    TextCheck c;
    const size_t before = head.size();
    c.kind = filecheck::StreamKindTolerant(fd, head, kCheckedBytes, c.bad, c.position, kTolerance,
                                          c.percentage, true);
    c.length = int64_t(head.size() - before);
    return c;
}

bool CountingSession::ShowTextCheck(const std::string& input, const TextCheck& c) {
    fileKind = c.kind;
    const uint8_t bad = c.bad;
    const int64_t position = c.position;
    const double percentage = c.percentage;
    const int64_t L = c.length;
    if (fileKind == filecheck::kNotText) {
        std::string m = input + " is not a text file.\r\n\r\n";
        if (percentage > kTolerance) {
            std::string pct = host.formatGroupedDecimals(percentage, 4);
            if (pct.size() > 1 && pct[0] == '0' && !std::isdigit(static_cast<unsigned char>(pct[1])))
                pct.erase(0, 1);  // ".1038", as the percentage has always been shown
            m += "This file contains a byte " + std::to_string(bad) + " at position " +
                 std::to_string(position) + ", " +
                 "indicating that it does not consist solely of text.\r\n"
                 "The percentage of such anomalous bytes in the first " +
                 std::to_string(kCheckedBytes) + " bytes is " + pct + "%.\r\n\r\n";
        }
        if (L < kClipboardAdviceLimit) m += notTextAdvice;
        Report(Diagnostic::Kind::Error, "Not a text file", m, Icon::Information);
        host.setOutputText("");
        return false;
    }
    // Lines ended by LF alone are native here; only CR-only files are unusual.
    if (fileKind == filecheck::kTextCr) {
        Report(Diagnostic::Kind::Note, "Warning", std::string(filecheck::LineEndingWarning(fileKind)));
        if (host.message("Processing will continue but may be slow.", "Warning", Icon::None,
                         Buttons::OKCancel) == Answer::Cancel) {
            host.setOutputText("");
            return false;
        }
    }

    return true;
}

void CountingSession::SetRulesFor(const std::string& input) {
    if (rulesExtSet)
        scanner.SetCommentMarkersForExtension(rulesExt_);
    else if (curStream_)
        scanner.SetCommentMarkers("None");
    else
        scanner.SetCommentMarkersForExtension(filecheck::GetFileExtension(input, true));
}

// The pass over the file, one line at a time into the scanner.
void CountingSession::ScanFile(const std::string& input, int64_t length, bool first) {
    clipboardText.clear();
    if (first) {
        ClearOutput();
        ResetWordTable();
    }
    SetRulesFor(input);
    stopRequested = false;
    SetCountRunning(true);
    host.enableControls(false);

    const int64_t L = length;
    const bool showBar = StartProgressBar(L);
    const int64_t W = progressBarWidth;

    int64_t C = 0;
    int64_t lastP = -1;
    // The bar's P cannot change before C reaches nextBar; BytesRead() is
    // brought up to date at nextShare; each line checks the nearer of them.
    int64_t nextBar = showBar ? 0 : INT64_MAX, nextShare = 0, nextCheck = 0;
    const int64_t before = bytesRead_.load(std::memory_order_relaxed);
    const bool lowerCase = params.caseSignificant != 1;
    const int64_t lineEnd = fileKind <= 1 ? 2 : 1;
    scanner.withinComment = -1;
    std::unique_ptr<WordSink> phrases;  // a phrase never spans two inputs
    ContextRecorder* const recorder = SetSink(scanner, phrases, table, inputIndex_);
    try {
        LineReader reader;
        if (OpenLines(reader, input))
            ScanLines(reader, scanner, lowerCase, [&](int64_t bytes) {
                C += bytes + lineEnd;
                if (C >= nextCheck) {
                    bytesRead_.store(before + C, std::memory_order_relaxed);
                    nextShare = C + (1 << 20);
                    int64_t P = C >= nextBar ? static_cast<int64_t>(
                        std::nearbyint(static_cast<double>(W) * static_cast<double>(C) / L)) : lastP;
                    if (P != lastP) {  // the caption only changes when P does
                        lastP = P;
                        // P rounds W * C / L, so it stays put while that is below P + 0.5.
                        const double edge = (static_cast<double>(P) + 0.5) * static_cast<double>(L);
                        nextBar = static_cast<int64_t>(edge / static_cast<double>(W)) - 1;
                        host.scanProgress(P, progressBarWidth);
                    }
                    nextCheck = std::min(nextBar, nextShare);
                }
                return !stopRequested || !StopConfirmed();
            });
        const RunError& e = reader.error();
        if (e.number != 0) ReportReadError(input, e);
    } catch (const std::bad_alloc&) {
        ReportError(ErrorNumber::OutOfMemory, "Out of memory");
    }
    bytesRead_.store(before + C, std::memory_order_relaxed);
    if (recorder) contexts_.Append(std::move(recorder->rows), 0);
    scanner.sink = &table;
    scanner.phraseBreaks = scanner.lineStarts = false;
    EndScan();
}

bool CountingSession::StartProgressBar(int64_t length) {
    if (length <= kProgressBarMinimum) return false;
    host.scanProgress(-1, progressBarWidth);
    return true;
}

bool CountingSession::StopConfirmed() {
    if (table.size() < kStopQuestionWords) return true;
    Answer a = host.ask(" " + std::to_string(table.size()) +
                            " different words have been found.\r\n"
                            "Do you really wish to stop?",
                        "Stop", Icon::None, Buttons::YesNo, Answer::Yes);
    if (a == Answer::Yes) return true;
    stopRequested = false;
    return false;
}

void CountingSession::EndScan() {
    scanner.currentLine.clear();
    scanner.currentLine.shrink_to_fit();
    host.scanEnded();
}

bool CountingSession::CheckClipboard(bool showText) {
    host.setOutputText("");
    ConcealNumWords();  // no figures over the emptied box, whatever follows
    std::string t = host.clipboardText();
    if (t.empty()) {
        host.clipboardSize(std::nullopt);
        Report(Diagnostic::Kind::Error, "Clipboard empty", "Clipboard is empty.", Icon::None);
        return false;
    }
    int64_t n = static_cast<int64_t>(text::utf16Length(t));
    host.clipboardSize(n);
    if (n > maxClipboardChars) {
        Report(Diagnostic::Kind::Error, "Too much clipboard text",
               "There are " + host.formatGrouped(n) +
                   " characters in the text on the clipboard.\r\nThe maximum permitted is " +
                   host.formatGrouped(maxClipboardChars) +
                   ".  If possible,\r\ncount word frequencies for this text using an input file.",
               Icon::None);
        return false;
    }
    clipboardText = t;
    if (showText) host.setOutputText(t);
    ConcealNumWords();
    wordsCounted = false;
    listDisplayed = false;
    host.setTheFocus();
    return true;
}

bool CountingSession::CountWordsOnClipboard() {
    std::string cp = everyScript_ ? clipboardText : text::utf8ToCp1252(clipboardText);
    const size_t checked = std::min<size_t>(cp.size(), kPlainTextChecked);
    for (size_t i = 0; i < checked; ++i) {
        unsigned char c = static_cast<unsigned char>(cp[i]);
        if (c < 32 && c != 9 && c != 10 && c != 13) {
            Report(Diagnostic::Kind::Error, "Invalid input",
                   "The text on the clipboard does not consist\r\nsolely of natural language words.");
            return false;
        }
    }
    scanner.SetCommentMarkers("None");
    try {
        ClearOutput();
        ResetWordTable();
        stopRequested = false;
        SetCountRunning(true);
        host.enableControls(false);
        ClearOutput();
        // The contexts are taken from the text as it stands (one line).
        const std::string raw = contextEntry_.empty() ? std::string() : cp;
        std::unique_ptr<WordSink> phrases;
        ContextRecorder* recorder = nullptr;
        if (everyScript_) {
            scanner.currentLine = std::move(cp);
            recorder = SetSink(scanner, phrases, table, 0);
            if (recorder) recorder->BeginLine(raw);
            const wordtext::PreparedLine p =
                scanning::UnicodeLine::Prepare(scanner.currentLine, params.caseSignificant != 1);
            if (!p.empty) {
                scanner.currentLine += ' ';
                scanner.ScanCleanLine(p.hyphen);
            }
        } else if (!cp.empty()) {
            if (params.caseSignificant != 1) cp = wordtext::LowerCaseExt(cp);
            scanner.currentLine = std::move(cp);
            scanner.currentLine += ' ';
            recorder = SetSink(scanner, phrases, table, 0);
            if (recorder) recorder->BeginLine(raw);
            scanner.ScanLine();
        }
        if (recorder) contexts_.Append(std::move(recorder->rows), 0);
        scanner.sink = &table;
        scanner.phraseBreaks = scanner.lineStarts = false;
    } catch (const std::bad_alloc&) {
        host.turn(-1);
        ReportError(ErrorNumber::OutOfMemory, "Out of memory");
    }
    host.setTheFocus();
    return true;
}

}  // namespace kvx
