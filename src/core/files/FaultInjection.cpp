#include "files/FaultInjection.h"

namespace kvx {

int FaultPlan::readFault(int64_t offset) {
    if (failReadAt < 0 || offset < failReadAt) return 0;
    ++failedReads;
    return readErrno;
}

int FaultPlan::writeFault(int64_t offset) {
    if (failWriteAt < 0 || offset < failWriteAt) return 0;
    ++failedWrites;
    return writeErrno;
}

}  // namespace kvx
