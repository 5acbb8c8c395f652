// The platform layer on Windows. Error numbers are the system's last-error values, which the
// tool's own numbering shares, so they pass through unchanged.
#define WIN32_LEAN_AND_MEAN
#define NOMINMAX
#include <windows.h>

#include <algorithm>
#include <mutex>
#include <string>
#include <vector>

#include "runtime/platform/os_errors.h"
#include "runtime/platform/platform.h"

namespace quorvex {
namespace {

// The length of a full path the system reports, terminating zero included.
constexpr DWORD kModulePathBuffer = 261;

// The standard handles go by these numbers, resolved each time they are used; the files the
// process opens are numbered from kFirstFileNumber.
constexpr OsHandle kFirstFileNumber = 3;

HANDLE StdFile(OsHandle number) {
  static const DWORD kWhich[] = {STD_INPUT_HANDLE, STD_OUTPUT_HANDLE, STD_ERROR_HANDLE};
  HANDLE file = GetStdHandle(kWhich[number]);
  return file == INVALID_HANDLE_VALUE ? nullptr : file;
}

// The files this process holds open, under numbers of its own. A number stays its owner's until
// the owner closes it, also after the file beneath it was let go of (the lock a run holds on a
// file it replaces), so that no file another thread opens meanwhile can get that number and be
// closed by the first owner. Shared by the threads of a batch run.
class OpenFiles {
 public:
  OsHandle Add(HANDLE file) {
    std::lock_guard<std::mutex> hold(mutex_);
    auto free = std::find_if(entries_.begin(), entries_.end(),
                             [](const Entry& entry) { return !entry.used; });
    if (free == entries_.end()) free = entries_.insert(entries_.end(), Entry{});
    *free = Entry{true, file, false, {}};
    return kFirstFileNumber + OsHandle(free - entries_.begin());
  }

  // The file under the number; nullptr when there is none, or it was let go of.
  HANDLE Find(OsHandle number) {
    std::lock_guard<std::mutex> hold(mutex_);
    Entry* entry = EntryOf(number);
    return entry ? entry->file : nullptr;
  }

  // Gives the number up. Returns false when it was not in use; file is the file still under
  // it, nullptr when it was let go of.
  bool Take(OsHandle number, HANDLE& file) {
    std::lock_guard<std::mutex> hold(mutex_);
    Entry* entry = EntryOf(number);
    if (!entry) return false;
    file = entry->file;
    *entry = Entry{};
    return true;
  }

  void RememberLock(OsHandle number, const FileIdentity& identity) {
    std::lock_guard<std::mutex> hold(mutex_);
    Entry* entry = EntryOf(number);
    if (!entry) return;
    entry->locked = true;
    entry->identity = identity;
  }

  // Closes the files under numbers that lock the given file, keeping the numbers for their
  // owners. Returns whether there were any.
  bool LetGoOfLocksOn(const FileIdentity& identity) {
    std::lock_guard<std::mutex> hold(mutex_);
    bool any = false;
    for (Entry& entry : entries_) {
      if (!entry.file || !entry.locked || !entry.identity.SameFileAs(identity)) continue;
      CloseHandle(entry.file);
      entry.file = nullptr;
      any = true;
    }
    return any;
  }

  bool IsLocked(const FileIdentity& identity) {
    std::lock_guard<std::mutex> hold(mutex_);
    return std::any_of(entries_.begin(), entries_.end(), [&](const Entry& entry) {
      return entry.file && entry.locked && entry.identity.SameFileAs(identity);
    });
  }

 private:
  struct Entry {
    bool used = false;
    HANDLE file = nullptr;
    bool locked = false;
    FileIdentity identity;
  };

  Entry* EntryOf(OsHandle number) {
    if (number < kFirstFileNumber || size_t(number - kFirstFileNumber) >= entries_.size()) {
      return nullptr;
    }
    Entry& entry = entries_[size_t(number - kFirstFileNumber)];
    return entry.used ? &entry : nullptr;
  }

  std::mutex mutex_;
  std::vector<Entry> entries_;
};

DWORD AccessOf(FileAccess access) {
  switch (access) {
    case FileAccess::kRead:
      return GENERIC_READ;
    case FileAccess::kWrite:
      return GENERIC_WRITE;
    case FileAccess::kReadWrite:
      return GENERIC_READ | GENERIC_WRITE;
  }
  return 0;
}

DWORD SharingOf(unsigned share) {
  DWORD sharing = 0;
  if (share & kShareRead) sharing |= FILE_SHARE_READ;
  if (share & kShareWrite) sharing |= FILE_SHARE_WRITE;
  return sharing;
}

DWORD CreationOf(FileDisposition disposition) {
  switch (disposition) {
    case FileDisposition::kCreateAlways:
      return CREATE_ALWAYS;
    case FileDisposition::kCreateNew:
      return CREATE_NEW;
    case FileDisposition::kOpenExisting:
      break;
  }
  return OPEN_EXISTING;
}

DWORD MoveMethodOf(SeekOrigin origin) {
  if (origin == kSeekFromStart) return FILE_BEGIN;
  if (origin == kSeekFromEnd) return FILE_END;
  return FILE_CURRENT;
}

// The lock of a run lies on one byte this far into the file, beyond the end of any form, so
// that reading the file through other handles goes on while the lock is held.
constexpr DWORD kLockOffsetHigh = 0x40000000;

// Any path separator of the system.
bool IsSeparator(char c) {
  return c == '\\' || c == '/' || c == ':';
}

std::string JoinPath(const std::string& folder, const std::string& name) {
  if (folder.empty()) return name;
  return IsSeparator(folder.back()) ? folder + name : folder + "\\" + name;
}

// A handle that looks at a file (or a folder) without reading it, so that it meets no sharing
// violation; closed with this object.
class LookingHandle {
 public:
  explicit LookingHandle(const std::string& path) {
    handle_ = CreateFileA(path.c_str(), FILE_READ_ATTRIBUTES,
                          FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                          OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    error_ = handle_ == INVALID_HANDLE_VALUE ? GetLastError() : 0;
  }
  ~LookingHandle() {
    if (handle_ != INVALID_HANDLE_VALUE) CloseHandle(handle_);
  }
  LookingHandle(const LookingHandle&) = delete;
  LookingHandle& operator=(const LookingHandle&) = delete;

  HANDLE get() const { return handle_; }
  DWORD error() const { return error_; }

 private:
  HANDLE handle_ = INVALID_HANDLE_VALUE;
  DWORD error_ = 0;
};

FileIdentity IdentityOfHandle(HANDLE handle) {
  FileIdentity identity;
  BY_HANDLE_FILE_INFORMATION info;
  if (GetFileType(handle) != FILE_TYPE_DISK) return identity;
  if (!GetFileInformationByHandle(handle, &info)) {
    identity.error = GetLastError();
    return identity;
  }
  identity.regular = (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
  identity.volume = info.dwVolumeSerialNumber;
  identity.index = (uint64_t(info.nFileIndexHigh) << 32) | info.nFileIndexLow;
  return identity;
}

FileIdentity IdentityOfPath(const std::string& path) {
  LookingHandle looking(path);
  if (looking.error() != 0) {
    FileIdentity missing;
    missing.error = looking.error();
    return missing;
  }
  return IdentityOfHandle(looking.get());
}

// The kind of an entry with the given attributes; a file that is a link counts as what it
// points to, a folder that is a link or junction is told apart.
EntryKind KindOfAttributes(DWORD attributes, const std::string& path) {
  if (attributes & FILE_ATTRIBUTE_DEVICE) return EntryKind::kOther;
  bool link = (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
  if (attributes & FILE_ATTRIBUTE_DIRECTORY) {
    return link ? EntryKind::kLinkToFolder : EntryKind::kFolder;
  }
  if (!link) return EntryKind::kFile;
  FileIdentity target = IdentityOfPath(path);
  if (target.error != 0) return EntryKind::kMissing;
  return target.regular ? EntryKind::kFile : EntryKind::kOther;
}

// The path GetFinalPathNameByHandleA gives, without the prefix of long paths where the path
// does without it.
std::string WithoutLongPathPrefix(const std::string& path) {
  if (path.rfind("\\\\?\\UNC\\", 0) == 0) return "\\" + path.substr(7);
  if (path.rfind("\\\\?\\", 0) == 0) return path.substr(4);
  return path;
}

class Win32Platform : public Platform {
 public:
  // Failing drives and missing disks are reported as errors, never as dialog boxes.
  void Start() { SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX); }

  std::string CommandLine() override {
    const char* line = GetCommandLineA();
    return line ? line : "";
  }

  std::string ModulePath() override {
    char buffer[kModulePathBuffer];
    DWORD length = GetModuleFileNameA(nullptr, buffer, kModulePathBuffer);
    return std::string(buffer, length < kModulePathBuffer ? length : 0);
  }

  char LocaleDecimalPoint() override {
    char separator[8];
    int length =
        GetLocaleInfoA(GetSystemDefaultLCID(), LOCALE_SDECIMAL, separator, sizeof separator);
    return length > 1 ? separator[0] : '.';
  }

  OsHandle StdHandle(StdStream stream) override {
    OsHandle number = stream == StdStream::kInput ? 0 : stream == StdStream::kOutput ? 1 : 2;
    return StdFile(number) ? number : kNoHandle;
  }

  FileKind KindOf(OsHandle handle) override {
    HANDLE file = FileOf(handle);
    if (!file) return FileKind::kUnknown;
    switch (GetFileType(file)) {
      case FILE_TYPE_CHAR:
        return FileKind::kCharacter;
      case FILE_TYPE_DISK:
        return FileKind::kDisk;
      case FILE_TYPE_PIPE:
        return FileKind::kPipe;
      default:
        return FileKind::kUnknown;
    }
  }

  // A file this process holds locked for a run is read again by the steps of that run; those
  // reads share the file with the run's own handles, so that a run meets no sharing violation
  // with itself, while other openers still meet the sharing of those handles.
  OsResult Open(const FileName& name, FileAccess access, unsigned share,
                FileDisposition disposition) override {
    OsResult opened = OpenShared(name, access, SharingOf(share), disposition);
    if (opened.error == ERROR_SHARING_VIOLATION && access == FileAccess::kRead &&
        files_.IsLocked(IdentityOfPath(name.name))) {
      opened = OpenShared(name, access, FILE_SHARE_READ | FILE_SHARE_WRITE, disposition);
    }
    return opened;
  }

  // A pipe whose writer has gone reads as the end of the file.
  OsResult Read(OsHandle handle, void* buffer, int32_t count) override {
    HANDLE file = FileOf(handle);
    if (!file) return {0, kErrorInvalidHandle};
    DWORD got = 0;
    if (ReadFile(file, buffer, DWORD(count), &got, nullptr)) return {got, 0};
    DWORD error = GetLastError();
    if (error == ERROR_BROKEN_PIPE) return {0, 0};
    return {0, error};
  }

  // Bytes go out as they are: no console translation of line ends or of Ctrl-Z.
  OsResult Write(OsHandle handle, const void* buffer, int32_t count) override {
    HANDLE file = FileOf(handle);
    if (!file) return {0, kErrorInvalidHandle};
    const char* bytes = static_cast<const char*>(buffer);
    int64_t written = 0;
    while (written < count) {
      DWORD put = 0;
      if (!WriteFile(file, bytes + written, DWORD(count - written), &put, nullptr)) {
        return {written, GetLastError()};
      }
      if (put == 0) break;
      written += put;
    }
    return {written, 0};
  }

  OsResult Seek(OsHandle handle, int64_t offset, SeekOrigin origin) override {
    HANDLE file = FileOf(handle);
    if (!file) return {-1, kErrorInvalidHandle};
    LARGE_INTEGER distance;
    distance.QuadPart = offset;
    LARGE_INTEGER position;
    if (!SetFilePointerEx(file, distance, &position, MoveMethodOf(origin))) {
      return {-1, GetLastError()};
    }
    return {int64_t(position.QuadPart), 0};
  }

  // A number whose file was let go of is only given up.
  uint32_t Close(OsHandle handle) override {
    HANDLE file = nullptr;
    if (handle >= 0 && handle < kFirstFileNumber) {
      file = StdFile(handle);
      if (!file) return kErrorInvalidHandle;
    } else if (!files_.Take(handle, file)) {
      return kErrorInvalidHandle;
    } else if (!file) {
      return 0;
    }
    return CloseHandle(file) ? 0 : GetLastError();
  }

  uint32_t Sync(OsHandle handle) override {
    HANDLE file = FileOf(handle);
    if (!file) return kErrorInvalidHandle;
    return FlushFileBuffers(file) ? 0 : GetLastError();
  }

  // Windows replaces no file that is open. When the file replaced is the input this process
  // holds locked for its run, the run lets go of it first: from then on the lock of the
  // replacement, which takes its name, keeps a second run out.
  uint32_t Rename(const FileName& from, const FileName& to) override {
    uint32_t error = MoveOver(from, to);
    if (error == ERROR_ACCESS_DENIED && files_.LetGoOfLocksOn(IdentityOfPath(to.name))) {
      error = MoveOver(from, to);
    }
    return error;
  }

  // The write-through of Rename already puts the folder's entry on the disk.
  uint32_t SyncFolderOf(const FileName&) override { return 0; }

  // Windows deletes no file with the read-only attribute; as unlinking a file elsewhere pays
  // no heed to its own permissions, the attribute is taken off first (a replacement that took
  // it from the file it was to replace is removed when its run fails), and put back should the
  // file stay.
  uint32_t Remove(const FileName& name) override {
    const char* path = name.name.c_str();
    if (DeleteFileA(path)) return 0;
    DWORD error = GetLastError();
    DWORD attributes = GetFileAttributesA(path);
    if (error != ERROR_ACCESS_DENIED || attributes == INVALID_FILE_ATTRIBUTES ||
        !(attributes & FILE_ATTRIBUTE_READONLY) ||
        !SetFileAttributesA(path, attributes & ~DWORD(FILE_ATTRIBUTE_READONLY))) {
      return error;
    }
    if (DeleteFileA(path)) return 0;
    error = GetLastError();
    SetFileAttributesA(path, attributes);
    return error;
  }

  FileIdentity Identify(const FileName& name) override { return IdentityOfPath(name.name); }

  FileIdentity IdentifyOpen(OsHandle handle) override {
    HANDLE file = FileOf(handle);
    if (!file) {
      FileIdentity missing;
      missing.error = kErrorInvalidHandle;
      return missing;
    }
    return IdentityOfHandle(file);
  }

  // Only a name that is itself a link or junction is followed; every other name stays as
  // given, so that reports name the files as the user did.
  std::string FinalPathOf(const FileName& name) override {
    DWORD attributes = GetFileAttributesA(name.name.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_REPARSE_POINT)) {
      return name.name;
    }
    LookingHandle looking(name.name);
    if (looking.error() != 0) return name.name;
    char buffer[kModulePathBuffer];
    DWORD length = GetFinalPathNameByHandleA(looking.get(), buffer, kModulePathBuffer, 0);
    if (length == 0 || length >= kModulePathBuffer) return name.name;
    return WithoutLongPathPrefix(std::string(buffer, length));
  }

  // Of the permission bits, Windows keeps only the read-only attribute.
  uint32_t CopyPermissions(const FileName& from, OsHandle to) override {
    DWORD attributes = GetFileAttributesA(from.name.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_READONLY)) return 0;
    HANDLE file = FileOf(to);
    if (!file) return kErrorInvalidHandle;
    FILE_BASIC_INFO info;
    if (!GetFileInformationByHandleEx(file, FileBasicInfo, &info, sizeof info)) {
      return GetLastError();
    }
    info.FileAttributes |= FILE_ATTRIBUTE_READONLY;
    return SetFileInformationByHandle(file, FileBasicInfo, &info, sizeof info) ? 0 : GetLastError();
  }

  uint32_t LockExclusive(OsHandle handle) override {
    HANDLE file = FileOf(handle);
    if (!file) return kErrorInvalidHandle;
    OVERLAPPED range{};
    range.OffsetHigh = kLockOffsetHigh;
    if (!LockFileEx(file, LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, 1, 0, &range)) {
      DWORD error = GetLastError();
      return error == ERROR_LOCK_VIOLATION ? kErrorSharingViolation : error;
    }
    files_.RememberLock(handle, IdentityOfHandle(file));
    return 0;
  }

  bool IsTerminal(OsHandle handle) override {
    HANDLE file = FileOf(handle);
    DWORD mode = 0;
    return file && GetFileType(file) == FILE_TYPE_CHAR && GetConsoleMode(file, &mode);
  }

  int ProcessorCount() override {
    SYSTEM_INFO info;
    GetSystemInfo(&info);
    return info.dwNumberOfProcessors > 0 ? int(info.dwNumberOfProcessors) : 1;
  }

  EntryKind KindOfEntry(const FileName& name) override {
    DWORD attributes = GetFileAttributesA(name.name.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) return EntryKind::kMissing;
    return KindOfAttributes(attributes, name.name);
  }

  uint32_t ListFolder(const FileName& folder, std::vector<FolderEntry>& entries) override {
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA(JoinPath(folder.name, "*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) {
      DWORD error = GetLastError();
      return error == ERROR_FILE_NOT_FOUND ? 0 : error;
    }
    do {
      std::string name = found.cFileName;
      if (name == "." || name == "..") continue;
      entries.push_back(
          {name, KindOfAttributes(found.dwFileAttributes, JoinPath(folder.name, name))});
    } while (FindNextFileA(search, &found));
    DWORD error = GetLastError();
    FindClose(search);
    return error == ERROR_NO_MORE_FILES ? 0 : error;
  }

  uint32_t MakeFolder(const FileName& folder) override {
    if (CreateDirectoryA(folder.name.c_str(), nullptr)) return 0;
    DWORD error = GetLastError();
    DWORD attributes = GetFileAttributesA(folder.name.c_str());
    bool folder_exists =
        attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
    return error == ERROR_ALREADY_EXISTS && folder_exists ? 0 : error;
  }

 private:
  // The file under a number, standard handles included; nullptr when there is none.
  HANDLE FileOf(OsHandle number) {
    if (number >= 0 && number < kFirstFileNumber) return StdFile(number);
    return files_.Find(number);
  }

  OsResult OpenShared(const FileName& name, FileAccess access, DWORD sharing,
                      FileDisposition disposition) {
    // A file created new is a replacement, renamed into place while its writer holds it.
    if (disposition == FileDisposition::kCreateNew) sharing |= FILE_SHARE_DELETE;
    HANDLE file = CreateFileA(name.name.c_str(), AccessOf(access), sharing, nullptr,
                              CreationOf(disposition), FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return {-1, GetLastError()};
    return {files_.Add(file), 0};
  }

  static uint32_t MoveOver(const FileName& from, const FileName& to) {
    return MoveFileExA(from.name.c_str(), to.name.c_str(),
                       MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)
               ? 0
               : GetLastError();
  }

  OpenFiles files_;
};

Win32Platform& TheWin32Platform() {
  static Win32Platform platform;
  return platform;
}

}  // namespace

Platform& NativePlatform() {
  return TheWin32Platform();
}

// The system keeps the raw command line itself, so the arguments are not needed here.
void StartNativePlatform(int, char**) {
  TheWin32Platform().Start();
}

}  // namespace quorvex
