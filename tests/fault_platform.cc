#include "tests/fault_platform.h"

#include <algorithm>

namespace quorvex::testing {

FaultPlatform::~FaultPlatform() {
  if (stdout_handle_ != kNoHandle) NativePlatform().Close(stdout_handle_);
}

OsHandle FaultPlatform::StdHandle(StdStream stream) {
  std::lock_guard<std::mutex> lock(mutex_);
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
  std::lock_guard<std::mutex> lock(mutex_);
  last_access = access;
  last_share = share;
  last_disposition = disposition;
  if (!refuse_open_of.empty() && name.name.find(refuse_open_of) != std::string::npos) {
    return {-1, open_error};
  }
  OsResult opened = NativePlatform().Open(name, access, share, disposition);
  if (opened.error == 0) opened_names_[OsHandle(opened.value)] = name.name;
  return opened;
}

OsResult FaultPlatform::Read(OsHandle handle, void* buffer, int32_t count) {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    if (++reads == fail_read_at) return {0, kErrorDeviceIo};
  }
  if (read_error != 0) return {0, read_error};
  return NativePlatform().Read(handle, buffer, count);
}

OsResult FaultPlatform::Write(OsHandle handle, const void* buffer, int32_t count) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (handle == stdout_handle_) return NativePlatform().Write(handle, buffer, count);
  if (!refuse_writes_to.empty() &&
      opened_names_[handle].find(refuse_writes_to) != std::string::npos) {
    return {0, write_error};
  }
  if (++writes == fail_write_at) return {0, write_error};
  int64_t passing = std::min<int64_t>(count, write_budget);
  write_budget -= passing;
  OsResult written = NativePlatform().Write(handle, buffer, int32_t(passing));
  if (passing < count) written.error = write_error;
  return written;
}

OsResult FaultPlatform::Seek(OsHandle handle, int64_t offset, SeekOrigin origin) {
  if (seek_error != 0) return {-1, seek_error};
  return NativePlatform().Seek(handle, offset, origin);
}

uint32_t FaultPlatform::Close(OsHandle handle) {
  std::lock_guard<std::mutex> lock(mutex_);
  ++closes;
  closed_names.push_back(opened_names_[handle]);
  return NativePlatform().Close(handle);
}

uint32_t FaultPlatform::Sync(OsHandle handle) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (++syncs == fail_sync_at) return kErrorDeviceIo;
  return NativePlatform().Sync(handle);
}

uint32_t FaultPlatform::Rename(const FileName& from, const FileName& to) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (++renames == fail_rename_at) return kErrorAccessDenied;
  return NativePlatform().Rename(from, to);
}

uint32_t FaultPlatform::SyncFolderOf(const FileName& file) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (++syncs == fail_sync_at) return kErrorDeviceIo;
  return NativePlatform().SyncFolderOf(file);
}

}  // namespace quorvex::testing
