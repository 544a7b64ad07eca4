// Arbitrary bytes as an input file, counted as the file pass counts them with
// parameters taken from the first bytes; every result phase and the listing
// then run over the table, and their invariants are checked.

#include <cstdint>
#include <sstream>
#include <string>

#include "FuzzInput.h"
#include "counting/PrepareLine.h"
#include "files/FileChecks.h"
#include "files/LineReader.h"
#include "params/Params.h"
#include "scanning/Scanner.h"
#include "scanning/WordText.h"
#include "scanning/WordsToIgnore.h"
#include "shell/MessageTable.h"
#include "text/Cp1252.h"
#include "text/Unicode.h"
#include "words/Listing.h"
#include "words/Ranking.h"
#include "words/WordTable.h"

namespace {

using kvxfuzz::Input;

const char* const kExtensions[] = {"txt", "c", "cpp", "xml", "htm", "html", "php", "", "dat"};

// Checks every word the scanner hands on before the table counts it.
class CheckingSink : public kvx::WordSink {
public:
    kvx::WordTable* table = nullptr;
    std::string extraChars;  ///< the characters the parameters allow besides letters
    bool everyScript = false;  ///< the words are UTF-8, of whole characters
    int64_t handed = 0;

    void AddWordToList(std::string_view w) override {
        KVX_FUZZ_CHECK(!w.empty());
        if (everyScript)
            for (const kvx::text::Utf8Char& ch : kvx::text::Utf8Chars(w)) KVX_FUZZ_CHECK(ch.valid);
        else
            for (char c : w)
                KVX_FUZZ_CHECK(kvx::wordtext::IsWordChar(static_cast<unsigned char>(c), false, extraChars));
        ++handed;
        table->AddWordToList(w);
    }
};

kvx::Params ParamsFrom(Input& in, std::string& ext, bool& everyScript) {
    kvx::Params p;
    const uint8_t a = in.Byte(), b = in.Byte(), c = in.Byte();
    int16_t kvx::Params::*boxes[] = {
        &kvx::Params::allowHyphens,   &kvx::Params::allowApostrophes,
        &kvx::Params::allowUnderscores, &kvx::Params::allowColons,
        &kvx::Params::allowBackslashes, &kvx::Params::allowForwardSlashes,
        &kvx::Params::allowPeriods,   &kvx::Params::allowAtSigns,
        &kvx::Params::allowNumerals,  &kvx::Params::caseSignificant,
        &kvx::Params::dropFinalS,              &kvx::Params::allowCommentMarkers,
        &kvx::Params::ignoreShortWords,        &kvx::Params::ignoreInfrequentWords,
        &kvx::Params::ignoreRepetitions,       &kvx::Params::ignoreRomanNumerals,
        &kvx::Params::ignoreWordsWithoutLetters};
    const uint32_t bits = a | (uint32_t(b) << 8) | (uint32_t(c & 1) << 16);
    for (int i = 0; i < 17; ++i) p.*boxes[i] = (bits >> i) & 1;
    p.wordOrder = (c >> 1) & 1;
    p.numbersWithCommas = (c >> 2) & 1;
    ext = kExtensions[(c >> 3) % (sizeof kExtensions / sizeof *kExtensions)];
    p.displayFormat = in.Byte() % 10;
    const uint8_t sizes = in.Byte();
    p.shortWordIndex = sizes % 8;
    p.longWordIndex = (sizes >> 4) % 7;
    everyScript = (sizes >> 3) & 1;
    p.frequencyIndex = in.Byte() % 8;
    for (int i = 0; i < 2; ++i) {
        p.startComment[i] = kvx::text::cp1252ToUtf8(in.Text(4));
        p.endComment[i] = kvx::text::cp1252ToUtf8(in.Text(4));
    }
    p.wordsToIgnoreText = kvx::NormaliseWordsToIgnore(in.Text(24), p.wordsToIgnore);
    return p;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    Input in(data, size);
    std::string ext;
    bool every = false;
    kvx::Params p = ParamsFrom(in, ext, every);
    static const kvx::text::Collation collation("en");
    kvxfuzz::MemFile file(in.Rest());

    kvx::WordTable table;
    CheckingSink sink;
    sink.table = &table;
    sink.extraChars = kvx::AllowedExtraChars(p);
    sink.everyScript = every;
    table.utf8Words = every;
    if (every) table.collation = &collation;
    kvx::scanning::Scanner scanner;
    scanner.params = &p;
    scanner.sink = &sink;
    scanner.unicode.on = every;
    scanner.SetCommentMarkers("C");
    scanner.SetAllowedExtraChars();
    scanner.wordsToIgnore = every ? kvx::text::LowerUtf8(p.wordsToIgnore) : kvx::text::utf8ToCp1252(p.wordsToIgnore);
    scanner.SetCommentMarkersForExtension(ext);
    scanner.withinComment = -1;

    kvx::LineReader reader;
    KVX_FUZZ_CHECK(reader.open(file.path()));
    reader.utf8Out = every;
    const bool lowerCase = p.caseSignificant != 1;
    std::string& line = scanner.currentLine;
    for (;;) {
        kvx::LineReader::Status st = reader.readLine(line);
        if (st == kvx::LineReader::Status::End) break;
        KVX_FUZZ_CHECK(st == kvx::LineReader::Status::Line);
        if (every)
            kvx::scanning::UnicodeLine::DropByteOrderPair(line);
        else
            kvx::filecheck::DropByteOrderPair(line);
        kvx::PrepareAndScanLine(scanner, lowerCase);
    }
    KVX_FUZZ_CHECK(reader.bytesRead() == static_cast<int64_t>(in.Rest().size()));
    KVX_FUZZ_CHECK(sink.handed <= scanner.totalInstances);

    table.Finish();
    const int32_t n = table.size();
    int64_t tabled = 0;
    for (int32_t s = 0; s < n; ++s) {
        const std::string_view w = table.Word(s);
        KVX_FUZZ_CHECK(!w.empty() && (every ? kvx::text::utf8Length(w) : w.size()) <= 80);
        KVX_FUZZ_CHECK(table[s].frequency >= 1);
        if (s > 0) KVX_FUZZ_CHECK(table.Word(s - 1) < w);
        tabled += table[s].frequency;
    }
    KVX_FUZZ_CHECK(tabled <= sink.handed);

    kvx::SortWordList(table, 0, n - 1, 1);
    if (p.caseSignificant == 1) kvx::OrderEqualKeys(table);
    for (int32_t s = 1; s < n; ++s) KVX_FUZZ_CHECK(table.SortKey(table[s - 1]) <= table.SortKey(table[s]));
    kvx::FilterWords(table, p);
    kvx::RankedFigures figures;
    kvx::CountIncludedWords(table, figures);
    kvx::BuildFrequencyChain(table, figures, nullptr);

    // The chain visits every included record once, by non-increasing frequency.
    int32_t included = 0;
    int64_t occurrences = 0;
    for (const kvx::WordRecord& r : table.Records())
        if (r.included) {
            ++included;
            occurrences += r.frequency;
        }
    KVX_FUZZ_CHECK(figures.wordsInList == included);
    KVX_FUZZ_CHECK(figures.instancesInList == occurrences);
    std::string seen(size_t(n), 0);
    int64_t lastFreq = INT64_MAX;
    int32_t visited = 0;
    for (int32_t s = figures.firstByFrequency; s != kvx::kNoWord; s = table[s].nextByFrequency) {
        KVX_FUZZ_CHECK(s >= 0 && s < n);
        KVX_FUZZ_CHECK(!seen[size_t(s)]);
        seen[size_t(s)] = 1;
        const kvx::WordRecord& r = table[s];
        KVX_FUZZ_CHECK(r.included);
        KVX_FUZZ_CHECK(r.frequency <= lastFreq);
        lastFreq = r.frequency;
        ++visited;
        KVX_FUZZ_CHECK(r.rank == visited);
    }
    KVX_FUZZ_CHECK(visited == included);
    if (included > 0) KVX_FUZZ_CHECK(figures.maxFrequency == table[figures.firstByFrequency].frequency);

    // The listing: one line per included word and a header, or one run.
    kvx::MessageTable texts;
    kvx::Lister lister;
    lister.table = &table;
    lister.figures = &figures;
    lister.params = &p;
    lister.texts = &texts;
    lister.utf8Words = every;
    std::ostringstream out;
    KVX_FUZZ_CHECK(lister.WriteListing(out));
    const std::string listing = out.str();
    size_t lineEnds = 0;
    for (size_t at = listing.find("\r\n"); at != std::string::npos; at = listing.find("\r\n", at + 2))
        ++lineEnds;
    if (p.displayFormat == 9) {
        KVX_FUZZ_CHECK(lineEnds == 0);
        size_t commas = 0;
        for (size_t at = listing.find(", "); at != std::string::npos; at = listing.find(", ", at + 2))
            ++commas;
        KVX_FUZZ_CHECK(commas == size_t(included > 0 ? included - 1 : 0));
    } else {
        KVX_FUZZ_CHECK(lineEnds == size_t(included) + 1);
        KVX_FUZZ_CHECK(listing.size() >= 2 && listing.compare(listing.size() - 2, 2, "\r\n") == 0);
    }
    return 0;
}
