#include "words/Phrases.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "counting/PrepareLine.h"
#include "params/Params.h"
#include "text/Cp1252.h"

namespace kvx {
namespace {

struct Joined : WordSink {
    std::string phrases;
    void AddWordToList(std::string_view w) override { phrases += (phrases.empty() ? "" : "|") + std::string(w); }
};

// What ends a run of words, and what does not: lines prepared and scanned as
// a file's are, through the builder.
TEST(Phrases, RunsEndWhereTheTextBreaks) {
    struct Row {
        int words;
        const char* markers;
        std::vector<const char*> lines;
        const char* phrases;
    } rows[] = {
        {2, "None", {"The big cat. Sat down"}, "the big|big cat|sat down"},
        {2, "None", {"the big", "cat", " \t", "red dog"}, "the big|big cat|red dog"},  // a line end does not break
        {2, "None", {"red cat! big dog? old hen; new day"}, "red cat|big dog|old hen|new day"},
        {2, "HTML", {"big red <!-- x", "y --> cat <b>dog</b> the end"}, "big red|the end"},
        {2, "None", {"red pig big cat of the end"}, "big cat|the end"},  // ignored "pig", short "of"
        // The "t" of "don't" is dropped; a comma does not break; "xiv" is a Roman numeral.
        {2, "None", {"big don't stop now, chapter xiv begins now"}, "big don|stop now|now chapter|begin now"},
        {3, "None", {"one two three", "four"}, "one two three|two three four"},
    };
    for (const Row& r : rows) {
        Params p;
        p.wordsToIgnore = " pig ";
        Joined out;
        PhraseBuilder builder(r.words, p, out);
        scanning::Scanner s;
        s.params = &p;
        s.sink = &builder;
        s.phraseBreaks = true;
        s.wordsToIgnore = p.wordsToIgnore;
        s.SetAllowedExtraChars();
        s.SetCommentMarkers(r.markers);
        for (const char* line : r.lines) {
            s.currentLine = text::utf8ToCp1252(line);
            PrepareAndScanLine(s, true);
        }
        EXPECT_EQ(out.phrases, r.phrases) << r.lines[0];
    }
}

}  // namespace
}  // namespace kvx
