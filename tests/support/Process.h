#pragma once
// Processes started by tests: every one runs as `sh -c COMMAND` under
// run_limited (KVX_RUN_LIMITED_BIN), in a session of its own that ends with
// the command, with its time limit, with the Process object and with the test
// process itself.

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>

namespace kvx::test {

class Process {
public:
    explicit Process(const std::string& command, int limitSeconds = 60) : pid_(::fork()) {
        if (pid_ == 0) {
            const std::string limit = std::to_string(limitSeconds);
            ::execl(KVX_RUN_LIMITED_BIN, "run_limited", limit.c_str(), "/bin/sh", "-c", command.c_str(), nullptr);
            _exit(127);
        }
    }
    /// Ends whatever still runs.
    ~Process() {
        if (running() && pid_ > 0) {
            ::kill(pid_, SIGTERM);
            wait();
        }
    }
    Process(const Process&) = delete;
    Process& operator=(const Process&) = delete;

    /// Waits for the end: the command's exit status, 128 + the signal that
    /// ended it, 124 when its time ran out.
    int wait() { return reap(0), status_; }
    /// True while the command runs.
    bool running() { return reap(WNOHANG), status_ < 0; }

private:
    void reap(int flags) {
        int st = 0;
        while (status_ < 0 && pid_ > 0 && ::waitpid(pid_, &st, flags) == pid_)
            status_ = WIFEXITED(st) ? WEXITSTATUS(st) : 128 + WTERMSIG(st);
    }
    pid_t pid_;
    int status_ = -1;
};

/// Runs `sh -c command` to its end (at most limitSeconds) and gives its status.
inline int Run(const std::string& command, int limitSeconds = 60) { return Process(command, limitSeconds).wait(); }

}  // namespace kvx::test
