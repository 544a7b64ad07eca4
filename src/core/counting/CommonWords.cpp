// The common words to ignore: loading the file through the scanner, and the
// handlers of the parameters window's common-words controls.

#include <new>

#include "counting/CountingSession.h"
#include "files/FileProc.h"
#include "scanning/StrProc.h"
#include "scanning/StrProcLists.h"

namespace kvx {
namespace {

constexpr int64_t kCheckedBytes = 16384;

}  // namespace

bool CountingSession::CommonWordsInForce() const {
    return params.chkIgnoreCommonWords == 1 && !params.strCommonWordsFile.empty();
}

void CountingSession::SetDefaultCommonWordsFile() {
    params.strCommonWordsFile = ProgramFolder() + "/cwds_en.txt";
    params.txbCommonWordsFile = params.strCommonWordsFile;
    host.paramsChanged();
}

bool CountingSession::ReadCommonWordsFile() {
    blnStop = false;
    presenter_.diagnostics.clear();
    params.strCommonWordsFile = std::string(StrProc::TrimBlanks(params.strCommonWordsFile));
    const std::string path = params.strCommonWordsFile;
    if (path.empty()) return false;
    if (!FileProc::FileExists(path)) {
        if (blnStartUpCompleted) {
            Report(Diagnostic::Kind::Error, "File not found", "File for common words not found.");
        } else {
            SetDefaultCommonWordsFile();
            params.chkIgnoreCommonWords = 0;
            host.paramsChanged();
        }
        return false;
    }
    int16_t bad = 0;
    int16_t kind = FileProc::TextFileKind(path, kCheckedBytes, bad);
    if (kind == FileProc::kNotText) {
        Report(Diagnostic::Kind::Error, "Invalid input", "This is not a text file.");
        return false;
    }
    if (kind == FileProc::kTextCr)
        Report(Diagnostic::Kind::Note, "Warning", std::string(FileProc::LineEndingWarning(kind)));

    // The words read are not shown, and comments are skipped whatever the
    // parameters say.
    scanner.blnReadingWords = true;
    presenter_.readingWords = true;
    scanner.SetExtraChars(std::string(KVXProc::strAllPossibleExtraChars));
    ResetWordTable();
    scanner.SetCommentMarkers("C");
    // An HTML count leaves the entity mode on; here "&#" in a comment is text.
    scanner.blnCharacterEntitiesPossible = false;
    host.paramsChanged();
    ConcealNumWords();
    host.showMainWindow();
    host.setOutputText("Now reading common words ...");
    SetCountRunning(true);
    scanner.intWithinComment = -1;

    bool result = false;
    try {
        const RunError e = ReadLines(path, [&](std::string& line) {
            line = std::string(StrProc::TrimBlanks(line));
            if (!line.empty()) {
                StrProc::LowerCaseExtInPlace(line);
                line += ' ';
                scanner.ScanLine();
            }
            host.yield();
            return !blnStop;
        });
        if (e.number != 0) {
            Report(Diagnostic::Kind::Error, texts.GetProgramText(1), ErrorNumberText(texts.GetProgramText(34), e),
                   Icon::None);
        } else if (!blnStop) {
            table.Finish();
            strCommonWords.assign(1, std::string());
            strCommonWords.reserve(table.lngNumWords + 1);
            for (int32_t i = 1; i <= table.lngNumWords; ++i)
                strCommonWords.push_back(table.WordList[i].strWord);
            lngNumCommonWords = table.lngNumWords;
            result = true;
        }
    } catch (const std::bad_alloc&) {
        Report(Diagnostic::Kind::Error, texts.GetProgramText(1),
               ErrorNumberText(texts.GetProgramText(34), {ErrorNumber::OutOfMemory, "Out of memory"}), Icon::None);
    }
    scanner.strLine.clear();
    scanner.blnReadingWords = false;
    presenter_.readingWords = false;
    SetCountRunning(false);
    host.setOutputText("");
    blnStop = false;
    return result;
}

void CountingSession::AttemptToReadCommonWords() {
    if (running_) {
        // The parameters window stays usable during a count, but loading
        // would empty the word table and take over the scanner under it.
        host.message("Common words cannot be read while words are being counted or listed.\r\n"
                     "Tick the box again when the count has finished.",
                     texts.GetProgramText(1), Icon::Information, Buttons::OK);
        blnCommonWordsLoaded = false;
        SetIgnoreCommonWords(0);
        return;
    }
    host.enableControls(false);
    blnCommonWordsLoaded = ReadCommonWordsFile();
    host.enableControls(true);
    if (blnCommonWordsLoaded) {
        host.setLabel(Label::NumberOfWords, "");
        std::string head = lngNumCommonWords == 1
                               ? std::string("One common word")
                               : StrProc::NumberInWords(lngNumCommonWords, host.formatGrouped(lngNumCommonWords)) + " common words";
        host.message(head + " loaded from " + params.strCommonWordsFile, "Common words loaded",
                     Icon::Information, Buttons::OK);
        params.txbCommonWordsFile = params.strCommonWordsFile;
        host.paramsChanged();
        SetIgnoreCommonWords(1);
    } else {
        SetIgnoreCommonWords(0);
    }
    blnWordsGot = false;
}

void CountingSession::SetIgnoreCommonWords(int16_t value) {
    if (params.chkIgnoreCommonWords == value) return;
    params.chkIgnoreCommonWords = value;
    host.paramsChanged();
    chkIgnoreCommonWords_Click();
}

void CountingSession::chkIgnoreCommonWords_Click() {
    if (!blnStartUpCompleted || blnSettingControls) return;
    if (params.chkIgnoreCommonWords == 1) {
        if (params.strCommonWordsFile.empty()) {
            host.message("Please specify the file containing common words.",
                         "Ignore common words in file:", Icon::None, Buttons::OK);
            blnSettingControls = true;
            params.chkIgnoreCommonWords = 0;
            host.paramsChanged();
            blnSettingControls = false;
        } else if (blnCommonWordsLoaded) {
            host.message("This file has already been loaded.  Click on 'Clear' "
                         "and re-select the file if it has been changed on disk.",
                         "Common words loaded", Icon::None, Buttons::OK);
        } else {
            AttemptToReadCommonWords();
            ConcealNumWords();
        }
    }
}

void CountingSession::cmdSelectCommonWordsFile_Click() {
    // Opens where the common-words files of the program are.
    std::string path = host.openFileDialog("Specify file of common words to ignore",
                                           "Any file containing only text (*.*) | *.*",
                                           ProgramFolder());
    if (path.empty()) return;
    params.strCommonWordsFile = FileProc::NormaliseDriveCase(path);
    params.txbCommonWordsFile = params.strCommonWordsFile;
    host.paramsChanged();
    AttemptToReadCommonWords();
    ConcealNumWords();
    if (blnCommonWordsLoaded) {
        blnSettingControls = true;
        params.chkIgnoreCommonWords = 1;
        host.paramsChanged();
        blnSettingControls = false;
    }
}

void CountingSession::cmdClearCommonWordsFile_Click() {
    params.txbCommonWordsFile.clear();
    params.strCommonWordsFile.clear();
    blnSettingControls = true;
    params.chkIgnoreCommonWords = 0;
    host.paramsChanged();
    blnSettingControls = false;
    blnCommonWordsLoaded = false;
}

void CountingSession::txbCommonWordsFile_LostFocus() {
    if (params.chkIgnoreCommonWords == 0) {
        // A name typed into the box waits for the box to be ticked; an
        // emptied box names no file at once, and the loaded words go with it.
        if (StrProc::TrimBlanks(params.txbCommonWordsFile).empty()) cmdClearCommonWordsFile_Click();
        return;
    }
    params.txbCommonWordsFile = std::string(StrProc::TrimBlanks(params.txbCommonWordsFile));
    host.paramsChanged();
    if (params.txbCommonWordsFile != params.strCommonWordsFile) {
        params.strCommonWordsFile = params.txbCommonWordsFile;
        params.chkIgnoreCommonWords = 1;
        blnCommonWordsLoaded = false;
        blnWordsGot = false;
        host.paramsChanged();
        chkIgnoreCommonWords_Click();
    }
}

}  // namespace kvx
