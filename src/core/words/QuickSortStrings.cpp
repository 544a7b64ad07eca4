#include "words/QuickSortStrings.h"

#include <algorithm>
#include <utility>

#include "text/Cp1252.h"

namespace kvx::QuickSort {
namespace {

// The UTF-16 code units of a UTF-8 text; a byte that is not valid UTF-8
// stands for its own value, as compareUtf16 takes it.
std::u16string Utf16Units(const std::string& s) {
    std::u16string u;
    u.reserve(s.size());
    for (size_t i = 0; i < s.size();) {
        char32_t c;
        size_t k = text::decodeUtf8(s, i, c);
        if (k == 0) {
            c = static_cast<unsigned char>(s[i]);
            k = 1;
        }
        i += k;
        if (c >= 0x10000) {
            c -= 0x10000;
            u += static_cast<char16_t>(0xD800 + (c >> 10));
            u += static_cast<char16_t>(0xDC00 + (c & 0x3FF));
        } else {
            u += static_cast<char16_t>(c);
        }
    }
    return u;
}

}  // namespace

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
        std::u16string k = Utf16Units(a[i]);
        keyed.emplace_back(std::move(k), std::move(a[i]));
    }
    std::sort(keyed.begin(), keyed.end());
    for (int i = lo; i <= hi; ++i) a[i] = std::move(keyed[i - lo].second);
}

}  // namespace kvx::QuickSort
