#include "scanning/TextLists.h"

#include <limits>
#include <string_view>
#include <unordered_set>


namespace kvx::wordtext {
std::string_view TrimBlanks(std::string_view s, std::string_view blanks) {
    size_t b = s.find_first_not_of(blanks);
    if (b == std::string_view::npos) return {};
    size_t e = s.find_last_not_of(blanks);
    return s.substr(b, e - b + 1);
}

int16_t SplitText(std::string_view text, std::string_view delimiter, int64_t start,
                  std::vector<std::string>& array, bool trim) {
    array.clear();
    if (start < 1) start = 1;
    std::string_view t = static_cast<uint64_t>(start - 1) < text.size()
                             ? text.substr(static_cast<size_t>(start - 1))
                             : std::string_view{};
    if (delimiter.empty()) {
        // Nothing to cut at: the whole text is the one piece.
        array.emplace_back(trim ? TrimBlanks(t) : t);
        return 1;
    }
    if (t.substr(0, delimiter.size()) == delimiter) t.remove_prefix(delimiter.size());
    std::string owned;
    if (t.size() < delimiter.size() || t.substr(t.size() - delimiter.size()) != delimiter) {
        owned.assign(t);
        owned += delimiter;
        t = owned;
    }
    size_t pos = 0;
    while (pos < t.size()) {
        size_t next = t.find(delimiter, pos);
        if (next == std::string_view::npos) break;  // cannot happen: t ends with one
        std::string_view piece = t.substr(pos, next - pos);
        array.emplace_back(trim ? TrimBlanks(piece) : piece);
        pos = next + delimiter.size();
    }
    constexpr size_t kMax = std::numeric_limits<int16_t>::max();
    return static_cast<int16_t>(array.size() < kMax ? array.size() : kMax);
}

void RemoveDuplicateStrings(std::vector<std::string>& array) {
    // Mark first, move afterwards: the views in `seen` point into `array`.
    std::vector<bool> keep(array.size(), false);
    {
        std::unordered_set<std::string_view> seen;
        seen.reserve(array.size());
        for (size_t i = 0; i < array.size(); ++i)
            keep[i] = !array[i].empty() && seen.insert(array[i]).second;
    }
    size_t out = 0;
    for (size_t i = 0; i < array.size(); ++i)
        if (keep[i]) {
            if (out != i) array[out] = std::move(array[i]);
            ++out;
        }
    array.resize(out);
}

std::string JoinText(const std::vector<std::string>& array, std::string_view delimiter) {
    std::string out;
    for (size_t i = 0; i < array.size(); ++i) {
        if (i > 0) out += delimiter;
        out += array[i];
    }
    return out;
}

std::string NumberInWords(int64_t n, std::string_view inDigits) {
    static constexpr const char* kUnits[] = {
        "No",       "One",     "Two",       "Three",    "Four",     "Five",    "Six",
        "Seven",    "Eight",   "Nine",      "Ten",      "Eleven",   "Twelve",  "Thirteen",
        "Fourteen", "Fifteen", "Sixteen",   "Seventeen", "Eighteen", "Nineteen", "Twenty"};
    static constexpr const char* kTens[] = {"",      "",      "Twenty",  "Thirty", "Forty",
                                            "Fifty", "Sixty", "Seventy", "Eighty", "Ninety"};
    if (n < 0 || n >= 100) return std::string(inDigits);
    if (n <= 20) return kUnits[n];
    std::string s = kTens[n / 10];
    if (n % 10 != 0) {
        std::string unit = kUnits[n % 10];
        for (char& c : unit)
            if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
        s += ' ';
        s += unit;
    }
    return s;
}

}  // namespace kvx::wordtext
