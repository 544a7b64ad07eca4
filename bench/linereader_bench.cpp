// Decoding speed of the line reader, in bytes of file per second.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <string>

#include "files/LineReader.h"

namespace {

// About 32 MB of text: English-like ASCII lines, or lines with some accented
// UTF-8 letters, or lines with Windows-1252 bytes, or UTF-16 LE.
std::string MakeFile(int kind) {
    static const char* words[] = {"the", "quick", "brown", "fox", "jumps", "over", "lazy", "dog",
                                  "counting", "words", "frequency", "listing"};
    static const char* accented[] = {"caf\xC3\xA9", "na\xC3\xAFve", "\xC3\xA9t\xC3\xA9"};
    static const char* cp1252[] = {"caf\xE9", "na\xEFve", "\xE9t\xE9"};
    std::string text;
    unsigned seed = 12345;
    while (text.size() < (32u << 20)) {
        for (int w = 0; w < 12; ++w) {
            seed = seed * 1103515245u + 12345u;
            unsigned r = (seed >> 16) % 40;
            if (kind == 1 && r < 3) text += accented[r];
            else if (kind == 2 && r < 3) text += cp1252[r];
            else text += words[r % 12];
            text += ' ';
        }
        text += "\r\n";
    }
    if (kind == 3) {
        std::string u("\xFF\xFE", 2);
        for (char c : text) u += std::string{c, '\0'};
        text = u;
    }
    char name[] = "/tmp/kvx_bench_XXXXXX";
    int fd = ::mkstemp(name);
    ::close(fd);
    std::ofstream(name, std::ios::binary) << text;
    return name;
}

void BM_ReadLines(benchmark::State& state) {
    std::string path = MakeFile(static_cast<int>(state.range(0)));
    int64_t bytes = 0;
    std::string line;
    for (auto _ : state) {
        kvx::LineReader r;
        r.open(path);
        while (r.readLine(line) == kvx::LineReader::Status::Line) benchmark::DoNotOptimize(line.data());
        bytes += r.bytesRead();
    }
    state.SetBytesProcessed(bytes);
    std::remove(path.c_str());
}
// 0 ASCII, 1 UTF-8 with accents, 2 Windows-1252 bytes, 3 UTF-16 LE.
BENCHMARK(BM_ReadLines)->Arg(0)->Arg(1)->Arg(2)->Arg(3)->Unit(benchmark::kMillisecond);

}  // namespace
