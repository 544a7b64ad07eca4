#include "words/CountsFile.h"

#include <algorithm>
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

bool HasCapital(std::string_view w) {
    for (char c : w)
        if (wordtext::LowerCaseChar(static_cast<unsigned char>(c)) != static_cast<unsigned char>(c)) return true;
    return false;
}

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

}  // namespace

std::string ReadCounts(std::istream& in, const std::string& fingerprint, const Params& p, WordTable& table,
                       int64_t& totalOccurrences, bool inWordOrder) {
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
    const bool utf8 = table.utf8Words;
    const WordChars chars(p, utf8);
    const bool digits = AllowedExtraChars(p).find('0') != std::string::npos;
    const bool lowerCaseOnly = p.caseSignificant != 1;
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
    std::string word;
    for (int64_t i = 1; i <= words; ++i) {
        const Got g = lines.Next(line, limit);
        if (g == Got::End || g == Got::Cut) return refuse(cut);
        if (g == Got::TooLong) return refuse(at("is too long."));
        const size_t tab = line.find('\t');
        int64_t count = 0;
        const Parsed parsed =
            tab == std::string::npos ? Parsed::NotANumber : ParseCount(std::string_view(line).substr(0, tab), count);
        if (parsed == Parsed::TooLarge) return refuse(at("holds a count too large."));
        if (parsed != Parsed::Ok || count == 0) return refuse(at("is not a count, a tab and a word."));
        const std::string_view utf8Word = std::string_view(line).substr(tab + 1);
        bool capital;
        if (utf8) {
            // Under the letters of every script the words are UTF-8 and are
            // checked in the form the scanner walks.
            bool valid = true;
            for (const text::Utf8Char& ch : text::Utf8Chars(utf8Word)) valid = valid && ch.valid;
            if (!valid || !chars.Holds(scanning::UnicodeLine::ShadowOf(utf8Word, digits)))
                return refuse(at("does not hold a word."));
            word = utf8Word;
            capital = lowerCaseOnly && text::LowerUtf8(word) != word;
        } else {
            // ASCII is the same bytes in both.
            const bool ascii = std::all_of(utf8Word.begin(), utf8Word.end(), [](char c) { return uint8_t(c) < 0x80; });
            if (ascii)
                word = utf8Word;
            else
                word = text::utf8ToCp1252(utf8Word);
            if (!chars.Holds(word) || (!ascii && text::cp1252ToUtf8(word) != utf8Word))
                return refuse(at("does not hold a word."));
            capital = lowerCaseOnly && HasCapital(word);
        }
        if (int64_t(utf8 ? text::utf8Length(word) : word.size()) > table.maxWordLength)
            return refuse(at("holds a word longer than " + std::to_string(table.maxWordLength) + " characters."));
        if (capital) return refuse(at("holds a capital letter, but case is not significant."));
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
