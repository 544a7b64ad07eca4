#include "params/WordsToIgnore.h"

#include <gtest/gtest.h>

#include "FakeHost.h"

namespace kvx {
namespace {

struct NormaliseCase {
    const char* name;
    std::string box;
    std::string expectedBox;
    std::string expectedList;
};

class NormaliseWordsToIgnoreTest : public ::testing::TestWithParam<NormaliseCase> {};

TEST_P(NormaliseWordsToIgnoreTest, BoxAndList) {
    const NormaliseCase& c = GetParam();
    std::string list = "stale";
    EXPECT_EQ(NormaliseWordsToIgnore(c.box, list), c.expectedBox);
    EXPECT_EQ(list, c.expectedList);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, NormaliseWordsToIgnoreTest,
    ::testing::Values(
        NormaliseCase{"CommasCaseAndRepeats", "The, the  AND and", "and the", " and the "},
        NormaliseCase{"Empty", "", "", ""},
        // Blanks only: the list empties, the box is left as typed.
        NormaliseCase{"BlanksOnly", "   ", "   ", ""},
        NormaliseCase{"CommasOnly", " , ,, ", "", ""},
        NormaliseCase{"SingleWord", "  Zebra ", "zebra", " zebra "},
        NormaliseCase{"KeepsOtherPunctuation", "e-mail it's", "e-mail it's", " e-mail it's "},
        // Accented capitals go through the letter tables.
        NormaliseCase{"AccentedUpperCase", "\xC3\x9C" "BER \xC3\x89" "COLE", "\xC3\xA9" "cole \xC3\xBC" "ber",
                      " \xC3\xA9" "cole \xC3\xBC" "ber "},
        // With no accented letter in the text, ordinary lower-casing also maps Z-caron.
        NormaliseCase{"ZCaronOrdinary", "\xC5\xBD" "ABA", "\xC5\xBE" "aba", " \xC5\xBE" "aba "},
        // With an accented letter present, only the tables apply: Z-caron stays.
        NormaliseCase{"ZCaronWithAccent", "\xC5\xBD\xC3\x80", "\xC5\xBD\xC3\xA0", " \xC5\xBD\xC3\xA0 "},
        // Omega and Cyrillic have no Windows-1252 code: kept as typed, the rest lower-cased.
        NormaliseCase{"NoCodeCharactersKept", "\xCE\xA9MEGA \xD0\x9F\xD0\xA0\xD0\x98 Zeta",
                      "zeta \xCE\xA9mega \xD0\x9F\xD0\xA0\xD0\x98",
                      " zeta \xCE\xA9mega \xD0\x9F\xD0\xA0\xD0\x98 "},
        // UTF-16 order: y-diaeresis (U+00FF) before the euro sign (U+20AC), which a
        // byte order of Windows-1252 codes would reverse.
        NormaliseCase{"Utf16OrderAboveLatin1", "\xE2\x82\xAC" "uro \xC3\xBF" "es", "\xC3\xBF" "es \xE2\x82\xAC" "uro",
                      " \xC3\xBF" "es \xE2\x82\xAC" "uro "},
        // A supplementary character (surrogates D83D...) sorts before U+FF21.
        NormaliseCase{"Utf16OrderSurrogates", "\xEF\xBC\xA1 \xF0\x9F\x98\x80", "\xF0\x9F\x98\x80 \xEF\xBC\xA1",
                      " \xF0\x9F\x98\x80 \xEF\xBC\xA1 "},
        NormaliseCase{"PrefixFirst", "andthe and an", "an and andthe", " an and andthe "},
        // Tabs are not blanks here: they stay inside the word.
        NormaliseCase{"TabStaysInWord", "a\tb a", "a a\tb", " a a\tb "}),
    [](const ::testing::TestParamInfo<NormaliseCase>& info) { return info.param.name; });

std::string Message(const std::string& ch, bool currently, bool comma) {
    std::string m = "The character " + ch + " occurs in some word to ignore\r\nbut is not " +
                    (currently ? "currently set as " : "") + "a character allowed in a word.";
    if (comma) m += "\r\n\r\nWords-to-ignore must be separated by a space, not by a comma.";
    return m;
}

struct CheckCase {
    const char* name;
    std::string words;
    int16_t Params::*box;  // set to `value` before checking, when not null
    int16_t value;
    std::string expectedMessage;  // "" when the words pass
};

class CheckAllowedExtraCharsTest : public ::testing::TestWithParam<CheckCase> {};

TEST_P(CheckAllowedExtraCharsTest, ReportsFirstBadCharacter) {
    const CheckCase& c = GetParam();
    Params p;
    p.txbWordsToIgnore = c.words;
    if (c.box) p.*c.box = c.value;
    test::FakeHost host;
    bool ok = CheckAllowedExtraChars(p, host);
    if (c.expectedMessage.empty()) {
        EXPECT_TRUE(ok);
        EXPECT_TRUE(host.messages.empty());
        return;
    }
    EXPECT_FALSE(ok);
    ASSERT_EQ(host.messages.size(), 1u);
    EXPECT_EQ(host.messages[0].text, c.expectedMessage);
    EXPECT_EQ(host.messages[0].title, "Character not allowed");
    EXPECT_EQ(host.messages[0].icon, Icon::Exclamation);
    EXPECT_EQ(host.messages[0].buttons, Buttons::OK);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, CheckAllowedExtraCharsTest,
    ::testing::Values(
        CheckCase{"Empty", "", nullptr, 0, ""},
        CheckCase{"LettersAndBlanks", "the caf\xC3\xA9 na\xC3\xAFve \xC5\x93uvre", nullptr, 0, ""},
        CheckCase{"HyphenAllowedByDefault", "e-mail", nullptr, 0, ""},
        CheckCase{"Comma", "and,the", nullptr, 0, Message(",", true, true)},
        CheckCase{"PlusIsNeverAllowed", "c++", nullptr, 0, Message("+", false, false)},
        CheckCase{"QuoteIsNeverAllowed", "say \"x", nullptr, 0, Message("\"", false, false)},
        CheckCase{"UnderscoreNotAllowed", "snake_case", nullptr, 0, Message("_", true, false)},
        CheckCase{"UnderscoreAllowed", "snake_case", &Params::chkAllowWordsWithUnderscores, 1, ""},
        // Only the value 1 counts as ticked.
        CheckCase{"UnderscoreGreyed", "snake_case", &Params::chkAllowWordsWithUnderscores, 2,
                  Message("_", true, false)},
        CheckCase{"HyphenCleared", "e-mail", &Params::chkAllowWordsWithHyphens, 0,
                  Message("-", true, false)},
        CheckCase{"DigitsOff", "mp3", nullptr, 0, Message("3", true, false)},
        CheckCase{"DigitsOn", "mp3", &Params::chkAllowWordsWithNumerals, 1, ""},
        CheckCase{"FirstBadOneReported", "a;b,c", nullptr, 0, Message(";", false, false)},
        CheckCase{"NoCodeCharacter", "\xCE\xA9mega", nullptr, 0, Message("\xCE\xA9", true, false)},
        // The euro sign has a code but is not a letter.
        CheckCase{"EuroSign", "5\xE2\x82\xAC", &Params::chkAllowWordsWithNumerals, 1,
                  Message("\xE2\x82\xAC", true, false)}),
    [](const ::testing::TestParamInfo<CheckCase>& info) { return info.param.name; });

}  // namespace
}  // namespace kvx
