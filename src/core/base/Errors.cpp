#include "base/Errors.h"

#include <cerrno>
#include <cstring>

namespace kvx {

RunError ErrorFromErrno(int err) {
    switch (err) {
    case ENOENT: return {ErrorNumber::FileNotFound, "File not found"};
    case ENOTDIR: return {ErrorNumber::PathNotFound, "Path not found"};
    case EACCES:
    case EPERM:
    case EROFS: return {ErrorNumber::PermissionDenied, "Permission denied"};
    case ENOSPC:
    case EDQUOT:
    case EFBIG: return {ErrorNumber::DiskFull, "Disk full"};
    case EIO: return {ErrorNumber::DeviceIO, "Device I/O error"};
    case ENOMEM: return {ErrorNumber::OutOfMemory, "Out of memory"};
    case EISDIR: return {ErrorNumber::PathFileAccess, "Path/File access error"};
    default: break;
    }
    return {ErrorNumber::PathFileAccess, std::string("Path/File access error (") + std::strerror(err) + ")"};
}

}  // namespace kvx
