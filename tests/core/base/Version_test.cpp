#include "base/Version.h"

#include <gtest/gtest.h>

namespace kvx {
namespace {

// The version shown is the major and minor number of the build's version
// followed by the release digit; missing parts read as 0.
TEST(VersionTextTest, MajorMinorAndReleaseDigit) {
    const std::pair<const char*, const char*> rows[] = {
        {"1.0", "1.07"}, {"1.2.3", "1.27"}, {"2", "2.07"}, {".5", "0.57"}, {"", "0.07"}};
    for (const auto& [version, shown] : rows) EXPECT_EQ(VersionText(version), shown) << version;
}

}  // namespace
}  // namespace kvx
