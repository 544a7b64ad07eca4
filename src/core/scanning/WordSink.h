#pragma once

#include <string_view>

namespace kvx {

/// Receives the words that survive GetWords2 (counting) or every word (loading).
class WordSink {
public:
    virtual ~WordSink() = default;
    virtual void AddWordToList(std::string_view word) = 0;
};

}  // namespace kvx
