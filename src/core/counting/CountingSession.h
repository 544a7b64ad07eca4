#pragma once
// The counting session: everything the main window does that decides a
// result, without any widget.
//
// One count, from the count command to the listed result:
//   cmdListWords_Click -> CountWords
//     -> CountWordsInFile (checks, text check, LineReader, one line at a time)
//        or CheckClipboard + CountWordsOnClipboard (the whole text as one line)
//     -> Scanner::ScanLine per line -> GetWords2 (ignore lists) -> WordTable
//     -> SortWordList -> OrderEqualKeys (case significant) -> FilterWords
//     -> CountIncludedWords -> BuildFrequencyChain -> ShowResultCounts
//     -> ListWords (output file first, then the text box).
// The session shows nothing itself: every message, label and yield goes
// through the Host; the parameters are the live Params the window binds.

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "params/Params.h"
#include "scanning/KVXProc.h"
#include "shell/Host.h"
#include "shell/MessageTable.h"
#include "words/Listing.h"
#include "words/Ranking.h"
#include "words/WordTable.h"

namespace kvx {

class CountingSession {
public:
    CountingSession(Params& params, Host& host, const MessageTable& texts);

    Params& params;
    Host& host;
    const MessageTable& texts;

    // Main-window state shared by the passes, the listing and the windows.
    bool blnStop = false;
    bool blnWordsGot = false;
    bool blnListDisplayed = false;
    bool blnListingPartial = false;
    bool blnStartUpCompleted = false;
    bool blnCommonWordsLoaded = false;
    int16_t intFileKind = 0;
    int16_t intProgressBarWidth = 37;
    int16_t intSavedSuppressWords = 0;
    int32_t lngMaxClipboardChars = 100000;
    std::string strClipboardText;  // UTF-8, as fetched

    KVXProc::Scanner scanner;
    WordTable table;
    Results results;
    Lister lister;
    std::vector<std::string> strCommonWords;  // entries 1..lngNumCommonWords (cp1252)
    int32_t lngNumCommonWords = 0;

    /// The count command: sets blnStop while a count runs, else counts.
    void cmdListWords_Click();
    /// True while the count command is captioned "Stop".
    bool Running() const { return running_; }

    void CountWords();
    bool CountWordsInFile();
    bool CheckClipboard(bool blnShowText);
    bool CountWordsOnClipboard();
    void ShowResultCounts();
    void ConcealNumWords();
    void cmdClearOutput_Click();
    /// Lists the finished result again (order or format changed); clears a
    /// stop left over from an earlier listing first.
    void ListWords();
    /// The result-label texts in display order (empty ones included).
    std::vector<std::string> ResultLabelTexts() const { return labels_; }

    /// Checks an input file and shows its size (messages after start-up only).
    bool ValidateInputFile(const std::string& path);

    // Common words.
    bool ReadCommonWordsFile();
    void AttemptToReadCommonWords();
    void SetDefaultCommonWordsFile();
    /// Sets chkIgnoreCommonWords; a change runs its click handler, as a
    /// check box set by the program does.
    void SetIgnoreCommonWords(int16_t value);
    void chkIgnoreCommonWords_Click();
    void cmdSelectCommonWordsFile_Click();
    void cmdClearCommonWordsFile_Click();
    void txbCommonWordsFile_LostFocus();

    /// True while the parameters window sets its own controls: the
    /// common-words check box's handler then does nothing.
    bool blnSettingControls = false;
    /// The command line counts files without an extension too.
    bool blnRequireExtension = true;
    /// Set when a pass ran (to its end, stopped or after a reported error):
    /// false after a count that was refused before it began.
    bool blnCountRan = false;
    /// Set when a run-time error was reported during the last count (the
    /// words read before it are listed, but the count is incomplete).
    bool blnErrorReported = false;
    /// When set, the result is handed here instead of to ListWords (the
    /// command line writes the listing to its own stream).
    std::function<void()> listingOverride;

    /// The count command's idle caption (message text 73).
    std::string IdleCaption() const;
    /// SetAllowedExtraChars for the current parameters.
    void SetAllowedExtraChars();

private:
    void SetCountRunning(bool running);
    void ResetWordTable();
    void RunResultPhases();
    void Finish();
    void ReportError(int16_t number, std::string_view description);
    void SetLabel(Label which, const std::string& text);
    void ShowClipboardSize(int64_t n);
    std::string ProgressBar(int64_t p) const;
    void PrepareLister();

    bool running_ = false;
    std::vector<std::string> labels_ = std::vector<std::string>(4);
};

}  // namespace kvx
