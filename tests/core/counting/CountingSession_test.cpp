// The counting session: the progress bar, and simulated read and write failures in a count and a
// listing: each is reported, nothing is left half-written, and the next count works.

#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
#include <iterator>
#include <set>
#include <sstream>
#include <string>

#include "base/Folder.h"
#include "counting/CountingSession.h"
#include "files/FaultInjection.h"
#include "FakeHost.h"
#include "TempFolder.h"
#include "TextGen.h"

namespace kvx {
namespace {

using test::FakeHost;
using test::TempFolder;
using test::TwoBlockText;

constexpr int64_t kBlock = 64 * 1024;  // the reader's block size

struct Fixture {
    TempFolder dir;
    Params params;
    FakeHost host;
    MessageTable texts;
    FaultPlan faults;
    CountingSession session{params, host, texts};

    Fixture() {
        texts.Set(Message::ErrorTitle, "Error");
        params.warnOnOverwrite = 0;
        session.startUpCompleted = true;
        host.setIoFaults(&faults);
    }

    std::string Count(const std::string& input, const std::string& output = "") {
        params.inputIsFile = true;
        params.fileNames[0] = input;
        params.fileNames[1] = output;
        host.messages.clear();
        session.StartOrStopCount();
        return host.output;
    }
};

// Lines ended by CR alone are unusual here: the user is warned and may cancel.
TEST(CountingInput, CarriageReturnOnlyFileWarnsAndMayBeCancelled) {
    Fixture f;
    const std::string mac = f.dir.write("mac.txt", "one cat\rtwo cats\r");
    f.host.answers = {Answer::OK, Answer::Cancel};
    EXPECT_EQ(f.Count(mac), "");
    EXPECT_EQ(f.host.titles(), (std::vector<std::string>{"Warning", "Warning"}));
    EXPECT_EQ(f.host.messages[0].text, "This file has Macintosh line endings.");
    EXPECT_EQ(f.host.messages[1].buttons, Buttons::OKCancel);
    f.host.answers = {Answer::OK, Answer::OK};
    EXPECT_NE(f.Count(mac).find("cat"), std::string::npos);
}

// The share of anomalous bytes: ".1038%" below one, "5.0000%" from one on;
// the window's advice ends the message.
TEST(CountingInput, NotTextShowsTheShareOfAnomalousBytes) {
    Fixture f;
    for (const auto& [bad, share] : {std::pair{17, "is .1038%."}, {820, "is 5.0049%."}}) {
        std::string text(16384, 'a');
        for (int i = 0; i < bad; ++i) text[size_t(i) * 19] = '\x01';
        f.Count(f.dir.write("bin.txt", text));
        ASSERT_EQ(f.host.messages.size(), 1u);
        EXPECT_NE(f.host.messages[0].text.find(std::string(share) + "\r\n\r\nYou could try reading it using"),
                  std::string::npos) << f.host.messages[0].text;
    }
}

TEST(CountingProgress, BarStepsWithTheBytesRead) {
    Fixture f;
    // A short first line (step 0), then 37 lines of 300 bytes, one step each.
    std::string text = "a\r\n";
    for (int i = 0; i < 37; ++i) text += std::string(298, 'x') + "\r\n";
    f.Count(f.dir.write("bar.txt", text));
    std::vector<int64_t> steps{-1};
    for (int p = 0; p <= 37; ++p) steps.push_back(p);
    EXPECT_EQ(f.host.barSteps, steps);
    EXPECT_EQ(f.session.BytesRead(), int64_t(text.size()));  // kvx-count's progress line reads it
    EXPECT_EQ(f.host.folder, f.dir.path() + "/");  // the dialogs open where the input is
    EXPECT_FALSE(f.host.scanning);  // the label is a result label again
    EXPECT_FALSE(f.host.caretAtEnd);            // the listing is shown from its top
    EXPECT_TRUE(f.host.controlsEnabled && f.host.countEnabled);  // after the count, and after a new listing
    f.session.ListWords();
    EXPECT_TRUE(f.host.controlsEnabled);
    f.params.wordOrder = 1;  // an alphabetical listing turns the twirler too; the count's end rests it
    f.Count(f.dir.path() + "/bar.txt");
    EXPECT_EQ(f.host.twirler, -1);
    // Inputs too short for a bar have none on several threads either.
    f.host.barSteps.clear();
    f.session.SetInputs({f.dir.write("a.txt", "cat dog\n"), f.dir.write("b.txt", "the cat\n")});
    f.session.SetJobs(2, 40);
    f.Count(f.dir.path() + "/a.txt");
    EXPECT_TRUE(f.host.barSteps.empty());
    // The clipboard's text is forgotten once files are counted: contexts read the files then.
    f.params.inputIsFile = false;
    f.host.clipboard = "cat dog";
    f.session.StartOrStopCount();
    EXPECT_EQ(f.session.ClipboardText(), "cat dog");
    f.Count(f.dir.path() + "/a.txt");
    EXPECT_TRUE(f.session.ClipboardText().empty());
}

// While a count of the clipboard runs, the count command is its Stop button
// (a file's: the window's tests).
TEST(CountingProgress, TheCountCommandStopsACountOfTheClipboard) {
    Fixture f;
    f.host.clipboard = test::DistinctWords(300, 1);
    f.host.controlsEnabled = true;
    f.host.onYield = [&] {
        EXPECT_FALSE(f.host.controlsEnabled);  // nothing but Stop while the count runs
        if (f.host.yields == 20) f.session.StartOrStopCount();
    };
    f.host.answers = {Answer::No};  // do not list the words found so far
    f.params.inputIsFile = false;
    f.session.StartOrStopCount();
    EXPECT_EQ(f.host.titles(), (std::vector<std::string>{"Counting interrupted"}));
    EXPECT_FALSE(f.session.Running());
}

TEST(CountingInput, ARestoredFileThatIsGoneIsDroppedQuietly) {
    Fixture f;
    f.session.startUpCompleted = false;
    f.params.fileNames[0] = f.dir / "gone.txt";
    EXPECT_FALSE(f.session.ValidateInputFile(f.params.fileNames[0]));
    f.session.SetIgnoreCommonWords(1);  // nor is a common-words file asked for
    EXPECT_TRUE(f.host.messages.empty());
    EXPECT_EQ(f.params.fileNames[0], "");
    EXPECT_EQ(f.host.folder, f.dir.path() + "/");  // the dialogs open where it was
}

TEST(CountingClipboard, TabsAndLineBreaksAreTextOtherControlBytesRefuse) {
    struct Row { std::string text; std::vector<std::string> titles; bool counted; const char* listed = ""; };
    const Row rows[] = {
        {"The\tcat\r\nthe\n", {}, true, "      1       2  the\r\n"},
        {"the \x01 cat", {"Invalid input"}, false},
        {"the \x1F", {"Invalid input"}, false},
        {"", {"Clipboard empty"}, false},
    };
    for (const Row& r : rows) {
        Fixture f;
        f.params.inputIsFile = false;
        f.host.resultShown = true;  // figures of an earlier count
        f.host.clipboard = r.text;
        f.session.StartOrStopCount();
        EXPECT_EQ(f.host.titles(), r.titles) << r.text;
        EXPECT_EQ(f.session.wordsCounted, r.counted) << r.text;
        EXPECT_EQ(f.host.resultShown, r.counted) << r.text;
        EXPECT_NE(f.host.output.find(r.listed), std::string::npos) << f.host.output;
        // Counting the clipboard never shows its text itself in the box on the way.
        if (!r.text.empty()) EXPECT_EQ(f.host.everShown.find(r.text), std::string::npos) << r.text;
    }
}

// A count starts outside any comment, whatever the last one ended in.
TEST(CountingInput, CommentMarkersOfTheFileKind) {
    Fixture f;
    f.Count(f.dir.write("open.c", "one /* two\r\n"));
    const std::string listed = f.Count(f.dir.write("code.c", "alpha /* beta */ gamma\r\n"));
    const auto has = [&](const char* w) { return listed.find(w) != std::string::npos; };
    EXPECT_TRUE(has("alpha") && !has("beta") && has("gamma")) << listed;
    EXPECT_TRUE(f.host.barSteps.empty()) << "a progress bar for a small file";
}

TEST(FaultsCount, WriteFailureKeepsTheOldOutputFileAndLeavesTheBoxUnfilled) {
    Fixture f;
    const std::string in = f.dir / "in.txt";
    const std::string out = f.dir / "out.txt";
    TempFolder::Write(in, test::DistinctWords(400, 2));

    // The clean listing first: its size places the faults below.
    const std::string clean = f.Count(in, out);
    ASSERT_TRUE(f.host.messages.empty());
    const std::string file = TempFolder::Read(out);
    const int64_t size = int64_t(file.size());
    ASSERT_GT(size, 1000);
    const int64_t lastLine = int64_t(file.rfind("\r\n", file.size() - 3)) + 2;

    struct Row { const char* name; int64_t failAt; int err; const char* text; };
    const Row rows[] = {
        {"before the header", 0, ENOSPC, "Error 61: Disk full"},
        {"last line", lastLine, EDQUOT, "Error 61: Disk full"},
        {"final flush", size, ENOSPC, "Error 61: Disk full"},
        {"device", size / 3, EIO, "Error 57: Device I/O error"},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        f.faults.failWriteAt = r.failAt;
        f.faults.writeErrno = r.err;
        const std::string text = r.text;
        EXPECT_EQ(f.Count(in, out), "Output file not written: " + text.substr(text.find(": ") + 2));
        ASSERT_EQ(f.host.messages.size(), 1u);
        EXPECT_EQ(f.host.messages[0].text, r.text);
        EXPECT_EQ(f.host.messages[0].title, "Error");
        EXPECT_TRUE(f.host.messages[0].icon == Icon::Exclamation && f.host.messages[0].buttons == Buttons::OK);
        EXPECT_EQ(TempFolder::Read(out), file);  // the old listing is kept
        EXPECT_EQ(std::distance(std::filesystem::directory_iterator(f.dir.path()), {}), 2);  // no temporary left
        EXPECT_FALSE(f.session.OutputFileWritten());
        EXPECT_FALSE(f.session.Running());

        f.faults.clear();
        EXPECT_EQ(f.Count(in, out), clean);
        EXPECT_TRUE(f.host.messages.empty());
        EXPECT_EQ(TempFolder::Read(out), file);
    }
}

// A failed read, before any word or mid-count, ends the count with one
// message naming the file: no listing of the words before it, no "no words"
// notice, no result counts, the last output file kept and not claimed as written.
TEST(FaultsCount, ReadErrorEndsTheCountWithItsMessageAlone) {
    Fixture f;
    const std::string in = f.dir / "in.txt", out = f.dir / "out.txt";
    TempFolder::Write(in, TwoBlockText(4096, 50));
    f.Count(in, out);
    ASSERT_TRUE(f.host.messages.empty());
    ASSERT_TRUE(f.session.OutputFileWritten());
    const std::string listing = TempFolder::Read(out);
    for (const int64_t at : {int64_t(0), kBlock}) {
        SCOPED_TRACE(at);
        f.faults.failReadAt = at;
        const std::string shown = f.Count(in, out);  // at most the words as they were read
        EXPECT_EQ(shown.find("Rank"), std::string::npos) << shown;
        EXPECT_EQ(shown.find("No words"), std::string::npos) << shown;
        ASSERT_EQ(f.host.messages.size(), 1u);
        EXPECT_EQ(f.host.messages[0].text, in + " could not be read.\r\n\r\nError 57: Device I/O error");
        EXPECT_EQ(f.host.messages[0].title, "Error");
        EXPECT_FALSE(f.host.resultShown);
        EXPECT_FALSE(f.session.OutputFileWritten());
        EXPECT_FALSE(f.session.wordsCounted);
        EXPECT_EQ(TempFolder::Read(out), listing);
    }
}

// Ticking "Ignore common words" in the parameters window while a count runs
// must not load the file under the count: the count stays whole. The HTML
// count's entity mode does not carry over into the loading after it either:
// there "&#" inside a comment is just text.
TEST(CommonWords, NotLoadedUnderARunningCountNorInItsEntityMode) {
    Fixture f;
    const std::string common = f.dir.write("common.txt", "/* skipped\r\n&#\r\nhidden */\r\nthe\r\n");
    const std::string input = f.dir.write("page.htm", "<p>the cat &amp; the dog</p>\r\n<p>caf&#233; sat</p>\r\n");
    const std::string whole = f.Count(input);
    f.params.commonWordsFile = f.params.commonWordsFileText = common;
    bool ticked = false;
    f.host.onYield = [&] {
        if (!ticked) f.session.SetIgnoreCommonWords(1);  // as the window's check box does
        ticked = true;
    };
    EXPECT_EQ(f.Count(input), whole);
    ASSERT_EQ(f.host.messages.size(), 1u);
    EXPECT_EQ(f.host.messages[0].text.substr(0, 37), "Common words cannot be read while wor");
    EXPECT_EQ(f.params.ignoreCommonWords, 0);
    EXPECT_FALSE(f.session.commonWordsLoaded);
    ASSERT_TRUE(f.session.ReadCommonWordsFile());
    EXPECT_EQ(f.session.NumCommonWords(), 1);
}

// The common-words files made at build time, one row per language: each is in
// the data folder, where the chooser opens; it loads silently, one entry per
// word; its own words all go (final-s forms and both spellings of a word too);
// a sentence keeps its content.
TEST(CommonWordsFiles, LoadWholeAndLeaveOnlyContentWords) {
    struct Row { const char* lang; const char* sentence; std::set<std::string> kept; bool every = false; };
    const Row rows[] = {
        {"de", "Der Hund wei\xC3\x9F, dass die Katze schlafen mu\xC3\x9F, da\xC3\x9F das Haus still ist.",
         {"hund", "wei\xC3\x9F", "katze", "schlafen", "haus", "still"}},
        {"fr", "Le chien dort dans la maison avec nous.", {"chien", "dort", "maison"}},
        {"it", "Il gatto dorme nella casa con noi.", {"gatto", "dorme", "casa"}},
        {"es", "\xC3\x89ste es el perro que duerme en la casa con nosotros.",
         {"perro", "duerme", "casa"}},
        {"ru", "Он сказал, что Москва — это большой город, и мы были там.", {"москва", "это", "большой", "город"}, true},
        {"sv", "Hunden sover i huset med oss och katten.", {"hunden", "sover", "huset", "katten"}, true},
        {"pt", "Eles t\xC3\xAAm um c\xC3\xA3o que dorme na casa.", {"c\xC3\xA3o", "dorme", "casa"}},
    };
    Fixture f;
    f.session.SelectCommonWordsFile();
    EXPECT_EQ(f.host.dialogFolder, ProgramFolder());
    for (const Row& r : rows) {
        SCOPED_TRACE(r.lang);
        f.session.SetLetters(r.every);
        f.params.commonWordsFile = ProgramFolder() + "/cwds_" + r.lang + ".txt";
        f.host.messages.clear();
        ASSERT_TRUE(f.session.ReadCommonWordsFile());
        EXPECT_TRUE(f.host.messages.empty());
        const std::string file = TempFolder::Read(f.params.commonWordsFile);
        const std::string body = file.substr(file.find("*/") + 2);  // after the header
        std::istringstream words(body);
        const std::set<std::string> distinct{std::istream_iterator<std::string>(words), {}};
        EXPECT_EQ(size_t(f.session.NumCommonWords()), distinct.size());

        f.params.ignoreCommonWords = 1;
        f.params.ignoreShortWords = 0;
        f.Count(f.dir.write("body.txt", body));
        EXPECT_EQ(f.session.NumWordsIncluded(), 0) << f.host.output;

        f.params.ignoreShortWords = 1;
        std::istringstream listing(f.Count(f.dir.write("sentence.txt", r.sentence)));
        std::string heads, rank, freq, word;
        std::set<std::string> listed;
        for (std::getline(listing, heads); listing >> rank >> freq >> word;) listed.insert(word);
        EXPECT_EQ(listed, r.kept) << f.host.output;
    }
    // The words loaded go with their file's name: with none named (as after
    // Reinitialize, or from a state without one) none are left out or claimed.
    f.params.commonWordsFile.clear();
    EXPECT_NE(f.Count(f.dir / "sentence.txt").find("  eles\r\n"), std::string::npos) << f.host.output;
    EXPECT_FALSE(f.session.LastResult().ignoring);
}

}  // namespace
}  // namespace kvx
