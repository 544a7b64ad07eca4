#include "files/Corpus.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "TempFolder.h"

namespace kvx {
namespace {

namespace fs = std::filesystem;

TEST(CorpusTest, FilterPatterns) {
    using V = std::vector<std::string>;
    EXPECT_EQ(corpus::FilterPatterns("*.txt;*.html"), (V{"*.txt", "*.html"}));
    EXPECT_EQ(corpus::FilterPatterns(" *.txt , *.md ;; "), (V{"*.txt", "*.md"}));
    EXPECT_TRUE(corpus::FilterPatterns(" ; ").empty());
    EXPECT_TRUE(corpus::MatchesFilter("A.TXT", {"*.txt"}));
    EXPECT_FALSE(corpus::MatchesFilter("a.txt.bak", {"*.txt", "*.htm"}));
    EXPECT_TRUE(corpus::MatchesFilter("anything", {}));
}

// Folders and subfolders by filter, hidden names passed over, files named
// directly taken whatever the filter, a linked folder and a loop read once,
// the order that of the paths' bytes.
TEST(CorpusTest, ExpandsFoldersInByteOrder) {
    test::TempFolder t;
    for (const char* d : {"d", "d/sub", "d/.hid", "other"}) fs::create_directory(t / d);
    for (const char* f : {"d/b.txt", "d/B.TXT", "d/a.html", "d/x.dat", "d/.h.txt", "d/sub/c.txt",
                          "d/.hid/e.txt", "other/z.dat"})
        t.write(f, "word\n");
    fs::create_directory_symlink(t / "d/sub", t / "d/link");  // the same folder again
    fs::create_directory_symlink(t / "d", t / "d/sub/up");    // a loop
    int64_t bytes = -1;
    const std::vector<std::string> got =
        corpus::ExpandCorpus({t / "d", t / "other/z.dat", t / "d/b.txt", t / "none"}, "*.txt;*.html", &bytes);
    const std::vector<std::string> want = {t / "d/B.TXT", t / "d/a.html", t / "d/b.txt", t / "d/sub/c.txt",
                                           t / "other/z.dat"};
    EXPECT_EQ(got, want);
    EXPECT_EQ(bytes, 25);
    EXPECT_TRUE(corpus::ExpandCorpus({t / "other"}, "*.txt").empty());
}

}  // namespace
}  // namespace kvx
