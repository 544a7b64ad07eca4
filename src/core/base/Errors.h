#pragma once
// Run-time errors as the user sees them: a number and a description, with the
// numbers the program has always reported for file problems.

#include <cstdint>
#include <string>

namespace kvx {

struct RunError {
    int16_t number = 0;
    std::string description;
};

namespace ErrorNumber {
inline constexpr int16_t Overflow = 6;
inline constexpr int16_t OutOfMemory = 7;
inline constexpr int16_t FileNotFound = 53;
inline constexpr int16_t DeviceIO = 57;
inline constexpr int16_t DiskFull = 61;
inline constexpr int16_t PermissionDenied = 70;
inline constexpr int16_t PathFileAccess = 75;
inline constexpr int16_t PathNotFound = 76;
}  // namespace ErrorNumber

/// The run-time error for a failed system call with this errno.
RunError ErrorFromErrno(int err);

}  // namespace kvx
