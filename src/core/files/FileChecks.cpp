#include "files/FileChecks.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <vector>

#include "text/Cp1252.h"

namespace kvx::filecheck {
namespace {

constexpr size_t kBlockSize = 16384;
// Devices have no length and may never end (/dev/zero): the checks give up
// on them after this many bytes and call them not text.
constexpr int64_t kDeviceReadLimit = 1 << 20;

bool IsAnomalous(uint8_t b) {
    return b < 32 && b != 8 && b != 9 && b != 10 && b != 12 && b != 13;
}

// A file opened for the text checks. Opening never waits: pipes and sockets
// count as files that cannot be opened.
class CheckedFile {
public:
    explicit CheckedFile(const std::string& path) {
        fd_ = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
        if (fd_ < 0) return;
        struct stat st {};
        if (::fstat(fd_, &st) != 0 || S_ISDIR(st.st_mode) || S_ISFIFO(st.st_mode) ||
            S_ISSOCK(st.st_mode)) {
            ::close(fd_);
            fd_ = -1;
            return;
        }
        regular_ = S_ISREG(st.st_mode);
    }
    // An open stream (standard input): every byte read is appended to keep,
    // so that the count goes on from there without reading anything twice.
    CheckedFile(int fd, std::string& keep) : fd_(fd), owned_(false), keep_(&keep) {}
    ~CheckedFile() {
        if (fd_ >= 0 && owned_) ::close(fd_);
    }
    CheckedFile(const CheckedFile&) = delete;
    CheckedFile& operator=(const CheckedFile&) = delete;

    bool isOpen() const { return fd_ >= 0; }

    // Reads up to one block (fewer only at the end of the file). Returns the
    // number of bytes, 0 at the end, -1 on a read error.
    int64_t readBlock(std::vector<uint8_t>& block) {
        block.resize(kBlockSize);
        size_t got = 0;
        while (got < kBlockSize) {
            ssize_t n = ::read(fd_, block.data() + got, kBlockSize - got);
            if (n < 0) {
                if (errno == EINTR) continue;
                return -1;
            }
            if (n == 0) break;
            got += static_cast<size_t>(n);
        }
        total_ += static_cast<int64_t>(got);
        if (keep_) keep_->append(reinterpret_cast<const char*>(block.data()), got);
        return static_cast<int64_t>(got);
    }

    // True when a device has given as much as the checks will look at.
    bool overDeviceLimit() const { return !regular_ && total_ >= kDeviceReadLimit; }

private:
    int fd_ = -1;
    bool owned_ = true;
    std::string* keep_ = nullptr;
    bool regular_ = false;
    int64_t total_ = 0;
};

int16_t LineEndKind(bool sawCr, bool sawLf) {
    if (sawCr && !sawLf) return kTextCr;
    if (sawLf && !sawCr) return kTextLf;
    return kTextCrLf;
}

// Lower-cases A-Z and the upper-case letters of Windows-1252 in UTF-8 text;
// everything else is kept byte for byte.
std::string LowerCasePath(std::string_view s) {
    std::string out;
    out.reserve(s.size());
    for (const text::Utf8Char& ch : text::Utf8Chars(s)) {
        if (!ch.valid) {
            out += ch.bytes;
            continue;
        }
        const char32_t c = ch.value;
        char32_t lower = c;
        if (c >= 'A' && c <= 'Z') lower = c + 32;
        else if (c >= 0xC0 && c <= 0xDE && c != 0xD7) lower = c + 32;
        else if (c == 0x160 || c == 0x152 || c == 0x17D) lower = c + 1;  // Š Œ Ž
        else if (c == 0x178) lower = 0xFF;                                 // Ÿ
        if (lower == c) out += ch.bytes;
        else text::appendUtf8(out, lower);
    }
    return out;
}

}  // namespace

bool FileExists(const std::string& path) {
    if (path.empty()) return false;
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && !S_ISDIR(st.st_mode);
}

int64_t FileLength(const std::string& path) {
    if (path.empty()) return -1;
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0 || S_ISDIR(st.st_mode)) return -1;
    return static_cast<int64_t>(st.st_size);
}

bool SameFile(const std::string& a, const std::string& b) {
    if (a.empty() || b.empty()) return false;
    struct stat sa {}, sb {};
    if (::stat(a.c_str(), &sa) != 0 || ::stat(b.c_str(), &sb) != 0) return false;
    return sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
}

namespace {

// The read loop of both text checks. Each block, cut to maxBytes, goes to
// `check(bytes, n)`, which returns how many of its bytes count as examined, or
// -1 when the file is not text. A read error after opening counts as "opening
// failed": the caller then goes on, and its own reading reports the error.
template <class Check>
int16_t CheckBlocks(CheckedFile& file, int64_t maxBytes, bool& sawCr, bool& sawLf, Check check) {
    std::vector<uint8_t> block;
    int64_t examined = 0;
    for (bool first = true;; first = false) {
        const int64_t n = file.readBlock(block);
        if (n < 0) return kOpenFailed;
        if (n == 0) {
            if (first) return kEmptyFile;
            break;
        }
        const int64_t counted = check(block.data(), std::min(n, maxBytes), examined);
        if (counted < 0) return kNotText;
        examined += counted;
        if (examined >= maxBytes) break;
        if (file.overDeviceLimit()) return kNotText;
    }
    return LineEndKind(sawCr, sawLf);
}

template <class Check>
int16_t CheckBlocks(const std::string& path, int64_t maxBytes, bool& sawCr, bool& sawLf,
                    Check check) {
    if (!FileExists(path)) return kNoFile;
    CheckedFile file(path);
    if (!file.isOpen()) return kOpenFailed;
    return CheckBlocks(file, maxBytes, sawCr, sawLf, check);
}

// True when the bytes start with a UTF-16 byte-order mark; little says which.
bool Utf16Mark(const uint8_t* p, int64_t n, bool& little) {
    if (n < 2 || !((p[0] == 0xFF && p[1] == 0xFE) || (p[0] == 0xFE && p[1] == 0xFF))) return false;
    little = p[0] == 0xFF;
    return true;
}

template <class Source>
int16_t TolerantCheck(Source&& source, int64_t maxBytes, uint8_t& badByte, int64_t& position,
                      double tolerance, double& percentage, bool allowUnicodeBytes) {
    percentage = 0;
    badByte = 32;
    int64_t anomalous = 0;
    bool sawCr = false, sawLf = false;
    bool first = true, utf16 = false, little = false;

    // Text behind a UTF-16 mark is judged by its 16-bit units within the first
    // maxBytes bytes: the bytes of „ – ’ and the like would count as control
    // bytes. A lone byte left at the end is no unit and is not examined.
    int64_t bytesSeen = 0, units = 0;
    int pending = -1;  // a unit's first byte, when a block ended after it
    auto checkUnits = [&](const uint8_t* p, int64_t n) {
        const int64_t take = std::min(n, maxBytes - bytesSeen);
        for (int64_t i = first ? 2 : 0; i < take; ++i) {
            if (pending < 0) {
                pending = p[i];
                continue;
            }
            const uint8_t pair[2] = {static_cast<uint8_t>(pending), p[i]};
            pending = -1;
            const char32_t u = text::utf16Unit(pair, little);
            ++units;
            if (u == 10) {
                sawLf = true;
            } else if (u == 13) {
                sawCr = true;
            } else if (u < 32 && IsAnomalous(static_cast<uint8_t>(u))) {
                ++anomalous;
                if (badByte == 32) {
                    badByte = static_cast<uint8_t>(u);
                    position = bytesSeen + i;  // 1-based place of the unit's first byte
                }
            }
        }
        bytesSeen += take;
        percentage = units != 0 ? static_cast<double>(anomalous * 100) / static_cast<double>(units)
                                : 0.0;
        return percentage > tolerance ? int64_t(-1) : take;
    };

    return CheckBlocks(
        source, maxBytes, sawCr, sawLf, [&](const uint8_t* p, int64_t n, int64_t examined) {
            if (first) utf16 = allowUnicodeBytes && Utf16Mark(p, n, little);
            if (utf16) {
                const int64_t counted = checkUnits(p, n);
                first = false;
                return counted;
            }
            first = false;
            int64_t unicodeBytes = 0;
            for (int64_t i = 0; i < n; ++i) {
                const uint8_t b = p[i];
                if (b == 10) {
                    sawLf = true;
                } else if (b == 13) {
                    sawCr = true;
                } else if (allowUnicodeBytes && (b == 0 || b == 254 || b == 255)) {
                    ++unicodeBytes;
                } else if (IsAnomalous(b)) {
                    ++anomalous;
                    if (badByte == 32) {
                        badByte = b;
                        position = examined + i + 1;
                    }
                }
            }
            const int64_t counted = n - unicodeBytes;
            examined += counted;
            percentage = examined != 0 ? static_cast<double>(anomalous * 100) /
                                             static_cast<double>(examined)
                                       : 0.0;
            return percentage > tolerance ? int64_t(-1) : counted;
        });
}

}  // namespace

int16_t TextFileKind(const std::string& path, int64_t maxBytes, int16_t& firstBadByte) {
    bool sawCr = false, sawLf = false;
    return CheckBlocks(path, maxBytes, sawCr, sawLf, [&](const uint8_t* p, int64_t n, int64_t) {
        for (int64_t i = 0; i < n; ++i) {
            if (p[i] == 10) {
                sawLf = true;
            } else if (p[i] == 13) {
                sawCr = true;
            } else if (IsAnomalous(p[i])) {
                firstBadByte = p[i];
                return int64_t(-1);
            }
        }
        return n;
    });
}

int16_t TextFileKindTolerant(const std::string& path, int64_t maxBytes, uint8_t& badByte,
                             int64_t& position, double tolerance, double& percentage,
                             bool allowUnicodeBytes) {
    return TolerantCheck(path, maxBytes, badByte, position, tolerance, percentage,
                         allowUnicodeBytes);
}

int16_t StreamKindTolerant(int fd, std::string& readBytes, int64_t maxBytes, uint8_t& badByte,
                           int64_t& position, double tolerance, double& percentage,
                           bool allowUnicodeBytes) {
    CheckedFile file(fd, readBytes);
    return TolerantCheck(file, maxBytes, badByte, position, tolerance, percentage,
                         allowUnicodeBytes);
}

std::string_view LineEndingWarning(int16_t kind) {
    if (kind == kTextLf) return "This file has Unix/Linux line endings.";
    if (kind == kTextCr) return "This file has Macintosh line endings.";
    return {};
}

std::string GetFileExtension(std::string_view path, bool lowerCase) {
    size_t slash = path.rfind('/');
    std::string_view name = slash == std::string_view::npos ? path : path.substr(slash + 1);
    size_t dot = name.rfind('.');
    if (dot == std::string_view::npos) return {};
    std::string_view ext = name.substr(dot + 1);
    return lowerCase ? LowerCasePath(ext) : std::string(ext);
}

std::string GetFolder(std::string_view path, bool normalise) {
    size_t slash = path.rfind('/');
    if (slash == std::string_view::npos) return {};
    std::string_view folder = path.substr(0, slash + 1);
    return normalise ? NormaliseDriveCase(folder) : std::string(folder);
}

std::string NormaliseDriveCase(std::string_view path) {
    if (path.size() < 2 || path[1] != ':') return std::string(path);
    std::string out;
    char first = path[0];
    out += (first >= 'a' && first <= 'z') ? static_cast<char>(first - 32) : first;
    out += LowerCasePath(path.substr(1));
    return out;
}

void DropByteOrderPair(std::string& line) {
    if (line.size() < 2) return;
    auto b0 = static_cast<unsigned char>(line[0]);
    auto b1 = static_cast<unsigned char>(line[1]);
    if ((b0 == 255 && b1 == 254) || (b0 == 254 && b1 == 255)) line.erase(0, 2);
}

}  // namespace kvx::filecheck
