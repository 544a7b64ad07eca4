#include "scanning/Scanner.h"

#include <algorithm>
#include <bit>
#include <cstring>

#include "params/Params.h"
#include "scanning/BinarySearch.h"
#include "text/Cp1252.h"
#include "text/Unicode.h"

namespace kvx::scanning {

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
        if (wordtext::LowerCaseChar(U(s[from + j])) != wordtext::LowerCaseChar(U(m[j]))) return false;
    return true;
}

const std::string& NumericReferenceChars() {
    static const std::string set = std::string(wordtext::kAllLetters) + "0123456789;";
    return set;
}

constexpr const char* kCheckMarkers = "Check the comment markers in the 'Set parameters' panel";
constexpr const char* kOrDisallow = "and perhaps disallow comment markers.";

}  // namespace

void Scanner::SetAllowedExtraChars() {
    SetExtraChars(AllowedExtraChars(params ? *params : DefaultParams()));
}

void Scanner::SetExtraChars(std::string chars) {
    allowedExtraChars = std::move(chars);
    std::string initial = allowedExtraChars;
    wordtext::RemoveChars(initial, kProhibitedInitialOrFinalChars, 1);
    const wordtext::CharTable word = wordtext::WordCharTable(false, allowedExtraChars);
    const wordtext::CharTable init = wordtext::WordCharTable(false, initial);
    for (int c = 0; c < 256; ++c) {
        unsigned char v = 0;
        if (word[c]) v |= kWord;
        if (init[c]) v |= kInitial;
        if (kProhibitedInitialOrFinalChars.find(static_cast<char>(c)) != std::string_view::npos)
            v |= kFinal;
        charClass_[c] = v;
    }
    if (unicode.on)
        for (unsigned char b : {kShadowInside, kShadowLatin, kShadowOther, kShadowSegmented})
            charClass_[b] = kWord | kInitial;
}

void Scanner::RefreshMarkerFilter() {
    markerFirst_.fill(false);
    int n = std::clamp<int>(commentMarkerCount, 0, 10);
    for (int i = 0; i < n; ++i)
        if (!startCommentMarker[i].empty())
            markerFirst_[wordtext::LowerCaseChar(U(startCommentMarker[i][0]))] = true;
}

void Scanner::BreakAtSentenceEnd(const char* from, const char* to) {
    static constexpr std::array<bool, 256> kEnds = [] {
        std::array<bool, 256> t{};
        for (unsigned char c : {'.', '!', '?', ';'}) t[c] = true;
        return t;
    }();
    for (const char* c = from; c < to; ++c)
        if (kEnds[U(*c)]) {
            sink->EndOfRun();
            return;
        }
}

void Scanner::ScanLine() {
    if (unicode.on)
        UnicodeLine::Clean(currentLine);
    else
        wordtext::CleanLineInPlace(currentLine);
    ScanCleanLine();
}

void Scanner::ScanCleanLine(bool mayHoldHyphen) {
    if (readingWords) {
        commentsPossible = true;
    } else {
        commentsPossible = commentMarkerCount > 0;
        if (mayHoldHyphen) wordtext::ReplaceDoubleHyphensInPlace(currentLine);
        if (entitiesPossible) currentLine = wordtext::ConvertCharacterEntities(currentLine);
    }
    if (unicode.on) unicode.Shadow(currentLine, allowedExtraChars.find('0') != std::string::npos);
    if (commentsPossible) RefreshMarkerFilter();
    linePosition = 1;
    if (phraseBreaks && sink && !readingWords) {
        gapFrom_ = currentLine.data();
        ScanWords<true>();
        // The end of the line after its last word may end a sentence too.
        BreakAtSentenceEnd(gapFrom_, currentLine.data() + currentLine.size());
    } else {
        ScanWords<false>();
    }
}

// The walk over the line; with kBreaks the sink is told where runs of words end.
template <bool kBreaks>
void Scanner::ScanWords() {
    const int64_t len = static_cast<int64_t>(currentLine.size());
    // With no list to look in, GetWords2 would hand the word straight on.
    // Only a yield can change the lists or the parameters.
    auto straightOn = [this] {
        return wordsToIgnore.empty() && (!params || params->ignoreCommonWords != 1) && sink;
    };
    bool toSink = straightOn();
    const bool yields = observer && observer->yields;
    // Hands a word on; false when the count is to stop.
    auto count = [&](std::string_view w) {
        if (readingWords) {
            if (sink) sink->AddWordToList(w);
        } else {
            ++totalInstances;
            if (toSink)
                sink->AddWordToList(w);
            else
                GetWords2(w);
        }
    };
    const bool shadowed = unicode.Shadowed();
    auto handOn = [&](std::string_view w) {
        if constexpr (kBreaks) {
            if (w.empty()) {
                sink->EndOfRun();
            } else {
                BreakAtSentenceEnd(gapFrom_, w.data());
                gapFrom_ = w.data() + w.size();
            }
        }
        if (!w.empty()) {
            if (shadowed)
                ForEachUnicodeWord(w, count);
            else
                count(w);
        }
        if (yields) {
            observer->yield();
            toSink = straightOn();
        }
        return !(stopRequested && *stopRequested);
    };

    if (!commentsPossible) {
        // No comment can start: words are found with masks of which of 64
        // characters can begin a word and which can be part of one, so that
        // the walk branches once a word rather than once a character.
        const char* const text = currentLine.data();
        const size_t n = currentLine.size();
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
            end = std::min(end, from + static_cast<size_t>(wordtext::kMaxWordLength));
            linePosition = static_cast<int64_t>(end) + 1;
            if (!handOn(FinishWord(std::string_view(text + from, end - from)))) return;
            pos = end;
        }
    }

    for (;;) {
        if (linePosition >= len) return;  // the pad blank is never examined
        if (withinComment == -1) withinComment = FindStartCommentMarkerFast();
        if constexpr (kBreaks)
            if (withinComment >= 0) sink->EndOfRun();
        while (withinComment >= 0) {
            SkipComment();
            if (linePosition > len) return;  // still open: goes on in the next line
            if (linePosition == len && currentLine[len - 1] == ' ') {
                withinComment = -1;
                return;
            }
            withinComment = FindStartCommentMarkerFast();
        }
        if (charClass_[U(currentLine[linePosition - 1])] & kInitial) {
            if (!handOn(GetNextWord())) return;
        } else {
            // FindNonBlank from the next position, inline: the commonest step.
            int64_t q = linePosition;  // 0-based index of the next position
            while (q < len && currentLine[q] == ' ') ++q;
            if (q >= len) return;
            linePosition = q + 1;
        }
    }
}

template <class F>
void Scanner::ForEachUnicodeWord(std::string_view w, F&& f) {
    if (!unicode.NeedsCutting(w)) {
        if (const std::string_view u = unicode.Utf8(w, currentLine); !u.empty()) f(u);
        return;
    }
    unicode.Cuts(w, currentLine, cuts_);
    cuts_.push_back(w.size());
    size_t from = 0;
    for (const size_t cut : cuts_) {
        std::string_view piece = w.substr(from, cut - from);
        from = cut;
        while (!piece.empty() && !(charClass_[U(piece.front())] & kInitial)) piece.remove_prefix(1);
        piece = FinishWord(piece);
        if (piece.empty()) continue;
        if (const std::string_view u = unicode.Utf8(piece, currentLine); !u.empty()) f(u);
    }
}

[[gnu::always_inline]] inline std::string_view Scanner::GetNextWord() {
    const std::string_view line = currentLine;
    if (linePosition < 1 || linePosition > static_cast<int64_t>(line.size())) return {};
    const size_t from = static_cast<size_t>(linePosition - 1);
    size_t i = from;
    if (line.size() - from > static_cast<size_t>(wordtext::kMaxWordLength) || (charClass_[0] & kWord)) {
        const size_t end = std::min(line.size(), from + static_cast<size_t>(wordtext::kMaxWordLength));
        while (i < end && (charClass_[U(line[i])] & kWord)) ++i;
    } else {
        // The word ends by the NUL after the last character at the latest.
        const char* const text = currentLine.data();
        while (charClass_[U(text[i])] & kWord) ++i;
    }
    if (i == from) return {};
    linePosition += static_cast<int64_t>(i - from);
    return FinishWord(line.substr(from, i - from));
}

[[gnu::always_inline]] inline std::string_view Scanner::FinishWord(std::string_view w) {
    while (!w.empty() && (charClass_[U(w.back())] & kFinal)) w.remove_suffix(1);

    if (readingWords) return w;
    const Params& p = params ? *params : DefaultParams();

    // The rules of English apply to words in Latin script only.
    if (unicode.on && !unicode.IsLatin(w)) return w;
    if (p.dropFinalS == 1) {
        const size_t n = w.size();
        // Only a word ending in a lower-case s can lose it, and "ics", "maths"
        // and "stats" all end in s.
        // More than two characters, which a UTF-8 line's shadow counts in
        // bytes (up to four a character).
        if (n > 2 && w[n - 1] == 's' &&
            (!unicode.Shadowed() || n > 8 || text::utf8Length(unicode.Utf8(w, currentLine)) > 2)) {
            bool keep = EqualsAsciiNoCase(w.substr(n - 3), "ics") ||
                        (n == 5 && (EqualsAsciiNoCase(w, "maths") || EqualsAsciiNoCase(w, "stats")));
            if (!keep && w[n - 2] != 's' && w[n - 2] != '\'' &&
                !wordtext::StartsWithVowel(w.substr(n - 2, 1), true))
                w.remove_suffix(1);
        }
    }

    if (p.allowApostrophes == 0) {
        if ((w.size() == 1 && (EqualsAsciiNoCase(w, "s") || EqualsAsciiNoCase(w, "t"))) ||
            wordtext::IsContractionStem(w))
            return {};
    }
    return w;
}

void Scanner::GetWords2(std::string_view word) {
    const Params& p = params ? *params : DefaultParams();
    const bool useIgnore = !wordsToIgnore.empty();
    const bool useCommon = p.ignoreCommonWords == 1 && commonWords != nullptr &&
                           commonWordCount > 0 && !commonWords->empty();
    if (useIgnore || useCommon) {
        std::string k = unicode.on ? text::LowerUtf8(word) : wordtext::LowerCaseExt(word);
        if (useIgnore) {
            std::string key;
            key.reserve(k.size() + 2);
            key += ' ';
            key += k;
            key += ' ';
            if (wordsToIgnore.find(key) != std::string::npos) {
                if (phraseBreaks && sink) sink->EndOfRun();
                return;
            }
        }
        if (useCommon) {
            int32_t n = std::min<int64_t>(commonWordCount,
                                          static_cast<int64_t>(commonWords->size()) - 1);
            int32_t position = 0;
            if (BinarySearch::SearchSortedStrings(k, *commonWords, n, position, 1)) {
                if (phraseBreaks && sink) sink->EndOfRun();
                return;
            }
        }
    }
    if (sink) sink->AddWordToList(word);
}

int16_t Scanner::FindStartCommentMarker() {
    if (commentMarkerCount <= 0) return -1;
    if (linePosition < 1) return -1;
    const std::string_view line = currentLine;
    const size_t from = static_cast<size_t>(linePosition - 1);
    const int n = std::min<int>(commentMarkerCount, 10);
    for (int i = 0; i < n; ++i) {
        const std::string& m = startCommentMarker[i];
        if (m.empty() || !MatchesNoCase(line, from, m)) continue;
        if (m == "&" && endCommentMarker[i] == ";" && entitiesPossible) {
            // An entity is looked for within a number of characters, which
            // the codes of a UTF-8 line count.
            const std::string codes = unicode.Shadowed() ? text::utf8ToCp1252(unicode.Text(from, 80)) : std::string();
            const std::string_view rest = unicode.Shadowed() ? std::string_view(codes) : line.substr(from);
            return wordtext::CharacterEntityLength(rest) > 0 ? static_cast<int16_t>(i) : -1;
        }
        return static_cast<int16_t>(i);
    }
    return -1;
}

int16_t Scanner::FindStartCommentMarkerFast() {
    if (commentMarkerCount <= 0) return -1;
    if (linePosition >= 1 && linePosition <= static_cast<int64_t>(currentLine.size()) &&
        !markerFirst_[wordtext::LowerCaseChar(U(currentLine[linePosition - 1]))])
        return -1;
    return FindStartCommentMarker();
}

void Scanner::SkipComment() {
    const int k = withinComment;
    const int64_t len = static_cast<int64_t>(currentLine.size());
    if (k < 0 || k > 9) return;
    const std::string& m = endCommentMarker[k];
    if (m.empty()) {
        linePosition = len + 1;
        withinComment = -1;
        return;
    }
    if (entitiesPossible && linePosition >= 1 && linePosition + 1 <= len &&
        currentLine[linePosition - 1] == '&' && currentLine[linePosition] == '#') {
        linePosition = wordtext::SkipCharsIn(currentLine, linePosition + 2, NumericReferenceChars());
        return;
    }
    const std::string_view line = currentLine;
    const unsigned char first = wordtext::LowerCaseChar(U(m[0]));
    for (size_t i = static_cast<size_t>(std::max<int64_t>(linePosition, 1) - 1);
         i + m.size() <= line.size(); ++i) {
        if (wordtext::LowerCaseChar(U(line[i])) == first && MatchesNoCase(line, i, m)) {
            linePosition = static_cast<int64_t>(i + 1 + m.size());
            withinComment = -1;
            return;
        }
    }
    linePosition = len + 1;
}

void Scanner::SetCommentMarkers(std::string_view kind) {
    struct Pair {
        const char* start;
        const char* end;
    };
    auto load = [this](std::initializer_list<Pair> pairs) {
        int i = 0;
        for (const Pair& pr : pairs) {
            startCommentMarker[i] = pr.start;
            endCommentMarker[i] = pr.end;
            ++i;
        }
        commentMarkerCount = static_cast<int16_t>(i);
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
            startCommentMarker[i] = MarkerCodes(p.startComment[i]);
            endCommentMarker[i] = MarkerCodes(p.endComment[i]);
        }
        commentMarkerCount = 2;
    } else {
        for (int i = 0; i < 2; ++i) {
            startCommentMarker[i].clear();
            endCommentMarker[i].clear();
        }
        commentMarkerCount = 0;
    }
}

bool Scanner::SetCommentMarkersForExtension(std::string_view ext) {
    entitiesPossible = false;
    if (ext == "php") {
        SetCommentMarkers("PHP");
        entitiesPossible = true;
    } else if (ext == "xml") {
        SetCommentMarkers("XML");
    } else if (ext.find("htm") != std::string_view::npos) {
        SetCommentMarkers("HTML");
        entitiesPossible = true;
    } else if (ext == "cpp" || ext == "c") {
        SetCommentMarkers("C");
    } else {
        const Params& p = params ? *params : DefaultParams();
        if (p.allowCommentMarkers != 0) {
            if (!CommentMarkersOK()) return false;
            SetCommentMarkers("User-defined");
        } else {
            SetCommentMarkers("None");
        }
    }
    return true;
}

std::string Scanner::MarkerCodes(const std::string& typed) const {
    return unicode.on ? UnicodeLine::ShadowOf(typed, allowedExtraChars.find('0') != std::string::npos)
                      : text::utf8ToCp1252(typed);
}

bool Scanner::ShowError(std::string_view msg) {
    // The count goes on without the markers.
    if (observer) observer->diagnostic({Diagnostic::Kind::Warning, "Error", std::string(msg)});
    return false;
}

bool Scanner::ValidateCommentMarkers() {
    const Params& p = params ? *params : DefaultParams();
    const std::string check = std::string(kCheckMarkers) + "\r\n" + kOrDisallow;
    if (p.startComment[0].empty() && p.startComment[1].empty())
        return ShowError(
            "If comment markers are allowed then at least one\r\n"
            "start-comment marker must be non-empty.\r\n\r\n" + check);
    for (int i = 0; i < 2; ++i)
        if (!p.endComment[i].empty() && p.startComment[i].empty())
            return ShowError(
                "Cannot have an empty start-comment marker\r\n"
                "with a non-empty end-comment marker.\r\n\r\n" + check);
    for (int i = 0; i < 2; ++i)
        if (!p.startComment[i].empty() && p.startComment[i] == p.endComment[i])
            return ShowError(
                std::string("Start-comment and end-comment markers must be different.\r\n\r\n") +
                kCheckMarkers + ".");
    return true;
}

bool Scanner::CommentMarkersOK() {
    if (!ValidateCommentMarkers()) return false;
    SetAllowedExtraChars();
    const Params& p = params ? *params : DefaultParams();
    const bool numerals = p.allowNumerals == 1;
    for (int i = 0; i < 2; ++i) {
        const std::string& typed = p.startComment[i];
        const std::string s = MarkerCodes(typed);
        const bool allWord =
            unicode.on ? std::all_of(s.begin(), s.end(), [this](char c) { return (charClass_[U(c)] & kWord) != 0; })
                       : wordtext::WordLength(s, 1, numerals, allowedExtraChars) == static_cast<int64_t>(s.size());
        if (!s.empty() && allWord)
            return ShowError(
                "The way the parameters are set the start-comment marker\r\n\"" + typed +
                "\" could be part of a word.\r\n\r\n"
                "Check the start-comment markers in the 'Set parameters' panel and\r\n"
                "perhaps disallow comment markers or restrict allowable words.");
    }
    return true;
}

}  // namespace kvx::scanning
