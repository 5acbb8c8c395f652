// The platform layer on POSIX systems.
#include <dirent.h>
#include <errno.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <clocale>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "runtime/platform/folder_memory.h"
#include "runtime/platform/os_errors.h"
#include "runtime/platform/platform.h"

namespace quorvex {
namespace {

uint32_t ErrorNumberOf(int error) {
  switch (error) {
    case ENOENT:
      return kErrorFileNotFound;
    case ENOTDIR:
      return kErrorPathNotFound;
    case EACCES:
    case EPERM:
    case EROFS:
    case EISDIR:
      return kErrorAccessDenied;
    case EMFILE:
    case ENFILE:
      return kErrorTooManyOpenFiles;
    case EBADF:
      return kErrorInvalidHandle;
    case ENOMEM:
      return kErrorNotEnoughMemory;
    case ESPIPE:
      return kErrorSeek;
    case EBUSY:
    case ETXTBSY:
      return kErrorSharingViolation;
    case EEXIST:
      return kErrorFileExists;
    case EINVAL:
      return kErrorInvalidParameter;
    case ENOSPC:
    case EDQUOT:
    case EFBIG:
      return kErrorDiskFull;
    case ENAMETOOLONG:
      return kErrorNameTooLong;
    case EPIPE:
      return kErrorNoData;
    case EIO:
      return kErrorDeviceIo;
    default:
      return kErrorGeneralFailure;
  }
}

std::string Join(const std::string& folder, const std::string& entry) {
  if (folder.empty()) return entry;
  if (folder.back() == '/') return folder + entry;
  return folder + "/" + entry;
}

std::vector<std::string> SplitPath(const std::string& path) {
  std::vector<std::string> parts;
  size_t start = 0;
  for (size_t slash; (slash = path.find('/', start)) != std::string::npos; start = slash + 1) {
    parts.push_back(path.substr(start, slash - start));
  }
  parts.push_back(path.substr(start));
  return parts;
}

FolderMemory& Memory() {
  static FolderMemory memory;
  return memory;
}

// A folder met while a name is resolved: its path as spelt on disk ("" for the current
// folder) and, once known, its identity.
struct Folder {
  std::string path;
  std::optional<FolderId> id;
};

std::optional<FolderId> FolderIdOf(const struct stat& info) {
  if (!S_ISDIR(info.st_mode)) return std::nullopt;
  return FolderId{uint64_t(info.st_dev), uint64_t(info.st_ino)};
}

// The folder's identity, looked up when not yet known; nothing when it is no folder.
std::optional<FolderId> LookUpId(Folder& folder) {
  struct stat info;
  if (!folder.id && stat(folder.path.empty() ? "." : folder.path.c_str(), &info) == 0) {
    folder.id = FolderIdOf(info);
  }
  return folder.id;
}

bool ListNames(const std::string& folder, std::vector<std::string>& names) {
  std::unique_ptr<DIR, int (*)(DIR*)> dir(opendir(folder.empty() ? "." : folder.c_str()), closedir);
  if (!dir) return false;
  while (dirent* entry = readdir(dir.get())) {
    std::string name = entry->d_name;
    if (name != "." && name != "..") names.push_back(std::move(name));
  }
  return true;
}

// The entries of folder that equal component ignoring case: from what is remembered of the
// folder while memory is kept, else from a fresh listing.
std::vector<std::string> CaseVariants(Folder& folder, const std::string& component) {
  uint64_t generation = FolderMemoryGeneration();
  std::optional<FolderId> id = generation != 0 ? LookUpId(folder) : FolderId();
  if (!id) return {};
  return Memory().CaseVariants(generation, *id, component, [&](std::vector<std::string>& names) {
    return ListNames(folder.path, names);
  });
}

// One path component as found in its folder.
struct Entry {
  std::string name;        // the spelling on disk; "" when there is none
  bool exists = false;     // the folder holds an entry of that name
  bool looked_at = false;  // info holds what name stands for, symbolic links followed
  struct stat info = {};
  bool ambiguous = false;  // more than one entry equals the component ignoring case
};

// The spelling on disk of one path component inside folder: the derived spelling, else the
// typed one, else the single entry that equals it ignoring case. A fresh name, one the caller
// is about to create exclusively, is looked for among the remembered entries alone while
// folders are remembered: its creation fails anyway where its spelling exists, and looking up
// a name the folder does not hold would wait on the folder's changes by other threads.
Entry FindComponent(Folder& folder, const std::string& derived, const std::string& typed,
                    bool fresh = false) {
  Entry entry;
  if (derived.empty() || derived == "." || derived == "..") {
    entry.name = derived;
    entry.exists = !derived.empty();
    return entry;
  }
  bool remembered_only = fresh && FolderMemoryGeneration() != 0;
  for (const std::string* spelling : {&derived, &typed}) {
    if (remembered_only) break;
    if (spelling == &typed && typed == derived) break;
    if (stat(Join(folder.path, *spelling).c_str(), &entry.info) == 0) {
      entry.name = *spelling;
      entry.exists = entry.looked_at = true;
      return entry;
    }
  }
  std::vector<std::string> variants = CaseVariants(folder, derived);
  entry.ambiguous = variants.size() > 1;
  if (variants.size() != 1) return entry;
  entry.name = variants[0];
  entry.exists = true;
  entry.looked_at = stat(Join(folder.path, entry.name).c_str(), &entry.info) == 0;
  return entry;
}

// The key under which the spelling on disk of a folder path is remembered.
std::string FolderSpellings(const std::vector<std::string>& derived,
                            const std::vector<std::string>& typed) {
  std::string spellings;
  for (const std::vector<std::string>* parts : {&derived, &typed}) {
    for (size_t i = 0; i + 1 < parts->size(); ++i) spellings += (*parts)[i] + "/";
    spellings += '\0';
  }
  return spellings;
}

// The folder that holds the last component of a name, every component before it found on
// disk as FindComponent finds it; nothing when one of them does not exist. While memory is
// kept, a folder path once found is remembered: the components of folders are never
// renamed by a run.
std::optional<Folder> FindFolder(const std::vector<std::string>& derived,
                                 const std::vector<std::string>& typed, bool absolute) {
  uint64_t generation = FolderMemoryGeneration();
  std::string spellings = generation != 0 ? FolderSpellings(derived, typed) : "";
  if (generation != 0) {
    if (std::optional<KnownFolder> known = Memory().Folder(generation, spellings)) {
      return Folder{known->path, known->id};
    }
  }
  Folder folder{absolute ? "/" : "", std::nullopt};
  for (size_t i = 0; i + 1 < derived.size(); ++i) {
    if (derived[i].empty()) continue;
    Entry entry = FindComponent(folder, derived[i], typed[i]);
    if (entry.name.empty()) return std::nullopt;
    folder.path = Join(folder.path, entry.name);
    folder.id = entry.looked_at ? FolderIdOf(entry.info) : std::nullopt;
  }
  if (generation != 0 && LookUpId(folder)) {
    Memory().RememberFolder(generation, spellings, {folder.path, *folder.id});
  }
  return folder;
}

struct ResolvedPath {
  std::string path;
  uint32_t error = 0;
  Folder folder;  // the folder of the last component
  Entry entry;    // the last component, its name as path spells it
};

ResolvedPath Unresolved(uint32_t error) {
  ResolvedPath failed;
  failed.error = error;
  return failed;
}

// Finds the file a derived name stands for on a case-sensitive file system. Every folder of
// the path must exist (else "path not found"); a final component that does not exist keeps
// its derived spelling, so that a new file is created under it. fresh: see FindComponent.
ResolvedPath Resolve(const FileName& name, bool must_exist, bool fresh = false) {
  std::vector<std::string> derived = SplitPath(name.name);
  std::vector<std::string> typed = SplitPath(name.typed);
  if (typed.size() != derived.size()) typed = derived;
  bool absolute = !name.name.empty() && name.name[0] == '/';
  std::optional<Folder> folder = FindFolder(derived, typed, absolute);
  if (!folder) return Unresolved(kErrorPathNotFound);
  ResolvedPath resolved;
  resolved.folder = std::move(*folder);
  resolved.entry = FindComponent(resolved.folder, derived.back(), typed.back(), fresh);
  if (resolved.entry.name.empty() && must_exist) return Unresolved(kErrorFileNotFound);
  if (resolved.entry.name.empty()) resolved.entry.name = derived.back();
  resolved.path = Join(resolved.folder.path, resolved.entry.name);
  return resolved;
}

// Keeps what is remembered of folders true to a change this process has made: an entry made
// (or replaced) at resolved, or one removed. A new entry beside several that differ from it
// only in case could stand for a folder spelling that is remembered, so those are forgotten;
// a file made through a symbolic link that led nowhere lies in a folder not known here, so
// everything is.
void NoteAdded(ResolvedPath& resolved) {
  uint64_t generation = FolderMemoryGeneration();
  if (generation == 0) return;
  if (resolved.entry.exists && !resolved.entry.looked_at) return Memory().ForgetAll(generation);
  if (!LookUpId(resolved.folder)) return;
  Memory().Added(generation, *resolved.folder.id, resolved.entry.name);
  if (resolved.entry.ambiguous) Memory().ForgetFolders(generation);
}

void NoteRemoved(ResolvedPath& resolved) {
  uint64_t generation = FolderMemoryGeneration();
  if (generation == 0 || !LookUpId(resolved.folder)) return;
  Memory().Removed(generation, *resolved.folder.id, resolved.entry.name);
}

// A rename between two names of one file leaves both; a rename of a folder changes the paths
// through it.
void NoteRenamed(ResolvedPath& source, ResolvedPath& target) {
  uint64_t generation = FolderMemoryGeneration();
  if (generation == 0) return;
  const struct stat& from = source.entry.info;
  const struct stat& to = target.entry.info;
  bool same_file = source.entry.looked_at && target.entry.looked_at && from.st_dev == to.st_dev &&
                   from.st_ino == to.st_ino;
  if (same_file && LookUpId(source.folder)) {
    Memory().ForgetEntries(generation, *source.folder.id);
  } else {
    NoteRemoved(source);
  }
  NoteAdded(target);
  if (!source.entry.looked_at || S_ISDIR(from.st_mode)) Memory().ForgetFolders(generation);
}

EntryKind KindOfPath(const std::string& path) {
  struct stat info;
  if (lstat(path.c_str(), &info) != 0) return EntryKind::kMissing;
  bool link = S_ISLNK(info.st_mode);
  if (link && stat(path.c_str(), &info) != 0) return EntryKind::kOther;
  if (S_ISDIR(info.st_mode)) return link ? EntryKind::kLinkToFolder : EntryKind::kFolder;
  return S_ISREG(info.st_mode) ? EntryKind::kFile : EntryKind::kOther;
}

int OpenFlags(FileAccess access, FileDisposition disposition) {
  int flags = O_CLOEXEC;
  if (access == FileAccess::kRead) flags |= O_RDONLY;
  if (access == FileAccess::kWrite) flags |= O_WRONLY;
  if (access == FileAccess::kReadWrite) flags |= O_RDWR;
  if (disposition == FileDisposition::kCreateAlways) flags |= O_CREAT | O_TRUNC;
  if (disposition == FileDisposition::kCreateNew) flags |= O_CREAT | O_EXCL;
  // Opening a FIFO for reading would wait for a writer; the caller is to look at what it
  // opened instead of hanging.
  if (access == FileAccess::kRead) flags |= O_NONBLOCK;
  return flags;
}

std::string FolderOf(const std::string& path) {
  size_t slash = path.find_last_of('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

FileIdentity IdentityOf(const struct stat& info) {
  FileIdentity identity;
  identity.regular = S_ISREG(info.st_mode);
  identity.volume = uint64_t(info.st_dev);
  identity.index = uint64_t(info.st_ino);
  return identity;
}

// The symbolic links a name may pass through before the system gives up on it.
constexpr int kMaxLinks = 40;

class PosixPlatform : public Platform {
 public:
  void Start(int argc, char** argv) {
    HoldClosedStandardHandles();
    signal(SIGPIPE, SIG_IGN);
    arguments_.assign(argv, argv + argc);
  }

  std::string CommandLine() override {
    std::string line;
    for (size_t i = 0; i < arguments_.size(); ++i) {
      if (i > 0) line += ' ';
      line += QuoteIfNeeded(arguments_[i]);
    }
    return line;
  }

  std::string ModulePath() override {
    char buffer[4096];
    ssize_t length = readlink("/proc/self/exe", buffer, sizeof buffer);
    if (length > 0) return std::string(buffer, size_t(length));
    return arguments_.empty() ? "" : arguments_[0];
  }

  char LocaleDecimalPoint() override {
    std::string previous = setlocale(LC_NUMERIC, nullptr);
    char point = '.';
    if (setlocale(LC_NUMERIC, "")) {
      const char* text = localeconv()->decimal_point;
      if (text && text[0] != '\0') point = text[0];
    }
    setlocale(LC_NUMERIC, previous.c_str());
    return point;
  }

  OsHandle StdHandle(StdStream stream) override {
    int fd = stream == StdStream::kInput ? 0 : stream == StdStream::kOutput ? 1 : 2;
    return missing_[fd] ? kNoHandle : fd;
  }

  FileKind KindOf(OsHandle handle) override {
    struct stat info;
    if (handle < 0 || fstat(handle, &info) != 0) return FileKind::kUnknown;
    if (S_ISREG(info.st_mode)) return FileKind::kDisk;
    if (S_ISCHR(info.st_mode)) return FileKind::kCharacter;
    if (S_ISFIFO(info.st_mode) || S_ISSOCK(info.st_mode)) return FileKind::kPipe;
    return FileKind::kUnknown;
  }

  OsResult Open(const FileName& name, FileAccess access, unsigned,
                FileDisposition disposition) override {
    ResolvedPath resolved = Resolve(name, disposition == FileDisposition::kOpenExisting,
                                    disposition == FileDisposition::kCreateNew);
    if (resolved.error != 0) return {-1, resolved.error};
    int fd;
    do {
      fd = open(resolved.path.c_str(), OpenFlags(access, disposition), 0666);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0) return {-1, ErrorNumberOf(errno)};
    if (disposition != FileDisposition::kOpenExisting) NoteAdded(resolved);
    if (access == FileAccess::kRead) fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    struct stat info;
    if (fstat(fd, &info) == 0 && S_ISDIR(info.st_mode)) {
      close(fd);
      return {-1, kErrorAccessDenied};
    }
    return {fd, 0};
  }

  OsResult Read(OsHandle handle, void* buffer, int32_t count) override {
    ssize_t got;
    do {
      got = read(handle, buffer, size_t(count));
    } while (got < 0 && errno == EINTR);
    if (got < 0) return {0, ErrorNumberOf(errno)};
    return {got, 0};
  }

  OsResult Write(OsHandle handle, const void* buffer, int32_t count) override {
    const char* bytes = static_cast<const char*>(buffer);
    int64_t written = 0;
    while (written < count) {
      ssize_t put = write(handle, bytes + written, size_t(count - written));
      if (put < 0 && errno == EINTR) continue;
      if (put < 0) return {written, ErrorNumberOf(errno)};
      if (put == 0) break;
      written += put;
    }
    return {written, 0};
  }

  OsResult Seek(OsHandle handle, int64_t offset, SeekOrigin origin) override {
    int whence = origin == kSeekFromStart ? SEEK_SET : origin == kSeekFromEnd ? SEEK_END : SEEK_CUR;
    off_t position = lseek(handle, off_t(offset), whence);
    if (position < 0) return {-1, ErrorNumberOf(errno)};
    return {int64_t(position), 0};
  }

  uint32_t Close(OsHandle handle) override {
    return close(handle) == 0 || errno == EINTR ? 0 : ErrorNumberOf(errno);
  }

  uint32_t Sync(OsHandle handle) override { return fsync(handle) == 0 ? 0 : ErrorNumberOf(errno); }

  uint32_t Rename(const FileName& from, const FileName& to) override {
    ResolvedPath source = Resolve(from, true);
    if (source.error != 0) return source.error;
    ResolvedPath target = Resolve(to, false);
    if (target.error != 0) return target.error;
    if (rename(source.path.c_str(), target.path.c_str()) != 0) return ErrorNumberOf(errno);
    NoteRenamed(source, target);
    return 0;
  }

  uint32_t SyncFolderOf(const FileName& file) override {
    ResolvedPath resolved = Resolve(file, false);
    if (resolved.error != 0) return resolved.error;
    int fd = open(FolderOf(resolved.path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return ErrorNumberOf(errno);
    uint32_t error = fsync(fd) == 0 ? 0 : ErrorNumberOf(errno);
    close(fd);
    return error;
  }

  uint32_t Remove(const FileName& name) override {
    ResolvedPath resolved = Resolve(name, true);
    if (resolved.error != 0) return resolved.error;
    if (unlink(resolved.path.c_str()) != 0) return ErrorNumberOf(errno);
    NoteRemoved(resolved);
    return 0;
  }

  FileIdentity Identify(const FileName& name) override {
    ResolvedPath resolved = Resolve(name, true);
    FileIdentity missing;
    missing.error = resolved.error;
    if (resolved.error != 0) return missing;
    if (resolved.entry.looked_at) return IdentityOf(resolved.entry.info);
    struct stat info;
    if (stat(resolved.path.c_str(), &info) != 0) {
      missing.error = ErrorNumberOf(errno);
      return missing;
    }
    return IdentityOf(info);
  }

  FileIdentity IdentifyOpen(OsHandle handle) override {
    struct stat info;
    if (fstat(handle, &info) != 0) {
      FileIdentity missing;
      missing.error = ErrorNumberOf(errno);
      return missing;
    }
    return IdentityOf(info);
  }

  std::string FinalPathOf(const FileName& name) override {
    ResolvedPath resolved = Resolve(name, false);
    if (resolved.error != 0) return name.name;
    std::string path = resolved.path;
    struct stat info;
    for (int links = 0;
         links < kMaxLinks && lstat(path.c_str(), &info) == 0 && S_ISLNK(info.st_mode); ++links) {
      char target[4096];
      ssize_t length = readlink(path.c_str(), target, sizeof target);
      if (length <= 0 || size_t(length) == sizeof target) break;
      std::string next(target, size_t(length));
      path = next[0] == '/' ? next : Join(FolderOf(path), next);
    }
    return path;
  }

  uint32_t CopyPermissions(const FileName& from, OsHandle to) override {
    ResolvedPath resolved = Resolve(from, true);
    struct stat info;
    if (resolved.error != 0 || stat(resolved.path.c_str(), &info) != 0) return 0;
    return fchmod(to, info.st_mode & 07777) == 0 ? 0 : ErrorNumberOf(errno);
  }

  uint32_t LockExclusive(OsHandle handle) override {
    int result;
    do {
      result = flock(handle, LOCK_EX | LOCK_NB);
    } while (result != 0 && errno == EINTR);
    if (result == 0) return 0;
    return errno == EWOULDBLOCK ? kErrorSharingViolation : ErrorNumberOf(errno);
  }

  bool IsTerminal(OsHandle handle) override { return handle >= 0 && isatty(handle) == 1; }

  int ProcessorCount() override {
    long count = sysconf(_SC_NPROCESSORS_ONLN);
    return count > 0 ? int(count) : 1;
  }

  EntryKind KindOfEntry(const FileName& name) override {
    ResolvedPath resolved = Resolve(name, true);
    return resolved.error != 0 ? EntryKind::kMissing : KindOfPath(resolved.path);
  }

  uint32_t ListFolder(const FileName& folder, std::vector<FolderEntry>& entries) override {
    ResolvedPath resolved = Resolve(folder, true);
    if (resolved.error != 0) return resolved.error;
    DIR* dir = opendir(resolved.path.c_str());
    if (!dir) return ErrorNumberOf(errno);
    while (dirent* entry = readdir(dir)) {
      std::string name = entry->d_name;
      if (name == "." || name == "..") continue;
      entries.push_back({name, KindOfPath(Join(resolved.path, name))});
    }
    closedir(dir);
    return 0;
  }

  uint32_t MakeFolder(const FileName& folder) override {
    ResolvedPath resolved = Resolve(folder, false);
    if (resolved.error != 0) return resolved.error;
    if (mkdir(resolved.path.c_str(), 0777) == 0) {
      NoteAdded(resolved);
      Memory().ForgetFolders(FolderMemoryGeneration());
      return 0;
    }
    int error = errno;
    return error == EEXIST && KindOfPath(resolved.path) == EntryKind::kFolder
               ? 0
               : ErrorNumberOf(error);
  }

 private:
  // A standard handle that is closed at start-up counts as missing, as on a system that gives
  // the process no such handle; its descriptor is held with /dev/null so that no file the
  // tool opens can take it and receive console bytes.
  void HoldClosedStandardHandles() {
    for (int fd = 0; fd <= 2; ++fd) {
      if (fcntl(fd, F_GETFD) != -1) continue;
      missing_[fd] = true;
      int held = open("/dev/null", O_RDWR);
      if (held >= 0 && held != fd) {
        dup2(held, fd);
        close(held);
      }
    }
  }

  // Quotes an argument that is empty or holds a separator, so that splitting the rebuilt
  // line gives the arguments back.
  static std::string QuoteIfNeeded(const std::string& argument) {
    bool needs_quotes = argument.empty();
    for (unsigned char c : argument) needs_quotes |= c >= 1 && c <= 32;
    return needs_quotes ? "\"" + argument + "\"" : argument;
  }

  std::vector<std::string> arguments_;
  bool missing_[3] = {false, false, false};
};

PosixPlatform& ThePosixPlatform() {
  static PosixPlatform platform;
  return platform;
}

}  // namespace

Platform& NativePlatform() {
  return ThePosixPlatform();
}

void StartNativePlatform(int argc, char** argv) {
  ThePosixPlatform().Start(argc, argv);
}

}  // namespace quorvex
