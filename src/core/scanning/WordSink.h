#pragma once

#include <string>
#include <string_view>

namespace kvx {

/// Receives the words that survive GetWords2 (counting) or every word (loading).
class WordSink {
public:
    virtual ~WordSink() = default;
    virtual void AddWordToList(std::string_view word) = 0;
    /// The words before and after are not consecutive (told only when the
    /// scanner's phraseBreaks is set).
    virtual void EndOfRun() {}
    /// A line as read, before it is prepared and scanned (told only when
    /// the scanner's lineStarts is set).
    virtual void BeginLine(const std::string& /*line*/) {}
};

}  // namespace kvx
