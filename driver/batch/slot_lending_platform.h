#ifndef QUORVEX_DRIVER_BATCH_SLOT_LENDING_PLATFORM_H_
#define QUORVEX_DRIVER_BATCH_SLOT_LENDING_PLATFORM_H_

#include <string>
#include <vector>

#include "driver/batch/processor_slots.h"
#include "runtime/platform/platform.h"

namespace quorvex {

// The platform in force when it is made, passed through unchanged, except that a thread that
// holds a processor slot lends it out while it waits for a sync of a file or a folder.
class SlotLendingPlatform : public Platform {
 public:
  explicit SlotLendingPlatform(Platform& inner) : inner_(inner) {}

  std::string CommandLine() override { return inner_.CommandLine(); }
  std::string ModulePath() override { return inner_.ModulePath(); }
  char LocaleDecimalPoint() override { return inner_.LocaleDecimalPoint(); }
  OsHandle StdHandle(StdStream stream) override { return inner_.StdHandle(stream); }
  FileKind KindOf(OsHandle handle) override { return inner_.KindOf(handle); }
  OsResult Open(const FileName& name, FileAccess access, unsigned share,
                FileDisposition disposition) override {
    return inner_.Open(name, access, share, disposition);
  }
  OsResult Read(OsHandle handle, void* buffer, int32_t count) override {
    return inner_.Read(handle, buffer, count);
  }
  OsResult Write(OsHandle handle, const void* buffer, int32_t count) override {
    return inner_.Write(handle, buffer, count);
  }
  OsResult Seek(OsHandle handle, int64_t offset, SeekOrigin origin) override {
    return inner_.Seek(handle, offset, origin);
  }
  uint32_t Close(OsHandle handle) override { return inner_.Close(handle); }
  uint32_t Sync(OsHandle handle) override {
    return LendingSlot([&] { return inner_.Sync(handle); });
  }
  uint32_t Rename(const FileName& from, const FileName& to) override {
    return inner_.Rename(from, to);
  }
  uint32_t SyncFolderOf(const FileName& file) override {
    return LendingSlot([&] { return inner_.SyncFolderOf(file); });
  }
  uint32_t Remove(const FileName& name) override { return inner_.Remove(name); }
  FileIdentity Identify(const FileName& name) override { return inner_.Identify(name); }
  FileIdentity IdentifyOpen(OsHandle handle) override { return inner_.IdentifyOpen(handle); }
  std::string FinalPathOf(const FileName& name) override { return inner_.FinalPathOf(name); }
  uint32_t CopyPermissions(const FileName& from, OsHandle to) override {
    return inner_.CopyPermissions(from, to);
  }
  uint32_t LockExclusive(OsHandle handle) override { return inner_.LockExclusive(handle); }
  bool IsTerminal(OsHandle handle) override { return inner_.IsTerminal(handle); }
  int ProcessorCount() override { return inner_.ProcessorCount(); }
  EntryKind KindOfEntry(const FileName& name) override { return inner_.KindOfEntry(name); }
  uint32_t ListFolder(const FileName& folder, std::vector<FolderEntry>& entries) override {
    return inner_.ListFolder(folder, entries);
  }
  uint32_t MakeFolder(const FileName& folder) override { return inner_.MakeFolder(folder); }

 private:
  Platform& inner_;
};

}  // namespace quorvex

#endif  // QUORVEX_DRIVER_BATCH_SLOT_LENDING_PLATFORM_H_
