#pragma once
// Sorting a range of texts in ascending ordinal order of their UTF-16 code
// units (a proper prefix first), never by locale.

#include <string>
#include <vector>

namespace kvx::QuickSort {

/// Sorts a[lo..hi] (inclusive, 0-based) ascending by UTF-16 code units of the
/// UTF-8 texts. Indexes outside the array are clamped; an empty range is left alone.
void SortStrings(std::vector<std::string>& a, int lo, int hi);

}  // namespace kvx::QuickSort
