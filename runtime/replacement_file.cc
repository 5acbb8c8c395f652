#include "runtime/replacement_file.h"

#include <cstdint>
#include <cstdio>
#include <random>
#include <string>

#include "runtime/platform/os_errors.h"
#include "runtime/text_channel.h"

namespace quorvex {
namespace {

constexpr int kNameAttempts = 100;

// The next number of a random sequence kept per thread (a 64-bit mixing of a counter), seeded
// from the system's random source on first use. Its state is a plain number, so that a thread
// has nothing to set up or tear down for it.
uint32_t NextRandom() {
  thread_local uint64_t state = 0;
  if (state == 0) {
    std::random_device device;
    state = uint64_t(device()) << 32 | device();
  }
  state += 0x9E3779B97F4A7C15u;
  uint64_t mixed = state;
  mixed = (mixed ^ mixed >> 30) * 0xBF58476D1CE4E5B9u;
  mixed = (mixed ^ mixed >> 27) * 0x94D049BB133111EBu;
  return uint32_t((mixed ^ mixed >> 31) >> 32);
}

// The target's name with a random mark and ".tmp", in the target's own folder.
std::string TemporaryNameBeside(const std::string& target) {
  char mark[16];
  snprintf(mark, sizeof mark, "%08x", unsigned(NextRandom()));
  return target + ".quorvex-" + mark + ".tmp";
}

}  // namespace

ReplacementFile::ReplacementFile(const FileName& target) : final_(System().FinalPathOf(target)) {
  error_ = CheckTargetWritable();
  if (error_ == 0) error_ = Create();
}

ReplacementFile::~ReplacementFile() {
  if (handle_ != kNoHandle) System().Close(handle_);
  if (created_ && !committed_) System().Remove(temporary_);
}

// A file that exists must be one the user lets this process write, as an open for writing
// would have required; a folder, device or pipe is never replaced.
uint32_t ReplacementFile::CheckTargetWritable() {
  FileIdentity identity = System().Identify(final_);
  if (identity.error != 0) return 0;
  if (!identity.regular) return kErrorAccessDenied;
  OsResult opened =
      System().Open(final_, FileAccess::kWrite, kShareRead, FileDisposition::kOpenExisting);
  if (opened.error != 0) return opened.error;
  System().Close(OsHandle(opened.value));
  return 0;
}

uint32_t ReplacementFile::Create() {
  OsResult opened;
  for (int attempt = 0; attempt < kNameAttempts; ++attempt) {
    temporary_ = FileName(TemporaryNameBeside(final_.name));
    opened =
        System().Open(temporary_, FileAccess::kReadWrite, kShareRead, FileDisposition::kCreateNew);
    if (opened.error != kErrorFileExists) break;
  }
  if (opened.error != 0) return opened.error;
  handle_ = OsHandle(opened.value);
  created_ = true;
  // Only this process knows the new name, so the lock cannot be refused for another holder;
  // where the file system has no locks the replacement goes on without one.
  System().LockExclusive(handle_);
  return System().CopyPermissions(final_, handle_);
}

uint32_t ReplacementFile::Commit() {
  if (error_ != 0) return error_;
  if (uint32_t error = System().Sync(handle_)) return error;
  if (uint32_t error = System().Rename(temporary_, final_)) return error;
  committed_ = true;
  return System().SyncFolderOf(final_);
}

void ReplacementFile::CommitOrRaise() {
  if (uint32_t error = Commit()) {
    PendingIoError = int32_t(error);
    RaisePendingIoError();
  }
}

}  // namespace quorvex
