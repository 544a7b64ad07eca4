#include "words/Keyness.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <string_view>
#include <unordered_map>

#include "params/Params.h"
#include "text/Cp1252.h"
#include "words/Ranking.h"

namespace kvx {
namespace {

double Cell(double observed, double expected) {
    return observed > 0 ? observed * std::log(observed / expected) : 0.0;
}

// A figure with a fixed number of decimals and a point whatever the locale.
std::string Fixed(double x, int decimals) {
    char buf[64];
    const auto r = std::to_chars(buf, buf + sizeof buf, x, std::chars_format::fixed, decimals);
    return std::string(buf, r.ptr);
}

double PerMillion(int64_t f, int64_t n) { return n > 0 ? double(f) * 1e6 / double(n) : 0.0; }

// a / n1 against b / n2 without rounding: > 0 when the word is used more here.
int Compare(int64_t a, int64_t b, int64_t n1, int64_t n2) {
    const __int128 x = __int128(a) * n2, y = __int128(b) * n1;
    return x > y ? 1 : x < y ? -1 : 0;
}

// Which records are compared, and the total of their frequencies.
std::vector<bool> Compared(const WordTable& t, const Params& p, int64_t& total) {
    std::vector<bool> kept(size_t(t.size()));
    total = 0;
    for (int32_t i = 0; i < t.size(); ++i)
        if ((kept[size_t(i)] = KeptByWordRules(t.Word(i), p, t.utf8Words))) total += t[i].frequency;
    return kept;
}

}  // namespace

double LogLikelihood(int64_t a, int64_t b, int64_t n1, int64_t n2) {
    const double A = double(a), B = double(b), C = double(n1 - a), D = double(n2 - b);
    const double N1 = double(n1), N2 = double(n2), N = N1 + N2;
    if (N <= 0) return 0.0;
    const double g2 = 2.0 * (Cell(A, N1 * (A + B) / N) + Cell(B, N2 * (A + B) / N) +
                             Cell(C, N1 * (C + D) / N) + Cell(D, N2 * (C + D) / N));
    return std::max(g2, 0.0);  // rounding can leave a tiny negative for equal rates
}

double LogRatio(int64_t a, int64_t b, int64_t n1, int64_t n2) {
    const double x = a > 0 ? double(a) : 0.5, y = b > 0 ? double(b) : 0.5;
    return std::log2((x / double(n1)) / (y / double(n2)));
}

KeywordTable CompareWords(const WordTable& here, const WordTable& ref, const Params& p, const KeynessOptions& o) {
    KeywordTable t;
    const std::vector<bool> hereKept = Compared(here, p, t.total), refKept = Compared(ref, p, t.refTotal);
    const int64_t n1 = t.total, n2 = t.refTotal;

    // The reference frequency of each word compared here; the reference's
    // words are looked up once, and those not found here are under-used.
    std::unordered_map<std::string_view, int32_t> at;
    at.reserve(size_t(here.size()));
    std::vector<int64_t> there(size_t(here.size()), 0);
    for (int32_t i = 0; i < here.size(); ++i)
        if (hereKept[size_t(i)]) at.emplace(here.Word(i), i);
    std::vector<Keyword> over, under;
    auto keep = [&](std::vector<Keyword>& rows, std::string_view word, int64_t a, int64_t b) {
        const double g2 = LogLikelihood(a, b, n1, n2);
        if (g2 >= o.minG2) rows.push_back({text::cp1252ToUtf8(word), a, b, g2, LogRatio(a, b, n1, n2), &rows == &over});
    };
    for (int32_t i = 0; i < ref.size(); ++i) {
        if (!refKept[size_t(i)]) continue;
        const std::string_view word = ref.Word(i);
        const auto found = at.find(word);
        const int64_t b = ref[i].frequency;
        if (found != at.end())
            there[size_t(found->second)] = b;
        else if (o.underUsed && b >= o.minFrequency)
            keep(under, word, 0, b);
    }
    for (int32_t i = 0; i < here.size(); ++i) {
        if (!hereKept[size_t(i)]) continue;
        const int64_t a = here[i].frequency, b = there[size_t(i)];
        const int side = Compare(a, b, n1, n2);
        if (side > 0 && a >= o.minFrequency)
            keep(over, here.Word(i), a, b);
        else if (side < 0 && o.underUsed && b >= o.minFrequency)
            keep(under, here.Word(i), a, b);
    }
    auto order = [](std::vector<Keyword>& rows, bool byHere) {
        std::sort(rows.begin(), rows.end(), [byHere](const Keyword& x, const Keyword& y) {
            if (x.g2 != y.g2) return x.g2 > y.g2;
            const int64_t fx = byHere ? x.frequency : x.refFrequency, fy = byHere ? y.frequency : y.refFrequency;
            if (fx != fy) return fx > fy;
            return x.word < y.word;
        });
    };
    order(over, true);
    order(under, false);
    t.rows = std::move(over);
    t.rows.insert(t.rows.end(), std::make_move_iterator(under.begin()), std::make_move_iterator(under.end()));
    return t;
}

void WriteKeywords(std::ostream& out, ListingFormat f, const KeywordTable& t) {
    const char* const names[] = {"rank", "word", "frequency", "refFrequency", "perMillion", "refPerMillion",
                                 "g2", "logRatio"};
    const bool csv = f == ListingFormat::Csv, json = f == ListingFormat::Json;
    const std::string sep = csv ? "," : "\t", end = csv ? "\r\n" : "\n";
    if (json) {
        out << "{\"total\":" << t.total << ",\"refTotal\":" << t.refTotal << ",\"words\":[";
    } else {
        for (size_t i = 0; i < std::size(names); ++i) out << (i ? sep : "") << names[i];
        out << end;
    }
    int64_t rank = 0;
    for (const Keyword& k : t.rows) {
        const std::string fields[] = {std::to_string(++rank),
                                      json ? JsonString(k.word) : csv ? CsvField(k.word) : k.word,
                                      std::to_string(k.frequency),
                                      std::to_string(k.refFrequency),
                                      Fixed(PerMillion(k.frequency, t.total), 2),
                                      Fixed(PerMillion(k.refFrequency, t.refTotal), 2),
                                      Fixed(k.g2, 3),
                                      Fixed(k.logRatio, 3)};
        if (json) {
            out << (rank > 1 ? ",\n{" : "\n{");
            for (size_t i = 0; i < std::size(names); ++i)
                out << (i ? ",\"" : "\"") << names[i] << "\":" << fields[i];
            out << '}';
        } else {
            for (size_t i = 0; i < std::size(names); ++i) out << (i ? sep : "") << fields[i];
            out << end;
        }
        if (!out) return;
    }
    if (json) out << (rank > 0 ? "\n]}\n" : "]}\n");
}

}  // namespace kvx
