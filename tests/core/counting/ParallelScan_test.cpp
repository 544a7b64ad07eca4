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
#include "text/Cp1252.h"
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
    ResultFigures figures;
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
              CountResult* result = nullptr, ListingSink sink = ListingSink::File, int phrases = 0,
              const std::string& entry = "", ContextRows* contexts = nullptr,
              std::vector<ListedWord>* listed = nullptr, bool merged = false, bool stop = false) {
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
    session.SetPhraseLength(phrases);
    session.SetContexts(entry, 5);
    session.SetListingSink(sink);
    session.SetMergedPieces(merged);
    if (stop) {  // at the first turn: the count holds the first piece
        host.onYield = [&] { session.stopRequested = true; };
        host.answers = {Answer::Yes};
    }
    const CountResult r = session.CountWords();
    if (result) *result = r;
    if (contexts) *contexts = session.Contexts();
    if (listed) *listed = session.ListedWords();
    return {std::filesystem::exists(dir / "out.txt") ? TempFolder::Read(dir / "out.txt") : "(none)",
            r, host.titles(), host.everShown,
            reads.offsets.size()};
}

// The last set is the window's, which shows the words as they are found;
// sets 1 and 2 sort the pieces and merge them.
TEST(ParallelScan, ListsCountsAndShowsAsOneThreadDoes) {
    std::vector<Params> sets(4);
    sets[1].caseSignificant = sets[1].allowApostrophes = 1;
    sets[1].dropFinalS = sets[1].allowHyphens = 0;
    sets[2].wordOrder = sets[2].ignoreInfrequentWords = 1;
    sets[2].wordsToIgnoreText = "the dog";
    sets[2].wordsToIgnore = " the dog ";
    sets[3].suppressLiveWords = 0;
    for (const Case& c : Cases())
        for (size_t s = 0; s < sets.size(); ++s)
            for (int phrases : {0, 2, 3})  // pieces then start where runs end
            for (CountsMode mode : {CountsMode::None, CountsMode::Write}) {
                if (s == 3 && mode == CountsMode::Write) continue;  // counts go to a file only
                const ListingSink sink = s == 3 ? ListingSink::Window : ListingSink::File;
                const Outcome one = Count(c, sets[s], 1, mode, nullptr, nullptr, sink, phrases);
                const bool merged = s == 1 || s == 2;
                const Outcome three =
                    Count(c, sets[s], 3, mode, nullptr, nullptr, sink, phrases, "", nullptr, nullptr, merged);
                SCOPED_TRACE(std::string(c.name) + " set " + std::to_string(s) + " phrases " + std::to_string(phrases));
                EXPECT_GT(one.written.size(), 40u);
                EXPECT_EQ(three.written, one.written);
                EXPECT_EQ(three.figures, one.figures);
                EXPECT_EQ(three.titles, one.titles);
                EXPECT_EQ(three.shown, one.shown);
                EXPECT_GT(three.reads, one.reads + 20);  // the texts were cut into pieces
                if (s == 3) {  // shown as found
                    EXPECT_LT(one.shown.find(" cat "), one.shown.find("Now filtering"));
                }
                if (merged && mode == CountsMode::None) {  // stopped after the first piece
                    const auto stopped = [&](bool m) {
                        return Count(c, sets[s], 3, mode, nullptr, nullptr, sink, phrases, "", nullptr, nullptr, m, true);
                    };
                    const Outcome a = stopped(false), b = stopped(true);
                    EXPECT_NE(a.shown.find("Stopped with"), std::string::npos) << a.shown;
                    EXPECT_EQ(b.written, a.written);
                    EXPECT_EQ(b.shown, a.shown);
                }
            }
}

// Every listed word has as many contexts as its frequency, the same on one
// thread and in pieces (line numbers counted across them).
TEST(ParallelScan, EachListedWordHasAsManyContextsAsItsFrequency) {
    std::vector<Params> sets(2);
    sets[1].caseSignificant = sets[1].allowApostrophes = 1;
    sets[1].dropFinalS = 0;
    sets[1].wordsToIgnore = " the dog ";
    for (const Case& c : Cases())
        for (const Params& set : sets) {
            std::vector<ListedWord> listed;
            Count(c, set, 1, CountsMode::None, nullptr, nullptr, ListingSink::File, 0, "", nullptr, &listed);
            ASSERT_GT(listed.size(), 5u);
            for (const ListedWord& w : listed) {
                ContextRows one, three;
                const std::string entry = c.every ? w.word : text::utf8ToCp1252(w.word);
                Count(c, set, 1, CountsMode::None, nullptr, nullptr, ListingSink::File, 0, entry, &one);
                Count(c, set, 3, CountsMode::None, nullptr, nullptr, ListingSink::File, 0, entry, &three);
                ASSERT_EQ(int64_t(one.size()), w.frequency) << c.name << " " << w.word;
                ASSERT_EQ(three.size(), one.size());
                for (size_t i = 0; i < one.size(); ++i) {
                    const ContextRow &a = one.rows[i], &b = three.rows[i];
                    EXPECT_EQ(std::tie(a.input, a.line), std::tie(b.input, b.line));
                    EXPECT_EQ(std::tie(a.left, a.word, a.right), std::tie(b.left, b.word, b.right));
                    EXPECT_EQ(one.Cells(a), three.Cells(b));
                }
            }
        }
}

// Rows whose texts fill several blocks, put together from two recorders,
// keep their texts (a tab shown as a blank) and their lines.
TEST(ParallelScan, ContextRowsKeepTheirTextsAcrossBlocks) {
    struct Nothing : WordSink {
        void AddWordToList(std::string_view) override {}
    } next;
    const std::string raw[] = {"the\tcat sat", "one cat ran"}, shown[] = {"the cat sat", "one cat ran"};
    const std::string prepared = "xxx cat xxx ";
    ContextRows all;
    for (int part = 0; part < 2; ++part) {
        ContextRecorder r("cat", 4, prepared, next, part);
        for (int i = 0; i < 20000; ++i) {
            r.BeginLine(raw[part]);
            r.AddWordToList(std::string_view(prepared).substr(4, 3));
        }
        all.Append(std::move(r.rows), part * 20000);
    }
    ASSERT_EQ(all.size(), 40000u);
    EXPECT_GT(all.blocks.size(), 4u);
    for (const ContextRow& row : all.rows) ASSERT_EQ(all.Cells(row), shown[row.input]);
    EXPECT_EQ(all.rows.back().line * 2 + all.rows.back().input, 80001);
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
