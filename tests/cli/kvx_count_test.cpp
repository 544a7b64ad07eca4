// End-to-end runs of the kvx-count binary over small files whose listings
// were worked out by hand.

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "CliRun.h"
#include "params/Params.h"
#include "state/StateFile.h"

namespace fs = std::filesystem;
using kvx::test::ReadAll;
using kvx::test::RunKvxCount;
using kvx::test::RunResult;

namespace {

class KvxCount : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ = fs::temp_directory_path() /
               ("kvx-cli-" + std::to_string(::getpid()) + "-" +
                ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(dir_);
        fs::create_directories(dir_);
    }
    void TearDown() override { fs::remove_all(dir_); }

    std::string Write(const std::string& name, const std::string& bytes) {
        fs::path p = dir_ / name;
        std::ofstream(p, std::ios::binary) << bytes;
        return p.string();
    }
    std::string Params(const kvx::Params& p, const std::string& name = "p.kvx") {
        std::string path = (dir_ / name).string();
        EXPECT_EQ(kvx::SaveState(p, path), "");
        return path;
    }
    RunResult Exec(const std::string& args) {
        fs::create_directories(dir_ / "capture");
        return RunKvxCount(dir_, dir_ / "capture", args);
    }
    fs::path dir_;
};

const char* const kCats = "The cat and the dog.\r\nThe cat sat.\r\n";

const char* const kCatsLabels =
    "Number of words in this list: 5\n"
    "Number of words ignored: 0\n"
    "Number of instances of words in this list: 8\n"
    "Total number of instances of words: 8\n";

TEST_F(KvxCount, DefaultParametersListByFrequencyToStandardOutput) {
    Write("cats.txt", kCats);
    // /dev/stdout leads to the redirection's file: written through, never replaced.
    for (const char* args : {"cats.txt", "-o /dev/stdout cats.txt"}) {
        RunResult r = Exec(args);
        EXPECT_EQ(r.status, 0) << r.err;
        EXPECT_EQ(r.out,
                  "   Rank    Freq  Word (longest has 3 characters)\r\n"
                  "      1       3  the\r\n"
                  "      2       2  cat\r\n"
                  "      3       1  and\r\n"
                  "      4       1  dog\r\n"
                  "      5       1  sat\r\n")
            << args;
        EXPECT_EQ(r.err, kCatsLabels);
    }
}

struct LayoutCase {
    const char* name;
    int16_t order;
    int16_t format;
    int16_t commas;
    const char* expected;
};

class KvxCountLayouts : public KvxCount, public ::testing::WithParamInterface<LayoutCase> {};

TEST_P(KvxCountLayouts, WritesTheOutputFileExactly) {
    const LayoutCase& c = GetParam();
    Write("cats.txt", kCats);
    kvx::Params p;
    p.cboWordOrder = c.order;
    p.cboDisplayFormat = c.format;
    p.chkOutputWithCommas = c.commas;
    std::string params = Params(p);
    RunResult r = Exec("-p '" + params + "' -o out.txt cats.txt");
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(ReadAll(dir_ / "out.txt"), c.expected);
    EXPECT_EQ(r.err, kCatsLabels);
}

INSTANTIATE_TEST_SUITE_P(
    AllLayouts, KvxCountLayouts,
    ::testing::Values(
        LayoutCase{"alphabetical_rank_frequency_word", 1, 0, 0,
                   "   Rank    Freq  Word (longest has 3 characters)\r\n"
                   "      3       1  and\r\n"
                   "      2       2  cat\r\n"
                   "      4       1  dog\r\n"
                   "      5       1  sat\r\n"
                   "      1       3  the\r\n"},
        LayoutCase{"rank_word_frequency", 0, 1, 0,
                   "   Rank  Word      Freq\r\n"
                   "      1  the          3\r\n"
                   "      2  cat          2\r\n"
                   "      3  and          1\r\n"
                   "      4  dog          1\r\n"
                   "      5  sat          1\r\n"},
        LayoutCase{"rank_frequency", 0, 2, 0,
                   "   Rank    Freq\r\n      1       3\r\n      2       2\r\n      3       1\r\n"
                   "      4       1\r\n      5       1\r\n"},
        LayoutCase{"rank_word", 0, 3, 0,
                   "   Rank  Word (longest has 3 characters)\r\n      1  the\r\n      2  cat\r\n"
                   "      3  and\r\n      4  dog\r\n      5  sat\r\n"},
        LayoutCase{"frequency_rank", 0, 4, 0,
                   "   Freq    Rank\r\n      3       1\r\n      2       2\r\n      1       3\r\n"
                   "      1       4\r\n      1       5\r\n"},
        LayoutCase{"frequency_word", 0, 5, 0,
                   "    Freq  Word (longest has 3 characters)\r\n       3  the\r\n       2  cat\r\n"
                   "       1  and\r\n       1  dog\r\n       1  sat\r\n"},
        LayoutCase{"word_rank", 0, 6, 0,
                   "  Word     Rank\r\n  the         1\r\n  cat         2\r\n  and         3\r\n"
                   "  dog         4\r\n  sat         5\r\n"},
        LayoutCase{"word_frequency", 0, 7, 0,
                   "  Word     Freq\r\n  the         3\r\n  cat         2\r\n  and         1\r\n"
                   "  dog         1\r\n  sat         1\r\n"},
        LayoutCase{"word", 0, 8, 0,
                   "Word (longest has 3 characters)\r\nthe\r\ncat\r\nand\r\ndog\r\nsat\r\n"},
        LayoutCase{"word_commas_single_run", 0, 9, 0, "the, cat, and, dog, sat"},
        LayoutCase{"comma_rank_frequency_word", 0, 0, 1,
                   "    Rank,    Freq,  Word (longest has 3 characters)\r\n"
                   "       1,       3,  the\r\n"
                   "       2,       2,  cat\r\n"
                   "       3,       1,  and\r\n"
                   "       4,       1,  dog\r\n"
                   "       5,       1,  sat\r\n"},
        LayoutCase{"comma_word_frequency", 0, 7, 1,
                   "  Word  ,   Freq\r\n  the   ,      3\r\n  cat   ,      2\r\n"
                   "  and   ,      1\r\n  dog   ,      1\r\n  sat   ,      1\r\n"},
        LayoutCase{"comma_alphabetical_word_only", 1, 8, 1,
                   "Word (longest has 3 characters)\r\nand\r\ncat\r\ndog\r\nsat\r\nthe\r\n"}),
    [](const ::testing::TestParamInfo<LayoutCase>& i) { return std::string(i.param.name); });

TEST_F(KvxCount, HtmlFileSkipsTagsCommentsAndScriptsAndDecodesEntities) {
    Write("page.html",
          "<p>caf&eacute; &amp; bar</p><!-- hidden words -->\r\n"
          "<script>var x</script>R\xC3\xA9sum\xC3\xA9\r\n");
    RunResult r = Exec("page.html");
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out,
              "   Rank    Freq  Word (longest has 6 characters)\r\n"
              "      1       1  bar\r\n"
              "      2       1  caf\xC3\xA9\r\n"
              "      3       1  r\xC3\xA9sum\xC3\xA9\r\n");
}

TEST_F(KvxCount, XmlFileKeepsEntityNamesAsWords) {
    Write("doc.xml", "<?xml version=\"1.0\"?><a>salt &amp; pepper</a>\n");
    RunResult r = Exec("doc.xml");
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out,
              "   Rank    Freq  Word (longest has 6 characters)\r\n"
              "      1       1  amp\r\n"
              "      2       1  pepper\r\n"
              "      3       1  salt\r\n");
}

TEST_F(KvxCount, CFileSkipsBlockCommentsAcrossLinesAndLineComments) {
    Write("prog.c",
          "int main() { /* the comment\r\n still */ return 0; } // trailing words\r\n"
          "printf hello\r\n");
    RunResult r = Exec("prog.c");
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out,
              "   Rank    Freq  Word (longest has 6 characters)\r\n"
              "      1       1  hello\r\n"
              "      2       1  int\r\n"
              "      3       1  main\r\n"
              "      4       1  printf\r\n"
              "      5       1  return\r\n");
}

TEST_F(KvxCount, PhpFileSkipsOnlyTheOpeningTag) {
    Write("page.php", "<?php echo words; ?>\n");
    RunResult r = Exec("page.php");
    EXPECT_EQ(r.status, 0) << r.err;
    // "<?php" ends inside itself; "echo" and "words" are scanned; "?>" is no marker.
    EXPECT_EQ(r.out,
              "   Rank    Freq  Word (longest has 4 characters)\r\n"
              "      1       1  echo\r\n"
              "      2       1  word\r\n");
}

TEST_F(KvxCount, CommonWordsAreDroppedButCountedInTheTotal) {
    Write("cats.txt", kCats);
    std::string common = Write("common.txt", "/* my list */ The\r\nAND\r\n");
    kvx::Params p;
    p.chkIgnoreCommonWords = 1;
    p.strCommonWordsFile = common;
    p.txbCommonWordsFile = common;
    RunResult r = Exec("-p '" + Params(p) + "' cats.txt");
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out,
              "   Rank    Freq  Word (longest has 3 characters)\r\n"
              "      1       2  cat\r\n"
              "      2       1  dog\r\n"
              "      3       1  sat\r\n");
    EXPECT_EQ(r.err,
              "Number of words in this list: 3\n"
              "No. of words ignored (other than common words): 0\n"
              "Number of instances of words in this list: 4\n"
              "Total number of instances of words: 8\n");
}

TEST_F(KvxCount, WordsToIgnoreAreNormalisedAndDropped) {
    Write("cats.txt", kCats);
    kvx::Params p;
    p.txbWordsToIgnore = "SAT  Dog dog";
    RunResult r = Exec("-p '" + Params(p) + "' cats.txt");
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out,
              "   Rank    Freq  Word (longest has 3 characters)\r\n"
              "      1       3  the\r\n"
              "      2       2  cat\r\n"
              "      3       1  and\r\n");
}

TEST_F(KvxCount, FilteringCountsExcludedWords) {
    Write("f.txt", "aa bb bb xiv civil zzz zzz 111 it's\n");
    kvx::Params p;
    p.chkAllowWordsWithNumerals = 1;
    RunResult r = Exec("-p '" + Params(p) + "' f.txt");
    EXPECT_EQ(r.status, 0) << r.err;
    // aa, bb, it: short; xiv: numeral; zzz: repetition; 111: no letter; the "s" of
    // "it's" is a contraction fragment and never counted.
    EXPECT_EQ(r.out,
              "   Rank    Freq  Word (longest has 5 characters)\r\n"
              "      1       1  civil\r\n");
    EXPECT_EQ(r.err,
              "Number of words in this list: 1\n"
              "Number of words ignored: 6\n"
              "Number of instances of words in this list: 1\n"
              "Total number of instances of words: 9\n");
}

TEST_F(KvxCount, NoSurvivingWordReportsAndWritesNothing) {
    Write("short.txt", "a an at\n");
    RunResult r = Exec("-o out.txt short.txt");
    EXPECT_EQ(r.status, 0);
    EXPECT_FALSE(fs::exists(dir_ / "out.txt"));
    EXPECT_EQ(r.err.substr(0, r.err.find('\n') + 1), "No words with more than 2 letters\n");
}

TEST_F(KvxCount, EmptyFileHasNoWords) {
    Write("empty.txt", "");
    RunResult r = Exec("empty.txt");
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(r.err.substr(0, r.err.find('\n') + 1),
              "No words satisfying the conditions were found.\n");
}

TEST_F(KvxCount, FileWithoutExtensionIsCounted) {
    Write("README", "hello world\n");
    RunResult r = Exec("README");
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.out.find("  hello\r\n"), std::string::npos);
}

struct RefusalCase {
    const char* name;
    const char* args;
    int status;
    const char* message;  // start of standard error
};

class KvxCountRefusals : public KvxCount, public ::testing::WithParamInterface<RefusalCase> {};

TEST_P(KvxCountRefusals, RefuseWithMessageAndWriteNothing) {
    const RefusalCase& c = GetParam();
    Write("cats.txt", kCats);
    Write("out.txt", "keep me");
    std::string bin("\x01\x02\x03\x00\x05", 5);
    std::string binary;
    for (int i = 0; i < 100; ++i) binary += bin;
    Write("data.bin", binary);
    Write("bad.kvx", "\"just one line\"\r\n");
    kvx::Params p;
    p.txbWordsToIgnore = "cat_dog";
    Params(p, "comma.kvx");
    kvx::Params q;
    q.chkIgnoreCommonWords = 1;
    q.strCommonWordsFile = (dir_ / "nowhere.txt").string();
    Params(q, "nocommon.kvx");
    RunResult r = Exec(c.args);
    EXPECT_EQ(r.status, c.status) << r.err;
    EXPECT_EQ(r.err.substr(0, std::string(c.message).size()), c.message) << r.err;
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(ReadAll(dir_ / "out.txt"), "keep me");
}

INSTANTIATE_TEST_SUITE_P(
    Cases, KvxCountRefusals,
    ::testing::Values(
        RefusalCase{"missing_input", "-o out.txt missing.txt", 1, "Input file does not exist."},
        RefusalCase{"not_text", "-o out.txt data.bin", 1, "data.bin is not a text file.\n\nThis file contains a byte 1 at position 1"},
        RefusalCase{"same_file", "-o cats.txt cats.txt", 1,
                    "Output file cannot be the same as the input file."},
        RefusalCase{"same_file_other_name", "-o ./cats.txt cats.txt", 1,
                    "Output file cannot be the same as the input file."},
        RefusalCase{"damaged_params", "-p bad.kvx -o out.txt cats.txt", 1,
                    "Error when attempting to restore parameters: "},
        RefusalCase{"missing_params", "-p none.kvx -o out.txt cats.txt", 1,
                    "Error when attempting to restore parameters: "},
        RefusalCase{"underscore_in_words_to_ignore", "-p comma.kvx -o out.txt cats.txt", 1,
                    "The character _ occurs in some word to ignore\nbut is not currently set as "
                    "a character allowed in a word.\n"},
        RefusalCase{"missing_common_words", "-p nocommon.kvx -o out.txt cats.txt", 1,
                    "File for common words not found."},
        RefusalCase{"no_input", "-o out.txt", 2, "Usage: kvx-count"},
        RefusalCase{"unknown_option", "-x cats.txt", 2, "kvx-count: unknown option"},
        RefusalCase{"two_inputs", "cats.txt cats.txt", 2, "kvx-count: only one input file"}),
    [](const ::testing::TestParamInfo<RefusalCase>& i) { return std::string(i.param.name); });

TEST_F(KvxCount, ClosedStandardOutputEndsQuietly) {
    std::string big;
    for (int i = 0; i < 40000; ++i) {
        std::string w = "w";
        for (int k = i; k > 0; k /= 26) w += static_cast<char>('a' + k % 26);
        big += w + "q\n";
    }
    Write("big.txt", big);
    std::string cmd = "cd '" + dir_.string() + "' && { KVX_DATA_DIR='" + KVX_TEST_DATA_DIR +
                      "' '" + KVX_COUNT_BIN + "' big.txt 2>err.txt; echo $? >status.txt; } | head -c 10 >head.txt";
    ASSERT_EQ(std::system(cmd.c_str()), 0);
    EXPECT_EQ(ReadAll(dir_ / "status.txt"), "0\n");
    EXPECT_EQ(ReadAll(dir_ / "err.txt"), "");
    EXPECT_EQ(ReadAll(dir_ / "head.txt").size(), 10u);
}

}  // namespace
