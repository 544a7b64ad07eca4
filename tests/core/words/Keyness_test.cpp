#include "words/Keyness.h"

#include <gtest/gtest.h>

#include <sstream>

#include "params/Params.h"

namespace kvx {
namespace {

// Worked out by hand from the four cells and their expected values.
TEST(Keyness, FiguresOfSmallTables) {
    struct Row {
        int64_t a, b, n1, n2;
        double g2, logRatio;
    } rows[] = {
        {2, 0, 10, 12, 3.395940, 2.263034},       // nothing in the reference: 0.5 in its place
        {0, 3, 10, 10, 4.691077, -2.584963},      // nothing here
        {5, 10, 100, 200, 0.0, 0.0},              // the same rate on both sides
        {4, 1, 4, 10, 11.747524, 3.321928},       // the word is all of the text: c = 0
        {1000, 10, 1000000, 2000000, 2093.791119, 7.643856},
    };
    for (const Row& r : rows) {
        EXPECT_NEAR(LogLikelihood(r.a, r.b, r.n1, r.n2), r.g2, 1e-5) << r.a << " " << r.b;
        EXPECT_NEAR(LogRatio(r.a, r.b, r.n1, r.n2), r.logRatio, 1e-5) << r.a << " " << r.b;
    }
}

// The listing's rules but its minimum frequency choose the words and the
// totals; over-used words come first, ties by frequency and then by word.
TEST(Keyness, ComparesTheListedWordsInOrder) {
    Params p;
    p.ignoreInfrequentWords = 1;  // not applied: "cow" is compared
    WordTable here, ref;
    for (const auto& [w, n] : {std::pair<const char*, int64_t>{"bee", 3}, {"ant", 3}, {"cow", 1}, {"the", 5}, {"xiv", 2}})
        here.AddCount(w, n);
    for (const auto& [w, n] : {std::pair<const char*, int64_t>{"the", 20}, {"dog", 4}, {"xiv", 7}}) ref.AddCount(w, n);
    KeynessOptions o;
    o.minG2 = 0;
    o.underUsed = true;
    o.minFrequency = 2;
    const KeywordTable t = CompareWords(here, ref, p, o);
    EXPECT_EQ(t.total, 12);  // "xiv", a Roman numeral, is left out on both sides
    EXPECT_EQ(t.refTotal, 24);
    std::ostringstream tsv;
    WriteKeywords(tsv, ListingFormat::Tsv, t);
    EXPECT_EQ(tsv.str(),
              "rank\tword\tfrequency\trefFrequency\tperMillion\trefPerMillion\tg2\tlogRatio\n"
              "1\tant\t3\t0\t250000.00\t0.00\t7.156\t3.585\n"
              "2\tbee\t3\t0\t250000.00\t0.00\t7.156\t3.585\n"
              "3\tthe\t5\t20\t416666.67\t833333.33\t6.388\t-1.000\n"
              "4\tdog\t0\t4\t0.00\t166666.67\t3.489\t-2.000\n");
    o = {};  // G2 of at least 3.84, over-used words only
    EXPECT_EQ(CompareWords(here, ref, p, o).rows.size(), 2u);
}

}  // namespace
}  // namespace kvx
