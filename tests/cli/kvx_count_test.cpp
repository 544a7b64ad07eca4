// The kvx-count process: exit status, streams, and the files it writes or
// must leave alone; one listing per way of delivering it.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <csignal>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <random>
#include <string>

#include "Process.h"
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

// The default listing of the words given most frequent first, each with its count.
std::string Listing(std::initializer_list<std::pair<int, const char*>> rows) {
    size_t longest = 0, rank = 0;
    for (const auto& row : rows) longest = std::max(longest, std::strlen(row.second));
    std::string s = "   Rank    Freq  Word (longest has " + std::to_string(longest) + " characters)\r\n";
    for (const auto& [freq, word] : rows) {
        const std::string r = std::to_string(++rank), f = std::to_string(freq);
        s += std::string(7 - r.size(), ' ') + r + std::string(8 - f.size(), ' ') + f + "  " + word + "\r\n";
    }
    return s;
}

// The result counts on standard error, each number as aligned.
std::string Labels(const char* inList, const char* ignored, const char* instances, const char* total) {
    return std::string("Number of words in this list: ") + inList + "\nNumber of words ignored: " + ignored +
           "\nNumber of instances of words in this list: " + instances + "\nTotal number of instances of words: " +
           total + "\n";
}

const char* const kCats = "The cat and the dog.\r\nThe cat sat.\r\n";
const std::string kCatsListing = Listing({{3, "the"}, {2, "cat"}, {1, "and"}, {1, "dog"}, {1, "sat"}});
const std::string kCatsLabels = Labels("5", "0", "8", "8");

// What a folder holds: for each entry its kind and, for a regular file, its bytes.
std::map<std::string, std::string> Snapshot(const fs::path& dir) {
    std::map<std::string, std::string> m;
    for (const auto& e : fs::recursive_directory_iterator(dir))
        m[fs::relative(e.path(), dir).string()] = std::to_string(int(e.symlink_status().type())) + " " +
                                                  (e.is_regular_file() ? TempFolder::Read(e.path()) : "");
    return m;
}

class KvxCount : public ::testing::Test {
protected:
    TempFolder base;
    fs::path dir = fs::path(base.path()) / "work";
    void SetUp() override {
        fs::create_directories(dir);
        Write("cats.txt", kCats);
    }
    std::string Write(const std::string& name, const std::string& bytes) {
        TempFolder::Write((dir / name).string(), bytes);
        return (dir / name).string();
    }
    std::string Read(const std::string& name) const { return TempFolder::Read((dir / name).string()); }
    void SaveParams(const kvx::Params& p, const std::string& name) { EXPECT_EQ(kvx::SaveState(p, (dir / name).string()), ""); }
    /// Shell text that enters the working folder, under LC_ALL=C and with kvx-count's data at hand.
    std::string InDir() const {
        return "cd '" + dir.string() + "' || exit 125; export LC_ALL=C KVX_DATA_DIR='" KVX_TEST_DATA_DIR "'; ";
    }
    int Shell(const std::string& cmd) { return kvx::test::Run(InDir() + cmd); }
    /// Runs `kvx-count ARGS` after `prefix` (limits, pipes, other data).
    RunResult Exec(const std::string& args, const std::string& prefix = "") {
        const std::string out = base / "stdout", err = base / "stderr";
        // Standard input is closed unless the arguments or a pipe in prefix give one.
        const bool given = args.find('<') != std::string::npos || prefix.find('|') != std::string::npos;
        const int status = Shell(prefix + " '" KVX_COUNT_BIN "' " + (given ? "" : "<&- ") + args + " >'" + out +
                                 "' 2>'" + err + "'");
        return {status, TempFolder::Read(out), TempFolder::Read(err)};
    }
};

// A reader that goes away, of standard output or of a pipe named as OUTPUT, or
// standard output closed outright: the run ends quietly; a full device is an
// error like any file's.
TEST_F(KvxCount, ClosedStandardOutputEndsQuietly) {
    Write("big.txt", kvx::test::DistinctWords(40000));
    const std::string run = "{ '" KVX_COUNT_BIN "' ", status = " 2>err.txt; echo $? >status.txt; }";
    const std::pair<std::string, const char*> rows[] = {
        {run + "big.txt" + status + " | head -c 10 >/dev/null", "0\n"},
        {run + "-o /dev/stdout big.txt" + status + " | head -c 10 >/dev/null", "0\n"},
        {run + "-o - cats.txt >&-" + status, "0\n"},
        {run + "-o - cats.txt >/dev/full" + status,
         "1\nkvx-count: standard output: Error 61: Disk full (the listing was not written)\n"},
    };
    for (const auto& [command, expected] : rows) {
        ASSERT_EQ(Shell(command), 0);
        EXPECT_EQ(Read("status.txt") + Read("err.txt"), expected) << command;
    }
}

// SIGTERM while the listing is written: the temporary beside OUTPUT goes, the
// old OUTPUT stays, and the program ends by the signal. The writer is stopped
// once its temporary is seen, so that the signal surely comes before the rename.
TEST_F(KvxCount, SignalDuringTheWriteLeavesTheOldOutputAlone) {
    Write("big.txt", kvx::test::DistinctWords(390000));
    auto temporaries = [&] {
        int n = 0;
        for (const auto& e : fs::directory_iterator(dir)) n += e.path().filename().string().rfind("out.txt.", 0) == 0;
        return n;
    };
    bool signalled = false;
    for (int attempt = 0; attempt < 5 && !signalled; ++attempt) {
        Write("out.txt", "old");
        fs::remove(dir / "pid.txt");
        kvx::test::Process run(InDir() + "echo $$ >pid.txt && exec '" KVX_COUNT_BIN "' -o out.txt big.txt 2>/dev/null");
        pid_t pid = 0;
        while (run.running() && !signalled) {
            if (pid == 0) std::ifstream(dir / "pid.txt") >> pid;
            if (pid == 0 || temporaries() == 0) continue;
            ::kill(pid, SIGSTOP);
            for (std::string state, skip; run.running() && state != "T";)
                std::ifstream("/proc/" + std::to_string(pid) + "/stat") >> skip >> skip >> state;
            signalled = temporaries() == 1;
            ::kill(pid, signalled ? SIGTERM : SIGCONT);
            ::kill(pid, SIGCONT);
        }
        const int status = run.wait();
        EXPECT_TRUE(!signalled || status == 128 + SIGTERM) << status;
    }
    ASSERT_TRUE(signalled) << "the temporary was never seen";
    EXPECT_EQ(temporaries(), 0);
    EXPECT_EQ(Read("out.txt"), "old");
}

// On a terminal a line tells how far the count is and is wiped before the
// result counts, so that the terminal keeps what a run without it shows;
// --quiet leaves it out, --progress shows it anywhere. The writer's pause
// makes the count outlast the half second before the line's first showing.
TEST_F(KvxCount, ProgressLineOnATerminal) {
    const int master = ::posix_openpt(O_RDWR | O_NOCTTY);
    ASSERT_TRUE(master >= 0 && ::grantpt(master) == 0 && ::unlockpt(master) == 0);
    const std::string tty = ::ptsname(master);
    const int slave = ::open(tty.c_str(), O_RDWR | O_NOCTTY);  // open till the end: no EIO on the master
    termios raw {};
    ASSERT_TRUE(slave >= 0 && ::tcgetattr(slave, &raw) == 0);
    ::cfmakeraw(&raw);  // the bytes as written
    ASSERT_EQ(::tcsetattr(slave, TCSANOW, &raw), 0);
    const std::string slowly = "{ cat cats.txt; sleep 1; cat cats.txt; } |";
    const RunResult plain = Exec("", slowly);
    const std::string labels = Labels(" 5", " 0", "16", "16");
    const struct { const char* args; bool onTty, line; std::string err; } cases[] = {
        {"", true, true, labels}, {"-q", true, false, ""}, {"--progress", false, true, labels}};
    for (const auto& c : cases) {
        kvx::test::Process run(InDir() + slowly + " '" KVX_COUNT_BIN "' " + c.args + " >out.txt 2>" +
                               (c.onTty ? tty : std::string("err.txt")));
        std::string seen;
        char buf[4096];
        for (bool more = true; more;) {
            more = run.running();
            pollfd p{master, POLLIN, 0};
            for (ssize_t n; ::poll(&p, 1, more ? 50 : 0) > 0 && (n = ::read(master, buf, sizeof buf)) > 0;)
                seen.append(buf, size_t(n));
        }
        EXPECT_EQ(run.wait(), 0);
        if (!c.onTty) seen = Read("err.txt");
        EXPECT_EQ(Read("out.txt"), plain.out) << c.args;
        if (!c.line) {
            EXPECT_EQ(seen, c.err) << c.args;
            continue;
        }
        // "\rkvx-count: LINE" at least once, then "\r" + blanks over it + "\r", then the counts.
        const size_t end = seen.rfind('\r'), wipe = seen.rfind('\r', end - 1), line = seen.rfind('\r', wipe - 1);
        ASSERT_TRUE(line != std::string::npos) << seen;
        EXPECT_EQ(seen.rfind("\rkvx-count: 0 B read, 0 B/s", 0), 0u) << seen;
        EXPECT_EQ(seen.substr(wipe + 1, end - wipe - 1), std::string(std::max(end - wipe - 1, wipe - line - 1), ' '));
        EXPECT_EQ(seen.substr(end + 1), c.err) << c.args;
    }
    ::close(slave);
    ::close(master);
}

// Pipes list as the files they carry: standard input beyond what the text
// check reads first, and UTF-16 whose mark that check takes, with punctuation
// („ ‚ – — ’) whose low bytes are below 32; pipes named as inputs each read
// once in its turn with its own name's rules, by one thread or several. One
// writer fills them one after the other: the second is opened only once the
// first is read.
TEST_F(KvxCount, PipesListAsTheFilesTheyCarry) {
    std::string utf16 = "\xFF\xFE";
    for (char ch : std::string("Gr\xFC\xDF Gott, \x1E\x1A\x13\x14\x19gr\xFC\xDF dich\r\n"))
        utf16 += ch < 32 && ch != '\r' && ch != '\n' ? std::string{ch, ' '} : std::string{ch, '\0'};
    Write("big.txt", kvx::test::DistinctWords(50000));
    Write("utf16.txt", utf16);
    Write("page.html", "<p>cat</p><!-- the dog -->\n");
    for (const std::string name : {"big.txt", "utf16.txt"}) {
        const RunResult named = Exec("-o - " + name), piped = Exec("", "cat " + name + " |");
        EXPECT_EQ(named.status, 0) << named.err;
        EXPECT_GT(named.out.size(), 50u);
        EXPECT_EQ(piped.out + piped.err, named.out + named.err) << name;
    }
    // Longer than the file writer's buffer, the listing reaches the file whole, made as the umask allows.
    EXPECT_EQ(Exec("-o out.txt big.txt", "umask 027;").status, 0);
    EXPECT_EQ(fs::status(dir / "out.txt").permissions(), fs::perms(0640));
    EXPECT_EQ(Read("out.txt"), Exec("big.txt").out);
    const RunResult files = Exec("big.txt page.html cats.txt");
    for (const char* fifo : {"p1.txt", "p2.html"}) ASSERT_EQ(::mkfifo((dir / fifo).c_str(), 0600), 0);
    for (const char* jobs : {"-j1", "-j4"}) {
        const RunResult piped = Exec(std::string(jobs) + " p1.txt p2.html cats.txt",
                                     "(cat big.txt >p1.txt; cat page.html >p2.html) &");
        EXPECT_EQ(piped.status, 0) << piped.err;
        EXPECT_EQ(piped.out + piped.err, files.out + files.err) << jobs;
    }
}

// Shards counted apart and merged list exactly as one run over all of them in
// the same order: ties, mixed case, markup and common words, under parameter
// sets that change what a word is and what is listed.
TEST_F(KvxCount, MergedCountsListAsOneRunOverAllShards) {
    const char* const vocab[] = {"the", "The", "cat", "Cats", "x-ray", "it's", "2nd", "xiv", "caf\xC3\xA9", "Caf\xC3\xA9"};
    std::mt19937 rng(11);
    std::string text;
    for (int w = 0; w < 300; ++w) text += std::string(vocab[rng() % std::size(vocab)]) + (w % 7 ? " " : "\r\n");
    Write("s0.txt", text.substr(0, 700));
    Write("s1.html", "<p>The dog</p><!-- hidden cat -->\n");
    Write("s2.txt", text.substr(700) + kvx::test::DistinctWords(60, 7));
    Write("common.txt", "the\r\ncat\r\n");
    std::vector<kvx::Params> sets(3);
    sets[1].caseSignificant = sets[1].allowApostrophes = 1;
    sets[1].allowHyphens = sets[1].dropFinalS = sets[1].ignoreRomanNumerals = 0;
    sets[2].ignoreCommonWords = sets[2].wordOrder = sets[2].ignoreInfrequentWords = 1;
    sets[2].commonWordsFile = sets[2].commonWordsFileText = (dir / "common.txt").string();
    for (size_t i = 0; i < sets.size(); ++i) {
        SaveParams(sets[i], "p.kvx");
        const std::string p = "-p p.kvx ";
        for (const char* shard : {"s0.txt", "s1.html", "s2.txt"})
            ASSERT_EQ(Exec(p + "--counts -o " + shard + ".counts " + shard).status, 0);
        const RunResult one = Exec(p + "s0.txt s1.html s2.txt");
        const RunResult merged = Exec(p + "--merge s0.txt.counts s1.html.counts s2.txt.counts");
        EXPECT_EQ(merged.status, 0) << merged.err;
        EXPECT_GT(one.out.size(), 60u);  // words were listed
        EXPECT_EQ(merged.out + merged.err, one.out + one.err) << i;
    }
}

// Ways of giving the input, the options and the formats: standard output,
// standard error, and the file written when one is named.
struct Invocation {
    const char* name;
    const char* prefix;
    const char* args;
    std::string out, err = kCatsLabels;
    std::string file = "";  // expected bytes of out.txt ("": none written)
};

class KvxCountRuns : public KvxCount, public ::testing::WithParamInterface<Invocation> {};

TEST_P(KvxCountRuns, ListAsAsked) {
    const Invocation& c = GetParam();
    Write("page.html", "<p>cat</p><!-- the dog -->\n");
    kvx::Params p;
    p.allowCommentMarkers = 1;  // with no start marker: refused, the count goes on
    p.startComment[0] = p.startComment[1] = "";
    SaveParams(p, "markers.kvx");
    Write("huge.counts", "kvx-counts 1\nrules 585668240a9ed6e3\noccurrences 9223372036854775807\nwords 2\n"
                         "1000000000000\thuge\n9223371036854775807\tvast\n");
    p = {};
    p.wordOrder = p.numbersWithCommas = 1;
    p.displayFormat = 7;
    SaveParams(p, "layout.kvx");
    p = {};
    p.ignoreCommonWords = 1;
    p.commonWordsFile = p.commonWordsFileText = Write("common.txt", "/* my list */ The\r\nAND\r\n");
    SaveParams(p, "common.kvx");
    RunResult r = Exec(c.args, c.prefix);
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, c.out);
    EXPECT_EQ(r.err, c.err);
    EXPECT_EQ(Read("out.txt"), c.file);
}

const std::string kFewLabels =
    "kvx-count: few.txt: No words with more than 2 letters\noccur at least once.\nNumber of words in this list: 0\n"
    "Number of words ignored: 2\nTotal number of instances of words: 2\n";
const std::string kHugeCount = "9223372036854775807", kPad18(18, ' ');
const std::string kCatsTsv = "rank\tfrequency\tword\n1\t3\tthe\n2\t2\tcat\n3\t1\tand\n4\t1\tdog\n5\t1\tsat\n";

INSTANTIATE_TEST_SUITE_P(
    Rows, KvxCountRuns,
    ::testing::Values(
        // /dev/stdout leads to the redirection's file: written through, never replaced.
        Invocation{"dev_stdout", "", "-o /dev/stdout cats.txt", kCatsListing},
        Invocation{"stdin_without_markup_rules", "", "-o - <page.html", Listing({{1, "cat"}, {1, "dog"}, {1, "the"}}),
                   Labels("3", "1", "3", "5")},
        Invocation{"stdin_typed_html", "", "--type=.HTM - <page.html", Listing({{1, "cat"}}), Labels("1", "0", "1", "1")},
        Invocation{"upper_case_extension", "cp page.html PAGE.HTM;", "PAGE.HTM", Listing({{1, "cat"}}), Labels("1", "0", "1", "1")},
        Invocation{"long_output", "", "--output out.txt cats.txt", "", kCatsLabels, kCatsListing},
        Invocation{"joined_output", "", "-oout.txt -- cats.txt", "", kCatsLabels, kCatsListing},
        Invocation{"invalid_markers_warn_and_go_on", "", "--params=markers.kvx -o out.txt cats.txt", "",
                   "kvx-count: markers.kvx: If comment markers are allowed then at least one\n"
                   "start-comment marker must be non-empty.\n\nCheck the comment markers in the 'Set parameters' "
                   "panel\nand perhaps disallow comment markers.\n" + kCatsLabels,
                   kCatsListing},
        // The window's note on unusual line ends is not printed.
        Invocation{"mac_line_ends", "printf 'cat\\rcat\\r' >mac.txt;", "mac.txt", Listing({{2, "cat"}}),
                   Labels("1", "0", "2", "2")},
        Invocation{"version", "", "--version", "kvx-count 1.07\n", ""},
        Invocation{"params_choose_the_layout", "", "-p layout.kvx -o out.txt cats.txt", "", kCatsLabels,
                   "  Word  ,   Freq\r\n  and   ,      1\r\n  cat   ,      2\r\n  dog   ,      1\r\n"
                   "  sat   ,      1\r\n  the   ,      3\r\n"},
        // Common words are left out but counted in the total.
        Invocation{"common_words", "", "-p common.kvx cats.txt", Listing({{2, "cat"}, {1, "dog"}, {1, "sat"}}),
                   "Number of words in this list: 3\nNo. of words ignored (other than common words): 0\n"
                   "Number of instances of words in this list: 4\nTotal number of instances of words: 8\n"},
        // Several inputs are one text, each file read with its own rules.
        Invocation{"corpus_with_standard_input", "", "cats.txt - page.html <cats.txt",
                   Listing({{6, "the"}, {5, "cat"}, {2, "and"}, {2, "dog"}, {2, "sat"}}),
                   Labels(" 5", " 0", "17", "17")},
        // Ranked in no time however large the counts; the sums stay in range.
        Invocation{"merge_of_huge_counts", "", "--merge huge.counts",
                   "   Rank                 Freq  Word (longest has 4 characters)\r\n"
                   "      1  9223371036854775807  vast\r\n      2        1000000000000  huge\r\n",
                   Labels((kPad18 + "2").c_str(), (kPad18 + "0").c_str(), kHugeCount.c_str(), kHugeCount.c_str())},
        // Abbreviated, bundled (-q: no result counts) and after the input; -q after -- is a file.
        Invocation{"abbreviated_bundled_and_late", "", "-qj2 --form=tsv cats.txt --out out.txt", "", "", kCatsTsv},
        Invocation{"dash_file_after_double_dash", "cp cats.txt ./-q;", "--format listing -- -q", kCatsListing},
        // Phrases of two words; none spans the two inputs ("sat the").
        Invocation{"phrases_of_a_corpus", "", "--phrases 2 --format tsv cats.txt cats.txt",
                   "rank\tfrequency\tword\n1\t4\tthe cat\n2\t2\tand the\n3\t2\tcat and\n4\t2\tcat sat\n5\t2\tthe dog\n",
                   Labels(" 5", " 0", "12", "12")},
        // Each occurrence counted as "cat", as written, with the line's text around it.
        Invocation{"contexts_as_written", "printf 'Two\\tCATS &amp; a\\r\\n\\n  cat.\\n' >k.html;",
                   "--contexts CAT --width 6 k.html page.html cats.txt",
                   "file\tline\tleft\tword\tright\nk.html\t1\tTwo \tCATS\t &amp;\nk.html\t3\t  \tcat\t.\n"
                   "page.html\t1\t<p>\tcat\t</p><!\ncats.txt\t1\tThe \tcat\t and t\ncats.txt\t2\tThe \tcat\t sat.\n", ""},
        // Under the letters of every script: UTF-8 texts, widths in characters.
        Invocation{"contexts_of_every_script", "printf 'Ωmega ŁÓDŹ, 日本語の. łódź\\n' >u.txt;",
                   "--letters unicode --contexts łódź --width 3 u.txt",
                   "file\tline\tleft\tword\tright\nu.txt\t1\tga \tŁÓDŹ\t, 日\nu.txt\t1\tの. \tłódź\t\n", ""},
        // Alphabetical under a collation: German puts "äpfel" before "zebra", bytes would not.
        Invocation{"alphabetical_by_collation", "printf 'Zebra \\303\\244pfel zebra apfel\\n' >c.txt;",
                   "-p layout.kvx --letters unicode --collation de --format tsv c.txt",
                   "rank\tfrequency\tword\n2\t1\tapfel\n3\t1\täpfel\n1\t2\tzebra\n",
                   "Number of words in this list: 3\nNumber of words ignored: 0\n"
                   "Number of instances of words in this list: 4\nTotal number of instances of words: 4\n"},
        // Keywords against a text read with its own markup rules; no result counts.
        Invocation{"keyness_against_a_text", "", "--keyness page.html --min-g2 0 --under --format csv cats.txt",
                   "rank,word,frequency,refFrequency,perMillion,refPerMillion,g2,logRatio\r\n"
                   "1,the,3,0,375000.00,0.00,0.872,-0.415\r\n2,and,1,0,125000.00,0.00,0.251,-2.000\r\n"
                   "3,dog,1,0,125000.00,0.00,0.251,-2.000\r\n4,sat,1,0,125000.00,0.00,0.251,-2.000\r\n"
                   "5,cat,2,1,250000.00,1000000.00,2.460,-2.000\r\n", ""},
        // No word left: a table is written empty, and replaces the old file.
        Invocation{"csv_without_words", "printf 'a an\\n' >few.txt;", "--format csv few.txt", "rank,frequency,word\r\n",
                   kFewLabels},
        Invocation{"json_without_words", "printf 'a an\\n' >few.txt; echo old >out.txt;",
                   "--format json -o out.txt few.txt", "", kFewLabels,
                   "{\"wordsInList\":0,\"wordsIgnored\":2,\"instancesInList\":0,\"totalInstances\":2,\"words\":[]}\n"}),
    [](const ::testing::TestParamInfo<Invocation>& i) { return std::string(i.param.name); });

// Refusals and inputs without words: the message, the status, nothing on
// standard output, and every file of the working folder as it was.
struct Refusal {
    const char* name;
    const char* args;
    int status;
    const char* message;  // in the first message on standard error
    const char* prefix = "";
};

class KvxCountRefusals : public KvxCount, public ::testing::WithParamInterface<Refusal> {};

TEST_P(KvxCountRefusals, ReportAndLeaveFilesAlone) {
    const Refusal& c = GetParam();
    Write("out.txt", "keep me");
    Write("data.bin", std::string(500, '\x01'));
    Write("bad.kvx", "\"just one line\"\r\n");
    Write("many.txt", kvx::test::DistinctWords(3000, 1));
    Write("short.txt", "a an at\n");
    Write("other.counts", "kvx-counts 1\nrules 0123456789abcdef\noccurrences 1\nwords 1\n1\tcat\n");
    Write("cut.counts", "kvx-counts 1\nrules 585668240a9ed6e3\noccurrences 3\nwords 2\n1\tcat\n");
    fs::create_directories(dir / "outdir");
    for (const char* f : {"fifo.txt", "fifo.kvx", "common.fifo", "out.fifo"}) ASSERT_EQ(::mkfifo((dir / f).c_str(), 0600), 0);
    kvx::Params p;
    p.wordsToIgnoreText = "cat_dog";
    SaveParams(p, "underscore.kvx");
    p = {};
    p.ignoreCommonWords = 1;
    for (const auto& [name, file] : {std::pair<const char*, std::string>{"nocommon.kvx", (dir / "nowhere.txt").string()},
                                     {"fifocommon.kvx", (dir / "common.fifo").string()},
                                     {"zerocommon.kvx", "/dev/zero"},
                                     {"listcommon.kvx", (dir / "short.txt").string()}}) {
        p.commonWordsFile = p.commonWordsFileText = file;
        SaveParams(p, name);
    }
    const auto before = Snapshot(dir);
    RunResult r = Exec(c.args, c.prefix);
    EXPECT_EQ(r.status, c.status) << r.err;
    EXPECT_EQ(r.err.rfind("kvx-count: ", 0), 0u) << r.err;
    EXPECT_NE(r.err.find(c.message), std::string::npos) << r.err;
    if (c.status == 2) {  // one line, and no help text
        EXPECT_EQ(r.err, c.message + std::string("Try 'kvx-count --help'.\n"));
    }
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(Snapshot(dir), before);
}

const char* const kParamsError = ": Error when attempting to restore parameters: ";

INSTANTIATE_TEST_SUITE_P(
    Rows, KvxCountRefusals,
    ::testing::Values(
        Refusal{"missing_input", "-o out.txt missing.txt", 1, "kvx-count: missing.txt: Input file does not exist.\n"},
        // Refused, the count waits no more for the writer of the pipe after it.
        Refusal{"fifo_not_text", "-j3 -o out.txt fifo.txt fifo.kvx", 1, "kvx-count: fifo.txt is not a text file.",
                "cat data.bin >fifo.txt &"},
        Refusal{"dev_zero_as_input", "-o out.txt /dev/zero", 1, "kvx-count: /dev/zero is not a text file.\n"},
        Refusal{"same_file_other_name", "-o ./cats.txt cats.txt", 1,
                "kvx-count: cats.txt: Output file cannot be the same as the input file.\n"},
        Refusal{"output_is_a_merged_file", "--merge -o many.txt cats.txt many.txt", 1, "many.txt: Output file cannot"},
        Refusal{"output_is_the_params_file", "-p underscore.kvx -o underscore.kvx cats.txt", 1,
                "underscore.kvx: Output file cannot"},
        Refusal{"output_is_the_common_words_file", "-p listcommon.kvx -o short.txt cats.txt", 1, "/short.txt: Output file cannot"},
        Refusal{"output_is_standard_input", "-o short.txt <short.txt", 1, "standard input: Output file cannot"},
        // Reading a process's own memory at offset 0 fails: a read error.
        Refusal{"read_error", "-j 2 -o out.txt cats.txt /proc/self/mem", 1,
                "kvx-count: /proc/self/mem could not be read.\n\nError 57: Device I/O error\n"},
        Refusal{"output_in_missing_folder", "-o nowhere/out.txt cats.txt", 1, "kvx-count: nowhere/out.txt: Error 53: File not found\n"},
        Refusal{"output_is_a_folder", "-o outdir cats.txt", 1, "kvx-count: outdir: Error 75: Path/File access error\n"},
        Refusal{"output_fifo_without_reader", "-o out.fifo cats.txt", 1, "kvx-count: out.fifo: Error 75: Path/File access error (No such device or address)\n"},
        Refusal{"output_dev_full", "-o /dev/full cats.txt", 1, "kvx-count: /dev/full: Error 61: Disk full (the listing was not written)\n"},
        Refusal{"output_too_big_keeps_the_old_file", "-o out.txt many.txt", 1, "kvx-count: out.txt: Error 61: Disk full",
                "trap '' XFSZ; ulimit -f 4;"},
        Refusal{"damaged_params", "-p bad.kvx -o out.txt cats.txt", 1, kParamsError},
        Refusal{"params_from_a_fifo", "-p fifo.kvx cats.txt", 1, kParamsError},
        Refusal{"underscore_in_words_to_ignore", "-p underscore.kvx -o out.txt cats.txt", 1,
                "kvx-count: underscore.kvx: The character _ occurs in some word to ignore\nbut is not currently set as "
                "a character allowed in a word.\n"},
        Refusal{"missing_common_words", "-p nocommon.kvx -o out.txt cats.txt", 1, "/nowhere.txt: File for common words not found."},
        Refusal{"common_words_from_a_fifo", "-p fifocommon.kvx cats.txt", 1, "/common.fifo: Error 75: Path/File access error\n"},
        Refusal{"common_words_from_dev_zero", "-p zerocommon.kvx cats.txt", 1, "kvx-count: /dev/zero: This is not a text file.\n"},
        Refusal{"duplicate_message_number", "cats.txt", 1, "/kvx.dat: Duplicate in program text at line 3.\n",
                "mkdir ../data; printf '1=KVX\\n34=Error\\n1=again\\n' >../data/kvx.dat; export KVX_DATA_DIR=../data;"},
        Refusal{"empty_message_file", "cats.txt", 1, "/kvx.dat: File is empty.\n",
                "mkdir ../data; : >../data/kvx.dat; export KVX_DATA_DIR=../data;"},
        Refusal{"no_words_left", "-o out.txt short.txt", 0, "kvx-count: short.txt: No words with more than 2 letters\n"},
        Refusal{"closed_standard_input", "-o out.txt", 1, "kvx-count: standard input: is closed.\n"},
        Refusal{"stdin_not_text", "-o out.txt - <data.bin", 1, "kvx-count: standard input is not a text file."},
        Refusal{"output_without_name", "cats.txt -o", 2, "kvx-count: option '-o' needs an argument\n"},
        Refusal{"unknown_format", "--format=xml cats.txt", 2, "kvx-count: unknown format 'xml' (listing, csv, tsv or json)\n"},
        Refusal{"unknown_option", "-qx cats.txt", 2, "kvx-count: unknown option '-x'\n"},
        Refusal{"ambiguous_option", "--p x.kvx cats.txt", 2, "kvx-count: option '--p' is ambiguous (--params, --progress, --phrases)\n"},
        Refusal{"value_for_a_switch", "--cou=yes cats.txt", 2, "kvx-count: option '--counts' takes no value\n"},
        Refusal{"jobs_not_a_count", "--jobs=2x cats.txt", 2, "kvx-count: option '--jobs=2x' needs a number of threads from 1 to 1024\n"},
        Refusal{"no_jobs", "-j0 cats.txt", 2, "kvx-count: option '-j0' needs a number of threads from 1 to 1024\n"},
        Refusal{"corpus_with_a_binary_file", "cats.txt data.bin short.txt", 1,
                "kvx-count: data.bin is not a text file.\n\nThis file contains a byte 1 at position 1"},
        Refusal{"corpus_with_a_folder", "cats.txt outdir", 1, "kvx-count: outdir: is a folder, not a file.\n"},
        Refusal{"standard_input_twice", "- cats.txt -", 2, "kvx-count: standard input given twice\n"},
        Refusal{"merge_of_a_text", "--merge -o out.txt cats.txt", 1, "kvx-count: cats.txt: This is not a counts file"},
        Refusal{"merge_of_a_missing_file", "--merge -o out.txt none.counts", 1,
                "kvx-count: none.counts: cannot be read: No such file or directory.\n"},
        Refusal{"merge_of_dev_zero", "--merge -o out.txt /dev/zero", 1, "kvx-count: /dev/zero: This is not a counts file"},
        Refusal{"counts_and_merge", "--counts --merge cats.txt", 2, "kvx-count: --counts and --merge cannot go together\n"},
        // A reference counted under other rules, or damaged, is refused as --merge refuses it.
        Refusal{"keyness_against_other_rules", "--keyness other.counts -o out.txt cats.txt", 1,
                "kvx-count: other.counts: The counts were made under other word rules (0123456789abcdef"},
        Refusal{"keyness_against_a_cut_file", "--keyness cut.counts -o out.txt cats.txt", 1,
                "kvx-count: cut.counts: The counts file is incomplete (it ends early).\n"},
        Refusal{"keyness_without_words", "--keyness short.txt -o out.txt cats.txt", 1,
                "kvx-count: short.txt: No words to compare.\n"},
        Refusal{"keyness_in_the_listing_layout", "--keyness many.txt --format listing cats.txt", 2,
                "kvx-count: --keyness writes tsv, csv or json\n"},
        Refusal{"keyness_bad_minimum", "--keyness many.txt --min-g2=-1 cats.txt", 2,
                "kvx-count: option '--min-g2=-1' needs a number of at least 0\n"},
        Refusal{"phrases_of_one_word", "--phrases=1 -o out.txt cats.txt", 2,
                "kvx-count: option '--phrases=1' needs a number of words from 2 to 5\n"},
        Refusal{"phrases_of_counts", "--phrases 2 --merge -o out.txt many.txt", 2,
                "kvx-count: --phrases cannot go with --counts, --merge or --keyness\n"},
        Refusal{"contexts_of_a_word_not_listed", "--contexts=an -o out.txt cats.txt", 1,
                "kvx-count: \"an\" is not in the listing.\n"},
        Refusal{"contexts_of_phrases", "--contexts cat --phrases 2 cats.txt", 2,
                "kvx-count: --contexts cannot go with --phrases, --counts, --merge or --keyness\n"},
        Refusal{"counts_in_a_format", "--counts --format csv cats.txt", 2,
                "kvx-count: --format lists words; --counts writes a counts file\n"}),
    [](const ::testing::TestParamInfo<Refusal>& i) { return std::string(i.param.name); });

}  // namespace
