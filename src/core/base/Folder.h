#pragma once
// The folders the program keeps its files in: the data files that come with
// it, and the user's application-data folder with the program's folder inside.

#include <string>

namespace kvx {

/// The folder that holds the data files (kvx.dat, cwds_en.txt, the manual):
/// $KVX_DATA_DIR when set, else ../share/kvx beside the executable when it
/// exists, else the build tree's data folder, else the installed one.
std::string ProgramFolder();

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
