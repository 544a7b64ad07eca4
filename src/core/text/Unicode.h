#pragma once
// UTF-8 words under the letters of every script: case, measures, the
// letter test and the alphabetical order, through ICU.

#include <memory>
#include <string>
#include <string_view>

namespace kvx::text {

/// Lower-cases UTF-8 text by Unicode's full mapping (language-neutral; a
/// Greek sigma becomes final where its context says so).
std::string LowerUtf8(std::string_view utf8);
/// Columns a monospace font gives UTF-8 text: two for East Asian Width W
/// and F, none for combining marks and format characters, one otherwise.
size_t DisplayWidth(std::string_view utf8);
/// The columns of one character, as DisplayWidth counts them.
int Columns(char32_t c);
/// Whether UTF-8 text holds a character of general category L.
bool HasLetterUtf8(std::string_view utf8);
/// One character repeated (two or more times is the caller's question).
bool IsRepetitionUtf8(std::string_view utf8);

/// The alphabetical order of a language: sort keys that compare bytewise as
/// the collator orders the words, ties broken by code point order.
class Collation {
public:
    /// The collator of language (e.g. "de", "sv"; "" = the user's locale's
    /// language). A language ICU does not know falls back to the root order.
    explicit Collation(const std::string& language);
    ~Collation();
    Collation(const Collation&) = delete;
    Collation& operator=(const Collation&) = delete;
    /// The key of a UTF-8 word: the collation key, a zero byte, the word.
    std::string Key(std::string_view utf8) const;
    /// The language in use (the locale's when none was asked for).
    const std::string& Language() const { return language_; }

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
    std::string language_;
};

/// The language of the user's locale (LC_ALL, LC_COLLATE, LANG), "en" when
/// none is set or it is C/POSIX.
std::string LocaleLanguage();

}  // namespace kvx::text
