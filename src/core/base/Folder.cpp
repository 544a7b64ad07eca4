#include "base/Folder.h"

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <system_error>

namespace kvx {
namespace {

bool HasMessageFile(const std::filesystem::path& dir) {
    std::error_code ec;
    return std::filesystem::is_regular_file(dir / "kvx.dat", ec);
}

}  // namespace

std::string ProgramFolder() {
    namespace fs = std::filesystem;
    auto clean = [](const fs::path& p) {
        std::string s = p.lexically_normal().string();
        while (s.size() > 1 && s.back() == '/') s.pop_back();
        return s;
    };
    if (const char* env = std::getenv("KVX_DATA_DIR"); env && *env) return clean(env);
    std::error_code ec;
    fs::path exe = fs::read_symlink("/proc/self/exe", ec);
    if (!ec) {
        fs::path beside = exe.parent_path() / ".." / "share" / "kvx";
        if (HasMessageFile(beside)) return clean(beside);
    }
    if (HasMessageFile(KVX_BUILD_DATA_DIR)) return clean(KVX_BUILD_DATA_DIR);
    return clean(KVX_INSTALLED_DATA_DIR);
}

std::string SpecialFolderPath() {
    const char* xdg = std::getenv("XDG_DATA_HOME");
    if (xdg != nullptr && xdg[0] == '/') return xdg;
    std::string home;
    if (const char* h = std::getenv("HOME"); h != nullptr && h[0] != '\0') {
        home = h;
    } else if (const passwd* pw = ::getpwuid(::getuid()); pw != nullptr && pw->pw_dir != nullptr) {
        home = pw->pw_dir;
    }
    if (home.empty()) return {};
    if (home.back() != '/') home += '/';
    return home + ".local/share";
}

std::string UserFilePath(const std::string& fileName, const std::string& subfolder) {
    std::string base = SpecialFolderPath();
    // Without a home folder the files go to the program's subfolder of the
    // current folder, rather than to the root of the file system.
    std::string folder = base.empty() ? subfolder : base + "/" + subfolder;
    if (!FolderExists(folder)) {
        std::error_code ec;
        std::filesystem::create_directories(folder, ec);  // failure shows when saving
    }
    return folder + "/" + fileName;
}

bool FolderExists(const std::string& path) {
    struct stat st;
    return !path.empty() && ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

}  // namespace kvx
