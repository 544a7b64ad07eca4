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
#include "scanning/StrProc.h"
#include "scanning/WordSink.h"

namespace kvx {

struct Params;

namespace KVXProc {

/// Every non-letter character any parameter can allow in a word.
inline constexpr std::string_view strAllPossibleExtraChars = "'0123456789-_@:/.\\";
/// Characters that may stand inside a word but never begin or end one.
inline constexpr std::string_view strProhibitedInitialOrFinalChars = "-'.:,()+";

class Scanner {
public:
    // Set by the owner before use.
    const Params* params = nullptr;  ///< read live
    RunObserver* observer = nullptr;  ///< yield() after every word if it yields; marker errors; may be null
    WordSink* sink = nullptr;        ///< receives the words
    const bool* blnStop = nullptr;   ///< tested right after each yield; null = never stop
    std::string strWordsToIgnore;    ///< " a b " form or empty (cp1252)
    const std::vector<std::string>* strCommonWords = nullptr;  ///< entries 1..n, sorted
    int32_t lngNumCommonWords = 0;

    // Scanner state.
    std::string strLine;
    int64_t lngLP = 1;
    bool blnReadingWords = false;
    bool blnCommentsPossible = false;
    bool blnCharacterEntitiesPossible = false;
    int16_t intNumCommentMarkers = 0;
    int16_t intWithinComment = -1;
    std::array<std::string, 10> strStartCommentMarker;  ///< cp1252
    std::array<std::string, 10> strEndCommentMarker;    ///< cp1252; empty = to end of line
    int64_t lngTotalNumOccurrences = 0;

    Scanner() { SetExtraChars({}); }
    /// Sets the extra characters allowed in words from the parameters.
    void SetAllowedExtraChars();
    /// Sets the extra characters allowed in words and rebuilds the character
    /// tables for them.
    void SetExtraChars(std::string chars);
    /// Scans strLine (which must end with the pad blank) and hands on its words.
    void ScanLine();
    /// ScanLine for a line already cleaned (StrProc::PrepareLineInPlace);
    /// without mayHoldHyphen the line has no hyphen to look at.
    void ScanCleanLine(bool mayHoldHyphen = true);
    /// Drops the words to ignore and the common words; hands the rest to the sink.
    void GetWords2(std::string_view strWord);
    /// Index of the marker pair whose start marker stands at lngLP, or -1.
    int16_t FindStartCommentMarker();
    /// Moves lngLP past the open comment (or to the end of the line).
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
    /// Cuts the word at lngLP, moves lngLP past it, returns it normalised
    /// (a view into strLine; empty when the word is dropped).
    std::string_view GetNextWord();
    /// The run of word characters w as a word: final characters dropped,
    /// the word rules applied (empty when the word is dropped).
    std::string_view FinishWord(std::string_view w);
    bool ShowError(std::string_view text);

    enum : unsigned char { kWord = 1, kInitial = 2, kFinal = 4 };
    std::string strAllowedExtraChars;
    std::array<unsigned char, 256> charClass_{};
    StrProc::CharTable markerFirst_{};
};

}  // namespace KVXProc
}  // namespace kvx
