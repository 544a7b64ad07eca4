#include "base/Version.h"

namespace kvx {

std::string VersionText(std::string_view version) {
    const size_t dot = version.find('.');
    std::string major(version.substr(0, dot));
    std::string minor = "0";
    if (dot != std::string_view::npos) {
        minor = std::string(version.substr(dot + 1));
        minor = minor.substr(0, minor.find('.'));
    }
    if (major.empty()) major = "0";
    if (minor.empty()) minor = "0";
    return major + "." + minor + "7";
}

std::string ProgramVersion() { return VersionText(KVX_VERSION_STRING); }

}  // namespace kvx
