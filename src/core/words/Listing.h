#pragma once
// The listing of a ranked word table, in alphabetical or frequency order, in
// one of ten column layouts, to one of three sinks: the window's (the output
// file when one is named and not disabled, then the output box), one file
// (written through OutputFile), or standard output.

#include <cstdint>
#include <functional>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "base/Errors.h"
#include "base/RunObserver.h"
#include "words/ListingFormats.h"
#include "words/Ranking.h"
#include "words/WordTable.h"

namespace kvx {

class IoFaults;
class MessageTable;
enum class Message : int16_t;
struct Params;

/// The message texts an error report is built from.
struct ErrorTexts {
    std::string overflow;       // text 27: why the box could not take the listing
    std::string noOutputFile;   // text 31: lead-in when no output file is named
    std::string fileDisabled;   // text 32: lead-in when output to the file is disabled
    std::string fileWritten;    // text 33: lead-in when the file holds the listing
    std::string errorTitle;     // text 34: title and lead-in of an error number
};

/// "Error 61: Disk full": the title (text 34), the number and the description.
std::string ErrorNumberText(std::string_view title, const RunError& error);

/// The body of the error message for a run-time error (number 6 or 7: the box
/// overflowed or memory ran out).
std::string ErrorMessageText(int16_t number, std::string_view description, const ErrorTexts& texts,
                             bool outputFileNamed, bool outputFileDisabled, bool outputFileWritten);

/// The two-line notice shown when no word survived the ignore rules, or the
/// one-line one when there were no words at all.
std::string NoWordsMessageText(int32_t wordCount, const Params& p);

/// Where a listing goes: the window lists to its output file (when one is
/// named) and then to the box; the command line to one file or to standard
/// output.
enum class ListingSink { Window, File, StandardOutput };

/// How a listing to a file or to standard output ended (the window's
/// listing reports its own errors).
struct ListingOutcome {
    bool attempted = false;      // the result reached the listing
    RunError error;              // number 0 when nothing failed
    bool failedWriting = false;  // the failure came while writing, not opening
    int err = 0;                 // errno of the failure, 0 when none
};

/// Runs `write` on the file `path`, which is replaced whole or not at all,
/// or on standard output when path is empty, and says how it went. The
/// simulated faults (tests only) apply to the file.
ListingOutcome WriteOut(const std::string& path, const std::function<void(std::ostream&)>& write,
                        IoFaults* faults = nullptr);

class Lister {
public:
    // Set by the owner before ListWords.
    const WordTable* table = nullptr;
    /// The ranked table's figures (totalInstances: the labels' last figure).
    const RankedFigures* figures = nullptr;
    const Params* params = nullptr;
    /// Errors, the overwrite question and turns of the event loop; may be null.
    RunObserver* observer = nullptr;
    /// The window's output box; null: the listing goes to files only.
    TextSink* box = nullptr;
    /// Simulated failures of the writes (tests only).
    IoFaults* faults = nullptr;
    const MessageTable* texts = nullptr;
    bool* stopRequested = nullptr;
    int16_t minColumnWidth = 6;
    int32_t maxTextLength = 32767;
    /// Line end of the file pass.
    std::string lineEnd = "\r\n";
    /// The format of the file pass (the window's layouts unless another).
    ListingFormat format = ListingFormat::Listing;
    int16_t rankWidth = 0, frequencyWidth = 0, wordWidth = 0;
    /// The table's words are UTF-8 already, and pad by their columns.
    bool utf8Words = false;
    bool writingToFile = false;
    bool outputFileWritten = false;

    /// The whole listing: the output file (params->fileNames[1]), then the box.
    void ListWords();
    /// Lists the result to sink. A failure to write a file is reported to
    /// the observer; one of standard output only in the outcome.
    ListingOutcome ListTo(ListingSink sink);
    /// One file pass into out (UTF-8 lines ended by lineEnd). Returns false
    /// when stopped or when the stream failed.
    bool WriteListing(std::ostream& out);

    /// Calls visit with each listed record, in the listing's order, until it
    /// returns false.
    void ForEachListed(const std::function<bool(const WordRecord&)>& visit) const;
    /// The listed words in the listing's order, as the formats write them.
    std::vector<ListedWord> ListedWords() const;

    /// Computes the column widths (the header is written by the passes).
    void SetColumnWidths();
    static constexpr int32_t kHeaderLine = -1;
    std::string RankField(int32_t i) const;
    std::string FreqField(int32_t i) const;
    std::string WordField(int32_t i) const;
    /// The line of record i (kHeaderLine: the header) in the current layout,
    /// plain or comma delimited by the destination; cp1252, no line end. ""
    /// for the header of the one-run layout.
    std::string BuildLine(int32_t i) const;
    /// Appends the line of record i (not the header) to line, as BuildLine
    /// makes it.
    void AppendLine(int32_t i, std::string& line) const;

    void ShowNoWordsMessage();
    void ReportError(int16_t number, std::string_view description);

private:
    enum class PassEnd { Completed, Stopped, Overflow, StreamFailed };

    bool StopRequested() const { return stopRequested && *stopRequested; }
    /// One listing pass to the file (out_ set) or to the box.
    PassEnd RunPass();
    /// The file pass in one of the formats for other programs.
    bool WriteFormatted(std::ostream& out);
    void DisplayNextLine(int32_t row, std::string& buffer);
    bool FlushBuffer(std::string& buffer);
    std::string Text(Message m) const;
    bool CommaLayout() const;
    /// A line or word of the listing in UTF-8.
    std::string Utf8(std::string_view s) const;

    std::ostream* out_ = nullptr;
    std::string line_;  // the line being written
    bool chunked_ = false;  // the listing file is written beside its making
    int32_t listed_ = 0;
    bool fileRefused_ = false;  // "No" to overwriting the output file
};

}  // namespace kvx
