#include "words/WordTable.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <map>
#include <random>
#include <sstream>

#include "counting/HostRelay.h"
#include "params/Params.h"
#include "words/CountsFile.h"
#include "FakeHost.h"
#include "TempFolder.h"

namespace kvx {
namespace {

struct WordTableTest : ::testing::Test {
    test::FakeHost host;
    Params params;
    HostRelay shown{host, params};  // the window's live display
    WordTable table;
    test::TempFolder folder;
    void SetUp() override {
        table.observer = &shown;
        host.output = "previous result";
    }
    std::vector<std::string> Words() const {
        std::vector<std::string> w;
        for (int32_t s = 0; s < table.size(); ++s) w.emplace_back(table.Word(s));
        return w;
    }
};

// Words over 80 characters are dropped, a first one before it can replace the box.
TEST_F(WordTableTest, FirstWordReplacesBoxLaterNewWordsAppend) {
    const std::string x80(80, 'x');
    table.AddWordToList(std::string(81, 'y'));
    EXPECT_EQ(host.output, "previous result");
    for (const std::string& w : std::vector<std::string>{"the", "cat", "the", std::string(81, 'x'), "sat", x80})
        table.AddWordToList(w);
    EXPECT_EQ(host.output, "the cat sat " + x80 + " ");
    EXPECT_TRUE(host.caretAtEnd);
    table.Finish();
    EXPECT_EQ(Words(), (std::vector<std::string>{"cat", "sat", "the", x80}));
    EXPECT_EQ(table[2].frequency, 2);
    params.suppressLiveWords = 1;  // not even a first word replaces the box
    WordTable quiet;
    quiet.observer = &shown;
    quiet.AddWordToList("dog");
    EXPECT_EQ(host.output, "the cat sat " + x80 + " ");
}

TEST_F(WordTableTest, ProgressLabelOnEveryTenthNewWord) {
    using Found = std::vector<std::pair<int32_t, bool>>;
    for (int i = 0; i < 21; ++i) table.AddWordToList("w" + std::to_string(i == 11 ? 3 : i));  // one repeat
    EXPECT_EQ(host.found, (Found{{10, false}, {20, false}}));
    table.Reset();
    shown.readingWords = true;
    host.found.clear();
    for (int i = 0; i < 10; ++i) table.AddWordToList("c" + std::to_string(i));
    EXPECT_EQ(host.found, (Found{{10, true}}));
}

TEST_F(WordTableTest, DisplayStopsWithOneNoticeNearTheBoxLimit) {
    table.AddWordToList("a");
    // Exactly 100 characters short of 32767, in more bytes: still shown.
    host.output = std::string(32666, '.') + "\xC3\xA9";
    table.AddWordToList("b\xE9");  // cp1252 "bé"
    EXPECT_TRUE(host.output.ends_with("\xC3\xA9" "b\xC3\xA9 "));
    host.output = std::string(32667, '.');
    table.AddWordToList("bb");
    EXPECT_EQ(host.output.size(), 32667u + 3);
    EXPECT_FALSE(shown.displaySuppressed);

    table.AddWordToList("cc");  // crosses the limit: notice instead of the word
    const std::string notice = "\r\n\r\n[Suppressing display of words to avoid buffer overflow.]";
    EXPECT_EQ(host.output.substr(32670), notice);
    EXPECT_TRUE(shown.displaySuppressed);
    // The run stops showing words; the user's setting stays as it was.
    table.AddWordToList("dd");
    EXPECT_EQ(host.output.size(), 32670u + notice.size());
    EXPECT_EQ(params.suppressLiveWords, 0);
    EXPECT_EQ(host.paramsChangedCalls, 0);
    table.Finish();
    EXPECT_EQ(table.size(), 5);
}

TEST_F(WordTableTest, FinishOrdersOrdinallyAndSetsKeys) {
    for (const char* w : {"c", "b", "a", "apple", "Apple", "\xC4pfel"}) table.AddWordToList(w);
    table.Finish();
    EXPECT_EQ(Words(), (std::vector<std::string>{"Apple", "a", "apple", "b", "c", "\xC4pfel"}));
    EXPECT_EQ(table.SortKey(table[0]), "apple");
    EXPECT_EQ(table.SortKey(table[2]), "apple");
    EXPECT_EQ(table.SortKey(table[5]), "aepfel");
}

// Past its memory limit a table refuses words as a failed allocation would.
TEST(WordTableLimit, RefusesWordsBeyondItsMemory) {
    WordTable t;
    t.memoryLimit = 4 << 20;
    EXPECT_THROW(for (int i = 0;; ++i) t.AddWordToList("w" + std::to_string(i)), std::bad_alloc);
    EXPECT_GT(t.size(), 20000);
    EXPECT_LT(t.size(), 150000);  // what the words, records and index take together
}

// Enough words to grow the index several times, more added after a Finish() (the index must follow the
// records' new slots); three letters make many long words share their first eight bytes. The same
// words counted twice over three tables, sorted and merged (the last merge cut in two, of four inputs:
// one of a single word before the cut, one empty), give the same.
// 400,000 different words of 12 bytes: some pairs share the 32 hash bits an
// index entry keeps, and must still be told apart by their bytes.
// A word an input holds twice (a counts file's repeat, appended without a
// lookup) is added up once merged, also where a merge on two threads cuts that
// input: at its middle record.
TEST(WordTableMerge, WordTwiceInAnInputAddedUpAtTheCut) {
    for (int32_t twice : {0, 1}) {  // the word before the middle one, or the middle one
        WordTable a, b, merged;
        char w[16];
        for (int i = 0; i < 100000; ++i) {
            std::snprintf(w, sizeof w, "w%06d", i * 2);
            a.AppendWord(w, 1, i);
            if (i < 1000) b.AppendWord(std::string(w) + "z", 1, i);
        }
        std::snprintf(w, sizeof w, "w%06d", (50000 - 1 + twice) * 2);
        a.AppendWord(w, 1, 0);
        a.Finish();
        b.Finish();
        merged.Merge(a, b, true);
        EXPECT_EQ(merged.size(), 101000);
        for (int32_t i = 1; i < merged.size(); ++i) ASSERT_LT(merged.Word(i - 1), merged.Word(i)) << i;
    }
}

TEST(WordTableIndex, WordsWhoseTagsMeetStayApart) {
    WordTable t;
    char w[16];
    for (uint32_t i = 0; i < 400000; ++i) {
        std::snprintf(w, sizeof w, "w%011u", i * 2654435761u);
        t.AddWordToList(w);
    }
    EXPECT_EQ(t.size(), 400000);
}

TEST_F(WordTableTest, AgreesWithOrderedMapOnManyWords) {
    params.suppressLiveWords = 1;
    std::map<std::string, int64_t> reference{{"a", 1}};
    WordTable parts[3], merged, all, one, empty;
    one.AddWordToList("a");
    for (int pass = 0; pass < 2; ++pass) {
        std::mt19937 rng(7);
        for (int i = 0; i < 60000; ++i) {
            std::string w(1 + rng() % 20, 'a');
            for (char& c : w) c = "ab\xC4"[rng() % 3];  // \xC4: a sort key of its own
            table.AddWordToList(w);
            parts[(i + pass) % 3].AddWordToList(w);
            ++reference[w];
            if (pass == 0 && i == 40000) table.Finish();
        }
    }
    table.Finish();
    for (WordTable& p : parts) p.Finish();
    one.Finish();
    merged.Merge(parts[0], parts[1]);
    WordTable* const rest[] = {&merged, &one, &parts[2], &empty};
    all.Merge(rest, true);
    ++table[0].frequency;  // the "a" of one
    ASSERT_EQ(size_t(table.size()), reference.size());
    ASSERT_EQ(all.size(), table.size());
    int32_t s = 0;
    for (const auto& [w, f] : reference) {
        ASSERT_EQ(table.Word(s), w);
        ASSERT_EQ(all.Word(s), w);
        ASSERT_EQ(all.SortKey(all[s]), table.SortKey(table[s]));
        ASSERT_EQ(all[s].frequency, f) << w;
        ASSERT_EQ(table[s++].frequency, f) << w;
    }
}

// Counts files that other rules made or that break the format are refused
// with the reason and the line (kvx-count's merges show the ones accepted).
TEST_F(WordTableTest, CountsFilesOfOtherRulesOrBrokenAreRefused) {
    params.suppressLiveWords = 1;
    const std::string rules = WordRulesFingerprint(params, {}, 0);
    Params cased = params, finalS = params, common = params;
    cased.caseSignificant = 1;
    finalS.dropFinalS = !params.dropFinalS;
    common.ignoreCommonWords = 1;
    EXPECT_NE(WordRulesFingerprint(cased, {}, 0), rules);
    EXPECT_NE(WordRulesFingerprint(finalS, {}, 0), rules);
    EXPECT_NE(WordRulesFingerprint(common, {"", "the"}, 1), WordRulesFingerprint(common, {"", "a"}, 1));

    // Each file is read after one that brought 1 occurrence. "" = accepted.
    const std::string head = "kvx-counts 1\nrules " + rules + "\noccurrences 5\nwords 2\n3\tcat\n";
    const std::string four = "kvx-counts 1\nrules " + rules + "\noccurrences 5\nwords 4\n";
    const std::pair<std::string, const char*> rows[] = {
        {"\xEF\xBB\xBFkvx-counts 1\r\nrules " + rules + "\r\noccurrences 5\r\nwords 1\r\n3\tcaf\xC3\xA9\r\n", ""},
        {"kvx-counts 2\n", "not a counts file"},
        {"kvx-counts 1", "ends early"},
        {"kvx-counts 1\n", "no \"rules\" line"},
        {"kvx-counts 1\nrules 0123456789abcdef\n", "other word rules"},
        {"kvx-counts 1\nrules " + rules + "\noccurrences -5\n", "bad \"occurrences\""},
        {"kvx-counts 1\nrules " + rules + "\noccurrences 9223372036854775807\n",
         "Line 3 of the counts file makes the total of occurrences too large"},
        {"kvx-counts 1\nrules " + rules + "\noccurrences 5\nwords 2147483648\n", "bad \"words\""},
        {"kvx-counts 1\nrules " + rules + std::string(1 << 20, ' '), "Line 2 of the counts file is too long"},
        {head, "ends early"},
        {head + "2\tdo", "ends early"},
        {head + "0\tdog\n", "Line 6 of the counts file is not a count"},
        {head + "9223372036854775808\tdog\n", "Line 6 of the counts file holds a count too large"},
        {head + "2\tthe dog\n", "Line 6 of the counts file does not hold a word"},
        {head + std::string("2\tdo\0g\n", 7), "Line 6 of the counts file does not hold a word"},
        {head + "2\t-ray\n", "Line 6 of the counts file does not hold a word"},
        {head + "2\tr2d2\n", "Line 6 of the counts file does not hold a word"},  // digits not allowed
        {head + "2\t" + std::string(81, 'a') + "\n", "Line 6 of the counts file holds a word longer than 80 characters"},
        {head + "2\t" + std::string(1 << 20, 'a') + "\n", "Line 6 of the counts file is too long"},
        {head + "2\tTHE\n", "Line 6 of the counts file holds a capital letter"},
        {head + "2\tcat\n", "Line 6 of the counts file repeats the word of an earlier line"},
        {head + "3\tdog\n", "Line 6 of the counts file makes the counts add up to more than the \"occurrences\""},
        {head + "2\tdog\n1\tend\n", "more lines"},
        {four + "1\tcat\n1\tdog\n1\tdog\n1\tcat\n", "Line 7 of the counts file repeats"},
        {four + "1\tdog\n1\tcat\n1\tdog\n1\tTHE\n", "Line 7 of the counts file repeats"},
        {four + "1\tdog\n1\tTHE\n1\tdog\n", "Line 6 of the counts file holds a capital"},
    };
    for (const auto& [file, reason] : rows) {
        WordTable t;
        std::istringstream first("kvx-counts 1\nrules " + rules + "\noccurrences 1\nwords 1\n1\tcat\n");
        int64_t total = 0;
        ASSERT_EQ(ReadCounts(first, rules, params, t, total), "");
        std::istringstream in(file);
        const std::string why = ReadCounts(in, rules, params, t, total);
        if (*reason) {
            EXPECT_NE(why.find(reason), std::string::npos) << why;
            EXPECT_EQ(total, 1) << file;
        } else {
            EXPECT_EQ(why, "");
            EXPECT_EQ(total, 6);
        }
        EXPECT_LT(in.tellg(), 1000) << "read on past the line that decided: " << reason;
        // Alone, read in order or sorted (repeats found at the end), also from a file in parts on two or
        // three threads (most of them beginning within a line, some holding none), it is refused at the
        // same line.
        const std::string path = folder.write("alone.counts", file);
        std::string alone[4];
        for (int way = 0; way < 4; ++way) {
            WordTable u;
            std::ifstream again(path, std::ios::binary);
            int64_t n = 0;
            CountsInParts inParts{path, way, 0};
            const std::string why = ReadCounts(again, rules, params, u, n, way > 0, way > 1 ? &inParts : nullptr);
            alone[way] = why + std::to_string(n) + " " + std::to_string(why.empty() ? u.size() : 0);
            EXPECT_EQ(inParts.done, way > 1 && why.empty()) << reason;
        }
        EXPECT_EQ(alone[1], alone[0]);
        EXPECT_EQ(alone[2], alone[0]);
        EXPECT_EQ(alone[3], alone[0]);
    }
}

// A large counts file read in parts on several threads, each part in pieces merged at the end, gives
// the table of a file read line by line, and is refused at the same line: a repeat within a piece,
// across pieces or parts, a broken line after a repeat, counts beyond the occurrences in a later part.
TEST_F(WordTableTest, LargeCountsFilesReadInPartsAsLineByLine) {
    params.suppressLiveWords = 1;
    const std::string rules = WordRulesFingerprint(params, {}, 0);
    constexpr int kWords = 300000;  // more than two pieces in one part
    std::vector<std::string> lines(kWords);
    for (uint32_t i = 0; i < kWords; ++i) {
        std::string w;
        for (uint32_t v = (i * 7919u + 12345u) % 308915776u; w.size() < 6; v /= 26) w += char('a' + v % 26);
        lines[i] = std::to_string(1 + i % 5) + "\t" + w;  // 6 letters, all different
    }
    const auto file = [&](const std::vector<std::string>& body, const std::string& end = "\n") {
        std::string f = "kvx-counts 1" + end + "rules " + rules + end + "occurrences 900000" + end + "words " +
                        std::to_string(body.size()) + end;
        for (const std::string& l : body) f += l + end;
        return f;
    };
    const auto with = [&](std::initializer_list<std::pair<int, std::string>> changes) {
        std::vector<std::string> body = lines;
        for (const auto& [at, line] : changes) body[size_t(at)] = line;
        return file(body);
    };
    std::string oneMore = file(lines);
    oneMore.replace(oneMore.find("words 300000"), 12, "words 300001");
    const std::pair<std::string, const char*> rows[] = {
        {file(lines), ""},
        {file(lines, "\r\n"), ""},
        {oneMore, "ends early"},
        {with({{5, "6\t" + lines[5].substr(2)}}), "makes the counts add up"},
        {with({{11, lines[10]}}), "Line 16 of the counts file repeats"},
        {with({{290000, lines[3]}}), "Line 290005 of the counts file repeats"},
        {with({{200000, lines[150001]}, {250000, "0\tdog"}}), "Line 200005 of the counts file repeats"},
        {with({{250000, "2\tDog"}}), "Line 250005 of the counts file holds a capital"},
        {with({{280000, "900000\tzebra"}}), "Line 280005 of the counts file makes the counts add up"},
        {file(lines).substr(0, file(lines).size() - 1), "ends early"},
        {file(lines) + "1\tend\n", "more lines"},
    };
    for (const auto& [text, reason] : rows) {
        const std::string path = folder.write("large.counts", text);
        std::string first;
        // -2, -3: so many, from a name that cannot be opened, or a folder's.
        for (int threads : {0, 1, 3, -2, -3}) {
            WordTable t;
            std::ifstream in(path, std::ios::binary);
            int64_t n = 0;
            const std::string name = threads == -2 ? folder / "gone.counts" : threads == -3 ? folder.path() : path;
            CountsInParts inParts{name, std::abs(threads), 0};
            std::string got = ReadCounts(in, rules, params, t, n, true, threads != 0 ? &inParts : nullptr);
            if (*reason) {
                EXPECT_NE(got.find(reason), std::string::npos) << threads << ": " << got;
            } else {
                EXPECT_EQ(got, "");
                EXPECT_EQ(inParts.done, threads > 0);
                EXPECT_EQ(t.size(), kWords);
                EXPECT_EQ(in.tellg(), std::streamoff(text.size()));  // what was read, for the progress
            }
            got += " " + std::to_string(n) + " " + std::to_string(t.size());
            for (int32_t i = 0; got.size() < 100000 && i < t.size(); ++i)
                got += std::string(t.Word(i)) + std::to_string(t[i].frequency);
            if (threads == 0)
                first = got;
            else
                EXPECT_EQ(got, first) << threads << " threads, " << reason;
        }
    }
    // Beyond the table's memory the parts stop as the table does.
    const std::string path = folder.write("large.counts", file(lines));
    for (int threads : {0, 3}) {
        WordTable t;
        t.memoryLimit = 1 << 20;
        std::ifstream in(path, std::ios::binary);
        int64_t n = 0;
        CountsInParts inParts{path, threads, 0};
        EXPECT_THROW(ReadCounts(in, rules, params, t, n, true, threads > 0 ? &inParts : nullptr), std::bad_alloc);
    }
}

// Under the letters of every script a counts file holds UTF-8 words, its
// rules name the letters, and its words are checked as those letters see them.
TEST_F(WordTableTest, CountsFilesOfEveryScript) {
    const std::string rules = WordRulesFingerprint(params, {}, 0, "unicode de");
    EXPECT_NE(rules, WordRulesFingerprint(params, {}, 0));
    EXPECT_NE(rules, WordRulesFingerprint(params, {}, 0, "unicode sv"));
    const std::string head = "kvx-counts 1\nrules " + rules + "\noccurrences 9\nwords 1\n";
    const std::pair<std::string, const char*> rows[] = {
        {"2\tωmega", ""}, {"2\t日本語", ""}, {"2\tcafe\xCC\x81", ""}, {"2\tΩMEGA", "capital letter"},
        {"2\tω—a", "does not hold a word"}, {"2\tcaf\xE9", "does not hold a word"},
        {"2\t" + std::string(80, 'a') + "ω", "longer than 80 characters"},
    };
    for (const auto& [line, reason] : rows) {
        WordTable t;
        t.utf8Words = true;
        std::istringstream in(head + line + "\n");
        int64_t total = 0;
        const std::string why = ReadCounts(in, rules, params, t, total);
        if (*reason) {
            EXPECT_NE(why.find(reason), std::string::npos) << line << ": " << why;
            continue;
        }
        ASSERT_EQ(why, "") << line;
        EXPECT_EQ(t.Word(0), line.substr(2));
    }
}

}  // namespace
}  // namespace kvx
