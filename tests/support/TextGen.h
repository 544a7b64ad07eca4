#pragma once
// Generated texts for the tests.

#include <random>
#include <string>

namespace kvx::test {

/// n different words "qbbbb", "qbbbc", ... (letters b to z), perLine to a line.
inline std::string DistinctWords(int n, int perLine = 10) {
    std::string s;
    for (int i = 0; i < n; ++i) {
        std::string w(5, 'q');
        for (int k = 4, v = i; k >= 1; --k, v /= 25) w[size_t(k)] = char('b' + v % 25);
        s += w + ((i + 1) % perLine == 0 ? "\r\n" : " ");
    }
    return s;
}

/// Lines of 16 bytes: 4096 of them fill the line reader's first 64 KiB block.
inline std::string TwoBlockText(int front, int back) {
    std::string s;
    for (int i = 0; i < front; ++i) s += "alpha beta gam\r\n";
    for (int i = 0; i < back; ++i) s += "delta beta eps\r\n";
    return s;
}

inline std::string RandomBytes(size_t n, unsigned seed) {
    std::mt19937 gen(seed);
    std::string s(n, '\0');
    for (char& c : s) c = static_cast<char>(gen() & 0xFF);
    return s;
}

}  // namespace kvx::test
