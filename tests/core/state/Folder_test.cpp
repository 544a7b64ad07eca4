#include "base/Folder.h"

#include <cstdlib>
#include <filesystem>
#include <optional>

#include <gtest/gtest.h>

#include "TempFolder.h"

namespace kvx {
namespace {

// Sets an environment variable for the life of the object.
class ScopedEnv {
public:
    ScopedEnv(const char* name, const char* value) : name_(name) {
        if (const char* old = std::getenv(name)) old_ = old;
        if (value) ::setenv(name, value, 1);
        else ::unsetenv(name);
    }
    ~ScopedEnv() {
        if (old_) ::setenv(name_, old_->c_str(), 1);
        else ::unsetenv(name_);
    }

private:
    const char* name_;
    std::optional<std::string> old_;
};

TEST(FolderTest, XdgDataHomeIsUsedAndSubfolderCreated) {
    test::TempFolder dir;
    const std::string base = dir / "deeper/share";
    ScopedEnv xdg("XDG_DATA_HOME", base.c_str());
    EXPECT_EQ(SpecialFolderPath(), base);
    EXPECT_EQ(UserFilePath("kvx.usr", "KVX"), base + "/KVX/kvx.usr");
    EXPECT_TRUE(FolderExists(base + "/KVX"));
    EXPECT_FALSE(std::filesystem::exists(base + "/KVX/kvx.usr"));  // only the folder
}

TEST(FolderTest, RelativeXdgDataHomeFallsBackToHome) {
    test::TempFolder dir;
    ScopedEnv xdg("XDG_DATA_HOME", "relative/share");
    ScopedEnv home("HOME", dir.path().c_str());
    EXPECT_EQ(SpecialFolderPath(), dir.path() + "/.local/share");
    EXPECT_EQ(UserFilePath("kvx.usr", "KVX"), dir.path() + "/.local/share/KVX/kvx.usr");
    EXPECT_TRUE(FolderExists(dir.path() + "/.local/share/KVX"));
}

TEST(FolderTest, WithoutHomeTheAccountsFolderIsUsed) {
    ScopedEnv xdg("XDG_DATA_HOME", nullptr);
    ScopedEnv home("HOME", nullptr);
    EXPECT_TRUE(SpecialFolderPath().ends_with("/.local/share")) << SpecialFolderPath();
}

TEST(FolderTest, UncreatableFolderStillGivesThePath) {
    test::TempFolder dir;
    test::TempFolder::Write(dir / "file", "x");
    const std::string base = dir / "file";
    ScopedEnv xdg("XDG_DATA_HOME", base.c_str());
    EXPECT_EQ(UserFilePath("kvx.usr", "KVX"), base + "/KVX/kvx.usr");
    EXPECT_FALSE(FolderExists(base + "/KVX"));
    EXPECT_FALSE(FolderExists(base));
    EXPECT_FALSE(FolderExists(""));
}

}  // namespace
}  // namespace kvx
