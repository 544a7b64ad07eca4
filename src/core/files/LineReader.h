#pragma once
// Reads a text file line by line, decoding it to Windows-1252 codes.
//
// Only the current line is ever held in memory; the file is read in blocks.
// Decoding: a file starting with FF FE or FE FF is UTF-16 (LE or BE, the mark
// dropped). Otherwise a leading UTF-8 mark is dropped, every valid UTF-8
// sequence becomes its character, and every other byte of 0x80 or more is taken
// as a Windows-1252 byte. Characters without a Windows-1252 code become
// text::kNoCode. CR LF, CR alone and LF alone each end a line.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "base/Errors.h"

namespace kvx {

class IoFaults;

class LineReader {
public:
    enum class Status { Line, End, Error };

    LineReader() = default;
    ~LineReader();
    LineReader(const LineReader&) = delete;
    LineReader& operator=(const LineReader&) = delete;

    /// Opens the file; false (with error() set) when it cannot be read.
    /// Folders, pipes and sockets are refused. With a range, only the bytes
    /// from begin up to end (-1: the end of the file) are read; a range that
    /// starts after the first byte has no byte-order mark and is UTF-8.
    bool open(const std::string& path, int64_t begin = 0, int64_t end = -1);
    /// Up to `pieces` offsets, the first 0, at which lines of the file start,
    /// as evenly spread as its line ends allow: ranges that read the same
    /// lines as the whole file. A UTF-16 file is not split.
    static std::vector<int64_t> LineStarts(const std::string& path, int64_t length, int pieces);
    /// Reads an open stream (standard input) that is not closed here;
    /// readBefore holds the bytes already taken from it, which come first.
    bool openStream(int fd, std::string_view readBefore);
    /// The next line without its line end. End when the file is exhausted.
    Status readLine(std::string& line);
    /// Number and description of the last failure.
    const RunError& error() const { return error_; }
    void close();

    /// Lines come as UTF-8 instead of codes: every character kept, a byte
    /// that is not UTF-8 taken as its Windows-1252 character, a lone
    /// surrogate or odd byte of UTF-16 as U+FFFD.
    bool utf8Out = false;
    /// Consulted before every block read when set (simulated failures).
    IoFaults* faults = nullptr;

    /// Bytes consumed from the file so far.
    int64_t bytesRead() const { return consumedBefore_ + static_cast<int64_t>(pos_); }

private:
    enum class Encoding { Utf8, Utf16LE, Utf16BE };

    bool start();
    bool fill(size_t need);
    void fail(int err);
    Status readUtf8(std::string& line);
    Status readUtf16(std::string& line);

    int fd_ = -1;
    bool owned_ = true;
    std::vector<unsigned char> buf_;
    size_t pos_ = 0;
    size_t end_ = 0;
    int64_t consumedBefore_ = 0;  // bytes dropped from the front of buf_ so far
    int64_t left_ = -1;           // bytes of the range not yet read; -1: no limit
    bool eof_ = false;
    bool failed_ = false;
    bool skipLf_ = false;  // the last line ended in CR: a following LF belongs to it
    Encoding enc_ = Encoding::Utf8;
    RunError error_;
};

}  // namespace kvx
