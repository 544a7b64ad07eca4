// Arbitrary bytes as a state or parameter file. Restoring never fails in any
// other way than its two kinds of message, and whatever restores cleanly is
// saved and restored to the same parameters.

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "FuzzInput.h"
#include "params/Params.h"
#include "state/StateFile.h"

namespace {

const std::string kRestoreError = "Error when attempting to restore parameters: ";

// A scratch folder for the saved files, removed again when the run ends.
struct ScratchFolder {
    std::string path;
    ScratchFolder() {
        char name[] = "/tmp/kvx-fuzz-state-XXXXXX";
        if (!::mkdtemp(name)) std::abort();
        path = name;
    }
    ~ScratchFolder() {
        std::error_code ec;
        std::filesystem::remove_all(path, ec);
    }
};

const std::string& Folder() {
    static const ScratchFolder dir;
    return dir.path;
}

std::string ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    kvxfuzz::MemFile file(std::string_view(reinterpret_cast<const char*>(data), size));
    kvx::Params p;
    const std::string r = kvx::RestoreSavedState(p, file.path());
    KVX_FUZZ_CHECK(r.empty() || r == "Invalid combo box index" ||
                   r.compare(0, kRestoreError.size(), kRestoreError) == 0);
    if (!r.empty()) return 0;

    const std::string first = Folder() + "/first.kvx", second = Folder() + "/second.kvx";
    KVX_FUZZ_CHECK(kvx::SaveState(p, first) == "");
    kvx::Params q;
    KVX_FUZZ_CHECK(kvx::RestoreSavedState(q, first) == "");
    KVX_FUZZ_CHECK(kvx::SaveState(q, second) == "");
    KVX_FUZZ_CHECK(ReadAll(first) == ReadAll(second));
    KVX_FUZZ_CHECK(q.fileNames == p.fileNames);
    KVX_FUZZ_CHECK(q.wordsToIgnoreText == p.wordsToIgnoreText);
    KVX_FUZZ_CHECK(q.wordsToIgnore == p.wordsToIgnore);
    KVX_FUZZ_CHECK(q.startComment == p.startComment && q.endComment == p.endComment);
    KVX_FUZZ_CHECK(q.commonWordsFile == p.commonWordsFile);
    KVX_FUZZ_CHECK(q.displayFormat == p.displayFormat && q.wordOrder == p.wordOrder);
    KVX_FUZZ_CHECK(q.caseSignificant == p.caseSignificant &&
                   q.outputToFileDisabled == p.outputToFileDisabled);
    return 0;
}
