#include "words/CountsFile.h"

#include <cstdio>
#include <limits>

#include "params/Params.h"
#include "text/Cp1252.h"

namespace kvx {
namespace {

const char* const kFormatLine = "kvx-counts 1";

// FNV-1a, 64 bits: stable across machines and builds.
uint64_t Fnv(const std::string& s) {
    uint64_t h = 0xcbf29ce484222325ULL;
    for (unsigned char c : s) h = (h ^ c) * 0x100000001b3ULL;
    return h;
}

// A decimal number without sign or leading zeros; false when s is not one.
bool ParseCount(const std::string& s, int64_t& n) {
    if (s.empty() || s.size() > 19 || (s.size() > 1 && s[0] == '0')) return false;
    n = 0;
    for (char c : s) {
        if (c < '0' || c > '9') return false;
        n = n * 10 + (c - '0');
    }
    return n >= 0;
}

// The next LF-ended line; false at the end or on a line without its LF.
bool NextLine(std::istream& in, std::string& line, bool& truncated) {
    line.clear();
    if (!std::getline(in, line)) return false;
    if (in.eof()) {  // the last line lacks its LF: the file was cut short
        truncated = true;
        return false;
    }
    return true;
}

// "key value" with the key expected; the value in value.
bool Field(std::istream& in, const char* key, std::string& value, bool& truncated) {
    std::string line;
    if (!NextLine(in, line, truncated)) return false;
    const std::string lead = std::string(key) + " ";
    if (line.rfind(lead, 0) != 0) return false;
    value = line.substr(lead.size());
    return true;
}

}  // namespace

std::string WordRulesFingerprint(const Params& p, const std::vector<std::string>& commonWords,
                                 int32_t numCommonWords) {
    std::string s = "case " + std::to_string(p.chkCaseSignificant == 1) + "\nchars " +
                    AllowedExtraChars(p) + "\nfinal-s " + std::to_string(p.chkDropFinalS == 1) +
                    "\ncomments " + std::to_string(p.chkAllowCommentMarkers == 1) + "\n";
    if (p.chkAllowCommentMarkers == 1)
        for (int i = 0; i < 2; ++i) s += p.txbStartComment[i] + "\t" + p.txbEndComment[i] + "\n";
    s += "ignore " + p.strWordsToIgnore + "\ncommon " + std::to_string(p.chkIgnoreCommonWords == 1) + "\n";
    if (p.chkIgnoreCommonWords == 1)
        for (int32_t i = 1; i <= numCommonWords && size_t(i) < commonWords.size(); ++i)
            s += commonWords[i] + "\n";
    char hex[17];
    std::snprintf(hex, sizeof hex, "%016llx", static_cast<unsigned long long>(Fnv(s)));
    return hex;
}

void WriteCounts(std::ostream& out, const std::string& fingerprint, int64_t totalOccurrences,
                 const std::vector<WordRecord>& list, int32_t n) {
    out << kFormatLine << "\nrules " << fingerprint << "\noccurrences " << totalOccurrences
        << "\nwords " << n << "\n";
    std::string line;
    for (int32_t i = 1; i <= n && out; ++i) {
        line = std::to_string(list[i].lngFreq);
        line += '\t';
        line += text::cp1252ToUtf8(list[i].strWord);
        line += '\n';
        out << line;
    }
}

std::string ReadCounts(std::istream& in, const std::string& fingerprint, WordTable& table,
                       int64_t& totalOccurrences) {
    constexpr int64_t kMax = std::numeric_limits<int64_t>::max();
    bool truncated = false;
    const std::string cut = "The counts file is incomplete (it ends early).";
    std::string line;
    if (!NextLine(in, line, truncated) || line != kFormatLine)
        return truncated && line.rfind("kvx-counts", 0) == 0
                   ? cut
                   : "This is not a counts file (its first line is not \"" + std::string(kFormatLine) + "\").";
    std::string rules, value;
    if (!Field(in, "rules", rules, truncated)) return truncated ? cut : "The counts file has no \"rules\" line.";
    if (rules != fingerprint)
        return "The counts were made under other word rules (" + rules + ", these are " + fingerprint +
               "); count with the same parameters.";
    int64_t occurrences = 0, words = 0;
    if (!Field(in, "occurrences", value, truncated) || !ParseCount(value, occurrences))
        return truncated ? cut : "The counts file has a bad \"occurrences\" line.";
    if (!Field(in, "words", value, truncated) || !ParseCount(value, words))
        return truncated ? cut : "The counts file has a bad \"words\" line.";
    for (int64_t i = 1; i <= words; ++i) {
        const std::string where = "Line " + std::to_string(i + 4) + " of the counts file ";
        if (!NextLine(in, line, truncated)) return cut;
        const size_t tab = line.find('\t');
        int64_t count = 0;
        if (tab == std::string::npos || !ParseCount(line.substr(0, tab), count) || count == 0)
            return where + "is not a count, a tab and a word.";
        const std::string word = text::utf8ToCp1252(std::string_view(line).substr(tab + 1));
        if (word.empty() || word.find_first_of("\t\r ") != std::string::npos ||
            word.find(char(text::kNoCode)) != std::string::npos ||
            text::cp1252ToUtf8(word) != std::string_view(line).substr(tab + 1))
            return where + "does not hold a word.";
        if (!table.AddCount(word, count)) return where + "makes a count too large.";
    }
    if (in.peek() != std::char_traits<char>::eof())
        return "The counts file has more lines than its \"words\" line says.";
    if (occurrences > kMax - totalOccurrences) return "The counts make a total too large.";
    totalOccurrences += occurrences;
    return {};
}

}  // namespace kvx
