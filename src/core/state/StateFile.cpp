#include "state/StateFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "base/Errors.h"
#include "base/Folder.h"
#include "files/OutputFile.h"
#include "params/Defaults.h"
#include "scanning/TextLists.h"
#include "scanning/WordsToIgnore.h"
#include "text/Cp1252.h"

namespace kvx {
namespace {

constexpr int kNumLines = 37;
// No line of a genuine file comes near this; a longer one means the file is
// not a parameter file, and reading stops before it can exhaust memory.
constexpr size_t kMaxLineBytes = 64 * 1024;

const char* const kSaveError = "Error when attempting to save parameters: ";
const char* const kRestoreError = "Error when attempting to restore parameters: ";

// Thrown inside RestoreSavedState to end the reading with a description.
struct ReadFailure {
    std::string description;
};

// ---- writing ----

std::string Quoted(const std::string& s) {
    std::string out = "\"";
    for (char c : s) {
        if (c == '"') out += '"';  // doubled, so the field reads back whole
        out += c;
    }
    out += '"';
    return out;
}

// The 37 lines, each ended by CR LF. False when a text field holds a line
// break, which the one-field-per-line format cannot keep.
bool Compose(const Params& p, std::string& out) {
    std::array<const std::string*, 8> texts = {&p.fileNames[0],        &p.fileNames[1],
                                               &p.wordsToIgnoreText,  &p.startComment[0],
                                               &p.endComment[0],  &p.startComment[1],
                                               &p.endComment[1],  &p.commonWordsFile};
    for (const std::string* t : texts)
        if (t->find_first_of("\r\n") != std::string::npos) return false;

    auto text = [&](const std::string& s) { out += Quoted(s) + "\r\n"; };
    auto number = [&](int v) { out += std::to_string(v) + "\r\n"; };
    text(p.fileNames[0]);
    text(p.fileNames[1]);
    text(p.wordsToIgnoreText);
    text(p.startComment[0]);
    text(p.endComment[0]);
    text(p.startComment[1]);
    text(p.endComment[1]);
    number(p.shortWordIndex);
    number(p.longWordIndex);
    number(p.frequencyIndex);
    const std::vector<CheckBoxInfo>& boxes = CheckBoxes();
    for (size_t i = 0; i < boxes.size(); ++i) {
        if (i == kBoxesBeforeReservedLine) number(0);  // reserved
        number(p.*boxes[i].member);
    }
    number(p.wordOrder);
    number(p.displayFormat);
    text(p.commonWordsFile);
    return true;
}

// ---- reading ----

// Splits the file's bytes into lines (CR LF, LF or CR alone end a line),
// decoded to UTF-8: UTF-16 with a byte-order mark, otherwise valid UTF-8
// sequences as they are and every other byte as a Windows-1252 character.
class Lines {
public:
    explicit Lines(std::string bytes) : data_(std::move(bytes)) {
        if (data_.size() >= 2 && ((uint8_t(data_[0]) == 0xFF && uint8_t(data_[1]) == 0xFE) ||
                                  (uint8_t(data_[0]) == 0xFE && uint8_t(data_[1]) == 0xFF)))
            data_ = FromUtf16(data_, uint8_t(data_[0]) == 0xFF);
        else if (data_.compare(0, 3, "\xEF\xBB\xBF") == 0)
            pos_ = 3;
    }

    // The next line, or a failure when the file ends first or a line is too long.
    std::string next() {
        if (pos_ >= data_.size()) throw ReadFailure{"Input past end of file"};
        size_t end = data_.find_first_of("\r\n", pos_);
        size_t stop = end == std::string::npos ? data_.size() : end;
        if (stop - pos_ > kMaxLineBytes) throw ReadFailure{"Invalid file format"};
        std::string line = ToUtf8(std::string_view(data_).substr(pos_, stop - pos_));
        pos_ = stop;
        if (pos_ < data_.size()) {
            if (data_[pos_] == '\r' && pos_ + 1 < data_.size() && data_[pos_ + 1] == '\n') ++pos_;
            ++pos_;
        }
        return line;
    }

private:
    static std::string ToUtf8(std::string_view raw) {
        std::string out;
        out.reserve(raw.size());
        for (const text::Utf8Char& ch : text::Utf8Chars(raw)) {
            if (ch.valid) out += ch.bytes;
            else text::appendUtf8(out, text::fromCp1252(ch.code()));
        }
        return out;
    }

    static std::string FromUtf16(const std::string& b, bool littleEndian) {
        std::string out;
        out.reserve(b.size() / 2);
        auto unit = [&](size_t i) {
            return text::utf16Unit(reinterpret_cast<const unsigned char*>(b.data() + i), littleEndian);
        };
        for (size_t i = 2; i + 1 < b.size(); i += 2) {
            const int32_t next = i + 3 < b.size() ? static_cast<int32_t>(unit(i + 2)) : -1;
            const text::Utf16Step d = text::decodeUtf16(unit(i), next);
            i += 2 * (d.units - 1u);
            text::appendUtf8(out, d.value);
        }
        return out;
    }

    std::string data_;
    size_t pos_ = 0;
};

// Reads at most `limit` bytes of the file: a parameter file is small, and
// whatever lies beyond the fields is never looked at.
std::string ReadPrefix(const std::string& path, size_t limit) {
    // Non-blocking, so that a pipe without a writer cannot hold the program;
    // anything but a regular file (folder, pipe, device) is refused.
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) throw ReadFailure{ErrorFromErrno(errno).description};
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        throw ReadFailure{ErrorFromErrno(EISDIR).description};
    }
    std::string data;
    char buf[65536];
    while (data.size() < limit) {
        ssize_t n = ::read(fd, buf, std::min(sizeof buf, limit - data.size()));
        if (n < 0) {
            if (errno == EINTR) continue;
            int err = errno;
            ::close(fd);
            throw ReadFailure{ErrorFromErrno(err).description};
        }
        if (n == 0) break;
        data.append(buf, static_cast<size_t>(n));
    }
    ::close(fd);
    return data;
}

// The state file's fields are trimmed of tabs as well as spaces.
std::string_view TrimBlanksAndTabs(std::string_view s) { return wordtext::TrimBlanks(s, " \t"); }

// A string field: the text between the first and the last double quote, with
// doubled quotes undone (so a lone quote inside an older file's field stays).
// A line without quotes is taken whole, trimmed of blanks.
std::string TextField(const std::string& line) {
    size_t first = line.find('"');
    size_t last = line.rfind('"');
    if (first == std::string::npos) return std::string(TrimBlanksAndTabs(line));
    std::string_view inner = first == last ? std::string_view(line).substr(first + 1)
                                           : std::string_view(line).substr(first + 1, last - first - 1);
    std::string out;
    out.reserve(inner.size());
    for (size_t i = 0; i < inner.size(); ++i) {
        out += inner[i];
        if (inner[i] == '"' && i + 1 < inner.size() && inner[i + 1] == '"') ++i;
    }
    return out;
}

// The number of a numeric line (blanks and one pair of quotes around it are
// tolerated); anything that is not a number fails.
double NumberField(const std::string& line) {
    std::string_view s = TrimBlanksAndTabs(line);
    if (s.size() >= 2 && s.front() == '"' && s.back() == '"') s = TrimBlanksAndTabs(s.substr(1, s.size() - 2));
    if (!s.empty() && s.front() == '+') s.remove_prefix(1);
    double v = 0;
    auto [ptr, ec] = std::from_chars(s.data(), s.data() + s.size(), v);
    if (s.empty() || ec != std::errc() || ptr != s.data() + s.size() || !std::isfinite(v))
        throw ReadFailure{"Type mismatch"};
    return v;
}

// A list index: the number rounded half to even, from -1 (no selection) to
// the last entry.
int16_t ListIndexField(const std::string& line, size_t entries) {
    double v = std::nearbyint(NumberField(line));
    if (v < -1 || v > static_cast<double>(entries) - 1) throw ReadFailure{"Invalid property value"};
    return static_cast<int16_t>(v);
}

// A check-box value: the number rounded half to even, 0 to 2 (2 is greyed).
int16_t CheckBoxField(const std::string& line) {
    double v = std::nearbyint(NumberField(line));
    if (v < 0 || v > 2) throw ReadFailure{"Invalid property value"};
    return static_cast<int16_t>(v);
}

}  // namespace

namespace {

// A file that cannot be created for want of its folder: says which folder is
// missing and why it is (the folder above could not be written, or is gone).
std::string MissingFolderCause(const std::string& path) {
    const size_t slash = path.rfind('/');
    std::string folder = slash == std::string::npos ? std::string() : path.substr(0, slash);
    if (folder.empty() || FolderExists(folder)) return ErrorFromErrno(ENOENT).description;
    // The nearest folder above that is there.
    std::string above = folder;
    do {
        const size_t up = above.rfind('/');
        above = up == std::string::npos ? "." : up == 0 ? "/" : above.substr(0, up);
    } while (above != "." && above != "/" && !FolderExists(above));
    if (::access(above.c_str(), W_OK) != 0)
        return ErrorFromErrno(EACCES).description + " (the folder " + folder +
               " is missing and cannot be created in " + above + ")";
    return ErrorFromErrno(ENOTDIR).description + " (the folder " + folder + " is missing)";
}

}  // namespace

std::string SaveState(const Params& p, const std::string& path) {
    if (path.empty()) return kSaveError + ErrorFromErrno(ENOENT).description;
    std::string data;
    if (!Compose(p, data)) return std::string(kSaveError) + "A text field holds a line break";

    // Written beside the old file and renamed over it: a failure leaves the
    // old file as it was.
    const RunError e = OutputFile::Replace(path, data);
    if (e.number == ErrorNumber::FileNotFound) return kSaveError + MissingFolderCause(path);
    if (e.number != 0) return kSaveError + e.description;
    return {};
}

std::string RestoreSavedState(Params& live, const std::string& path) {
    // Read into a copy: the parameters change only when the whole file is good.
    Params p = live;
    try {
        // Twice the longest possible 37 lines, to allow for UTF-16.
        Lines lines(ReadPrefix(path, 2 * (kNumLines + 1) * (kMaxLineBytes + 2)));
        p.fileNames[0] = TextField(lines.next());
        p.fileNames[1] = TextField(lines.next());
        p.wordsToIgnoreText = NormaliseWordsToIgnore(TextField(lines.next()), p.wordsToIgnore);
        for (int i = 0; i < 2; ++i) {
            p.startComment[i] = TextField(lines.next());
            p.endComment[i] = TextField(lines.next());
        }
        p.shortWordIndex = ListIndexField(lines.next(), ShortWordSizeEntries().size());
        p.longWordIndex = ListIndexField(lines.next(), LongWordSizeEntries().size());
        p.frequencyIndex = ListIndexField(lines.next(), ThresholdFrequencyEntries().size());
        const std::vector<CheckBoxInfo>& boxes = CheckBoxes();
        for (size_t i = 0; i < boxes.size(); ++i) {
            if (i == kBoxesBeforeReservedLine) lines.next();  // reserved, discarded
            p.*boxes[i].member = CheckBoxField(lines.next());
        }
        p.wordOrder = ListIndexField(lines.next(), WordOrderEntries().size());
        p.displayFormat = ListIndexField(lines.next(), DisplayFormatEntries().size());
        p.commonWordsFile = TextField(lines.next());
        p.commonWordsFileText = p.commonWordsFile;
    } catch (const ReadFailure& f) {
        return kRestoreError + f.description;
    } catch (const std::bad_alloc&) {
        return std::string(kRestoreError) + "Out of memory";
    }
    // No output file named: the disable box is cleared (the window also disables it).
    if (p.fileNames[1].empty()) p.outputToFileDisabled = 0;
    for (int16_t index : {p.shortWordIndex, p.longWordIndex, p.frequencyIndex,
                          p.wordOrder, p.displayFormat})
        if (index == -1) return "Invalid combo box index";
    live = std::move(p);
    return {};
}

}  // namespace kvx
