#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <tuple>

#include "params/Defaults.h"
#include "FakeHost.h"
#include "scanning/TextLists.h"
#include "scanning/BinarySearch.h"
#include "scanning/QuickSortStrings.h"

namespace kvx {
namespace {

using Strings = std::vector<std::string>;

TEST(TextListsTest, SplitText) {
    const struct {
        std::string text, delimiter;
        int64_t start;
        bool trim;
        Strings expected;
    } cases[] = {
        {"  a b", " ", 1, false, {"", "a", "b"}},  // one leading delimiter dropped
        {"a b ", " ", 1, false, {"a", "b"}},       // a final one not doubled
        {"a  b", " ", 1, false, {"a", "", "b"}},
        {"x y a b", " ", 5, false, {"a", "b"}},
        {"ab", " ", 9, false, {""}},
        {" a ,\tb ,c", ",", 1, true, {"a", "\tb", "c"}},  // only spaces trimmed
        {"::a::b::", "::", 1, false, {"a", "b"}},
        {"", " ", 1, false, {""}},
    };
    for (const auto& c : cases) {
        Strings pieces = {"left", "over"};
        EXPECT_EQ(wordtext::SplitText(c.text, c.delimiter, c.start, pieces, c.trim), int16_t(c.expected.size()));
        EXPECT_EQ(pieces, c.expected) << c.text;
    }
    std::string many;
    for (int i = 0; i < 40000; ++i) many += "w ";
    Strings pieces;
    EXPECT_EQ(wordtext::SplitText(many, " ", 1, pieces, false), 32767);  // the count saturates
    EXPECT_EQ(pieces.size(), 40000u);
}

TEST(TextListsTest, RemoveDuplicatesAndJoin) {
    Strings a = {"the", "and", "the", "", "And", "and", "x", "the"};
    wordtext::RemoveDuplicateStrings(a);
    EXPECT_EQ(wordtext::JoinText(a, ", "), "the, and, And, x");
    Strings empty = {"", ""};
    wordtext::RemoveDuplicateStrings(empty);
    EXPECT_EQ(wordtext::JoinText(empty, " "), "");
}

TEST(TextListsTest, NumberInWords) {
    test::FakeHost host;
    const std::pair<int64_t, const char*> cases[] = {{0, "No"},           {13, "Thirteen"}, {20, "Twenty"},
                                                     {21, "Twenty one"},  {90, "Ninety"},   {99, "Ninety nine"},
                                                     {100, "100"},        {1234567, "1,234,567"}};
    for (auto [n, words] : cases) EXPECT_EQ(wordtext::NumberInWords(n, host.formatGrouped(n)), words) << n;
}

// Keys on both sides of every entry, high bytes included (they compare unsigned).
TEST(SearchSortedStringsTest, AgreesWithLowerBoundForEverySize) {
    for (int n = 0; n <= 12; ++n) {
        Strings a = {""};
        for (int i = 0; i < n; ++i) a.push_back(std::string(1, static_cast<char>(0x10 + 20 * i)));
        for (int k = 0x0F; k <= 0x10 + 20 * n; ++k) {
            const std::string key(1, static_cast<char>(k));
            auto it = std::lower_bound(a.begin() + 1, a.end(), key);
            const int32_t place = static_cast<int32_t>(it - a.begin());
            const bool present = it != a.end() && *it == key;
            int32_t pos = 0;
            ASSERT_EQ(BinarySearch::SearchSortedStrings(key, a, n, pos, 1), present) << n << " " << k;
            EXPECT_EQ(pos, present ? place : -place) << "n=" << n << " key=" << k;
        }
    }
    // n larger than the list holds is not read past its end.
    int32_t pos = 0;
    EXPECT_FALSE(BinarySearch::SearchSortedStrings("z", {"", "m"}, 50, pos, 1));
    EXPECT_EQ(pos, -2);
}

TEST(SortStringsTest, Utf16OrdinalOrderOfRange) {
    Strings a = {"keep", "zeta", "\xE2\x82\xAC", "\xC3\xBF", "Zeta", "ab", "a", "\xF0\x9F\x98\x80",
                 "\xEF\xBC\xA1", "last"};
    QuickSort::SortStrings(a, 1, 8);
    EXPECT_EQ(a, (Strings{"keep", "Zeta", "a", "ab", "zeta", "\xC3\xBF", "\xE2\x82\xAC",
                          "\xF0\x9F\x98\x80", "\xEF\xBC\xA1", "last"}));
    Strings b = {"b", "a"};
    QuickSort::SortStrings(b, 0, 0);  // one entry: nothing to do
    EXPECT_EQ(b, (Strings{"b", "a"}));
    QuickSort::SortStrings(b, -3, 7);  // clamped to the array
    EXPECT_EQ(b, (Strings{"a", "b"}));
}

// SetDefaultValues resets what it owns and nothing else; InitializeParams
// also empties the boxes but keeps the listing's layout.
TEST(DefaultsTest, SetDefaultValuesAndInitializeParams) {
    const Params fresh;
    Params p;
    for (const CheckBoxInfo& box : CheckBoxes()) p.*box.member = p.*box.member ? 0 : 1;
    p.shortWordIndex = 7, p.longWordIndex = 0, p.frequencyIndex = 5, p.wordOrder = 1;
    p.startComment = {"(*", "{"};
    p.wordsToIgnoreText = "abc";
    Params q = p;
    SetDefaultValues(p);
    for (const CheckBoxInfo& box : CheckBoxes())
        EXPECT_EQ(p.*box.member == fresh.*box.member, box.defaultValue >= 0) << box.name;
    EXPECT_EQ(std::tie(p.shortWordIndex, p.longWordIndex, p.frequencyIndex),
              std::tie(fresh.shortWordIndex, fresh.longWordIndex, fresh.frequencyIndex));
    EXPECT_EQ(std::tie(p.startComment[0], p.wordsToIgnoreText, p.wordOrder), std::make_tuple("(*", "abc", 1));

    q.fileNames = {"in.txt", "out.txt"};
    q.wordsToIgnore = q.parametersFile = q.commonWordsFileText = q.commonWordsFile = "x";
    q.suppressLiveWords = q.outputToFileDisabled = 1;
    q.displayFormat = 9;
    InitializeParams(q);
    for (const std::string& s : {q.fileNames[0], q.fileNames[1], q.wordsToIgnoreText, q.wordsToIgnore,
                                 q.commonWordsFileText, q.commonWordsFile, q.parametersFile})
        EXPECT_EQ(s, "");
    EXPECT_EQ(q.suppressLiveWords + q.outputToFileDisabled, 0);
    EXPECT_EQ(q.caseSignificant, fresh.caseSignificant);
    EXPECT_EQ(q.ignoreCommonWords, p.ignoreCommonWords);  // not the defaults' box
    EXPECT_EQ(std::tie(q.displayFormat, q.startComment[1], q.wordOrder), std::make_tuple(9, "{", 1));
}

// Box names are distinct; the window's and SetDefaultValues' steps run 1, 2, ...
// without a gap or a repeat, and SetDefaultValues walks exactly the boxes it owns.
TEST(DefaultsTest, CheckBoxTableSteps) {
    std::set<std::string> names;
    std::vector<int> setSteps, defaultSteps;
    for (const CheckBoxInfo& box : CheckBoxes()) {
        names.insert(box.name);
        if (box.setStep) setSteps.push_back(box.setStep);
        if (box.defaultStep) defaultSteps.push_back(box.defaultStep);
        EXPECT_EQ(box.defaultStep > 0, box.defaultValue >= 0) << box.name;
    }
    EXPECT_EQ(names.size(), CheckBoxes().size());
    for (std::vector<int>* steps : {&setSteps, &defaultSteps}) {
        std::sort(steps->begin(), steps->end());
        for (size_t i = 0; i < steps->size(); ++i) EXPECT_EQ((*steps)[i], int(i + 1));
    }
}

}  // namespace
}  // namespace kvx
