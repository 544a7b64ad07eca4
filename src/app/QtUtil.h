#pragma once
// Small conversions shared by the windows.

#include <QString>
#include <string>

namespace kvx {

inline QString Q(const std::string& s) { return QString::fromStdString(s); }

/// Twips to pixels at 96 dots per inch.
constexpr int Px(int twips) { return twips / 15; }

}  // namespace kvx
