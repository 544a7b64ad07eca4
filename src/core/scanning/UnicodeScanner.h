#pragma once
// Words of every script for the line scanner.
//
// Under the letters of every script a line is UTF-8. The scanner's tables
// know Windows-1252 codes, so it walks a shadow of the line instead: a line
// of the same length in which every byte of a character with a Windows-1252
// code is that code; of any other character, the last byte stands for its
// kind (a letter of Latin script, of another script, of a script written
// without spaces) and the others say whether it is part of a word.
// A word found in the shadow is the UTF-8 text at the same place. A text
// of Windows-1252 characters thus gives the words it gives otherwise.
// Runs of Han, kana, Thai, Lao, Khmer and Myanmar letters are cut into words
// by ICU's word break iterator.

#include <string>
#include <cstdint>
#include <functional>
#include <memory>
#include <string_view>
#include <vector>

#include "scanning/WordText.h"

struct UBreakIterator;

namespace kvx::scanning {

/// Shadow bytes (codes that Windows-1252 leaves undefined).
inline constexpr unsigned char kShadowInside = 0x8F;     ///< a word character's byte before its last
inline constexpr unsigned char kShadowLatin = 0x8D;      ///< a Latin letter or a digit without a code
inline constexpr unsigned char kShadowOther = 0x9D;      ///< a letter of another script
inline constexpr unsigned char kShadowSegmented = 0x90;  ///< a letter of a script without spaces

/// The cuts of runs of letters met before, by the run's UTF-8 text: an
/// open-addressed table of a hash's upper half and an offset into one
/// buffer that holds each run's length, its cuts, its text and its cut
/// offsets (a run is at most kLongest bytes). A lookup touches two places
/// in memory.
class CutCache {
public:
    static constexpr size_t kLongest = 96;
    /// The cuts of utf8 (ascending offsets) when known, or nullptr; n gets
    /// their number.
    const uint8_t* Find(std::string_view utf8, uint64_t hash, size_t& n) const;
    /// Keeps the cuts of utf8 (at most kLongest bytes, not yet kept); all
    /// is forgotten when the cache is full.
    void Add(std::string_view utf8, uint64_t hash, const std::vector<size_t>& cuts);
    static uint64_t Hash(std::string_view utf8) { return std::hash<std::string_view>{}(utf8); }

private:
    static constexpr size_t kMaxRuns = 1 << 18, kMaxBytes = 24u << 20;
    std::vector<uint64_t> slots_;  // 0 empty, else hash's upper half << 32 | (offset + 1)
    std::string data_;
    size_t runs_ = 0;
};

class UnicodeLine {
public:
    UnicodeLine() = default;
    /// A copy is switched on or off as the original, with buffers of its own.
    UnicodeLine(const UnicodeLine& o) : on(o.on) {}
    UnicodeLine& operator=(const UnicodeLine& o);
    ~UnicodeLine();

    /// The letters of every script are in force.
    bool on = false;

    /// Trims the control characters and blanks around a UTF-8 line, turns ’
    /// into the apostrophe, lower-cases it when lowerCase and cleans it as
    /// wordtext::PrepareLineInPlace does a line of codes.
    static wordtext::PreparedLine Prepare(std::string& line, bool lowerCase);
    /// The cleaning of Prepare alone (and the lower-casing of Latin-1
    /// letters when lowerLatin1).
    static wordtext::PreparedLine Clean(std::string& line, bool lowerLatin1 = false);
    /// Drops "ÿþ" or "þÿ" at the start of a UTF-8 line.
    static void DropByteOrderPair(std::string& line);
    /// The shadow of UTF-8 text (digits: non-ASCII digits are word characters).
    static std::string ShadowOf(std::string_view utf8, bool digits);
    /// Replaces a line holding non-ASCII characters by its shadow, keeping
    /// the UTF-8 (whose stray bytes are taken as Windows-1252 characters).
    void Shadow(std::string& line, bool digits);
    /// Whether the scanner's line is a shadow.
    bool Shadowed() const { return shadowed_; }
    /// The UTF-8 text of a word of the shadow line (a view into line);
    /// a character cut in two at either end is left out.
    std::string_view Utf8(std::string_view word, const std::string& line) const;
    /// Up to n bytes of the UTF-8 line from offset at.
    std::string_view Text(size_t at, size_t n) const { return std::string_view(utf8_).substr(at, n); }
    /// No letter of a script other than Latin in the shadow word.
    bool IsLatin(std::string_view word) const;
    /// A letter of a script written without spaces in the shadow word.
    bool NeedsCutting(std::string_view word) const;
    /// Offsets in the shadow word (a view into line) at which ICU's word
    /// break iterator cuts it, where a letter of a script without spaces
    /// stands on either side; ascending, without 0 and the end.
    void Cuts(std::string_view word, const std::string& line, std::vector<size_t>& cuts);

private:
    /// Whether the shadow line holds the shadow byte b of a letter.
    bool Holds(unsigned char b) const { return shadowed_ && (kinds_ & (1u << (b & 31))) != 0; }

    /// The cuts of a run of letters by ICU's word break iterator.
    void CutsByIcu(std::string_view word, size_t at, std::vector<size_t>& cuts);

    CutCache cutsOf_;
    std::string utf8_;
    unsigned kinds_ = 0;  // bit (b & 31) for each shadow byte b of a letter in the line
    bool shadowed_ = false;
    UBreakIterator* breaker_ = nullptr;
    std::vector<char16_t> utf16_;  // the run being cut
    std::vector<uint32_t> units_;  // UTF-8 offset of each UTF-16 unit of the run
};

}  // namespace kvx::scanning
