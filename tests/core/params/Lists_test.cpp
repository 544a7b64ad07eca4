#include <gtest/gtest.h>

#include <algorithm>
#include <set>

#include "params/Defaults.h"
#include "FakeHost.h"
#include "scanning/StrProcLists.h"
#include "scanning/BinarySearch.h"
#include "scanning/QuickSortStrings.h"

namespace kvx {
namespace {

using Strings = std::vector<std::string>;

TEST(StrProcListsTest, SplitText) {
    struct Case {
        std::string text, delimiter;
        int64_t start;
        bool trim;
        Strings expected;
    };
    const Case cases[] = {
        {"a b c", " ", 1, false, {"a", "b", "c"}},
        {"  a b", " ", 1, false, {"", "a", "b"}},  // one leading delimiter dropped
        {"a b ", " ", 1, false, {"a", "b"}},       // a final one not doubled
        {"a  b", " ", 1, false, {"a", "", "b"}},
        {"x y a b", " ", 5, false, {"a", "b"}},
        {"ab", " ", 9, false, {""}},
        {" a ,\tb ,c", ",", 1, true, {"a", "\tb", "c"}},  // only spaces trimmed
        {"::a::b::", "::", 1, false, {"a", "b"}},
        {"", " ", 1, false, {""}},
    };
    for (const Case& c : cases) {
        Strings pieces = {"left", "over"};
        EXPECT_EQ(StrProc::SplitText(c.text, c.delimiter, c.start, pieces, c.trim), int16_t(c.expected.size()));
        EXPECT_EQ(pieces, c.expected) << c.text;
    }
}

TEST(StrProcListsTest, SplitTextCountSaturates) {
    std::string text;
    for (int i = 0; i < 40000; ++i) text += "w ";
    Strings pieces;
    EXPECT_EQ(StrProc::SplitText(text, " ", 1, pieces, false), 32767);
    EXPECT_EQ(pieces.size(), 40000u);
}

TEST(StrProcListsTest, RemoveDuplicateStrings) {
    Strings a = {"the", "and", "the", "", "And", "and", "x", "the"};
    StrProc::RemoveDuplicateStrings(a);
    EXPECT_EQ(a, (Strings{"the", "and", "And", "x"}));
    Strings empty = {"", ""};
    StrProc::RemoveDuplicateStrings(empty);
    EXPECT_TRUE(empty.empty());
}

TEST(StrProcListsTest, JoinText) {
    EXPECT_EQ(StrProc::JoinText({}, " "), "");
    EXPECT_EQ(StrProc::JoinText({"a"}, " "), "a");
    EXPECT_EQ(StrProc::JoinText({"a", "", "b"}, ", "), "a, , b");
}

TEST(StrProcListsTest, NumberInWords) {
    test::FakeHost host;
    const std::pair<int64_t, const char*> cases[] = {
        {0, "No"},          {1, "One"},           {13, "Thirteen"},    {20, "Twenty"},
        {21, "Twenty one"}, {42, "Forty two"},    {90, "Ninety"},      {99, "Ninety nine"},
        {100, "100"},       {1234, "1,234"},      {1234567, "1,234,567"}};
    for (auto [n, words] : cases) EXPECT_EQ(StrProc::NumberInWords(n, host.formatGrouped(n)), words) << n;
}

TEST(SearchSortedStringsTest, AgreesWithLowerBoundForEverySize) {
    for (int n = 0; n <= 12; ++n) {
        Strings a = {""};
        for (int i = 0; i < n; ++i) a.push_back(std::string(1, static_cast<char>('b' + 2 * i)));
        for (char k = 'a'; k <= static_cast<char>('b' + 2 * n); ++k) {
            std::string key(1, k);
            auto it = std::lower_bound(a.begin() + 1, a.end(), key);
            int32_t place = static_cast<int32_t>(it - a.begin());
            bool present = it != a.end() && *it == key;
            int32_t pos = 0;
            ASSERT_EQ(BinarySearch::SearchSortedStrings(key, a, n, pos, 1), present) << n << key;
            EXPECT_EQ(pos, present ? place : -place) << "n=" << n << " key=" << key;
        }
    }
}

TEST(SearchSortedStringsTest, StartPositionAndHighBytes) {
    const Strings tagged = {"", "#apple", "#banana", "#\xE9t\xE9"};
    int32_t pos = 0;
    EXPECT_TRUE(BinarySearch::SearchSortedStrings("banana", tagged, 3, pos, 2));
    EXPECT_EQ(pos, 2);
    // Bytes compare unsigned: 0xE9 sorts after every ASCII letter.
    EXPECT_TRUE(BinarySearch::SearchSortedStrings("\xE9t\xE9", tagged, 3, pos, 2));
    EXPECT_EQ(pos, 3);
    EXPECT_FALSE(BinarySearch::SearchSortedStrings("zoo", tagged, 3, pos, 2));
    EXPECT_EQ(pos, -3);
    // n larger than the list holds is not read past its end.
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

TEST(DefaultsTest, SetDefaultValuesKeepsWhatItDoesNotOwn) {
    Params p;
    for (const CheckBoxInfo& box : CheckBoxes()) p.*box.member = p.*box.member ? 0 : 1;
    p.cboShortWordSize = 7;
    p.cboLongWordSize = 0;
    p.cboThresholdFrequency = 5;
    p.txbStartComment = {"(*", "{"};
    p.txbWordsToIgnore = "abc";
    p.cboWordOrder = 1;
    SetDefaultValues(p);
    const Params fresh;
    for (const CheckBoxInfo& box : CheckBoxes()) {
        if (box.defaultValue < 0)
            EXPECT_NE(p.*box.member, fresh.*box.member) << box.name;  // not this routine's
        else
            EXPECT_EQ(p.*box.member, fresh.*box.member) << box.name;
    }
    EXPECT_EQ(p.cboShortWordSize, 1);
    EXPECT_EQ(p.cboLongWordSize, 3);
    EXPECT_EQ(p.cboThresholdFrequency, 0);
    EXPECT_EQ(p.txbStartComment[0], "(*");
    EXPECT_EQ(p.txbWordsToIgnore, "abc");
    EXPECT_EQ(p.cboWordOrder, 1);
}

TEST(DefaultsTest, InitializeParamsEmptiesBoxesButKeepsListing) {
    Params p;
    p.txbFile = {"in.txt", "out.txt"};
    p.txbWordsToIgnore = p.strWordsToIgnore = p.txbParametersFile = "x";
    p.txbCommonWordsFile = p.strCommonWordsFile = "/c.txt";
    p.chkSuppressWords = p.chkDisableOutputToFile = p.chkIgnoreCommonWords = p.chkCaseSignificant = 1;
    p.cboDisplayFormat = 9;
    p.txbEndComment[1] = "}";
    InitializeParams(p);
    for (const std::string& s : {p.txbFile[0], p.txbFile[1], p.txbWordsToIgnore, p.strWordsToIgnore,
                                 p.txbCommonWordsFile, p.strCommonWordsFile, p.txbParametersFile})
        EXPECT_EQ(s, "");
    EXPECT_EQ(p.chkSuppressWords + p.chkDisableOutputToFile + p.chkCaseSignificant, 0);
    EXPECT_EQ(p.chkIgnoreCommonWords, 1);
    EXPECT_EQ(p.cboDisplayFormat, 9);
    EXPECT_EQ(p.txbEndComment[1], "}");
}

TEST(DefaultsTest, ListsAndCheckBoxTable) {
    EXPECT_EQ(ShortWordSizeEntries(), (Strings{"2", "3", "4", "5", "6", "7", "8", "9"}));
    EXPECT_EQ(LongWordSizeEntries(), (Strings{"20", "30", "40", "50", "60", "70", "80"}));
    EXPECT_EQ(ThresholdFrequencyEntries(), ShortWordSizeEntries());
    EXPECT_EQ(DisplayFormatEntries()[9], "word (+ commas)");
    // 23 distinct boxes; the window walks 21 of them once each, and
    // SetDefaultValues sets 20 once each.
    std::set<std::string> names;
    std::set<int> setSteps, defaultSteps;
    for (const CheckBoxInfo& box : CheckBoxes()) {
        names.insert(box.name);
        if (box.setStep) setSteps.insert(box.setStep);
        if (box.defaultStep) defaultSteps.insert(box.defaultStep);
        EXPECT_EQ(box.defaultStep > 0, box.defaultValue >= 0) << box.name;
    }
    EXPECT_EQ(names.size(), 23u);
    EXPECT_EQ(setSteps.size(), 21u);
    EXPECT_EQ(*setSteps.rbegin(), 21);
    EXPECT_EQ(defaultSteps.size(), 20u);
    EXPECT_EQ(*defaultSteps.rbegin(), 20);
}

}  // namespace
}  // namespace kvx
