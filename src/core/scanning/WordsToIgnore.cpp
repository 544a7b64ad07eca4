#include "scanning/WordsToIgnore.h"

#include <vector>

#include "scanning/QuickSortStrings.h"
#include "scanning/WordText.h"
#include "scanning/TextLists.h"
#include "text/Cp1252.h"

namespace kvx {
namespace {

// A character has a code when it is an invalid byte (a Windows-1252 byte) or
// a character Windows-1252 holds; U+0081 is the one whose code is kNoCode.
bool HasCode(const text::Utf8Char& ch) {
    return !ch.valid || ch.code() != text::kNoCode || ch.value == text::kNoCode;
}

// The scanner's lower-casing applied to the characters that have a
// Windows-1252 code; characters without one come back as they were.
std::string LowerCaseKeepingOthers(std::string_view utf8) {
    std::string lowered = wordtext::LowerCaseExt(text::utf8ToCp1252(utf8));
    std::string out;
    out.reserve(utf8.size());
    size_t i = 0;
    for (const text::Utf8Char& ch : text::Utf8Chars(utf8)) {
        if (HasCode(ch)) text::appendUtf8(out, text::fromCp1252(static_cast<unsigned char>(lowered[i])));
        else out += ch.bytes;
        ++i;
    }
    return out;
}

}  // namespace

std::string NormaliseWordsToIgnore(std::string_view boxText, std::string& wordsToIgnore) {
    std::string_view trimmed = wordtext::TrimBlanks(boxText);
    if (trimmed.empty()) {
        wordsToIgnore.clear();
        return std::string(boxText);
    }
    std::string t = LowerCaseKeepingOthers(trimmed);
    for (char& c : t)
        if (c == ',') c = ' ';
    // Collapse runs of blanks to one, then trim again.
    std::string collapsed;
    collapsed.reserve(t.size());
    for (char c : t)
        if (c != ' ' || collapsed.empty() || collapsed.back() != ' ') collapsed += c;
    t = std::string(wordtext::TrimBlanks(collapsed));
    if (t.empty()) {  // the box held only commas and blanks
        wordsToIgnore.clear();
        return t;
    }

    std::vector<std::string> words;
    wordtext::SplitText(t, " ", 1, words, false);
    wordtext::RemoveDuplicateStrings(words);
    if (words.size() > 1) QuickSort::SortStrings(words, 0, static_cast<int>(words.size()) - 1);
    std::string joined = wordtext::JoinText(words, " ");
    wordsToIgnore = " " + joined + " ";
    return joined;
}

std::string CheckAllowedExtraChars(const Params& p) {
    if (p.wordsToIgnoreText.empty()) return {};
    const std::string allowed = AllowedExtraChars(p);
    const std::string_view letters(wordtext::kAllLetters);
    for (const text::Utf8Char& ch : text::Utf8Chars(p.wordsToIgnoreText)) {
        const unsigned char code = ch.code();
        bool ok = HasCode(ch) && code != text::kNoCode &&
                  (code == ' ' || letters.find(static_cast<char>(code)) != std::string_view::npos ||
                   allowed.find(static_cast<char>(code)) != std::string::npos);
        if (ok) continue;

        // A stray byte is shown as the Windows-1252 character it stands for.
        std::string shown;
        if (ch.valid) shown.assign(ch.bytes);
        else text::appendUtf8(shown, text::fromCp1252(code));

        static constexpr std::string_view kForbidden = "+;<>\"";
        bool forbidden = shown.size() == 1 && kForbidden.find(shown[0]) != std::string_view::npos;
        std::string msg = "The character " + shown + " occurs in some word to ignore" + "\r\n" +
                          "but is not " + (forbidden ? "" : "currently set as ") +
                          "a character allowed in a word.";
        if (shown == ",")
            msg += "\r\n\r\nWords-to-ignore must be separated by a space, not by a comma.";
        return msg;
    }
    return {};
}

}  // namespace kvx
