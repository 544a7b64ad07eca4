#pragma once
// The preparation every line read from a file gets before it is scanned.

#include <cstdint>
#include <string>

#include "files/FileChecks.h"
#include "files/LineReader.h"
#include "scanning/Scanner.h"
#include "scanning/WordText.h"

namespace kvx {

/// Trims the control characters and blanks around the scanner's line,
/// lower-cases it where case does not matter, cleans it, adds the pad blank
/// and scans it. False for a line that is empty once trimmed (not scanned).
inline bool PrepareAndScanLine(scanning::Scanner& scanner, bool lowerCase) {
    const wordtext::PreparedLine p = scanner.unicode.on
                                         ? scanning::UnicodeLine::Prepare(scanner.currentLine, lowerCase)
                                         : wordtext::PrepareLineInPlace(scanner.currentLine, lowerCase);
    if (p.empty) {
        if (scanner.phraseBreaks && scanner.sink) scanner.sink->EndOfRun();  // a blank line
        return false;
    }
    scanner.currentLine += ' ';
    scanner.ScanCleanLine(p.hyphen);
    return true;
}

/// The per-line loop of a count: reads the reader's lines into the
/// scanner's line, drops a byte-order pair, prepares and scans each. After
/// each line, onLine(bytes) is told its length without the line end and
/// returns false to stop. The reader's error() tells whether it ended well.
template <class OnLine>
inline void ScanLines(LineReader& reader, scanning::Scanner& scanner, bool lowerCase, OnLine&& onLine) {
    std::string& line = scanner.currentLine;
    reader.utf8Out = scanner.unicode.on;
    for (LineReader::Status st; (st = reader.readLine(line)) == LineReader::Status::Line;) {
        if (scanner.unicode.on)
            scanning::UnicodeLine::DropByteOrderPair(line);
        else
            filecheck::DropByteOrderPair(line);
        const int64_t bytes = static_cast<int64_t>(line.size());
        if (scanner.lineStarts) scanner.sink->BeginLine(line);
        PrepareAndScanLine(scanner, lowerCase);
        if (!onLine(bytes)) return;
    }
}

}  // namespace kvx
