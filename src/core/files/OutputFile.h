#pragma once
// The one way the program replaces a file: the state and parameter files and
// the listing's output file are all written through OutputFile.
//
// A regular file (or a missing one) is written to a temporary name beside it,
// synced and renamed over it, so that a failure at any point leaves the old
// file as it was and no temporary behind. A symbolic link is followed: the
// link stays and the file it names is replaced. The replaced file keeps its
// permissions; a new file gets what the umask allows. Anything else (a
// device such as /dev/full or /dev/stdout, a pipe) is written directly and is
// never removed.

#include <cstdint>
#include <ostream>
#include <streambuf>
#include <string>
#include <vector>

#include "base/Errors.h"

namespace kvx {

class OutputFile {
public:
    explicit OutputFile(std::string path);
    /// An output that was not committed is discarded.
    ~OutputFile();
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;

    /// Opens the temporary beside the target, or the device itself. False
    /// with error() set.
    bool open();
    /// The buffered stream to write to; a failed write sets badbit and error().
    std::ostream& stream() { return stream_; }
    /// Flushes, syncs and puts the file in place. False with error() set; the
    /// temporary is removed and the old file left as it was.
    bool commit();
    /// Drops what was written: the temporary is removed, the old file kept.
    void discard();

    const RunError& error() const { return error_; }
    /// The errno of the failure, 0 when none.
    int systemError() const { return errno_; }
    /// True when the failure came after the file was opened, while writing
    /// or flushing (not when opening or renaming).
    bool failedWriting() const { return failedWriting_; }

    /// Writes data as the whole new content of path; the error number is 0
    /// when it was written.
    static RunError Replace(const std::string& path, const std::string& data);

    /// From now on SIGINT, SIGTERM and SIGHUP first remove the temporary
    /// being written, then end the program as they would have. A signal
    /// ignored when this is called stays ignored.
    static void RemoveTemporaryOnSignals();

private:
    class Buffer : public std::streambuf {
    public:
        Buffer();
        void attach(int fd) { fd_ = fd; }
        /// Writes out what is buffered; false with err() set.
        bool drain();
        int err() const { return err_; }

    protected:
        int_type overflow(int_type c) override;
        int sync() override { return drain() ? 0 : -1; }
        pos_type seekoff(off_type off, std::ios_base::seekdir dir, std::ios_base::openmode) override;

    private:
        std::vector<char> data_;
        int fd_ = -1;
        int err_ = 0;
        int64_t written_ = 0;
    };

    bool Fail(int err, bool writing);
    void CloseAndRemove();

    std::string path_;     // as given
    std::string target_;   // the file replaced (a link resolved)
    std::string temp_;     // the temporary, empty when written directly
    int fd_ = -1;
    bool committed_ = false;
    bool failedWriting_ = false;
    int errno_ = 0;
    RunError error_;
    Buffer buffer_;
    std::ostream stream_{&buffer_};
};

}  // namespace kvx
