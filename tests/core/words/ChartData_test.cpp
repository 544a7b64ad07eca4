#include "words/ChartData.h"

#include <gtest/gtest.h>

#include <cmath>

namespace kvx {
namespace {

// Listed rows with these frequencies, ranked as given, named w0, w1, ...
std::vector<ListedRow> Rows(const std::vector<int64_t>& freq) {
    std::vector<ListedRow> rows;
    for (size_t i = 0; i < freq.size(); ++i) rows.push_back({int64_t(i + 1), freq[i], "w" + std::to_string(i)});
    return rows;
}

// f = c / r^s for ranks 1..n (at least 1), then `ones` words that occur once.
std::vector<ListedRow> Zipf(int64_t n, double c, double s, int64_t ones = 0) {
    std::vector<int64_t> f;
    for (int64_t r = 1; r <= n; ++r) f.push_back(std::max<int64_t>(1, std::llround(c / std::pow(double(r), s))));
    f.resize(size_t(n + ones), 1);
    return Rows(f);
}

TEST(ChartData, BarsAreTheMostFrequentWithTiesInListingOrder) {
    struct Case {
        std::vector<ListedRow> rows;
        std::string bars;
    };
    const Case cases[] = {
        {Rows({5, 3, 3, 1}), "w0 w1 w2 w3"},
        // Alphabetical listing: frequencies out of order, ties keep it.
        {{{3, 1, "ant"}, {1, 9, "bee"}, {4, 1, "cat"}, {2, 4, "dog"}}, "bee dog ant cat"},
        {{}, ""},
    };
    for (const Case& c : cases) {
        std::string bars;
        for (const ListedRow& b : MakeChartData(c.rows).bars) bars += (bars.empty() ? "" : " ") + b.word;
        EXPECT_EQ(bars, c.bars);
    }
    const ChartData many = MakeChartData(Zipf(150, 1000, 1));
    ASSERT_EQ(many.bars.size(), size_t(ChartData::kMaxBars));
    EXPECT_EQ(many.bars.back().word, "w99");
}

TEST(ChartData, CurveIsEveryRankToAThousandThenLogSpaced) {
    const struct {
        int64_t n;
        size_t points;
    } cases[] = {{0, 0}, {1, 1}, {7, 7}, {1000, 1000}, {1001, 1001}, {1000000, 2500}};
    for (const auto& c : cases) {
        std::vector<ListedRow> rows = Zipf(c.n, 1e6, 1);
        if (c.n > 0) std::swap(rows.front(), rows.back());  // the curve sorts by frequency
        const ChartData d = MakeChartData(rows);
        SCOPED_TRACE(c.n);
        ASSERT_EQ(d.curve.size(), c.points);
        EXPECT_EQ(d.words, c.n);
        if (c.n == 0) continue;
        EXPECT_EQ(d.curve.front().rank, 1);
        EXPECT_EQ(d.curve.front().frequency, 1000000);
        EXPECT_EQ(d.curve.back().rank, c.n);
        for (size_t i = 1; i < d.curve.size(); ++i) {
            const RankPoint &a = d.curve[i - 1], &b = d.curve[i];
            EXPECT_EQ(b.frequency, std::max<int64_t>(1, std::llround(1e6 / double(b.rank))));
            // Dense to 1000, then a constant ratio (the last point may come sooner).
            if (b.rank <= 1000) {
                EXPECT_EQ(b.rank - a.rank, 1);
            } else if (b.rank != c.n) {
                EXPECT_NEAR(double(b.rank) / double(a.rank), std::pow(10.0, 1.0 / ChartData::kPointsPerDecade), 2e-3);
            }
        }
    }
}

TEST(ChartData, SlopeOfTheLeastSquaresLine) {
    const struct {
        std::vector<ListedRow> rows;
        int64_t fitRanks;
        double slope;
    } cases[] = {
        {Rows({840, 420, 280, 210, 168, 140, 120, 105}), 8, -1.0},  // f = 840 / r exactly
        {Rows({3600, 900, 400, 225, 144, 100}), 6, -2.0},            // f = 3600 / r^2
        {Rows({7, 7, 7}), 3, 0.0},
        {Rows({7}), 0, 0.0},
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
