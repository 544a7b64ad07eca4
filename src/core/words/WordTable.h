#pragma once
// The word table: one record for each different word of a count, with its
// number of occurrences. During a count the words live in a hash index (one
// lookup per word, no shifting); Finish() turns them into WordList[1..n] in
// ordinal order of word, the order the rest of the program expects.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "base/RunObserver.h"
#include "scanning/WordSink.h"

namespace kvx {

/// A word's first eight bytes, big-endian and zero-padded: as numbers they
/// compare as the words' beginnings do (the sorts' compact keys).
uint64_t OrderHead(std::string_view w);

// The word and its count come first: a count touches nothing else.
struct WordRecord {
    std::string word;  // the word as counted (cp1252)
    int64_t frequency = 0;
    int32_t rank = 0;  // position in frequency order, 0 = not ranked
    int32_t nextByFrequency = 0;  // next slot in frequency order, 0 = end
    bool included = true;
    std::string sortKey;  // LowerCaseExt(FoldForSorting(word))
};

/// Moves the record of slot from[k] to slot lo + k, for each k; from holds
/// each of lo..lo + from.size() - 1 once and is used up.
void PermuteRecords(std::vector<WordRecord>& t, int32_t lo, std::vector<int32_t>& from);

class WordTable : public WordSink {
public:
    /// Told of every new word (the live display); null: nobody listens.
    RunObserver* observer = nullptr;
    int16_t maxWordLength = 80;

    /// Slot 0 unused; records 1..wordCount in word order after Finish().
    std::vector<WordRecord> WordList;
    int32_t wordCount = 0;

    WordTable();

    void Reset();
    /// Counts one occurrence of w, adding a record for a new word and telling
    /// the observer of it.
    void AddWordToList(std::string_view w) override;
    /// Adds n occurrences of w (a new word goes last), shown nowhere. Returns
    /// w's slot, 0 when the count would overflow.
    int32_t AddCount(std::string_view w, int64_t n);
    /// Sorts the records by word (bytewise) and sets their sort keys.
    void Finish();

private:
    int32_t Find(std::string_view w, uint64_t head, uint64_t h) const;
    void InsertIndex(int32_t slot, std::string_view w, uint64_t head, uint64_t h);
    void RebuildIndex();

    // Open addressing, starting at the top bits of the word's hash (the bits
    // a multiplicative hash mixes best). An entry holds the word's first
    // eight bytes and its length, so most words are matched without reading
    // their record; slot 0 marks an empty entry.
    struct IndexEntry {
        uint64_t head = 0;
        uint32_t length = 0;
        int32_t slot = 0;
    };
    std::vector<IndexEntry> index_;
    uint64_t mask_ = 0;
    int shift_ = 64;
    bool indexStale_ = false;       // Finish() moved the records
};

}  // namespace kvx
