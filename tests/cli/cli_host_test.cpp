// The command line's number formatting: the locale's grouping rules, the progress line.

#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <vector>

#include "cli/CliHost.h"
#include "cli/Progress.h"

namespace {

TEST(GroupDigits, FollowsTheLocaleGrouping) {
    const struct {
        const char* digits;
        std::string grouping;
        const char *separator, *expected;
    } cases[] = {
        {"12234884", "\3\3", ",", "12,234,884"},
        {"999", "\3", ",", "999"},
        {"1000", "\3", ",", "1,000"},
        {"-1234567", "\3", ".", "-1.234.567"},
        {"12345678", "\3\2", ",", "1,23,45,678"},  // later groups of two
        {"12345678", "", ",", "12345678"},          // C locale: no grouping
        {"12345678", "\3", "", "12345678"},          // no separator
        {"12345678", std::string(1, CHAR_MAX), ",", "12345678"},  // no further grouping
        {"1234567", "\3", "\xE2\x80\xAF", "1\xE2\x80\xAF" "234\xE2\x80\xAF" "567"},  // narrow no-break space
    };
    for (const auto& c : cases)
        EXPECT_EQ(kvx::GroupDigits(c.digits, c.grouping, c.separator), c.expected) << c.digits;
}

// Decimals are formatted once, in the core, from the host's grouping and
// decimal sign: a decimal comma garbled kvx-count's percentages to ",1.038%".
TEST(FormatGroupedDecimals, UsesTheHostsGroupingAndDecimalSign) {
    struct CommaHost : kvx::CliHost {
        std::string formatGrouped(int64_t n) const override {
            return kvx::GroupDigits(std::to_string(n), "\3", ".");
        }
        std::string decimalPoint() const override { return ","; }
    } host;
    EXPECT_EQ(host.formatGroupedDecimals(0.10376, 4), "0,1038");
    EXPECT_EQ(host.formatGroupedDecimals(12345.678, 2), "12.345,68");
    EXPECT_EQ(host.formatGroupedDecimals(1234567.0, 0), "1.234.567");
}

// Units roll over at 1000 after rounding; the total and the files only when
// every size is known; no more than all is read.
TEST(ProgressText, SaysHowFarWithWhatIsKnown) {
    const struct {
        int64_t bytes;
        std::vector<int64_t> sizes;
        double seconds;
        const char* expected;
    } cases[] = {
        {999, {-1}, 1, "999 B read, 999 B/s"},
        {999950, {-1}, 0, "1.0 MB read, 0 B/s"},
        {1200000000, {4000000000, 6000000000}, 4, "1.2 GB of 10.0 GB (12%), 0 of 2 files, 300.0 MB/s, 0:29 left"},
        {5000, {4000, 2000, -1}, 10, "5.0 kB read, 500 B/s"},
        {1000, {400, 600}, 1, "1.0 kB of 1.0 kB (100%), 2 of 2 files, 1.0 kB/s, 0:00 left"},
        {1100, {1000}, 1, "1.0 kB of 1.0 kB (100%), 1.1 kB/s, 0:00 left"},
        {1000000, {4601000000}, 1, "1.0 MB of 4.6 GB (0%), 1.0 MB/s, 1:16:40 left"},
    };
    for (const auto& c : cases) EXPECT_EQ(kvx::cli::ProgressText(c.bytes, c.sizes, c.seconds), c.expected) << c.expected;
}

}  // namespace
