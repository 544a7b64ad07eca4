#pragma once
// The program's version as the window's title and kvx-count show it.

#include <string>
#include <string_view>

namespace kvx {

/// "1.0" -> "1.07": major, ".", minor, then the digit 7.
std::string VersionText(std::string_view version);

/// The version of this build ("1.07").
std::string ProgramVersion();

}  // namespace kvx
