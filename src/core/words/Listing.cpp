#include "words/Listing.h"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <iostream>
#include <new>
#include <optional>
#include <system_error>
#include <thread>
#include <vector>

#include "base/Errors.h"
#include "files/FaultInjection.h"
#include "files/FileChecks.h"
#include "files/OutputFile.h"
#include "params/Params.h"
#include "shell/MessageTable.h"
#include "text/Cp1252.h"
#include "text/Unicode.h"

namespace kvx {

namespace {

constexpr int32_t kLinesPerFlush = 20;

std::string_view TrimRight(std::string_view s) {
    while (!s.empty() && s.back() == ' ') s.remove_suffix(1);
    return s;
}

std::string_view Trim(std::string_view s) {
    while (!s.empty() && s.front() == ' ') s.remove_prefix(1);
    return TrimRight(s);
}

std::string PadLeft(std::string s, int width) {
    if (int64_t(s.size()) < width) s.insert(0, size_t(width) - s.size(), ' ');
    return s;
}

std::string PadRight(std::string s, int width) {
    if (int64_t(s.size()) < width) s.append(size_t(width) - s.size(), ' ');
    return s;
}

int16_t Digits(int64_t n) { return int16_t(std::to_string(n).size()); }

// A simulated failure of the next write: the stream fails as it does when
// the system refuses a write, with errno telling why.
bool InjectedWriteFault(IoFaults* faults, std::ostream& out) {
    if (!faults) return false;
    const std::streamoff at = out.tellp();
    const int err = faults->writeFault(at < 0 ? 0 : int64_t(at));
    if (err == 0) return false;
    errno = err;
    out.setstate(std::ios::badbit);
    return true;
}

// Hands what is written to a stream on in large chunks, each written by a
// thread of its own while the next one fills: the system's writing of a long
// listing runs beside its making. A failed write fails this buffer's next
// chunk, and Finish() tells it with the write's errno.
class ChunkedOut : public std::streambuf {
public:
    explicit ChunkedOut(std::ostream& to) : to_(to), filling_(kChunk), writing_(kChunk) {
        setp(filling_.data(), filling_.data() + filling_.size());
    }
    ~ChunkedOut() override {
        if (writer_.joinable()) writer_.join();
    }
    /// Writes what is left; false (errno set) when a write failed.
    bool Finish() {
        const bool ok = Hand();
        if (writer_.joinable()) writer_.join();
        if (ok && !failed_) return true;
        errno = err_;
        return false;
    }

protected:
    int_type overflow(int_type c) override {
        if (!Hand()) return traits_type::eof();
        if (!traits_type::eq_int_type(c, traits_type::eof())) {
            *pptr() = traits_type::to_char_type(c);
            pbump(1);
        }
        return traits_type::not_eof(c);
    }

private:
    static constexpr size_t kChunk = size_t(1) << 20;

    bool Hand() {
        if (writer_.joinable()) writer_.join();
        if (failed_) return false;
        const std::streamsize n = pptr() - pbase();
        if (n == 0) return true;
        filling_.swap(writing_);
        setp(filling_.data(), filling_.data() + filling_.size());
        const auto write = [this, n] {
            errno = 0;
            to_.write(writing_.data(), n);
            if (!to_) failed_ = true, err_ = errno != 0 ? errno : EIO;
        };
        try {
            writer_ = std::thread(write);
        } catch (const std::system_error&) {
            write();
        }
        return true;
    }

    std::ostream& to_;
    std::vector<char> filling_, writing_;
    std::thread writer_;
    bool failed_ = false;  // read only once the writer is joined
    int err_ = 0;
};

}  // namespace

std::string ErrorNumberText(std::string_view title, const RunError& error) {
    return std::string(title) + " " + std::to_string(error.number) + ": " + error.description;
}

std::string ErrorMessageText(int16_t number, std::string_view description, const ErrorTexts& texts,
                             bool outputFileNamed, bool outputFileDisabled, bool outputFileWritten) {
    std::string body;
    if (number == ErrorNumber::Overflow || number == ErrorNumber::OutOfMemory) {
        body = "  " + texts.overflow;
        if (!outputFileNamed)
            body = texts.noOutputFile + body;
        else if (outputFileDisabled)
            body = texts.fileDisabled + body;
        else if (outputFileWritten)
            body = texts.fileWritten + "\r\n" + body;
        return body;
    }
    body = ErrorNumberText(texts.errorTitle, {number, std::string(description)});
    if (outputFileWritten) body = texts.fileWritten + "\r\n" + body;
    return body;
}

std::string NoWordsMessageText(int32_t wordCount, const Params& p) {
    if (wordCount == 0) return "No words satisfying the conditions were found.";
    const int k = p.shortWordIndex + 1;
    std::string s = "No words with more than " + std::to_string(k) + " letter";
    if (k > 1) s += 's';
    s += "\r\noccur at least ";
    if (p.ignoreInfrequentWords != 1)
        s += "once.";
    else if (p.frequencyIndex == 0)
        s += "twice.";
    else
        s += std::to_string(p.frequencyThreshold()) + " times.";
    return s;
}

std::string Lister::Text(Message m) const { return texts ? texts->Get(m) : std::string(); }

bool Lister::CommaLayout() const { return writingToFile && params->numbersWithCommas == 1; }

std::string Lister::Utf8(std::string_view s) const { return utf8Words ? std::string(s) : text::cp1252ToUtf8(s); }

void Lister::SetColumnWidths() {
    rankWidth = std::max<int16_t>(Digits(figures->wordsInList), minColumnWidth);
    frequencyWidth = std::max<int16_t>(Digits(figures->maxFrequency), minColumnWidth);
    wordWidth = std::max<int16_t>(utf8Words ? figures->widestWord : figures->longestWordLength, minColumnWidth);
}

std::string Lister::RankField(int32_t i) const {
    return PadLeft(i == kHeaderLine ? "Rank" : std::to_string((*table)[i].rank), rankWidth);
}

std::string Lister::FreqField(int32_t i) const {
    return PadLeft(i == kHeaderLine ? "Freq" : std::to_string((*table)[i].frequency), frequencyWidth);
}

std::string Lister::WordField(int32_t i) const {
    std::string w = i == kHeaderLine ? "Word" : std::string(Trim(table->Word(i)));
    // A wide character takes two columns, a combining mark none.
    if (utf8Words) {
        const size_t columns = text::DisplayWidth(w);
        if (int64_t(columns) < wordWidth) w.append(size_t(wordWidth) - columns, ' ');
        return w;
    }
    return PadRight(std::move(w), wordWidth);
}

void Lister::AppendLine(int32_t i, std::string& line) const {
    int layout = params->displayFormat;
    if (layout < 0 || layout > 9) layout = 0;
    const std::string_view word = Trim(table->Word(i));
    if (layout >= 8) {
        line += word;
        return;
    }
    const bool comma = CommaLayout();
    const std::string_view lead = comma ? "  " : " ", sep = comma ? ",  " : "  ", last = comma ? ", " : " ";
    const auto number = [&line](int64_t n, int width) {
        char digits[24];
        const auto end = std::to_chars(digits, digits + sizeof digits, n).ptr;
        if (end - digits < width) line.append(size_t(width - (end - digits)), ' ');
        line.append(digits, end);
    };
    const auto rank = [&] { number((*table)[i].rank, rankWidth); };
    const auto frequency = [&] { number((*table)[i].frequency, frequencyWidth); };
    const auto padded = [&] {  // a wide character takes two columns, a combining mark none
        line += word;
        const int64_t columns = int64_t(utf8Words ? text::DisplayWidth(word) : word.size());
        if (columns < wordWidth) line.append(size_t(wordWidth - columns), ' ');
    };
    switch (layout) {
    case 0: line += lead, rank(), line += sep, frequency(), line += sep, line += word; break;
    case 1: line += lead, rank(), line += sep, padded(), line += sep, frequency(); break;
    case 2: line += lead, rank(), line += sep, frequency(); break;
    case 3: line += lead, rank(), line += sep, line += word; break;
    case 4: line += lead, frequency(), line += sep, rank(); break;
    case 5: line += "  ", frequency(), line += sep, line += word; break;
    case 6: line += "  ", padded(), line += last, rank(); break;
    case 7: line += "  ", padded(), line += last, frequency(); break;
    }
}

std::string Lister::BuildLine(int32_t i) const {
    if (i != kHeaderLine) {
        std::string line;
        AppendLine(i, line);
        return line;
    }
    int layout = params->displayFormat;
    if (layout < 0 || layout > 9) layout = 0;
    if (layout == 9) return i == kHeaderLine ? std::string() : std::string(Trim(WordField(i)));
    if (layout == 8) {
        std::string line(Trim(WordField(i)));
        if (i == kHeaderLine) line += " (longest has " + std::to_string(figures->longestWordLength) + " characters)";
        return line;
    }

    const bool comma = CommaLayout();
    const std::string lead = comma ? "  " : " ";
    const std::string sep = comma ? ",  " : "  ";
    const std::string R = RankField(i), F = FreqField(i), W = WordField(i);
    const std::string Wt(TrimRight(W));
    std::string line;
    switch (layout) {
    case 0: line = lead + R + sep + F + sep + Wt; break;
    case 1: line = lead + R + sep + W + sep + F; break;
    case 2: line = lead + R + sep + F; break;
    case 3: line = lead + R + sep + Wt; break;
    case 4: line = lead + F + sep + R; break;
    case 5: line = "  " + F + sep + Wt; break;
    case 6: line = "  " + W + (comma ? ", " : " ") + R; break;
    case 7: line = "  " + W + (comma ? ", " : " ") + F; break;
    }
    if (i == kHeaderLine && (layout == 0 || layout == 3 || layout == 5)) {
        line.resize(TrimRight(line).size());
        line += " (longest has " + std::to_string(figures->longestWordLength) + " characters)";
    }
    return line;
}

void Lister::DisplayNextLine(int32_t row, std::string& buffer) {
    const bool oneRun = params->displayFormat == 9;
    if (row == kHeaderLine && oneRun) return;
    std::string& line = line_;
    line.clear();
    if (row == kHeaderLine)
        line = BuildLine(row);
    else
        AppendLine(row, line);

    if (writingToFile) {
        if (InjectedWriteFault(faults, *out_)) return;
        if (!utf8Words && std::any_of(line.begin(), line.end(), [](char c) { return uint8_t(c) >= 0x80; }))
            line = text::cp1252ToUtf8(line);
        if (!oneRun)
            line += lineEnd;
        else if (listed_ < figures->wordsInList)
            line += ", ";
        out_->write(line.data(), std::streamsize(line.size()));
        return;
    }
    if (row == kHeaderLine) {
        if (box) box->append(Utf8(line) + "\r\n");
    } else {
        buffer += line;
        buffer += oneRun ? ", " : "\r\n";
    }
    if (box) box->turn(row + 1);  // the header is turn 0
}

bool Lister::FlushBuffer(std::string& buffer) {
    if (!box) {
        buffer.clear();
        return true;
    }
    if (box->length() + int64_t(buffer.size()) > maxTextLength) {
        ReportError(ErrorNumber::Overflow, "");
        box->turn(-1);
        box->showEnd(false);
        box->repaint();
        return false;
    }
    box->append(Utf8(buffer));
    box->showEnd(false);
    buffer.clear();
    return true;
}

Lister::PassEnd Lister::RunPass() {
    const bool byFrequency = params->wordOrder != 1;
    std::string buffer;
    SetColumnWidths();
    listed_ = 0;
    DisplayNextLine(kHeaderLine, buffer);
    if (out_ && out_->fail()) return PassEnd::StreamFailed;

    PassEnd end = PassEnd::Completed;
    const bool yields = observer && observer->yields;
    auto visit = [&](int32_t slot) {
        ++listed_;
        DisplayNextLine(slot, buffer);
        if (out_ && out_->fail()) return end = PassEnd::StreamFailed, false;
        if (!out_ && listed_ % kLinesPerFlush == 0 && !FlushBuffer(buffer))
            return end = PassEnd::Overflow, false;
        if (yields) observer->yield();
        if (StopRequested()) return end = PassEnd::Stopped, false;
        return true;
    };

    if (byFrequency) {
        int32_t slot = figures->firstByFrequency;
        for (int64_t k = 1; k <= figures->wordsInList; ++k) {
            if (slot < 0 || slot >= table->size()) break;  // a chain that ends early
            if (!visit(slot)) break;
            slot = (*table)[slot].nextByFrequency;
        }
    } else {
        for (int32_t s = 0; s < table->size(); ++s)
            if ((*table)[s].included && !visit(s)) break;
    }
    if (end == PassEnd::Overflow || end == PassEnd::StreamFailed) return end;

    if (!out_ && !buffer.empty() && !FlushBuffer(buffer)) return PassEnd::Overflow;
    if (box) {
        box->showEnd(false);
        box->repaint();
        if (byFrequency) box->turn(-1);
    }
    return end;
}

void Lister::ForEachListed(const std::function<bool(const WordRecord&)>& visit) const {
    const WordTable& t = *table;
    if (params->wordOrder != 1) {
        int32_t slot = figures->firstByFrequency;
        for (int64_t k = 1; k <= figures->wordsInList; ++k) {
            if (slot < 0 || slot >= t.size() || !visit(t[slot])) break;
            slot = t[slot].nextByFrequency;
        }
    } else {
        for (const WordRecord& w : t.Records())
            if (w.included && !visit(w)) break;
    }
}

std::vector<ListedWord> Lister::ListedWords() const {
    std::vector<ListedWord> rows;
    rows.reserve(size_t(std::max<int64_t>(figures->wordsInList, 0)));
    ForEachListed([&](const WordRecord& w) {
        rows.push_back({w.rank, w.frequency, Utf8(Trim(table->Word(w)))});
        return true;
    });
    return rows;
}

bool Lister::WriteFormatted(std::ostream& out) {
    out << FormatHead(format, *figures);
    bool first = true;
    ForEachListed([&](const WordRecord& w) {
        ListedWord row{w.rank, w.frequency, Utf8(Trim(table->Word(w)))};
        if (InjectedWriteFault(faults, out)) return false;
        out << FormatRow(format, row, first);
        first = false;
        return out.good();
    });
    if (out.good()) out << FormatTail(format, !first);
    return out.good();
}

bool Lister::WriteListing(std::ostream& out) {
    if (format != ListingFormat::Listing) return WriteFormatted(out);
    const bool wasWriting = writingToFile;
    std::ostream* wasOut = out_;
    writingToFile = true;
    std::optional<ChunkedOut> chunks;
    std::optional<std::ostream> chunked;
    if (chunked_ && !faults) {
        chunks.emplace(out);
        chunked.emplace(&*chunks);
    }
    out_ = chunked ? &*chunked : &out;
    PassEnd end = PassEnd::StreamFailed;
    try {
        end = RunPass();
        if (chunks && !chunks->Finish()) out.setstate(std::ios::badbit);
    } catch (...) {
        writingToFile = wasWriting;
        out_ = wasOut;
        throw;
    }
    writingToFile = wasWriting;
    out_ = wasOut;
    return end == PassEnd::Completed && out.good();
}

ListingOutcome WriteOut(const std::string& path, const std::function<void(std::ostream&)>& write,
                        IoFaults* faults) {
    ListingOutcome o;
    if (path.empty()) {
        errno = 0;
        write(std::cout);
        std::cout.flush();
        if (!std::cout) {
            o.err = errno != 0 ? errno : EIO;
            o.error = ErrorFromErrno(o.err);
            o.failedWriting = true;
        }
        return o;
    }
    OutputFile file(path);
    if (!file.open()) {
        o.error = file.error();
        o.err = file.systemError();
        return o;
    }
    std::ostream& out = file.stream();
    try {
        errno = 0;
        write(out);
        if (out.fail()) {
            o.err = errno != 0 ? errno : EIO;
            o.error = ErrorFromErrno(o.err);
            o.failedWriting = true;
        } else if (InjectedWriteFault(faults, out)) {  // the final flush of the buffered tail
            o.err = errno;
            o.error = ErrorFromErrno(errno);
            o.failedWriting = true;
        }
    } catch (const std::bad_alloc&) {
        o.error = {ErrorNumber::OutOfMemory, "Out of memory"};
    }
    // A listing that broke off midway is dropped and the old file kept; a
    // stopped one is kept as far as it went.
    if (o.error.number != 0) return o;
    if (!file.commit()) {
        o.error = file.error();
        o.err = file.systemError();
        o.failedWriting = file.failedWriting();
    }
    return o;
}

ListingOutcome Lister::ListTo(ListingSink sink) {
    ListingOutcome o;
    o.attempted = true;
    if (sink == ListingSink::Window) {
        ListWords();
        return o;
    }
    // With no word to list the listing layout writes nothing; a table is
    // written with no rows.
    if (figures->wordsInList == 0) {
        ShowNoWordsMessage();
        if (format == ListingFormat::Listing) return o;
    }
    const bool toFile = sink == ListingSink::File;
    chunked_ = toFile;
    o = WriteOut(toFile ? params->fileNames[1] : std::string(),
                 [this](std::ostream& out) { WriteListing(out); }, faults);
    chunked_ = false;
    o.attempted = true;
    if (toFile && o.error.number != 0) ReportError(o.error.number, o.error.description);
    return o;
}

void Lister::ListWords() {
    outputFileWritten = false;
    fileRefused_ = false;
    if (figures->wordsInList == 0) {
        if (box) box->set("");
        ShowNoWordsMessage();
    } else {
        const std::string& name = params->fileNames[1];
        writingToFile = !name.empty() && params->outputToFileDisabled != 1;
        if (writingToFile && params->warnOnOverwrite == 1 && filecheck::FileExists(name)) {
            if (observer && !observer->ask(Question::Overwrite)) {
                fileRefused_ = true;
                writingToFile = false;
            }
        }

        if (writingToFile) {
            if (box) {
                box->set("Now processing and writing to output file ...");
                box->repaint();
            }
            const ListingOutcome o = WriteOut(name, [this](std::ostream& out) { WriteListing(out); }, faults);
            if (o.error.number != 0) {
                writingToFile = false;
                // The box no longer claims the file is being written.
                if (box) box->set("Output file not written: " + o.error.description);
                ReportError(o.error.number, o.error.description);
                return;
            }
            outputFileWritten = true;
        }

        writingToFile = false;
        if (box) box->set("");
        if (StopRequested()) {
            if (box) box->set("Output to file was terminated.\r\n");
            return;
        }

        PassEnd end;
        try {
            end = RunPass();
        } catch (const std::bad_alloc&) {
            ReportError(ErrorNumber::OutOfMemory, "Out of memory");
            if (box) {
                box->turn(-1);
                box->showEnd(false);
            }
            return;
        }
        (void)end;
        if (StopRequested()) {
            if (box) {
                box->append("\r\nListing stopped.\r\n");
                box->showEnd(true);
            }
            return;
        }
    }

    if (box && params->displayFormat == 9) {
        const std::string shown = box->text();
        if (text::utf8Length(shown) >= 3 && shown.ends_with(", "))
            box->set(std::string_view(shown).substr(0, shown.size() - 2));
    }
}

void Lister::ShowNoWordsMessage() {
    if (box) box->set(NoWordsMessageText(table->size(), *params));
}

void Lister::ReportError(int16_t number, std::string_view description) {
    const ErrorTexts t{Text(Message::ListingTooLong), Text(Message::NoOutputFile), Text(Message::OutputFileDisabled), Text(Message::OutputFileWritten), Text(Message::ErrorTitle)};
    const std::string body = ErrorMessageText(number, description, t, !params->fileNames[1].empty(),
                                              params->outputToFileDisabled == 1 || fileRefused_,
                                              outputFileWritten);
    if (observer) observer->diagnostic({Diagnostic::Kind::Error, t.errorTitle, body});
}

}  // namespace kvx
