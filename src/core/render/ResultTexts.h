#pragma once
// The four result lines, as the window's labels and kvx-count's summary show
// them. Only the programs call this; the engine gives numbers.

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "base/ResultFigures.h"

namespace kvx {

/// The texts of the four result labels (empty ones included), the numbers
/// written by grouped and right-aligned on the widest.
std::vector<std::string> ResultLabelTexts(const ResultFigures& r,
                                          const std::function<std::string(int64_t)>& grouped);

}  // namespace kvx
