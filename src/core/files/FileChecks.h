#pragma once
// File checks: existence, the text-file checks and the path helpers.

#include <cstdint>
#include <string>
#include <string_view>

#include "base/Folder.h"

namespace kvx {
}

namespace kvx::filecheck {

/// File kinds returned by the text checks.
enum : int16_t {
    kNoFile = -1,       // no file at the path
    kEmptyFile = -2,    // zero length
    kOpenFailed = -3,   // exists, but opening failed
    kNotText = 0,
    kTextCrLf = 1,      // CR and LF both seen, or neither
    kTextLf = 2,        // LF only (Unix/Linux)
    kTextCr = 3,        // CR only (Macintosh)
};

/// True when something that is not a folder exists at the path; false for "".
bool FileExists(const std::string& path);
using kvx::FolderExists;
/// Length in bytes, or -1 when it cannot be found out.
int64_t FileLength(const std::string& path);
/// True when both paths name the same file (device and inode).
bool SameFile(const std::string& a, const std::string& b);

/// The strict check (common-words file): firstBadByte set only for kind 0.
int16_t TextFileKind(const std::string& path, int64_t maxBytes, int16_t& firstBadByte);
/// The tolerant check (input file). badByte is 32 when none was found;
/// position is 1-based; percentage is anomalous bytes per 100 examined.
/// With allowUnicodeBytes, a file that starts with a UTF-16 mark is judged
/// by the 16-bit units after the mark within the first maxBytes bytes:
/// badByte is then the unit's value, position the place of its first byte,
/// percentage anomalous units per 100 units, and units 10 and 13 the line ends.
int16_t TextFileKindTolerant(const std::string& path, int64_t maxBytes, uint8_t& badByte,
                             int64_t& position, double tolerance, double& percentage,
                             bool allowUnicodeBytes);
/// The tolerant check of an open stream that cannot be read twice (standard
/// input): the bytes it reads are appended to readBytes. Every stream counts as
/// a device: it is not text when the check has not decided within 1 MiB.
int16_t StreamKindTolerant(int fd, std::string& readBytes, int64_t maxBytes, uint8_t& badByte,
                           int64_t& position, double tolerance, double& percentage,
                           bool allowUnicodeBytes);
/// "This file has Unix/Linux line endings." (kind 2) or "... Macintosh ..." (3);
/// "" for any other kind.
std::string_view LineEndingWarning(int16_t kind);

/// Text after the last '.' of the last path element ("" when none).
std::string GetFileExtension(std::string_view path, bool lowerCase);
/// The path up to and including its last '/', "" when there is none.
std::string GetFolder(std::string_view path, bool normalise);
/// Paths without a drive letter come back unchanged.
std::string NormaliseDriveCase(std::string_view path);

/// Drops the characters 255 and 254 (either order) from the start of a line:
/// the byte-order mark of a UTF-16 file read as 8-bit text.
void DropByteOrderPair(std::string& line);

}  // namespace kvx::filecheck
