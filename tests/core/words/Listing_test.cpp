#include "words/Listing.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <tuple>

#include "counting/HostRelay.h"
#include "params/Params.h"
#include "shell/MessageTable.h"
#include "FakeHost.h"
#include "TempFolder.h"

namespace kvx {
namespace {

namespace fs = std::filesystem;

std::string ReadBytes(const fs::path& p) { return test::TempFolder::Read(p.string()); }

struct ListingTest : ::testing::Test {
    WordTable table;
    RankedFigures results;
    Params params;
    test::FakeHost host;
    HostRelay shown{host, params};
    MessageTable texts;
    bool stopRequested = false;
    Lister lister;
    test::TempFolder tmp;
    fs::path dir = tmp.path();

    // apple 2, the 45, zebra 2 (or the words given): frequency order the, apple, zebra.
    void Fill(std::string apple = "apple", std::string the = "the", std::string zebra = "zebra") {
        table.Reset();
        for (const auto& [w, f, rank, next] : {std::tuple{apple, 2, 2, 2}, {the, 45, 1, 0}, {zebra, 2, 3, kNoWord}}) {
            table.AddRecord(w, w, f);
            table[table.size() - 1].rank = rank;
            table[table.size() - 1].nextByFrequency = next;
        }
    }

    void SetUp() override {
        Fill();
        results.wordsInList = 3;
        results.instancesInList = 49;
        results.maxFrequency = 45;
        results.longestWordLength = 5;
        results.firstByFrequency = 1;
        texts.Set(Message::ListingTooLong, "The listing is too long for the box.");
        texts.Set(Message::NoOutputFile, "No output file.");
        texts.Set(Message::OutputFileDisabled, "Output to file disabled.");
        lister.table = &table;
        lister.figures = &results;
        lister.params = &params;
        lister.observer = &shown;
        lister.box = &shown;
        lister.texts = &texts;
        lister.stopRequested = &stopRequested;
    }

    std::string ToStream(int16_t layout, bool commas, int16_t order = 0) {
        params.displayFormat = layout;
        params.wordOrder = order;
        params.numbersWithCommas = commas ? 1 : 0;
        std::ostringstream out;
        EXPECT_TRUE(lister.WriteListing(out));
        return out.str();
    }
};

// Header and first line of every layout, plain and with commas.
TEST_F(ListingTest, EveryLayoutPlainAndComma) {
    const std::tuple<int16_t, std::string, std::string> cases[] = {
        {0, "   Rank    Freq  Word (longest has 5 characters)\r\n      1      45  the",
         "    Rank,    Freq,  Word (longest has 5 characters)\r\n       1,      45,  the"},
        {1, "   Rank  Word      Freq\r\n      1  the         45", "    Rank,  Word  ,    Freq\r\n       1,  the   ,      45"},
        {2, "   Rank    Freq\r\n      1      45", "    Rank,    Freq\r\n       1,      45"},
        {3, "   Rank  Word (longest has 5 characters)\r\n      1  the",
         "    Rank,  Word (longest has 5 characters)\r\n       1,  the"},
        {4, "   Freq    Rank\r\n     45       1", "    Freq,    Rank\r\n      45,       1"},
        {5, "    Freq  Word (longest has 5 characters)\r\n      45  the",
         "    Freq,  Word (longest has 5 characters)\r\n      45,  the"},
        {6, "  Word     Rank\r\n  the         1", "  Word  ,   Rank\r\n  the   ,      1"},
        {7, "  Word     Freq\r\n  the        45", "  Word  ,   Freq\r\n  the   ,     45"},
        {8, "Word (longest has 5 characters)\r\nthe", "Word (longest has 5 characters)\r\nthe"},
    };
    for (const auto& [layout, plain, comma] : cases) {
        SCOPED_TRACE(layout);
        EXPECT_TRUE(ToStream(layout, false).starts_with(plain + "\r\n"));
        EXPECT_TRUE(ToStream(layout, true).starts_with(comma + "\r\n"));
    }
}

// Alphabetical: the rank column keeps the frequency ranks.
TEST_F(ListingTest, WholeFileInBothOrders) {
    EXPECT_EQ(ToStream(1, false, 1),
              "   Rank  Word      Freq\r\n"
              "      2  apple        2\r\n"
              "      1  the         45\r\n"
              "      3  zebra        2\r\n");
    EXPECT_EQ(ToStream(9, true, 1), "apple, the, zebra");
}

TEST_F(ListingTest, FormatsForOtherProgramsInBothOrders) {
    Fill("apple", "the", "z\"e,b\\r\xE9");  // z"e,b\ré in Windows-1252
    results.totalInstances = 60;
    results.wordsIgnored = 7;
    struct Case { ListingFormat format; int16_t order; std::string expected; };
    const Case cases[] = {
        {ListingFormat::Csv, 0, "rank,frequency,word\r\n1,45,the\r\n2,2,apple\r\n3,2,\"z\"\"e,b\\r\xC3\xA9\"\r\n"},
        {ListingFormat::Tsv, 1, "rank\tfrequency\tword\n2\t2\tapple\n1\t45\tthe\n3\t2\tz\"e,b\\r\xC3\xA9\n"},
        {ListingFormat::Json, 0,
         "{\"wordsInList\":3,\"wordsIgnored\":7,\"instancesInList\":49,\"totalInstances\":60,\"words\":[\n"
         "{\"rank\":1,\"frequency\":45,\"word\":\"the\"},\n{\"rank\":2,\"frequency\":2,\"word\":\"apple\"},\n"
         "{\"rank\":3,\"frequency\":2,\"word\":\"z\\\"e,b\\\\r\xC3\xA9\"}\n]}\n"},
    };
    for (const Case& c : cases) {
        lister.format = c.format;
        EXPECT_EQ(ToStream(0, true, c.order), c.expected);  // the comma layout plays no part
        // The rows handed to the chart are the ones written, in the same order.
        std::string rows;
        for (const ListedWord& r : lister.ListedWords())
            rows += std::to_string(r.rank) + "\t" + std::to_string(r.frequency) + "\t" + r.word + "\n";
        EXPECT_EQ(rows, c.order == 0 ? "1\t45\tthe\n2\t2\tapple\n3\t2\tz\"e,b\\r\xC3\xA9\n"
                                     : "2\t2\tapple\n1\t45\tthe\n3\t2\tz\"e,b\\r\xC3\xA9\n");
    }
}

// Line ends and control bytes, which the words listed above never hold.
TEST(ListingFormats, FieldEscaping) {
    EXPECT_EQ(CsvField("cr\rlf\n"), "\"cr\rlf\n\"");
    EXPECT_EQ(CsvField(""), "");
    EXPECT_EQ(JsonString(std::string("t\tn\nr\r\x01\x1f\x7f", 9)), "\"t\\tn\\nr\\r\\u0001\\u001f\\u007f\"");
}

TEST_F(ListingTest, FileIsUtf8WithCommasBoxIsPlain) {
    Fill("\xE9t\xE9");  // été in cp1252
    params.fileNames[1] = (dir / "out.txt").string();
    params.numbersWithCommas = 1;
    params.displayFormat = 3;
    lister.ListWords();
    EXPECT_TRUE(ReadBytes(dir / "out.txt").ends_with("\r\n       2,  \xC3\xA9t\xC3\xA9\r\n       3,  zebra\r\n"));
    EXPECT_TRUE(host.output.ends_with(" characters)\r\n      1  the\r\n      2  \xC3\xA9t\xC3\xA9\r\n      3  zebra\r\n"));
    EXPECT_TRUE(lister.outputFileWritten);
    // Without a file, the box alone; its list loses its last separator.
    params.fileNames[1].clear();
    params.displayFormat = 9;
    lister.ListWords();
    EXPECT_EQ(host.output, "the, \xC3\xA9t\xC3\xA9, zebra");
    EXPECT_TRUE(host.messages.empty());
    EXPECT_FALSE(lister.outputFileWritten);
    EXPECT_FALSE(host.caretAtEnd);  // the box shows the listing from its top, in either order
    params.wordOrder = 1;
    lister.ListWords();
    EXPECT_FALSE(host.caretAtEnd);
}

TEST_F(ListingTest, OverwriteQuestionNoKeepsTheFile) {
    const fs::path out = dir / "out.txt";
    std::ofstream(out) << "keep me";
    params.fileNames[1] = out.string();
    host.answers.push_back(Answer::No);
    lister.ListWords();
    ASSERT_EQ(host.messages.size(), 1u);
    EXPECT_EQ(host.messages[0].text, "Output file exists.  OK to overwrite?");
    EXPECT_EQ(host.messages[0].title, "Output file exists");
    EXPECT_EQ(host.messages[0].buttons, Buttons::YesNo);
    EXPECT_EQ(ReadBytes(out), "keep me");
    EXPECT_EQ(params.outputToFileDisabled, 1);
    EXPECT_GE(host.paramsChangedCalls, 1);
    EXPECT_TRUE(host.output.starts_with("   Rank    Freq  Word"));

    // Yes overwrites; without the warning no question is asked.
    params.outputToFileDisabled = 0;
    host.answers.push_back(Answer::Yes);
    lister.ListWords();
    EXPECT_TRUE(ReadBytes(out).starts_with("   Rank    Freq  Word"));
    params.warnOnOverwrite = 0;
    lister.ListWords();
    EXPECT_EQ(host.messages.size(), 2u);
}

TEST_F(ListingTest, StopDuringFilePassOrBoxPass) {
    params.fileNames[1] = (dir / "out.txt").string();
    int records = 0;
    host.onYield = [&] { stopRequested = ++records == 2; };
    lister.ListWords();
    const std::string two = "   Rank    Freq  Word (longest has 5 characters)\r\n      1      45  the\r\n"
                            "      2       2  apple\r\n";
    EXPECT_EQ(ReadBytes(dir / "out.txt"), two);
    EXPECT_EQ(host.output, "Output to file was terminated.\r\n");

    params.fileNames[1].clear();
    stopRequested = false;
    records = 0;
    lister.ListWords();
    EXPECT_EQ(host.output, two + "\r\nListing stopped.\r\n");
    EXPECT_TRUE(host.caretAtEnd);
}

TEST_F(ListingTest, BoxOverflowStopsAtABlockOfTwentyLines) {
    // 3000 words of 9 characters in layout 8: 11 characters per line with
    // CR LF, 220 per block of 20, after a 33-character header.
    table.Reset();
    for (int i = 0; i < 3000; ++i) {
        table.AddRecord("w" + std::to_string(100000000 + i).substr(1), "", 1);
        table[i].rank = i + 1;
        table[i].nextByFrequency = i + 1 < 3000 ? i + 1 : kNoWord;
    }
    results.wordsInList = 3000;
    results.maxFrequency = 1;
    results.longestWordLength = 9;
    results.firstByFrequency = 0;
    params.displayFormat = 8;
    bool caretAtEndMidway = true;
    host.onYield = [&] { if (host.yields == 25) caretAtEndMidway = host.caretAtEnd; };
    lister.ListWords();
    EXPECT_FALSE(caretAtEndMidway);  // each block of lines leaves the box at its top
    EXPECT_EQ(host.output.size(), 33u + 148 * 220);
    EXPECT_TRUE(host.output.ends_with("w00002959\r\n"));
    ASSERT_EQ(host.messages.size(), 1u);
    EXPECT_EQ(host.messages[0].text, "No output file.  The listing is too long for the box.");
    EXPECT_EQ(host.twirler, -1);

    // With the output file named but disabled, the lead-in says so.
    host.messages.clear();
    params.fileNames[1] = (dir / "out.txt").string();
    params.outputToFileDisabled = 1;
    lister.ListWords();
    ASSERT_EQ(host.messages.size(), 1u);
    EXPECT_EQ(host.messages[0].text, "Output to file disabled.  The listing is too long for the box.");
    EXPECT_FALSE(fs::exists(dir / "out.txt"));
    params.fileNames[1].clear();
    params.outputToFileDisabled = 0;

    // 2960 lines fit: ends after the loop with the same test passed.
    host.messages.clear();
    table[2959].nextByFrequency = kNoWord;
    results.wordsInList = 2960;
    lister.maxTextLength = 33 + 148 * 220;  // exactly what the box may hold
    lister.ListWords();
    EXPECT_TRUE(host.messages.empty());
    EXPECT_EQ(host.output.size(), 33u + 148 * 220);
}

TEST_F(ListingTest, NoIncludedWordsShowsTheNoticeAndWritesNoFile) {
    results.wordsInList = 0;
    params.fileNames[1] = (dir / "out.txt").string();
    lister.ListWords();
    EXPECT_EQ(host.output, "No words with more than 2 letters\r\noccur at least once.");
    EXPECT_FALSE(fs::exists(dir / "out.txt"));
}

TEST(ListingTexts, NoWordsMessage) {
    struct Case { int32_t words; int16_t shortSize, infrequent, threshold; std::string text; };
    const std::vector<Case> cases = {
        {0, 1, 1, 0, "No words satisfying the conditions were found."},
        {4, 1, 0, 3, "No words with more than 2 letters\r\noccur at least once."},
        {4, 0, 1, 0, "No words with more than 1 letter\r\noccur at least twice."},
        {4, 2, 1, 7, "No words with more than 3 letters\r\noccur at least 9 times."},
        {4, 2, 2, 7, "No words with more than 3 letters\r\noccur at least once."},
    };
    for (const auto& c : cases) {
        Params p;
        p.shortWordIndex = c.shortSize;
        p.ignoreInfrequentWords = c.infrequent;
        p.frequencyIndex = c.threshold;
        EXPECT_EQ(NoWordsMessageText(c.words, p), c.text);
    }
}

TEST(ListingTexts, ErrorMessage) {
    const ErrorTexts t{"T27", "T31", "T32", "T33", "T34"};
    struct Case { int16_t number; bool named, disabled, written; std::string text; };
    const std::vector<Case> cases = {
        {6, false, false, false, "T31  T27"},
        {6, false, true, true, "T31  T27"},
        {6, true, true, true, "T32  T27"},
        {6, true, false, true, "T33\r\n  T27"},
        {6, true, false, false, "  T27"},
        {7, true, false, true, "T33\r\n  T27"},
        {53, false, false, false, "T34 53: File not found"},
        {61, true, true, true, "T33\r\nT34 61: File not found"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ErrorMessageText(c.number, "File not found", t, c.named, c.disabled, c.written), c.text)
            << c.number << c.named << c.disabled << c.written;
}

}  // namespace
}  // namespace kvx
