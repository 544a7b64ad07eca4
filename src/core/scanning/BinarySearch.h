#pragma once
// Binary search over a sorted list of strings (entries 1..n; entry 0 unused).

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace kvx::BinarySearch {

/// Finds key among a[1..n], comparing each entry from character position
/// `start` (1-based) on, ordinally. Found: position is the entry. Not found:
/// position is the negated place where the key would be inserted.
bool SearchSortedStrings(std::string_view key, const std::vector<std::string>& a, int32_t n,
                         int32_t& position, int32_t start);

}  // namespace kvx::BinarySearch
