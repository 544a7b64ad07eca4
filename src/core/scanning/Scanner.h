#pragma once
// The line scanner and its word rules.
//
// ScanLine turns one prepared line (lower-cased where case does not matter,
// followed by one pad blank) into words:
//   CleanLine -> ReplaceDoubleHyphens -> ConvertCharacterEntities (counting)
//   -> walk the line: comments skipped, separators stepped over,
//      GetNextWord at every word start -> GetWords2 (ignore lists) -> sink.
// The per-character work is done with 256-entry tables, built when the
// allowed extra characters are set.

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "base/RunObserver.h"
#include "scanning/UnicodeScanner.h"
#include "scanning/WordText.h"
#include "scanning/WordSink.h"

namespace kvx {

struct Params;

namespace scanning {

/// Every non-letter character any parameter can allow in a word.
inline constexpr std::string_view kAllPossibleExtraChars = "'0123456789-_@:/.\\";
/// Characters that may stand inside a word but never begin or end one.
inline constexpr std::string_view kProhibitedInitialOrFinalChars = "-'.:,()+";

class Scanner {
public:
    // Set by the owner before use.
    const Params* params = nullptr;  ///< read live
    RunObserver* observer = nullptr;  ///< yield() after every word if it yields; marker errors; may be null
    WordSink* sink = nullptr;        ///< receives the words
    const bool* stopRequested = nullptr;   ///< tested right after each yield; null = never stop
    std::string wordsToIgnore;    ///< " a b " form or empty (cp1252)
    const std::vector<std::string>* commonWords = nullptr;  ///< entries 1..n, sorted
    int32_t commonWordCount = 0;

    // Scanner state.
    std::string currentLine;
    int64_t linePosition = 1;
    bool readingWords = false;
    bool commentsPossible = false;
    bool entitiesPossible = false;
    int16_t commentMarkerCount = 0;
    int16_t withinComment = -1;
    std::array<std::string, 10> startCommentMarker;  ///< cp1252
    std::array<std::string, 10> endCommentMarker;    ///< cp1252; empty = to end of line
    int64_t totalInstances = 0;
    /// Tells the sink where a run of consecutive words ends: at a word
    /// dropped or ignored, sentence punctuation (. ! ? ;) between words,
    /// and a skipped comment or markup.
    bool phraseBreaks = false;
    /// Shows the sink each line as read before it is prepared (ScanLines).
    bool lineStarts = false;
    /// The letters of every script (on: lines are UTF-8, and so are the
    /// words, the lists to ignore and the markers); set before the extra
    /// characters.
    UnicodeLine unicode;

    Scanner() { SetExtraChars({}); }
    /// Sets the extra characters allowed in words from the parameters.
    void SetAllowedExtraChars();
    /// Sets the extra characters allowed in words and rebuilds the character
    /// tables for them.
    void SetExtraChars(std::string chars);
    /// Scans currentLine (which must end with the pad blank) and hands on its words.
    void ScanLine();
    /// ScanLine for a line already cleaned (wordtext::PrepareLineInPlace);
    /// without mayHoldHyphen the line has no hyphen to look at.
    void ScanCleanLine(bool mayHoldHyphen = true);
    /// Drops the words to ignore and the common words; hands the rest to the sink.
    void GetWords2(std::string_view word);
    /// Index of the marker pair whose start marker stands at linePosition, or -1.
    int16_t FindStartCommentMarker();
    /// Moves linePosition past the open comment (or to the end of the line).
    void SkipComment();
    /// Loads a comment kind: "C", "XML", "HTML", "PHP", "User-defined"; any
    /// other name loads none.
    void SetCommentMarkers(std::string_view kind);
    /// Chooses the comment kind for a lower-cased file extension; false when
    /// user-defined markers are wanted but refused.
    bool SetCommentMarkersForExtension(std::string_view ext);
    /// Checks the user-defined marker texts for emptiness and equality.
    bool ValidateCommentMarkers();
    /// ValidateCommentMarkers, then refuses a start marker that is a word.
    bool CommentMarkersOK();

private:
    /// Rebuilds the first-character filter of the start markers.
    void RefreshMarkerFilter();
    /// FindStartCommentMarker behind a quick test of the first character.
    int16_t FindStartCommentMarkerFast();
    /// Cuts the word at linePosition, moves linePosition past it, returns it normalised
    /// (a view into currentLine; empty when the word is dropped).
    std::string_view GetNextWord();
    /// The run of word characters w as a word: final characters dropped,
    /// the word rules applied (empty when the word is dropped).
    std::string_view FinishWord(std::string_view w);
    bool ShowError(std::string_view text);
    template <bool kBreaks>
    void ScanWords();
    /// Ends the sink's run when a sentence ends between from and to.
    void BreakAtSentenceEnd(const char* from, const char* to);
    const char* gapFrom_ = nullptr;  // where the text after the last word handed on begins
    /// A marker as typed (UTF-8) in the form of the scanner's lines.
    std::string MarkerCodes(const std::string& typed) const;
    /// The UTF-8 words of a word of the shadow line, cut where a script
    /// written without spaces needs it; f(word) for each.
    template <class F>
    void ForEachUnicodeWord(std::string_view w, F&& f);

    enum : unsigned char { kWord = 1, kInitial = 2, kFinal = 4 };
    std::string allowedExtraChars;
    std::array<unsigned char, 256> charClass_{};
    wordtext::CharTable markerFirst_{};
    std::vector<size_t> cuts_;
};

}  // namespace scanning
}  // namespace kvx
