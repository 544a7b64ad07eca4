#include "WindowTexts.h"

#include "shell/Host.h"

namespace kvx {

std::string ProgressBarText(int64_t step, int width) {
    const int64_t w = width;
    if (step < 0) return "[" + std::string(w, ' ') + "]";
    if (step <= 1) return "[>" + std::string(w - 1, ' ') + "]";
    if (step <= w) return "[" + std::string(step - 1, '-') + ">" + std::string(w - step, ' ') + "]";
    return "[" + std::string(step - 1, '-') + ">]";
}

std::string WordsFoundText(int32_t n, bool commonWords) {
    return (commonWords ? "Number of common words read so far: " : "Number of different words found so far: ") +
           std::to_string(n);
}

std::string FileSizeText(int64_t bytes, const Host& numbers) {
    const float kb = static_cast<float>(bytes) / 1024.0f;
    const float mb = kb / 1024.0f;
    std::string text = "Filesize:   " + numbers.formatGrouped(bytes) + " bytes";
    if (bytes > 9999) {
        text += "    " + numbers.formatGroupedDecimals(kb, 2) + " KB";
        if (kb > 9999) text += "    " + numbers.formatGroupedDecimals(mb, 2) + " MB";
    }
    return text;
}

std::string ClipboardSizeText(int64_t chars, const Host& numbers) {
    return "Contents of clipboard:   " + numbers.formatGrouped(chars) + " bytes";
}

}  // namespace kvx
