// run_limited SECONDS COMMAND [ARG]...: runs COMMAND in a session of its own
// and ends every process of that session when COMMAND ends, when SECONDS
// pass, when this program is told to stop (SIGTERM, SIGINT, SIGHUP) or when
// the process that started it dies. Exit status: COMMAND's, 128 + the signal
// that ended it, 124 when its time ran out.
//
// Every test that starts a process starts it through this program, so that
// nothing a test started outlives it: not a child that hangs, not one that a
// tool such as GNU parallel moved into a process group of its own.

#include <dirent.h>
#include <fcntl.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <initializer_list>

namespace {

// The session of a process, or -1 for one that is gone or a zombie.
pid_t SessionOf(pid_t pid) {
    char path[64], buf[512] = {};
    std::snprintf(path, sizeof path, "/proc/%d/stat", int(pid));
    const int fd = ::open(path, O_RDONLY | O_CLOEXEC);
    if (fd < 0) return -1;
    const ssize_t n = ::read(fd, buf, sizeof buf - 1);
    ::close(fd);
    const char* p = n > 0 ? std::strrchr(buf, ')') : nullptr;  // the name may hold spaces and brackets
    char state = 0;
    int session = -1;
    if (!p || std::sscanf(p + 1, " %c %*d %*d %d", &state, &session) != 2 || state == 'Z') return -1;
    return session;
}

// Kills every process of the session until none is left.
void EndSession(pid_t session) {
    for (int round = 0; round < 1000; ++round) {
        int found = 0;
        if (DIR* d = ::opendir("/proc")) {
            while (const dirent* e = ::readdir(d)) {
                const pid_t pid = std::atoi(e->d_name);
                if (pid > 0 && SessionOf(pid) == session && ::kill(pid, SIGKILL) == 0) ++found;
            }
            ::closedir(d);
        }
        if (found == 0) return;
        ::usleep(1000);
    }
}

}  // namespace

int main(int argc, char** argv) {
    const int limit = argc >= 3 ? std::atoi(argv[1]) : 0;
    if (limit <= 0) {
        std::fprintf(stderr, "usage: run_limited SECONDS COMMAND [ARG]...\n");
        return 2;
    }
    sigset_t waited, was;
    sigemptyset(&waited);
    for (int sig : {SIGCHLD, SIGALRM, SIGTERM, SIGINT, SIGHUP}) sigaddset(&waited, sig);
    sigprocmask(SIG_BLOCK, &waited, &was);
    // Told when the starter dies; out of its process group, so that a kill
    // aimed at that group leaves this program to end the session.
    ::prctl(PR_SET_PDEATHSIG, SIGTERM);
    ::setpgid(0, 0);

    const pid_t child = ::fork();
    if (child < 0) return 125;
    if (child == 0) {
        sigprocmask(SIG_SETMASK, &was, nullptr);
        ::setsid();
        ::prctl(PR_SET_PDEATHSIG, SIGKILL);
        ::execvp(argv[2], argv + 2);
        std::perror(argv[2]);
        _exit(127);
    }
    ::alarm(unsigned(limit));
    int status = 0, code = 0;
    for (;;) {
        int sig = 0;
        sigwait(&waited, &sig);
        if (sig == SIGCHLD) {
            if (::waitpid(child, &status, WNOHANG) != child) continue;
            code = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
            break;
        }
        if (sig == SIGALRM) std::fprintf(stderr, "run_limited: %s still ran after %d s: ended\n", argv[2], limit);
        code = sig == SIGALRM ? 124 : 128 + sig;
        EndSession(child);
        ::waitpid(child, &status, 0);
        break;
    }
    EndSession(child);
    return code;
}
