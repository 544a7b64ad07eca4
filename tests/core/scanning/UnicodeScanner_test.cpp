#include "scanning/UnicodeScanner.h"

#include <gtest/gtest.h>
#include <unicode/uchar.h>

#include <algorithm>
#include <functional>
#include <utility>
#include <vector>

#include "counting/PrepareLine.h"
#include "params/Params.h"
#include "scanning/Scanner.h"
#include "text/Cp1252.h"
#include "text/Unicode.h"
#include "TempFolder.h"

using namespace kvx;

namespace {

struct Sink : WordSink {
    std::string words;
    void AddWordToList(std::string_view w) override { words += (words.empty() ? "" : "|") + std::string(w); }
};

// The words of UTF-8 lines as a file pass finds them, under the letters of
// every script or (western) of Windows-1252, joined by '|' in UTF-8.
std::string Scan(const Params& p, bool every, std::initializer_list<const char*> lines, const char* kind = "None",
                 bool entities = false) {
    Sink sink;
    scanning::Scanner sc;
    sc.params = &p;
    sc.sink = &sink;
    sc.unicode.on = every;
    sc.SetAllowedExtraChars();
    sc.SetCommentMarkers(kind);
    sc.entitiesPossible = entities;
    for (const char* l : lines) {
        sc.currentLine = every ? std::string(l) : text::utf8ToCp1252(l);
        PrepareAndScanLine(sc, p.caseSignificant != 1);
    }
    return every ? sink.words : text::cp1252ToUtf8(sink.words);
}

using Rule = std::function<void(Params&)>;
const Rule none = [](Params&) {};
const Rule apostrophes = [](Params& p) { p.allowApostrophes = 1; };
const Rule numerals = [](Params& p) { p.allowNumerals = 1; p.allowHyphens = 1; };
const Rule caseSig = [](Params& p) { p.caseSignificant = 1; };
const Rule marker = [](Params& p) { p.startComment = {"«é", ""}; p.endComment = {"»", ""}; };

}  // namespace

// Text of Windows-1252 characters gives the same words under both letters.
TEST(UnicodeScanner, SameWordsAsWesternOnWindows1252Text) {
    const struct { Rule setup; std::initializer_list<const char*> lines; const char* kind; bool entities; } cases[] = {
        {none, {"naïve\tØrsted\fa×b c÷d Œuvre Žal ÿes ÉTÉS cafés œuf"}, "None", false},
        {none, {"dièlalamiocome &#x41;chedièla più &amp;più*/ti:checats'il; x"}, "HTML", true},
        {none, {"<p>caf&eacute; &Eacute;T&Eacute; &#8212; x&nbsp;y</p> &hellip;"}, "HTML", true},
        {apostrophes, {"l'été dogs' 'tis aren't ÀÉ's"}, "None", false},
        {numerals, {"3ème x-ray -é- é-- ½ ²3 ñ1"}, "None", false},
        {caseSig, {"Straße STRASSE ÀÉÎ Ÿ És", "\tTAB\xC2\xA0nbsp\b"}, "None", false},
        {marker, {"a «é b » c «É d", "e » f"}, "User-defined", false},
        {none, {"a /* é", "è */ ü // ö"}, "C", false},
    };
    for (const auto& c : cases) {
        Params p;
        c.setup(p);
        const std::string western = Scan(p, false, c.lines, c.kind, c.entities);
        EXPECT_EQ(Scan(p, true, c.lines, c.kind, c.entities), western) << *c.lines.begin();
    }
}

TEST(UnicodeScanner, WordsOfEveryScript) {
    const struct { Rule setup; const char* line; const char* want; } cases[] = {
        {none, "Ωmega ﬁnance Łódź", "ωmega|ﬁnance|łódź"},
        {none, "日本語のテキストです。", "日本語|の|テキスト|です"},
        {none, "ABCの日本 TEXTです ΣΟΦΟΣの", "abc|の|日本|text|です|σοφος|の"},
        {none, "ΟΔΟΣ ΣΟΦΟΣ", "οδος|σοφος"},  // final sigma in context: ς
        {none, "STRASSE Straße İx", "strasse|straße|i̇x"},
        {apostrophes, "Don’t Москва’s", "don't|москва's"},
        {none, "cats κατς ĉats", "cat|κατς|ĉat"},  // final s of Latin words only
        {none, "\xCC\x81" "abc e\xCC\x81s x\xCC\x81\xCC\x82", "abc|e\xCC\x81s|x\xCC\x81\xCC\x82"},
        {none, "abc日本 x—y ٣٤ a٣", "abc|日本|x|y|a"},
        {numerals, "a٣ ٣٤", "a٣|٣٤"},
        {caseSig, "Ωmega ΣΟΦΟΣ", "Ωmega|ΣΟΦΟΣ"},
        {none, "สวัสดีครับ", "สวัสดี|ครับ"},
    };
    for (const auto& c : cases) {
        Params p;
        c.setup(p);
        EXPECT_EQ(Scan(p, true, {c.line}), c.want) << c.line;
    }
    EXPECT_EQ(text::utf8Length(Scan(Params{}, true, {"Σ\xCF\x82"})), 2u);
}

// Runs met again (thousands, so that the cache of cuts grows) are cut as
// the first time.
TEST(UnicodeScanner, CutsOfRunsMetAgain) {
    const char* const kana[] = {"か", "き", "く", "け", "こ", "さ", "し", "す", "せ", "そ", "テ", "キ", "ス", "ト"};
    std::vector<std::string> lines;
    for (int i = 0; i < 14 * 14 * 14; ++i)
        lines.push_back(std::string("日本") + kana[i % 14] + kana[i / 14 % 14] + kana[i / 196] + "の文字です");
    Params p;
    Sink sink;
    scanning::Scanner sc;
    sc.params = &p;
    sc.sink = &sink;
    sc.unicode.on = true;
    sc.SetAllowedExtraChars();
    std::string first;
    for (int pass = 0; pass < 2; ++pass) {
        for (const std::string& l : lines) {
            sc.currentLine = l;
            PrepareAndScanLine(sc, true);
        }
        if (pass == 0) first = std::exchange(sink.words, "");
    }
    EXPECT_EQ(sink.words, first);
    EXPECT_GT(std::count(first.begin(), first.end(), '|'), 3 * 14 * 14 * 14);
}

// What the shadow takes for a letter of a script without spaces unasked,
// ICU takes for a letter.
TEST(UnicodeScanner, KanaAndIdeographsAreLetters) {
    for (char32_t c = 0x3000; c < 0xA000; ++c) {
        std::string u;
        text::appendUtf8(u, c);
        if (scanning::UnicodeLine::ShadowOf(u, false).back() == static_cast<char>(scanning::kShadowSegmented)) {
            EXPECT_NE(U_GET_GC_MASK(static_cast<UChar32>(c)) & U_GC_L_MASK, 0u) << static_cast<uint32_t>(c);
        }
    }
}

// Every character is kept; bytes that are not UTF-8 are Windows-1252 ones.
TEST(UnicodeScanner, ReaderKeepsEveryCharacter) {
    test::TempFolder dir;
    const struct { std::string bytes; const char* want; } cases[] = {
        {"\xC0\xAF \xFF\x80 \xE6\x97\xA5\n", "À¯ ÿ€ 日"},              // overlong, stray, valid
        {std::string("\xFF\xFE\x00\xD8" "a\x00\x3D\xD8\x00\xDE" "b", 11), "\xEF\xBF\xBD" "a😀" "\xEF\xBF\xBD"},
        {std::string("\xFE\xFF\xDC\x00\x00z", 6), "\xEF\xBF\xBDz"},   // a lone low surrogate
    };
    for (const auto& c : cases) {
        const std::string path = dir.write("t.txt", c.bytes);
        LineReader r;
        r.utf8Out = true;
        ASSERT_TRUE(r.open(path));
        std::string line;
        EXPECT_EQ(r.readLine(line), LineReader::Status::Line);
        EXPECT_EQ(line, c.want);
    }
}

TEST(UnicodeScanner, ColumnsAndCollation) {
    EXPECT_EQ(text::DisplayWidth("日本a"), 5u);
    EXPECT_EQ(text::DisplayWidth("e\xCC\x81ｶ"), 2u);  // a mark takes none, half-width kana one
    const text::Collation sv("sv"), de("de");
    EXPECT_LT(sv.Key("z"), sv.Key("ö"));
    EXPECT_LT(de.Key("ö"), de.Key("z"));
    EXPECT_LT(de.Key("a"), de.Key("A"));         // equal letters: case, then code points
    EXPECT_LT(de.Key("e\xCC\x81"), de.Key("é"));  // canonically equal, told apart by code points
    EXPECT_EQ(de.Key("a").find('\0'), de.Key("a").size() - 2);
}

// The default alphabetical order follows the locale's language: LC_ALL, then
// LC_COLLATE, then LANG, the first one set; the C locale's is English.
TEST(LocaleLanguage, FirstLocaleVariableSetNamesTheLanguage) {
    const struct { const char *all, *collate, *lang, *want; } rows[] = {
        {"de_DE.UTF-8", "sv_SE", "fr_FR", "de"}, {"", "sv_SE.UTF-8", "fr_FR", "sv"}, {"", "", "pt@euro", "pt"},
        {"C", "", "fr_FR", "en"},           {"POSIX", "", "", "en"},         {"", "C.UTF-8", "fr_FR", "en"},
        {"", "", "", "en"},
    };
    for (const auto& r : rows) {
        ::setenv("LC_ALL", r.all, 1);
        ::setenv("LC_COLLATE", r.collate, 1);
        ::setenv("LANG", r.lang, 1);
        EXPECT_EQ(text::LocaleLanguage(), r.want) << r.all << "|" << r.collate << "|" << r.lang;
    }
    for (const char* name : {"LC_ALL", "LC_COLLATE", "LANG"}) ::unsetenv(name);
    EXPECT_EQ(text::LocaleLanguage(), "en");
}
