#pragma once
// What the chart window draws, worked out from the listed words: the most
// frequent words as bars, and rank against frequency with the least-squares
// line of log frequency on log rank.

#include <cstdint>
#include <vector>

#include "words/Listing.h"

namespace kvx {

/// One point of the rank curve.
struct RankPoint {
    int64_t rank = 0;
    int64_t frequency = 0;
};

struct ChartData {
    /// The most frequent words, most frequent first; equal frequencies keep
    /// the listing's order. At most kMaxBars.
    std::vector<ListedWord> bars;
    /// Every rank up to kDenseRanks, then kPointsPerDecade log-spaced ranks
    /// per decade, ending at the last rank.
    std::vector<RankPoint> curve;
    /// The number of words charted.
    int64_t words = 0;
    /// The fit over ranks 1..fitRanks: log10 f = intercept + slope * log10 r.
    /// Needs two ranks at least (fitRanks 0 when there were fewer).
    int64_t fitRanks = 0;
    double slope = 0;
    double intercept = 0;

    static constexpr int kMaxBars = 100;
    static constexpr int64_t kDenseRanks = 1000;
    static constexpr int kPointsPerDecade = 500;
};

/// The chart of the listed words, in the listing's order.
ChartData MakeChartData(const std::vector<ListedWord>& rows);

}  // namespace kvx
