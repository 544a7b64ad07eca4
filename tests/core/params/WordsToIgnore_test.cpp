#include "scanning/WordsToIgnore.h"

#include <gtest/gtest.h>


namespace kvx {
namespace {

TEST(NormaliseWordsToIgnoreTest, BoxAndList) {
    struct NormaliseCase {
        const char* name;
        std::string box, expectedBox, expectedList;
    };
    const NormaliseCase cases[] = {
        {"CommasCaseAndRepeats", "The, the  AND and", "and the", " and the "},
        {"Empty", "", "", ""},
        // Blanks only: the list empties, the box is left as typed.
        {"BlanksOnly", "   ", "   ", ""},
        {"CommasOnly", " , ,, ", "", ""},
        {"SingleWord", "  Zebra ", "zebra", " zebra "},
        {"KeepsOtherPunctuation", "e-mail it's", "e-mail it's", " e-mail it's "},
        // Accented capitals go through the letter tables.
        {"AccentedUpperCase", "\xC3\x9C" "BER \xC3\x89" "COLE", "\xC3\xA9" "cole \xC3\xBC" "ber",
                      " \xC3\xA9" "cole \xC3\xBC" "ber "},
        // With no accented letter in the text, ordinary lower-casing also maps Z-caron.
        {"ZCaronOrdinary", "\xC5\xBD" "ABA", "\xC5\xBE" "aba", " \xC5\xBE" "aba "},
        // With an accented letter present, only the tables apply: Z-caron stays.
        {"ZCaronWithAccent", "\xC5\xBD\xC3\x80", "\xC5\xBD\xC3\xA0", " \xC5\xBD\xC3\xA0 "},
        // Omega and Cyrillic have no Windows-1252 code: kept as typed, the rest lower-cased.
        {"NoCodeCharactersKept", "\xCE\xA9MEGA \xD0\x9F\xD0\xA0\xD0\x98 Zeta",
                      "zeta \xCE\xA9mega \xD0\x9F\xD0\xA0\xD0\x98",
                      " zeta \xCE\xA9mega \xD0\x9F\xD0\xA0\xD0\x98 "},
        // UTF-16 order: y-diaeresis (U+00FF) before the euro sign (U+20AC), which a
        // byte order of Windows-1252 codes would reverse.
        {"Utf16OrderAboveLatin1", "\xE2\x82\xAC" "uro \xC3\xBF" "es", "\xC3\xBF" "es \xE2\x82\xAC" "uro",
                      " \xC3\xBF" "es \xE2\x82\xAC" "uro "},
        // A supplementary character (surrogates D83D...) sorts before U+FF21.
        {"Utf16OrderSurrogates", "\xEF\xBC\xA1 \xF0\x9F\x98\x80", "\xF0\x9F\x98\x80 \xEF\xBC\xA1",
                      " \xF0\x9F\x98\x80 \xEF\xBC\xA1 "},
        {"PrefixFirst", "andthe and an", "an and andthe", " an and andthe "},
        // Tabs are not blanks here: they stay inside the word.
        {"TabStaysInWord", "a\tb a", "a a\tb", " a a\tb "},
    };
    for (const NormaliseCase& c : cases) {
        std::string list = "stale";
        EXPECT_EQ(NormaliseWordsToIgnore(c.box, list), c.expectedBox) << c.name;
        EXPECT_EQ(list, c.expectedList) << c.name;
    }
}

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

TEST(CheckAllowedExtraCharsTest, ReportsFirstBadCharacter) {
    const CheckCase cases[] = {
        {"Empty", "", nullptr, 0, ""},
        {"LettersAndBlanks", "the caf\xC3\xA9 na\xC3\xAFve \xC5\x93uvre", nullptr, 0, ""},
        {"HyphenAllowedByDefault", "e-mail", nullptr, 0, ""},
        {"Comma", "and,the", nullptr, 0, Message(",", true, true)},
        {"PlusIsNeverAllowed", "c++", nullptr, 0, Message("+", false, false)},
        {"QuoteIsNeverAllowed", "say \"x", nullptr, 0, Message("\"", false, false)},
        {"UnderscoreNotAllowed", "snake_case", nullptr, 0, Message("_", true, false)},
        {"UnderscoreAllowed", "snake_case", &Params::chkAllowWordsWithUnderscores, 1, ""},
        // Only the value 1 counts as ticked.
        {"UnderscoreGreyed", "snake_case", &Params::chkAllowWordsWithUnderscores, 2,
                  Message("_", true, false)},
        {"HyphenCleared", "e-mail", &Params::chkAllowWordsWithHyphens, 0,
                  Message("-", true, false)},
        {"DigitsOff", "mp3", nullptr, 0, Message("3", true, false)},
        {"DigitsOn", "mp3", &Params::chkAllowWordsWithNumerals, 1, ""},
        {"FirstBadOneReported", "a;b,c", nullptr, 0, Message(";", false, false)},
        {"NoCodeCharacter", "\xCE\xA9mega", nullptr, 0, Message("\xCE\xA9", true, false)},
        // The euro sign has a code but is not a letter.
        {"EuroSign", "5\xE2\x82\xAC", &Params::chkAllowWordsWithNumerals, 1,
                  Message("\xE2\x82\xAC", true, false)},
    };
    for (const CheckCase& c : cases) {
        SCOPED_TRACE(c.name);
        Params p;
        p.txbWordsToIgnore = c.words;
        if (c.box) p.*c.box = c.value;
        EXPECT_EQ(CheckAllowedExtraChars(p), c.expectedMessage);
    }
}

}  // namespace
}  // namespace kvx
