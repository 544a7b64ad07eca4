// Character entities and comment skipping on arbitrary lines.

#include <cstdint>
#include <string>

#include "FuzzInput.h"
#include "params/Params.h"
#include "scanning/KVXProc.h"
#include "scanning/StrProc.h"
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
        p.txbStartComment[i] = kvx::text::cp1252ToUtf8(in.Text(4));
        p.txbEndComment[i] = kvx::text::cp1252ToUtf8(in.Text(4));
    }
    const std::string line(in.Rest());

    const std::string converted = kvx::StrProc::ConvertCharacterEntities(line);
    KVX_FUZZ_CHECK(converted.size() <= line.size());
    if (line.find('&') == std::string::npos) KVX_FUZZ_CHECK(converted == line);
    for (size_t i = 0; i < line.size(); ++i) {
        const int16_t n = kvx::StrProc::CharacterEntityLength(std::string_view(line).substr(i));
        KVX_FUZZ_CHECK(n >= 0 && n <= 20);
        KVX_FUZZ_CHECK(static_cast<size_t>(n) <= line.size() - i);
    }

    kvx::KVXProc::Scanner scanner;
    scanner.params = &p;
    scanner.SetCommentMarkers(kKinds[choice % 5]);
    scanner.blnCharacterEntitiesPossible = (choice >> 3) & 1;
    if (scanner.intNumCommentMarkers <= 0) return 0;
    scanner.strLine = line + ' ';
    const int64_t len = static_cast<int64_t>(scanner.strLine.size());
    scanner.lngLP = 1 + at % len;
    scanner.intWithinComment = static_cast<int16_t>((choice >> 4) % scanner.intNumCommentMarkers);
    const int64_t before = scanner.lngLP;
    scanner.SkipComment();
    KVX_FUZZ_CHECK(scanner.lngLP > before);
    KVX_FUZZ_CHECK(scanner.lngLP <= len + 1);
    KVX_FUZZ_CHECK(scanner.intWithinComment >= -1 && scanner.intWithinComment < 10);
    return 0;
}
