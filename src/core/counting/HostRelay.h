#pragma once
// The session's side of a run's reports: passes them on to the Host (the
// words as they are found, their number, the box the lister writes, the
// twirler), keeps the messages for the count's result and asks the run's
// questions.

#include <cstdint>
#include <string_view>
#include <vector>

#include "base/RunObserver.h"
#include "params/Params.h"
#include "shell/Host.h"

namespace kvx {

class HostRelay final : public RunObserver, public TextSink {
public:
    HostRelay(Host& host, Params& params);

    /// The words counted are common words: none is shown, only their number.
    bool readingWords = false;
    bool utf8Words = false;  ///< the words are UTF-8 (the letters of every script)
    /// The box came too near its limit: no more words are shown in this run.
    bool displaySuppressed = false;
    int32_t maxTextLength = 32767;
    /// The messages shown since the last clear (a count or a load begins).
    std::vector<Diagnostic> diagnostics;

    /// Keeps d and shows it in a message box.
    void report(Diagnostic d, Icon icon = Icon::Exclamation);

    void yield() override { host_.yield(); }
    /// The first word replaces the box, later ones are appended while the box
    /// has room; every tenth updates the number of words found.
    void newWord(std::string_view word, int32_t numWords) override;
    /// " ." in the box.
    void progress(int64_t done) override;
    void diagnostic(const Diagnostic& d) override { report(d); }
    /// "No" to overwriting the output file also ticks "disable output to file".
    bool ask(Question q) override;

    int64_t length() const override { return host_.outputLength(); }
    std::string text() const override { return host_.outputText(); }
    void set(std::string_view t) override { host_.setOutputText(t); }
    void append(std::string_view t) override { host_.appendOutputText(t); }
    void showEnd(bool atEnd) override { host_.setOutputCaret(atEnd); }
    void repaint() override { host_.repaintOutput(); }
    void turn(int64_t i) override { host_.turn(i); }

private:
    Host& host_;
    Params& params_;
};

}  // namespace kvx
