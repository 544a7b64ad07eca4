#include "words/ListingFormats.h"

#include <cstdio>

namespace kvx {

std::string CsvField(std::string_view s) {
    if (s.find_first_of(",\"\r\n") == std::string_view::npos) return std::string(s);
    std::string q = "\"";
    for (char c : s) {
        if (c == '"') q += '"';
        q += c;
    }
    return q + '"';
}

std::string JsonString(std::string_view utf8) {
    std::string q = "\"";
    for (char c : utf8) {
        const auto b = static_cast<unsigned char>(c);
        switch (c) {
        case '"': q += "\\\""; break;
        case '\\': q += "\\\\"; break;
        case '\n': q += "\\n"; break;
        case '\r': q += "\\r"; break;
        case '\t': q += "\\t"; break;
        default:
            if (b < 0x20 || b == 0x7F) {
                char u[8];
                std::snprintf(u, sizeof u, "\\u%04x", b);
                q += u;
            } else {
                q += c;
            }
        }
    }
    return q + '"';
}

std::string FormatHead(ListingFormat f, const ListingFigures& g) {
    switch (f) {
    case ListingFormat::Csv: return "rank,frequency,word\r\n";
    case ListingFormat::Tsv: return "rank\tfrequency\tword\n";
    case ListingFormat::Json:
        return "{\"wordsInList\":" + std::to_string(g.wordsInList) +
               ",\"wordsIgnored\":" + std::to_string(g.wordsIgnored) +
               ",\"instancesInList\":" + std::to_string(g.instancesInList) +
               ",\"totalInstances\":" + std::to_string(g.totalInstances) + ",\"words\":[";
    case ListingFormat::Listing: break;
    }
    return {};
}

std::string FormatRow(ListingFormat f, const ListedWord& w, bool first) {
    const std::string r = std::to_string(w.rank), n = std::to_string(w.frequency);
    switch (f) {
    case ListingFormat::Csv: return r + "," + n + "," + CsvField(w.word) + "\r\n";
    case ListingFormat::Tsv: return r + "\t" + n + "\t" + std::string(w.word) + "\n";
    case ListingFormat::Json:
        return std::string(first ? "\n" : ",\n") + "{\"rank\":" + r + ",\"frequency\":" + n +
               ",\"word\":" + JsonString(w.word) + "}";
    case ListingFormat::Listing: break;
    }
    return {};
}

std::string FormatTail(ListingFormat f, bool any) {
    if (f != ListingFormat::Json) return {};
    return any ? "\n]}\n" : "]}\n";
}

}  // namespace kvx
