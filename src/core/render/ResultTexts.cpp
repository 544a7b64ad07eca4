#include "render/ResultTexts.h"

#include "text/Cp1252.h"

namespace kvx {

std::vector<std::string> ResultLabelTexts(const ResultFigures& r,
                                          const std::function<std::string(int64_t)>& grouped) {
    const size_t w = text::utf8Length(grouped(r.totalOccurrences)) + 1;
    auto R = [&](int64_t x) {
        std::string s = grouped(x);
        size_t len = text::utf8Length(s);
        return len < w ? std::string(w - len, ' ') + s : s;
    };
    std::vector<std::string> labels(4);
    labels[0] = "Number of words in this list:" + R(r.wordsIncluded);
    labels[1] = (r.ignoring ? "No. of words ignored (other than common words):" : "Number of words ignored:") +
                R(r.wordsExcluded);
    if (!r.partial) {
        if (r.occurrencesIncluded > 0)
            labels[2] = "Number of instances of words in this list:" + R(r.occurrencesIncluded);
        labels[3] = "Total number of instances of words:" + R(r.totalOccurrences);
    }
    return labels;
}

}  // namespace kvx
