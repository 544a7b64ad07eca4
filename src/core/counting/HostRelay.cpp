#include "counting/HostRelay.h"

#include <string>

#include "text/Cp1252.h"

namespace kvx {

HostRelay::HostRelay(Host& host, Params& params) : host_(host), params_(params) {
    yields = host.hasEventLoop;
}

void HostRelay::report(Diagnostic d, Icon icon) {
    diagnostics.push_back(std::move(d));
    const Diagnostic& k = diagnostics.back();
    host_.message(k.text, k.title, icon, Buttons::OK);
}

void HostRelay::newWord(std::string_view w, int32_t n) {
    // The user may tick "suppress" during the count: it is read for every word.
    const bool shown = !readingWords && params_.suppressLiveWords == 0;
    if (n == 1) {
        if (shown) host_.setOutputText((utf8Words ? std::string(w) : text::cp1252ToUtf8(w)) + ' ');
        return;
    }
    if (n % 10 == 0) host_.wordsFound(n, readingWords);
    if (!shown || displaySuppressed) return;
    if (host_.outputLength() <= int64_t(maxTextLength) - 100) {
        host_.appendOutputText((utf8Words ? std::string(w) : text::cp1252ToUtf8(w)) + ' ');
        host_.setOutputCaret(true);
        return;
    }
    host_.appendOutputText("\r\n\r\n[Suppressing display of words to avoid buffer overflow.]");
    host_.setOutputCaret(true);
    displaySuppressed = true;
}

void HostRelay::progress(int64_t) {
    host_.appendOutputText(" .");
    host_.repaintOutput();
    host_.yield();
}

bool HostRelay::ask(Question q) {
    switch (q) {
    case Question::Overwrite:
        if (host_.message("Output file exists.  OK to overwrite?", "Output file exists", Icon::None,
                          Buttons::YesNo) != Answer::No)
            return true;
        params_.outputToFileDisabled = 1;
        host_.paramsChanged();
        return false;
    }
    return true;
}

}  // namespace kvx
