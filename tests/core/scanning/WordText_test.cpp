#include "scanning/WordText.h"

#include <gtest/gtest.h>

#include <tuple>

#include "text/Cp1252.h"

using namespace kvx;
using namespace kvx::wordtext;

namespace {
// Test texts are written in UTF-8 and converted to the 8-bit codes.
std::string cp(std::string_view utf8) { return text::utf8ToCp1252(utf8); }
std::string u8(std::string_view cp1252) { return text::cp1252ToUtf8(cp1252); }
}  // namespace

TEST(Cp1252, EveryCodeToUtf8AndBack) {
    std::string all = "ab";  // an ASCII start, then each code once
    for (int b = 0; b < 256; ++b) all += static_cast<char>(b);
    const std::string utf8 = u8(all);
    EXPECT_EQ(cp(utf8), all);
    EXPECT_EQ(utf8.substr(130, 6), "€\uFFFD");  // 0x81 has no character
}

TEST(WordTextWordChars, IsWordChar) {
    struct Row { unsigned char c; bool numerals; const char* extra; bool want; };
    const Row rows[] = {
        {'a', false, "", true},     {'Z', false, "", true},      {'5', false, "", false},
        {'5', true, "", true},      {'5', false, "0123456789", true}, {'-', false, "-", true},
        {'-', false, "'", false},   {0xD7, false, "", false},    {0xF7, false, "", false},
        {0xC0, false, "", true},    {0xFF, false, "", true},     {0xDF, false, "", true},
        {0x8A, false, "", false},   {0x9C, false, "", false},    {0xAA, false, "", false},
        {0xB5, false, "", false},   {0x8A, true, "\x8A", false}, {text::kNoCode, false, "", false},
        {text::kNoCode, false, "?", true}, {' ', false, "", false}, {0, false, "", false},
    };
    for (const Row& r : rows)
        EXPECT_EQ(IsWordChar(r.c, r.numerals, r.extra), r.want) << "code " << int(r.c);
    EXPECT_EQ(std::string(kAllLetters), std::string(kUpperLetters) + std::string(kLowerLetters));
}

TEST(WordTextWordChars, WordLength) {
    const std::string x70k(70000, 'x');
    const std::tuple<std::string, int, bool, const char*, int> rows[] = {
        {"abc def", 1, false, "", 3}, {"abc def", 4, false, "", 0}, {"abc def", 5, false, "", 3},
        {"abc", 9, false, "", 0},     {"e-mail x", 1, false, "-", 6}, {"a1b", 1, true, "", 3},
        {x70k, 1, false, "", 65000},  {x70k, 65001, false, "", 5000}};
    for (const auto& [s, at, num, extra, want] : rows) EXPECT_EQ(WordLength(s, at, num, extra), want) << s.size() << at;
}

TEST(WordTextWordRules, VowelsStems) {
    const struct { std::string text; bool lowerOnly, want; } vowels[] = {
        {"", false, false}, {"A", false, true}, {"A", true, false}, {cp("à"), true, true},
        {cp("À"), true, false}, {"y", false, false},
    };
    for (const auto& v : vowels) EXPECT_EQ(StartsWithVowel(v.text, v.lowerOnly), v.want) << u8(v.text);
    for (const char* w : {"doesn", "DOESN", "aren", "shouldn", "wouldn", "en", "n", "sn", "dn", "REN", "ldn", "isn"})
        EXPECT_TRUE(IsContractionStem(w)) << w;
    for (const char* w : {"don", "can", "shouldnt", "arena", "mountain", "den", "been", "ihren", "ashouldn"})
        EXPECT_FALSE(IsContractionStem(w)) << w;
    // Words with blanks may be as long as the whole list, never longer.
    const std::string all(kContractionStems.substr(0, kContractionStems.size() - 1));
    EXPECT_TRUE(IsContractionStem(all));
    EXPECT_FALSE(IsContractionStem(all + " aren"));
}

TEST(WordTextLine, CleanLine) {
    const std::pair<const char*, const char*> rows[] = {
        {"ab\bcd", "abcd"},       {"a\r\nb", "a b"},      {"a\r\b\nb", "a b"},
        {"a\n\nb", "a  b"},       {"a\r\r\nb", "a  b"},   {"a\tb\fc\xA0" "d", "a b c d"},
        {"plain", "plain"},       {"", ""},               {"\x0B\x01", "\x0B\x01"},
    };
    for (auto& [in, want] : rows) EXPECT_EQ(CleanLine(in), want) << in;
}

TEST(WordTextLine, ReplaceDoubleHyphens) {
    const std::pair<const char*, const char*> rows[] = {
        {"well--known", "well  known"}, {"<!-- x -->", "<!-- x -->"}, {"a---b", "a  -b"},
        {"--a", "  a"},                 {"a--", "a  "},               {"a-->", "a-->"},
        {"<!---->", "<!---->"},         {"x<!--", "x<!--"},           {"!--", "!  "},
        {"a----b", "a    b"},
    };
    for (auto& [in, want] : rows) EXPECT_EQ(ReplaceDoubleHyphens(in), want) << in;
}

TEST(WordTextCase, LowerCaseAndFolding) {
    const std::pair<const char*, const char*> lower[] = {
        {"ÉCOLE", "école"}, {"STRASSE", "strasse"}, {"ŒUVRE", "œuvre"}, {"ß", "ß"},
        {"Ž", "ž"},         {"ŽÉ", "Žé"},          {"A×B", "a×b"},     {"ŠŸÞ", "šÿþ"},
        {"ÀLA CARTE MENUS DU JOUR", "àla carte menus du jour"},  // 16 at a time, one not ASCII
    };
    for (auto& [in, want] : lower) {
        EXPECT_EQ(u8(LowerCaseExt(cp(in))), want) << in;
        std::string line = cp(in);  // the file pass's one-pass preparation lower-cases alike
        PrepareLineInPlace(line, true);
        EXPECT_EQ(u8(line), want) << in;
    }
    const std::pair<const char*, const char*> fold[] = {
        {"Ärger", "Aerger"}, {"Straße", "Strasse"}, {"Œuvre", "Oeuvre"},
        {"Crème", "Creme"},  {"naïve", "naive"},    {"ðÐþ", "ðDþ"},
    };
    for (auto& [in, want] : fold) EXPECT_EQ(u8(FoldForSorting(cp(in))), want) << in;
    EXPECT_EQ(LowerCaseExt(FoldForSorting(cp("Ärger"))), "aerger");
    EXPECT_TRUE(HasNoFoldableLetters(cp("Æœß")));
    EXPECT_FALSE(HasNoFoldableLetters(cp("xý")));
}

TEST(WordTextEntities, ConvertCharacterEntities) {
    const std::pair<const char*, const char*> rows[] = {
        {"caf&eacute;", "café"},
        {"a &amp; b", "a & b"},
        {"&quot;x&quot;", "\"x\""},
        {"&QUOT;", "&QUOT;"},
        {"&hellip;", "&hellip;"},
        {"AT&T and &amp;", "AT&T and &amp;"},  // the & of AT&T reaches the entity's ;
        {"&amp;amp;", "&amp;"},                 // a decoded & is not decoded again
        {"& &nbsp;", " "},                      // found inside the list as it stands
        {"x&#160;y&nbsp;z", "x y z"},
        {"&#8212;", "—"},
        {"&Auml;&uuml;&yuml;", "Äüÿ"},
        {"no ; semicolon & here", "no ; semicolon & here"},
        {"&amp", "&amp"},
    };
    for (auto& [in, want] : rows) EXPECT_EQ(u8(ConvertCharacterEntities(cp(in))), want) << in;
}

TEST(WordTextEntities, CharacterEntityLength) {
    const std::pair<const char*, int> rows[] = {
        {"&hellip; more", 8}, {"&#12", 1},       {"&#;x", 1},     {"&#", 0},   {"&a;", 0},
        {"& amp;", 0},        {"&1abc;", 0},     {"&amp", 0},     {"x&amp;", 0},
        {"&abcdefghijklmnopq;", 19}, {"&abcdefghijklmnopqr;", 20}, {"&abcdefghijklmnopqrs;", 0},
        {"&ab cd;", 0},       {"&#a;", 1},
    };
    for (auto& [in, want] : rows) EXPECT_EQ(CharacterEntityLength(in), want) << in;
}

TEST(WordTextEdit, TrimControlChars) {
    const std::pair<const char*, const char*> rows[] = {
        {" \tabc \t", "abc"}, {"\xA0" "abc\xA0", "\xA0" "abc\xA0"}, {"   ", ""}, {"", ""},
        {"\x01x\x1F", "x"},   {"a b", "a b"},
    };
    for (auto& [in, want] : rows) {
        std::string s = in;
        TrimControlChars(s);
        EXPECT_EQ(s, want);
    }
}

TEST(WordTextEdit, FindSkipRemove) {
    EXPECT_EQ(FindNonBlank("  x ", 1), 3);
    EXPECT_EQ(FindNonBlank("  x ", 4), 0);
    EXPECT_EQ(SkipCharsIn("", 1, "a"), 0);
    EXPECT_EQ(SkipCharsIn("abc", 1, ""), 1);
    EXPECT_EQ(SkipCharsIn("aab", 1, "a"), 3);
    EXPECT_EQ(SkipCharsIn("aaa", 1, "a"), 4);
    EXPECT_EQ(SkipCharsIn("aaa", 9, "a"), 4);
    std::string s = "a-b-c'd";
    RemoveChars(s, "-'", 4);
    EXPECT_EQ(s, "a-bcd");
}
