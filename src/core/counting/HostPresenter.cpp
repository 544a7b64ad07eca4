#include "counting/HostPresenter.h"

#include <string>

#include "text/Cp1252.h"

namespace kvx {

HostPresenter::HostPresenter(Host& host, Params& params) : host_(host), params_(params) {
    yields = host.hasEventLoop;
}

void HostPresenter::report(Diagnostic d, Icon icon) {
    diagnostics.push_back(std::move(d));
    const Diagnostic& k = diagnostics.back();
    host_.message(k.text, k.title, icon, Buttons::OK);
}

void HostPresenter::newWord(std::string_view w, int32_t n) {
    // The user may tick "suppress" during the count: it is read for every word.
    const bool shown = !readingWords && params_.suppressLiveWords == 0;
    if (n == 1) {
        if (shown) host_.setOutputText((utf8Words ? std::string(w) : text::cp1252ToUtf8(w)) + ' ');
        return;
    }
    if (n % 10 == 0) {
        const char* lead = readingWords ? "Number of common words read so far: "
                                        : "Number of different words found so far: ";
        host_.setLabel(Label::NumberOfWords, lead + std::to_string(n));
        host_.setLabelVisible(Label::NumberOfWords, true);
        host_.repaintLabel(Label::NumberOfWords);
    }
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

void HostPresenter::progress(int64_t) {
    host_.appendOutputText(" .");
    host_.repaintOutput();
    host_.yield();
}

bool HostPresenter::ask(Question q) {
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

void HostPresenter::turn(int64_t i) {
    if (i < 0)
        host_.setLabel(Label::Twirler, " ");
    else
        host_.setTwirler(int(i % 4));
}

}  // namespace kvx
