#include "state/Folder.h"

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <system_error>

namespace kvx {

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
