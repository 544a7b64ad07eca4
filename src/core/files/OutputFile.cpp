#include "files/OutputFile.h"

#include <fcntl.h>
#include <limits.h>
#include <linux/magic.h>
#include <pthread.h>
#include <sys/stat.h>
#include <sys/vfs.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstring>

namespace kvx {
namespace {

constexpr size_t kBufferSize = size_t(1) << 20;
constexpr int kMaxLinks = 40;
constexpr int kEndingSignals[] = {SIGINT, SIGTERM, SIGHUP};

// The temporary being written, for the signal handler: its name is whole
// whenever pendingSet is 1. One output is written at a time.
char pendingName[PATH_MAX + 8];
volatile sig_atomic_t pendingSet = 0;
const void* pendingOwner = nullptr;

void RemovePendingAndEnd(int sig) {
    if (pendingSet) ::unlink(pendingName);
    ::raise(sig);  // the default action again (SA_RESETHAND): the program ends by sig
}

void ForgetPending(const void* owner) {
    if (pendingOwner != owner) return;
    pendingSet = 0;
    pendingOwner = nullptr;
}

// True when path lies in /proc, where a link such as /proc/self/fd/1 stands
// for an open file or pipe rather than naming a file to replace.
bool InProc(const std::string& path) {
    const size_t slash = path.rfind('/');
    const std::string folder = slash == std::string::npos ? "." : slash == 0 ? "/" : path.substr(0, slash);
    struct statfs fs;
    return ::statfs(folder.c_str(), &fs) == 0 && fs.f_type == PROC_SUPER_MAGIC;
}

// The file a path names once its symbolic links are followed; a dangling
// link gives the missing file it points to, so that it is created there.
// `direct` is set when the way leads through /proc (/dev/stdout, /dev/fd/1).
std::string FollowLinks(const std::string& path, bool& direct) {
    std::string p = path;
    direct = false;
    for (int hops = 0; hops < kMaxLinks; ++hops) {
        struct stat st;
        if (::lstat(p.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return p;
        if (InProc(p)) {
            direct = true;
            return p;
        }
        std::vector<char> buf(size_t(st.st_size > 0 ? st.st_size : 255) + 1);
        ssize_t n = ::readlink(p.c_str(), buf.data(), buf.size());
        if (n < 0 || size_t(n) >= buf.size()) return p;
        std::string link(buf.data(), size_t(n));
        if (link.empty()) return p;
        if (link[0] != '/') {
            size_t slash = p.rfind('/');
            link = (slash == std::string::npos ? std::string() : p.substr(0, slash + 1)) + link;
        }
        p = link;
    }
    return p;
}

// Permissions for the new file: those of the file it replaces, or what the
// umask allows for a new one.
mode_t NewFileMode(const struct stat* replaced) {
    if (replaced) return replaced->st_mode & 07777;
    mode_t mask = ::umask(0);
    ::umask(mask);
    return 0666 & ~mask;
}

}  // namespace

OutputFile::Buffer::Buffer() : data_(kBufferSize) { setp(data_.data(), data_.data() + data_.size()); }

bool OutputFile::Buffer::drain() {
    const char* p = pbase();
    size_t left = size_t(pptr() - pbase());
    while (err_ == 0 && left > 0) {
        ssize_t n = ::write(fd_, p, left);
        if (n < 0) {
            if (errno == EINTR) continue;
            err_ = errno;
            break;
        }
        p += n;
        left -= size_t(n);
        written_ += n;
    }
    setp(data_.data(), data_.data() + data_.size());
    if (err_ != 0) errno = err_;
    return err_ == 0;
}

OutputFile::Buffer::int_type OutputFile::Buffer::overflow(int_type c) {
    if (!drain()) return traits_type::eof();
    if (!traits_type::eq_int_type(c, traits_type::eof())) {
        *pptr() = traits_type::to_char_type(c);
        pbump(1);
    }
    return traits_type::not_eof(c);
}

// Only the write position is known: the bytes written so far.
OutputFile::Buffer::pos_type OutputFile::Buffer::seekoff(off_type off, std::ios_base::seekdir dir,
                                                         std::ios_base::openmode) {
    if (off != 0 || dir != std::ios_base::cur) return pos_type(off_type(-1));
    return pos_type(off_type(written_ + (pptr() - pbase())));
}

OutputFile::OutputFile(std::string path) : path_(std::move(path)) {}

OutputFile::~OutputFile() {
    if (!committed_) discard();
}

bool OutputFile::Fail(int err, bool writing) {
    errno_ = err != 0 ? err : EIO;
    error_ = ErrorFromErrno(errno_);
    failedWriting_ = writing;
    CloseAndRemove();
    return false;
}

void OutputFile::CloseAndRemove() {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
    if (!temp_.empty()) ::unlink(temp_.c_str());
    ForgetPending(this);
    temp_.clear();
}

void OutputFile::RemoveTemporaryOnSignals() {
    for (int sig : kEndingSignals) {
        struct sigaction old {};
        if (::sigaction(sig, nullptr, &old) != 0 || old.sa_handler == SIG_IGN) continue;
        struct sigaction sa {};
        sa.sa_handler = RemovePendingAndEnd;
        sa.sa_flags = SA_RESETHAND;
        sigemptyset(&sa.sa_mask);
        ::sigaction(sig, &sa, nullptr);
    }
}

void OutputFile::discard() { CloseAndRemove(); }

bool OutputFile::open() {
    if (path_.empty()) return Fail(ENOENT, false);
    bool direct = false;
    target_ = FollowLinks(path_, direct);
    struct stat st;
    const bool exists = ::stat(target_.c_str(), &st) == 0;
    if (direct || (exists && !S_ISREG(st.st_mode))) {
        // A device or a pipe is written as it is; so is a file reached as
        // /dev/stdout, appended to as the shell opened it. Opening without
        // waiting keeps a pipe without a reader from holding the program.
        const int append = exists && S_ISREG(st.st_mode) ? O_APPEND : 0;
        fd_ = ::open(path_.c_str(), O_WRONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK | append);
        if (fd_ < 0) return Fail(errno, false);
        int flags = ::fcntl(fd_, F_GETFL);
        if (flags >= 0) ::fcntl(fd_, F_SETFL, flags & ~O_NONBLOCK);
    } else {
        // A file the user may not write stays refused, as opening it would be.
        if (exists && ::access(target_.c_str(), W_OK) != 0) return Fail(errno, false);
        std::string name = target_ + ".XXXXXX";
        // A signal can end the program from here on: the handler is told of
        // the temporary before one can come.
        sigset_t ending, was;
        sigemptyset(&ending);
        for (int sig : kEndingSignals) sigaddset(&ending, sig);
        ::pthread_sigmask(SIG_BLOCK, &ending, &was);
        fd_ = ::mkstemp(name.data());
        const int err = errno;
        if (fd_ >= 0 && name.size() < sizeof pendingName) {
            std::memcpy(pendingName, name.c_str(), name.size() + 1);
            pendingOwner = this;
            pendingSet = 1;
        }
        ::pthread_sigmask(SIG_SETMASK, &was, nullptr);
        if (fd_ < 0) return Fail(err, false);
        temp_ = name;
        if (::fchmod(fd_, NewFileMode(exists ? &st : nullptr)) != 0) return Fail(errno, false);
        if (exists && (st.st_uid != ::geteuid() || st.st_gid != ::getegid()))
            (void)!::fchown(fd_, st.st_uid, st.st_gid);  // best effort: needs the right to
    }
    buffer_.attach(fd_);
    return true;
}

bool OutputFile::commit() {
    if (fd_ < 0) return false;
    if (!stream_.good() || !buffer_.drain()) return Fail(buffer_.err() ? buffer_.err() : errno, true);
    if (!temp_.empty() && ::fsync(fd_) != 0) return Fail(errno, true);
    const int fd = fd_;
    fd_ = -1;
    if (::close(fd) != 0 && errno != EINTR) return Fail(errno, true);
    if (!temp_.empty() && ::rename(temp_.c_str(), target_.c_str()) != 0) return Fail(errno, false);
    ForgetPending(this);
    temp_.clear();
    committed_ = true;
    return true;
}

RunError OutputFile::Replace(const std::string& path, const std::string& data) {
    OutputFile file(path);
    if (!file.open()) return file.error();
    file.stream().write(data.data(), std::streamsize(data.size()));
    if (!file.commit()) return file.error();
    return {};
}

}  // namespace kvx
