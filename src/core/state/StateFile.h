#pragma once
// The state file and parameter files: 37 text lines holding the parameter set.
//
// Written as UTF-8 with CR LF line ends, string fields between double quotes
// (a double quote inside a field is doubled), numbers in decimal. Read back
// with CR LF, LF or CR line ends, in UTF-8 or Windows-1252.

#include <string>

#include "params/Params.h"

namespace kvx {

/// Writes the parameters to path, replacing the file only once the new one is
/// complete. "" on success, else "Error when attempting to save parameters: "
/// and the reason.
std::string SaveState(const Params& p, const std::string& path);

/// Reads and checks the whole file, then sets the parameters from it: "" on
/// success. Otherwise nothing is changed and the result is "Invalid combo box
/// index" when the file reads cleanly but leaves a list without a selection,
/// else "Error when attempting to restore parameters: " and the reason.
std::string RestoreSavedState(Params& p, const std::string& path);

}  // namespace kvx
