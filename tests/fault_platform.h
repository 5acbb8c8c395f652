#ifndef QUORVEX_TESTS_FAULT_PLATFORM_H_
#define QUORVEX_TESTS_FAULT_PLATFORM_H_

#include <cstdint>
#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "runtime/platform/os_errors.h"
#include "runtime/platform/platform.h"

namespace quorvex::testing {

// The native platform with faults injected on request: a chosen command line, module path and
// locale, standard output sent to a file, opens refused, reads and seeks refused, and writes
// that stop after a number of bytes, either refused with an error or cut short. It records the
// settings of the last open and the files in the order they are closed. Install it with
// ScopedPlatform. It may be used by several threads at once.
class FaultPlatform : public Platform {
 public:
  // The tool's command line, program name first.
  std::string command_line = "quorvex";
  std::string module_path = "/opt/tools/quorvex";
  char decimal_point = '.';
  // When not empty, standard output is this file (created empty).
  std::string stdout_path;
  // Opens of names containing this text fail with open_error.
  std::string refuse_open_of;
  uint32_t open_error = kErrorAccessDenied;
  uint32_t read_error = 0;
  uint32_t seek_error = 0;
  // Writes to files (not standard output) stop once this many bytes have been written in all;
  // the write that crosses the limit puts what fits and then reports write_error, or, when
  // write_error is 0, returns the short count.
  int64_t write_budget = INT64_MAX;
  uint32_t write_error = kErrorDiskFull;
  // The N-th write to a file, rename, or sync (of a file or a folder) fails, counted from 1;
  // 0 injects nothing. The counters below count every call, so a run without faults tells how
  // many there are.
  int fail_write_at = 0;
  int fail_rename_at = 0;
  int fail_sync_at = 0;
  // The N-th read fails with kErrorDeviceIo, counted from 1; 0 injects nothing.
  int fail_read_at = 0;
  int reads = 0;
  int writes = 0;
  int renames = 0;
  int syncs = 0;
  // Writes to files whose name contains this text fail at once with write_error.
  std::string refuse_writes_to;

  FileAccess last_access = FileAccess::kRead;
  unsigned last_share = 0;
  FileDisposition last_disposition = FileDisposition::kOpenExisting;
  int closes = 0;
  std::vector<std::string> closed_names;  // in the order of closing

  ~FaultPlatform() override;

  std::string CommandLine() override { return command_line; }
  std::string ModulePath() override { return module_path; }
  char LocaleDecimalPoint() override { return decimal_point; }
  OsHandle StdHandle(StdStream stream) override;
  FileKind KindOf(OsHandle handle) override { return NativePlatform().KindOf(handle); }
  OsResult Open(const FileName& name, FileAccess access, unsigned share,
                FileDisposition disposition) override;
  OsResult Read(OsHandle handle, void* buffer, int32_t count) override;
  OsResult Write(OsHandle handle, const void* buffer, int32_t count) override;
  OsResult Seek(OsHandle handle, int64_t offset, SeekOrigin origin) override;
  uint32_t Close(OsHandle handle) override;
  uint32_t Sync(OsHandle handle) override;
  uint32_t Rename(const FileName& from, const FileName& to) override;
  uint32_t SyncFolderOf(const FileName& file) override;
  uint32_t Remove(const FileName& name) override { return NativePlatform().Remove(name); }
  FileIdentity Identify(const FileName& name) override { return NativePlatform().Identify(name); }
  FileIdentity IdentifyOpen(OsHandle handle) override {
    return NativePlatform().IdentifyOpen(handle);
  }
  std::string FinalPathOf(const FileName& name) override {
    return NativePlatform().FinalPathOf(name);
  }
  uint32_t CopyPermissions(const FileName& from, OsHandle to) override {
    return NativePlatform().CopyPermissions(from, to);
  }
  uint32_t LockExclusive(OsHandle handle) override {
    return NativePlatform().LockExclusive(handle);
  }
  bool IsTerminal(OsHandle handle) override { return NativePlatform().IsTerminal(handle); }
  int ProcessorCount() override { return NativePlatform().ProcessorCount(); }
  EntryKind KindOfEntry(const FileName& name) override {
    return NativePlatform().KindOfEntry(name);
  }
  uint32_t ListFolder(const FileName& folder, std::vector<FolderEntry>& entries) override {
    return NativePlatform().ListFolder(folder, entries);
  }
  uint32_t MakeFolder(const FileName& folder) override {
    return NativePlatform().MakeFolder(folder);
  }

 private:
  std::mutex mutex_;
  OsHandle stdout_handle_ = kNoHandle;
  std::map<OsHandle, std::string> opened_names_;
};

}  // namespace quorvex::testing

#endif  // QUORVEX_TESTS_FAULT_PLATFORM_H_
