#include "scanning/KVXProc.h"

#include <algorithm>
#include <bit>
#include <cstring>

#include "params/Params.h"
#include "scanning/BinarySearch.h"
#include "text/Cp1252.h"

namespace kvx::KVXProc {

namespace {

inline unsigned char U(char c) { return static_cast<unsigned char>(c); }

const Params& DefaultParams() {
    static const Params p;
    return p;
}

// Case-insensitive for A-Z only; the texts compared against are ASCII.
inline bool EqualsAsciiNoCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        unsigned char x = U(a[i]), y = U(b[i]);
        if (x >= 'A' && x <= 'Z') x = static_cast<unsigned char>(x + 32);
        if (y >= 'A' && y <= 'Z') y = static_cast<unsigned char>(y + 32);
        if (x != y) return false;
    }
    return true;
}

// Whether the text at s[from..] equals m, both sides ordinarily lower-cased.
bool MatchesNoCase(std::string_view s, size_t from, std::string_view m) {
    if (from > s.size() || s.size() - from < m.size()) return false;
    for (size_t j = 0; j < m.size(); ++j)
        if (StrProc::LowerCaseChar(U(s[from + j])) != StrProc::LowerCaseChar(U(m[j]))) return false;
    return true;
}

const std::string& NumericReferenceChars() {
    static const std::string set = std::string(StrProc::strAllLetters) + "0123456789;";
    return set;
}

constexpr const char* kCheckMarkers = "Check the comment markers in the 'Set parameters' panel";
constexpr const char* kOrDisallow = "and perhaps disallow comment markers.";

}  // namespace

void Scanner::SetAllowedExtraChars() {
    SetExtraChars(AllowedExtraChars(params ? *params : DefaultParams()));
}

void Scanner::SetExtraChars(std::string chars) {
    strAllowedExtraChars = std::move(chars);
    std::string initial = strAllowedExtraChars;
    StrProc::RemoveChars(initial, strProhibitedInitialOrFinalChars, 1);
    const StrProc::CharTable word = StrProc::WordCharTable(false, strAllowedExtraChars);
    const StrProc::CharTable init = StrProc::WordCharTable(false, initial);
    for (int c = 0; c < 256; ++c) {
        unsigned char v = 0;
        if (word[c]) v |= kWord;
        if (init[c]) v |= kInitial;
        if (strProhibitedInitialOrFinalChars.find(static_cast<char>(c)) != std::string_view::npos)
            v |= kFinal;
        charClass_[c] = v;
    }
}

void Scanner::RefreshMarkerFilter() {
    markerFirst_.fill(false);
    int n = std::clamp<int>(intNumCommentMarkers, 0, 10);
    for (int i = 0; i < n; ++i)
        if (!strStartCommentMarker[i].empty())
            markerFirst_[StrProc::LowerCaseChar(U(strStartCommentMarker[i][0]))] = true;
}

void Scanner::ScanLine() {
    StrProc::CleanLineInPlace(strLine);
    ScanCleanLine();
}

void Scanner::ScanCleanLine(bool mayHoldHyphen) {
    if (blnReadingWords) {
        blnCommentsPossible = true;
    } else {
        blnCommentsPossible = intNumCommentMarkers > 0;
        if (mayHoldHyphen) StrProc::ReplaceDoubleHyphensInPlace(strLine);
        if (blnCharacterEntitiesPossible) strLine = StrProc::ConvertCharacterEntities(strLine);
    }
    if (blnCommentsPossible) RefreshMarkerFilter();
    lngLP = 1;

    const int64_t len = static_cast<int64_t>(strLine.size());
    // With no list to look in, GetWords2 would hand the word straight on.
    // Only a yield can change the lists or the parameters.
    auto straightOn = [this] {
        return strWordsToIgnore.empty() && (!params || params->chkIgnoreCommonWords != 1) && sink;
    };
    bool toSink = straightOn();
    const bool yields = observer && observer->yields;
    // Hands a word on; false when the count is to stop.
    auto handOn = [&](std::string_view w) {
        if (!w.empty()) {
            if (blnReadingWords) {
                if (sink) sink->AddWordToList(w);
            } else {
                ++lngTotalNumOccurrences;
                if (toSink)
                    sink->AddWordToList(w);
                else
                    GetWords2(w);
            }
        }
        if (yields) {
            observer->yield();
            toSink = straightOn();
        }
        return !(blnStop && *blnStop);
    };

    if (!blnCommentsPossible) {
        // No comment can start: words are found with masks of which of 64
        // characters can begin a word and which can be part of one, so that
        // the walk branches once a word rather than once a character.
        const char* const text = strLine.data();
        const size_t n = strLine.size();
        size_t block = 0;  // first character of the masked block
        uint64_t initial = 0, inWord = 0;
        auto mask = [&](size_t at) {
            block = at & ~size_t{63};
            initial = inWord = 0;
            const size_t k = std::min<size_t>(64, n - block);
            unsigned char cls[64 + 8] = {};
            for (size_t j = 0; j < k; ++j) cls[j] = charClass_[U(text[block + j])];
            // Bit 0 of each of eight bytes gathered into the eight bits of one.
            constexpr uint64_t kLow = 0x0101010101010101ULL, kGather = 0x0102040810204080ULL;
            for (size_t g = 0; g < k; g += 8) {
                uint64_t x;
                std::memcpy(&x, cls + g, 8);
                inWord |= (((x & kLow) * kGather) >> 56) << g;
                initial |= ((((x >> 1) & kLow) * kGather) >> 56) << g;
            }
        };
        static_assert(kWord == 1 && kInitial == 2);
        mask(0);
        size_t pos = 0;
        for (;;) {
            if (pos - block >= 64) {  // also when a word too long was cut before the block
                if (pos >= n) return;
                mask(pos);
            }
            const uint64_t starts = initial >> (pos - block);
            if (starts == 0) {
                pos = block + 64;
                continue;
            }
            const size_t from = pos + static_cast<size_t>(std::countr_zero(starts));
            if (from + 1 >= n) return;  // the pad blank is never examined
            size_t end = from;
            for (;;) {  // to the first character that is not part of a word
                if (end - block >= 64) {
                    if (end >= n) break;
                    mask(end);
                }
                const uint64_t outside = ~(inWord >> (end - block));
                const size_t run = outside == 0 ? 64 : static_cast<size_t>(std::countr_zero(outside));
                if (run < 64 - (end - block)) {
                    end += run;
                    break;
                }
                end = block + 64;
            }
            end = std::min(end, from + static_cast<size_t>(StrProc::kMaxWordLength));
            lngLP = static_cast<int64_t>(end) + 1;
            if (!handOn(FinishWord(std::string_view(text + from, end - from)))) return;
            pos = end;
        }
    }

    for (;;) {
        if (lngLP >= len) return;  // the pad blank is never examined
        if (intWithinComment == -1) intWithinComment = FindStartCommentMarkerFast();
        while (intWithinComment >= 0) {
            SkipComment();
            if (lngLP > len) return;  // still open: goes on in the next line
            if (lngLP == len && strLine[len - 1] == ' ') {
                intWithinComment = -1;
                return;
            }
            intWithinComment = FindStartCommentMarkerFast();
        }
        if (charClass_[U(strLine[lngLP - 1])] & kInitial) {
            if (!handOn(GetNextWord())) return;
        } else {
            // FindNonBlank from the next position, inline: the commonest step.
            int64_t q = lngLP;  // 0-based index of the next position
            while (q < len && strLine[q] == ' ') ++q;
            if (q >= len) return;
            lngLP = q + 1;
        }
    }
}

[[gnu::always_inline]] inline std::string_view Scanner::GetNextWord() {
    const std::string_view line = strLine;
    if (lngLP < 1 || lngLP > static_cast<int64_t>(line.size())) return {};
    const size_t from = static_cast<size_t>(lngLP - 1);
    size_t i = from;
    if (line.size() - from > static_cast<size_t>(StrProc::kMaxWordLength) || (charClass_[0] & kWord)) {
        const size_t end = std::min(line.size(), from + static_cast<size_t>(StrProc::kMaxWordLength));
        while (i < end && (charClass_[U(line[i])] & kWord)) ++i;
    } else {
        // The word ends by the NUL after the last character at the latest.
        const char* const text = strLine.data();
        while (charClass_[U(text[i])] & kWord) ++i;
    }
    if (i == from) return {};
    lngLP += static_cast<int64_t>(i - from);
    return FinishWord(line.substr(from, i - from));
}

[[gnu::always_inline]] inline std::string_view Scanner::FinishWord(std::string_view w) {
    while (!w.empty() && (charClass_[U(w.back())] & kFinal)) w.remove_suffix(1);

    if (blnReadingWords) return w;
    const Params& p = params ? *params : DefaultParams();

    if (p.chkDropFinalS == 1) {
        const size_t n = w.size();
        // Only a word ending in a lower-case s can lose it, and "ics", "maths"
        // and "stats" all end in s.
        if (n > 2 && w[n - 1] == 's') {
            bool keep = EqualsAsciiNoCase(w.substr(n - 3), "ics") ||
                        (n == 5 && (EqualsAsciiNoCase(w, "maths") || EqualsAsciiNoCase(w, "stats")));
            if (!keep && w[n - 2] != 's' && w[n - 2] != '\'' &&
                !StrProc::StartsWithVowel(w.substr(n - 2, 1), true))
                w.remove_suffix(1);
        }
    }

    if (p.chkAllowWordsWithApostrophes == 0) {
        if ((w.size() == 1 && (EqualsAsciiNoCase(w, "s") || EqualsAsciiNoCase(w, "t"))) ||
            StrProc::IsContractionStem(w))
            return {};
    }
    return w;
}

void Scanner::GetWords2(std::string_view strWord) {
    const Params& p = params ? *params : DefaultParams();
    const bool useIgnore = !strWordsToIgnore.empty();
    const bool useCommon = p.chkIgnoreCommonWords == 1 && strCommonWords != nullptr &&
                           lngNumCommonWords > 0 && !strCommonWords->empty();
    if (useIgnore || useCommon) {
        std::string k = StrProc::LowerCaseExt(strWord);
        if (useIgnore) {
            std::string key;
            key.reserve(k.size() + 2);
            key += ' ';
            key += k;
            key += ' ';
            if (strWordsToIgnore.find(key) != std::string::npos) return;
        }
        if (useCommon) {
            int32_t n = std::min<int64_t>(lngNumCommonWords,
                                          static_cast<int64_t>(strCommonWords->size()) - 1);
            int32_t position = 0;
            if (BinarySearch::SearchSortedStrings(k, *strCommonWords, n, position, 1)) return;
        }
    }
    if (sink) sink->AddWordToList(strWord);
}

int16_t Scanner::FindStartCommentMarker() {
    if (intNumCommentMarkers <= 0) return -1;
    if (lngLP < 1) return -1;
    const std::string_view line = strLine;
    const size_t from = static_cast<size_t>(lngLP - 1);
    const int n = std::min<int>(intNumCommentMarkers, 10);
    for (int i = 0; i < n; ++i) {
        const std::string& m = strStartCommentMarker[i];
        if (m.empty() || !MatchesNoCase(line, from, m)) continue;
        if (m == "&" && strEndCommentMarker[i] == ";" && blnCharacterEntitiesPossible)
            return StrProc::CharacterEntityLength(line.substr(from)) > 0 ? static_cast<int16_t>(i) : -1;
        return static_cast<int16_t>(i);
    }
    return -1;
}

int16_t Scanner::FindStartCommentMarkerFast() {
    if (intNumCommentMarkers <= 0) return -1;
    if (lngLP >= 1 && lngLP <= static_cast<int64_t>(strLine.size()) &&
        !markerFirst_[StrProc::LowerCaseChar(U(strLine[lngLP - 1]))])
        return -1;
    return FindStartCommentMarker();
}

void Scanner::SkipComment() {
    const int k = intWithinComment;
    const int64_t len = static_cast<int64_t>(strLine.size());
    if (k < 0 || k > 9) return;
    const std::string& m = strEndCommentMarker[k];
    if (m.empty()) {
        lngLP = len + 1;
        intWithinComment = -1;
        return;
    }
    if (blnCharacterEntitiesPossible && lngLP >= 1 && lngLP + 1 <= len &&
        strLine[lngLP - 1] == '&' && strLine[lngLP] == '#') {
        lngLP = StrProc::SkipCharsIn(strLine, lngLP + 2, NumericReferenceChars());
        return;
    }
    const std::string_view line = strLine;
    const unsigned char first = StrProc::LowerCaseChar(U(m[0]));
    for (size_t i = static_cast<size_t>(std::max<int64_t>(lngLP, 1) - 1);
         i + m.size() <= line.size(); ++i) {
        if (StrProc::LowerCaseChar(U(line[i])) == first && MatchesNoCase(line, i, m)) {
            lngLP = static_cast<int64_t>(i + 1 + m.size());
            intWithinComment = -1;
            return;
        }
    }
    lngLP = len + 1;
}

void Scanner::SetCommentMarkers(std::string_view kind) {
    struct Pair {
        const char* start;
        const char* end;
    };
    auto load = [this](std::initializer_list<Pair> pairs) {
        int i = 0;
        for (const Pair& pr : pairs) {
            strStartCommentMarker[i] = pr.start;
            strEndCommentMarker[i] = pr.end;
            ++i;
        }
        intNumCommentMarkers = static_cast<int16_t>(i);
    };
    if (kind == "C") {
        load({{"/*", "*/"}, {"//", ""}});
    } else if (kind == "XML") {
        load({{"<?xml", "?>"}, {"<!--", "-->"}, {"<", ">"}});
    } else if (kind == "HTML") {
        load({{"&", ";"}, {"<script", "/script>"}, {"<style", "/style>"}, {"<!--", "-->"}, {"<", ">"}});
    } else if (kind == "PHP") {
        load({{"&", ";"},
              {"<script", "/script>"},
              {"<style", "/style>"},
              {"<!--", "-->"},
              {"<?php", "php"},
              {"<", ">"},
              {"/*", "*/"},
              {"//", ""}});
    } else if (kind == "User-defined") {
        const Params& p = params ? *params : DefaultParams();
        for (int i = 0; i < 2; ++i) {
            strStartCommentMarker[i] = text::utf8ToCp1252(p.txbStartComment[i]);
            strEndCommentMarker[i] = text::utf8ToCp1252(p.txbEndComment[i]);
        }
        intNumCommentMarkers = 2;
    } else {
        for (int i = 0; i < 2; ++i) {
            strStartCommentMarker[i].clear();
            strEndCommentMarker[i].clear();
        }
        intNumCommentMarkers = 0;
    }
}

bool Scanner::SetCommentMarkersForExtension(std::string_view ext) {
    blnCharacterEntitiesPossible = false;
    if (ext == "php") {
        SetCommentMarkers("PHP");
        blnCharacterEntitiesPossible = true;
    } else if (ext == "xml") {
        SetCommentMarkers("XML");
    } else if (ext.find("htm") != std::string_view::npos) {
        SetCommentMarkers("HTML");
        blnCharacterEntitiesPossible = true;
    } else if (ext == "cpp" || ext == "c") {
        SetCommentMarkers("C");
    } else {
        const Params& p = params ? *params : DefaultParams();
        if (p.chkAllowCommentMarkers != 0) {
            if (!CommentMarkersOK()) return false;
            SetCommentMarkers("User-defined");
        } else {
            SetCommentMarkers("None");
        }
    }
    return true;
}

bool Scanner::ShowError(std::string_view msg) {
    // The count goes on without the markers.
    if (observer) observer->diagnostic({Diagnostic::Kind::Warning, "Error", std::string(msg)});
    return false;
}

bool Scanner::ValidateCommentMarkers() {
    const Params& p = params ? *params : DefaultParams();
    const std::string check = std::string(kCheckMarkers) + "\r\n" + kOrDisallow;
    if (p.txbStartComment[0].empty() && p.txbStartComment[1].empty())
        return ShowError(
            "If comment markers are allowed then at least one\r\n"
            "start-comment marker must be non-empty.\r\n\r\n" + check);
    for (int i = 0; i < 2; ++i)
        if (!p.txbEndComment[i].empty() && p.txbStartComment[i].empty())
            return ShowError(
                "Cannot have an empty start-comment marker\r\n"
                "with a non-empty end-comment marker.\r\n\r\n" + check);
    for (int i = 0; i < 2; ++i)
        if (!p.txbStartComment[i].empty() && p.txbStartComment[i] == p.txbEndComment[i])
            return ShowError(
                std::string("Start-comment and end-comment markers must be different.\r\n\r\n") +
                kCheckMarkers + ".");
    return true;
}

bool Scanner::CommentMarkersOK() {
    if (!ValidateCommentMarkers()) return false;
    SetAllowedExtraChars();
    const Params& p = params ? *params : DefaultParams();
    const bool blnNumerals = p.chkAllowWordsWithNumerals == 1;
    for (int i = 0; i < 2; ++i) {
        const std::string& typed = p.txbStartComment[i];
        const std::string s = text::utf8ToCp1252(typed);
        if (!s.empty() &&
            StrProc::WordLength(s, 1, blnNumerals, strAllowedExtraChars) ==
                static_cast<int64_t>(s.size()))
            return ShowError(
                "The way the parameters are set the start-comment marker\r\n\"" + typed +
                "\" could be part of a word.\r\n\r\n"
                "Check the start-comment markers in the 'Set parameters' panel and\r\n"
                "perhaps disallow comment markers or restrict allowable words.");
    }
    return true;
}

}  // namespace kvx::KVXProc
