// Arbitrary bytes as the message text file: the result code keeps to its
// rules and looking texts up never fails.

#include <cstdint>
#include <string>

#include "FuzzInput.h"
#include "shell/MessageTable.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    kvxfuzz::MemFile file(bytes);
    kvx::MessageTable table;
    const int32_t r = table.Load(file.path());

    int64_t lines = 1;
    for (char c : bytes) lines += c == '\n';
    if (size == 0) KVX_FUZZ_CHECK(r == -6);
    if (r > 0) {
        KVX_FUZZ_CHECK(r <= lines);
        int32_t found = 0;
        for (int n = 0; n <= 32767; ++n)
            if (!table.Text(static_cast<int16_t>(n)).empty()) ++found;
        KVX_FUZZ_CHECK(found == r);
    } else {
        const bool plain = r == 0 || r == -3 || r == -6 || r == -7 || r == -8;
        const int64_t line = r <= -1501 ? -(int64_t(r) + 1500)
                             : r <= -1001 ? -(int64_t(r) + 1000)
                             : r <= -501 ? -(int64_t(r) + 500) : 0;
        KVX_FUZZ_CHECK(plain || (line >= 1 && line <= lines));
        for (int n : {-32768, -1, 0, 1, 34, 73, 310, 32767})
            KVX_FUZZ_CHECK(table.Text(static_cast<int16_t>(n)).empty());
    }
    KVX_FUZZ_CHECK(!kvx::MessageTable::LoadErrorText(r, file.path()).empty());
    return 0;
}
