#pragma once
// The listing in formats for other programs: CSV (RFC 4180), TSV and JSON.
// Same words, same order and ranks as the listing; UTF-8 throughout.

#include <cstdint>
#include <string>
#include <string_view>

namespace kvx {

enum class ListingFormat { Listing, Csv, Tsv, Json };

/// The figures of the result labels (the last one counts the words dropped
/// before the table too).
struct ListingFigures {
    int64_t wordsInList = 0;
    int64_t wordsIgnored = 0;
    int64_t instancesInList = 0;
    int64_t totalInstances = 0;
};

/// One listed word with its figures; the word in UTF-8, as the formats write it.
struct ListedWord {
    int64_t rank = 0;
    int64_t frequency = 0;
    std::string word;
};

/// A CSV field: quoted (quotes doubled) when it holds a comma, a quote, CR or LF.
std::string CsvField(std::string_view s);
/// A JSON string literal: quotes, backslashes and control characters escaped.
std::string JsonString(std::string_view utf8);

/// What comes before the first word (the header row, or the object's head).
std::string FormatHead(ListingFormat f, const ListingFigures& figures);
/// One word's row; first tells the first row (JSON separates rows by commas).
std::string FormatRow(ListingFormat f, const ListedWord& w, bool first);
/// What comes after the last word; any tells whether there was one.
std::string FormatTail(ListingFormat f, bool any);

}  // namespace kvx
