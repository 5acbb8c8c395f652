#ifndef QUORVEX_TESTS_STREAM_FAULT_PLATFORM_H_
#define QUORVEX_TESTS_STREAM_FAULT_PLATFORM_H_

#include <algorithm>
#include <map>
#include <string>
#include <vector>

#include "runtime/platform.h"

namespace quorvex::testing {

// The native platform with faults injected on request: opens of one name refused, writes cut
// short or refused (a full disk), reads and seeks refused. It also records the last open and
// the names of the files in the order they are closed.
class StreamFaultPlatform : public Platform {
 public:
  std::string CommandLine() override { return native_.CommandLine(); }
  std::string ModulePath() override { return native_.ModulePath(); }
  char LocaleDecimalPoint() override { return native_.LocaleDecimalPoint(); }
  OsHandle StdHandle(StdStream stream) override { return native_.StdHandle(stream); }
  FileKind KindOf(OsHandle handle) override { return native_.KindOf(handle); }

  OsResult Open(const FileName& name, FileAccess access, unsigned share,
                FileDisposition disposition) override {
    last_access = access;
    last_share = share;
    last_disposition = disposition;
    if (name.name == refuse_open_of) return {-1, open_error};
    OsResult opened = native_.Open(name, access, share, disposition);
    if (opened.error == 0) opened_names[OsHandle(opened.value)] = name.name;
    return opened;
  }

  OsResult Read(OsHandle handle, void* buffer, int32_t count) override {
    if (read_error != 0) return {0, read_error};
    return native_.Read(handle, buffer, count);
  }

  // Lets write_allowance bytes through in all; the write that passes it writes what is left
  // of the allowance and then fails with write_error, or succeeds short when write_error is 0.
  OsResult Write(OsHandle handle, const void* buffer, int32_t count) override {
    int64_t passing = std::min<int64_t>(count, write_allowance);
    write_allowance -= passing;
    OsResult written = native_.Write(handle, buffer, int32_t(passing));
    if (passing < count) written.error = write_error;
    return written;
  }

  OsResult Seek(OsHandle handle, int64_t offset, SeekOrigin origin) override {
    if (seek_error != 0) return {-1, seek_error};
    return native_.Seek(handle, offset, origin);
  }

  uint32_t Close(OsHandle handle) override {
    ++closes;
    closed_names.push_back(opened_names[handle]);
    return native_.Close(handle);
  }

  std::string refuse_open_of;
  uint32_t open_error = 5;  // access denied
  uint32_t read_error = 0;
  uint32_t seek_error = 0;
  int64_t write_allowance = INT64_MAX;
  uint32_t write_error = 112;  // disk full
  int closes = 0;
  std::map<OsHandle, std::string> opened_names;
  std::vector<std::string> closed_names;  // in the order of closing

  FileAccess last_access = FileAccess::kRead;
  unsigned last_share = 0;
  FileDisposition last_disposition = FileDisposition::kOpenExisting;

 private:
  Platform& native_ = NativePlatform();
};

}  // namespace quorvex::testing

#endif  // QUORVEX_TESTS_STREAM_FAULT_PLATFORM_H_
