#include "files/LineReader.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <string>
#include <tuple>
#include <vector>

#include "TempFolder.h"
#include "TextGen.h"
#include "files/FaultInjection.h"

namespace kvx {
namespace {

using Lines = std::vector<std::string>;

constexpr size_t kReadBlock = 64 * 1024;  // the reader's block size

Lines ReadAll(const std::string& path) {
    LineReader r;
    EXPECT_TRUE(r.open(path));
    Lines lines;
    std::string line;
    LineReader::Status s;
    while ((s = r.readLine(line)) == LineReader::Status::Line) lines.push_back(line);
    EXPECT_EQ(s, LineReader::Status::End);
    EXPECT_EQ(r.readLine(line), LineReader::Status::End);  // stays at the end
    return lines;
}

std::string S(const char* s, size_t n) { return std::string(s, n); }

TEST(LineReaderTest, DecodesAndSplitsLines) {
    const std::string pad(kReadBlock - 1, 'a');  // the next byte is the last of the block
    std::string pad16("\xFF\xFE", 2);            // UTF-16 LE mark + 'a' units to the block end
    while (pad16.size() < kReadBlock - 2) pad16 += S("a\0", 2);
    const std::string a16((kReadBlock - 4) / 2, 'a');
    std::string mixed;  // invalid UTF-8 everywhere: read byte by byte
    for (int i = 0; i < 30000; ++i) mixed += "\xC3x\xBF\x80\xF5\xED\xA0";
    const struct {
        const char* name;
        std::string bytes;
        Lines expected;
    } cases[] = {
        {"utf8 accents, euro, CJK without code",
         "caf\xC3\xA9 \xE2\x82\xAC" "5 \xE4\xB8\xAD\n", {"caf\xE9 \x80" "5 \x81"}},
        {"utf8 with stray cp1252 bytes", "na\xC3\xAFve r\xE9sum\xC3\xA9 \x9C", {"na\xEFve r\xE9sum\xE9 \x9C"}},
        {"overlong forms are bytes", "\xC0\xAF|\xE0\x80\xAF|\xC1\x81", {"\xC0\xAF|\xE0\x80\xAF|\xC1\x81"}},
        {"encoded surrogate is bytes", "\xED\xA0\x80x", {"\xED\xA0\x80x"}},
        {"truncated sequence at end", "ab\xE2\x82", {"ab\xE2\x82"}},
        {"lead byte before line end", "a\xC3\nb", {"a\xC3", "b"}},
        {"code point above U+10FFFF", "\xF4\x90\x80\x80", {"\xF4\x90\x80\x80"}},
        {"four-byte character", "x\xF0\x9F\x98\x80y", {"x\x81y"}},
        {"C1 control without a cp1252 meaning", "\xC2\x81\xC2\x80", {"\x81\x81"}},
        {"utf8 mark dropped", "\xEF\xBB\xBFword", {"word"}},
        {"utf8 mark only", "\xEF\xBB\xBF", {}},
        {"utf8 mark later is a character", "a\xEF\xBB\xBF", {"a\x81"}},
        {"utf8 character led like the mark", "\xEF\xBF\xBDx", {"\x81x"}},
        {"utf16 LE with pair", S("\xFF\xFEh\0i\0\r\0\n\0\xE9\0\xAC\x20\x3D\xD8\x00\xDE", 18), {"hi", "\xE9\x80\x81"}},
        {"utf16 BE with pair", S("\xFE\xFF\0h\0i\0\r\0\n\0\xE9\x20\xAC\xD8\x3D\xDE\x00", 18), {"hi", "\xE9\x80\x81"}},
        {"utf16 lone surrogates", S("\xFF\xFE\x00\xDC" "a\0\x3D\xD8" "b\0", 10), {"\x81" "a\x81" "b"}},
        {"utf16 odd final byte", S("\xFF\xFE" "a\0b", 5), {"a\x81"}},
        {"utf16 odd byte alone on the last line", S("\xFF\xFE" "a\0\n\0b", 7), {"a", "\x81"}},
        {"utf16 line ends", S("\xFF\xFE" "a\0\r\0b\0\n\0c\0\r\0", 14), {"a", "b", "c"}},
        {"utf16 mark only", "\xFF\xFE", {}},
        {"CR, LF and CR LF", "a\rb\nc\r\nd", {"a", "b", "c", "d"}},
        {"empty lines", "\r\n\r\n", {"", ""}},
        {"LF then CR is two ends", "\n\r", {"", ""}},
        {"CR CR LF", "\r\r\n", {"", ""}},
        {"empty file", "", {}},
        {"NUL bytes are characters", S("a\0b\n\0", 5), {S("a\0b", 3), S("\0", 1)}},
        // Block boundaries.
        {"CR LF split", pad + "\r\nb", {pad, "b"}},
        {"CR at the end of a block, then text", pad + "\rb", {pad, "b"}},
        {"utf8 sequence split", pad + "\xC3\xA9z", {pad + "\xE9z"}},
        {"three-byte sequence split", pad.substr(1) + "\xE2\x82\xAC", {pad.substr(1) + "\x80"}},
        {"stray byte at the block end", pad + "\xE9" + "sum", {pad + "\xE9sum"}},
        {"utf16 pair split", pad16 + S("\x3D\xD8\x00\xDE" "b\0", 6), {a16 + "\x81" "b"}},
        {"utf16 CR LF split", pad16 + S("\r\0\n\0b\0", 6), {a16, "b"}},
        {"stray bytes only", std::string(100000, '\xE9'), {std::string(100000, '\xE9')}},
        {"invalid sequences only", mixed, {mixed}},
    };
    test::TempFolder dir;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const Lines got = ReadAll(dir.write("in.txt", c.bytes));
        EXPECT_TRUE(got == c.expected) << ::testing::PrintToString(got).substr(0, 300);
    }
}

TEST(LineReaderTest, RefusesWhatCannotBeRead) {
    test::TempFolder dir;
    LineReader r;
    EXPECT_FALSE(r.open(dir / "missing.txt"));
    EXPECT_EQ(r.error().number, ErrorNumber::FileNotFound);
    EXPECT_FALSE(r.error().description.empty());
    EXPECT_FALSE(r.open(dir.path()));
    EXPECT_EQ(r.error().number, ErrorNumber::PathFileAccess);
    ASSERT_EQ(::mkfifo((dir / "pipe").c_str(), 0600), 0);
    EXPECT_FALSE(r.open(dir / "pipe"));  // must not wait for a writer
    EXPECT_EQ(r.error().number, ErrorNumber::PathFileAccess);
    std::string line;
    EXPECT_EQ(r.readLine(line), LineReader::Status::Error);

    // A later successful open clears the failure.
    EXPECT_TRUE(r.open(dir.write("ok.txt", "ok\n")));
    EXPECT_EQ(r.readLine(line), LineReader::Status::Line);
    EXPECT_EQ(line, "ok");
    r.close();
    EXPECT_EQ(r.readLine(line), LineReader::Status::End);
}

// A failed read ends reading after the whole lines before it, and sticks: in
// UTF-8, UTF-16, and with a sequence cut by the block boundary. A fault
// beyond the end is never met.
TEST(LineReaderTest, ReadFailureEndsAfterTheWholeLinesBeforeIt) {
    const int64_t block = kReadBlock;
    const std::tuple<std::string, int64_t, int> rows[] = {  // text, where reads fail, lines before
        {test::TwoBlockText(10, 0), 0, 0},
        {test::TwoBlockText(4096, 50), block, 4096},
        {std::string(kReadBlock - 1, 'a') + "\xC3\xA9" + "b\r\nc\r\n", block, 0},
        {"\xFF\xFE" + std::string(kReadBlock, 'a'), block, 0},
        {test::TwoBlockText(3, 0), block * 4, 3},
    };
    test::TempFolder dir;
    for (const auto& [text, failAt, linesBefore] : rows) {
        SCOPED_TRACE(linesBefore);
        FaultPlan plan;
        plan.failReadAt = failAt;
        LineReader r;
        r.faults = &plan;
        std::string line;
        int lines = 0;
        LineReader::Status st = LineReader::Status::Error;  // the first read is the open's
        if (r.open(dir.write("in.txt", text)))
            while ((st = r.readLine(line)) == LineReader::Status::Line) ++lines;
        const bool fails = failAt < int64_t(text.size());
        EXPECT_EQ(lines, linesBefore);
        EXPECT_EQ(st, fails ? LineReader::Status::Error : LineReader::Status::End);
        EXPECT_EQ(r.readLine(line), st);  // no further read is tried
        EXPECT_EQ(r.error().number, fails ? 57 : 0);
        EXPECT_EQ(plan.failedReads, fails ? 1 : 0);
    }
}

}  // namespace
}  // namespace kvx
