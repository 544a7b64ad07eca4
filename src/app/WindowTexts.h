#pragma once
// The texts of the main window's labels that tell how a count goes: the
// progress bar, the words found so far, the sizes of the input file and of
// the clipboard text. The core gives the numbers (shell/Host.h).

#include <cstdint>
#include <string>

namespace kvx {

class Host;

/// The ASCII progress bar of `width` steps at `step`: -1 is the empty bar,
/// then an arrow that moves right (">" stays at the left for steps 0 and 1).
std::string ProgressBarText(int64_t step, int width);
/// "Number of different words found so far: n", or of common words read.
std::string WordsFoundText(int32_t n, bool commonWords);
/// "Filesize:   n bytes", with KB from 10,000 bytes and MB beyond 9,999 KB,
/// in the number format of `numbers`.
std::string FileSizeText(int64_t bytes, const Host& numbers);
/// "Contents of clipboard:   n bytes" (the count is of characters).
std::string ClipboardSizeText(int64_t chars, const Host& numbers);

}  // namespace kvx
