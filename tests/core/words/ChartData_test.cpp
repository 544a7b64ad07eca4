#include "words/ChartData.h"

#include <gtest/gtest.h>

#include <cmath>

namespace kvx {
namespace {

// Rows ranked in the order given, named w0, w1, ...: f = c / r^s for ranks
// 1..n (at least 1), then `ones` words that occur once.
std::vector<ListedWord> Zipf(int64_t n, double c, double s, int64_t ones = 0) {
    std::vector<ListedWord> rows;
    for (int64_t r = 1; r <= n + ones; ++r)
        rows.push_back({r, r > n ? 1 : std::max<int64_t>(1, std::llround(c / std::pow(double(r), s))),
                        "w" + std::to_string(r - 1)});
    return rows;
}

TEST(ChartData, BarsAreTheMostFrequentWithTiesInListingOrder) {
    // Alphabetical listing: frequencies out of order, ties keep it.
    const ChartData d = MakeChartData({{3, 1, "ant"}, {1, 9, "bee"}, {4, 1, "cat"}, {2, 4, "dog"}, {5, 4, "eel"}});
    std::string bars;
    for (const ListedWord& b : d.bars) bars += b.word + " ";
    EXPECT_EQ(bars, "bee dog eel ant cat ");
    EXPECT_TRUE(MakeChartData({}).bars.empty());
    const ChartData many = MakeChartData(Zipf(150, 1000, 1));
    ASSERT_EQ(many.bars.size(), size_t(ChartData::kMaxBars));
    EXPECT_EQ(many.bars.back().word, "w99");
}

TEST(ChartData, CurveIsEveryRankToAThousandThenLogSpaced) {
    const std::pair<int64_t, size_t> cases[] = {{0, 0}, {1, 1}, {7, 7}, {1000, 1000}, {1001, 1001}, {1000000, 2500}};
    const double step = std::pow(10.0, 1.0 / ChartData::kPointsPerDecade);
    for (const auto& [n, points] : cases) {
        SCOPED_TRACE(n);
        std::vector<ListedWord> rows = Zipf(n, 1e6, 1);
        if (n > 0) std::swap(rows.front(), rows.back());  // the curve sorts by frequency
        const ChartData d = MakeChartData(rows);
        ASSERT_EQ(d.curve.size(), points);
        EXPECT_EQ(d.words, n);
        if (n == 0) continue;
        EXPECT_EQ(d.curve.front().rank, 1);
        EXPECT_EQ(d.curve.back().rank, n);
        for (size_t i = 1; i < d.curve.size(); ++i) {
            const RankPoint &a = d.curve[i - 1], &b = d.curve[i];
            EXPECT_EQ(b.frequency, std::max<int64_t>(1, std::llround(1e6 / double(b.rank))));
            // Dense to 1000, then a constant ratio (the last point may come sooner).
            if (b.rank <= 1000) {
                EXPECT_EQ(b.rank - a.rank, 1);
            } else if (b.rank != n) {
                EXPECT_NEAR(double(b.rank) / double(a.rank), step, 2e-3);
            }
        }
    }
}

TEST(ChartData, SlopeOfTheLeastSquaresLine) {
    const struct {
        std::vector<ListedWord> rows;
        int64_t fitRanks;
        double slope;
    } cases[] = {
        {Zipf(8, 840, 1), 8, -1.0},   // f = 840 / r exactly
        {Zipf(6, 3600, 2), 6, -2.0},  // f = 3600 / r^2 exactly
        {Zipf(3, 7, 0), 3, 0.0},
        {Zipf(1, 7, 0), 0, 0.0},
        {Zipf(1000, 1e6, 1.2, 4000), 1000, -1.2},  // ranks past 1000 play no part
    };
    for (const auto& c : cases) {
        const ChartData d = MakeChartData(c.rows);
        EXPECT_EQ(d.fitRanks, c.fitRanks);
        EXPECT_NEAR(d.slope, c.slope, 1e-3);
        const double f1 = double(c.rows[0].frequency);
        if (c.fitRanks) {
            EXPECT_NEAR(std::pow(10.0, d.intercept), f1, 0.01 * f1);
        }
    }
}

}  // namespace
}  // namespace kvx
