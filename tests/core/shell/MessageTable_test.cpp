#include "shell/MessageTable.h"

#include <gtest/gtest.h>

#include <string>

#include "TempFolder.h"
#include "base/Folder.h"

namespace kvx {
namespace {

TEST(MessageTableTest, LoadsTheShippedTexts) {
    MessageTable t;
    ASSERT_GT(t.Load(std::string(KVX_TEST_DATA_DIR) + "/kvx.dat"), 0);
    EXPECT_EQ(t.Text(1), "KVX");
    EXPECT_EQ(t.Text(15).find("{datadir}"), std::string::npos);
    EXPECT_EQ(t.Text(2), "");
    EXPECT_EQ(t.Text(-1), "");
}

TEST(MessageTableTest, ResultCodes) {
    test::TempFolder dir;
    const std::string longText(1024, 'x');
    std::string accented;
    for (int i = 0; i < 1023; ++i) accented += "\xC3\xA9";
    const struct {
        const char* name;
        std::string content;
        int32_t result;
    } rows[] = {
        {"comments and blanks", "# c\n\n   \n  # indented\n1=a\r\n2=b", 2},
        {"empty file", "", -6},
        {"only comments", "# nothing\n\n", 0},
        {"duplicate at line 3", "1=a\n#\n1=b\n", -1503},
        {"too long at line 2", "1=a\n2=" + longText + "\n", -1002},
        {"1023 characters fit", "2=" + longText.substr(1) + "\n", 1},
        {"1023 accented characters fit", "2=" + accented, 1},
        {"escaped line break counts two", "2=" + longText.substr(2) + "\\n", -1001},
        {"number without text", "5=\n", -501},
        {"no equals sign", "1=a\nplain words\n", -502},
        {"no number", "=text\n", -501},
        {"not a number", "1x=text\n", -501},
        {"number out of range", "40000=text\n", -501},
        {"negative number", "-3=text\n", -501},
        {"4 MiB is the largest file", "#" + std::string((4 << 20) - 2, 'x') + "\n", 0},
        {"a larger one is not read", "#" + std::string((4 << 20) - 1, 'x') + "\n", -3},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.name);
        MessageTable t;
        EXPECT_EQ(t.Load(dir.write("kvx.dat", r.content)), r.result);
    }
    MessageTable t;
    EXPECT_EQ(t.Load(dir / "missing.dat"), -1);
    EXPECT_EQ(t.Load(dir.path()), -1);
    EXPECT_EQ(t.Load("/proc/self/mem"), -7);  // a regular file whose reading fails
}

TEST(MessageTableTest, TextsAreUnescapedAndExpanded) {
    test::TempFolder dir;
    const std::string data = ProgramFolder();
    MessageTable t;
    ASSERT_EQ(t.Load(dir.write("kvx.dat", "\xEF\xBB\xBF" "7=a\\nb\\\\c\\t\n 8 = keep blanks \r\n"
                                          "9=file://{datadir}/m.html#x\n10=caf\xC3\xA9 {datadir}{datadir}")),
              4);
    EXPECT_EQ(t.Text(7), "a\r\nb\\c\\t");
    EXPECT_EQ(t.Text(8), " keep blanks ");
    EXPECT_EQ(t.Text(9), "file://" + data + "/m.html#x");
    EXPECT_EQ(t.Text(10), "caf\xC3\xA9 " + data + data);

    // A failed load leaves no texts behind.
    EXPECT_EQ(t.Load(dir.write("kvx.dat", "1=a\n1=b\n")), -1502);
    EXPECT_EQ(t.Text(7), "");
}

// The line number travels in the code; the other codes have fixed texts.
TEST(MessageTableTest, LoadErrorText) {
    const std::pair<int32_t, const char*> rows[] = {
        {-1, "Cannot open file containing program text.\r\n/opt/kvx/kvx.dat"},
        {-5, "Error -5"},
        {-500, "Error -500"},
        {-501, "Missing string at line 1."},
        {-1000, "Missing string at line 500."},
        {-1001, "String too long at line 1."},
        {-1500, "String too long at line 500."},
        {-1501, "Duplicate in program text at line 1."},
        {-1742, "Duplicate in program text at line 242."},
        {3, "Error 3"},
    };
    for (const auto& [r, text] : rows) EXPECT_EQ(MessageTable::LoadErrorText(r, "/opt/kvx/kvx.dat"), text) << r;
}

}  // namespace
}  // namespace kvx
