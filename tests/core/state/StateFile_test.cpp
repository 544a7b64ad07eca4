#include "state/StateFile.h"

#include <sys/resource.h>
#include <sys/stat.h>

#include <csignal>
#include <filesystem>
#include <random>
#include <vector>

#include <gtest/gtest.h>

#include "TempFolder.h"
#include "params/Defaults.h"

namespace kvx {
namespace {

using test::TempFolder;

const std::string kRestoreError = "Error when attempting to restore parameters: ";

// The 37 lines a first start would save, before any change.
std::vector<std::string> DefaultLines() {
    return {"\"\"", "\"\"", "\"\"", "\"\"", "\"\"", "\"\"", "\"\"", "1", "3", "0",
            "1",    "0",    "0",    "1",    "1",    "1",    "0",    "1", "1", "0",
            "0",    "0",    "0",    "0",    "0",    "0",    "0",    "0", "0", "0",
            "1",    "0",    "0",    "0",    "0",    "0",    "\"\""};
}

std::string Join(const std::vector<std::string>& lines, const std::string& end) {
    std::string s;
    for (const std::string& l : lines) s += l + end;
    return s;
}

// Every stored field away from its default; check boxes cycle through 0, 1, 2.
Params Unusual() {
    Params p;
    p.txbFile = {"/home/j\xC3\xB6rg/in \xE2\x82\xAC.txt", "/tmp/\"out\", \xCE\xA9.csv"};
    p.txbWordsToIgnore = "and the \xC3\xA9t\xC3\xA9";  // already normalised
    p.strWordsToIgnore = " and the \xC3\xA9t\xC3\xA9 ";
    p.txbStartComment = {"\"\"", "{"};
    p.txbEndComment = {"*)", "\""};
    p.cboShortWordSize = 7;
    p.cboLongWordSize = 6;
    p.cboThresholdFrequency = 5;
    int i = 0;
    for (const CheckBoxInfo& box : CheckBoxes()) p.*box.member = static_cast<int16_t>(++i % 3);
    p.chkSuppressWords = 1;
    p.chkDisableOutputToFile = 2;
    p.cboWordOrder = 1;
    p.cboDisplayFormat = 9;
    p.strCommonWordsFile = p.txbCommonWordsFile = "/usr/share/kvx/cwds \"en\".txt";
    return p;
}

// Two parameter sets agree on every stored field when they save the same bytes.
void ExpectSameStored(const Params& a, const Params& b) {
    TempFolder dir;
    ASSERT_EQ(SaveState(a, dir / "a"), "");
    ASSERT_EQ(SaveState(b, dir / "b"), "");
    EXPECT_EQ(TempFolder::Read(dir / "a"), TempFolder::Read(dir / "b"));
    EXPECT_EQ(a.strWordsToIgnore, b.strWordsToIgnore);
    EXPECT_EQ(a.txbCommonWordsFile, b.txbCommonWordsFile);
}

TEST(StateFileTest, DefaultsAreWrittenAsThirtySevenCrLfLines) {
    TempFolder dir;
    ASSERT_EQ(SaveState(Params{}, dir / "kvx.usr"), "");
    EXPECT_EQ(TempFolder::Read(dir / "kvx.usr"), Join(DefaultLines(), "\r\n"));
}

TEST(StateFileTest, EveryFieldRoundTrips) {
    TempFolder dir;
    const Params saved = Unusual();
    ASSERT_EQ(SaveState(saved, dir / "p.kvx"), "");
    Params loaded;
    EXPECT_EQ(RestoreSavedState(loaded, dir / "p.kvx"), "");
    ExpectSameStored(loaded, saved);
    EXPECT_EQ(loaded.txbFile, saved.txbFile);
    EXPECT_EQ(loaded.txbStartComment, saved.txbStartComment);
    EXPECT_EQ(loaded.txbEndComment, saved.txbEndComment);
    // Nothing but the file itself is left in the folder.
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 1);
}

TEST(StateFileTest, TextFieldsWithLineBreaksAreRefused) {
    TempFolder dir;
    TempFolder::Write(dir / "kvx.usr", "old");
    Params p;
    p.txbFile[0] = "a\nb";
    EXPECT_EQ(SaveState(p, dir / "kvx.usr").rfind("Error when attempting to save parameters: ", 0), 0u);
    EXPECT_EQ(TempFolder::Read(dir / "kvx.usr"), "old");
}

// Each case changes one line of a default file, with line 11 set to 0 and
// line 35 set to 1 as markers of what was read. A failure changes nothing.
TEST(StateFileTest, OneLineChanged) {
    struct FieldCase {
        const char* name;
        int line;  // 1-based
        std::string value, expected;  // the line, the result of the restore
    };
    const FieldCase cases[] = {
        {"CheckThreeFails", 17, "3", kRestoreError + "Invalid property value"},
        {"CheckNegativeFails", 20, "-1", kRestoreError + "Invalid property value"},
        {"CheckRoundsUp", 21, " 1.6 ", ""},
        {"CheckNotANumber", 22, "yes", kRestoreError + "Type mismatch"},
        {"CheckQuoted", 22, " \"1\" ", ""},
        {"CheckOutOfRange", 22, "1e999", kRestoreError + "Type mismatch"},
        {"CheckEmpty", 33, "", kRestoreError + "Type mismatch"},
        {"ReservedLineIgnored", 29, "whatever", ""},
        {"ListBeyondLastEntry", 36, "10", kRestoreError + "Invalid property value"},
        {"ListLastEntry", 9, "6", ""},
        {"ListBelowMinusOne", 8, "-2", kRestoreError + "Invalid property value"},
        {"ListNotANumber", 10, "\"abc\"", kRestoreError + "Type mismatch"},
        {"ListHuge", 10, "99999999999", kRestoreError + "Invalid property value"},
    };
    for (const FieldCase& c : cases) {
        SCOPED_TRACE(c.name);
        TempFolder dir;
        std::vector<std::string> lines = DefaultLines();
        lines[10] = "0";  // chkIgnoreShortWords, before every check-box case
        lines[34] = "1";  // cboWordOrder, after them
        lines[size_t(c.line - 1)] = c.value;
        TempFolder::Write(dir / "p.kvx", Join(lines, "\r\n"));
        const Params before = Unusual();
        Params p = before;
        EXPECT_EQ(RestoreSavedState(p, dir / "p.kvx"), c.expected);
        if (c.expected.empty()) {
            EXPECT_EQ(p.chkIgnoreShortWords, 0);
            EXPECT_EQ(p.cboWordOrder, 1);
        } else {
            EXPECT_TRUE(p == before);
        }
    }
}

TEST(StateFileTest, CheckValuesAsLoaded) {
    TempFolder dir;
    std::vector<std::string> lines = DefaultLines();
    lines[16] = "2";    // chkCaseSignificant
    lines[20] = "2.5";  // chkAllowWordsWithUnderscores: half to even
    lines[21] = "1.5";  // chkAllowWordsWithColons
    lines[22] = "0.5";  // chkAllowWordsWithBackslashes
    lines[33] = "1";    // chkDisableOutputToFile, but no output file named: cleared
    TempFolder::Write(dir / "p.kvx", Join(lines, "\r\n"));
    Params p;
    ASSERT_EQ(RestoreSavedState(p, dir / "p.kvx"), "");
    EXPECT_EQ(p.chkCaseSignificant, 2);
    EXPECT_EQ(p.chkAllowWordsWithUnderscores, 2);
    EXPECT_EQ(p.chkAllowWordsWithColons, 2);
    EXPECT_EQ(p.chkAllowWordsWithBackslashes, 0);
    EXPECT_EQ(p.chkDisableOutputToFile, 0);
}

// Files that are not parameter files, or not whole ones, change no field.
TEST(StateFileTest, FailedLoadChangesNothing) {
    std::string csv = "rank,frequency,word\r\n";  // a saved listing
    for (int i = 1; i <= 12; ++i) csv += std::to_string(i) + ",1,w" + std::to_string(i) + "\r\n";
    std::vector<std::string> cut = DefaultLines(), badNumber = DefaultLines(), unset = DefaultLines();
    cut.resize(20);
    badNumber[29] = "1x";
    unset[8] = "-1";  // reads cleanly, but leaves a list without a selection
    const std::pair<std::string, std::string> rows[] = {
        {csv, kRestoreError + "Type mismatch"},
        {Join(cut, "\r\n"), kRestoreError + "Input past end of file"},
        {Join(badNumber, "\r\n"), kRestoreError + "Type mismatch"},
        {Join(unset, "\r\n"), "Invalid combo box index"},
    };
    TempFolder dir;
    for (const auto& [bytes, expected] : rows) {
        SCOPED_TRACE(expected);
        TempFolder::Write(dir / "p.kvx", bytes);
        const Params before = Unusual();
        Params p = before;
        EXPECT_EQ(RestoreSavedState(p, dir / "p.kvx"), expected);
        EXPECT_TRUE(p == before);
    }
}

TEST(StateFileTest, LegacyBytesAndLineEnds) {
    TempFolder dir;
    std::vector<std::string> lines = DefaultLines();
    lines[0] = "\"/home/j\xF6rg/\x80.txt\"";        // Windows-1252 bytes
    lines[1] = "\"/home/j\xC3\xB6rg/out.txt\"";     // UTF-8 in the same file
    lines[2] = "\"The, the  AND and\"";             // normalised on loading
    lines[3] = " \t(*\t ";                          // no quotes: taken whole, trimmed
    lines[4] = "\"a \"b\" c\"";                     // a lone quote inside an old field
    for (std::string end : {"\n", "\r"}) {
        TempFolder::Write(dir / "p.kvx", Join(lines, end));
        Params p;
        ASSERT_EQ(RestoreSavedState(p, dir / "p.kvx"), "") << int(end[0]);
        EXPECT_EQ(p.txbFile[0], "/home/j\xC3\xB6rg/\xE2\x82\xAC.txt");
        EXPECT_EQ(p.txbFile[1], "/home/j\xC3\xB6rg/out.txt");
        EXPECT_EQ(p.txbWordsToIgnore, "and the");
        EXPECT_EQ(p.strWordsToIgnore, " and the ");
        EXPECT_EQ(p.txbStartComment[0], "(*");
        EXPECT_EQ(p.txbEndComment[0], "a \"b\" c");
    }
}

TEST(StateFileTest, ByteOrderMarks) {
    TempFolder dir;
    std::vector<std::string> lines = DefaultLines();
    lines[0] = "\xC3\xA9t\xC3\xA9";  // unquoted: nothing hides a mark left in the line
    TempFolder::Write(dir / "bom8.kvx", "\xEF\xBB\xBF" + Join(lines, "\r\n"));
    Params p;
    ASSERT_EQ(RestoreSavedState(p, dir / "bom8.kvx"), "");
    EXPECT_EQ(p.txbFile[0], "\xC3\xA9t\xC3\xA9");

    std::string ascii = Join(DefaultLines(), "\r\n");
    // "é" as one Latin-1 unit, lone surrogates, then U+1F600 as a pair.
    ascii.replace(0, 2, "\"\xE9\x02\x01\x03\x04\"");
    const std::map<char, std::string> units = {{'\x01', std::string("\x00\xD8", 2)}, {'\x02', std::string("\x00\xDC", 2)},
                                               {'\x03', "\x3D\xD8"}, {'\x04', std::string("\x00\xDE", 2)}};
    std::string utf16 = "\xFF\xFE";
    for (char c : ascii) utf16 += units.count(c) ? units.at(c) : std::string{c, '\0'};
    TempFolder::Write(dir / "bom16.kvx", utf16);
    Params q;
    ASSERT_EQ(RestoreSavedState(q, dir / "bom16.kvx"), "");
    EXPECT_EQ(q.txbFile[0], "\xC3\xA9\xEF\xBF\xBD\xEF\xBF\xBD\xF0\x9F\x98\x80");
}

TEST(StateFileTest, HostileFilesFailCleanly) {
    TempFolder dir;
    Params p;
    EXPECT_EQ(RestoreSavedState(p, dir / "missing.kvx"), kRestoreError + "File not found");
    EXPECT_EQ(RestoreSavedState(p, dir.path()).rfind(kRestoreError, 0), 0u);
    EXPECT_EQ(RestoreSavedState(p, ""), kRestoreError + "File not found");

    std::mt19937 rng(42);
    std::string noise(1 << 20, '\0');
    for (char& c : noise) c = static_cast<char>(rng());
    TempFolder::Write(dir / "noise.kvx", noise);
    EXPECT_EQ(RestoreSavedState(p, dir / "noise.kvx").rfind(kRestoreError, 0), 0u);

    TempFolder::Write(dir / "long.kvx", std::string(10 << 20, 'x') + "\r\n");
    EXPECT_EQ(RestoreSavedState(p, dir / "long.kvx"), kRestoreError + "Invalid file format");

    std::vector<std::string> lines = DefaultLines();
    lines[36] = "\"" + std::string(100000, 'c') + "\"";
    TempFolder::Write(dir / "longlast.kvx", Join(lines, "\r\n"));
    EXPECT_EQ(RestoreSavedState(p, dir / "longlast.kvx"), kRestoreError + "Invalid file format");

    TempFolder::Write(dir / "empty.kvx", "");
    EXPECT_EQ(RestoreSavedState(p, dir / "empty.kvx"), kRestoreError + "Input past end of file");
}

TEST(StateFileSaveTest, FailedSaveLeavesOldFileAndNoLitter) {
    TempFolder dir;
    const std::string file = dir / "kvx.usr";
    TempFolder::Write(file, "previous state");

    // Writing stops part-way: the file-size limit stands in for a full disk.
    Params big;
    big.txbFile[0] = std::string(4096, 'p');
    rlimit old{};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &old), 0);
    auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit small = old;
    small.rlim_cur = 1000;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
    std::string result = SaveState(big, file);
    ::setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, oldHandler);

    EXPECT_EQ(result, "Error when attempting to save parameters: Disk full");
    EXPECT_EQ(TempFolder::Read(file), "previous state");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 1);
}

TEST(StateFileSaveTest, PathThroughAFileOrMissingFolder) {
    TempFolder dir;
    TempFolder::Write(dir / "plain", "x");
    EXPECT_EQ(SaveState(Params{}, dir / "plain/kvx.usr"),
              "Error when attempting to save parameters: Path not found");
    // A missing folder is named as the cause, not a missing file.
    EXPECT_EQ(SaveState(Params{}, dir / "nowhere/deeper/kvx.usr"),
              "Error when attempting to save parameters: Path not found (the folder " +
                  std::string(dir / "nowhere/deeper") + " is missing)");
    EXPECT_EQ(SaveState(Params{}, ""), "Error when attempting to save parameters: File not found");
    EXPECT_EQ(TempFolder::Read(dir / "plain"), "x");
}

TEST(StateFileSaveTest, ReplacesThroughLinkAndKeepsPermissions) {
    TempFolder dir;
    const std::string real = dir / "real.kvx", link = dir / "link.kvx";
    TempFolder::Write(real, "old");
    ::chmod(real.c_str(), 0640);
    std::filesystem::create_symlink(real, link);
    ASSERT_EQ(SaveState(Params{}, link), "");
    EXPECT_TRUE(std::filesystem::is_symlink(link));
    EXPECT_EQ(TempFolder::Read(real), Join(DefaultLines(), "\r\n"));
    struct stat st;
    ASSERT_EQ(::stat(real.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0640u);
}

}  // namespace
}  // namespace kvx
