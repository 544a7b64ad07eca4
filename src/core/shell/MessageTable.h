#pragma once
// The numbered message texts of kvx.dat.

#include <cstdint>
#include <map>
#include <string>

namespace kvx {

/// The texts the program asks for by name; the values are their numbers
/// in kvx.dat.
enum class Message : int16_t {
    ProgramTitle = 1,
    CopyButtonCaption = 9,
    AboutPage = 14,
    ManualPage = 15,
    IntroWhat = 19,
    IntroSource = 20,
    IntroParameters = 21,
    IntroOutputFile = 22,
    IntroClipboard = 23,
    ListingTooLong = 27,
    NoOutputFile = 31,
    OutputFileDisabled = 32,
    OutputFileWritten = 33,
    ErrorTitle = 34,
    IntroCount = 35,
    UseCommonWordsFile = 40,
    UseDefaultCommonWords = 41,
    CommonWordsTitle = 42,
    StateSaved = 50,
    CountButtonCaption = 73,
    UserSubfolder = 310,
};

class MessageTable {
public:
    /// Loads the file. Returns the number of texts (> 0) or an error code:
    /// 0 none read, -1 cannot open, -6 empty, -7 read error, -8 memory,
    /// -(1500 + line) duplicate number, -(1000 + line) text too long,
    /// -(500 + line) number without text.
    int32_t Load(const std::string& path);
    /// Text number n (UTF-8), "" when there is none.
    std::string Text(int16_t n) const;
    std::string Get(Message m) const { return Text(static_cast<int16_t>(m)); }
    /// The critical message shown when loading failed with result r.
    static std::string LoadErrorText(int32_t r, const std::string& path);
    /// Sets a text directly (tests, and the command line's fallback).
    void Set(int16_t n, std::string text) { texts_[n] = std::move(text); }
    void Set(Message m, std::string text) { Set(static_cast<int16_t>(m), std::move(text)); }

private:
    std::map<int16_t, std::string> texts_;
};

}  // namespace kvx
