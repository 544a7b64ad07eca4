#include "text/Unicode.h"

#include <cstdlib>
#include <memory>
#include <vector>

#include <unicode/ucasemap.h>
#include <unicode/uchar.h>
#include <unicode/ucol.h>
#include <unicode/utf8.h>

namespace kvx::text {
namespace {

// Calls f(code point) for each character; an invalid byte counts as U+FFFD.
template <class F>
void ForEachCodePoint(std::string_view s, F&& f) {
    const auto* p = reinterpret_cast<const uint8_t*>(s.data());
    const int32_t n = static_cast<int32_t>(s.size());
    for (int32_t i = 0; i < n;) {
        UChar32 c;
        U8_NEXT(p, i, n, c);
        f(c < 0 ? 0xFFFD : c);
    }
}

bool Ascii(std::string_view s) {
    for (char c : s)
        if (static_cast<unsigned char>(c) >= 0x80) return false;
    return true;
}

}  // namespace

std::string LowerUtf8(std::string_view utf8) {
    std::string out(utf8);
    if (Ascii(utf8)) {
        for (char& c : out)
            if (c >= 'A' && c <= 'Z') c = static_cast<char>(c + 32);
        return out;
    }
    // One case map a thread, closed when the thread ends (a worker of a
    // count on several threads would otherwise leave its map behind).
    struct Close {
        void operator()(UCaseMap* m) const { ucasemap_close(m); }
    };
    static thread_local const std::unique_ptr<UCaseMap, Close> owned = [] {
        UErrorCode e = U_ZERO_ERROR;
        return std::unique_ptr<UCaseMap, Close>(ucasemap_open("", 0, &e));
    }();
    UCaseMap* const map = owned.get();
    if (!map) return out;
    // Lower-casing can lengthen text (İ becomes i and a dot above).
    out.resize(utf8.size() * 3 / 2 + 16);
    for (int attempt = 0; attempt < 2; ++attempt) {
        UErrorCode e = U_ZERO_ERROR;
        const int32_t n = ucasemap_utf8ToLower(map, out.data(), static_cast<int32_t>(out.size()), utf8.data(),
                                               static_cast<int32_t>(utf8.size()), &e);
        if (e == U_BUFFER_OVERFLOW_ERROR) {
            out.resize(static_cast<size_t>(n));
            continue;
        }
        if (U_FAILURE(e)) return std::string(utf8);
        out.resize(static_cast<size_t>(n));
        return out;
    }
    return std::string(utf8);
}

int Columns(char32_t ch) {
    const auto c = static_cast<UChar32>(ch);
    if (c < 0x300) return 1;
    const int gc = u_charType(c);
    if (gc == U_NON_SPACING_MARK || gc == U_ENCLOSING_MARK || gc == U_FORMAT_CHAR) return 0;
    const int ea = u_getIntPropertyValue(c, UCHAR_EAST_ASIAN_WIDTH);
    return (ea == U_EA_WIDE || ea == U_EA_FULLWIDTH) ? 2 : 1;
}

size_t DisplayWidth(std::string_view utf8) {
    size_t w = 0;
    ForEachCodePoint(utf8, [&](UChar32 c) { w += static_cast<size_t>(Columns(static_cast<char32_t>(c))); });
    return w;
}

bool HasLetterUtf8(std::string_view utf8) {
    bool any = false;
    ForEachCodePoint(utf8, [&](UChar32 c) { any = any || (U_GET_GC_MASK(c) & U_GC_L_MASK) != 0; });
    return any;
}

bool IsRepetitionUtf8(std::string_view utf8) {
    if (utf8.empty()) return false;
    UChar32 first = -1;
    bool same = true;
    ForEachCodePoint(utf8, [&](UChar32 c) {
        if (first < 0) first = c;
        same = same && c == first;
    });
    return same;
}

std::string LocaleLanguage() {
    for (const char* name : {"LC_ALL", "LC_COLLATE", "LANG"}) {
        const char* v = std::getenv(name);
        if (!v || !*v) continue;
        std::string s(v);
        s = s.substr(0, s.find_first_of("_.@"));
        if (s == "C" || s == "POSIX" || s.empty()) return "en";
        return s;
    }
    return "en";
}

struct Collation::Impl {
    UCollator* collator = nullptr;
    ~Impl() {
        if (collator) ucol_close(collator);
    }
};

Collation::Collation(const std::string& language)
    : impl_(std::make_unique<Impl>()), language_(language.empty() ? LocaleLanguage() : language) {
    UErrorCode e = U_ZERO_ERROR;
    impl_->collator = ucol_open(language_.c_str(), &e);
    if (U_FAILURE(e)) {
        e = U_ZERO_ERROR;
        impl_->collator = ucol_open("", &e);
        if (U_FAILURE(e)) impl_->collator = nullptr;
    }
}

Collation::~Collation() = default;

std::string Collation::Key(std::string_view utf8) const {
    std::string key;
    if (impl_->collator) {
        // The collator takes UTF-16.
        std::vector<UChar> u(utf8.size() + 1);
        int32_t n = 0;
        ForEachCodePoint(utf8, [&](UChar32 c) {
            if (static_cast<size_t>(n) + 2 > u.size()) u.resize(u.size() * 2 + 2);
            U16_APPEND_UNSAFE(u.data(), n, c);
        });
        uint8_t buf[256];
        int32_t len = ucol_getSortKey(impl_->collator, u.data(), n, buf, sizeof buf);
        if (len > static_cast<int32_t>(sizeof buf)) {
            std::vector<uint8_t> big(static_cast<size_t>(len));
            len = ucol_getSortKey(impl_->collator, u.data(), n, big.data(), len);
            key.assign(reinterpret_cast<const char*>(big.data()), static_cast<size_t>(len));
        } else if (len > 0) {
            key.assign(reinterpret_cast<const char*>(buf), static_cast<size_t>(len));
        }
        // The key ends in its own zero byte, which is the separator here.
        if (key.empty() || key.back() != '\0') key += '\0';
    } else {
        key += '\0';
    }
    key.append(utf8);
    return key;
}

}  // namespace kvx::text
