#include "scanning/Contexts.h"

#include <algorithm>
#include <array>

#include "scanning/WordText.h"

namespace kvx {
namespace {

inline unsigned char U(char c) { return static_cast<unsigned char>(c); }

// Letters and digits: what may follow the word found in the word as written
// (the s the final-s rule dropped).
const std::array<bool, 256>& LetterOrDigit() {
    static const std::array<bool, 256> t = [] {
        std::array<bool, 256> a{};
        for (char c : wordtext::kAllLetters) a[U(c)] = true;
        for (char c = '0'; c <= '9'; ++c) a[U(c)] = true;
        return a;
    }();
    return t;
}

// Appends raw[from, to) to text, control characters (a tab among them) as
// blanks.
void AppendCells(std::string& text, std::string_view raw, size_t from, size_t to) {
    const size_t at = text.size();
    text.append(raw.data() + from, to - from);
    for (char* c = text.data() + at; c != text.data() + text.size(); ++c)
        if (U(*c) < 32 || *c == 127) *c = ' ';
}

// Steps n characters back (n < 0) or on from i in UTF-8 text, never past its ends.
size_t StepUtf8(std::string_view t, size_t i, int64_t n) {
    for (; n < 0 && i > 0; ++n)
        while (--i > 0 && (U(t[i]) & 0xC0) == 0x80) {
        }
    for (; n > 0 && i < t.size(); --n)
        while (++i < t.size() && (U(t[i]) & 0xC0) == 0x80) {
        }
    return i;
}

}  // namespace

size_t RawPosition(std::string_view raw, std::string_view prepared, size_t at) {
    size_t lead = 0, end = raw.size();
    while (lead < end && U(raw[lead]) <= 32) ++lead;
    while (end > lead && U(raw[end - 1]) <= 32) --end;
    const size_t kept = prepared.empty() ? 0 : prepared.size() - 1;  // without the pad blank
    if (end - lead == kept) return std::min(lead + at, raw.size());  // nothing dropped or joined
    size_t i = lead, plain = lead;  // no entity starts before plain
    for (size_t j = 0; j < at && i < raw.size(); ++j) {
        // Backspaces were dropped, and the LF of a CR LF pair.
        while (i < raw.size() && (raw[i] == '\b' || (raw[i] == '\n' && i > 0 && raw[i - 1] == '\r'))) ++i;
        const size_t semicolon = i < raw.size() && raw[i] == '&' && i >= plain ? raw.find(';', i) : std::string_view::npos;
        if (semicolon == std::string_view::npos) {
            ++i;
            continue;
        }
        // An entity known became one character; from an ampersand to the
        // next semicolon nothing else is one.
        const std::string_view e = raw.substr(i, semicolon + 1 - i);
        const bool known = wordtext::ConvertCharacterEntities(e).size() == 1 ||
                           wordtext::ConvertCharacterEntities(wordtext::LowerCaseExt(e)).size() == 1;
        plain = semicolon + 1;
        i = known ? semicolon + 1 : i + 1;
    }
    return std::min(i, raw.size());
}

void ContextRecorder::Record(std::string_view word) {
    const std::string& prepared = *prepared_;
    const char* base = prepared.data();
    if (unicode_ && unicode_->Shadowed()) {
        // A word of a shadowed line stands at the same offset in its UTF-8 text.
        const std::string_view u = unicode_->Text(0, std::string_view::npos);
        if (word.data() >= u.data() && word.data() <= u.data() + u.size()) base = u.data();
    }
    const size_t at = std::min(size_t(word.data() - base), prepared.size());
    const size_t from = RawPosition(raw_, prepared, at);
    size_t to = std::max(from, RawPosition(raw_, prepared, at + word.size()));
    // Letters the rules dropped (the final s); in UTF-8 only ASCII ones, so
    // that no character is cut in two.
    for (const size_t most = to + 1000; to < raw_.size() && to < most && LetterOrDigit()[U(raw_[to])] &&
                                        !(unicode_ && U(raw_[to]) >= 0x80);)
        ++to;
    const size_t w = size_t(width_);
    const size_t left = unicode_ ? StepUtf8(raw_, from, -int64_t(w)) : from > w ? from - w : 0;
    const size_t right = unicode_ ? StepUtf8(raw_, to, int64_t(w)) : std::min(raw_.size(), to + w);
    // A row's texts go into the last block while it has room; a new block,
    // larger than the last, is begun rather than the last one moved.
    const size_t need = (from - left) + (to - from) + (right - to);
    if (rows.blocks.empty() || rows.blocks.back().size() + need > rows.blocks.back().capacity()) {
        const size_t last = rows.blocks.empty() ? 0 : rows.blocks.back().capacity();
        rows.blocks.emplace_back().reserve(std::max(need, std::clamp(last * 2, size_t(1) << 16, size_t(1) << 24)));
    }
    std::string& text = rows.blocks.back();
    ContextRow row;
    row.line = lines_;
    row.at = (uint64_t(rows.blocks.size() - 1) << ContextRows::kBlockShift) | text.size();
    row.input = input_;
    row.left = uint32_t(from - left);
    row.word = uint32_t(to - from);
    row.right = uint32_t(right - to);
    AppendCells(text, raw_, left, right);
    rows.rows.push_back(row);
}

size_t ContextRows::TextBytes() const {
    size_t n = 0;
    for (const std::string& b : blocks) n += b.size();
    return n;
}

void ContextRows::Append(ContextRows&& more, int64_t lines) {
    const uint64_t shift = uint64_t(blocks.size()) << kBlockShift;
    for (ContextRow& r : more.rows) {
        r.line += lines;
        r.at += shift;
    }
    if (rows.empty()) rows = std::move(more.rows);
    else rows.insert(rows.end(), more.rows.begin(), more.rows.end());
    for (std::string& b : more.blocks) blocks.push_back(std::move(b));
    more = {};
}

}  // namespace kvx
