// Throughput of the line scanner over multi-language prose, as the file pass
// feeds it: lines of 60-200 characters, lower-cased, one pad blank each, the
// words counted in a hash table.

#include <benchmark/benchmark.h>

#include <cstdint>
#include <string>
#include <vector>

#include "params/Params.h"
#include "scanning/Scanner.h"
#include "scanning/WordText.h"
#include "base/RunObserver.h"
#include "text/Cp1252.h"

namespace {

const char* const kSentences[] = {
    "The quick brown fox jumps over the lazy dog while the children's voices drift across the fields.",
    "It was the best of times, it was the worst of times; nobody doesn't remember that winter.",
    "Researchers measured forty-two samples, and the well-known results didn't surprise anyone.",
    "Die Straße war nass, und die Kinder spielten fröhlich im Garten hinter dem alten Haus.",
    "Über den Bergen ziehen Wolken, während die Bäuerin das Brot für die ganze Woche bäckt.",
    "Größere Städte bieten mehr Möglichkeiten, aber das Leben auf dem Land ist ruhiger.",
    "L'été dernier, nous sommes allés à la mer où l'eau était très claire et agréable.",
    "Le garçon a reçu une lettre de sa grand-mère qui habite près de la forêt depuis toujours.",
    "Ça n'a pas d'importance, répondit-elle en souriant devant la fenêtre ouverte du château.",
    "El niño comió una manzana en el jardín mientras su abuela leía una novela española.",
    "¿Dónde está la estación? preguntó el señor, cansado después de un largo viaje en tren.",
    "La canción más famosa del año sonaba en todas las radios de la ciudad y del campo.",
    "La città è piena di turisti che visitano le chiese, i musei e le piazze più antiche.",
    "Perché non vieni con noi al mare questa settimana? Il tempo sarà bellissimo, dicono.",
    "O coração da cidade bate mais forte à noite, quando as ruas se enchem de música e luz.",
    "A educação é a chave para um futuro melhor, disse o professor aos alunos atentos.",
    "Não há nada mais bonito do que o pôr do sol sobre o rio numa tarde de verão.",
};

std::vector<std::string> MakeLines(size_t totalBytes) {
    std::vector<std::string> cp;
    for (const char* s : kSentences) cp.push_back(kvx::text::utf8ToCp1252(s));
    std::vector<std::string> lines;
    uint32_t seed = 12345;
    auto next = [&] {
        seed = seed * 1103515245u + 12345u;
        return seed >> 16;
    };
    size_t total = 0;
    while (total < totalBytes) {
        size_t target = 60 + next() % 141;
        std::string line;
        while (line.size() < target) {
            const std::string& s = cp[next() % cp.size()];
            size_t cut = std::min(s.size(), target - line.size());
            // Cut at a blank so that the words stay whole.
            while (cut < s.size() && cut > 0 && s[cut] != ' ') --cut;
            if (cut == 0) cut = std::min(s.size(), target - line.size());
            if (!line.empty()) line += ' ';
            line.append(s, 0, cut);
        }
        kvx::wordtext::LowerCaseExtInPlace(line);
        line += ' ';
        total += line.size();
        lines.push_back(std::move(line));
    }
    return lines;
}

// FNV-1a: words are short, so a simple byte hash does well.
inline uint64_t HashWord(std::string_view s) {
    uint64_t h = 1469598103934665603ull;
    for (unsigned char c : s) h = (h ^ c) * 1099511628211ull;
    return h ^ (h >> 29);
}

// Counts words in an open-addressing table, as the word table does.
struct CountingSink : kvx::WordSink {
    struct Slot {
        uint64_t hash = 0;
        int32_t index = -1;
    };
    std::vector<Slot> slots = std::vector<Slot>(1 << 12);
    std::vector<std::string> words;
    std::vector<int64_t> counts;

    void AddWordToList(std::string_view w) override {
        const uint64_t h = HashWord(w);
        size_t mask = slots.size() - 1;
        for (size_t i = h & mask;; i = (i + 1) & mask) {
            Slot& s = slots[i];
            if (s.index < 0) {
                s = {h, static_cast<int32_t>(words.size())};
                words.emplace_back(w);
                counts.push_back(1);
                if (words.size() * 2 > slots.size()) Grow();
                return;
            }
            if (s.hash == h && words[s.index] == w) {
                ++counts[s.index];
                return;
            }
        }
    }
    void Grow() {
        std::vector<Slot> old(slots.size() * 2);
        old.swap(slots);
        size_t mask = slots.size() - 1;
        for (const Slot& s : old) {
            if (s.index < 0) continue;
            size_t i = s.hash & mask;
            while (slots[i].index >= 0) i = (i + 1) & mask;
            slots[i] = s;
        }
    }
};

// Receives nothing: the scanner's own cost.
struct NullSink : kvx::WordSink {
    int64_t n = 0;
    void AddWordToList(std::string_view w) override { n += static_cast<int64_t>(w.size()); }
};

// A window that shows nothing: a turn after every word, as in the program.
struct QuietObserver : kvx::RunObserver {
    QuietObserver() { yields = true; }
};

template <class Sink>
void RunScan(benchmark::State& state, const char* kind, bool entities) {
    static const std::vector<std::string> lines = MakeLines(8 << 20);
    size_t bytes = 0;
    for (const auto& l : lines) bytes += l.size();

    kvx::Params params;
    QuietObserver observer;
    Sink sink;
    bool stop = false;
    kvx::scanning::Scanner sc;
    sc.params = &params;
    sc.observer = &observer;
    sc.sink = &sink;
    sc.stopRequested = &stop;
    sc.SetAllowedExtraChars();
    sc.SetCommentMarkers(kind);
    sc.entitiesPossible = entities;

    for (auto _ : state) {
        sc.withinComment = -1;
        for (const auto& l : lines) {
            sc.currentLine.assign(l);
            sc.ScanLine();
        }
        benchmark::DoNotOptimize(&sink);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(bytes));
    state.counters["words"] = static_cast<double>(sc.totalInstances) /
                              static_cast<double>(state.iterations());
}

void BM_ScanLineProse(benchmark::State& state) { RunScan<CountingSink>(state, "None", false); }
void BM_ScanLineProseHtmlMarkers(benchmark::State& state) {
    RunScan<CountingSink>(state, "HTML", true);
}
void BM_ScanLineProseNoSink(benchmark::State& state) { RunScan<NullSink>(state, "None", false); }

}  // namespace

BENCHMARK(BM_ScanLineProse)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ScanLineProseHtmlMarkers)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ScanLineProseNoSink)->Unit(benchmark::kMillisecond);
