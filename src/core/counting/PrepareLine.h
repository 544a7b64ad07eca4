#pragma once
// The preparation every line read from a file gets before it is scanned.

#include <string>

#include "scanning/Scanner.h"
#include "scanning/WordText.h"

namespace kvx {

/// Trims the control characters and blanks around the scanner's line,
/// lower-cases it where case does not matter, cleans it, adds the pad blank
/// and scans it. False for a line that is empty once trimmed (not scanned).
inline bool PrepareAndScanLine(scanning::Scanner& scanner, bool lowerCase) {
    const wordtext::PreparedLine p = wordtext::PrepareLineInPlace(scanner.currentLine, lowerCase);
    if (p.empty) return false;
    scanner.currentLine += ' ';
    scanner.ScanCleanLine(p.hyphen);
    return true;
}

}  // namespace kvx
