// Ranking a large word table: one million different words, frequencies up to
// ten million (a Zipf-like spread with many ties), a tenth of the words in a
// capitalised form that shares its key with the lower-case one.

#include <benchmark/benchmark.h>

#include <algorithm>
#include <random>
#include <sstream>

#include "params/Params.h"
#include "words/Listing.h"
#include "words/Ranking.h"
#include "words/WordTable.h"

namespace {

using namespace kvx;

struct Row {
    std::string word, key;
    int64_t frequency;
};

std::vector<Row> MakeRows(int32_t n, int64_t maxFreq) {
    std::mt19937_64 rng(42);
    std::vector<Row> t;
    t.reserve(size_t(n));
    for (int32_t i = 0; i < n; ++i) {
        // Distinct words: base-26 digits of i after a random prefix.
        std::string w;
        const int prefix = 1 + int(rng() % 6);
        for (int k = 0; k < prefix; ++k) w += char('a' + rng() % 26);
        for (int32_t v = i; v > 0; v /= 26) w += char('a' + v % 26);
        Row r;
        r.key = w;
        r.word = (i % 10 == 0) ? std::string(1, char(w[0] - 32)) + w.substr(1) : w;
        r.frequency = std::max<int64_t>(1, maxFreq / (1 + int64_t(rng() % uint64_t(n))));
        t.push_back(std::move(r));
    }
    t[0].frequency = maxFreq;
    std::shuffle(t.begin(), t.end(), rng);
    return t;
}

WordTable MakeTable(const std::vector<Row>& rows) {
    WordTable t;
    for (const Row& r : rows) t.AddRecord(r.word, r.key, r.frequency);
    return t;
}

void BM_RankMillionWords(benchmark::State& state) {
    const int32_t n = int32_t(state.range(0));
    const auto source = MakeRows(n, 10'000'000);
    Params p;
    p.caseSignificant = 1;
    for (auto _ : state) {
        state.PauseTiming();
        auto t = MakeTable(source);
        state.ResumeTiming();
        SortWordList(t, 0, n - 1, 1);
        OrderEqualKeys(t);
        FilterWords(t, p);
        RankedFigures r;
        CountIncludedWords(t, r);
        BuildFrequencyChain(t, r, nullptr);
        benchmark::DoNotOptimize(r.firstByFrequency);
    }
}
BENCHMARK(BM_RankMillionWords)->Arg(1'000'000)->Unit(benchmark::kMillisecond);

void BM_FrequencyChainOnly(benchmark::State& state) {
    const int32_t n = int32_t(state.range(0));
    auto t = MakeTable(MakeRows(n, 10'000'000));
    RankedFigures r;
    CountIncludedWords(t, r);
    for (auto _ : state) {
        BuildFrequencyChain(t, r, nullptr);
        benchmark::DoNotOptimize(r.firstByFrequency);
    }
}
BENCHMARK(BM_FrequencyChainOnly)->Arg(1'000'000)->Unit(benchmark::kMillisecond);

void BM_CountWords(benchmark::State& state) {
    // Ten million occurrences of one million different words.
    const auto source = MakeRows(1'000'000, 10);
    std::mt19937 rng(1);
    std::vector<const std::string*> stream;
    stream.reserve(10'000'000);
    for (int i = 0; i < 10'000'000; ++i) stream.push_back(&source[rng() % 1'000'000].word);
    for (auto _ : state) {
        WordTable table;
        for (const std::string* w : stream) table.AddWordToList(*w);
        table.Finish();
        benchmark::DoNotOptimize(table.size());
    }
}
BENCHMARK(BM_CountWords)->Unit(benchmark::kMillisecond);

void BM_WriteListing(benchmark::State& state) {
    const int32_t n = 1'000'000;
    auto t = MakeTable(MakeRows(n, 10'000'000));
    SortWordList(t, 0, n - 1, 1);
    Params p;
    FilterWords(t, p);
    RankedFigures r;
    CountIncludedWords(t, r);
    BuildFrequencyChain(t, r, nullptr);
    Lister lister;
    lister.table = &t;
    lister.figures = &r;
    lister.params = &p;
    for (auto _ : state) {
        std::ostringstream out;
        lister.WriteListing(out);
        benchmark::DoNotOptimize(out.tellp());
    }
}
BENCHMARK(BM_WriteListing)->Unit(benchmark::kMillisecond);

}  // namespace
