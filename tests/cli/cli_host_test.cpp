// The command line's number formatting follows the locale's grouping rules.

#include <gtest/gtest.h>

#include <climits>
#include <string>

#include "cli/CliHost.h"

namespace {

struct GroupCase {
    const char* digits;
    std::string grouping;
    const char* separator;
    const char* expected;
};

TEST(GroupDigits, FollowsTheLocaleGrouping) {
    const GroupCase cases[] = {
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
    for (const GroupCase& c : cases)
        EXPECT_EQ(kvx::GroupDigits(c.digits, c.grouping, c.separator), c.expected) << c.digits;
}

}  // namespace
