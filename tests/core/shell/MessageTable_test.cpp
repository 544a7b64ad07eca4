#include "shell/MessageTable.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "TempFolder.h"
#include "base/Folder.h"

namespace kvx {
namespace {

namespace fs = std::filesystem;

class MessageTableTest : public ::testing::Test {
protected:
    void TearDown() override { ::unsetenv("KVX_DATA_DIR"); }
    std::string write(const std::string& bytes) { return tmp_.write("kvx.dat", bytes); }
    test::TempFolder tmp_;
    fs::path dir_ = tmp_.path();
};

TEST_F(MessageTableTest, LoadsTheShippedTexts) {
    MessageTable t;
    std::string path = std::string(KVX_TEST_DATA_DIR) + "/kvx.dat";
    ASSERT_GT(t.Load(path), 0) << path;
    EXPECT_EQ(t.GetProgramText(1), "KVX");
    EXPECT_EQ(t.GetProgramText(34), "Error");
    EXPECT_EQ(t.GetProgramText(73), "Count words");
    EXPECT_EQ(t.GetProgramText(310), "kvx");
    EXPECT_EQ(t.GetProgramText(15).find("{datadir}"), std::string::npos);
    EXPECT_EQ(t.GetProgramText(15).rfind("file:///", 0), 0u);
    EXPECT_EQ(t.GetProgramText(2), "");
    EXPECT_EQ(t.GetProgramText(-1), "");
}

TEST_F(MessageTableTest, ResultCodes) {
    struct Row {
        const char* name;
        std::string content;
        int32_t result;
    };
    const std::string longText(1024, 'x');
    const std::vector<Row> rows = {
        {"two texts", "1=a\n2=b\n", 2},
        {"comments and blanks", "# c\n\n   \n  # indented\n1=a\r\n", 1},
        {"empty file", "", -6},
        {"only comments", "# nothing\n\n", 0},
        {"duplicate at line 3", "1=a\n#\n1=b\n", -1503},
        {"too long at line 2", "1=a\n2=" + longText + "\n", -1002},
        {"1023 characters fit", "2=" + longText.substr(1) + "\n", 1},
        {"1023 accented characters fit", "2=" + [] {
             std::string s;
             for (int i = 0; i < 1023; ++i) s += "\xC3\xA9";
             return s;
         }(), 1},
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
        EXPECT_EQ(t.Load(write(r.content)), r.result);
    }
    MessageTable t;
    EXPECT_EQ(t.Load((dir_ / "missing.dat").string()), -1);
    EXPECT_EQ(t.Load(dir_.string()), -1);
    EXPECT_EQ(t.Load("/proc/self/mem"), -7);  // a regular file whose reading fails
}

TEST_F(MessageTableTest, TextsAreUnescapedAndExpanded) {
    fs::path data = dir_ / "share" / "kvx";
    fs::create_directories(data);
    ::setenv("KVX_DATA_DIR", (data.string() + "/").c_str(), 1);
    EXPECT_EQ(ProgramFolder(), data.string());

    MessageTable t;
    ASSERT_EQ(t.Load(write("\xEF\xBB\xBF" "7=a\\nb\\\\c\\t\n 8 = keep blanks \r\n9=file://{datadir}/m.html#x\n"
                           "10=caf\xC3\xA9 {datadir}{datadir}")),
              4);
    EXPECT_EQ(t.GetProgramText(7), "a\r\nb\\c\\t");
    EXPECT_EQ(t.GetProgramText(8), " keep blanks ");
    EXPECT_EQ(t.GetProgramText(9), "file://" + data.string() + "/m.html#x");
    EXPECT_EQ(t.GetProgramText(10), "caf\xC3\xA9 " + data.string() + data.string());

    // A failed load leaves no texts behind.
    EXPECT_EQ(t.Load(write("1=a\n1=b\n")), -1502);
    EXPECT_EQ(t.GetProgramText(7), "");
}

TEST(MessageTableErrors, LoadErrorText) {
    struct Row {
        int32_t r;
        const char* text;
    };
    const std::vector<Row> rows = {
        {0, "No program text was read."},
        {-1, "Cannot open file containing program text.\r\n/opt/kvx/kvx.dat"},
        {-2, "Particular memory allocation error."},
        {-3, "Too much program text."},
        {-4, "Text not recovered."},
        {-5, "Error -5"},
        {-6, "File is empty."},
        {-7, "Error reading file."},
        {-8, "General memory allocation error."},
        {-9, "Error -9"},
        {-500, "Error -500"},
        {-501, "Missing string at line 1."},
        {-1000, "Missing string at line 500."},
        {-1001, "String too long at line 1."},
        {-1500, "String too long at line 500."},
        {-1501, "Duplicate in program text at line 1."},
        {-1742, "Duplicate in program text at line 242."},
        {3, "Error 3"},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.r);
        EXPECT_EQ(MessageTable::LoadErrorText(r.r, "/opt/kvx/kvx.dat"), r.text);
    }
}

}  // namespace
}  // namespace kvx
