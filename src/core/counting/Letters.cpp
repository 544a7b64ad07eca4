// The letters of every script: the setting and where it takes effect.

#include "counting/CountingSession.h"
#include "text/Cp1252.h"

namespace kvx {

void CountingSession::SetLetters(bool everyScript, std::string collationLanguage) {
    everyScript_ = everyScript;
    if (!collation_ || collationLanguage != collationLanguage_) {
        collationLanguage_ = std::move(collationLanguage);
        collation_ = std::make_shared<const text::Collation>(collationLanguage_);
        // The table may still point at the collator just let go.
        if (table.collation) table.collation = collation_.get();
    }
}

std::string CountingSession::CollationLanguage() const {
    return collation_ ? collation_->Language() : text::LocaleLanguage();
}

void CountingSession::ApplyLetters() {
    if (everyScript_ && !collation_) collation_ = std::make_shared<const text::Collation>(collationLanguage_);
    scanner.unicode.on = everyScript_;
    table.utf8Words = everyScript_;
    table.collation = everyScript_ ? collation_.get() : nullptr;
    lister.utf8Words = everyScript_;
    relay_.utf8Words = everyScript_;
}

std::string CountingSession::LettersFingerprint() const {
    return everyScript_ ? "unicode " + CollationLanguage() : std::string();
}

std::string CountingSession::IgnoreListText() const {
    // The box keeps the case of letters without a code; the words looked
    // up are lower-cased.
    return everyScript_ ? text::LowerUtf8(params.wordsToIgnore) : text::utf8ToCp1252(params.wordsToIgnore);
}

}  // namespace kvx
