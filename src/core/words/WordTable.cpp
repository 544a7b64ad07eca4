#include "words/WordTable.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstdint>
#include <cstring>
#include <exception>
#include <new>
#include <system_error>
#include <thread>
#include <utility>

#include <sys/mman.h>
#include <unistd.h>

#include "scanning/WordText.h"
#include "text/Cp1252.h"

namespace kvx {

namespace {

constexpr size_t kInitialIndexSize = 1024;
constexpr size_t kBlockSize = size_t(1) << 26;
constexpr size_t kFirstBlockSize = size_t(1) << 16;

// An index of this many entries holds up to three words in four: short
// probes still, and a quarter of the memory of one kept half empty.
constexpr bool Full(size_t words, size_t entries) { return words * 4 + 4 > entries * 3; }

// The bytes that are their own sort key, alone and among others (Ž is not:
// its lower case depends on the other letters).
const std::array<bool, 256> kOwnKey = [] {
    std::array<bool, 256> t{};
    for (int c = 0; c < 256; ++c) {
        const std::string s(1, char(c));
        t[size_t(c)] = c != 0x8E && wordtext::LowerCaseExt(wordtext::FoldForSorting(s)) == s;
    }
    return t;
}();

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

// -1, 0, 1 as x comes before, is or comes after y bytewise.
[[gnu::always_inline]] inline int CompareWords(std::string_view x, std::string_view y) {
    const uint64_t hx = __builtin_bswap64(Head(x)), hy = __builtin_bswap64(Head(y));
    if (hx != hy) return hx < hy ? -1 : 1;
    const int c = x.compare(y);
    return c < 0 ? -1 : c > 0 ? 1 : 0;
}

// Copies n bytes eight at a time, the last eight overlapping the ones
// before: no call for the few bytes of a word, and no byte read or written
// outside either range.
[[gnu::always_inline]] inline void CopyBytes(char* to, const char* from, size_t n) {
    if (n < 8) {
        if (n >= 4) {
            uint32_t a, b;
            std::memcpy(&a, from, 4);
            std::memcpy(&b, from + n - 4, 4);
            std::memcpy(to, &a, 4);
            std::memcpy(to + n - 4, &b, 4);
        } else {
            for (size_t i = 0; i < n; ++i) to[i] = from[i];
        }
        return;
    }
    uint64_t v;
    for (size_t i = 0; i + 8 < n; i += 8) {
        std::memcpy(&v, from + i, 8);
        std::memcpy(to + i, &v, 8);
    }
    std::memcpy(&v, from + n - 8, 8);
    std::memcpy(to + n - 8, &v, 8);
}

// Gives the whole pages inside [from, to) back to the system: memory read
// for the last time, held until its array goes (its contents are lost).
// Whole huge pages only, which are given back without being split up.
// Returns where the pages given back end.
uintptr_t GiveBack(uintptr_t from, uintptr_t to) {
    constexpr uintptr_t page = uintptr_t(2) << 20;
    from = (from + page - 1) & ~(page - 1);
    to &= ~(page - 1);
    if (to <= from) return from;
    ::madvise(reinterpret_cast<void*>(from), to - from, MADV_DONTNEED);
    return to;
}

// Whether a[0..n) and b[0..n) are the same, eight bytes at a time, without
// reading past either.
[[gnu::always_inline]] inline bool SameBytes(const char* a, const char* b, size_t n) {
    if (n < 8) return Head({a, n}) == Head({b, n});
    uint64_t x, y;
    for (size_t i = 0; i + 8 < n; i += 8) {
        std::memcpy(&x, a + i, 8);
        std::memcpy(&y, b + i, 8);
        if (x != y) return false;
    }
    std::memcpy(&x, a + n - 8, 8);
    std::memcpy(&y, b + n - 8, 8);
    return x == y;
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

// Large arrays read at random take huge pages where the system gives them
// on request: far fewer misses of the address translation.
void AskHugePages(void* p, size_t bytes) {
    constexpr uintptr_t kHuge = uintptr_t(2) << 20;
    if (bytes < 2 * kHuge) return;
    const uintptr_t from = (reinterpret_cast<uintptr_t>(p) + kHuge - 1) & ~(kHuge - 1);
    const uintptr_t to = (reinterpret_cast<uintptr_t>(p) + bytes) & ~(kHuge - 1);
    if (to > from) ::madvise(reinterpret_cast<void*>(from), to - from, MADV_HUGEPAGE);
}

}  // namespace

uint64_t OrderHead(std::string_view w) {
    uint64_t v = 0;
    const size_t n = std::min<size_t>(w.size(), 8);
    for (size_t i = 0; i < n; ++i) v |= uint64_t(uint8_t(w[i])) << (56 - 8 * i);
    return v;
}

int64_t WordTable::DefaultMemoryLimit() {
    static const int64_t limit = [] {
        const long pages = ::sysconf(_SC_PHYS_PAGES), page = ::sysconf(_SC_PAGESIZE);
        return pages > 0 && page > 0 ? int64_t(pages) * page / 2 : int64_t(8) << 30;
    }();
    return limit;
}

WordTable::WordTable() { Reset(); }

std::string_view WordTable::SortKey(const WordRecord& r) const {
    if (!r.ownKey) return Word(r);
    const auto* p = reinterpret_cast<const unsigned char*>(Bytes(r.at)) + r.length;
    return {reinterpret_cast<const char*>(p) + 2, size_t(p[0] | p[1] << 8)};
}

void WordTable::Reset() {
    records_.reset();
    count_ = capacity_ = 0;
    blocks_.clear();
    blockUsed_ = blockCapacity_ = 0;
    index_ = decltype(index_)();  // "= {}" would keep the memory
    charged_ = 0;
    bytes_ = 0;
    Resize(kInitialIndexSize);
    indexStale_ = false;
}

void WordTable::Charge(int64_t bytes) {
    if (charged_ + bytes > memoryLimit) throw std::bad_alloc();
    charged_ += bytes;
}

void WordTable::Permute(int32_t lo, std::vector<int32_t>& from) {
    // Gathered into a new array: the reads are independent of each other,
    // so the memory serves many at once (moving records in place follows
    // each cycle one miss after another).
    const size_t n = from.size();
    if (n == 0) return;
    std::unique_ptr<WordRecord[], Free> moved(static_cast<WordRecord*>(std::malloc(n * sizeof(WordRecord))));
    if (!moved) throw std::bad_alloc();
    constexpr size_t kAhead = 16;
    for (size_t k = 0; k < n; ++k) {
        if (k + kAhead < n) __builtin_prefetch(&records_[size_t(from[k + kAhead])]);
        moved[k] = records_[size_t(from[k])];
    }
    std::vector<int32_t>().swap(from);  // "= {}" would keep its memory
    if (lo == 0 && n == count_) {
        records_ = std::move(moved);
        charged_ -= int64_t((capacity_ - n) * sizeof(WordRecord));
        capacity_ = n;
    } else {
        std::memcpy(static_cast<void*>(records_.get() + lo), moved.get(), n * sizeof(WordRecord));
    }
}

[[gnu::always_inline]] inline int32_t WordTable::Find(std::string_view w, uint64_t h) const {
    const uint32_t tag = uint32_t(h >> 32);
    const size_t n = w.size();
    for (uint64_t pos = h >> shift_;; pos = (pos + 1) & mask_) {
        const IndexEntry e = index_[pos];
        if (e.slot == 0) return kNoWord;
        if (e.tag == tag) {
            const WordRecord& r = records_[e.slot - 1];
            if (r.length == n && SameBytes(Bytes(r.at), w.data(), n)) return int32_t(e.slot - 1);
        }
    }
}

void WordTable::Insert(int32_t slot, uint64_t h) {
    uint64_t pos = h >> shift_;
    while (index_[pos].slot != 0) pos = (pos + 1) & mask_;
    index_[pos] = IndexEntry{uint32_t(h >> 32), uint32_t(slot) + 1};
}

void WordTable::Resize(size_t entries) {
    // The new place of an entry follows from its tag alone (the hash's top
    // bits): no word is read again.
    Charge(int64_t((entries - index_.size()) * sizeof(IndexEntry)));
    std::vector<IndexEntry> old(entries);
    AskHugePages(old.data(), entries * sizeof(IndexEntry));
    old.swap(index_);
    mask_ = entries - 1;
    shift_ = 64 - std::countr_zero(entries);
    for (const IndexEntry& e : old) {
        if (e.slot == 0) continue;
        uint64_t pos = (uint64_t(e.tag) << 32) >> shift_;
        while (index_[pos].slot != 0) pos = (pos + 1) & mask_;
        index_[pos] = e;
    }
}

void WordTable::Expect(int64_t n) {
    if (indexStale_) RebuildIndex();
    size_t entries = index_.size();
    while (Full(size_t(std::clamp<int64_t>(n, 0, INT32_MAX)), entries)) entries *= 2;
    if (entries > index_.size()) Resize(entries);
}

void WordTable::Reserve(int64_t n, int64_t bytes) {
    if (n > int64_t(capacity_) && n < INT32_MAX) {
        const size_t more = size_t(n) - capacity_;
        Charge(int64_t(more * sizeof(WordRecord)));
        void* grown = std::realloc(records_.get(), size_t(n) * sizeof(WordRecord));
        if (!grown) {
            charged_ -= int64_t(more * sizeof(WordRecord));
            throw std::bad_alloc();
        }
        (void)records_.release();
        records_.reset(static_cast<WordRecord*>(grown));
        capacity_ = size_t(n);
        AskHugePages(grown, capacity_ * sizeof(WordRecord));
    }
    if (blocks_.empty() && bytes > int64_t(kFirstBlockSize)) {
        size_t capacity = kFirstBlockSize;
        while (capacity < size_t(bytes) && capacity < kBlockSize) capacity *= 2;
        blocks_.push_back(NewBlock(capacity));
        blockUsed_ = 0;
        blockCapacity_ = capacity;
    }
}

void WordTable::RebuildIndex() {
    size_t entries = kInitialIndexSize;
    while (Full(count_ + 1, entries)) entries *= 2;
    charged_ -= int64_t(index_.size() * sizeof(IndexEntry));
    index_ = decltype(index_)();
    Resize(entries);
    for (int32_t s = 0; s < size(); ++s) {
        const std::string_view w = Word(s);
        Insert(s, HashWord(w, Head(w)));
    }
    indexStale_ = false;
}

WordTable::Block WordTable::NewBlock(size_t bytes) {
    Block b(static_cast<char*>(std::malloc(bytes)));
    if (!b) throw std::bad_alloc();
    return b;
}

char* WordTable::Room(size_t space) {
    if (blockUsed_ + space > blockCapacity_) {
        if (!blocks_.empty() && blockUsed_ + space <= kBlockSize) {
            size_t capacity = blockCapacity_;
            while (capacity < blockUsed_ + space) capacity *= 2;
            capacity = std::min(capacity, kBlockSize);
            void* grown = std::realloc(blocks_.back().get(), capacity);
            if (!grown) throw std::bad_alloc();
            (void)blocks_.back().release();
            blocks_.back().reset(static_cast<char*>(grown));
            blockCapacity_ = capacity;
        } else {
            size_t capacity = blocks_.empty() ? kFirstBlockSize : kBlockSize;
            while (capacity < space) capacity *= 2;
            blocks_.push_back(NewBlock(capacity));
            blockUsed_ = 0;
            blockCapacity_ = capacity;
        }
    }
    return blocks_.back().get() + blockUsed_;
}

int32_t WordTable::Append(std::string_view w, std::string_view key, bool ownKey, int64_t n) {
    if (count_ >= size_t(INT32_MAX) - 1) throw std::bad_alloc();
    const size_t space = w.size() + (ownKey ? 2 + key.size() : 0);
    Charge(int64_t(space));
    char* p = Room(space);
    if (count_ == capacity_) {
        const size_t more = std::max<size_t>(capacity_, 256);
        Charge(int64_t(more * sizeof(WordRecord)));
        void* grown = std::realloc(records_.get(), (capacity_ + more) * sizeof(WordRecord));
        if (!grown) {
            charged_ -= int64_t(more * sizeof(WordRecord));
            throw std::bad_alloc();
        }
        (void)records_.release();
        records_.reset(static_cast<WordRecord*>(grown));
        capacity_ += more;
        AskHugePages(grown, capacity_ * sizeof(WordRecord));
    }
    std::memcpy(p, w.data(), w.size());
    if (ownKey) {
        p[w.size()] = char(key.size() & 0xFF);
        p[w.size() + 1] = char(key.size() >> 8);
        std::memcpy(p + w.size() + 2, key.data(), key.size());
    }
    WordRecord r;
    r.frequency = n;
    r.at = (uint64_t(blocks_.size() - 1) << kBlockBits) | blockUsed_;
    r.length = w.size();
    r.ownKey = ownKey;
    records_[count_++] = r;
    blockUsed_ += space;
    bytes_ += space;
    return size() - 1;
}

namespace {

// The sort key of w in key; false when it is w itself.
bool MakeSortKey(std::string_view w, std::string& key, const text::Collation* collation) {
    if (collation) {
        key = collation->Key(w);
        if (key.size() > 0xFFFF) key.resize(0xFFFF);  // its length is kept in two bytes
        return true;
    }
    bool own = true;
    for (char c : w) own = own && kOwnKey[uint8_t(c)];
    if (own) return false;
    key = wordtext::LowerCaseExt(wordtext::FoldForSorting(w));
    return key != w;
}

}  // namespace

void WordTable::AddRecord(std::string_view w, std::string_view key, int64_t n) {
    Append(w, key, key != w, n);
}

void WordTable::AppendWord(std::string_view w, int64_t n, int32_t origin) {
    const bool own = MakeSortKey(w, key_, collation);
    records_[size_t(Append(w, key_, own, n))].rank = origin;
    indexStale_ = true;
}

void WordTable::AddWordToList(std::string_view w) {
    if (int64_t(w.size()) > maxWordLength &&
        (!utf8Words || w.size() > 0xFFFF || int64_t(text::utf8Length(w)) > maxWordLength))
        return;
    if (indexStale_) RebuildIndex();

    const uint64_t h = HashWord(w, Head(w));
    if (const int32_t k = Find(w, h); k != kNoWord) {
        ++records_[size_t(k)].frequency;
        return;
    }
    const bool own = MakeSortKey(w, key_, collation);
    if (Full(count_ + 1, index_.size())) Resize(index_.size() * 2);
    Insert(Append(w, key_, own, 1), h);
    if (observer) observer->newWord(w, size());
}

int32_t WordTable::AddCount(std::string_view w, int64_t n) {
    if (indexStale_) RebuildIndex();
    const uint64_t h = HashWord(w, Head(w));
    if (const int32_t k = Find(w, h); k != kNoWord) {
        if (records_[size_t(k)].frequency > INT64_MAX - n) return kNoWord;
        records_[size_t(k)].frequency += n;
        return k;
    }
    const bool own = MakeSortKey(w, key_, collation);
    if (Full(count_ + 1, index_.size())) Resize(index_.size() * 2);
    const int32_t k = Append(w, key_, own, n);
    Insert(k, h);
    return k;
}

void WordTable::Finish() {
    // The index is not needed until a word is added again: its memory goes
    // to the sorts.
    charged_ -= int64_t(index_.size() * sizeof(IndexEntry));
    index_ = decltype(index_)();
    indexStale_ = true;
    // A table merged from sorted ones is in order already, and its words
    // lie one after the other.
    bool sorted = true, laidOut = true;
    for (size_t s = 1; s < count_ && sorted; ++s) {
        sorted = CompareWords(Word(records_[s - 1]), Word(records_[s])) < 0;
        laidOut = laidOut && records_[s - 1].at < records_[s].at;
    }
    if (sorted && laidOut) return;
    std::vector<int32_t> from;  // the records in word order
    if (!sorted) {
        // Sorting (head, record) pairs is much cheaper than exchanging
        // records; the words are all different, so the order is the same.
        std::vector<std::pair<uint64_t, int32_t>> keys(count_);
        for (int32_t s = 0; s < size(); ++s) keys[size_t(s)] = {__builtin_bswap64(Head(Word(s))), s};
        const auto less = [this](const auto& a, const auto& b) {
            if (a.first != b.first) return a.first < b.first;
            return Word(a.second) < Word(b.second);
        };
        constexpr int kRadixBits = 24;
        if (count_ < 4096) {
            std::sort(keys.begin(), keys.end(), less);
        } else {
            // By the first three bytes, one at a time from the last of them
            // and keeping the order of equal ones; then each group of words
            // that share them, few on most texts, by comparisons.
            std::vector<std::pair<uint64_t, int32_t>> spare(count_);
            for (int shift = 64 - kRadixBits; shift < 64; shift += 8) {
                std::array<size_t, 256> at{};
                for (const auto& k : keys) ++at[(k.first >> shift) & 0xFF];
                if (at[(keys[0].first >> shift) & 0xFF] == count_) continue;  // all alike
                size_t sum = 0;
                for (size_t& a : at) sum += std::exchange(a, sum);
                for (const auto& k : keys) spare[at[(k.first >> shift) & 0xFF]++] = k;
                keys.swap(spare);
            }
            for (size_t lo = 0, hi; lo < count_; lo = hi) {
                const uint64_t group = keys[lo].first >> (64 - kRadixBits);
                for (hi = lo + 1; hi < count_ && keys[hi].first >> (64 - kRadixBits) == group;) ++hi;
                if (hi - lo > 1) std::sort(keys.begin() + lo, keys.begin() + hi, less);
            }
        }
        from.resize(keys.size());
        for (size_t k = 0; k < keys.size(); ++k) from[k] = keys[k].second;
    }

    // Each record moves once, into a new array in word order, and its word
    // into new blocks in the same order, so that the passes over the sorted
    // table read them one after the other. The reads are independent of each
    // other, so the memory serves many at once. Each block is as large as
    // what is left to move, up to a whole one.
    const size_t n = count_;
    std::unique_ptr<WordRecord[], Free> moved(static_cast<WordRecord*>(std::malloc(std::max<size_t>(n, 1) * sizeof(WordRecord))));
    if (!moved) throw std::bad_alloc();
    const auto source = [&](size_t k) -> const WordRecord& { return records_[sorted ? k : size_t(from[k])]; };
    std::vector<Block> blocks;
    size_t used = 0, capacity = 0, left = bytes_;
    for (size_t k = 0; k < n; ++k) {
        if (k + 16 < n) __builtin_prefetch(&source(k + 16));
        if (k + 8 < n) __builtin_prefetch(Bytes(source(k + 8).at));
        WordRecord r = source(k);
        const size_t space = Space(r);
        if (used + space > capacity) {
            capacity = std::min(kBlockSize, std::max(left, space));
            blocks.push_back(NewBlock(capacity));
            used = 0;
        }
        CopyBytes(blocks.back().get() + used, Bytes(r.at), space);
        r.at = (uint64_t(blocks.size() - 1) << kBlockBits) | used;
        moved[k] = r;
        used += space;
        left -= std::min(left, space);
    }
    records_ = std::move(moved);
    charged_ -= int64_t((capacity_ - n) * sizeof(WordRecord));
    capacity_ = n;
    blocks_ = std::move(blocks);
    blockUsed_ = used;
    blockCapacity_ = capacity;
}

// Records [from[t], to[t]) of each input t merged into the records from
// `out` on and blocks of the part's own, numbered from 0.
struct WordTable::MergePart {
    std::vector<size_t> from, to;
    WordRecord* out = nullptr;
    size_t count = 0, bytes = 0, used = 0, capacity = 0;
    std::vector<Block> blocks;
};

void WordTable::MergeRange(std::span<WordTable* const> tables, MergePart& part) {
    // Each input is read once, front to back: its records' pages and its
    // blocks go back to the system behind the merge, so that the inputs and
    // the result together take little more than the result. A block that
    // holds words of another part is left to the end.
    struct Input {
        WordTable* t;
        size_t i, end, blocksGiven;
        uintptr_t given;
        Input(WordTable& table, size_t from, size_t to)
            : t(&table), i(from), end(to),
              blocksGiven(from == 0 ? 0 : from >= table.count_ ? table.blocks_.size() : Block(from) + 1),
              given(reinterpret_cast<uintptr_t>(table.records_.get() + from)) {}
        size_t Block(size_t k) const { return size_t(t->records_[k].at >> kBlockBits); }
        bool More() const { return i < end; }
        const WordRecord& Record() const { return t->records_[i]; }
        std::string_view Word() const { return t->Word(t->records_[i]); }
        void GiveBackRead() {
            const size_t block = More() ? Block(i) : end < t->count_ ? Block(end) : t->blocks_.size();
            for (; blocksGiven < block; ++blocksGiven) t->blocks_[blocksGiven].reset();
            given = GiveBack(given, reinterpret_cast<uintptr_t>(t->records_.get() + i));
        }
    };
    const size_t k = tables.size();
    std::vector<Input> in;
    in.reserve(k);
    // What the part's inputs hold still, at most: a block is made as large
    // as that, up to a whole one (its pages are taken as they are written).
    size_t left = 0;
    for (size_t t = 0; t < k; ++t) {
        in.emplace_back(*tables[t], part.from[t], part.to[t]);
        left += tables[t]->bytes_;
    }

    // A tree of losers over the inputs' current words: each word taken costs
    // log2(k) comparisons, most of them of the words' first eight bytes
    // alone. An input used up comes after all words; of equal words the one
    // of the earlier input comes first.
    size_t leaves = 1;
    while (leaves < k) leaves *= 2;
    std::vector<uint64_t> key(leaves, ~uint64_t(0));
    std::vector<uint8_t> done(leaves, 1);
    for (size_t t = 0; t < k; ++t)
        if (in[t].More()) {
            done[t] = 0;
            key[t] = __builtin_bswap64(Head(in[t].Word()));
        }
    const auto before = [&](size_t x, size_t y) __attribute__((always_inline)) {
        if (key[x] != key[y]) return key[x] < key[y];
        if (done[x] != done[y]) return done[y] != 0;
        if (done[x]) return x < y;
        const int c = in[x].Word().compare(in[y].Word());
        return c != 0 ? c < 0 : x < y;
    };
    std::vector<size_t> loser(leaves), winner(2 * leaves);
    for (size_t t = 0; t < leaves; ++t) winner[leaves + t] = t;
    for (size_t node = leaves - 1; node > 0; --node) {
        const size_t x = winner[2 * node], y = winner[2 * node + 1];
        const bool xFirst = before(x, y);
        winner[node] = xFirst ? x : y;
        loser[node] = xFirst ? y : x;
    }
    size_t w = leaves > 1 ? winner[1] : 0;

    char* out = nullptr;
    size_t used = 0, capacity = 0, count = 0;
    uint64_t lastKey = 0;
    std::string_view last;  // the word last written
    constexpr size_t kGiveBackEvery = size_t(1) << 16;
    size_t steps = 0;
    while (!done[w]) {
        Input& x = in[w];
        const WordRecord& r = x.Record();
        const size_t space = x.t->Space(r);
        if (count > 0 && key[w] == lastKey && x.Word() == last) {
            part.out[count - 1].frequency += r.frequency;
            left -= space;
        } else {
            if (used + space > capacity) {
                capacity = std::min(kBlockSize, left);
                part.blocks.push_back(NewBlock(capacity));
                out = part.blocks.back().get();
                used = 0;
            }
            CopyBytes(out + used, x.t->Bytes(r.at), space);
            WordRecord& o = part.out[count++];
            o = r;
            o.at = (uint64_t(part.blocks.size() - 1) << kBlockBits) | used;
            last = {out + used, size_t(r.length)};
            lastKey = key[w];
            used += space;
            part.bytes += space;
            left -= space;
        }
        if (++x.i < x.end) {
            __builtin_prefetch(&x.t->records_[x.i + 12]);
            key[w] = __builtin_bswap64(Head(x.Word()));
        } else {
            done[w] = 1;
            key[w] = ~uint64_t(0);
            x.GiveBackRead();
        }
        for (size_t node = (w + leaves) >> 1; node > 0; node >>= 1)
            if (before(loser[node], w)) std::swap(loser[node], w);
        if ((++steps & (kGiveBackEvery - 1)) == 0)
            for (Input& i : in) i.GiveBackRead();
    }
    for (Input& i : in) i.GiveBackRead();
    part.count = count;
    part.used = used;
    part.capacity = capacity;
}

void WordTable::Merge(WordTable& a, WordTable& b, bool twoThreads) {
    WordTable* const inputs[] = {&a, &b};
    Merge(inputs, twoThreads);
}

void WordTable::Merge(std::span<WordTable* const> inputs, bool twoThreads) {
    Reset();
    charged_ -= int64_t(index_.size() * sizeof(IndexEntry));
    index_ = decltype(index_)();
    indexStale_ = true;
    size_t n = 0, largest = 0;
    int64_t words = 0;  // at most
    for (size_t t = 0; t < inputs.size(); ++t) {
        n += inputs[t]->count_;
        words += int64_t(inputs[t]->bytes_);
        if (inputs[t]->count_ > inputs[largest]->count_) largest = t;
    }
    MergePart first, second;
    try {
        if (n > size_t(INT32_MAX) - 1) throw std::bad_alloc();
        Charge(int64_t(n * sizeof(WordRecord)) + words);
        if (n > 0) {
            records_.reset(static_cast<WordRecord*>(std::malloc(n * sizeof(WordRecord))));
            if (!records_) throw std::bad_alloc();
            capacity_ = n;
        }
        first.from.assign(inputs.size(), 0);
        for (WordTable* t : inputs) first.to.push_back(t->count_);
        first.out = records_.get();
        if (twoThreads && n >= (size_t(1) << 16)) {
            // Cut at the middle word of the largest input: the words before
            // it, in all of them, make the first part.
            const WordTable& large = *inputs[largest];
            const std::string_view w = large.Word(large.records_[large.count_ / 2]);
            second.from.resize(inputs.size());
            second.to = first.to;
            size_t before = 0;
            for (size_t t = 0; t < inputs.size(); ++t) {
                const WordTable& in = *inputs[t];
                size_t lo = 0, hi = in.count_;
                if (t == largest) {
                    // A word an input holds twice (a counts file's repeat)
                    // goes whole to the second part, to be added up there.
                    lo = in.count_ / 2;
                    while (lo > 0 && in.Word(in.records_[lo - 1]) == w) --lo;
                } else {
                    while (lo < hi) {
                        const size_t m = lo + (hi - lo) / 2;
                        if (CompareWords(in.Word(in.records_[m]), w) < 0)
                            lo = m + 1;
                        else
                            hi = m;
                    }
                }
                first.to[t] = second.from[t] = lo;
                before += lo;
            }
            second.out = records_.get() + before;
            std::exception_ptr failed;
            std::thread helper;
            try {
                helper = std::thread([&] {
                    try {
                        MergeRange(inputs, second);
                    } catch (...) {
                        failed = std::current_exception();
                    }
                });
            } catch (const std::system_error&) {  // no thread to be had: this one does both
                MergeRange(inputs, second);
            }
            try {
                MergeRange(inputs, first);
            } catch (...) {
                if (helper.joinable()) helper.join();
                throw;
            }
            if (helper.joinable()) helper.join();
            if (failed) std::rethrow_exception(failed);
        } else {
            MergeRange(inputs, first);
        }
    } catch (...) {
        for (WordTable* t : inputs) t->Reset();
        Reset();
        throw;
    }
    // The second part's records follow the first's, its blocks numbered on.
    blocks_ = std::move(first.blocks);
    count_ = first.count;
    const uint64_t shift = uint64_t(blocks_.size()) << kBlockBits;
    for (size_t k = 0; k < second.count; ++k) {
        WordRecord r = second.out[k];
        r.at += shift;
        records_[count_++] = r;
    }
    for (Block& block : second.blocks) blocks_.push_back(std::move(block));
    const MergePart& last = second.blocks.empty() ? first : second;
    blockUsed_ = last.used;
    blockCapacity_ = last.capacity;
    bytes_ = first.bytes + second.bytes;
    charged_ -= words - int64_t(bytes_);
    for (WordTable* t : inputs) t->Reset();
}

void WordTable::SwapWords(WordTable& other) noexcept {
    using std::swap;
    swap(records_, other.records_);
    swap(count_, other.count_);
    swap(capacity_, other.capacity_);
    swap(blocks_, other.blocks_);
    swap(blockUsed_, other.blockUsed_);
    swap(blockCapacity_, other.blockCapacity_);
    swap(index_, other.index_);
    swap(mask_, other.mask_);
    swap(shift_, other.shift_);
    swap(indexStale_, other.indexStale_);
    swap(charged_, other.charged_);
    swap(bytes_, other.bytes_);
}

}  // namespace kvx
