#pragma once
// What a count tells whoever runs it, and the one thing it asks. The scanner,
// the word table, the ranking and the lister report through this and know no
// window; the counting session turns the reports into what the user sees.

#include <cstdint>
#include <string>
#include <string_view>

namespace kvx {

/// A message of a run, as the user reads it.
struct Diagnostic {
    enum class Kind {
        Error,    // the run was refused or ended by it
        Warning,  // the run went on after it
        Note,     // for the user's information only
    };
    Kind kind = Kind::Error;
    std::string title;  // the message box's title
    std::string text;   // UTF-8, lines ended by CR LF
};

/// A question a run cannot go on without.
enum class Question {
    Overwrite,  // the output file exists: replace it?
};

class RunObserver {
public:
    virtual ~RunObserver() = default;

    /// True when yield() is worth a call after every word or listed line.
    bool yields = false;
    /// A turn for the event loop, which may set the run's stop flag.
    virtual void yield() {}
    /// A new different word was counted; numWords counts it.
    virtual void newWord(std::string_view /*word*/, int32_t /*numWords*/) {}
    /// The ranking linked `done` words (every 1000).
    virtual void progress(int64_t /*done*/) {}
    virtual void diagnostic(const Diagnostic&) {}
    /// True for yes.
    virtual bool ask(Question) { return true; }
};

/// The output text box of the window, as the lister writes it. Lengths are
/// in characters.
class TextSink {
public:
    virtual ~TextSink() = default;
    virtual int64_t length() const = 0;
    virtual std::string text() const = 0;
    virtual void set(std::string_view text) = 0;
    virtual void append(std::string_view text) = 0;
    /// Shows the start (false) or the end (true) of the text.
    virtual void showEnd(bool /*atEnd*/) {}
    virtual void repaint() {}
    /// Line i listed into the box (a turn of the twirler); -1: the listing rests.
    virtual void turn(int64_t /*i*/) {}
};

}  // namespace kvx
