#pragma once
// The word table: one record for each different word of a count, with its
// number of occurrences. The words' bytes live in an arena of large blocks
// and the records, all of one small size, point into it. During a count the
// words are found through a hash index (one lookup per word, no shifting);
// Finish() puts the records 0..size()-1 in ordinal order of word, the order
// the rest of the program expects.

#include <cstdint>
#include <cstdlib>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "base/RunObserver.h"
#include "scanning/WordSink.h"
#include "text/Unicode.h"

namespace kvx {

/// A word's first eight bytes, big-endian and zero-padded: as numbers they
/// compare as the words' beginnings do (the sorts' compact keys).
uint64_t OrderHead(std::string_view w);

/// No record: the end of the frequency chain, a word not added.
inline constexpr int32_t kNoWord = -1;

// The count first: a count touches nothing else.
struct WordRecord {
    int64_t frequency = 0;
    uint64_t at : 46 = 0;       // the word's first byte in the arena
    uint64_t length : 16 = 0;   // of the word (cp1252)
    uint64_t ownKey : 1 = 0;    // a sort key other than the word follows it in the arena
    uint64_t included : 1 = 1;  // survives the ignore rules
    int32_t rank = 0;           // position in frequency order, 0 = not ranked
    int32_t nextByFrequency = kNoWord;  // next record in frequency order
};

class WordTable : public WordSink {
public:
    /// Told of every new word (the live display); null: nobody listens.
    RunObserver* observer = nullptr;
    int16_t maxWordLength = 80;
    /// The words are UTF-8 (the letters of every script): their length is
    /// counted in characters.
    bool utf8Words = false;
    /// The alphabetical order of UTF-8 words; null: the folded Windows-1252 key.
    const text::Collation* collation = nullptr;
    /// The most bytes the table may take (records, words, index); beyond it
    /// adding a word throws std::bad_alloc, as a failed allocation does.
    int64_t memoryLimit = DefaultMemoryLimit();

    WordTable();
    WordTable(WordTable&&) noexcept = default;
    WordTable& operator=(WordTable&&) noexcept = default;

    /// Half the machine's memory: a vocabulary that does not fit stops with
    /// the out-of-memory message long before the machine starts swapping.
    static int64_t DefaultMemoryLimit();

    int32_t size() const { return int32_t(count_); }
    WordRecord& operator[](int32_t i) { return records_[size_t(i)]; }
    const WordRecord& operator[](int32_t i) const { return records_[size_t(i)]; }
    std::string_view Word(const WordRecord& r) const { return {Bytes(r.at), size_t(r.length)}; }
    std::string_view Word(int32_t i) const { return Word(records_[size_t(i)]); }
    /// LowerCaseExt(FoldForSorting(word)), the alphabetical order's key
    /// (the collation key and the word under a collation).
    std::string_view SortKey(const WordRecord& r) const;
    /// The records, for the sorts.
    std::span<WordRecord> Records() { return {records_.get(), count_}; }
    std::span<const WordRecord> Records() const { return {records_.get(), count_}; }

    void Reset();
    /// Makes room in the index for about n different words.
    void Expect(int64_t n);
    /// Makes room for the records of n words and, in an empty table, for
    /// about bytes of their words: they are not grown (and copied) step by step.
    void Reserve(int64_t n, int64_t bytes);
    /// The bytes the words and their sort keys take.
    int64_t WordBytes() const { return int64_t(bytes_); }
    /// Counts one occurrence of w, adding a record for a new word and telling
    /// the observer of it.
    void AddWordToList(std::string_view w) override;
    /// Adds n occurrences of w (a new word goes last), shown nowhere. Returns
    /// w's record, kNoWord when the count would overflow.
    int32_t AddCount(std::string_view w, int64_t n);
    /// Adds a record for w with n occurrences and its sort key without
    /// looking w up (a counts file holds each word once; repeats are found
    /// once sorted), origin in its rank; later additions find it.
    void AppendWord(std::string_view w, int64_t n, int32_t origin);
    /// Adds a record for a word not in the table with the sort key given
    /// (tests and benchmarks); it is not found by later additions.
    void AddRecord(std::string_view w, std::string_view key, int64_t n);
    /// Sorts the records by word (bytewise); nothing to do when they are.
    void Finish();
    /// Makes this emptied table the words of a and b, each sorted by word
    /// (Finish()), in that order, the counts of a word in both added. a and b
    /// are used up: their memory goes back as the merge passes it. With
    /// twoThreads a large merge is cut in two at a word, and the second
    /// half merged on a thread of its own. On failure all three are emptied.
    void Merge(WordTable& a, WordTable& b, bool twoThreads = false);
    /// The same for any number of inputs, merged at once: each word is copied
    /// once. Of a word in several inputs, or twice in one, the record of the
    /// first is kept.
    void Merge(std::span<WordTable* const> inputs, bool twoThreads = false);
    /// Exchanges the words (records, bytes, index) with other's, keeping
    /// each table's settings.
    void SwapWords(WordTable& other) noexcept;
    /// Record lo + k takes the record of from[k], for each k; from holds
    /// each of lo..lo + from.size() - 1 once and is used up.
    void Permute(int32_t lo, std::vector<int32_t>& from);

private:
    // A block holds the longest word and its key many times over, and is
    // large enough to be mapped on its own: its pages are taken as they are
    // written and given back whole.
    static constexpr int kBlockBits = 26;
    const char* Bytes(uint64_t at) const { return blocks_[at >> kBlockBits].get() + (at & ((1u << kBlockBits) - 1)); }
    int32_t Find(std::string_view w, uint64_t h) const;
    int32_t Append(std::string_view w, std::string_view key, bool ownKey, int64_t n);
    void Insert(int32_t slot, uint64_t h);
    void Resize(size_t entries);
    void Charge(int64_t bytes);
    void RebuildIndex();
    struct MergePart;
    static void MergeRange(std::span<WordTable* const> tables, MergePart& part);
    /// The bytes of r's word and, when it has one, of its own sort key.
    size_t Space(const WordRecord& r) const {
        return r.length + (r.ownKey ? 2 + size_t(uint8_t(Bytes(r.at)[r.length])) +
                                          (size_t(uint8_t(Bytes(r.at)[r.length + 1])) << 8)
                                    : 0);
    }

    // Grown by realloc, which moves large blocks by remapping their pages:
    // no copy, and never the old and the new array in memory at once.
    struct Free {
        void operator()(void* p) const { std::free(p); }
    };
    std::unique_ptr<WordRecord[], Free> records_;
    size_t count_ = 0, capacity_ = 0;
    // The first block starts small and doubles in place up to a whole block
    // (a word keeps its offset in it): a table of a few words, such as a
    // piece of a small file, takes kilobytes.
    using Block = std::unique_ptr<char[], Free>;
    std::vector<Block> blocks_;
    size_t blockUsed_ = 0, blockCapacity_ = 0;
    static Block NewBlock(size_t bytes);
    /// Room for space more bytes at the end of the last block.
    char* Room(size_t space);
    // Open addressing, starting at the top bits of the word's hash (the bits
    // a multiplicative hash mixes best). An entry holds the hash's top 32
    // bits and the record's number plus one (0: empty), so most words are
    // told apart without reading their record, and the index doubles from
    // the entries alone.
    struct IndexEntry {
        uint32_t tag = 0;
        uint32_t slot = 0;
    };
    std::vector<IndexEntry> index_;
    uint64_t mask_ = 0;
    int shift_ = 64;
    bool indexStale_ = false;  // Finish() moved the records
    int64_t charged_ = 0;      // bytes of blocks and index taken
    size_t bytes_ = 0;         // of the words and their keys in the blocks
    std::string key_;          // a new word's sort key being made
};

}  // namespace kvx
