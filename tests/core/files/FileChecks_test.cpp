#include "files/FileChecks.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "TempFolder.h"

namespace kvx {
namespace {

namespace fs = std::filesystem;
using namespace filecheck;

class FileChecksTest : public ::testing::Test {
protected:
    std::string write(const std::string& bytes, const std::string& name = "f.txt") {
        return tmp_.write(name, bytes);
    }
    struct Tolerant {
        int16_t kind;
        uint8_t bad = 0;
        int64_t position = -7;
        double percentage = -1;
    };
    static Tolerant tolerant(const std::string& path, bool allowUnicode = true) {
        Tolerant t;
        t.kind = TextFileKindTolerant(path, 16384, t.bad, t.position, 0.1, t.percentage, allowUnicode);
        return t;
    }
    static int16_t strict(const std::string& path, int16_t* bad = nullptr) {
        int16_t b = -7;
        int16_t kind = TextFileKind(path, 16384, b);
        if (bad) *bad = b;
        return kind;
    }

    test::TempFolder tmp_;
    fs::path dir_ = tmp_.path();
};

std::string S(const char* s, size_t n) { return std::string(s, n); }

// The text in UTF-16 behind its byte-order mark.
std::string Utf16(std::u16string_view text, bool little) {
    std::string s = little ? "\xFF\xFE" : "\xFE\xFF";
    for (char16_t u : text) s += little ? std::string{char(u & 0xFF), char(u >> 8)} : std::string{char(u >> 8), char(u & 0xFF)};
    return s;
}

// 16384 bytes of text with `count` control bytes (code 1) spread over them.
std::string WithAnomalies(int count, size_t size = 16384) {
    std::string s(size, 'a');
    for (int i = 0; i < count; ++i) s[100 + static_cast<size_t>(i) * 500] = '\x01';
    return s;
}

TEST_F(FileChecksTest, LineEndKindsAndText) {
    struct Row { const char* name; std::string bytes; int16_t strictKind, tolerantKind; };
    const std::vector<Row> rows = {
        {"CR LF", "one\r\ntwo\r\n", kTextCrLf, kTextCrLf},
        {"LF only", "one\ntwo\n", kTextLf, kTextLf},
        {"CR only", "one\rtwo\r", kTextCr, kTextCr},
        {"no line end", "one line", kTextCrLf, kTextCrLf},
        {"tab, backspace, form feed are text", "a\tb\bc\fd\n", kTextLf, kTextLf},
        {"16 anomalous in 16384", WithAnomalies(16), kNotText, kTextCrLf},
        {"17 anomalous in 16384", WithAnomalies(17), kNotText, kNotText},
        {"one anomalous byte alone", "\x02", kNotText, kNotText},
        {"anomaly beyond the first block", std::string(16384, 'a') + "\x01\r", kTextCrLf, kTextCrLf},
        {"line end beyond the first block is not seen", std::string(16384, 'a') + "\n", kTextCrLf,
         kTextCrLf},
        {"high bytes are text", "\xE9\xFE\xFF\x80\n", kTextLf, kTextLf},
        {"utf16 LE", S("\xFF\xFEh\0i\0\r\0\n\0", 10), kNotText, kTextCrLf},
        // Typographic punctuation has bytes below 32, but not units below 32.
        {"utf16 LE punctuation", Utf16(u"\u201EWort\u201A \u2013 und \u2014 das\u2019s\n", true),
         kNotText, kTextLf},
        {"utf16 BE punctuation", Utf16(u"\u201EWort\u201A \u2013 und \u2014 das\u2019s\r", false),
         kNotText, kTextCr},
        {"utf16 line ends are units, not bytes", Utf16(u"\u010Aa\u0D01\r", true), kNotText, kTextCr},
        {"utf16 NUL unit", S("\xFF\xFE\0\0", 4), kNotText, kNotText},
        {"utf16 odd last byte is not a unit", Utf16(u"ab", true) + "\x01", kNotText, kTextCrLf},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.name);
        std::string path = write(r.bytes);
        EXPECT_EQ(strict(path), r.strictKind);
        EXPECT_EQ(tolerant(path).kind, r.tolerantKind);
    }
}

TEST_F(FileChecksTest, TolerantReportsFirstBadByteAndPercentage) {
    Tolerant t = tolerant(write(WithAnomalies(17)));
    EXPECT_EQ(t.kind, kNotText);
    EXPECT_EQ(t.bad, 1);
    EXPECT_EQ(t.position, 101);  // 1-based
    t = tolerant(write("plain text\r\n"));
    EXPECT_EQ(t.bad, 32);  // none found
    EXPECT_EQ(t.percentage, 0);

    // Position counts the 0/254/255 bytes of the block it lies in.
    t = tolerant(write(S("\0\0ab\x02", 5)));
    EXPECT_EQ(t.kind, kNotText);
    EXPECT_EQ(t.bad, 2);
    EXPECT_EQ(t.position, 5);
    EXPECT_DOUBLE_EQ(t.percentage, 100.0 / 3);

    // Without the allowance a zero byte is anomalous, behind a UTF-16 mark too.
    t = tolerant(write(Utf16(u"ab", true)), false);
    EXPECT_EQ(t.kind, kNotText);
    EXPECT_EQ(t.bad, 0);
    EXPECT_EQ(t.position, 4);

    int16_t bad = -7;
    EXPECT_EQ(strict(write(S("\x1B" "abc", 4)), &bad), kNotText);
    EXPECT_EQ(bad, 27);
    bad = -7;
    EXPECT_EQ(strict(write("abc"), &bad), kTextCrLf);
    EXPECT_EQ(bad, -7);  // untouched for text
}

// Behind a UTF-16 mark the 8191 units of the first 16384 bytes are judged:
// 9 control units (0.11 %) are too many, 8 are not, those beyond are not seen.
TEST_F(FileChecksTest, TolerantJudgesUtf16UnitsOfTheFirstBytes) {
    for (const auto& [little, control, count, kind] :
         {std::tuple{true, u'\x01', 9, kNotText}, std::tuple{false, u'\x1B', 8, kTextCrLf}}) {
        std::u16string text(8191, u'a');
        for (int i = 0; i < count; ++i) text[99 + size_t(i) * 500] = control;
        Tolerant t = tolerant(write(Utf16(text + std::u16string(20, control), little)));
        EXPECT_EQ(t.kind, kind) << count;
        EXPECT_EQ(t.bad, control);
        EXPECT_EQ(t.position, 2 + 99 * 2 + 1);  // the unit's first byte, after the mark
        EXPECT_DOUBLE_EQ(t.percentage, count * 100.0 / 8191);
    }
}

TEST_F(FileChecksTest, MissingEmptyAndSpecialFiles) {
    EXPECT_FALSE(FileExists(dir_.string()));
    EXPECT_TRUE(FolderExists(dir_.string()));
    EXPECT_FALSE(FileExists(""));
    const std::string fifo = (dir_ / "pipe").string(), locked = write("secret", "locked.txt");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    EXPECT_TRUE(FileExists(fifo));
    ::chmod(locked.c_str(), 0);
    // Devices have length 0 but are examined, and never read forever; a pipe
    // without a writer must not block.
    const std::pair<std::string, int16_t> rows[] = {
        {"", kNoFile}, {(dir_ / "none").string(), kNoFile}, {dir_.string(), kNoFile},
        {write(""), kEmptyFile}, {"/dev/null", kEmptyFile}, {"/dev/zero", kNotText}, {fifo, kOpenFailed},
        {locked, ::geteuid() == 0 ? kTextCrLf : kOpenFailed}};
    for (const auto& [path, kind] : rows) {
        SCOPED_TRACE(path);
        EXPECT_EQ(strict(path), kind);
        EXPECT_EQ(tolerant(path).kind, kind);
    }
    int16_t bad = 7;
    EXPECT_EQ(strict("/dev/zero", &bad), kNotText);
    EXPECT_EQ(bad, 0);
    EXPECT_EQ(tolerant("/dev/zero", false).kind, kNotText);
}

TEST_F(FileChecksTest, LengthAndSameFile) {
    std::string a = write("12345", "a.txt");
    std::string b = write("12345", "b.txt");
    EXPECT_EQ(FileLength(a), 5);
    EXPECT_EQ(FileLength((dir_ / "none").string()), -1);
    EXPECT_EQ(FileLength(dir_.string()), -1);

    fs::create_symlink(a, dir_ / "link.txt");
    fs::create_hard_link(a, dir_ / "hard.txt");
    EXPECT_TRUE(SameFile(a, a));
    EXPECT_TRUE(SameFile(a, (dir_ / "link.txt").string()));
    EXPECT_TRUE(SameFile(a, (dir_ / "hard.txt").string()));
    EXPECT_FALSE(SameFile(a, b));
    EXPECT_FALSE(SameFile(a, (dir_ / "none").string()));
    EXPECT_FALSE(SameFile("", ""));
}

TEST(FileChecksPaths, ExtensionFolderAndDrive) {
    struct Row { const char* path; const char* ext; const char* extLower; const char* folder; };
    const std::vector<Row> rows = {
        {"/home/me/notes.TXT", "TXT", "txt", "/home/me/"},
        {"/home/me/texts.d/notes", "", "", "/home/me/texts.d/"},
        {"texts.d/notes", "", "", "texts.d/"},
        {"archive.tar.GZ", "GZ", "gz", ""},
        {"/a/b/.hidden", "hidden", "hidden", "/a/b/"},
        {"/a/b/name.", "", "", "/a/b/"},
        {"/a/b/", "", "", "/a/b/"},
        {"/a/R\xC3\x89SUM\xC3\x89.\xC3\x89T\xC3\x89", "\xC3\x89T\xC3\x89", "\xC3\xA9t\xC3\xA9", "/a/"},
        {"", "", "", ""},
        {"/", "", "", "/"},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.path);
        EXPECT_EQ(GetFileExtension(r.path, false), r.ext);
        EXPECT_EQ(GetFileExtension(r.path, true), r.extLower);
        EXPECT_EQ(GetFolder(r.path, false), r.folder);
        EXPECT_EQ(GetFolder(r.path, true), r.folder);
    }
    EXPECT_EQ(NormaliseDriveCase("/Home/Me"), "/Home/Me");
    EXPECT_EQ(NormaliseDriveCase("c:\\Texts\\\xC3\x89T\xC3\x89"), "C:\\texts\\\xC3\xA9t\xC3\xA9");
    EXPECT_EQ(NormaliseDriveCase("a"), "a");
}

TEST(FileChecksLines, DropByteOrderPairAndWarning) {
    struct Row { std::string in, out; };
    const std::vector<Row> rows = {
        {"\xFF\xFEtext", "text"}, {"\xFE\xFFtext", "text"}, {"\xFF\xFF" "a", "\xFF\xFF" "a"},
        {"x\xFF\xFE", "x\xFF\xFE"}, {"\xFF", "\xFF"}, {"", ""}, {"\xFE\xFF", ""},
    };
    for (auto r : rows) {
        DropByteOrderPair(r.in);
        EXPECT_EQ(r.in, r.out);
    }

    std::string said;
    for (int16_t kind : {kNoFile, kEmptyFile, kOpenFailed, kNotText, kTextCrLf, kTextLf, kTextCr})
        said += std::string(LineEndingWarning(kind)) + "|";
    EXPECT_EQ(said, "|||||This file has Unix/Linux line endings.|This file has Macintosh line endings.|");
}

}  // namespace
}  // namespace kvx
