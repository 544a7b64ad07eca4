#pragma once
// Runs the real kvx-count binary for the command-line tests.

#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

namespace kvx::test {

struct RunResult {
    int status = -1;
    std::string out;
    std::string err;
};

inline std::string ReadAll(const std::filesystem::path& p) {
    std::ifstream in(p, std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

/// Runs `kvx-count ARGS` in `dir` under LC_ALL=C with standard output and
/// error captured in `capture`. `prefix` is shell text run first (limits);
/// `dataDir` replaces the folder of kvx.dat when not empty.
inline RunResult RunKvxCount(const std::filesystem::path& dir, const std::filesystem::path& capture,
                             const std::string& args, const std::string& prefix = "",
                             const std::string& dataDir = "") {
    const std::filesystem::path out = capture / "stdout.txt", err = capture / "stderr.txt";
    const std::string data = dataDir.empty() ? std::string(KVX_TEST_DATA_DIR) : dataDir;
    const std::string cmd = "cd '" + dir.string() + "' && " + prefix + " LC_ALL=C KVX_DATA_DIR='" +
                            data + "' timeout 60 '" + KVX_COUNT_BIN + "' " + args + " <&- >'" +
                            out.string() + "' 2>'" + err.string() + "'";
    const int rc = std::system(cmd.c_str());
    RunResult r;
    r.status = WIFEXITED(rc) ? WEXITSTATUS(rc) : -1;
    r.out = ReadAll(out);
    r.err = ReadAll(err);
    return r;
}

}  // namespace kvx::test
