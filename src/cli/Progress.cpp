#include "cli/Progress.h"

#include <sys/ioctl.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <utility>

namespace kvx::cli {
namespace {

using Clock = std::chrono::steady_clock;

std::string Size(double bytes) {
    static const char* const units[] = {"kB", "MB", "GB", "TB", "PB"};
    char s[32];
    if (bytes < 1000) {
        std::snprintf(s, sizeof s, "%.0f B", bytes);
        return s;
    }
    int u = 0;
    for (bytes /= 1000; bytes >= 999.95 && u < 4; ++u) bytes /= 1000;
    std::snprintf(s, sizeof s, "%.1f %s", bytes, units[u]);
    return s;
}

void WriteAll(int fd, const std::string& s) {
    for (size_t done = 0; done < s.size();) {
        const ssize_t n = ::write(fd, s.data() + done, s.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return;
        done += size_t(n);
    }
}

// A signal that ends the run wipes the line first (only async-signal-safe
// calls here), then takes its former course.
std::atomic<int> signalFd{-1};
std::atomic<size_t> signalShown{0};
const int kEndingSignals[] = {SIGINT, SIGTERM, SIGHUP};
struct sigaction formerActions[3];

void WipeAndEnd(int sig) {
    const int saved = errno;
    const int fd = signalFd.load();
    static const char blanks[] = "                                                                ";
    const auto put = [fd](const char* s, size_t n) { return ::write(fd, s, n) > 0; };
    if (fd >= 0 && signalShown.load() > 0 && put("\r", 1)) {
        for (size_t left = signalShown.load(), n; left > 0 && put(blanks, n = std::min(left, sizeof blanks - 1));)
            left -= n;
        put("\r", 1);
    }
    for (size_t i = 0; i < 3; ++i)
        if (kEndingSignals[i] == sig) ::sigaction(sig, &formerActions[i], nullptr);
    errno = saved;
    ::raise(sig);
}

}  // namespace

std::string ProgressText(int64_t bytes, const std::vector<int64_t>& sizes, double seconds) {
    int64_t total = 0;
    size_t done = 0;
    for (int64_t s : sizes) {
        if (s < 0 || total < 0) {
            total = -1;
            continue;
        }
        total += s;
        done += total <= bytes;
    }
    const double rate = seconds > 0 ? double(bytes) / seconds : 0;
    std::string t;
    if (total > 0) {
        bytes = std::min(bytes, total);
        t = Size(double(bytes)) + " of " + Size(double(total)) + " (" + std::to_string(bytes * 100 / total) + "%)";
        if (sizes.size() > 1) t += ", " + std::to_string(done) + " of " + std::to_string(sizes.size()) + " files";
    } else {
        t = Size(double(bytes)) + " read";
    }
    t += ", " + Size(rate) + "/s";
    if (total > 0 && rate > 0) {
        const long left = long((double(total - bytes) / rate) + 0.5);
        char s[32];
        if (left >= 3600)
            std::snprintf(s, sizeof s, ", %ld:%02ld:%02ld left", left / 3600, left / 60 % 60, left % 60);
        else
            std::snprintf(s, sizeof s, ", %ld:%02ld left", left / 60, left % 60);
        t += s;
    }
    return t;
}

ProgressLine::ProgressLine(int fd, std::function<int64_t()> bytesRead, std::vector<int64_t> sizes)
    : fd_(fd), bytesRead_(std::move(bytesRead)), sizes_(std::move(sizes)) {
    signalFd = fd;
    signalShown = 0;
    for (size_t i = 0; i < 3; ++i) {
        struct sigaction sa {};
        sa.sa_handler = WipeAndEnd;
        sigemptyset(&sa.sa_mask);
        ::sigaction(kEndingSignals[i], nullptr, &formerActions[i]);
        if (formerActions[i].sa_handler != SIG_IGN) ::sigaction(kEndingSignals[i], &sa, nullptr);
    }
    printer_ = std::thread([this] { Run(); });
}

void ProgressLine::Run() {
    const Clock::time_point start = Clock::now();
    std::unique_lock<std::mutex> lock(m_);
    // A quick count shows no line at all.
    for (auto wait = std::chrono::milliseconds(500); !wake_.wait_for(lock, wait, [this] { return stopping_; });
         wait = std::chrono::milliseconds(200)) {
        const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
        std::string line = "kvx-count: " + ProgressText(bytesRead_(), sizes_, seconds);
        // A line longer than the terminal would wrap, and \r not go back far enough.
        struct winsize ws {};
        if (::ioctl(fd_, TIOCGWINSZ, &ws) == 0 && ws.ws_col > 1 && line.size() >= ws.ws_col) line.resize(ws.ws_col - 1);
        const size_t length = line.size();
        if (length < shown_) line.append(shown_ - length, ' ');
        shown_ = std::max(shown_, length);
        signalShown = shown_;
        WriteAll(fd_, "\r" + line);
    }
}

void ProgressLine::Stop() {
    {
        std::lock_guard<std::mutex> lock(m_);
        if (stopping_) return;
        stopping_ = true;
    }
    wake_.notify_all();
    if (printer_.joinable()) printer_.join();
    for (size_t i = 0; i < 3; ++i)
        if (formerActions[i].sa_handler != SIG_IGN) ::sigaction(kEndingSignals[i], &formerActions[i], nullptr);
    signalFd = -1;
    if (shown_ > 0) WriteAll(fd_, "\r" + std::string(shown_, ' ') + "\r");
    shown_ = 0;
}

void FirstWriteBuf::Before() {
    if (!first_) return;
    const int saved = errno;
    std::exchange(first_, nullptr)();
    errno = saved;
}

}  // namespace kvx::cli
