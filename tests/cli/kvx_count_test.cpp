// The kvx-count process: exit status, streams, and the files it writes or
// must leave alone; one listing per way of delivering it.

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <map>
#include <string>

#include "TempFolder.h"
#include "TextGen.h"
#include "params/Params.h"
#include "state/StateFile.h"

namespace fs = std::filesystem;
using kvx::test::TempFolder;

namespace {

struct RunResult {
    int status = -1;
    std::string out, err;
};

const char* const kCats = "The cat and the dog.\r\nThe cat sat.\r\n";
const char* const kCatsListing =
    "   Rank    Freq  Word (longest has 3 characters)\r\n"
    "      1       3  the\r\n"
    "      2       2  cat\r\n"
    "      3       1  and\r\n"
    "      4       1  dog\r\n"
    "      5       1  sat\r\n";
const char* const kCatsLabels =
    "Number of words in this list: 5\n"
    "Number of words ignored: 0\n"
    "Number of instances of words in this list: 8\n"
    "Total number of instances of words: 8\n";

// What a folder holds: for each entry its kind and, for a regular file, its bytes.
std::map<std::string, std::string> Snapshot(const fs::path& dir) {
    std::map<std::string, std::string> m;
    for (const auto& e : fs::recursive_directory_iterator(dir)) {
        struct stat st {};
        if (::lstat(e.path().c_str(), &st) != 0) continue;
        m[fs::relative(e.path(), dir).string()] =
            std::to_string(st.st_mode & S_IFMT) + (S_ISREG(st.st_mode) ? " " + TempFolder::Read(e.path()) : "");
    }
    return m;
}

class KvxCount : public ::testing::Test {
protected:
    TempFolder base;
    fs::path dir = fs::path(base.path()) / "work";
    void SetUp() override {
        fs::create_directories(dir);
        fs::create_directories(base / "data");
        Write("cats.txt", kCats);
    }
    std::string Write(const std::string& name, const std::string& bytes) {
        TempFolder::Write((dir / name).string(), bytes);
        return (dir / name).string();
    }
    std::string SaveParams(const kvx::Params& p, const std::string& name = "p.kvx") {
        EXPECT_EQ(kvx::SaveState(p, (dir / name).string()), "");
        return name;
    }
    /// Runs `kvx-count ARGS` in the working folder under LC_ALL=C; `prefix` is
    /// shell text run first (limits), `dataDir` replaces the folder of kvx.dat.
    RunResult Exec(const std::string& args, const std::string& prefix = "", const std::string& dataDir = "") {
        const std::string out = base / "stdout", err = base / "stderr";
        const std::string cmd = "cd '" + dir.string() + "' && " + prefix + " LC_ALL=C KVX_DATA_DIR='" +
                                (dataDir.empty() ? std::string(KVX_TEST_DATA_DIR) : dataDir) +
                                "' timeout 60 '" + KVX_COUNT_BIN + "' " + args + " <&- >'" + out + "' 2>'" +
                                err + "'";
        const int rc = std::system(cmd.c_str());
        return {WIFEXITED(rc) ? WEXITSTATUS(rc) : -1, TempFolder::Read(out), TempFolder::Read(err)};
    }
};

TEST_F(KvxCount, ListsToStandardOutputAndCountsToStandardError) {
    // /dev/stdout leads to the redirection's file: written through, never replaced.
    for (const char* args : {"cats.txt", "-o /dev/stdout cats.txt"}) {
        RunResult r = Exec(args);
        EXPECT_EQ(r.status, 0) << r.err;
        EXPECT_EQ(r.out, kCatsListing) << args;
        EXPECT_EQ(r.err, kCatsLabels);
    }
}

TEST_F(KvxCount, OutputKeepsLinksAndPermissions) {
    fs::create_directories(dir / "lists");
    const std::string target = Write("lists/out.txt", "old");
    ASSERT_EQ(::chmod(target.c_str(), 0600), 0);
    fs::create_symlink("lists/out.txt", dir / "link.txt");
    RunResult r = Exec("-o link.txt cats.txt");
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_TRUE(fs::is_symlink(dir / "link.txt"));
    EXPECT_EQ(TempFolder::Read(target), kCatsListing);
    struct stat st {};
    ASSERT_EQ(::stat(target.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0600u);
    EXPECT_EQ(std::distance(fs::directory_iterator(dir / "lists"), fs::directory_iterator()), 1);

    // A new file gets what the umask allows.
    r = Exec("-o fresh.txt cats.txt", "umask 027;");
    EXPECT_EQ(r.status, 0) << r.err;
    ASSERT_EQ(::stat((dir / "fresh.txt").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0640u);
}

TEST_F(KvxCount, OutputFileGetsTheLayoutOfTheParameterFile) {
    struct Row {
        int16_t order, format, commas;
        const char* expected;
    };
    const Row rows[] = {
        {1, 7, 1, "  Word  ,   Freq\r\n  and   ,      1\r\n  cat   ,      2\r\n  dog   ,      1\r\n"
                  "  sat   ,      1\r\n  the   ,      3\r\n"},
        {0, 9, 0, "the, cat, and, dog, sat"},
    };
    for (const Row& row : rows) {
        kvx::Params p;
        p.cboWordOrder = row.order;
        p.cboDisplayFormat = row.format;
        p.chkOutputWithCommas = row.commas;
        RunResult r = Exec("-p " + SaveParams(p) + " -o out.txt cats.txt");
        EXPECT_EQ(r.status, 0) << r.err;
        EXPECT_EQ(r.out, "");
        EXPECT_EQ(TempFolder::Read((dir / "out.txt").string()), row.expected);
        EXPECT_EQ(r.err, kCatsLabels);
    }
}

TEST_F(KvxCount, ExtensionChoosesTheMarkupRules) {
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
    Write("README", "<p>hello</p>\n");
    r = Exec("README");
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "   Rank    Freq  Word (longest has 5 characters)\r\n      1       1  hello\r\n");
}

TEST_F(KvxCount, CommonWordsAreDroppedButCountedInTheTotal) {
    std::string common = Write("common.txt", "/* my list */ The\r\nAND\r\n");
    kvx::Params p;
    p.chkIgnoreCommonWords = 1;
    p.strCommonWordsFile = p.txbCommonWordsFile = common;
    RunResult r = Exec("-p " + SaveParams(p) + " cats.txt");
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

TEST_F(KvxCount, ClosedStandardOutputEndsQuietly) {
    Write("big.txt", kvx::test::DistinctWords(40000));
    std::string cmd = "cd '" + dir.string() + "' && { KVX_DATA_DIR='" + KVX_TEST_DATA_DIR + "' '" +
                      KVX_COUNT_BIN + "' big.txt 2>err.txt; echo $? >status.txt; } | head -c 10 >head.txt";
    ASSERT_EQ(std::system(cmd.c_str()), 0);
    EXPECT_EQ(TempFolder::Read((dir / "status.txt").string()), "0\n");
    EXPECT_EQ(TempFolder::Read((dir / "err.txt").string()), "");
    EXPECT_EQ(TempFolder::Read((dir / "head.txt").string()).size(), 10u);
}

// Refusals and inputs without words: the message, the status, nothing on
// standard output, and every file of the working folder as it was.
struct Refusal {
    const char* name;
    const char* args;
    int status;
    const char* message;  // start of standard error
    const char* prefix = "";
    const char* dat = nullptr;  // kvx.dat of a data folder of its own ("-": none)
};

class KvxCountRefusals : public KvxCount, public ::testing::WithParamInterface<Refusal> {};

TEST_P(KvxCountRefusals, ReportAndLeaveFilesAlone) {
    const Refusal& c = GetParam();
    Write("out.txt", "keep me");
    Write("data.bin", std::string(500, '\x01'));
    Write("bad.kvx", "\"just one line\"\r\n");
    Write("random.kvx", kvx::test::RandomBytes(4096, 7));
    Write("many.txt", kvx::test::DistinctWords(3000, 1));
    Write("short.txt", "a an at\n");
    for (const char* d : {"folder.txt", "outdir", "dir.kvx"}) fs::create_directories(dir / d);
    for (const char* f : {"fifo.txt", "fifo.kvx", "common.fifo", "out.fifo"}) ASSERT_EQ(::mkfifo((dir / f).c_str(), 0600), 0);
    kvx::Params p;
    p.txbWordsToIgnore = "cat_dog";
    SaveParams(p, "underscore.kvx");
    p = {};
    p.chkIgnoreCommonWords = 1;
    auto common = [&](const char* name, const std::string& file) {
        p.strCommonWordsFile = p.txbCommonWordsFile = file;
        SaveParams(p, name);
    };
    common("nocommon.kvx", (dir / "nowhere.txt").string());
    common("fifocommon.kvx", (dir / "common.fifo").string());
    common("zerocommon.kvx", "/dev/zero");
    const std::string data = base / "data";
    if (c.dat && std::string(c.dat) != "-") TempFolder::Write(data + "/kvx.dat", c.dat);
    const auto before = Snapshot(dir);
    RunResult r = Exec(c.args, c.prefix, c.dat ? data : "");
    EXPECT_EQ(r.status, c.status) << r.err;
    EXPECT_EQ(r.err.substr(0, std::string(c.message).size()), c.message) << r.err;
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(Snapshot(dir), before);
}

const char* const kLimit = "trap '' XFSZ; ulimit -f 4;";

INSTANTIATE_TEST_SUITE_P(
    Rows, KvxCountRefusals,
    ::testing::Values(
        Refusal{"missing_input", "-o out.txt missing.txt", 1, "Input file does not exist.\n"},
        Refusal{"folder_as_input", "-o out.txt folder.txt", 1, "Input file does not exist.\n"},
        Refusal{"fifo_as_input", "-o out.txt fifo.txt", 1, "Error 75: Path/File access error\n"},
        Refusal{"not_text", "-o out.txt data.bin", 1,
                "data.bin is not a text file.\n\nThis file contains a byte 1 at position 1"},
        Refusal{"dev_zero_as_input", "-o out.txt /dev/zero", 1,
                "/dev/zero is not a text file.\n\nYou could try reading it"},
        Refusal{"same_file_other_name", "-o ./cats.txt cats.txt", 1,
                "Output file cannot be the same as the input file."},
        Refusal{"output_in_missing_folder", "-o nowhere/out.txt cats.txt", 1, "Error 53: File not found\n"},
        Refusal{"output_is_a_folder", "-o outdir cats.txt", 1, "Error 75: Path/File access error\n"},
        Refusal{"output_fifo_without_reader", "-o out.fifo cats.txt", 1,
                "Error 75: Path/File access error (No such device or address)\n"},
        Refusal{"output_dev_full", "-o /dev/full cats.txt", 1,
                "Error 61: Disk full (the listing was not written)\n"},
        Refusal{"output_too_big_keeps_the_old_file", "-o out.txt many.txt", 1,
                "Error 61: Disk full (the listing was not written)\n", kLimit},
        Refusal{"output_too_big_leaves_no_new_file", "-o fresh.txt many.txt", 1,
                "Error 61: Disk full (the listing was not written)\n", kLimit},
        Refusal{"damaged_params", "-p bad.kvx -o out.txt cats.txt", 1,
                "Error when attempting to restore parameters: "},
        Refusal{"missing_params", "-p none.kvx cats.txt", 1, "Error when attempting to restore parameters: "},
        Refusal{"random_bytes_as_params", "-p random.kvx cats.txt", 1,
                "Error when attempting to restore parameters: "},
        Refusal{"params_from_a_folder", "-p dir.kvx cats.txt", 1, "Error when attempting to restore parameters: "},
        Refusal{"params_from_a_fifo", "-p fifo.kvx cats.txt", 1, "Error when attempting to restore parameters: "},
        Refusal{"underscore_in_words_to_ignore", "-p underscore.kvx -o out.txt cats.txt", 1,
                "The character _ occurs in some word to ignore\nbut is not currently set as "
                "a character allowed in a word.\n"},
        Refusal{"missing_common_words", "-p nocommon.kvx -o out.txt cats.txt", 1,
                "File for common words not found."},
        Refusal{"common_words_from_a_fifo", "-p fifocommon.kvx cats.txt", 1, "Error 75: Path/File access error\n"},
        Refusal{"common_words_from_dev_zero", "-p zerocommon.kvx cats.txt", 1, "This is not a text file.\n"},
        Refusal{"duplicate_message_number", "cats.txt", 1, "Duplicate in program text at line 3.\n", "",
                "1=KVX\n34=Error\n1=again\n"},
        Refusal{"empty_message_file", "cats.txt", 1, "File is empty.\n", "", ""},
        Refusal{"missing_message_file", "cats.txt", 1, "Cannot open file containing program text.\n", "", "-"},
        Refusal{"no_words_left", "-o out.txt short.txt", 0, "No words with more than 2 letters\n"},
        Refusal{"dev_null_has_no_words", "-o out.txt /dev/null", 0,
                "No words satisfying the conditions were found.\n"},
        Refusal{"no_input", "-o out.txt", 2, "Usage: kvx-count"},
        Refusal{"unknown_option", "-x cats.txt", 2, "kvx-count: unknown option"},
        Refusal{"two_inputs", "cats.txt cats.txt", 2, "kvx-count: only one input file"}),
    [](const ::testing::TestParamInfo<Refusal>& i) { return std::string(i.param.name); });

}  // namespace
