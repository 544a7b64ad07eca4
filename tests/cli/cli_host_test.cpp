// The command line's number formatting follows the locale's grouping rules.

#include <gtest/gtest.h>

#include <climits>
#include <string>

#include "cli/CliHost.h"

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

}  // namespace
