#include "scanning/BinarySearch.h"

namespace kvx::BinarySearch {
namespace {

// Three-way ordinal comparison of the key with entry s from 1-based position
// `start` on (bytewise, unsigned; a proper prefix sorts first).
int Compare(std::string_view key, const std::string& s, int32_t start) {
    std::string_view e(s);
    size_t from = start > 1 ? static_cast<size_t>(start - 1) : 0;
    e = from < e.size() ? e.substr(from) : std::string_view{};
    return key.compare(e);
}

}  // namespace

bool SearchSortedStrings(std::string_view key, const std::vector<std::string>& a, int32_t n,
                         int32_t& position, int32_t start) {
    // Never look past the entries the list really holds.
    if (n > 0 && static_cast<size_t>(n) >= a.size()) n = a.empty() ? 0 : static_cast<int32_t>(a.size() - 1);
    if (n <= 0) {
        position = -1;
        return false;
    }
    if (Compare(key, a[1], start) < 0) {
        position = -1;
        return false;
    }
    if (Compare(key, a[n], start) > 0) {
        position = -(n + 1);
        return false;
    }
    if (n == 1) {
        position = 1;
        return true;
    }
    int32_t lo = 1, hi = n, mid = n / 2;
    for (;;) {
        int c = Compare(key, a[mid], start);
        if (c == 0) {
            position = mid;
            return true;
        }
        if (c < 0) {
            if (mid == lo) {
                position = -lo;
                return false;
            }
            hi = mid - 1;
            mid -= (mid - lo + 1) / 2;
        } else {
            if (mid == hi) {
                position = -(hi + 1);
                return false;
            }
            lo = mid + 1;
            mid += (hi - mid + 1) / 2;
        }
    }
}

}  // namespace kvx::BinarySearch
