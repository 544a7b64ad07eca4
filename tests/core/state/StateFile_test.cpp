#include "state/StateFile.h"

#include <sys/stat.h>

#include <filesystem>
#include <vector>

#include <gtest/gtest.h>

#include "TempFolder.h"
#include "params/Defaults.h"

namespace kvx {
namespace {

using test::TempFolder;

const std::string kRestoreError = "Error when attempting to restore parameters: ";
const std::string kSaveError = "Error when attempting to save parameters: ";

// The 37 lines a first start would save, before any change.
std::vector<std::string> DefaultLines() {
    return {"\"\"", "\"\"", "\"\"", "\"\"", "\"\"", "\"\"", "\"\"", "1", "3", "0", "1", "0", "0",
            "1",    "1",    "1",    "0",    "1",    "1",    "0",    "0", "0", "0", "0", "0", "0",
            "0",    "0",    "0",    "0",    "1",    "0",    "0",    "0", "0", "0", "\"\""};
}

std::string Join(const std::vector<std::string>& lines, const std::string& end = "\r\n") {
    std::string s;
    for (const std::string& l : lines) s += l + end;
    return s;
}

int FilesIn(const TempFolder& dir) {
    return int(std::distance(std::filesystem::directory_iterator(dir.path()), {}));
}

// Every stored field away from its default; check boxes cycle through 0, 1, 2.
Params Unusual() {
    Params p;
    p.fileNames = {"/home/j\xC3\xB6rg/in \xE2\x82\xAC.txt", "/tmp/\"out\", \xCE\xA9.csv"};
    p.wordsToIgnoreText = "and the \xC3\xA9t\xC3\xA9";  // already normalised
    p.wordsToIgnore = " and the \xC3\xA9t\xC3\xA9 ";
    p.startComment = {"\"\"", "{"};
    p.endComment = {"*)", "\""};
    p.shortWordIndex = 7, p.longWordIndex = 6, p.frequencyIndex = 5;
    int i = 0;
    for (const CheckBoxInfo& box : CheckBoxes()) p.*box.member = static_cast<int16_t>(++i % 3);
    p.suppressLiveWords = 1, p.outputToFileDisabled = 2, p.wordOrder = 1, p.displayFormat = 9;
    p.commonWordsFile = p.commonWordsFileText = "/usr/share/kvx/cwds \"en\".txt";
    return p;
}

// Saved, restored into fresh parameters and saved again: the same bytes.
TEST(StateFileTest, EveryFieldRoundTrips) {
    TempFolder dir;
    const Params saved = Unusual();
    ASSERT_EQ(SaveState(saved, dir / "a"), "");
    Params loaded;
    ASSERT_EQ(RestoreSavedState(loaded, dir / "a"), "");
    ASSERT_EQ(SaveState(loaded, dir / "b"), "");
    EXPECT_EQ(TempFolder::Read(dir / "a"), TempFolder::Read(dir / "b"));
    EXPECT_EQ(loaded.wordsToIgnore, saved.wordsToIgnore);
    EXPECT_EQ(loaded.commonWordsFileText, saved.commonWordsFileText);
    EXPECT_TRUE(loaded.startComment == saved.startComment && loaded.endComment == saved.endComment);
    EXPECT_EQ(FilesIn(dir), 2);  // no litter
}

// Each row changes one line of a default file (line 0: the whole file); a
// success shows in `field`.
TEST(StateFileTest, RestoreOneLineChanged) {
    using P = Params;
    std::string csv = "rank,frequency,word\r\n";  // a saved listing
    for (int i = 1; i <= 12; ++i) csv += std::to_string(i) + ",1,w" + std::to_string(i) + "\r\n";
    std::vector<std::string> cut = DefaultLines();
    cut.resize(20);
    const std::string invalid = kRestoreError + "Invalid property value", mismatch = kRestoreError + "Type mismatch";
    const struct {
        int line;  // 1-based
        std::string value, expected;
        int16_t P::*field = nullptr;
        int16_t fieldValue = 0;
    } rows[] = {
        {11, "0", "", &P::ignoreShortWords, 0},
        {17, "2", "", &P::caseSignificant, 2},
        {21, " 1.6 ", "", &P::allowUnderscores, 2},
        {22, "1.5", "", &P::allowColons, 2},
        {23, "0.5", "", &P::allowBackslashes, 0},  // half to even
        {22, " \"1\" ", "", &P::allowColons, 1},
        {29, "whatever", ""},  // reserved
        {33, "1", "", &P::suppressLiveWords, 1},
        {34, "1", "", &P::outputToFileDisabled, 0},  // no output file named: cleared
        {9, "6", "", &P::longWordIndex, 6},  // the last entry
        {35, "1", "", &P::wordOrder, 1},
        {17, "3", invalid},
        {20, "-1", invalid},
        {22, "yes", mismatch},
        {22, "1e999", mismatch},
        {33, "", mismatch},
        {30, "1x", mismatch},
        {36, "10", invalid},
        {8, "-2", invalid},
        {10, "\"abc\"", mismatch},
        {10, "99999999999", invalid},
        {9, "-1", "Invalid combo box index"},  // reads cleanly, but leaves a list without a selection
        {0, csv, mismatch},
        {0, Join(cut), kRestoreError + "Input past end of file"},
        {0, "", kRestoreError + "Input past end of file"},
        {0, std::string(10 << 20, 'x') + "\r\n", kRestoreError + "Invalid file format"},
    };
    TempFolder dir;
    for (const auto& r : rows) {
        SCOPED_TRACE(std::to_string(r.line) + ": " + r.value.substr(0, 20));
        std::vector<std::string> lines = DefaultLines();
        if (r.line) lines[size_t(r.line - 1)] = r.value;
        TempFolder::Write(dir / "p.kvx", r.line ? Join(lines) : r.value);
        const Params before = Unusual();
        Params p = before;
        EXPECT_EQ(RestoreSavedState(p, dir / "p.kvx"), r.expected);
        EXPECT_TRUE(r.expected.empty() || p == before);  // a failure changes nothing
        if (r.field) {
            EXPECT_EQ(p.*r.field, r.fieldValue);
        }
    }
    Params p;
    EXPECT_EQ(RestoreSavedState(p, dir / "missing.kvx"), kRestoreError + "File not found");
}

// Text fields in the old files' ways: Windows-1252 bytes, line ends, quotes,
// byte-order marks.
TEST(StateFileTest, TextFieldsAsRead) {
    TempFolder dir;
    std::vector<std::string> lines = DefaultLines();
    lines[0] = "\xC3\xA9t\xC3\xA9 ";              // unquoted: nothing hides a mark left in the line
    lines[1] = "\"/home/j\xF6rg/\x80.txt\"";      // Windows-1252 bytes
    lines[2] = "\"The, the  AND and\"";           // normalised on loading
    lines[3] = " \t(*\t ";                        // no quotes: taken whole, trimmed
    lines[4] = "\"a \"b\" c\"";                   // a lone quote inside an old field
    lines[5] = "\"/home/j\xC3\xB6rg/out.txt\"";   // UTF-8 in the same file
    for (const auto& [mark, end] : {std::pair{"", "\n"}, {"", "\r"}, {"\xEF\xBB\xBF", "\r\n"}}) {
        TempFolder::Write(dir / "p.kvx", mark + Join(lines, end));
        Params p;
        ASSERT_EQ(RestoreSavedState(p, dir / "p.kvx"), "") << int(end[0]);
        EXPECT_EQ(p.fileNames[0], "\xC3\xA9t\xC3\xA9");
        EXPECT_EQ(p.fileNames[1], "/home/j\xC3\xB6rg/\xE2\x82\xAC.txt");
        EXPECT_EQ(p.wordsToIgnoreText, "and the");
        EXPECT_EQ(p.wordsToIgnore, " and the ");
        EXPECT_EQ(p.startComment[0], "(*");
        EXPECT_EQ(p.endComment[0], "a \"b\" c");
        EXPECT_EQ(p.startComment[1], "/home/j\xC3\xB6rg/out.txt");
    }
    // UTF-16 LE: "é" as one Latin-1 unit, lone surrogates DC00 and D800, then U+1F600 as a pair.
    std::string utf16("\xFF\xFE\"\0\xE9\0\0\xDC\0\xD8\x3D\xD8\0\xDE\"\0", 16);
    for (char c : Join(DefaultLines()).substr(2)) utf16 += {c, '\0'};
    TempFolder::Write(dir / "p.kvx", utf16);
    Params p;
    ASSERT_EQ(RestoreSavedState(p, dir / "p.kvx"), "");
    EXPECT_EQ(p.fileNames[0], "\xC3\xA9\xEF\xBF\xBD\xEF\xBF\xBD\xF0\x9F\x98\x80");
}

TEST(StateFileSaveTest, RefusalsLeaveTheOldFileAndNoLitter) {
    TempFolder dir;
    TempFolder::Write(dir / "plain", "x");
    Params broken;
    broken.fileNames[1] = "a\r";
    const struct {
        std::string path;
        bool broken;
        std::string expected;
    } rows[] = {
        {dir / "plain", true, kSaveError + "A text field holds a line break"},
        {dir / "plain/kvx.usr", false, kSaveError + "Path not found"},
        // A missing folder is named as the cause, not a missing file.
        {dir / "nowhere/deeper/kvx.usr", false,
         kSaveError + "Path not found (the folder " + dir / "nowhere/deeper" + " is missing)"},
        {"", false, kSaveError + "File not found"},
    };
    for (const auto& r : rows) EXPECT_EQ(SaveState(r.broken ? broken : Params{}, r.path), r.expected);
    EXPECT_EQ(TempFolder::Read(dir / "plain"), "x");
    EXPECT_EQ(FilesIn(dir), 1);
}

TEST(StateFileSaveTest, ReplacesThroughLinkAndKeepsPermissions) {
    TempFolder dir;
    const std::string real = dir / "real.kvx", link = dir / "link.kvx";
    TempFolder::Write(real, "old");
    ::chmod(real.c_str(), 0640);
    std::filesystem::create_symlink(real, link);
    ASSERT_EQ(SaveState(Params{}, link), "");
    EXPECT_TRUE(std::filesystem::is_symlink(link));
    EXPECT_EQ(TempFolder::Read(real), Join(DefaultLines()));
    struct stat st;
    ASSERT_EQ(::stat(real.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0640u);
}

}  // namespace
}  // namespace kvx
