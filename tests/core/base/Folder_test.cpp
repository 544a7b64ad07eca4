#include "base/Folder.h"

#include <cstdlib>
#include <filesystem>
#include <optional>

#include <gtest/gtest.h>

#include "TempFolder.h"

namespace kvx {
namespace {

// Sets (or, given nullptr, removes) an environment variable until the end of the scope.
struct ScopedEnv {
    std::string name;
    std::optional<std::string> old;
    ScopedEnv(const char* n, const char* value) : name(n) {
        if (const char* o = std::getenv(n)) old = o;
        value ? ::setenv(n, value, 1) : ::unsetenv(n);
    }
    ~ScopedEnv() { old ? ::setenv(name.c_str(), old->c_str(), 1) : ::unsetenv(name.c_str()); }
};

TEST(FolderTest, UserFilesGoToTheDataHomeFolder) {
    test::TempFolder dir;
    test::TempFolder::Write(dir / "file", "x");
    const struct {
        std::string xdg, home, base;
        bool created;
    } rows[] = {
        {dir / "deeper/share", "", dir / "deeper/share", true},
        {"relative/share", dir.path(), dir / ".local/share", true},  // only an absolute one counts
        {"", dir.path() + "/", dir / ".local/share", true},
        {dir / "file", "", dir / "file", false},  // uncreatable: the path all the same
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.xdg + " " + r.home);
        ScopedEnv xdg("XDG_DATA_HOME", r.xdg.c_str()), home("HOME", r.home.c_str());
        EXPECT_EQ(UserFilePath("kvx.usr", "KVX"), r.base + "/KVX/kvx.usr");
        EXPECT_EQ(FolderExists(r.base + "/KVX"), r.created);
        EXPECT_FALSE(std::filesystem::exists(r.base + "/KVX/kvx.usr"));  // only the folder
    }
    EXPECT_FALSE(FolderExists(dir / "file"));
    EXPECT_FALSE(FolderExists(""));
    ScopedEnv data("KVX_DATA_DIR", "/opt/kvx/share//");
    EXPECT_EQ(ProgramFolder(), "/opt/kvx/share");
    // Without a home variable, the account's home folder.
    ScopedEnv xdg("XDG_DATA_HOME", nullptr), home("HOME", nullptr);
    EXPECT_TRUE(SpecialFolderPath().ends_with("/.local/share")) << SpecialFolderPath();
}

}  // namespace
}  // namespace kvx
