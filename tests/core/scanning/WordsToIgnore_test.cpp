#include "scanning/WordsToIgnore.h"

#include <gtest/gtest.h>


namespace kvx {
namespace {

TEST(NormaliseWordsToIgnoreTest, BoxAndList) {
    const struct {
        const char* name;
        std::string box, expected;  // the box as normalised; the list is it between blanks
    } cases[] = {
        {"CommasCaseAndRepeats", "The, the  AND and", "and the"},
        {"Empty", "", ""},
        {"CommasOnly", " , ,, ", ""},
        {"SingleWord", "  Zebra ", "zebra"},
        {"KeepsOtherPunctuation", "e-mail it's", "e-mail it's"},
        // Accented capitals go through the letter tables.
        {"AccentedUpperCase", "\xC3\x9C" "BER \xC3\x89" "COLE", "\xC3\xA9" "cole \xC3\xBC" "ber"},
        // With no accented letter in the text, ordinary lower-casing also maps Z-caron.
        {"ZCaronOrdinary", "\xC5\xBD" "ABA", "\xC5\xBE" "aba"},
        // With an accented letter present, only the tables apply: Z-caron stays.
        {"ZCaronWithAccent", "\xC5\xBD\xC3\x80", "\xC5\xBD\xC3\xA0"},
        // Omega and Cyrillic have no Windows-1252 code: kept as typed, the rest lower-cased.
        {"NoCodeCharactersKept", "\xCE\xA9MEGA \xD0\x9F\xD0\xA0\xD0\x98 Zeta",
         "zeta \xCE\xA9mega \xD0\x9F\xD0\xA0\xD0\x98"},
        // UTF-16 order: y-diaeresis (U+00FF) before the euro sign (U+20AC), which a
        // byte order of Windows-1252 codes would reverse.
        {"Utf16OrderAboveLatin1", "\xE2\x82\xAC" "uro \xC3\xBF" "es", "\xC3\xBF" "es \xE2\x82\xAC" "uro"},
        // A supplementary character (surrogates D83D...) sorts before U+FF21.
        {"Utf16OrderSurrogates", "\xEF\xBC\xA1 \xF0\x9F\x98\x80", "\xF0\x9F\x98\x80 \xEF\xBC\xA1"},
        {"PrefixFirst", "andthe and an", "an and andthe"},
        // Tabs are not blanks here: they stay inside the word.
        {"TabStaysInWord", "a\tb a", "a a\tb"},
    };
    for (const auto& c : cases) {
        std::string list = "stale";
        EXPECT_EQ(NormaliseWordsToIgnore(c.box, list), c.expected) << c.name;
        EXPECT_EQ(list, c.expected.empty() ? "" : " " + c.expected + " ") << c.name;
    }
    // Blanks only: the list empties, the box is left as typed.
    std::string list = "stale";
    EXPECT_EQ(NormaliseWordsToIgnore("   ", list), "   ");
    EXPECT_EQ(list, "");
}

std::string Message(const std::string& ch, bool currently, bool comma = false) {
    return "The character " + ch + " occurs in some word to ignore\r\nbut is not " +
           (currently ? "currently set as " : "") + "a character allowed in a word." +
           (comma ? "\r\n\r\nWords-to-ignore must be separated by a space, not by a comma." : "");
}

TEST(CheckAllowedExtraCharsTest, ReportsFirstBadCharacter) {
    using P = Params;
    const struct {
        std::string words;
        int16_t P::*box;  // set to `value` before checking, when not null
        int16_t value;
        std::string expected;  // the message, "" when the words pass
    } cases[] = {
        {"", nullptr, 0, ""},
        {"the caf\xC3\xA9 na\xC3\xAFve \xC5\x93uvre e-mail", nullptr, 0, ""},  // hyphens allowed by default
        {"and,the", nullptr, 0, Message(",", true, true)},
        {"c++", nullptr, 0, Message("+", false)},  // never allowed
        {"say \"x", nullptr, 0, Message("\"", false)},
        {"snake_case", nullptr, 0, Message("_", true)},
        {"snake_case", &P::allowUnderscores, 1, ""},
        {"snake_case", &P::allowUnderscores, 2, Message("_", true)},  // only 1 is ticked
        {"e-mail", &P::allowHyphens, 0, Message("-", true)},
        {"mp3", nullptr, 0, Message("3", true)},
        {"mp3", &P::allowNumerals, 1, ""},
        {"a;b,c", nullptr, 0, Message(";", false)},  // the first bad one
        {"\xCE\xA9mega", nullptr, 0, Message("\xCE\xA9", true)},  // no Windows-1252 code
        // The euro sign has a code but is not a letter.
        {"5\xE2\x82\xAC", &P::allowNumerals, 1, Message("\xE2\x82\xAC", true)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.words);
        Params p;
        p.wordsToIgnoreText = c.words;
        if (c.box) p.*c.box = c.value;
        EXPECT_EQ(CheckAllowedExtraChars(p), c.expected);
    }
}

}  // namespace
}  // namespace kvx
