#pragma once
// String procedures and character tables of the scanner.
//
// Every text here is an 8-bit string of Windows-1252 codes (see text/Cp1252.h);
// positions are 1-based, as the rest of the program counts them. A character
// without a Windows-1252 code (text::kNoCode) classifies like '?'.

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace kvx::wordtext {

// ---------------------------------------------------------------------------
// Character tables (Windows-1252 codes). Upper and lower letters are partners
// position by position, as are accented and base letters; ligature k is
// spelled by characters 2k-1 and 2k of the spellings.

inline constexpr std::string_view kUpperLetters =
    "ABCDEFGHIJKLMNOPQRSTUVWXYZ\x8A\x8C\x9F\xC0\xC1\xC2\xC3\xC4\xC5\xC6\xC7\xC8\xC9\xCA\xCB"
    "\xCC\xCD\xCE\xCF\xD0\xD1\xD2\xD3\xD4\xD5\xD6\xD8\xD9\xDA\xDB\xDC\xDD\xDE";
inline constexpr std::string_view kLowerLetters =
    "abcdefghijklmnopqrstuvwxyz\x9A\x9C\xFF\xE0\xE1\xE2\xE3\xE4\xE5\xE6\xE7\xE8\xE9\xEA\xEB"
    "\xEC\xED\xEE\xEF\xF0\xF1\xF2\xF3\xF4\xF5\xF6\xF8\xF9\xFA\xFB\xFC\xFD\xFE\xDF";
inline constexpr std::string_view kAllLetters =
    "ABCDEFGHIJKLMNOPQRSTUVWXYZ\x8A\x8C\x9F\xC0\xC1\xC2\xC3\xC4\xC5\xC6\xC7\xC8\xC9\xCA\xCB"
    "\xCC\xCD\xCE\xCF\xD0\xD1\xD2\xD3\xD4\xD5\xD6\xD8\xD9\xDA\xDB\xDC\xDD\xDE"
    "abcdefghijklmnopqrstuvwxyz\x9A\x9C\xFF\xE0\xE1\xE2\xE3\xE4\xE5\xE6\xE7\xE8\xE9\xEA\xEB"
    "\xEC\xED\xEE\xEF\xF0\xF1\xF2\xF3\xF4\xF5\xF6\xF8\xF9\xFA\xFB\xFC\xFD\xFE\xDF";
inline constexpr std::string_view kAccentedLetters =
    "\x8A\x9F\xC0\xC1\xC2\xC3\xC4\xC5\xC7\xC8\xC9\xCA\xCB\xCC\xCD\xCE\xCF\xD0\xD1\xD2\xD3"
    "\xD4\xD5\xD6\xD8\xD9\xDA\xDB\xDC\xDD\x9A\xFF\xE0\xE1\xE2\xE3\xE4\xE5\xE7\xE8\xE9\xEA"
    "\xEB\xEC\xED\xEE\xEF\xF1\xF2\xF3\xF4\xF5\xF6\xF8\xF9\xFA\xFB\xFC\xFD";
inline constexpr std::string_view kBaseLetters =
    "SYAAAAAACEEEEIIIIDNOOOOOOUUUUYsyaaaaaaceeeeiiiinoooooouuuuy";
inline constexpr std::string_view kLigatureLetters = "\x8C\xC4\xC6\xD6\xDC\xE4\xE6\xF6\xFC\xDF";
inline constexpr std::string_view kLigatureSpellings = "OeAeAeOeUeaeaeoeuess";
/// Vowels of the final-s rule (y is not one).
inline constexpr std::string_view kVowels =
    "AEIOUaeiou\xC0\xC1\xC2\xC3\xC4\xC5\xC6\xC8\xC9\xCA\xCB\xCC\xCD\xCE\xCF\xD2\xD3\xD4\xD5"
    "\xD6\xD8\xD9\xDA\xDB\xDC\xE0\xE1\xE2\xE3\xE4\xE5\xE6\xE8\xE9\xEA\xEB\xEC\xED\xEE\xEF"
    "\xF2\xF3\xF4\xF5\xF6\xF8\xF9\xFA\xFB\xFC";
/// Stems of negative contractions, each followed by one blank.
inline constexpr std::string_view kContractionStems =
    "aren couldn didn doesn hadn hasn isn shouldn wasn weren wouldn ";
/// The character entities that are decoded: each entity directly followed by
/// the character it stands for, entries separated by one blank.
inline constexpr std::string_view kCharacterEntities =
    "&amp;& &nbsp; &#160; &#8212;\x97 &AElig;\xC6 &Aacute;\xC1 &Acirc;\xC2 &Agrave;\xC0 "
    "&Aring;\xC5 &Atilde;\xC3 &Auml;\xC4 &Ccedil;\xC7 &ETH;\xD0 &Eacute;\xC9 "
    "&Ecirc;\xCA &Egrave;\xC8 &Euml;\xCB &Iacute;\xCD &Icirc;\xCE &Igrave;\xCC "
    "&Iuml;\xCF &Ntilde;\xD1 &Oacute;\xD3 &Ocirc;\xD4 &Ograve;\xD2 &Oslash;\xD8 "
    "&Otilde;\xD5 &Ouml;\xD6 &THORN;\xDE &Uacute;\xDA &Ucirc;\xDB &Ugrave;\xD9 "
    "&Uuml;\xDC &Yacute;\xDD &aacute;\xE1 &acirc;\xE2 &aelig;\xE6 &agrave;\xE0 "
    "&aring;\xE5 &atilde;\xE3 &auml;\xE4 &ccedil;\xE7 &eacute;\xE9 &ecirc;\xEA "
    "&egrave;\xE8 &eth;\xF0 &euml;\xEB &iacute;\xED &icirc;\xEE &igrave;\xEC "
    "&iuml;\xEF &ntilde;\xF1 &oacute;\xF3 &ocirc;\xF4 &ograve;\xF2 &oslash;\xF8 "
    "&otilde;\xF5 &ouml;\xF6 &szlig;\xDF &thorn;\xFE &uacute;\xFA &ucirc;\xFB "
    "&ugrave;\xF9 &uuml;\xFC &yacute;\xFD &yuml;\xFF";

/// Longest word that WordLength measures.
inline constexpr int64_t kMaxWordLength = 65000;

// ---------------------------------------------------------------------------
// Word characters

/// A 256-entry yes/no table indexed by character code.
using CharTable = std::array<bool, 256>;

/// Whether c can be part of a word: a letter, a digit when numerals, or an
/// ASCII character of `extra`. Codes 128 and up ignore numerals and extra.
bool IsWordChar(unsigned char c, bool numerals, std::string_view extra);
/// IsWordChar for every code at once, for scanning loops.
CharTable WordCharTable(bool numerals, std::string_view extra);

/// Number of consecutive word characters of s from `start` on (at most 65000).
int64_t WordLength(std::string_view s, int64_t start, bool numerals, std::string_view extra);

// ---------------------------------------------------------------------------
// Word rules

/// Whether the first character is a vowel (only a lower-case one when
/// lowerCaseOnly); false for the empty text.
bool StartsWithVowel(std::string_view text, bool lowerCaseOnly);
/// IsContractionStem past its first test.
bool StemInList(std::string_view word);
/// Whether the lower-cased word followed by a blank occurs in the stem list.
/// A word must end in a character that ends a stem, in either case: most
/// words are turned away here without a call.
inline bool IsContractionStem(std::string_view word) {
    static constexpr auto kEnds = [] {
        std::array<bool, 256> t{};
        for (size_t i = 1; i < kContractionStems.size(); ++i)
            if (kContractionStems[i] == ' ') {
                const char c = kContractionStems[i - 1];
                t[static_cast<unsigned char>(c)] = true;
                if (c >= 'a' && c <= 'z') t[static_cast<unsigned char>(c - 'a' + 'A')] = true;
            }
        return t;
    }();
    return (word.empty() || kEnds[static_cast<unsigned char>(word.back())]) && StemInList(word);
}

// ---------------------------------------------------------------------------
// Line preparation

/// Backspaces removed; CR LF, CR, LF, tab, form feed and no-break space each
/// become one blank.
std::string CleanLine(std::string_view text);
/// CleanLine in place (no copy when there is nothing to clean).
void CleanLineInPlace(std::string& text);
/// Every "--" becomes two blanks, except after "<!" or before ">".
std::string ReplaceDoubleHyphens(std::string text);
/// ReplaceDoubleHyphens in place.
void ReplaceDoubleHyphensInPlace(std::string& text);

/// What PrepareLineInPlace found.
struct PreparedLine {
    bool empty = true;    ///< nothing left once trimmed
    bool hyphen = false;  ///< a hyphen is left, so "--" may be
};
/// TrimControlChars, then LowerCaseExtInPlace when lowerCase, then
/// CleanLineInPlace: the same text, in one pass over the line.
PreparedLine PrepareLineInPlace(std::string& text, bool lowerCase);

// ---------------------------------------------------------------------------
// Case and folding

/// True when no character of text is an accented letter.
bool HasNoFoldableLetters(std::string_view text);
/// Ordinary lower-casing of one code: A-Z, 192-222 except 215, and the
/// letters 138, 140, 142, 159.
unsigned char LowerCaseChar(unsigned char c);
/// Lower-casing by the letter tables (ordinary lower-casing when the text
/// holds no accented letter).
std::string LowerCaseExt(std::string_view text);
/// LowerCaseExt in place.
void LowerCaseExtInPlace(std::string& text);
/// Ligatures spelled out, then accents dropped (the sorting key of a word).
std::string FoldForSorting(std::string_view text);

// ---------------------------------------------------------------------------
// Character entities and control characters

/// The text with its known character entities replaced by their characters.
std::string ConvertCharacterEntities(std::string_view text);
/// For a text starting at an ampersand: 1 for a numeric reference, the length
/// of a named entity up to its semicolon, 0 for anything else.
int16_t CharacterEntityLength(std::string_view s);
/// First position at or after start whose character is not in set; length + 1
/// when there is none; 0 for an empty s, 1 for an empty set.
int64_t SkipCharsIn(std::string_view s, int64_t start, std::string_view set);
/// Removes the characters with codes 32 or less from both ends.
void TrimControlChars(std::string& s);

// ---------------------------------------------------------------------------
// Searching and editing by character set

/// First position at or after start that does not hold a blank, or 0.
int64_t FindNonBlank(std::string_view s, int64_t start);
/// Deletes every character at or after start that occurs in set.
void RemoveChars(std::string& s, std::string_view set, int64_t start);

}  // namespace kvx::wordtext
