#pragma once
// The counting session: everything the main window does that decides a
// result, without any widget.
//
// One count, from the count command to the listed result:
//   StartOrStopCount -> CountWords
//     -> CountWordsInFile: CheckInputFile (names, size, text check), then
//        ScanFile (LineReader, one line at a time, through ScanLines)
//        or CheckClipboard + CountWordsOnClipboard (the whole text as one line)
//     -> Scanner::ScanLine per line -> GetWords2 (ignore lists) -> WordTable
//     -> SortWordList -> OrderEqualKeys (case significant) -> FilterWords
//     -> CountIncludedWords -> BuildFrequencyChain -> ShowResultCounts
//     -> ListWords (output file first, then the text box), or the listing
//        sink the command line chose (one file or standard output).
// The engine below the session knows no window: it reports to the session's
// relay, which passes everything on to the Host as numbers and states. The parameters are the
// live Params the window binds; only the session changes them.

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "base/Errors.h"
#include "base/RunObserver.h"
#include "counting/HostRelay.h"
#include "params/Params.h"
#include "scanning/Contexts.h"
#include "scanning/Scanner.h"
#include "shell/Host.h"
#include "shell/MessageTable.h"
#include "text/Unicode.h"
#include "words/Listing.h"
#include "words/Ranking.h"
#include "words/WordTable.h"

namespace kvx {

class LineReader;

/// What a count of files makes: the listing, the raw counts of the inputs
/// (a counts file), or the listing of counts files added together.
enum class CountsMode { None, Write, Merge };

/// What a count gives: whether it ran, the figures of its result, how its
/// listing ended and the messages it showed.
struct CountResult : ResultFigures {
    bool ran = false;          // a pass ran (to its end, stopped or after a reported error)
    bool failed = false;       // a run-time error was reported
    bool outOfMemory = false;  // that error was a lack of memory
    int32_t differentWords = 0;  // in the table, the ones the rules exclude included
    ListingOutcome listing;
    std::vector<Diagnostic> diagnostics;
};

/// The text of the last error among ds, "" when there is none.
std::string LastError(const std::vector<Diagnostic>& ds);

class CountingSession {
public:
    CountingSession(Params& params, Host& host, const MessageTable& texts);

    // Main-window state shared by the passes, the listing and the windows.
    bool stopRequested = false;
    bool wordsCounted = false;
    bool listDisplayed = false;
    bool startUpCompleted = false;
    bool commonWordsLoaded = false;
    int16_t progressBarWidth = 37;
    int32_t maxClipboardChars = 100000;

    /// The count command: sets stopRequested while a count runs, else counts.
    void StartOrStopCount();
    /// True while a count or listing runs (the count command is its Stop button).
    bool Running() const { return running_; }

    /// Counts (a refusal included) and says how it went; also kept as LastResult().
    CountResult CountWords();
    const CountResult& LastResult() const { return result_; }
    /// The messages shown since the last count or common-words load began.
    const std::vector<Diagnostic>& Diagnostics() const { return relay_.diagnostics; }
    bool CheckClipboard(bool showText);
    void ConcealNumWords();
    void ClearOutput();
    /// Lists the finished result again (order or format changed); clears a
    /// stop left over from an earlier listing first.
    void ListWords();

    /// Checks an input file and has its size shown (messages after start-up only).
    bool ValidateInputFile(const std::string& path);
    /// Has the size of the file at path shown, or none when there is no
    /// such file (quietly, for a name being typed).
    void ShowInputFileSize(const std::string& path);

    // Common words (counting/CommonWords.cpp).
    bool ReadCommonWordsFile();
    void AttemptToReadCommonWords();
    void SetDefaultCommonWordsFile();
    /// Sets ignoreCommonWords; a change runs its click handler, as a
    /// check box set by the program does.
    void SetIgnoreCommonWords(int16_t value);
    void IgnoreCommonWordsChanged();
    void SelectCommonWordsFile();
    void ClearCommonWordsFile();
    void CommonWordsFileEdited();
    /// True when a count leaves the common words out: the box is ticked and
    /// a file is named. The words loaded go with the name of their file, so
    /// with no name (after Reinitialize, say) none are left out.
    bool CommonWordsInForce() const;

    /// True while the parameters window sets its own controls: the
    /// common-words check box's handler then does nothing.
    bool settingControls = false;
    /// Counts an open stream (standard input) instead of the named file,
    /// called name in messages; fd -1 goes back to the named file.
    void SetInputStream(int fd, std::string name) {
        streamFd_ = fd;
        streamName_ = std::move(name);
    }
    /// The extension whose comment and markup rules apply instead of the
    /// input's own; unset, a stream has no comment markers.
    void SetRulesExtension(std::string ext) {
        rulesExt_ = std::move(ext);
        rulesExtSet = true;
    }
    bool rulesExtSet = false;
    /// Several inputs counted as one text, in this order ("-": the stream);
    /// empty: the named file or the stream alone.
    void SetInputs(std::vector<std::string> inputs) { inputs_ = std::move(inputs); }
    /// A pipe or character device named as an input is read once, as the
    /// stream is, and checked when its turn comes (the command line).
    bool namedStreams = false;
    /// The input being checked or counted when the last count ended.
    const std::string& CurrentInput() const { return currentInput_; }
    /// Bytes of the inputs read so far by the count (of the counts files by
    /// a merge), updated about once a megabyte; any thread may ask.
    int64_t BytesRead() const { return bytesRead_.load(std::memory_order_relaxed); }
    /// The advice that ends the not-a-text-file message for a small file.
    std::string notTextAdvice =
        "You could try reading it using its associated application, then copying the "
        "text and pasting it\r\ninto the textbox (then copy it to the clipboard and "
        "select 'Clipboard' as the source).";
    /// The listing's format when it goes to one file or standard output.
    void SetListingFormat(ListingFormat f) { lister.format = f; }
    /// Counts files instead of the listing (Write), or the listing of the
    /// counts files given as inputs (Merge). Both go to the listing sink.
    void SetCountsMode(CountsMode m) { countsMode_ = m; }
    /// Ends a count after its pass, leaving the words as counted in
    /// CountedTable() for the caller: nothing is ranked or listed.
    void SetTableOnly(bool only) { tableOnly_ = only; }
    WordTable& CountedTable() { return table; }
    /// Counts runs of n consecutive words (2..5) instead of words; 0: words.
    void SetPhraseLength(int n) { phraseLength_ = n; }
    int PhraseLength() const { return phraseLength_; }
    /// The clipboard text the last count of the clipboard took (UTF-8).
    const std::string& ClipboardText() const { return clipboardText; }
    /// Keeps where each word equal to entry (as the table holds it: cp1252,
    /// lower-cased unless case is significant) was found in the inputs, with
    /// width characters either side; "" keeps none. Not with phrases.
    void SetContexts(std::string entry, int width) {
        contextEntry_ = std::move(entry);
        contextWidth_ = width;
    }
    /// The occurrences of the entry the last count found, in the order of the text.
    const ContextRows& Contexts() const { return contexts_; }
    /// The same, moved out.
    ContextRows TakeContexts() {
        ContextRows rows = std::move(contexts_);
        contexts_ = {};
        return rows;
    }
    /// The fingerprint of the word rules a counts file records.
    std::string WordRulesFingerprint() const;
    /// Counts with up to n threads when the result goes to a file or standard
    /// output. A file without comment markers is split at line starts into
    /// pieces of about pieceBytes; other inputs are counted whole, side by side.
    void SetJobs(int n, int64_t pieceBytes = int64_t(16) << 20) {
        jobs_ = n;
        pieceBytes_ = pieceBytes;
    }
    /// Pieces counted on several threads are sorted by their workers and
    /// merged, not added word by word in order of first occurrence, when
    /// nothing shows the words as they are found and the result is listed:
    /// much faster with many different words. The host then hears of no
    /// words found before the count's end. Those pieces are of at most
    /// pieceBytes: a small piece's table is counted in the processor's cache.
    void SetMergedPieces(bool on, int64_t pieceBytes = int64_t(2) << 20) {
        mergedPieces_ = on;
        mergedPieceBytes_ = pieceBytes;
    }
    /// Where a count's result is listed (the window by default).
    void SetListingSink(ListingSink sink) {
        sink_ = sink;
        // Only the window shows the words as they are found.
        table.observer = sink == ListingSink::Window ? &relay_ : nullptr;
    }
    /// How the last count's listing to a file or standard output ended.
    const ListingOutcome& LastListing() const { return listing_; }

    /// The listed words of the last result, in the listing's order.
    std::vector<ListedWord> ListedWords();
    /// Writes the last result to path in one of the formats for other
    /// programs, without counting again; the file is replaced whole or not
    /// at all. The error number is 0 when it was written.
    ListingOutcome SaveListingAs(const std::string& path, ListingFormat format);
    /// Goes up by one each time a result is listed (counted or re-listed).
    int64_t ListingsMade() const { return listingsMade_; }

    /// The result of the last count.
    int32_t NumWordsIncluded() const { return int32_t(figures.wordsInList); }
    /// The number of common words loaded.
    int32_t NumCommonWords() const { return commonWordCount; }
    /// True while the common words are being read.
    bool ReadingCommonWords() const { return scanner.readingWords; }
    /// True while a listing pass writes to the output file.
    bool WritingToFile() const { return lister.writingToFile; }
    /// True once the last listing's output file was written whole.
    bool OutputFileWritten() const { return lister.outputFileWritten; }
    /// Puts the scanner back to the default comment markers.
    void SetDefaultCommentMarkers() { scanner.SetCommentMarkers("C"); }

    /// The letters of every script: lines, words and lists are UTF-8, and
    /// the alphabetical order is that of the collator of a language ("":
    /// the user's locale's language). Off: Windows-1252 letters, as ever
    /// (counting/Letters.cpp).
    void SetLetters(bool everyScript, std::string collationLanguage = {});
    bool LettersOfEveryScript() const { return everyScript_; }
    /// The collation language in force under the letters of every script.
    std::string CollationLanguage() const;

    /// SetAllowedExtraChars for the current parameters.
    void SetAllowedExtraChars();

private:
    bool CountWordsInFile();
    bool CountWordsOnClipboard();
    void Count();
    void ShowResultCounts();
    /// Keeps the message for the count's result and shows it.
    void Report(Diagnostic::Kind kind, std::string title, std::string text, Icon icon = Icon::Exclamation);
    bool CheckInputFile(const std::string& input, int64_t& length);
    bool CheckText(const std::string& input, int64_t& length);
    /// What the tolerant text check found; length: the bytes it read.
    struct TextCheck {
        int16_t kind = 0;
        uint8_t bad = 32;
        int64_t position = 0;
        double percentage = 0;
        int64_t length = 0;
    };
    /// Checks the start of an open stream, appending what it reads to head.
    static TextCheck CheckStream(int fd, std::string& head);
    /// The messages and questions of a text check: false when the count does not start.
    bool ShowTextCheck(const std::string& input, const TextCheck& c);
    /// True when the input is read as a stream: "-", or a pipe or device named.
    bool IsStreamInput(const std::string& input) const;
    /// Opens a named stream, waiting for a pipe's writer, until *abandon
    /// when given; "-" gives the stream set. -1 with the error set when it
    /// cannot be opened.
    int OpenStream(const std::string& input, RunError& error, const std::atomic<bool>* abandon = nullptr) const;
    /// Scans one input into the table (emptied first when first is set).
    void ScanFile(const std::string& input, int64_t length, bool first = true);
    /// The inputs' pieces scanned by worker threads into tables of their own,
    /// added to the table in input order (counting/ParallelScan.cpp).
    /// False when a stream's text check refused the count.
    bool ScanInParallel(const std::vector<std::string>& inputs, const std::vector<int64_t>& lengths,
                        const std::vector<bool>& streams);
    /// Loads the comment markers that apply to an input.
    void SetRulesFor(const std::string& input);
    /// Puts the controls and parameters back after a pass over the inputs.
    void EndScan();
    /// Has the empty progress bar shown for an input of length bytes, if it
    /// is long enough to have one.
    bool StartProgressBar(int64_t length);
    /// A stop asked for during a pass: true when it stops, after the "Stop"
    /// question for a count of many words; false (stopRequested cleared) when the
    /// pass goes on.
    bool StopConfirmed();
    /// Reads path line by line into the scanner's line, handing each to
    /// onLine until it returns false. The error number is 0 unless a read failed.
    RunError ReadLines(const std::string& path, const std::function<bool(std::string&)>& onLine);
    /// Opens path for ReadLines or ScanLines (the stream, when one is being
    /// read); false with the reader's error() set when it cannot be read.
    bool OpenLines(LineReader& reader, const std::string& path);
    void SetCountRunning(bool running);
    void ResetWordTable();
    void RunResultPhases();
    void Finish();
    void ReportError(int16_t number, std::string_view description);
    /// Reports an error that ended the reading of input; one that is not a
    /// lack of memory names the input and ends the count without a listing.
    void ReportReadError(const std::string& input, const RunError& e);
    void PrepareLister();
    /// Adds the counts files (the inputs) into the emptied table.
    bool LoadCounts();
    /// Writes the table, in order of first occurrence, as a counts file.
    ListingOutcome WriteCountsTo(ListingSink sink);

    /// Puts the letters chosen into the scanner, the table and the lister.
    void ApplyLetters();
    /// What the letters add to the word rules' fingerprint ("" by default).
    std::string LettersFingerprint() const;
    /// The words to ignore in the form of the scanner's lines.
    std::string IgnoreListText() const;

    Params& params;
    Host& host;
    const MessageTable& texts;
    HostRelay relay_;
    CountResult result_;
    /// Set when a pass ran (to its end, stopped or after a reported error):
    /// false after a count that was refused before it began.
    bool countRan = false;
    /// Set when a run-time error was reported during the last count. A failed
    /// read ends the count with its message; after memory ran out the words
    /// counted before it are listed in the window.
    bool errorReported = false;
    /// Set when that error was a lack of memory.
    bool outOfMemory = false;
    bool listingPartial = false;
    int16_t fileKind = 0;
    std::string clipboardText;  // UTF-8, as fetched
    scanning::Scanner scanner;
    WordTable table;
    RankedFigures figures;
    Lister lister;
    std::vector<std::string> commonWords;  // entries 1..commonWordCount (cp1252)
    int32_t commonWordCount = 0;
    ListingSink sink_ = ListingSink::Window;
    CountsMode countsMode_ = CountsMode::None;
    bool tableOnly_ = false;
    int phraseLength_ = 0;
    std::string contextEntry_;
    int contextWidth_ = 0;
    ContextRows contexts_;
    int32_t inputIndex_ = 0;  // of the input ScanFile reads
    /// Points the scanner s at a phrase builder or a context recorder (of
    /// input input) into target when phrases or contexts are counted
    /// (builder holds it), else at target. Returns the recorder made, if any.
    ContextRecorder* SetSink(scanning::Scanner& s, std::unique_ptr<WordSink>& builder, WordTable& target,
                             int32_t input) const;
    ListingOutcome listing_;
    bool running_ = false;
    bool readFailed_ = false;  // the last count ended at a failed read
    int64_t listingsMade_ = 0;
    int streamFd_ = -1;
    bool curStream_ = false;  // the input checked or read is the stream set
    int curFd_ = -1;          // the stream checked or read; -1: a file
    std::vector<std::string> inputs_;
    int jobs_ = 1;
    bool mergedPieces_ = false;
    int64_t mergedPieceBytes_ = 0;
    /// Whether the pieces of a count on several threads are merged (see
    /// SetMergedPieces), and the size of its pieces.
    bool MergesPieces() const;
    int64_t PieceBytes() const;
    int64_t pieceBytes_ = 0;
    std::atomic<int64_t> bytesRead_{0};
    std::string currentInput_;
    std::string streamName_;
    std::string streamRead_;  // what the text check took from the stream
    std::string rulesExt_;
    bool everyScript_ = false;
    bool commonWordsEveryScript_ = false;  // the letters the common words were read under
    std::string collationLanguage_;
    std::shared_ptr<const text::Collation> collation_;
};

}  // namespace kvx
