#include "shell/MessageTable.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "base/Folder.h"
#include "text/Cp1252.h"

namespace kvx {
namespace {

constexpr size_t kMaxTextLength = 1023;       // characters of one text
constexpr int64_t kMaxFileSize = 4 << 20;     // a larger file is not ours
constexpr int32_t kNoText = 0, kCannotOpen = -1, kTooMuchText = -3, kEmpty = -6,
                  kReadError = -7;

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

// Reads the whole file; returns 0 or one of the load error codes.
int32_t ReadWholeFile(const std::string& path, std::string& content) {
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) return kCannotOpen;
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        return kCannotOpen;
    }
    char buf[65536];
    int32_t result = 0;
    for (;;) {
        ssize_t n = ::read(fd, buf, sizeof buf);
        if (n < 0) {
            if (errno == EINTR) continue;
            result = kReadError;
            break;
        }
        if (n == 0) break;
        content.append(buf, static_cast<size_t>(n));
        if (static_cast<int64_t>(content.size()) > kMaxFileSize) {
            result = kTooMuchText;
            break;
        }
    }
    ::close(fd);
    return result;
}

// "\n" becomes CR LF, "\\" a backslash; any other backslash stays as it is.
std::string Unescape(std::string_view s) {
    std::string out;
    out.reserve(s.size());
    for (size_t i = 0; i < s.size(); ++i) {
        if (s[i] == '\\' && i + 1 < s.size()) {
            if (s[i + 1] == 'n') {
                out += "\r\n";
                ++i;
                continue;
            }
            if (s[i + 1] == '\\') {
                out += '\\';
                ++i;
                continue;
            }
        }
        out += s[i];
    }
    return out;
}

void ReplaceAll(std::string& s, std::string_view what, const std::string& with) {
    for (size_t at = s.find(what); at != std::string::npos; at = s.find(what, at + with.size()))
        s.replace(at, what.size(), with);
}

}  // namespace

// The file: UTF-8 lines "N=text"; '#' starts a comment line; blank lines are
// skipped; a CR before the line end is ignored. See data/kvx.dat.
int32_t MessageTable::Load(const std::string& path) {
    texts_.clear();
    std::string content;
    int32_t r = ReadWholeFile(path, content);
    if (r != 0) return r;
    if (content.empty()) return kEmpty;

    std::map<int16_t, std::string> texts;
    const std::string folder = ProgramFolder();
    std::string_view all(content);
    if (all.substr(0, 3) == "\xEF\xBB\xBF") all.remove_prefix(3);
    int32_t lineNumber = 0;
    while (!all.empty()) {
        ++lineNumber;
        size_t nl = all.find('\n');
        std::string_view line = all.substr(0, nl);
        all.remove_prefix(nl == std::string_view::npos ? all.size() : nl + 1);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);

        size_t first = 0;
        while (first < line.size() && IsBlank(line[first])) ++first;
        if (first == line.size() || line[first] == '#') continue;

        // The number: digits, blanks allowed around it; then '=' and the text.
        size_t eq = line.find('=');
        const int32_t missing = -(500 + lineNumber);
        if (eq == std::string_view::npos) return missing;
        std::string_view num = line.substr(first, eq - first);
        while (!num.empty() && IsBlank(num.back())) num.remove_suffix(1);
        if (num.empty() || num.size() > 5) return missing;
        int32_t n = 0;
        for (char c : num) {
            if (c < '0' || c > '9') return missing;
            n = n * 10 + (c - '0');
        }
        if (n > 32767) return missing;
        std::string_view raw = line.substr(eq + 1);
        if (raw.empty()) return missing;
        if (texts.count(static_cast<int16_t>(n))) return -(1500 + lineNumber);
        std::string value = Unescape(raw);
        if (text::utf8Length(value) > kMaxTextLength) return -(1000 + lineNumber);
        ReplaceAll(value, "{datadir}", folder);
        texts.emplace(static_cast<int16_t>(n), std::move(value));
    }
    if (texts.empty()) return kNoText;
    texts_ = std::move(texts);
    return static_cast<int32_t>(texts_.size());
}

std::string MessageTable::Text(int16_t n) const {
    auto it = texts_.find(n);
    return it == texts_.end() ? std::string() : it->second;
}

std::string MessageTable::LoadErrorText(int32_t r, const std::string& path) {
    switch (r) {
    case 0: return "No program text was read.";
    case -1: return "Cannot open file containing program text.\r\n" + path;
    case -2: return "Particular memory allocation error.";
    case -3: return "Too much program text.";
    case -4: return "Text not recovered.";
    case -6: return "File is empty.";
    case -7: return "Error reading file.";
    case -8: return "General memory allocation error.";
    default: break;
    }
    // The line numbers are taken as 64-bit so that no r overflows.
    int64_t v = r;
    if (v < -1500) return "Duplicate in program text at line " + std::to_string(-(v + 1500)) + ".";
    if (v <= -1001) return "String too long at line " + std::to_string(-(v + 1000)) + ".";
    if (v <= -501) return "Missing string at line " + std::to_string(-(v + 500)) + ".";
    return "Error " + std::to_string(r);
}

}  // namespace kvx
