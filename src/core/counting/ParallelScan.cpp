// Counting on several threads. The inputs are cut into pieces: a file whose
// lines are independent (no comment markers, so no comment can stay open
// from one line to the next) is split at line starts, any other input is one
// piece. Workers scan pieces into tables of their own; this thread adds each
// finished table to the session's in piece order, so that every word keeps
// the place of its first occurrence and the result is that of one thread.
// Meanwhile it shows the progress of the bytes read by all workers, and a stop
// takes effect once the piece being added is in: a stopped count holds the
// pieces of the text up to that one, as a count of one thread stopped at
// that line would.
// When the order of first occurrence is not needed (merged pieces), each
// worker sorts its table, and the sorted tables are merged in piece order
// like the runs of a merge sort: several runs of as many pieces at once, as
// soon as all are there, so that only a few runs are alive at once.

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <condition_variable>
#include <mutex>
#include <new>
#include <thread>
#include <utility>

#include <fcntl.h>
#include <unistd.h>

#include "counting/CountingSession.h"
#include "counting/PrepareLine.h"
#include "files/FileChecks.h"
#include "files/LineReader.h"

namespace kvx {
namespace {

struct Piece {
    size_t input = 0;
    int64_t begin = 0;
    int64_t end = -1;  // -1: to the end of the input
};

struct PieceCount {
    WordTable table;
    int64_t occurrences = 0;
    RunError error;
    bool done = false;
    ContextRows contexts;  // line numbers from the piece's start
    int64_t lines = 0;
};

// Sorted tables of consecutive pieces, merged into one.
struct Run {
    WordTable table;
    size_t pieces = 1;
};

// Runs merged at once: each word is copied about log8(pieces) times.
constexpr size_t kFanIn = 8;

// Merges the last kFanIn runs while they hold as many pieces each (all of
// them with all, the smallest first), so that only a few runs are alive at
// once. The merges of all are the last ones: the count waits for them, so
// each is cut in two and merged on two threads.
void MergeRuns(std::vector<Run>& runs, bool all, bool twoThreads = false) {
    for (;;) {
        size_t m = kFanIn;
        if (all && runs.size() >= 2)
            m = std::min(kFanIn, runs.size() > kFanIn ? runs.size() - kFanIn + 1 : runs.size());
        else if (runs.size() < kFanIn || runs[runs.size() - kFanIn].pieces != runs.back().pieces)
            break;
        std::vector<WordTable*> inputs;
        size_t pieces = 0;
        for (size_t r = runs.size() - m; r < runs.size(); ++r) {
            inputs.push_back(&runs[r].table);
            pieces += runs[r].pieces;
        }
        WordTable merged;
        merged.Merge(inputs, all && twoThreads);
        runs.resize(runs.size() - m + 1);
        runs.back() = {std::move(merged), pieces};
    }
}

// The piece starts moved on to the start of the next line after one that
// ends every phrase: a blank line, or one whose last character other than a
// blank is sentence punctuation (. ! ? ;), which never belongs to a word. So
// no phrase is lost or made up where pieces meet. Starts that find no such
// line before the next piece or the end go.
std::vector<int64_t> AfterRunEnds(const std::string& path, const std::vector<int64_t>& starts, int64_t length) {
    std::vector<int64_t> moved{0};
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) return moved;
    std::vector<char> buf(1 << 16);
    for (size_t k = 1; k < starts.size(); ++k) {
        int64_t at = std::max(starts[k], moved.back()), found = -1;  // a line start
        const int64_t limit = k + 1 < starts.size() ? starts[k + 1] : length;
        char last = 0;  // the line's last character other than a blank or control character
        while (found < 0 && at < limit) {
            const ssize_t n = ::pread(fd, buf.data(), buf.size(), at);
            if (n <= 0) break;
            for (ssize_t j = 0; j < n && found < 0; ++j) {
                const char c = buf[size_t(j)];
                if (c == '\n') {
                    if (last == 0 || last == '.' || last == '!' || last == '?' || last == ';') found = at + j + 1;
                    last = 0;
                } else if (static_cast<unsigned char>(c) > 32) {
                    last = c;
                }
            }
            at += n;
        }
        if (found > 0 && found < limit) moved.push_back(found);
    }
    ::close(fd);
    return moved;
}

}  // namespace

bool CountingSession::MergesPieces() const {
    // The sort keys of a collation are made on this thread only.
    return mergedPieces_ && table.observer == nullptr && table.collation == nullptr &&
           countsMode_ == CountsMode::None && !tableOnly_;
}

int64_t CountingSession::PieceBytes() const {
    return MergesPieces() ? std::min(pieceBytes_, mergedPieceBytes_) : pieceBytes_;
}

bool CountingSession::ScanInParallel(const std::vector<std::string>& inputs,
                                     const std::vector<int64_t>& lengths, const std::vector<bool>& streams) {
    clipboardText.clear();
    ClearOutput();
    ResetWordTable();
    stopRequested = false;
    SetCountRunning(true);
    host.enableControls(false);

    // Each input's rules are loaded here, in order, so that a refused marker
    // is reported as a pass of one thread would report it.
    std::vector<scanning::Scanner> rules;
    std::vector<Piece> pieces;
    rules.reserve(inputs.size());
    for (size_t i = 0; i < inputs.size(); ++i) {
        curStream_ = inputs[i] == "-" && streamFd_ >= 0;
        SetRulesFor(curStream_ ? streamName_ : inputs[i]);
        rules.push_back(scanner);
        std::vector<int64_t> starts{0};
        if (!streams[i] && scanner.commentMarkerCount == 0 && lengths[i] >= 2 * PieceBytes()) {
            const int64_t perJob = int64_t(jobs_) * PieceBytes();
            const int64_t n = int64_t(jobs_) * ((lengths[i] + perJob - 1) / perJob);
            starts = LineReader::LineStarts(inputs[i], lengths[i], int(std::min<int64_t>(n, 1 << 16)));
            if (phraseLength_ > 0) starts = AfterRunEnds(inputs[i], starts, lengths[i]);
        }
        for (size_t k = 0; k < starts.size(); ++k)
            pieces.push_back({i, starts[k], k + 1 < starts.size() ? starts[k + 1] : -1});
    }
    curStream_ = false;

    // A stream's length is not known: no bar then.
    int64_t total = 0;
    for (int64_t l : lengths) total += l;
    const bool showBar = std::find(streams.begin(), streams.end(), true) == streams.end() && StartProgressBar(total);
    std::atomic<int64_t>& bytesRead = bytesRead_;
    int64_t barShown = -1;
    // Offers the host its turn (a stop is taken up there) and moves the bar.
    auto poll = [&] {
        host.yield();
        if (!showBar) return;
        const int64_t p = static_cast<int64_t>(std::nearbyint(
            double(progressBarWidth) * double(bytesRead.load(std::memory_order_relaxed)) / double(total)));
        if (p == barShown) return;
        barShown = p;
        host.scanProgress(p, progressBarWidth);
    };

    // A stream is checked by the worker that reads it; its messages come in
    // input order, as the pass of one thread gives them.
    std::vector<PieceCount> counts(pieces.size());
    std::vector<TextCheck> checks(pieces.size());
    std::mutex m;
    std::condition_variable finished;
    std::atomic<size_t> next{0};
    std::atomic<bool> abandon{false};
    bool refused = false;
    const bool lowerCase = params.caseSignificant != 1;
    IoFaults* const faults = host.ioFaults();
    const bool merged = MergesPieces();
    std::vector<Run> runs;

    // A worker starts piece k only once the pieces before k - jobs are added
    // in: tables that wait to be added cost memory like the vocabulary, and
    // with many different words they would pile up faster than they are added.
    size_t added = 0;
    std::condition_variable addedOne;
    size_t ahead = size_t(std::max(jobs_, 1));
    auto work = [&] {
        // Pieces of one text hold about as many different words each: the
        // records and words of the next get as much room at once.
        int32_t lastWords = 0;
        int64_t lastBytes = 0;
        for (size_t k; (k = next++) < pieces.size() && !abandon;) {
            {
                std::unique_lock<std::mutex> lock(m);
                addedOne.wait(lock, [&] { return k < added + ahead || abandon; });
            }
            if (abandon) break;
            const Piece& piece = pieces[k];
            PieceCount& c = counts[k];
            scanning::Scanner s = rules[piece.input];
            s.observer = nullptr;
            s.stopRequested = nullptr;
            // The first piece is counted straight into the session's table,
            // which nothing else touches until it is done: its words need no
            // second table and no adding in.
            c.table.maxWordLength = table.maxWordLength;
            c.table.utf8Words = table.utf8Words;  // lengths in characters
            std::unique_ptr<WordSink> phrases;
            ContextRecorder* const recorder =
                SetSink(s, phrases, k == 0 && !merged ? table : c.table, int32_t(piece.input));
            s.totalInstances = 0;
            s.withinComment = -1;
            const std::string& input = inputs[piece.input];
            int fd = -1;
            try {
                if (merged) c.table.Reserve(lastWords, lastBytes);
                LineReader reader;
                reader.faults = faults;
                bool ok;
                if (streams[piece.input]) {
                    std::string head;
                    fd = OpenStream(input, c.error, &abandon);
                    if (fd >= 0 && !abandon) checks[k] = CheckStream(fd, head);
                    ok = fd >= 0 && checks[k].kind != filecheck::kNotText && reader.openStream(fd, head);
                } else {
                    ok = reader.open(input, piece.begin, piece.end);
                }
                int64_t read = 0;  // handed on to bytesRead about once a megabyte
                if (ok && !abandon)
                    ScanLines(reader, s, lowerCase, [&](int64_t bytes) {
                        if ((read += bytes + 1) >= (1 << 20))
                            bytesRead.fetch_add(std::exchange(read, 0), std::memory_order_relaxed);
                        return !abandon;
                    });
                bytesRead.fetch_add(read, std::memory_order_relaxed);
                if (c.error.number == 0) c.error = reader.error();
                lastWords = c.table.size();
                lastBytes = c.table.WordBytes();
                if (merged && c.error.number == 0 && !abandon) c.table.Finish();
            } catch (const std::bad_alloc&) {
                c.error = {ErrorNumber::OutOfMemory, "Out of memory"};
            }
            if (fd >= 0 && input != "-") ::close(fd);
            c.occurrences = s.totalInstances;
            if (recorder) {
                c.contexts = std::move(recorder->rows);
                c.lines = recorder->Lines();
            }
            std::lock_guard<std::mutex> lock(m);
            c.done = true;
            finished.notify_all();
        }
    };
    // Counted from a worker, the session's table shows nothing as it goes.
    RunObserver* const tableObserver = table.observer;
    table.observer = nullptr;
    const bool showWords = tableObserver != nullptr;
    std::vector<std::thread> workers;
    const size_t n = std::min<size_t>(size_t(jobs_), pieces.size());
    try {
        for (size_t t = 0; t < n; ++t) workers.emplace_back(work);
    } catch (const std::system_error&) {
        if (workers.empty()) {  // no thread to be had: this one does it all
            ahead = pieces.size();
            work();
        }
    }

    std::vector<int64_t> linesBefore(inputs.size(), 0);  // of the pieces of each input added
    for (size_t k = 0; k < pieces.size(); ++k) {
        {
            std::unique_lock<std::mutex> lock(m);
            while (!finished.wait_for(lock, std::chrono::milliseconds(50), [&] { return counts[k].done; })) {
                lock.unlock();
                poll();
                lock.lock();
            }
        }
        PieceCount& c = counts[k];
        const std::string& input = inputs[pieces[k].input];
        currentInput_ = input == "-" && streamFd_ >= 0 ? streamName_ : input;
        if (streams[pieces[k].input] && c.error.number == 0 && !ShowTextCheck(currentInput_, checks[k])) {
            refused = true;
            abandon = true;
            if (k == 0) table.Reset();  // what the first piece counted goes too
            break;
        }
        try {
            if (merged) {
                runs.push_back({std::move(c.table)});
                MergeRuns(runs, false);
            }
            const int32_t known = k > 0 && !merged ? table.size() : 0;
            if (k > 0 && !merged) table.Expect(int64_t(table.size()) + c.table.size());
            for (int32_t w = 0; k > 0 && !merged && w < c.table.size(); ++w)
                table.AddCount(c.table.Word(w), c.table[w].frequency);
            // The words new to the whole are shown as found, in the order of
            // the text, as one thread shows them.
            if (showWords)
                for (int32_t w = known; w < table.size(); ++w) tableObserver->newWord(table.Word(w), w + 1);
        } catch (const std::bad_alloc&) {
            c.error = {ErrorNumber::OutOfMemory, "Out of memory"};
        }
        scanner.totalInstances += c.occurrences;
        contexts_.Append(std::move(c.contexts), linesBefore[pieces[k].input]);
        linesBefore[pieces[k].input] += c.lines;
        c.table = WordTable();
        {
            std::lock_guard<std::mutex> lock(m);
            added = k + 1;
        }
        addedOne.notify_all();
        if (c.error.number != 0) {
            ReportReadError(currentInput_, c.error);
            abandon = true;
            break;
        }
        if (!merged) host.wordsFound(table.size(), false);
        poll();
        if (stopRequested && merged) {
            // The question tells the words found so far.
            try {
                MergeRuns(runs, true);
            } catch (const std::bad_alloc&) {
                ReportReadError(currentInput_, {ErrorNumber::OutOfMemory, "Out of memory"});
                abandon = true;
                break;
            }
            table.SwapWords(runs[0].table);
            const bool stop = StopConfirmed();
            table.SwapWords(runs[0].table);
            if (stop) {
                abandon = true;
                break;
            }
        } else if (stopRequested && StopConfirmed()) {
            abandon = true;
            break;
        }
    }
    {
        std::lock_guard<std::mutex> lock(m);  // a worker waiting for its turn sees abandon
    }
    addedOne.notify_all();
    for (std::thread& t : workers) t.join();
    if (merged && !refused && !runs.empty()) {
        try {
            MergeRuns(runs, true, jobs_ > 1);
            table.SwapWords(runs[0].table);
        } catch (const std::bad_alloc&) {
            if (!errorReported) ReportReadError(currentInput_, {ErrorNumber::OutOfMemory, "Out of memory"});
        }
    }
    runs.clear();
    table.observer = tableObserver;
    EndScan();
    if (refused) Finish();
    return !refused;
}

}  // namespace kvx
