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
// blanks; returns its length.
uint32_t AppendCell(std::string& text, std::string_view raw, size_t from, size_t to) {
    for (size_t i = from; i < to; ++i) text += U(raw[i]) < 32 || raw[i] == 127 ? ' ' : raw[i];
    return uint32_t(to - from);
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
    ContextRow row{input_, lines_, rows.text.size()};
    row.left = AppendCell(rows.text, raw_, left, from);
    row.word = AppendCell(rows.text, raw_, from, to);
    row.right = AppendCell(rows.text, raw_, to, right);
    rows.rows.push_back(row);
}

void ContextRows::Append(ContextRows&& more, int64_t lines) {
    if (rows.empty()) {
        rows = std::move(more.rows);
        text = std::move(more.text);
        for (ContextRow& r : rows) r.line += lines;
        return;
    }
    const uint64_t shift = text.size();
    text += more.text;
    for (ContextRow& r : more.rows) {
        r.line += lines;
        r.at += shift;
        rows.push_back(r);
    }
    more = {};
}

}  // namespace kvx
