#include "words/ChartData.h"

#include <algorithm>
#include <cmath>
#include <numeric>

namespace kvx {

namespace {

// Least squares of y on x over the ranks 1..n.
void Fit(const std::vector<int64_t>& freq, ChartData& d) {
    const int64_t n = std::min<int64_t>(ChartData::kDenseRanks, int64_t(freq.size()));
    if (n < 2) return;
    double sx = 0, sy = 0, sxx = 0, sxy = 0;
    for (int64_t r = 1; r <= n; ++r) {
        const double x = std::log10(double(r)), y = std::log10(double(freq[size_t(r - 1)]));
        sx += x, sy += y, sxx += x * x, sxy += x * y;
    }
    const double slope = (n * sxy - sx * sy) / (n * sxx - sx * sx);
    d.fitRanks = n;
    d.slope = slope;
    d.intercept = (sy - slope * sx) / double(n);
}

}  // namespace

ChartData MakeChartData(const std::vector<ListedWord>& rows) {
    ChartData d;
    d.words = int64_t(rows.size());

    // The bars: the most frequent first, ties in the listing's order.
    std::vector<size_t> order(rows.size());
    std::iota(order.begin(), order.end(), size_t(0));
    const auto before = [&](size_t a, size_t b) {
        return rows[a].frequency != rows[b].frequency ? rows[a].frequency > rows[b].frequency : a < b;
    };
    const size_t bars = std::min<size_t>(ChartData::kMaxBars, rows.size());
    std::partial_sort(order.begin(), order.begin() + ptrdiff_t(bars), order.end(), before);
    for (size_t i = 0; i < bars; ++i) d.bars.push_back(rows[order[i]]);

    // The frequencies by rank.
    std::vector<int64_t> freq(rows.size());
    for (size_t i = 0; i < rows.size(); ++i) freq[i] = rows[i].frequency;
    std::sort(freq.begin(), freq.end(), std::greater<>());

    const int64_t n = int64_t(freq.size());
    auto add = [&](int64_t r) {
        if (d.curve.empty() || d.curve.back().rank < r) d.curve.push_back({r, freq[size_t(r - 1)]});
    };
    for (int64_t r = 1; r <= std::min(n, ChartData::kDenseRanks); ++r) add(r);
    for (int k = 1;; ++k) {
        const double r = double(ChartData::kDenseRanks) * std::pow(10.0, double(k) / ChartData::kPointsPerDecade);
        if (r >= double(n)) break;
        add(int64_t(std::llround(r)));
    }
    if (n > 0) add(n);

    Fit(freq, d);
    return d;
}

}  // namespace kvx
