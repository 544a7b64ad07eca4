#pragma once
// The preparation every line read from a file gets before it is scanned.

#include <string>

#include "scanning/StrProc.h"

namespace kvx {

/// Trims the control characters and blanks around the line, lower-cases it
/// where case does not matter and adds the pad blank the scanner needs.
/// False for a line that is empty once trimmed (nothing to scan).
inline bool PrepareLine(std::string& line, bool lowerCase) {
    StrProc::TrimControlChars(line);
    if (line.empty()) return false;
    if (lowerCase) StrProc::LowerCaseExtInPlace(line);
    line += ' ';
    return true;
}

}  // namespace kvx
