// kvx-count against hostile input: things that are not files, endless
// devices, unwritable outputs, damaged parameter and message files. Every
// refusal must give its message, end with status 1, and leave every file of
// the working folder as it was.

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <random>
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

// What a folder holds: for each entry its kind and, for a regular file, its
// size and (when small) its bytes.
std::map<std::string, std::string> Snapshot(const fs::path& dir) {
    std::map<std::string, std::string> m;
    for (const auto& e : fs::recursive_directory_iterator(dir)) {
        struct stat st {};
        if (::lstat(e.path().c_str(), &st) != 0) continue;
        std::string v = std::to_string(st.st_mode & S_IFMT);
        if (S_ISREG(st.st_mode)) {
            v += " " + std::to_string(st.st_size);
            if (st.st_size < (1 << 20)) v += " " + ReadAll(e.path());
        }
        m[fs::relative(e.path(), dir).string()] = v;
    }
    return m;
}

class KvxCountHostile : public ::testing::Test {
protected:
    void SetUp() override {
        std::string name = ::testing::UnitTest::GetInstance()->current_test_info()->name();
        for (char& c : name)
            if (c == '/') c = '_';
        base_ = fs::temp_directory_path() / ("kvx-hostile-" + std::to_string(::getpid()) + "-" + name);
        fs::remove_all(base_);
        dir_ = base_ / "work";
        fs::create_directories(dir_);
        fs::create_directories(base_ / "capture");
    }
    void TearDown() override {
        if (!base_.empty()) fs::remove_all(base_);
    }

public:
    std::string Write(const std::string& name, const std::string& bytes) {
        fs::path p = dir_ / name;
        fs::create_directories(p.parent_path());
        std::ofstream(p, std::ios::binary) << bytes;
        return p.string();
    }
protected:
    // Runs kvx-count in the working folder; `prefix` is shell text run first
    // (limits, traps), `dataDir` replaces the folder of kvx.dat when set.
    RunResult Exec(const std::string& args, const std::string& prefix = "",
                   const std::string& dataDir = "") {
        return RunKvxCount(dir_, base_ / "capture", args, prefix, dataDir);
    }
    fs::path base_, dir_;
};

const char* const kCats = "The cat and the dog.\r\nThe cat sat.\r\n";

// Enough different words that the listing is several kilobytes long.
std::string ManyWords() {
    std::string s;
    for (int i = 0; i < 3000; ++i) {
        std::string w = "w";
        for (int k = i; k > 0; k /= 26) w += static_cast<char>('a' + k % 26);
        s += w + "q\n";
    }
    return s;
}

std::string RandomBytes(size_t n, unsigned seed) {
    std::mt19937 gen(seed);
    std::string s(n, '\0');
    for (char& c : s) c = static_cast<char>(gen() & 0xFF);
    return s;
}

struct HostileCase {
    const char* name;
    // Prepares the working folder (and a data folder) and returns the arguments.
    std::function<std::string(KvxCountHostile&, const fs::path& dir, const fs::path& data)> setup;
    const char* prefix;  // shell text before the run
    bool ownData;        // run with the prepared data folder as KVX_DATA_DIR
    int status;
    const char* message;  // start of standard error
};

class KvxCountHostileCases : public KvxCountHostile,
                             public ::testing::WithParamInterface<HostileCase> {};

TEST_P(KvxCountHostileCases, RefusesWithMessageAndLeavesFilesAlone) {
    const HostileCase& c = GetParam();
    Write("cats.txt", kCats);
    Write("out.txt", "keep me");
    const fs::path data = base_ / "data";
    fs::create_directories(data);
    const std::string args = c.setup(*this, dir_, data);
    const auto before = Snapshot(dir_);
    RunResult r = Exec(args, c.prefix, c.ownData ? data.string() : "");
    EXPECT_EQ(r.status, c.status) << r.err;
    EXPECT_EQ(r.err.substr(0, std::string(c.message).size()), c.message) << r.err;
    if (c.status != 0) {
        EXPECT_EQ(r.out, "");
    }
    EXPECT_EQ(Snapshot(dir_), before);
    EXPECT_EQ(ReadAll(dir_ / "out.txt"), "keep me");
}

std::string Args(const std::string& s) { return s; }

// A parameter file that ignores the common words of `path`.
std::string CommonWordsFrom(const fs::path& dir, const std::string& path) {
    kvx::Params p;
    p.chkIgnoreCommonWords = 1;
    p.strCommonWordsFile = path;
    p.txbCommonWordsFile = path;
    EXPECT_EQ(kvx::SaveState(p, (dir / "common.kvx").string()), "");
    return "-p common.kvx -o out.txt cats.txt";
}

INSTANTIATE_TEST_SUITE_P(
    Rows, KvxCountHostileCases,
    ::testing::Values(
        HostileCase{"folder_as_input",
                    [](KvxCountHostile&, const fs::path& d, const fs::path&) {
                        fs::create_directories(d / "folder.txt");
                        return Args("-o out.txt folder.txt");
                    },
                    "", false, 1, "Input file does not exist.\n"},
        HostileCase{"fifo_as_input",
                    [](KvxCountHostile&, const fs::path& d, const fs::path&) {
                        EXPECT_EQ(::mkfifo((d / "fifo.txt").c_str(), 0600), 0);
                        return Args("-o out.txt fifo.txt");
                    },
                    "", false, 1, "Error 75: Path/File access error\n"},
        HostileCase{"dev_zero_as_input",
                    [](KvxCountHostile&, const fs::path&, const fs::path&) {
                        return Args("-o out.txt /dev/zero");
                    },
                    "", false, 1, "/dev/zero is not a text file.\n\nYou could try reading it"},
        HostileCase{"dev_urandom_as_input",
                    [](KvxCountHostile&, const fs::path&, const fs::path&) {
                        return Args("-o out.txt /dev/urandom");
                    },
                    "", false, 1, "/dev/urandom is not a text file.\n\nThis file contains a byte "},
        HostileCase{"output_in_missing_folder",
                    [](KvxCountHostile&, const fs::path&, const fs::path&) {
                        return Args("-o nowhere/out.txt cats.txt");
                    },
                    "", false, 1, "Error 53: File not found\n"},
        HostileCase{"output_is_a_folder",
                    [](KvxCountHostile&, const fs::path& d, const fs::path&) {
                        fs::create_directories(d / "outdir");
                        return Args("-o outdir cats.txt");
                    },
                    "", false, 1, "Error 75: Path/File access error\n"},
        HostileCase{"output_fifo_without_reader",
                    [](KvxCountHostile&, const fs::path& d, const fs::path&) {
                        EXPECT_EQ(::mkfifo((d / "out.fifo").c_str(), 0600), 0);
                        return Args("-o out.fifo cats.txt");
                    },
                    "", false, 1, "Error 75: Path/File access error"},
        HostileCase{"output_dev_full",
                    [](KvxCountHostile&, const fs::path&, const fs::path&) {
                        return Args("-o /dev/full cats.txt");
                    },
                    "", false, 1, "Error 61: Disk full (the listing was not written)\n"},
        HostileCase{"output_file_too_big_keeps_the_old_one",
                    [](KvxCountHostile& t, const fs::path&, const fs::path&) {
                        t.Write("many.txt", ManyWords());
                        return Args("-o out.txt many.txt");
                    },
                    "trap '' XFSZ; ulimit -f 4;", false, 1,
                    "Error 61: Disk full (the listing was not written)\n"},
        HostileCase{"random_bytes_as_parameters",
                    [](KvxCountHostile& t, const fs::path&, const fs::path&) {
                        t.Write("random.kvx", RandomBytes(4096, 7));
                        return Args("-p random.kvx -o out.txt cats.txt");
                    },
                    "", false, 1, "Error when attempting to restore parameters: "},
        HostileCase{"parameters_with_a_10mb_line",
                    [](KvxCountHostile& t, const fs::path&, const fs::path&) {
                        t.Write("long.kvx", "\"" + std::string(10 << 20, 'a') + "\"\r\n\"\"\r\n");
                        return Args("-p long.kvx -o out.txt cats.txt");
                    },
                    "", false, 1, "Error when attempting to restore parameters: "},
        HostileCase{"parameters_file_is_a_folder",
                    [](KvxCountHostile&, const fs::path& d, const fs::path&) {
                        fs::create_directories(d / "dir.kvx");
                        return Args("-p dir.kvx -o out.txt cats.txt");
                    },
                    "", false, 1, "Error when attempting to restore parameters: "},
        HostileCase{"parameters_from_a_fifo",
                    [](KvxCountHostile&, const fs::path& d, const fs::path&) {
                        EXPECT_EQ(::mkfifo((d / "fifo.kvx").c_str(), 0600), 0);
                        return Args("-p fifo.kvx -o out.txt cats.txt");
                    },
                    "", false, 1, "Error when attempting to restore parameters: "},
        HostileCase{"common_words_from_a_fifo",
                    [](KvxCountHostile&, const fs::path& d, const fs::path&) {
                        EXPECT_EQ(::mkfifo((d / "common.fifo").c_str(), 0600), 0);
                        return CommonWordsFrom(d, (d / "common.fifo").string());
                    },
                    "", false, 1, "Error 75: Path/File access error\n"},
        HostileCase{"common_words_from_dev_zero",
                    [](KvxCountHostile&, const fs::path& d, const fs::path&) {
                        return CommonWordsFrom(d, "/dev/zero");
                    },
                    "", false, 1, "This is not a text file.\n"},
        HostileCase{"message_file_with_a_duplicate_number",
                    [](KvxCountHostile&, const fs::path&, const fs::path& data) {
                        std::ofstream(data / "kvx.dat", std::ios::binary)
                            << "1=KVX\n34=Error\n1=again\n";
                        return Args("-o out.txt cats.txt");
                    },
                    "", true, 1, "Duplicate in program text at line 3.\n"},
        HostileCase{"empty_message_file",
                    [](KvxCountHostile&, const fs::path&, const fs::path& data) {
                        std::ofstream(data / "kvx.dat", std::ios::binary) << "";
                        return Args("-o out.txt cats.txt");
                    },
                    "", true, 1, "File is empty.\n"},
        HostileCase{"missing_message_file",
                    [](KvxCountHostile&, const fs::path&, const fs::path&) {
                        return Args("-o out.txt cats.txt");
                    },
                    "", true, 1, "Cannot open file containing program text.\n"},
        HostileCase{"random_bytes_as_message_file",
                    [](KvxCountHostile&, const fs::path&, const fs::path& data) {
                        std::ofstream(data / "kvx.dat", std::ios::binary) << RandomBytes(2000, 11);
                        return Args("-o out.txt cats.txt");
                    },
                    "", true, 1, "Missing string at line 1.\n"},
        HostileCase{"dev_null_as_input_has_no_words",
                    [](KvxCountHostile&, const fs::path&, const fs::path&) {
                        return Args("-o out.txt /dev/null");
                    },
                    "", false, 0, "No words satisfying the conditions were found.\n"}),
    [](const ::testing::TestParamInfo<HostileCase>& i) { return std::string(i.param.name); });

TEST_F(KvxCountHostile, FailedWriteLeavesNoTemporaryFileBehind) {
    Write("many.txt", ManyWords());
    RunResult r = Exec("-o fresh.txt many.txt", "trap '' XFSZ; ulimit -f 4;");
    EXPECT_EQ(r.status, 1) << r.err;
    EXPECT_FALSE(fs::exists(dir_ / "fresh.txt"));
    for (const auto& e : fs::directory_iterator(dir_))
        EXPECT_EQ(e.path().filename().string().find("fresh.txt"), std::string::npos)
            << e.path();
}

TEST_F(KvxCountHostile, OutputKeepsLinksAndPermissions) {
    Write("cats.txt", kCats);
    const std::string target = Write("lists/out.txt", "old");
    ASSERT_EQ(::chmod(target.c_str(), 0600), 0);
    fs::create_symlink("lists/out.txt", dir_ / "link.txt");
    RunResult r = Exec("-o link.txt cats.txt");
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_TRUE(fs::is_symlink(dir_ / "link.txt"));
    EXPECT_NE(ReadAll(target).find("  cat"), std::string::npos) << ReadAll(target);
    struct stat st {};
    ASSERT_EQ(::stat(target.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0600u);
    EXPECT_EQ(std::distance(fs::directory_iterator(dir_ / "lists"), fs::directory_iterator()), 1);

    // A new file gets what the umask allows.
    r = Exec("-o fresh.txt cats.txt", "umask 027;");
    EXPECT_EQ(r.status, 0) << r.err;
    ASSERT_EQ(::stat((dir_ / "fresh.txt").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0640u);
}

// Gigabyte inputs take tens of seconds (more under the sanitizers), so they
// run only when KVX_TEST_BIG_FILES is set.
class KvxCountBigFiles : public KvxCountHostile {
protected:
    void SetUp() override {
        if (!std::getenv("KVX_TEST_BIG_FILES")) GTEST_SKIP() << "set KVX_TEST_BIG_FILES=1 to run";
        KvxCountHostile::SetUp();
    }
};

TEST_F(KvxCountBigFiles, SparseThreeGigabyteFileIsCountedWithoutOverflow) {
    // 3 GiB of holes (zero bytes) with one line of words every MiB.
    const fs::path p = dir_ / "sparse.txt";
    {
        std::ofstream(p, std::ios::binary).close();
        fs::resize_file(p, int64_t(3) << 30);
        std::fstream f(p, std::ios::binary | std::ios::in | std::ios::out);
        for (int64_t i = 0; i < 3072; ++i) {
            f.seekp(i << 20);
            f << "alpha beta\n";
        }
    }
    RunResult r = Exec("sparse.txt");
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out,
              "   Rank    Freq  Word (longest has 5 characters)\r\n"
              "      1    3072  alpha\r\n"
              "      2    3072  beta\r\n");
    EXPECT_NE(r.err.find("Total number of instances of words: 6144"), std::string::npos) << r.err;
}

TEST_F(KvxCountBigFiles, LineOfFiveHundredMegabytesIsCounted) {
    const fs::path p = dir_ / "long.txt";
    {
        std::ofstream f(p, std::ios::binary);
        f << "first words";
    }
    fs::resize_file(p, int64_t(500) << 20);
    { std::ofstream(p, std::ios::binary | std::ios::app) << "last words\n"; }
    RunResult r = Exec("long.txt");
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out,
              "   Rank    Freq  Word (longest has 5 characters)\r\n"
              "      1       2  word\r\n"
              "      2       1  first\r\n"
              "      3       1  last\r\n");
}

}  // namespace
