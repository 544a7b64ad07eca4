#include "words/Ranking.h"

#include <gtest/gtest.h>

#include <random>
#include <set>

#include "params/Params.h"

namespace kvx {
namespace {

// The progress marks the ranking gives.
struct Marks : RunObserver {
    std::string output;
    int turns = 0;
    Marks() { yields = true; }
    void progress(int64_t) override { output += " ."; }
    void yield() override { ++turns; }
};

// ---- Helpers ----------------------------------------------------------------

/// A table of (word, frequency), each word its own sort key.
WordTable Table(std::initializer_list<std::pair<std::string, int64_t>> rows) {
    WordTable t;
    for (const auto& [w, f] : rows) t.AddRecord(w, w, f);
    return t;
}

/// A table with few distinct keys (many ties) and unique words.
WordTable RandomTable(std::mt19937& rng, int32_t n, int keyAlphabet, int64_t maxFreq) {
    WordTable t;
    for (int32_t s = 1; s <= n; ++s) {
        std::string key;
        const int len = int(rng() % 3);
        for (int k = 0; k < len; ++k) key += char('a' + rng() % unsigned(keyAlphabet));
        const int64_t freq = 1 + int64_t(rng() % uint64_t(maxFreq));
        t.AddRecord("w" + std::to_string(rng() % 100000) + "_" + std::to_string(s), key, freq);
    }
    return t;
}

std::vector<std::string> WordsOf(const WordTable& t) {
    std::vector<std::string> w;
    for (int32_t s = 0; s < t.size(); ++s) w.emplace_back(t.Word(s));
    return w;
}

// ---- Sorting ----------------------------------------------------------------

// The order of equal keys is the quicksort's own, which the listing's ties
// show, so the whole tables' orders after many random sorts of ranges from
// several key positions are pinned by one digest.
TEST(RankingSort, SortsTheRangeAndKeepsItsOrderOfTies) {
    std::mt19937 rng(11);
    uint64_t digest = 1469598103934665603u;
    for (int round = 0; round < 300; ++round) {
        const int32_t n = int32_t(rng() % 60);
        auto t = RandomTable(rng, n, 1 + int(rng() % 4), 5);
        const int32_t lo = n ? int32_t(rng() % uint32_t(n)) : 0;
        const int32_t hi = n ? lo + int32_t(rng() % uint32_t(n - lo)) : -1;
        const int32_t start = 1 + int32_t(rng() % 3);
        SortWordList(t, lo, hi, start);
        for (const std::string& w : WordsOf(t))
            for (char c : w + ' ') digest = (digest ^ uint8_t(c)) * 1099511628211u;
    }
    EXPECT_EQ(digest, 1418442080837673914u);  // the literal middle-pivot quicksort's orders
}

// Each group of equal keys keeps its places, and its words ascend in them:
// capitals and unaccented letters first; groups not made adjacent by a sort too.
TEST(RankingSort, EqualKeysTakeTheirWordsInAscendingOrder) {
    WordTable cafes;
    for (const char* w : {"the", "caf\xE9", "The", "cafe", "a"}) cafes.AddWordToList(w);  // keys the, cafe, the, cafe, a
    SortWordList(cafes, 0, 4, 1);
    OrderEqualKeys(cafes);
    EXPECT_EQ(WordsOf(cafes), (std::vector<std::string>{"a", "cafe", "caf\xE9", "The", "the"}));
    WordTable apart;
    for (const auto& [w, key] : {std::pair{"c", "k"}, {"z", "j"}, {"a", "k"}, {"x", "i"}, {"y", "j"}, {"b", "k"}})
        apart.AddRecord(w, key, 1);
    OrderEqualKeys(apart);
    EXPECT_EQ(WordsOf(apart), (std::vector<std::string>{"a", "y", "b", "x", "z", "c"}));
}

// ---- Predicates and filtering ------------------------------------------------

TEST(RankingPredicates, Table) {
    struct Case {
        std::string word;
        bool repetition, roman, lacksLetter;
    };
    const std::vector<Case> cases = {  // 0x8A etc.: Windows-1252 letters; 0x83 is not one
        {"", false, true, true}, {"a", true, false, false}, {"aaa", true, false, false},
        {"aAa", false, false, false}, {"zzz", true, false, false}, {"111", true, false, true},
        {"i", true, false, false}, {"I", true, false, false}, {"iv", false, true, false},
        {"xiv", false, true, false}, {"VIII", false, true, false}, {"XXXIX", false, true, false},
        {"vix", false, true, false}, {"IIII", true, true, false}, {"xxx", true, true, false},
        {"XL", false, false, false}, {"MIX", false, false, false}, {"civil", false, false, false},
        {"-_.", false, false, true}, {"\xC0", true, false, false}, {"\xD7", true, false, true},
        {"\xF7" "1", false, false, true}, {"\x8A", true, false, false}, {"\x9A", true, false, false},
        {"\x8C", true, false, false}, {"\x9C", true, false, false}, {"\x9F", true, false, false},
        {"\x83", true, false, true}, {"4x4", false, false, false}, {"1A", false, false, false},
        {"Z1", false, false, false}, {" xii ", false, true, false}, {" i ", false, false, false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(IsRepetition(c.word), c.repetition) << c.word;
        EXPECT_EQ(IsRomanNumeral(c.word), c.roman) << c.word;
        EXPECT_EQ(LacksLetter(c.word), c.lacksLetter) << c.word;
    }
}

TEST(RankingFilter, EachRuleAndItsThreshold) {
    struct Case {
        const char* name;
        void (*set)(Params&);
        std::string word;
        int64_t freq;
        bool included;
    };
    const std::vector<Case> cases = {
        {"once below 2", [](Params& p) { p.ignoreInfrequentWords = 1; }, "word", 1, false},
        {"twice at 2", [](Params& p) { p.ignoreInfrequentWords = 1; }, "word", 2, true},
        {"twice below 3", [](Params& p) { p.ignoreInfrequentWords = 1; p.frequencyIndex = 1; }, "word", 2, false},
        {"infrequent box greyed", [](Params& p) { p.ignoreInfrequentWords = 2; }, "word", 1, true},
        {"two letters below 3", [](Params& p) { p.ignoreShortWords = 1; p.shortWordIndex = 1; }, "ab", 5, false},
        {"three letters at 3", [](Params& p) { p.ignoreShortWords = 1; p.shortWordIndex = 1; }, "abc", 5, true},
        {"short rule off", [](Params&) {}, "a", 5, true},
        {"51 over 50", [](Params& p) { p.longWordIndex = 3; }, std::string(51, 'a') + "b", 1, false},
        {"50 at 50", [](Params& p) { p.longWordIndex = 3; }, std::string(49, 'a') + "b", 1, true},
        {"80 at 80", [](Params&) {}, std::string(79, 'a') + "b", 1, true},
        {"zzz repetition", [](Params& p) { p.ignoreRepetitions = 1; }, "zzz", 3, false},
        {"111 not a repetition", [](Params& p) { p.ignoreRepetitions = 1; }, "111", 3, true},
        {"111 without letter", [](Params& p) { p.ignoreWordsWithoutLetters = 1; }, "111", 3, false},
        {"single letter never repeats", [](Params& p) { p.ignoreRepetitions = 1; }, "a", 3, true},
        {"iv numeral", [](Params& p) { p.ignoreRomanNumerals = 1; }, "iv", 3, false},
        {"numeral rule off", [](Params&) {}, "xiv", 3, true},
    };
    for (const auto& c : cases) {
        Params p;  // no rule, words up to 80 characters
        p.ignoreInfrequentWords = p.ignoreShortWords = p.ignoreRepetitions = 0;
        p.ignoreRomanNumerals = p.ignoreWordsWithoutLetters = 0;
        p.longWordIndex = 6;
        c.set(p);
        WordTable t = Table({{c.word, c.freq}});
        t[0].included = !c.included;  // must be overwritten either way
        FilterWords(t, p);
        EXPECT_EQ(bool(t[0].included), c.included) << c.name;
    }
}

TEST(RankingFilter, CountersCountEachExcludedRecordOnce) {
    Params p;  // first-start choices: short words under 3, repetitions, numerals, no letter
    WordTable t = Table({{"111", 4}, {"ii", 2}, {"hello", 3}, {"world", 7}, {"\xE9t\xE9", 1}});
    FilterWords(t, p);
    RankedFigures r;
    r.wordsInList = r.wordsIgnored = r.instancesInList = r.maxFrequency = r.longestWordLength = 99;  // earlier
    CountIncludedWords(t, r);
    EXPECT_EQ(r.wordsInList, 3);
    EXPECT_EQ(r.wordsIgnored, 2);
    EXPECT_EQ(r.instancesInList, 11);
    EXPECT_EQ(r.maxFrequency, 7);
    EXPECT_EQ(r.longestWordLength, 5);
}

// ---- Frequency chain ----------------------------------------------------------

// The chain runs through the included words by falling frequency, equal
// frequencies in slot order, numbering them 1, 2, ...; a mark every 1000.
// Excluded words, and all of them in some rounds, lose their stale links.
TEST(RankingChain, LinksTheIncludedWordsByFallingFrequencyThenSlot) {
    std::mt19937 rng(17);
    for (int round = 0; round < 60; ++round) {
        const int32_t n = round < 5 ? 2500 + int32_t(rng() % 1000) : int32_t(rng() % 80);
        const int64_t maxFreq = round % 3 == 0 ? 350 : 4;
        auto t = RandomTable(rng, n, 3, maxFreq);
        // The counts of a large corpus: time must not grow with their size.
        if (round % 4 == 1)
            for (WordRecord& w : t.Records()) w.frequency *= 1'000'000'000'000;
        std::vector<int32_t> expected;
        for (int32_t s = 0; s < n; ++s) {
            t[s].included = round % 6 != 2 && rng() % 4 != 0;
            t[s].rank = t[s].nextByFrequency = 9;  // stale
            if (t[s].included) expected.push_back(s);
        }
        std::stable_sort(expected.begin(), expected.end(),
                         [&](int32_t a, int32_t b) { return t[a].frequency > t[b].frequency; });
        RankedFigures r;
        r.firstByFrequency = 1;
        CountIncludedWords(t, r);
        Marks marks;
        BuildFrequencyChain(t, r, &marks);
        std::vector<int32_t> chain;
        for (int32_t s = r.firstByFrequency; s != kNoWord && chain.size() <= size_t(n); s = t[s].nextByFrequency) {
            chain.push_back(s);
            ASSERT_EQ(t[s].rank, int32_t(chain.size())) << "round " << round;
        }
        ASSERT_EQ(chain, expected) << "round " << round;
        for (const WordRecord& w : t.Records())
            if (!w.included) {
                ASSERT_TRUE(w.rank == 0 && w.nextByFrequency == kNoWord) << "round " << round;
            }
        EXPECT_EQ(marks.output.size(), expected.size() / 1000 * 2) << "round " << round;
        // The event loop gets a turn at each frequency of the chain.
        std::set<int64_t> frequencies;
        for (int32_t s : expected) frequencies.insert(t[s].frequency);
        EXPECT_EQ(marks.turns, int(frequencies.size())) << "round " << round;
    }
}

}  // namespace
}  // namespace kvx
