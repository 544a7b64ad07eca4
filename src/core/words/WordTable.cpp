#include "words/WordTable.h"

#include <algorithm>
#include <bit>
#include <cstdint>
#include <cstring>
#include <utility>

#include "scanning/WordText.h"

namespace kvx {

namespace {

constexpr size_t kInitialIndexSize = 1024;

WordRecord NewRecord(std::string_view w, int64_t n) {
    WordRecord r;
    r.word = w;
    r.frequency = n;
    return r;
}

// The word's first eight bytes, zero-padded, first byte lowest: together
// with the length it tells words of up to eight bytes apart.
[[gnu::always_inline]] inline uint64_t Head(std::string_view w) {
    const char* p = w.data();
    const size_t n = w.size();
    if constexpr (std::endian::native != std::endian::little) {
        uint64_t v = 0;
        for (size_t i = 0; i < std::min<size_t>(n, 8); ++i) v |= uint64_t(uint8_t(p[i])) << (8 * i);
        return v;
    }
    if (n >= 8) {
        uint64_t v;
        std::memcpy(&v, p, 8);
        return v;
    }
    // Two overlapping loads, or three bytes (some of them the same one).
    if (n >= 4) {
        uint32_t a, b;
        std::memcpy(&a, p, 4);
        std::memcpy(&b, p + n - 4, 4);
        return a | uint64_t(b) << (8 * (n - 4));
    }
    if (n == 0) return 0;
    return uint64_t(uint8_t(p[0])) | uint64_t(uint8_t(p[n / 2])) << (8 * (n / 2)) |
           uint64_t(uint8_t(p[n - 1])) << (8 * (n - 1));
}

// Multiplicative: the top bits of the hash depend on every byte of the word.
[[gnu::always_inline]] inline uint64_t HashWord(std::string_view w, uint64_t head) {
    uint64_t h = (head ^ (0x9E3779B97F4A7C15ULL * w.size())) * 0x9E3779B97F4A7C15ULL;
    if (w.size() > 8) {
        // The rest eight bytes at a time, the last chunk overlapping the one before.
        size_t i = 8;
        for (; i + 8 < w.size(); i += 8) {
            uint64_t chunk;
            std::memcpy(&chunk, w.data() + i, 8);
            h = (h ^ chunk) * 0x9E3779B97F4A7C15ULL;
            h ^= h >> 29;
        }
        uint64_t last;
        std::memcpy(&last, w.data() + w.size() - 8, 8);
        h = (h ^ last) * 0x9E3779B97F4A7C15ULL;
    }
    return h;
}

}  // namespace

uint64_t OrderHead(std::string_view w) {
    uint64_t v = 0;
    const size_t n = std::min<size_t>(w.size(), 8);
    for (size_t i = 0; i < n; ++i) v |= uint64_t(uint8_t(w[i])) << (56 - 8 * i);
    return v;
}

void PermuteRecords(std::vector<WordRecord>& t, int32_t lo, std::vector<int32_t>& from) {
    // Slot lo + k takes the record of slot from[k]; each cycle of the
    // permutation is followed once, moving every record once.
    const int32_t n = int32_t(from.size());
    for (int32_t k = 0; k < n; ++k) {
        if (from[size_t(k)] < 0 || from[size_t(k)] == lo + k) continue;
        WordRecord held = std::move(t[size_t(lo + k)]);
        int32_t at = k;
        for (;;) {
            const int32_t src = from[size_t(at)];
            from[size_t(at)] = -1;
            if (src == lo + k) {
                t[size_t(lo + at)] = std::move(held);
                break;
            }
            t[size_t(lo + at)] = std::move(t[size_t(src)]);
            at = src - lo;
        }
    }
}

WordTable::WordTable() { Reset(); }

void WordTable::Reset() {
    WordList.clear();
    WordList.resize(1);
    wordCount = 0;
    index_.assign(kInitialIndexSize, IndexEntry{});
    mask_ = kInitialIndexSize - 1;
    shift_ = 64 - std::countr_zero(kInitialIndexSize);
    indexStale_ = false;
}

[[gnu::always_inline]] inline int32_t WordTable::Find(std::string_view w, uint64_t head,
                                                      uint64_t h) const {
    const size_t n = w.size();
    for (uint64_t pos = h >> shift_;; pos = (pos + 1) & mask_) {
        const IndexEntry& e = index_[pos];
        if (e.slot == 0) return 0;
        if (e.head == head && e.length == n &&
            (n <= 8 || std::memcmp(WordList[e.slot].word.data() + 8, w.data() + 8, n - 8) == 0))
            return e.slot;
    }
}

void WordTable::InsertIndex(int32_t slot, std::string_view w, uint64_t head, uint64_t h) {
    uint64_t pos = h >> shift_;
    while (index_[pos].slot != 0) pos = (pos + 1) & mask_;
    index_[pos] = IndexEntry{head, uint32_t(w.size()), slot};
}

void WordTable::RebuildIndex() {
    size_t size = kInitialIndexSize;
    while (size < size_t(wordCount) * 2 + 2) size *= 2;
    index_.assign(size, IndexEntry{});
    mask_ = size - 1;
    shift_ = 64 - std::countr_zero(size);
    for (int32_t s = 1; s <= wordCount; ++s) {
        const std::string_view w = WordList[s].word;
        const uint64_t head = Head(w);
        InsertIndex(s, w, head, HashWord(w, head));
    }
    indexStale_ = false;
}

void WordTable::AddWordToList(std::string_view w) {
    if (int64_t(w.size()) > maxWordLength) return;
    if (indexStale_) RebuildIndex();

    const uint64_t head = Head(w);
    const uint64_t h = HashWord(w, head);
    if (wordCount == 0) {
        WordList.resize(2);
        WordList[1] = NewRecord(w, 1);
        wordCount = 1;
        InsertIndex(1, w, head, h);
        if (observer) observer->newWord(w, 1);
        return;
    }

    if (const int32_t k = Find(w, head, h); k != 0) {
        ++WordList[k].frequency;
        return;
    }

    WordList.push_back(NewRecord(w, 1));
    ++wordCount;
    if (size_t(wordCount) * 2 > index_.size()) {
        RebuildIndex();  // includes the new record
    } else {
        InsertIndex(wordCount, w, head, h);
    }

    if (observer) observer->newWord(w, wordCount);
}

int32_t WordTable::AddCount(std::string_view w, int64_t n) {
    if (indexStale_) RebuildIndex();
    const uint64_t head = Head(w);
    const uint64_t h = HashWord(w, head);
    if (const int32_t k = Find(w, head, h); k != 0) {
        if (WordList[k].frequency > INT64_MAX - n) return 0;
        WordList[k].frequency += n;
        return k;
    }
    WordList.resize(size_t(wordCount) + 1);
    WordList.push_back(NewRecord(w, n));
    ++wordCount;
    if (size_t(wordCount) * 2 > index_.size())
        RebuildIndex();
    else
        InsertIndex(wordCount, w, head, h);
    return wordCount;
}

void WordTable::Finish() {
    if (WordList.empty()) WordList.resize(1);
    WordList.resize(size_t(wordCount) + 1);
    // Sorting (head, slot) pairs and moving each record once afterwards is
    // much cheaper than exchanging records; the words are all different, so
    // the order is the same.
    {
        std::vector<std::pair<uint64_t, int32_t>> keys(static_cast<size_t>(wordCount));
        for (int32_t s = 1; s <= wordCount; ++s) keys[size_t(s - 1)] = {OrderHead(WordList[size_t(s)].word), s};
        std::sort(keys.begin(), keys.end(), [this](const auto& a, const auto& b) {
            if (a.first != b.first) return a.first < b.first;
            return WordList[size_t(a.second)].word < WordList[size_t(b.second)].word;
        });
        std::vector<int32_t> from(keys.size());
        for (size_t k = 0; k < keys.size(); ++k) from[k] = keys[k].second;
        keys = {};
        PermuteRecords(WordList, 1, from);
    }
    for (int32_t s = 1; s <= wordCount; ++s) {
        WordRecord& r = WordList[s];
        if (r.sortKey.empty()) r.sortKey = wordtext::LowerCaseExt(wordtext::FoldForSorting(r.word));
    }
    indexStale_ = true;
}

}  // namespace kvx
