#include "words/CountsFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <cstdio>
#include <cstring>
#include <limits>
#include <optional>
#include <system_error>
#include <thread>
#include <utility>
#include <string_view>

#include "params/Params.h"
#include "scanning/Scanner.h"
#include "scanning/WordText.h"
#include "text/Cp1252.h"
#include "text/Unicode.h"

namespace kvx {
namespace {

const char* const kFormatLine = "kvx-counts 1";
constexpr std::string_view kUtf8Mark = "\xEF\xBB\xBF";
constexpr size_t kCountDigits = 19;  // of the largest count, 9223372036854775807

// FNV-1a, 64 bits: stable across machines and builds.
uint64_t Fnv(const std::string& s) {
    uint64_t h = 0xcbf29ce484222325ULL;
    for (unsigned char c : s) h = (h ^ c) * 0x100000001b3ULL;
    return h;
}

enum class Parsed { Ok, NotANumber, TooLarge };

// A decimal number without sign or leading zeros, at most INT64_MAX.
Parsed ParseCount(std::string_view s, int64_t& n) {
    if (s.empty() || (s.size() > 1 && s[0] == '0')) return Parsed::NotANumber;
    for (char c : s)
        if (c < '0' || c > '9') return Parsed::NotANumber;
    if (s.size() > kCountDigits) return Parsed::TooLarge;
    uint64_t v = 0;  // nineteen digits fit
    for (char c : s) v = v * 10 + uint64_t(c - '0');
    if (v > uint64_t(std::numeric_limits<int64_t>::max())) return Parsed::TooLarge;
    n = int64_t(v);
    return Parsed::Ok;
}

// The lines of a counts file, each read only as far as the longest line the
// format allows: a file that is not one is refused after a few hundred bytes
// however long its lines are.
class Lines {
public:
    enum class Got { Line, End, Cut, TooLong };

    explicit Lines(std::istream& in) : sb_(in.rdbuf()) {}

    int64_t number = 0;  // of the line read last

    // The next line without its LF (nor a CR before it), when it holds at
    // most limit bytes. End: nothing more; Cut: a last line without its LF.
    Got Next(std::string& line, size_t limit) {
        ++number;
        line.clear();
        if (!sb_) return Got::End;
        for (;;) {
            const auto c = sb_->sbumpc();
            if (c == std::char_traits<char>::eof()) return line.empty() ? Got::End : Got::Cut;
            if (c == '\n') break;
            if (line.size() > limit) return Got::TooLong;  // one byte over is left for a CR
            line += char(c);
        }
        if (!line.empty() && line.back() == '\r') line.pop_back();
        return line.size() <= limit ? Got::Line : Got::TooLong;
    }

    bool AtEnd() { return !sb_ || sb_->sgetc() == std::char_traits<char>::eof(); }

private:
    std::streambuf* sb_;
};

// Which bytes a word can hold under the rules of p, and which can begin one,
// as the scanner decides them.
struct WordChars {
    wordtext::CharTable inside, initial;
    explicit WordChars(const Params& p, bool utf8) {
        const std::string extra = AllowedExtraChars(p);
        std::string initialExtra;
        for (char c : extra)
            if (scanning::kProhibitedInitialOrFinalChars.find(c) == std::string_view::npos) initialExtra += c;
        inside = wordtext::WordCharTable(false, extra);
        initial = wordtext::WordCharTable(false, initialExtra);
        if (utf8)
            for (unsigned char b : {scanning::kShadowInside, scanning::kShadowLatin, scanning::kShadowOther,
                                    scanning::kShadowSegmented})
                inside[b] = initial[b] = true;
    }
    bool Holds(std::string_view w) const {
        if (w.empty() || !initial[static_cast<unsigned char>(w[0])]) return false;
        for (char c : w)
            if (!inside[static_cast<unsigned char>(c)]) return false;
        return true;
    }
};

// What a word line must hold: a count, a tab and a word that the rules in
// force and the table's word length could have counted.
class WordLineRules {
public:
    WordLineRules(const Params& p, const WordTable& table)
        : chars_(p, table.utf8Words), utf8_(table.utf8Words),
          digits_(AllowedExtraChars(p).find('0') != std::string::npos), lowerCaseOnly_(p.caseSignificant != 1),
          maxWordLength_(table.maxWordLength) {
        for (int c = 0; c < 256; ++c) capital_[size_t(c)] = wordtext::LowerCaseChar(uint8_t(c)) != c;
    }

    // "" when line is one, with its count in count and its word, in the
    // table's encoding, in word (within line or scratch); else what is wrong
    // with it, to follow "Line N of the counts file ".
    std::string Check(std::string_view line, int64_t& count, std::string_view& word, std::string& scratch) const {
        const size_t tab = line.find('\t');
        const Parsed parsed = tab == std::string_view::npos ? Parsed::NotANumber : ParseCount(line.substr(0, tab), count);
        if (parsed == Parsed::TooLarge) return "holds a count too large.";
        if (parsed != Parsed::Ok || count == 0) return "is not a count, a tab and a word.";
        const std::string_view utf8Word = line.substr(tab + 1);
        bool capital = false;
        if (utf8_) {
            // Under the letters of every script the words are UTF-8 and are
            // checked in the form the scanner walks.
            bool valid = true;
            for (const text::Utf8Char& ch : text::Utf8Chars(utf8Word)) valid = valid && ch.valid;
            if (!valid || !chars_.Holds(scanning::UnicodeLine::ShadowOf(utf8Word, digits_)))
                return "does not hold a word.";
            word = utf8Word;
            capital = lowerCaseOnly_ && text::LowerUtf8(scratch.assign(word)) != word;
        } else {
            // ASCII is the same bytes in both.
            bool ascii = true;
            for (char c : utf8Word) ascii = ascii && uint8_t(c) < 0x80;
            word = ascii ? utf8Word : std::string_view(scratch = text::utf8ToCp1252(utf8Word));
            if (!chars_.Holds(word) || (!ascii && text::cp1252ToUtf8(word) != utf8Word)) return "does not hold a word.";
            if (lowerCaseOnly_)
                for (char c : word) capital = capital || capital_[uint8_t(c)];
        }
        if (int64_t(utf8_ ? text::utf8Length(word) : word.size()) > maxWordLength_)
            return "holds a word longer than " + std::to_string(maxWordLength_) + " characters.";
        if (capital) return "holds a capital letter, but case is not significant.";
        return {};
    }

private:
    WordChars chars_;
    bool utf8_, digits_, lowerCaseOnly_;
    int16_t maxWordLength_;
    std::array<bool, 256> capital_{};  // lower-casing changes the character
};

}  // namespace

std::string WordRulesFingerprint(const Params& p, const std::vector<std::string>& commonWords,
                                 int32_t numCommonWords, const std::string& letters) {
    std::string s = "case " + std::to_string(p.caseSignificant == 1) + "\nchars " +
                    AllowedExtraChars(p) + "\nfinal-s " + std::to_string(p.dropFinalS == 1) +
                    "\ncomments " + std::to_string(p.allowCommentMarkers == 1) + "\n";
    if (p.allowCommentMarkers == 1)
        for (int i = 0; i < 2; ++i) s += p.startComment[i] + "\t" + p.endComment[i] + "\n";
    s += "ignore " + p.wordsToIgnore + "\ncommon " + std::to_string(p.ignoreCommonWords == 1) + "\n";
    if (p.ignoreCommonWords == 1)
        for (int32_t i = 1; i <= numCommonWords && size_t(i) < commonWords.size(); ++i)
            s += commonWords[i] + "\n";
    if (!letters.empty()) s += "letters " + letters + "\n";
    char hex[17];
    std::snprintf(hex, sizeof hex, "%016llx", static_cast<unsigned long long>(Fnv(s)));
    return hex;
}

void WriteCounts(std::ostream& out, const std::string& fingerprint, int64_t totalOccurrences,
                 const WordTable& table) {
    out << kFormatLine << "\nrules " << fingerprint << "\noccurrences " << totalOccurrences
        << "\nwords " << table.size() << "\n";
    std::string line;
    for (int32_t i = 0; i < table.size() && out; ++i) {
        line = std::to_string(table[i].frequency);
        line += '\t';
        if (table.utf8Words)
            line += table.Word(i);
        else
            line += text::cp1252ToUtf8(table.Word(i));
        line += '\n';
        out << line;
    }
}

namespace {

// The words of a counts file read into an empty table in two halves, the
// first sorted on a thread of its own while the second is read.
class Halves {
public:
    Halves(const WordTable& like, int64_t words) : split_(words / 2) {
        for (WordTable& h : half_) {
            h.maxWordLength = like.maxWordLength;
            h.utf8Words = like.utf8Words;
            h.collation = like.collation;
            h.memoryLimit = like.memoryLimit / 2;  // together as much as the table
        }
    }
    ~Halves() { Join(); }

    void Add(std::string_view word, int64_t count, int64_t line) {
        if (line == split_ + 1 && split_ >= kThreaded) {
            try {
                sorter_ = std::thread([this] {
                    try {
                        half_[0].Finish();
                    } catch (...) {
                        failed_ = std::current_exception();
                    }
                });
            } catch (const std::system_error&) {  // sorted with the second half
            }
        }
        half_[line > split_].AppendWord(word, count, int32_t(line));
    }

    // The line that repeats a word of an earlier line first (0: none), once
    // both halves are sorted.
    int64_t FirstRepeat() {
        Sort();
        int64_t first = 0;
        const WordTable &a = half_[0], &b = half_[1];
        int32_t i = 0, j = 0;
        while (i < a.size() || j < b.size()) {
            // The group of records of the next word in either half.
            const std::string_view w = j >= b.size() || (i < a.size() && a.Word(i) <= b.Word(j)) ? a.Word(i) : b.Word(j);
            int64_t lowest = INT64_MAX, second = INT64_MAX;
            const auto take = [&](int64_t line) {
                if (line < lowest) second = lowest, lowest = line;
                else if (line < second) second = line;
            };
            for (; i < a.size() && a.Word(i) == w; ++i) take(a[i].rank);
            for (; j < b.size() && b.Word(j) == w; ++j) take(b[j].rank);
            if (second != INT64_MAX && (first == 0 || second < first)) first = second;
        }
        return first;
    }

    // The whole file, once it has no repeat.
    void MoveInto(WordTable& table) {
        Sort();
        table.Merge(half_[0], half_[1], true);
    }

private:
    static constexpr int64_t kThreaded = 1 << 16;
    void Join() {
        if (sorter_.joinable()) sorter_.join();
    }
    void Sort() {
        Join();
        if (failed_) std::rethrow_exception(std::exchange(failed_, nullptr));
        if (sorted_) return;
        half_[0].Finish();  // nothing to do when sorted on the thread
        half_[1].Finish();
        sorted_ = true;
    }

    WordTable half_[2];
    bool sorted_ = false;
    int64_t split_;
    std::thread sorter_;
    std::exception_ptr failed_;
};

// The word lines of a counts file that begin in [begin, end), read into
// tables of some thousand words each, sorted by word.
struct Part {
    int64_t begin = 0, end = 0;
    std::vector<WordTable> pieces;
    int64_t lines = 0, sum = 0;
    bool whole = false;  // every line a word line
    std::exception_ptr failed;
};

// What the parts of a file share: the room their words may take together,
// and whether one has found the file wrong (the others then stop).
struct Parts {
    std::atomic<int64_t> room;
    std::atomic<bool> abandon{false};
};

// Reads part from the file fd of size fileEnd, whose word lines start at
// body (a part that begins within a line leaves it to the part before), in
// pieces small enough to be sorted in the cache.
void ReadPart(int fd, int64_t body, int64_t fileEnd, size_t limit, const WordLineRules& wordLines,
              int64_t words, int64_t occurrences, const WordTable& like, Parts& shared, Part& part) {
    constexpr int32_t kPieceWords = 1 << 17;
    std::vector<char> buffer(std::max<size_t>(size_t(1) << 20, 4 * (limit + 2)));
    int64_t base = part.begin;  // the file offset of buffer[0]
    size_t pos = 0, have = 0;
    // More bytes after those not yet taken; false at the end of the file.
    const auto fill = [&] {
        std::memmove(buffer.data(), buffer.data() + pos, have - pos);
        base += int64_t(pos);
        have -= pos;
        pos = 0;
        const int64_t left = fileEnd - base - int64_t(have);
        if (left <= 0) return false;
        const ssize_t got = ::pread(fd, buffer.data() + have, size_t(std::min<int64_t>(left, int64_t(buffer.size() - have))),
                                    base + int64_t(have));
        if (got <= 0) return false;
        have += size_t(got);
        return true;
    };
    if (part.begin > body) {
        base = part.begin - 1;
        for (;;) {
            if (const void* lf = std::memchr(buffer.data() + pos, '\n', have - pos)) {
                pos = size_t(static_cast<const char*>(lf) - buffer.data()) + 1;
                break;
            }
            pos = have;
            if (!fill()) break;
        }
    }
    WordTable piece;
    const auto newPiece = [&](int32_t words, int64_t bytes) {
        piece = WordTable();
        piece.maxWordLength = like.maxWordLength;
        piece.utf8Words = like.utf8Words;
        piece.collation = like.collation;
        piece.Reserve(words, bytes);
    };
    // The piece sorted (a word it holds twice is found when merged); false
    // when another part has found the file wrong.
    const auto endPiece = [&] {
        piece.Finish();
        const int32_t words = piece.size();
        const int64_t bytes = piece.WordBytes();
        if (shared.room.fetch_sub(bytes + int64_t(words) * int64_t(sizeof(WordRecord))) < 0) throw std::bad_alloc();
        part.pieces.push_back(std::move(piece));
        newPiece(words, bytes);
        return !shared.abandon;
    };
    newPiece(0, 0);
    std::string scratch;
    std::string_view word;
    while (base + int64_t(pos) < part.end) {
        const char* lf;
        while (!(lf = static_cast<const char*>(std::memchr(buffer.data() + pos, '\n', have - pos)))) {
            if (have - pos > limit + 1 || !fill()) return;  // too long, or the last line has no LF
        }
        std::string_view line(buffer.data() + pos, size_t(lf - buffer.data()) - pos);
        pos += line.size() + 1;
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        int64_t count = 0;  // a line longer than the limit fails the checks too
        if (++part.lines > words || !wordLines.Check(line, count, word, scratch).empty() ||
            count > occurrences - part.sum)
            return;
        part.sum += count;
        piece.AppendWord(word, count, int32_t(part.lines));
        if (piece.size() == kPieceWords && !endPiece()) return;
    }
    if (piece.size() > 0 && !endPiece()) return;
    part.whole = true;
}

// The word lines of a large counts file read on several threads into the
// empty table, in word order. False when they cannot be read so, or are
// not all right: the caller then reads them one by one to say what is wrong
// and where.
bool ReadWordLinesInParts(const std::string& path, int64_t body, int64_t words, int64_t occurrences, size_t limit,
                          const WordLineRules& wordLines, WordTable& table, int threads) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);  // a pipe's name must not wait
    if (fd < 0) return false;
    struct Closer {
        int fd;
        ~Closer() { ::close(fd); }
    } closer{fd};
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || st.st_size <= body) return false;
    const int64_t fileEnd = st.st_size;
    const size_t n = size_t(std::clamp(threads, 1, 64));
    std::vector<Part> parts(n);
    Parts shared;
    shared.room = table.memoryLimit / 2;  // the merged table takes as much again
    for (size_t k = 0; k < n; ++k) {
        Part& part = parts[k];
        part.begin = body + (fileEnd - body) * int64_t(k) / int64_t(n);
        part.end = body + (fileEnd - body) * int64_t(k + 1) / int64_t(n);
    }
    const auto read = [&](Part& part) {
        try {
            ReadPart(fd, body, fileEnd, limit, wordLines, words, occurrences, table, shared, part);
        } catch (...) {
            part.failed = std::current_exception();
        }
        if (!part.whole) shared.abandon = true;
    };
    std::vector<std::thread> helpers;
    for (size_t k = 1; k < n; ++k) {
        try {
            helpers.emplace_back(read, std::ref(parts[k]));
        } catch (const std::system_error&) {  // read here, after the first
            break;
        }
    }
    read(parts[0]);
    for (std::thread& h : helpers) h.join();
    for (size_t k = helpers.size() + 1; k < n; ++k) read(parts[k]);
    int64_t sum = 0;
    std::vector<WordTable*> tables;
    for (Part& part : parts) {
        if (part.failed) std::rethrow_exception(part.failed);
        if (!part.whole || part.sum > occurrences - sum) return false;
        sum += part.sum;
        for (WordTable& piece : part.pieces) tables.push_back(&piece);
    }
    table.Merge(tables, n > 1);
    if (table.size() == words) return true;
    table.Reset();  // fewer lines than words, or a word repeated
    return false;
}

}  // namespace

std::string ReadCounts(std::istream& in, const std::string& fingerprint, const Params& p, WordTable& table,
                       int64_t& totalOccurrences, bool inWordOrder, CountsInParts* inParts) {
    using Got = Lines::Got;
    constexpr int64_t kMax = std::numeric_limits<int64_t>::max();
    const std::string cut = "The counts file is incomplete (it ends early).";
    Lines lines(in);
    auto at = [&](const std::string& what) {
        return "Line " + std::to_string(lines.number) + " of the counts file " + what;
    };
    std::string line;

    // The first bytes decide whether this is a counts file at all. A UTF-8
    // mark before them and CR LF line ends, as editors may leave them, are
    // taken for what they are.
    Got got = lines.Next(line, kUtf8Mark.size() + std::strlen(kFormatLine));
    if (line.starts_with(kUtf8Mark)) line.erase(0, kUtf8Mark.size());
    if (got != Got::Line || line != kFormatLine)
        return got == Got::Cut && line.starts_with("kvx-counts")
                   ? cut
                   : "This is not a counts file (its first line is not \"" + std::string(kFormatLine) + "\").";

    // The longest line: a count, a tab and the longest word the table takes,
    // each of its characters at most three bytes of UTF-8.
    const size_t limit =
        kCountDigits + 1 + (table.utf8Words ? 4 : 3) * size_t(std::max<int16_t>(table.maxWordLength, 0));
    std::string why;
    auto field = [&](const char* key, const std::string& missing, std::string& value) {
        const Got g = lines.Next(line, limit);
        const std::string lead = std::string(key) + " ";
        if (g == Got::Line && line.starts_with(lead)) {
            value = line.substr(lead.size());
            return true;
        }
        why = g == Got::Cut ? cut : g == Got::TooLong ? at("is too long.") : missing;
        return false;
    };
    std::string rules, value;
    if (!field("rules", "The counts file has no \"rules\" line.", rules)) return why;
    if (rules != fingerprint)
        return "The counts were made under other word rules (" + rules + ", these are " + fingerprint +
               "); count with the same parameters.";
    const std::string badOccurrences = "The counts file has a bad \"occurrences\" line.";
    int64_t occurrences = 0, words = 0;
    if (!field("occurrences", badOccurrences, value)) return why;
    if (ParseCount(value, occurrences) != Parsed::Ok) return badOccurrences;
    if (occurrences > kMax - totalOccurrences) return at("makes the total of occurrences too large.");
    const std::string badWords = "The counts file has a bad \"words\" line.";
    if (!field("words", badWords, value)) return why;
    if (ParseCount(value, words) != Parsed::Ok || words > std::numeric_limits<int32_t>::max()) return badWords;

    // Each word line holds a word the rules in force could have counted, once;
    // the counts add up to at most the occurrences, which also count the
    // words dropped before the table (ignored, common, too long).
    const WordLineRules wordLines(p, table);
    if (inWordOrder && table.size() == 0 && inParts && words >= inParts->fromWords) {
        const std::streamoff body = in.tellg();
        if (body > 0 &&
            ReadWordLinesInParts(inParts->path, body, words, occurrences, limit, wordLines, table, inParts->threads)) {
            in.seekg(0, std::ios::end);
            totalOccurrences += occurrences;
            inParts->done = true;
            return {};
        }
        in.clear();
        in.seekg(body);  // read again line by line
    }
    // Room for the words the file announces, as far as the bytes left can
    // hold them (a word line takes four at least); none is looked up when
    // they go to the halves.
    std::optional<Halves> halves;
    if (inWordOrder && table.size() == 0) {
        halves.emplace(table, words);
    } else if (std::streambuf* sb = in.rdbuf()) {
        const auto here = sb->pubseekoff(0, std::ios::cur, std::ios::in);
        const auto end = here < 0 ? here : sb->pubseekoff(0, std::ios::end, std::ios::in);
        if (end >= 0 && sb->pubseekpos(here, std::ios::in) == here)
            table.Expect(int64_t(table.size()) + std::min<int64_t>(words, int64_t(end - here) / 4));
    }
    std::vector<bool> counted(size_t(table.size()));  // records this file has counted
    // A line refused after a repeat the halves hold is refused at the repeat.
    const auto refuse = [&](const std::string& why) {
        const int64_t repeat = halves ? halves->FirstRepeat() : 0;
        if (repeat == 0) return why;
        lines.number = repeat + 4;  // after the four lines of the head
        return at("repeats the word of an earlier line.");
    };
    int64_t sum = 0;
    std::string scratch;
    std::string_view word;
    for (int64_t i = 1; i <= words; ++i) {
        const Got g = lines.Next(line, limit);
        if (g == Got::End || g == Got::Cut) return refuse(cut);
        if (g == Got::TooLong) return refuse(at("is too long."));
        int64_t count = 0;
        if (const std::string bad = wordLines.Check(line, count, word, scratch); !bad.empty()) return refuse(at(bad));
        if (count > occurrences - sum)
            return refuse(at("makes the counts add up to more than the \"occurrences\" line says."));
        sum += count;
        if (halves) {  // the counts of one file add up to at most its occurrences: no repeat can overflow
            halves->Add(word, count, i);
            continue;
        }
        const int32_t slot = table.AddCount(word, count);
        if (slot == kNoWord) return at("makes a count too large.");
        if (size_t(slot) >= counted.size()) counted.resize(size_t(slot) + 1);
        if (counted[size_t(slot)]) return at("repeats the word of an earlier line.");
        counted[size_t(slot)] = true;
    }
    if (!lines.AtEnd()) return refuse("The counts file has more lines than its \"words\" line says.");
    if (halves) {
        if (const std::string why = refuse(""); !why.empty()) return why;
        halves->MoveInto(table);
    }
    totalOccurrences += occurrences;
    return {};
}

}  // namespace kvx
