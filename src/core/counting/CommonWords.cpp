// The common words to ignore: loading the file through the scanner, and the
// handlers of the parameters window's common-words controls.

#include <new>

#include "counting/CountingSession.h"
#include "files/FileChecks.h"
#include "scanning/WordText.h"
#include "scanning/TextLists.h"

namespace kvx {
namespace {

constexpr int64_t kCheckedBytes = 16384;

}  // namespace

bool CountingSession::CommonWordsInForce() const {
    return params.ignoreCommonWords == 1 && !params.commonWordsFile.empty();
}

void CountingSession::SetDefaultCommonWordsFile() {
    params.commonWordsFile = ProgramFolder() + "/cwds_en.txt";
    params.commonWordsFileText = params.commonWordsFile;
    host.paramsChanged();
}

bool CountingSession::ReadCommonWordsFile() {
    stopRequested = false;
    relay_.diagnostics.clear();
    params.commonWordsFile = std::string(wordtext::TrimBlanks(params.commonWordsFile));
    const std::string path = params.commonWordsFile;
    if (path.empty()) return false;
    if (!filecheck::FileExists(path)) {
        if (startUpCompleted) {
            Report(Diagnostic::Kind::Error, "File not found", "File for common words not found.");
        } else {
            SetDefaultCommonWordsFile();
            params.ignoreCommonWords = 0;
            host.paramsChanged();
        }
        return false;
    }
    int16_t bad = 0;
    int16_t kind = filecheck::TextFileKind(path, kCheckedBytes, bad);
    if (kind == filecheck::kNotText) {
        Report(Diagnostic::Kind::Error, "Invalid input", "This is not a text file.");
        return false;
    }
    if (kind == filecheck::kTextCr)
        Report(Diagnostic::Kind::Note, "Warning", std::string(filecheck::LineEndingWarning(kind)));

    // The words read are not shown, and comments are skipped whatever the
    // parameters say.
    ApplyLetters();
    commonWordsEveryScript_ = everyScript_;
    scanner.readingWords = true;
    relay_.readingWords = true;
    scanner.SetExtraChars(std::string(scanning::kAllPossibleExtraChars));
    ResetWordTable();
    scanner.SetCommentMarkers("C");
    // An HTML count leaves the entity mode on; here "&#" in a comment is text.
    scanner.entitiesPossible = false;
    host.paramsChanged();
    ConcealNumWords();
    host.showMainWindow();
    host.setOutputText("Now reading common words ...");
    SetCountRunning(true);
    scanner.withinComment = -1;

    bool result = false;
    try {
        const RunError e = ReadLines(path, [&](std::string& line) {
            line = std::string(wordtext::TrimBlanks(line));
            if (!line.empty()) {
                if (everyScript_)
                    line = text::LowerUtf8(line);
                else
                    wordtext::LowerCaseExtInPlace(line);
                line += ' ';
                scanner.ScanLine();
            }
            host.yield();
            return !stopRequested;
        });
        if (e.number != 0) {
            Report(Diagnostic::Kind::Error, texts.Get(Message::ProgramTitle), ErrorNumberText(texts.Get(Message::ErrorTitle), e),
                   Icon::None);
        } else if (!stopRequested) {
            table.Finish();
            commonWords.assign(1, std::string());
            commonWords.reserve(size_t(table.size()) + 1);
            for (int32_t i = 0; i < table.size(); ++i) commonWords.emplace_back(table.Word(i));
            commonWordCount = table.size();
            result = true;
        }
    } catch (const std::bad_alloc&) {
        Report(Diagnostic::Kind::Error, texts.Get(Message::ProgramTitle),
               ErrorNumberText(texts.Get(Message::ErrorTitle), {ErrorNumber::OutOfMemory, "Out of memory"}), Icon::None);
    }
    scanner.currentLine.clear();
    scanner.readingWords = false;
    relay_.readingWords = false;
    SetCountRunning(false);
    host.setOutputText("");
    stopRequested = false;
    return result;
}

void CountingSession::AttemptToReadCommonWords() {
    if (running_) {
        // The parameters window stays usable during a count, but loading
        // would empty the word table and take over the scanner under it.
        host.message("Common words cannot be read while words are being counted or listed.\r\n"
                     "Tick the box again when the count has finished.",
                     texts.Get(Message::ProgramTitle), Icon::Information, Buttons::OK);
        commonWordsLoaded = false;
        SetIgnoreCommonWords(0);
        return;
    }
    host.enableControls(false);
    commonWordsLoaded = ReadCommonWordsFile();
    host.enableControls(true);
    if (commonWordsLoaded) {
        host.wordsFound(-1, true);
        std::string head = commonWordCount == 1
                               ? std::string("One common word")
                               : wordtext::NumberInWords(commonWordCount, host.formatGrouped(commonWordCount)) + " common words";
        host.message(head + " loaded from " + params.commonWordsFile, "Common words loaded",
                     Icon::Information, Buttons::OK);
        params.commonWordsFileText = params.commonWordsFile;
        host.paramsChanged();
        SetIgnoreCommonWords(1);
    } else {
        SetIgnoreCommonWords(0);
    }
    wordsCounted = false;
}

void CountingSession::SetIgnoreCommonWords(int16_t value) {
    if (params.ignoreCommonWords == value) return;
    params.ignoreCommonWords = value;
    host.paramsChanged();
    IgnoreCommonWordsChanged();
}

void CountingSession::IgnoreCommonWordsChanged() {
    if (!startUpCompleted || settingControls) return;
    if (params.ignoreCommonWords == 1) {
        if (params.commonWordsFile.empty()) {
            host.message("Please specify the file containing common words.",
                         "Ignore common words in file:", Icon::None, Buttons::OK);
            settingControls = true;
            params.ignoreCommonWords = 0;
            host.paramsChanged();
            settingControls = false;
        } else if (commonWordsLoaded) {
            host.message("This file has already been loaded.  Click on 'Clear' "
                         "and re-select the file if it has been changed on disk.",
                         "Common words loaded", Icon::None, Buttons::OK);
        } else {
            AttemptToReadCommonWords();
            ConcealNumWords();
        }
    }
}

void CountingSession::SelectCommonWordsFile() {
    // Opens where the common-words files of the program are.
    std::string path = host.openFileDialog("Specify file of common words to ignore",
                                           "Any file containing only text (*.*) | *.*",
                                           ProgramFolder());
    if (path.empty()) return;
    params.commonWordsFile = filecheck::NormaliseDriveCase(path);
    params.commonWordsFileText = params.commonWordsFile;
    host.paramsChanged();
    AttemptToReadCommonWords();
    ConcealNumWords();
    if (commonWordsLoaded) {
        settingControls = true;
        params.ignoreCommonWords = 1;
        host.paramsChanged();
        settingControls = false;
    }
}

void CountingSession::ClearCommonWordsFile() {
    params.commonWordsFileText.clear();
    params.commonWordsFile.clear();
    settingControls = true;
    params.ignoreCommonWords = 0;
    host.paramsChanged();
    settingControls = false;
    commonWordsLoaded = false;
}

void CountingSession::CommonWordsFileEdited() {
    if (params.ignoreCommonWords == 0) {
        // A name typed into the box waits for the box to be ticked; an
        // emptied box names no file at once, and the loaded words go with it.
        if (wordtext::TrimBlanks(params.commonWordsFileText).empty()) ClearCommonWordsFile();
        return;
    }
    params.commonWordsFileText = std::string(wordtext::TrimBlanks(params.commonWordsFileText));
    host.paramsChanged();
    if (params.commonWordsFileText != params.commonWordsFile) {
        params.commonWordsFile = params.commonWordsFileText;
        params.ignoreCommonWords = 1;
        commonWordsLoaded = false;
        wordsCounted = false;
        host.paramsChanged();
        IgnoreCommonWordsChanged();
    }
}

}  // namespace kvx
