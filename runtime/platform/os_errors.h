#ifndef QUORVEX_RUNTIME_PLATFORM_OS_ERRORS_H_
#define QUORVEX_RUNTIME_PLATFORM_OS_ERRORS_H_

#include <cstdint>

namespace quorvex {

// The error numbers the tool reports, in the numbering of the system it was first written for,
// so that a Windows platform passes its own last-error values through unchanged and every
// other platform maps its codes onto these.

// Numbers the operating system reports.
constexpr uint32_t kErrorFileNotFound = 2;
constexpr uint32_t kErrorPathNotFound = 3;
constexpr uint32_t kErrorTooManyOpenFiles = 4;
constexpr uint32_t kErrorAccessDenied = 5;
constexpr uint32_t kErrorInvalidHandle = 6;
constexpr uint32_t kErrorNotEnoughMemory = 8;
constexpr uint32_t kErrorSeek = 25;
constexpr uint32_t kErrorGeneralFailure = 31;
constexpr uint32_t kErrorSharingViolation = 32;
constexpr uint32_t kErrorFileExists = 80;
constexpr uint32_t kErrorInvalidParameter = 87;
constexpr uint32_t kErrorDiskFull = 112;
constexpr uint32_t kErrorNameTooLong = 206;
constexpr uint32_t kErrorNoData = 232;  // the reading end of a pipe is closed
constexpr uint32_t kErrorDeviceIo = 1117;

// Numbers the run-time's text channels record themselves.
constexpr uint32_t kIoErrorEndOfFile = 100;
constexpr uint32_t kIoErrorDiskFull = 101;
constexpr uint32_t kIoErrorNotBound = 102;
constexpr uint32_t kIoErrorNotOpen = 103;
constexpr uint32_t kIoErrorNotOpenForInput = 104;
constexpr uint32_t kIoErrorNotOpenForOutput = 105;
constexpr uint32_t kIoErrorInvalidInput = 106;

}  // namespace quorvex

#endif  // QUORVEX_RUNTIME_PLATFORM_OS_ERRORS_H_
