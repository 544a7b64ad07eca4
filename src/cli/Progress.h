#pragma once
// kvx-count's progress line: one line on standard error, rewritten in place a
// few times a second while the count runs, and wiped before anything else is
// printed, so that the terminal keeps only what a run without it prints.

#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <streambuf>
#include <string>
#include <thread>
#include <vector>

namespace kvx::cli {

/// "1.2 GB of 10.0 GB (12%), 2 of 40 files, 310 MB/s, 0:28 left": sizes are
/// the inputs' sizes in order, -1 where unknown (then neither total nor
/// files are shown).
std::string ProgressText(int64_t bytes, const std::vector<int64_t>& sizes, double seconds);

class ProgressLine {
public:
    /// Draws on fd, after the first half second, from what bytesRead says.
    ProgressLine(int fd, std::function<int64_t()> bytesRead, std::vector<int64_t> sizes);
    ~ProgressLine() { Stop(); }
    ProgressLine(const ProgressLine&) = delete;
    ProgressLine& operator=(const ProgressLine&) = delete;
    /// Ends the printer and wipes the line; later calls do nothing.
    void Stop();

private:
    void Run();
    int fd_;
    std::function<int64_t()> bytesRead_;
    std::vector<int64_t> sizes_;
    std::mutex m_;
    std::condition_variable wake_;
    bool stopping_ = false;
    size_t shown_ = 0;  // characters of the line on the terminal
    std::thread printer_;
};

/// Passes everything written on to `inner`, calling `first` once before the
/// first byte (the listing on standard output ends the progress line).
class FirstWriteBuf : public std::streambuf {
public:
    FirstWriteBuf(std::streambuf* inner, std::function<void()> first) : inner_(inner), first_(std::move(first)) {}

protected:
    std::streamsize xsputn(const char* s, std::streamsize n) override { return Before(), inner_->sputn(s, n); }
    int_type overflow(int_type c) override {
        Before();
        return traits_type::eq_int_type(c, traits_type::eof()) ? traits_type::not_eof(c)
                                                               : inner_->sputc(traits_type::to_char_type(c));
    }
    int sync() override { return inner_->pubsync(); }

private:
    void Before();
    std::streambuf* inner_;
    std::function<void()> first_;
};

}  // namespace kvx::cli
