#include "scanning/QuickSortStrings.h"

#include <algorithm>
#include <utility>

#include "text/Cp1252.h"

namespace kvx::QuickSort {
void SortStrings(std::vector<std::string>& a, int lo, int hi) {
    if (a.empty()) return;
    lo = std::max(lo, 0);
    hi = std::min<int>(hi, static_cast<int>(a.size()) - 1);
    if (lo >= hi) return;
    // Each text is converted once; equal keys (only possible for texts that
    // differ in invalid bytes) fall back to the bytes, so the order is total.
    std::vector<std::pair<std::u16string, std::string>> keyed;
    keyed.reserve(static_cast<size_t>(hi - lo + 1));
    for (int i = lo; i <= hi; ++i) {
        std::u16string k = text::toUtf16Units(a[i]);
        keyed.emplace_back(std::move(k), std::move(a[i]));
    }
    std::sort(keyed.begin(), keyed.end());
    for (int i = lo; i <= hi; ++i) a[i] = std::move(keyed[i - lo].second);
}

}  // namespace kvx::QuickSort
