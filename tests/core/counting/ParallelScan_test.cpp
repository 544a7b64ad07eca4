// Counting on several threads: inputs cut into pieces of a few dozen bytes
// must list, label and record their counts (whose order is that of first
// occurrence) exactly as one thread does.

#include <gtest/gtest.h>

#include <mutex>
#include <random>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "counting/CountingSession.h"
#include "files/FaultInjection.h"
#include "FakeHost.h"
#include "TempFolder.h"

namespace kvx {
namespace {

using test::FakeHost;
using test::TempFolder;

// Words of every kind the rules treat apart, with every line end.
std::string Mixed(unsigned seed, int words) {
    static const char* const vocab[] = {"the", "The", "cat's", "x-ray", "2nd", "XIV", "caf\xC3\xA9", "Caf\xE9",
                                        "dogs", "it's", "--", "don't", "o'clock", "end.", "\t", "maths"};
    static const char* const ends[] = {" ", " ", " ", "\r\n", "\n", "\r", "\n\n", " \t\n"};
    std::mt19937 rng(seed);
    std::string s;
    for (int i = 0; i < words; ++i) s += std::string(vocab[rng() % std::size(vocab)]) + ends[rng() % std::size(ends)];
    return s;
}

std::string Utf16(const std::string& ascii, bool bigEndian = false) {
    std::string s = bigEndian ? "\xFE\xFF" : "\xFF\xFE";
    for (char c : ascii) bigEndian ? (s += '\0', s += c) : (s += c, s += '\0');
    return s;
}

struct Case {
    const char* name;
    std::vector<std::pair<std::string, std::string>> files;  // name, bytes
    bool every = false;  // the letters of every script
};

const std::vector<Case>& Cases() {
    static const std::vector<Case> cases = {
        {"one_text_many_pieces", {{"a.txt", Mixed(1, 900)}}},
        {"utf8_mark_no_final_line_end", {{"a.txt", "\xEF\xBB\xBF" + Mixed(2, 400) + "last"}}},
        {"corpus_with_comments_and_utf16",
         {{"a.txt", Mixed(3, 300)},
          {"b.html", "<p>The cat</p><!-- a\nlong\ncomment -->dog &amp; cat\n" + Mixed(4, 50)},
          {"c.c", "int x; /* the\ncat */ dog // cat\n" + Mixed(5, 50)},
          {"d.txt", Utf16("The cat sat on the mat\r\nand the dog\nsat\r\n" + Mixed(8, 40))},
          {"e.txt", Mixed(6, 300)},
          {"f.txt", Utf16("the end\n" + Mixed(9, 40), true)}}},
        // A word of more than 80 bytes but not 80 characters, in a later piece.
        {"every_script", {{"a.txt", Mixed(10, 300) + "\n" + [] { std::string w; for (int i = 0; i < 22; ++i) w += "\xD0\xB6\xD0\xB8"; return w; }() +
                                        " \xE6\x97\xA5\xE6\x9C\xAC\xE8\xAA\x9E\xE3\x81\xAE \xCE\xA9mega\n" +
                                        Mixed(11, 300)}}, true},
    };
    return cases;
}

struct Outcome {
    std::string written;
    std::vector<std::string> labels;
    std::vector<std::string> titles;
    std::string shown;  // all the output box was given
    size_t reads = 0;  // the different offsets reads started at
};

// Records where each block read starts: a piece starts a read of its own.
struct ReadStarts : IoFaults {
    std::mutex m;
    std::set<int64_t> offsets;
    int readFault(int64_t offset) override {
        std::lock_guard<std::mutex> lock(m);
        offsets.insert(offset);
        return 0;
    }
    int writeFault(int64_t) override { return 0; }
};

Outcome Count(const Case& c, const Params& set, int jobs, CountsMode mode, IoFaults* faults = nullptr,
              CountResult* result = nullptr, ListingSink sink = ListingSink::File) {
    TempFolder dir;
    std::vector<std::string> inputs;
    for (const auto& [name, bytes] : c.files) inputs.push_back(dir.write(name, bytes));
    Params params = set;
    FakeHost host;
    ReadStarts reads;
    host.setIoFaults(faults ? faults : &reads);
    MessageTable texts;
    texts.Set(Message::CountButtonCaption, "Count words");
    CountingSession session(params, host, texts);
    session.startUpCompleted = true;
    params.inputIsFile = true;
    params.fileNames[0] = inputs[0];
    params.fileNames[1] = dir / "out.txt";
    params.warnOnOverwrite = 0;
    session.SetInputs(inputs);
    session.SetLetters(c.every);
    session.SetJobs(jobs, 40);
    session.SetCountsMode(mode);
    session.SetListingSink(sink);
    const CountResult r = session.CountWords();
    if (result) *result = r;
    return {std::filesystem::exists(dir / "out.txt") ? TempFolder::Read(dir / "out.txt") : "(none)",
            ResultLabelTexts(r, [](int64_t n) { return std::to_string(n); }), host.titles(), host.everShown,
            reads.offsets.size()};
}

TEST(ParallelScan, ListsAndCountsAsOneThreadDoes) {
    std::vector<Params> sets(3);
    sets[1].caseSignificant = sets[1].allowApostrophes = 1;
    sets[1].dropFinalS = sets[1].allowHyphens = 0;
    sets[2].wordOrder = sets[2].ignoreInfrequentWords = 1;
    sets[2].wordsToIgnoreText = "the dog";
    sets[2].wordsToIgnore = " the dog ";
    for (const Case& c : Cases())
        for (size_t s = 0; s < sets.size(); ++s)
            for (CountsMode mode : {CountsMode::None, CountsMode::Write}) {
                const Outcome one = Count(c, sets[s], 1, mode);
                const Outcome three = Count(c, sets[s], 3, mode);
                SCOPED_TRACE(std::string(c.name) + " set " + std::to_string(s));
                EXPECT_GT(one.written.size(), 40u);
                EXPECT_EQ(three.written, one.written);
                EXPECT_EQ(three.labels, one.labels);
                EXPECT_EQ(three.titles, one.titles);
                EXPECT_GT(three.reads, one.reads + 20);  // the texts were cut into pieces
            }
}

// The window shows the words as found, and then lists, as one thread does.
TEST(ParallelScan, TheWindowShowsTheWordsAsOneThreadDoes) {
    Params shown;
    shown.suppressLiveWords = 0;
    for (const Case& c : Cases()) {
        const Outcome one = Count(c, shown, 1, CountsMode::None, nullptr, nullptr, ListingSink::Window);
        const Outcome three = Count(c, shown, 3, CountsMode::None, nullptr, nullptr, ListingSink::Window);
        SCOPED_TRACE(c.name);
        EXPECT_GT(three.reads, one.reads + 20);
        EXPECT_LT(one.shown.find(" cat "), one.shown.find("Now filtering"));  // shown as found
        EXPECT_EQ(three.shown, one.shown);
        EXPECT_EQ(three.written, one.written);
    }
}

// A read failing in one piece refuses the count, as it does on one thread.
TEST(ParallelScan, AReadFailureInAPieceIsReportedAndNothingIsWritten) {
    FaultPlan faults;
    faults.failReadAt = 200;
    CountResult r;
    EXPECT_EQ(Count({"a", {{"a.txt", Mixed(7, 2000)}}}, Params{}, 2, CountsMode::None, &faults, &r).written, "(none)");
    EXPECT_TRUE(r.failed);
    EXPECT_GE(faults.failedReads, 1);
    ASSERT_EQ(r.diagnostics.size(), 1u);
    EXPECT_NE(r.diagnostics[0].text.find("a.txt could not be read.\r\n"), std::string::npos);
    EXPECT_FALSE(r.listing.attempted);
}

}  // namespace
}  // namespace kvx
