#include "params/WordsToIgnore.h"

#include <vector>

#include "scanning/KVXProc.h"
#include "scanning/StrProc.h"
#include "scanning/StrProcLists.h"
#include "shell/Host.h"
#include "text/Cp1252.h"
#include "words/QuickSortStrings.h"

namespace kvx {
namespace {

// One character of UTF-8 text: its bytes and its Windows-1252 code.
struct Char {
    std::string_view bytes;
    unsigned char code;
    bool hasCode;
};

// Cuts UTF-8 text into characters; a byte that is not valid UTF-8 is taken
// as a Windows-1252 byte, as utf8ToCp1252 does.
std::vector<Char> Characters(std::string_view s) {
    std::vector<Char> out;
    out.reserve(s.size());
    for (size_t i = 0; i < s.size();) {
        char32_t c;
        size_t k = text::decodeUtf8(s, i, c);
        if (k == 0) {
            unsigned char b = static_cast<unsigned char>(s[i]);
            out.push_back({s.substr(i, 1), b, true});
            i += 1;
            continue;
        }
        unsigned char code = text::toCp1252(c);
        out.push_back({s.substr(i, k), code, code != text::kNoCode || c == text::kNoCode});
        i += k;
    }
    return out;
}

// The scanner's lower-casing applied to the characters that have a
// Windows-1252 code; characters without one come back as they were.
std::string LowerCaseKeepingOthers(std::string_view utf8) {
    std::vector<Char> chars = Characters(utf8);
    std::string cp;
    cp.reserve(chars.size());
    for (const Char& ch : chars) cp += static_cast<char>(ch.hasCode ? ch.code : text::kNoCode);
    std::string lowered = StrProc::LowerCaseExt(cp);
    if (lowered.size() != chars.size()) return text::cp1252ToUtf8(lowered);  // not expected
    std::string out;
    out.reserve(utf8.size());
    for (size_t i = 0; i < chars.size(); ++i) {
        if (chars[i].hasCode) text::appendUtf8(out, text::fromCp1252(static_cast<unsigned char>(lowered[i])));
        else out += chars[i].bytes;
    }
    return out;
}

}  // namespace

std::string NormaliseWordsToIgnore(std::string_view boxText, std::string& strWordsToIgnore) {
    std::string_view trimmed = StrProc::TrimBlanks(boxText);
    if (trimmed.empty()) {
        strWordsToIgnore.clear();
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
    t = std::string(StrProc::TrimBlanks(collapsed));
    if (t.empty()) {  // the box held only commas and blanks
        strWordsToIgnore.clear();
        return t;
    }

    std::vector<std::string> words;
    StrProc::SplitText(t, " ", 1, words, false);
    StrProc::RemoveDuplicateStrings(words);
    if (words.size() > 1) QuickSort::SortStrings(words, 0, static_cast<int>(words.size()) - 1);
    std::string joined = StrProc::JoinText(words, " ");
    strWordsToIgnore = " " + joined + " ";
    return joined;
}

bool CheckAllowedExtraChars(const Params& p, Host& host) {
    if (p.txbWordsToIgnore.empty()) return true;
    const std::string allowed = KVXProc::AllowedExtraChars(p);
    const std::string_view letters(StrProc::strAllLetters);
    for (const Char& ch : Characters(p.txbWordsToIgnore)) {
        bool ok = ch.hasCode && ch.code != text::kNoCode &&
                  (ch.code == ' ' || letters.find(static_cast<char>(ch.code)) != std::string_view::npos ||
                   allowed.find(static_cast<char>(ch.code)) != std::string::npos);
        if (ok) continue;

        // A stray byte is shown as the Windows-1252 character it stands for.
        std::string shown;
        char32_t c;
        if (text::decodeUtf8(ch.bytes, 0, c) == ch.bytes.size()) shown.assign(ch.bytes);
        else text::appendUtf8(shown, text::fromCp1252(ch.code));

        static constexpr std::string_view kForbidden = "+;<>\"";
        bool forbidden = shown.size() == 1 && kForbidden.find(shown[0]) != std::string_view::npos;
        std::string msg = "The character " + shown + " occurs in some word to ignore" + "\r\n" +
                          "but is not " + (forbidden ? "" : "currently set as ") +
                          "a character allowed in a word.";
        if (shown == ",")
            msg += "\r\n\r\nWords-to-ignore must be separated by a space, not by a comma.";
        host.message(msg, "Character not allowed", Icon::Exclamation, Buttons::OK);
        return false;
    }
    return true;
}

}  // namespace kvx
