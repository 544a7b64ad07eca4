#pragma once
// The numbered message texts of kvx.dat.

#include <cstdint>
#include <map>
#include <string>

namespace kvx {

class MessageTable {
public:
    /// Loads the file. Returns the number of texts (> 0) or an error code:
    /// 0 none read, -1 cannot open, -6 empty, -7 read error, -8 memory,
    /// -(1500 + line) duplicate number, -(1000 + line) text too long,
    /// -(500 + line) number without text.
    int32_t Load(const std::string& path);
    /// Text number n (UTF-8), "" when there is none.
    std::string GetProgramText(int16_t n) const;
    /// The critical message shown when loading failed with result r.
    static std::string LoadErrorText(int32_t r, const std::string& path);
    /// Sets a text directly (tests, and the command line's fallback).
    void Set(int16_t n, std::string text) { texts_[n] = std::move(text); }

private:
    std::map<int16_t, std::string> texts_;
};

}  // namespace kvx
