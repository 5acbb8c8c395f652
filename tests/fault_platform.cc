#include "tests/fault_platform.h"

#include <algorithm>

namespace quorvex::testing {

FaultPlatform::~FaultPlatform() {
  if (stdout_handle_ != kNoHandle) NativePlatform().Close(stdout_handle_);
}

OsHandle FaultPlatform::StdHandle(StdStream stream) {
  if (stream != StdStream::kOutput || stdout_path.empty()) {
    return NativePlatform().StdHandle(stream);
  }
  if (stdout_handle_ == kNoHandle) {
    OsResult opened = NativePlatform().Open(FileName(stdout_path), FileAccess::kWrite, kShareRead,
                                            FileDisposition::kCreateAlways);
    stdout_handle_ = OsHandle(opened.value);
  }
  return stdout_handle_;
}

OsResult FaultPlatform::Open(const FileName& name, FileAccess access, unsigned share,
                             FileDisposition disposition) {
  if (!refuse_open_of.empty() && name.name.find(refuse_open_of) != std::string::npos) {
    return {-1, open_error};
  }
  return NativePlatform().Open(name, access, share, disposition);
}

OsResult FaultPlatform::Write(OsHandle handle, const void* buffer, int32_t count) {
  if (handle == stdout_handle_ || write_budget < 0 || count <= write_budget) {
    if (handle != stdout_handle_ && write_budget >= 0) write_budget -= count;
    return NativePlatform().Write(handle, buffer, count);
  }
  int32_t fits = int32_t(std::max<int64_t>(write_budget, 0));
  OsResult put = NativePlatform().Write(handle, buffer, fits);
  write_budget = 0;
  return {put.value, write_error};
}

}  // namespace quorvex::testing
