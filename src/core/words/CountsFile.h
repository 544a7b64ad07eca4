#pragma once
// Counts files: the raw word counts of some inputs, before the rules that
// need the whole text (frequency, length, repetition, Roman numerals, no
// letter). Counts files of parts of a corpus, added in order, give the word
// table of the whole, so a corpus can be counted in shards and merged.
//
// The format (UTF-8, lines ended by LF; read also with CR LF and a UTF-8 mark):
//   kvx-counts 1                      format name and version
//   rules 0123456789abcdef            fingerprint of the word rules in force
//   occurrences 12345                 total instances of words (the labels' last figure)
//   words 678                         number of word lines that follow
//   COUNT<TAB>WORD                    one a line, in order of first occurrence

#include <cstdint>
#include <istream>
#include <ostream>
#include <string>
#include <vector>

#include "words/WordTable.h"

namespace kvx {

struct Params;

/// Sixteen hex digits naming the rules that decide what a word is and which
/// words are dropped before the table: case, allowed characters, final s,
/// the user's comment markers, words to ignore and the common words
/// (commonWords: entries 1..numCommonWords), and the letters when they are
/// not the default ("unicode" and the collation language).
std::string WordRulesFingerprint(const Params& p, const std::vector<std::string>& commonWords,
                                 int32_t numCommonWords, const std::string& letters = {});

/// Writes the table's records (in their present order) as a counts file.
void WriteCounts(std::ostream& out, const std::string& fingerprint, int64_t totalOccurrences,
                 const WordTable& table);

/// How ReadCounts may read the word lines of a counts file in parts, each on
/// a thread of its own, into an empty table in word order. A file they find
/// wrong is read again line by line, to say what is wrong and where.
struct CountsInParts {
    std::string path;                      ///< the file the stream was opened from
    int threads = 1;                       ///< parts read at once
    int64_t fromWords = int64_t(1) << 16;  ///< fewer word lines are read line by line
    bool done = false;                     ///< set when the word lines were read so
};

/// Adds the counts file read from in to table (new words after those it
/// holds) and its occurrences to totalOccurrences. The file must carry
/// fingerprint, and its words be ones that the word rules of p (case,
/// allowed characters) and the table's word length could have counted
/// (UTF-8 words when the table's are).
/// Returns "" when read whole, else why it was refused, naming the line
/// where it can; the table is then incomplete. With inWordOrder nothing
/// needs the order of the file: into an empty table the words are added
/// without being looked up and sorted by word on two threads (repeats are
/// found then, and refused at the same line). Given inParts, the word
/// lines of a large file are read from its path on several threads.
std::string ReadCounts(std::istream& in, const std::string& fingerprint, const Params& p, WordTable& table,
                       int64_t& totalOccurrences, bool inWordOrder = false, CountsInParts* inParts = nullptr);

}  // namespace kvx
