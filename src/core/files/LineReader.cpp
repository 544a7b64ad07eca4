#include "files/LineReader.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <bit>
#include <cerrno>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "files/FaultInjection.h"
#include "text/Cp1252.h"

namespace kvx {
namespace {

constexpr size_t kBlock = 64 * 1024;

// Bytes that can be copied to the line unchanged: ASCII other than CR and LF.
constexpr std::array<bool, 256> makePlain() {
    std::array<bool, 256> t{};
    for (int b = 0; b < 0x80; ++b) t[b] = b != '\r' && b != '\n';
    return t;
}
constexpr std::array<bool, 256> kPlain = makePlain();

// Length of the plain run at the start of [p, e), eight bytes at a time: the
// lowest flagged byte of a word is the first CR, LF or byte of 0x80 and above
// (the zero-byte test can only misflag bytes above a true zero).
inline size_t plainRun(const unsigned char* p, const unsigned char* e) {
    constexpr uint64_t kOnes = 0x0101010101010101ULL;
    constexpr uint64_t kHighs = 0x8080808080808080ULL;
    auto hasZero = [](uint64_t v) { return (v - kOnes) & ~v & kHighs; };
    const unsigned char* s = p;
#if defined(__SSE2__)
    // Sixteen at a time: a byte's top bit is set by a match or by 0x80 and above.
    const __m128i lf = _mm_set1_epi8('\n'), cr = _mm_set1_epi8('\r');
    while (e - p >= 16) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
        const __m128i stop = _mm_or_si128(v, _mm_or_si128(_mm_cmpeq_epi8(v, lf), _mm_cmpeq_epi8(v, cr)));
        if (const unsigned m = static_cast<unsigned>(_mm_movemask_epi8(stop)); m != 0)
            return static_cast<size_t>(p - s) + static_cast<size_t>(std::countr_zero(m));
        p += 16;
    }
#endif
    while (e - p >= 8) {
        uint64_t w;
        std::memcpy(&w, p, 8);
        const uint64_t stop = (w & kHighs) | hasZero(w ^ (kOnes * '\n')) | hasZero(w ^ (kOnes * '\r'));
        if (stop != 0) {
            if constexpr (std::endian::native != std::endian::little) break;
            return static_cast<size_t>(p - s) + static_cast<size_t>(std::countr_zero(stop) / 8);
        }
        p += 8;
    }
    while (p < e && kPlain[*p]) ++p;
    return static_cast<size_t>(p - s);
}

inline char toCode(char32_t c) {
    if (c < 0x80 || (c >= 0xA0 && c <= 0xFF)) return static_cast<char>(c);
    return static_cast<char>(text::toCp1252(c));
}

}  // namespace

LineReader::~LineReader() { close(); }

void LineReader::close() {
    if (fd_ >= 0 && owned_) ::close(fd_);
    owned_ = true;
    fd_ = -1;
    pos_ = end_ = 0;
    consumedBefore_ = 0;
    left_ = -1;
    eof_ = true;
    skipLf_ = false;
}

void LineReader::fail(int err) {
    failed_ = true;
    error_ = ErrorFromErrno(err);
}

bool LineReader::open(const std::string& path, int64_t begin, int64_t end) {
    close();
    failed_ = false;
    eof_ = false;
    error_ = {};
    enc_ = Encoding::Utf8;

    // Non-blocking, so that opening a pipe without a writer or a terminal
    // never waits; pipes and sockets are refused below, and a device that has
    // nothing to give fails instead of hanging.
    fd_ = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd_ < 0) {
        fail(errno);
        return false;
    }
    struct stat st {};
    if (::fstat(fd_, &st) != 0) {
        fail(errno);
    } else if (S_ISDIR(st.st_mode)) {
        fail(EISDIR);
    } else if (S_ISFIFO(st.st_mode) || S_ISSOCK(st.st_mode)) {
        failed_ = true;
        error_ = {ErrorNumber::PathFileAccess, "Path/File access error"};
    }
    if (failed_) {
        ::close(fd_);
        fd_ = -1;
        return false;
    }

    buf_.resize(kBlock);
    begin = std::max<int64_t>(begin, 0);
    left_ = end < 0 ? -1 : std::max<int64_t>(0, end - begin);
    if (begin == 0) return start();
    if (::lseek(fd_, begin, SEEK_SET) < 0) {
        fail(errno);
        close();
        return false;
    }
    consumedBefore_ = begin;
    return true;
}

std::vector<int64_t> LineReader::LineStarts(const std::string& path, int64_t length, int pieces) {
    std::vector<int64_t> starts{0};
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) return starts;
    unsigned char mark[2];
    const bool utf16 = ::pread(fd, mark, 2, 0) == 2 &&
                       ((mark[0] == 0xFF && mark[1] == 0xFE) || (mark[0] == 0xFE && mark[1] == 0xFF));
    std::vector<char> buf(kBlock);
    // A range begins after an LF: an LF is never part of a UTF-8 sequence,
    // and a CR before it ends the same line in both ranges' readings.
    for (int k = 1; k < pieces && !utf16; ++k) {
        int64_t at = std::max(starts.back(), length / pieces * k);
        int64_t lf = -1;
        while (lf < 0) {
            const ssize_t n = ::pread(fd, buf.data(), buf.size(), at);
            if (n <= 0) break;
            const void* p = std::memchr(buf.data(), '\n', static_cast<size_t>(n));
            if (p) lf = at + (static_cast<const char*>(p) - buf.data());
            at += n;
        }
        if (lf < 0 || lf + 1 >= length) break;
        starts.push_back(lf + 1);
    }
    ::close(fd);
    return starts;
}

bool LineReader::openStream(int fd, std::string_view readBefore) {
    close();
    failed_ = false;
    eof_ = false;
    error_ = {};
    enc_ = Encoding::Utf8;
    fd_ = fd;
    owned_ = false;
    buf_.resize(std::max(kBlock, readBefore.size()));
    std::memcpy(buf_.data(), readBefore.data(), readBefore.size());
    end_ = readBefore.size();
    return start();
}

// Reads what the byte-order mark needs and skips the mark.
bool LineReader::start() {
    fill(3);
    if (failed_) {
        close();
        return false;
    }
    size_t avail = end_ - pos_;
    const unsigned char* b = buf_.data();
    if (avail >= 2 && b[0] == 0xFF && b[1] == 0xFE) {
        enc_ = Encoding::Utf16LE;
        pos_ = 2;
    } else if (avail >= 2 && b[0] == 0xFE && b[1] == 0xFF) {
        enc_ = Encoding::Utf16BE;
        pos_ = 2;
    } else if (avail >= 3 && b[0] == 0xEF && b[1] == 0xBB && b[2] == 0xBF) {
        pos_ = 3;
    }
    return true;
}

// Makes at least `need` bytes available at pos_, unless the file ends first.
// Unread bytes move to the front of the buffer (never more than a few).
bool LineReader::fill(size_t need) {
    while (end_ - pos_ < need) {
        if (eof_ || failed_ || fd_ < 0) return false;
        if (pos_ > 0) {
            std::memmove(buf_.data(), buf_.data() + pos_, end_ - pos_);
            consumedBefore_ += static_cast<int64_t>(pos_);
            end_ -= pos_;
            pos_ = 0;
        }
        if (faults) {
            if (int err = faults->readFault(consumedBefore_ + static_cast<int64_t>(end_))) {
                fail(err);
                return false;
            }
        }
        size_t room = buf_.size() - end_;
        if (left_ >= 0) room = static_cast<size_t>(std::min<int64_t>(left_, static_cast<int64_t>(room)));
        ssize_t n = room == 0 ? 0 : ::read(fd_, buf_.data() + end_, room);
        if (n < 0) {
            if (errno == EINTR) continue;
            fail(errno);
            return false;
        }
        if (n == 0) {
            eof_ = true;
            return false;
        }
        end_ += static_cast<size_t>(n);
        if (left_ >= 0) left_ -= n;
    }
    return true;
}

LineReader::Status LineReader::readLine(std::string& line) {
    line.clear();
    if (failed_) return Status::Error;
    if (fd_ < 0) return Status::End;
    return enc_ == Encoding::Utf8 ? readUtf8(line) : readUtf16(line);
}

LineReader::Status LineReader::readUtf8(std::string& line) {
    if (skipLf_) {
        skipLf_ = false;
        if (fill(1) && buf_[pos_] == '\n') ++pos_;
        if (failed_) return Status::Error;
    }
    bool any = false;
    for (;;) {
        if (pos_ == end_ && !fill(1)) {
            if (failed_) return Status::Error;
            return any ? Status::Line : Status::End;
        }
        any = true;
        const unsigned char* b = buf_.data();
        size_t run = plainRun(b + pos_, b + end_);
        line.append(reinterpret_cast<const char*>(b + pos_), run);
        pos_ += run;
        if (pos_ == end_) continue;

        unsigned char c = b[pos_];
        if (c == '\n') {
            ++pos_;
            return Status::Line;
        }
        if (c == '\r') {
            ++pos_;
            skipLf_ = true;
            return Status::Line;
        }
        // A byte of 0x80 or more: a UTF-8 sequence, or a Windows-1252 byte.
        text::Utf8Step d = text::decodeUtf8(b + pos_, end_ - pos_);
        if (d.status == text::Utf8Status::Incomplete) {
            fill(d.length);
            if (failed_) return Status::Error;
            b = buf_.data();
            d = text::decodeUtf8(b + pos_, end_ - pos_);  // still incomplete at the end of the file
        }
        if (utf8Out && d.status == text::Utf8Status::Valid) {
            // The valid characters and plain bytes that follow go in one stretch.
            size_t to = pos_ + d.length;
            while (to < end_) {
                const unsigned char x = b[to];
                if (x < 0x80) {
                    if (x == '\n' || x == '\r') break;
                    to += plainRun(b + to, b + end_);
                    continue;
                }
                if (x >= 0xE1 && x != 0xED && x <= 0xEF && end_ - to >= 3 && (b[to + 1] & 0xC0) == 0x80 &&
                    (b[to + 2] & 0xC0) == 0x80) {
                    to += 3;  // U+1000 to U+FFFF without the surrogates: always valid
                    continue;
                }
                const text::Utf8Step next = text::decodeUtf8(b + to, end_ - to);
                if (next.status != text::Utf8Status::Valid) break;
                to += next.length;
            }
            line.append(reinterpret_cast<const char*>(b + pos_), to - pos_);
            pos_ = to;
        } else if (utf8Out) {
            text::appendUtf8(line, text::fromCp1252(c));
            ++pos_;
        } else if (d.status == text::Utf8Status::Valid) {
            line.push_back(toCode(d.value));
            pos_ += d.length;
        } else {
            line.push_back(static_cast<char>(c));
            ++pos_;
        }
    }
}

LineReader::Status LineReader::readUtf16(std::string& line) {
    const bool le = enc_ == Encoding::Utf16LE;
    auto unitAt = [&](size_t i) { return text::utf16Unit(buf_.data() + i, le); };
    if (skipLf_) {
        skipLf_ = false;
        if (fill(2) && unitAt(pos_) == '\n') pos_ += 2;
        if (failed_) return Status::Error;
    }
    bool any = false;
    for (;;) {
        if (!fill(2)) {
            if (failed_) return Status::Error;
            if (end_ - pos_ == 1) {  // an odd byte at the end of the file
                if (utf8Out)
                    text::appendUtf8(line, 0xFFFD);
                else
                    line.push_back(static_cast<char>(text::kNoCode));
                ++pos_;
                any = true;
                continue;
            }
            return any ? Status::Line : Status::End;
        }
        any = true;
        // Whole units already in the buffer, without further checks.
        while (end_ - pos_ >= 2) {
            char32_t u = unitAt(pos_);
            pos_ += 2;
            if (u == '\n') return Status::Line;
            if (u == '\r') {
                skipLf_ = true;
                return Status::Line;
            }
            if (u < 0xD800 || u > 0xDFFF) {
                if (utf8Out)
                    text::appendUtf8(line, u);
                else
                    line.push_back(toCode(u));
                continue;
            }
            // A high surrogate needs the unit after it, which may not have
            // been read yet. Neither a pair nor a lone surrogate has a
            // Windows-1252 code.
            if (u < 0xDC00 && end_ - pos_ < 2) {
                fill(2);
                if (failed_) return Status::Error;
            }
            const int32_t next = end_ - pos_ >= 2 ? static_cast<int32_t>(unitAt(pos_)) : -1;
            const text::Utf16Step d = text::decodeUtf16(u, next);
            pos_ += 2 * (d.units - 1u);
            if (utf8Out)
                text::appendUtf8(line, d.value);
            else
                line.push_back(toCode(d.value));
        }
    }
}

}  // namespace kvx
