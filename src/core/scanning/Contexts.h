#pragma once
// Keyword in context: where the words counted under one entry of the table
// were found, with the text around each as it stands in the input.
//
// The recorder sits between the scanner and the table. It is shown each line
// as read (BeginLine) before the line is prepared, and each word handed on;
// a word equal to the entry is found again in the line as read, so that the
// row shows it as written ("Cats" for the entry "cat").

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "scanning/UnicodeScanner.h"
#include "scanning/WordSink.h"

namespace kvx {

/// One occurrence: the line (from 1), where its texts stand (see
/// ContextRows), their lengths, and the input (its index among the inputs).
struct ContextRow {
    int64_t line = 0;
    uint64_t at = 0;
    uint32_t left = 0, word = 0, right = 0;  // lengths of the three texts, one after the other
    int32_t input = 0;
};

/// Occurrences and their texts: the text before each, the word as written
/// and the text after it (cp1252, tabs and other control characters as
/// blanks), one after the other in blocks of text (one a piece counted, so
/// that adding the rows of a piece moves its block instead of copying it),
/// so that a row costs little beyond its text.
struct ContextRows {
    static constexpr int kBlockShift = 40;  // at: the block above, the offset in it below
    std::vector<ContextRow> rows;
    std::vector<std::string> blocks;

    size_t size() const { return rows.size(); }
    /// The three texts of a row, one after the other.
    std::string_view Cells(const ContextRow& r) const {
        return std::string_view(blocks[r.at >> kBlockShift])
            .substr(r.at & ((uint64_t(1) << kBlockShift) - 1), size_t(r.left) + r.word + r.right);
    }
    std::string_view Left(const ContextRow& r) const { return Cells(r).substr(0, r.left); }
    std::string_view Word(const ContextRow& r) const { return Cells(r).substr(r.left, r.word); }
    std::string_view Right(const ContextRow& r) const { return Cells(r).substr(size_t(r.left) + r.word); }
    /// The bytes of every row's texts.
    size_t TextBytes() const;
    /// Adds the rows of more after these, their line numbers moved on by lines.
    void Append(ContextRows&& more, int64_t lines);
};

class ContextRecorder : public WordSink {
public:
    /// Records the words equal to entry (as the table holds it), each with up
    /// to width characters either side; preparedLine is the scanner's line
    /// the words are views into; every word goes on to next.
    /// Under the letters of every script (unicode on) the lines are UTF-8,
    /// and the words of a shadowed line are views into its UTF-8 text.
    ContextRecorder(std::string entry, int width, const std::string& preparedLine, WordSink& next, int32_t input,
                    const scanning::UnicodeLine* unicode = nullptr)
        : entry_(std::move(entry)), width_(width), prepared_(&preparedLine), next_(&next), input_(input),
          unicode_(unicode && unicode->on ? unicode : nullptr) {}

    void BeginLine(const std::string& line) override {
        raw_ = line;
        ++lines_;
    }
    void AddWordToList(std::string_view word) override {
        // Most words differ from the entry in length or first letter.
        if (word.size() == entry_.size() && !word.empty() && word[0] == entry_[0] && word == entry_) Record(word);
        next_->AddWordToList(word);
    }
    void EndOfRun() override { next_->EndOfRun(); }

    /// The lines seen so far.
    int64_t Lines() const { return lines_; }
    ContextRows rows;

private:
    void Record(std::string_view word);
    std::string entry_;
    int width_;
    const std::string* prepared_;
    WordSink* next_;
    int32_t input_;
    const scanning::UnicodeLine* unicode_;
    std::string raw_;  // the line being scanned, as read
    int64_t lines_ = 0;
};

/// Where prepared position at of the prepared line stands in the line as
/// read (raw): past the blanks and control characters trimmed from its start,
/// and past characters the preparation dropped or entities it turned into one.
size_t RawPosition(std::string_view raw, std::string_view prepared, size_t at);

}  // namespace kvx
