#pragma once
// Simulated system failures, for tests: one seam consulted before every block
// read from an input file and before every line written to an output file.
//
// The program never sets one; the readers and writers then pay a single null
// pointer test per block or line. A hook returns 0 to let the operation run,
// or an errno value with which the operation fails as if the system had
// refused it.

#include <atomic>
#include <cerrno>
#include <cstdint>

namespace kvx {

class IoFaults {
public:
    virtual ~IoFaults() = default;
    /// Before a block read of an input file; offset is the file position the
    /// read starts at.
    virtual int readFault(int64_t offset) = 0;
    /// Before a line is written to an output file, and before the file's
    /// final flush; offset is the number of bytes written so far.
    virtual int writeFault(int64_t offset) = 0;
};

/// Fails every read that starts at or beyond failReadAt and every write once
/// failWriteAt bytes have been written (a negative limit never fails), like a
/// bad sector or a full disk.
class FaultPlan : public IoFaults {
public:
    int64_t failReadAt = -1;
    int readErrno = EIO;
    int64_t failWriteAt = -1;
    int writeErrno = ENOSPC;
    /// How many reads and writes were failed.
    std::atomic<int> failedReads{0};
    std::atomic<int> failedWrites{0};

    int readFault(int64_t offset) override;
    int writeFault(int64_t offset) override;
    /// No more failures (the counters stay).
    void clear() { failReadAt = failWriteAt = -1; }
};

}  // namespace kvx
