#pragma once
// The user's application-data folder and the program's folder inside it.

#include <string>

namespace kvx {

/// The per-user data folder: $XDG_DATA_HOME when set and absolute, else
/// $HOME/.local/share (the home folder from the user database when HOME is
/// unset). "" when no home folder is known.
std::string SpecialFolderPath();

/// base/subfolder/fileName with base = SpecialFolderPath(). The folder
/// base/subfolder (with any missing parents) is created when missing; when it
/// cannot be, the path is returned all the same and writing there fails.
std::string UserFilePath(const std::string& fileName, const std::string& subfolder);

/// True when a folder exists at the path.
bool FolderExists(const std::string& path);

}  // namespace kvx
