#include "scanning/Scanner.h"

#include <gtest/gtest.h>

#include <functional>
#include <iterator>
#include <random>
#include <vector>

#include "counting/HostRelay.h"
#include "params/Params.h"
#include "FakeHost.h"
#include "text/Cp1252.h"

using namespace kvx;

namespace {

struct RecordingSink : WordSink {
    std::vector<std::string> words;
    std::function<void()> onWord;
    void AddWordToList(std::string_view w) override {
        words.emplace_back(w);
        if (onWord) onWord();
    }
};

// A scanner wired as a count wires it, over UTF-8 lines.
struct Rig {
    Params params;
    test::FakeHost host;
    HostRelay shown{host, params};
    RecordingSink sink;
    bool stop = false;
    scanning::Scanner sc;
    Rig() {
        sc.params = &params;
        sc.observer = &shown;
        sc.sink = &sink;
        sc.stopRequested = &stop;
    }
    // Each line as the file pass prepares it: lower-cased unless case is
    // significant, then the pad blank. Returns the words joined by '|'.
    std::string scan(std::initializer_list<const char*> lines, const char* kind = "None",
                     bool entities = false) {
        sc.SetAllowedExtraChars();
        sc.SetCommentMarkers(kind);
        sc.entitiesPossible = entities;
        sc.withinComment = -1;
        for (const char* l : lines) {
            sc.currentLine = text::utf8ToCp1252(l);
            if (params.caseSignificant != 1) wordtext::LowerCaseExtInPlace(sc.currentLine);
            sc.currentLine += ' ';
            sc.ScanLine();
            if (stop) break;
        }
        std::string out;
        for (auto& w : sink.words) out += (out.empty() ? "" : "|") + text::cp1252ToUtf8(w);
        sink.words.clear();
        return out;
    }
};

using Setup = std::function<void(Params&)>;
struct Case {
    const char* name; Setup setup; std::initializer_list<const char*> lines;
    const char* kind; bool entities; const char* want;
};

const Setup none = [](Params&) {};
const Setup hyphensOff = [](Params& p) { p.allowHyphens = 0; };
const Setup hyphensPeriods = [](Params& p) { p.allowPeriods = 1; };
const Setup numerals = [](Params& p) { p.allowNumerals = 1; };
const Setup caseSig = [](Params& p) { p.caseSignificant = 1; };
const Setup caseSigPeriods = [](Params& p) { p.caseSignificant = 1; p.allowPeriods = 1; };
const Setup apostrophes = [](Params& p) { p.allowApostrophes = 1; };
const Setup keepS = [](Params& p) { p.dropFinalS = 0; };
const Setup braces = [](Params& p) { p.startComment = {"{", ""}; p.endComment = {"}", ""}; };
const Setup hash = [](Params& p) { p.startComment = {"#", ""}; p.endComment = {"", ""}; };

}  // namespace

TEST(ScannerScan, WordLists) {
    const Case cases[] = {
        {"plain", none, {"abc"}, "None", false, "abc"},
        {"empty line", none, {""}, "None", false, ""},
        {"double hyphen", none, {"well--known e-mail"}, "None", false, "well|known|e-mail"},
        {"hyphens off", hyphensOff, {"e-mail"}, "None", false, "e|mail"},
        {"no initial - or .", hyphensPeriods, {"-abc .abc a-"}, "None", false, "abc|abc|a"},
        {"digits off", none, {"abc123def 42"}, "None", false, "abc|def"},
        {"digits on", numerals, {"abc123def 42 7up"}, "None", false, "abc123def|42|7up"},
        {"accents and signs", none, {"naïve Ørsted a×b c÷d Œuvre"}, "None", false,
         "naïve|ørsted|a|b|c|d|uvre"},
        {"final s", none,
         {"cats dogs plays its bus gas ideas does this glass is as physics Politics maths STATS cross"},
         "None", false, "cat|dog|play|it|bus|gas|ideas|does|this|glass|is|as|physics|politics|maths|stats|cross"},
        {"final s off", keepS, {"cats"}, "None", false, "cats"},
        {"s after period", hyphensPeriods, {"cats. re-s U.S.A."}, "None", false, "cat|re-|u.s.a"},
        {"case significant", caseSig, {"Cats CATS IDEAs"}, "None", false, "Cat|CATS|IDEA"},
        {"periods kept inside", caseSigPeriods, {"U.S.A. e.g."}, "None", false, "U.S.A|e.g"},
        {"apostrophe fragments", none,
         {"John's doesn't couldn't don't can't rock 'n' roll en T"}, "None", false,
         "john|don|can|rock|roll"},
        {"apostrophes allowed", apostrophes, {"John's dogs' 'tis"}, "None", false, "john's|dog|tis"},
        {"separators", none, {"a\tb\fc\xC2\xA0" "d ab\bcd"}, "None", false, "a|b|c|d|abcd"},
        {"CR LF inside", none, {"x\r\ny"}, "None", false, "x|y"},
        {"C block across lines", none, {"a /* b", "c */ d"}, "C", false, "a|d"},
        {"C line comment ends with its line", none, {"x // y", "z"}, "C", false, "x|z"},
        {"C comment closing at the end", none, {"a /* b */"}, "C", false, "a"},
        {"HTML script in capitals", none, {"<SCRIPT>var x</SCRIPT> word"}, "HTML", true, "word"},
        {"HTML comment across lines", none, {"<!-- a", "b --> c"}, "HTML", true, "c"},
        {"HTML tag and entities", none, {"<p class=x>caf&eacute; &hellip; & lone</p>"}, "HTML", true,
         "café|lone"},
        {"HTML AT&T", none, {"AT&T &amp; co"}, "HTML", true, "at|co"},
        {"HTML numeric reference", none, {"&#169; x &#x41;abc y"}, "HTML", true, "x|y"},
        {"PHP opening tag", none, {"<?php echo $x; ?> done"}, "PHP", true, "echo|x|done"},
        {"PHP C comments", none, {"a // b", "c /* d */ e"}, "PHP", true, "a|c|e"},
        {"XML keeps entities", none, {"&amp; word <tag>"}, "XML", false, "amp|word"},
        {"user braces across lines", braces, {"a { b", "c } d"}, "User-defined", false, "a|d"},
        {"user hash to end of line", hash, {"x # y", "z"}, "User-defined", false, "x|z"},
        {"no markers no comments", none, {"a /* b */ c"}, "None", false, "a|b|c"},
    };
    for (const Case& c : cases) {
        Rig rig;
        c.setup(rig.params);
        EXPECT_EQ(rig.scan(c.lines, c.kind, c.entities), c.want) << c.name;
    }
}

// Without comment markers words are found 64 characters at a time; the walk
// that looks for markers at every position must find the same words, also
// where words and separators straddle the 64-character blocks.
TEST(ScannerScan, BlockWalkFindsWhatTheMarkerWalkFinds) {
    const char* pieces[] = {"a", "bb", "-", "'", ".", "x-y", "z.", " ", "  ", ",", "7", "\xC3\xA9t\xC3\xA9",
                            "cats", "isn't", "_", "@", ":"};
    std::mt19937 gen(19);
    for (const auto* setup : {&none, &hyphensPeriods, &numerals, &apostrophes}) {
        for (int round = 0; round < 60; ++round) {
            std::string line;
            while (line.size() < size_t(gen() % 300)) {
                const size_t k = gen() % (std::size(pieces) + 2);
                line += k < std::size(pieces) ? std::string(pieces[k]) : std::string(gen() % 140, 'q');
            }
            Rig blocks, markers;
            (*setup)(blocks.params);
            (*setup)(markers.params);
            braces(markers.params);
            EXPECT_EQ(blocks.scan({line.c_str()}), markers.scan({line.c_str()}, "User-defined")) << line;
        }
    }
}

TEST(ScannerScan, MarkersLeftFromAnEarlierKindAreNotLookedAt) {
    Rig rig;
    rig.sc.SetCommentMarkers("PHP");  // its third marker is "<style"
    rig.params.startComment = {"<!", "{"};
    rig.params.endComment = {">", "}"};
    EXPECT_EQ(rig.scan({"a <style> b <! c > d"}, "User-defined"), "a|style|b|d");
}

TEST(ScannerScan, LoadingModeSkipsWordRules) {
    Rig rig;
    rig.sc.readingWords = true;
    rig.sc.SetCommentMarkers("C");
    rig.sc.entitiesPossible = true;
    rig.sc.SetExtraChars(std::string(scanning::kAllPossibleExtraChars));
    for (const char* l : {"cats its doesn well--known caf&eacute; /* x", "y */ t"}) {
        rig.sc.currentLine = std::string(l) + " ";
        rig.sc.ScanLine();
    }
    EXPECT_EQ(rig.sink.words,
              (std::vector<std::string>{"cats", "its", "doesn", "well--known", "caf", "eacute", "t"}));
    EXPECT_EQ(rig.sc.totalInstances, 0);
}

TEST(ScannerScan, IgnoreListsAndOccurrences) {
    Rig rig;
    rig.params.caseSignificant = 1;
    rig.params.ignoreCommonWords = 1;
    std::vector<std::string> common = {"", "and", "or", "the"};
    rig.sc.commonWords = &common;
    rig.sc.commonWordCount = 9;  // a count beyond the list: never read past it
    rig.sc.wordsToIgnore = " a cat ";
    EXPECT_EQ(rig.scan({"The Cat AND a dog OR cats"}), "dog");
    EXPECT_EQ(rig.sc.totalInstances, 7);
    rig.params.ignoreCommonWords = 0;
    EXPECT_EQ(rig.scan({"and ca"}), "and|ca");  // " ca " is not in the list
}

TEST(ScannerScan, StopAfterCurrentWord) {
    Rig rig;
    rig.host.onYield = [&] { rig.stop = rig.host.yields == 2; };
    EXPECT_EQ(rig.scan({"one two three four", "five"}), "one|two");
    // A line without word characters does not yield.
    Rig quiet;
    quiet.scan({"... ,,, 123"});
    EXPECT_EQ(quiet.host.yields, 0);
}

TEST(ScannerScan, HostileLines) {
    Rig rig;
    rig.sc.SetAllowedExtraChars();
    const auto scan = [&](const std::string& line) {
        rig.sink.words.clear();
        rig.sc.currentLine = line + " ";
        rig.sc.ScanLine();
        return rig.sink.words;
    };
    const std::vector<std::string> long_ = scan(std::string(1 << 20, 'a'));
    ASSERT_EQ(long_.size(), 17u);
    for (size_t i = 0; i < 16; ++i) EXPECT_EQ(long_[i].size(), 65000u);
    EXPECT_EQ(long_[16].size(), (1u << 20) - 16 * 65000u);
    EXPECT_EQ(scan(std::string(100000, '\0') + "x"), std::vector<std::string>{"x"});
    const std::string nc(1, text::kNoCode);
    EXPECT_EQ(scan(nc + "b" + nc), std::vector<std::string>{"b"});
}

TEST(ScannerMarkers, KindsForExtensions) {
    struct Row { const char* ext; int16_t allow; int16_t count; bool entities; bool ok; };
    const Row rows[] = {
        {"php", 0, 8, true, true},  {"xml", 1, 3, false, true}, {"html", 0, 5, true, true},
        {"shtml", 0, 5, true, true}, {"xhtml", 0, 5, true, true}, {"cpp", 0, 2, false, true},
        {"c", 1, 2, false, true},   {"txt", 0, 0, false, true}, {"txt", 1, 2, false, true},
    };
    for (const Row& r : rows) {
        Rig rig;
        rig.params.allowCommentMarkers = r.allow;
        rig.params.startComment = {"{", ""};
        rig.params.endComment = {"}", ""};
        EXPECT_EQ(rig.sc.SetCommentMarkersForExtension(r.ext), r.ok) << r.ext;
        EXPECT_EQ(rig.sc.commentMarkerCount, r.count) << r.ext;
        EXPECT_EQ(rig.sc.entitiesPossible, r.entities) << r.ext;
        EXPECT_TRUE(rig.host.messages.empty());
    }
}

TEST(ScannerMarkers, ValidationMessages) {
    const std::string tail =
        "\r\n\r\nCheck the comment markers in the 'Set parameters' panel\r\nand perhaps disallow comment markers.";
    const std::string msgB = "Cannot have an empty start-comment marker\r\nwith a non-empty end-comment marker." + tail;
    const std::string msgC =
        "Start-comment and end-comment markers must be different.\r\n\r\nCheck the comment markers in the 'Set parameters' panel.";
    const std::string msgRem = "The way the parameters are set the start-comment marker\r\n\"REM\" could be part of a "
        "word.\r\n\r\nCheck the start-comment markers in the 'Set parameters' panel and\r\nperhaps disallow comment "
        "markers or restrict allowable words.";
    struct Row { std::array<std::string, 2> start, end; bool ok; std::string msg; };
    const Row rows[] = {
        {{"{", ""}, {"}", "x"}, false, msgB},
        {{"%", ""}, {"%", ""}, false, msgC},
        {{"REM", ""}, {"", ""}, false, msgRem},
        {{"#", ""}, {"", ""}, true, ""},
        {{"{", "<"}, {"}", ">"}, true, ""},
        {{"ab1", ""}, {"", ""}, true, ""},  // digits not allowed: not a word
    };
    for (const Row& r : rows) {
        Rig rig;
        rig.params.allowCommentMarkers = 1;
        rig.params.startComment = r.start;
        rig.params.endComment = r.end;
        rig.sc.SetCommentMarkers("C");
        EXPECT_EQ(rig.sc.SetCommentMarkersForExtension("txt"), r.ok) << r.start[0];
        if (r.ok) {
            EXPECT_TRUE(rig.host.messages.empty());
            EXPECT_EQ(rig.sc.startCommentMarker[0], r.start[0]);
        } else {
            ASSERT_EQ(rig.host.messages.size(), 1u);
            EXPECT_EQ(rig.host.messages[0].text, r.msg);
            EXPECT_EQ(rig.host.messages[0].title, "Error");
            EXPECT_EQ(rig.sc.startCommentMarker[0], "/*");  // markers left as they were
        }
    }
    Rig num;
    num.params.allowNumerals = 1;
    num.params.startComment = {"ab1", ""};
    EXPECT_FALSE(num.sc.CommentMarkersOK());
}

TEST(ScannerScan, AllowedExtraCharsOrder) {
    Params p;
    p.allowHyphens = p.allowApostrophes = p.allowUnderscores = 1;
    p.allowBackslashes = p.allowForwardSlashes = p.allowPeriods = 1;
    p.allowAtSigns = p.allowNumerals = 1;
    p.allowColons = 2;  // greyed is not ticked
    EXPECT_EQ(AllowedExtraChars(p), "-'_\\/.@0123456789");
}
