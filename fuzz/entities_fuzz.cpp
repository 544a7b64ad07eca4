// Character entities and comment skipping on arbitrary lines.

#include <cstdint>
#include <string>

#include "FuzzInput.h"
#include "params/Params.h"
#include "scanning/Scanner.h"
#include "scanning/WordText.h"
#include "text/Cp1252.h"

namespace {
const char* const kKinds[] = {"C", "XML", "HTML", "PHP", "User-defined"};
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    kvxfuzz::Input in(data, size);
    const uint8_t choice = in.Byte();
    const uint8_t at = in.Byte();
    kvx::Params p;
    for (int i = 0; i < 2; ++i) {
        p.startComment[i] = kvx::text::cp1252ToUtf8(in.Text(4));
        p.endComment[i] = kvx::text::cp1252ToUtf8(in.Text(4));
    }
    const std::string line(in.Rest());

    const std::string converted = kvx::wordtext::ConvertCharacterEntities(line);
    KVX_FUZZ_CHECK(converted.size() <= line.size());
    if (line.find('&') == std::string::npos) KVX_FUZZ_CHECK(converted == line);
    for (size_t i = 0; i < line.size(); ++i) {
        const int16_t n = kvx::wordtext::CharacterEntityLength(std::string_view(line).substr(i));
        KVX_FUZZ_CHECK(n >= 0 && n <= 20);
        KVX_FUZZ_CHECK(static_cast<size_t>(n) <= line.size() - i);
    }

    kvx::scanning::Scanner scanner;
    scanner.params = &p;
    scanner.SetCommentMarkers(kKinds[choice % 5]);
    scanner.entitiesPossible = (choice >> 3) & 1;
    if (scanner.commentMarkerCount <= 0) return 0;
    scanner.currentLine = line + ' ';
    const int64_t len = static_cast<int64_t>(scanner.currentLine.size());
    scanner.linePosition = 1 + at % len;
    scanner.withinComment = static_cast<int16_t>((choice >> 4) % scanner.commentMarkerCount);
    const int64_t before = scanner.linePosition;
    scanner.SkipComment();
    KVX_FUZZ_CHECK(scanner.linePosition > before);
    KVX_FUZZ_CHECK(scanner.linePosition <= len + 1);
    KVX_FUZZ_CHECK(scanner.withinComment >= -1 && scanner.withinComment < 10);
    return 0;
}
