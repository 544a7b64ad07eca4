#include "words/WordTable.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

#include "params/Params.h"
#include "scanning/StrProc.h"
#include "shell/Host.h"
#include "text/Cp1252.h"

namespace kvx {

namespace {

constexpr size_t kInitialIndexSize = 1024;

uint64_t Mix(uint64_t h) {
    h ^= h >> 33;
    h *= 0xff51afd7ed558ccdULL;
    h ^= h >> 33;
    h *= 0xc4ceb9fe1a85ec53ULL;
    h ^= h >> 33;
    return h;
}

[[gnu::always_inline]] inline uint64_t HashWord(std::string_view w) {
    uint64_t h = 0x9E3779B97F4A7C15ULL ^ w.size();
    size_t i = 0;
    for (; i + 8 <= w.size(); i += 8) {
        uint64_t chunk;
        std::memcpy(&chunk, w.data() + i, 8);
        h = (h ^ chunk) * 0x9E3779B97F4A7C15ULL;
        h ^= h >> 29;
    }
    // The last 0 to 7 bytes: two overlapping loads, or three bytes; the
    // length, mixed in above, tells the overlaps apart.
    const size_t rem = w.size() - i;
    const char* p = w.data() + i;
    uint64_t tail = 0;
    if (rem >= 4) {
        uint32_t a, b;
        std::memcpy(&a, p, 4);
        std::memcpy(&b, p + rem - 4, 4);
        tail = a | uint64_t(b) << 32;
    } else if (rem > 0) {
        tail = uint64_t(uint8_t(p[0])) | uint64_t(uint8_t(p[rem / 2])) << 8 | uint64_t(uint8_t(p[rem - 1])) << 16;
    }
    h = (h ^ tail) * 0x9E3779B97F4A7C15ULL;
    return Mix(h);
}

// Equal bytes; short words are compared inline rather than through a call.
inline bool SameBytes(const char* a, const char* b, size_t n) {
    if (n > 16) return std::memcmp(a, b, n) == 0;
    for (size_t i = 0; i < n; ++i)
        if (a[i] != b[i]) return false;
    return true;
}

}  // namespace

WordTable::WordTable() { Reset(); }

void WordTable::Reset() {
    WordList.clear();
    WordList.resize(1);
    lngNumWords = 0;
    index_.assign(kInitialIndexSize, 0);
    mask_ = kInitialIndexSize - 1;
    indexStale_ = false;
}

[[gnu::always_inline]] inline int32_t WordTable::Find(std::string_view w, uint64_t h) const {
    const uint64_t tag = h & 0xFFFFFFFF00000000ULL;
    for (uint64_t pos = h & mask_;; pos = (pos + 1) & mask_) {
        const uint64_t e = index_[pos];
        if (e == 0) return 0;
        if ((e & 0xFFFFFFFF00000000ULL) == tag) {
            const int32_t slot = int32_t(e & 0xFFFFFFFFULL);
            const std::string& word = WordList[slot].strWord;
            if (word.size() == w.size() && SameBytes(word.data(), w.data(), w.size())) return slot;
        }
    }
}

void WordTable::InsertIndex(int32_t slot, uint64_t h) {
    uint64_t pos = h & mask_;
    while (index_[pos] != 0) pos = (pos + 1) & mask_;
    index_[pos] = (h & 0xFFFFFFFF00000000ULL) | uint32_t(slot);
}

void WordTable::RebuildIndex() {
    size_t size = kInitialIndexSize;
    while (size < size_t(lngNumWords) * 2 + 2) size *= 2;
    index_.assign(size, 0);
    mask_ = size - 1;
    for (int32_t s = 1; s <= lngNumWords; ++s) InsertIndex(s, HashWord(WordList[s].strWord));
    indexStale_ = false;
}

void WordTable::AddWordToList(std::string_view w) {
    if (int64_t(w.size()) > intMaxWordLength) return;
    if (indexStale_) RebuildIndex();

    const uint64_t h = HashWord(w);
    if (lngNumWords == 0) {
        WordList.resize(2);
        WordList[1] = WordRecord{std::string(w), 1};
        lngNumWords = 1;
        InsertIndex(1, h);
        if (params && params->chkSuppressWords == 0 && host) {
            std::string shown = text::cp1252ToUtf8(w);
            shown += ' ';
            host->setOutputText(shown);
        }
        return;
    }

    if (const int32_t k = Find(w, h); k != 0) {
        ++WordList[k].lngFreq;
        return;
    }

    WordList.push_back(WordRecord{std::string(w), 1});
    ++lngNumWords;
    if (size_t(lngNumWords) * 2 > index_.size()) {
        RebuildIndex();  // includes the new record
    } else {
        InsertIndex(lngNumWords, h);
    }

    if (lngNumWords % 10 == 0 && host) {
        const char* lead = blnReadingWords ? "Number of common words read so far: "
                                           : "Number of different words found so far: ";
        host->setLabel(Label::NumberOfWords, lead + std::to_string(lngNumWords));
        host->setLabelVisible(Label::NumberOfWords, true);
        host->repaintLabel(Label::NumberOfWords);
    }
    ShowNewWord(w);
}

bool WordTable::AddCount(std::string_view w, int64_t n) {
    if (indexStale_) RebuildIndex();
    const uint64_t h = HashWord(w);
    if (const int32_t k = Find(w, h); k != 0) {
        if (WordList[k].lngFreq > INT64_MAX - n) return false;
        WordList[k].lngFreq += n;
        return true;
    }
    WordList.resize(size_t(lngNumWords) + 1);
    WordList.push_back(WordRecord{std::string(w), n});
    ++lngNumWords;
    if (size_t(lngNumWords) * 2 > index_.size())
        RebuildIndex();
    else
        InsertIndex(lngNumWords, h);
    return true;
}

void WordTable::ShowNewWord(std::string_view w) {
    if (!params || params->chkSuppressWords != 0 || !host) return;
    if (host->outputLength() <= int64_t(lngMaxTextLength) - 100) {
        std::string shown = text::cp1252ToUtf8(w);
        shown += ' ';
        host->appendOutputText(shown);
        host->setOutputCaret(true);
        return;
    }
    if (!blnDisplaySuppressed) {
        host->appendOutputText("\r\n\r\n[Suppressing display of words to avoid buffer overflow.]");
        host->setOutputCaret(true);
    }
    blnDisplaySuppressed = true;
    params->chkSuppressWords = 1;
    host->paramsChanged();
}

void WordTable::Finish() {
    if (WordList.empty()) WordList.resize(1);
    WordList.resize(size_t(lngNumWords) + 1);
    std::sort(WordList.begin() + 1, WordList.end(),
              [](const WordRecord& a, const WordRecord& b) { return a.strWord < b.strWord; });
    for (int32_t s = 1; s <= lngNumWords; ++s) {
        WordRecord& r = WordList[s];
        if (r.strSortKey.empty()) r.strSortKey = StrProc::LowerCaseExt(StrProc::FoldForSorting(r.strWord));
    }
    indexStale_ = true;
}

}  // namespace kvx
