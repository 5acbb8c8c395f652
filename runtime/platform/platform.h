#ifndef QUORVEX_RUNTIME_PLATFORM_PLATFORM_H_
#define QUORVEX_RUNTIME_PLATFORM_PLATFORM_H_

#include <cstdint>
#include <string>
#include <vector>

#include "runtime/file_name.h"

namespace quorvex {

// The operating-system services the tool uses, behind one interface. Every other part of the
// code reaches the system only through System(); tests put a replacement in place with
// ScopedPlatform to inject faults.
//
// Error numbers are those of the tool's own numbering (2 file not found, 3 path not found,
// 4 too many open files, 5 access denied, 32 sharing violation, 112 disk full, ...); each
// platform maps its own codes onto them.

// Facts of the system the build is for: whether its shells expand wildcards in the arguments
// before the program sees them, and whether '\' and ':' separate the parts of a path too.
#ifdef _WIN32
constexpr bool kShellExpandsWildcards = false;
constexpr bool kBackslashSeparatesPaths = true;
#else
constexpr bool kShellExpandsWildcards = true;
constexpr bool kBackslashSeparatesPaths = false;
#endif

using OsHandle = int32_t;
constexpr OsHandle kNoHandle = -1;

enum class StdStream { kInput, kOutput, kError };
enum class FileKind { kUnknown, kCharacter, kDisk, kPipe };
enum class FileAccess { kRead, kWrite, kReadWrite };
// kCreateNew creates a file that does not exist yet and fails with kErrorFileExists otherwise.
enum class FileDisposition { kOpenExisting, kCreateAlways, kCreateNew };

// What other openers may do while the file is open.
enum FileShare : unsigned { kShareNone = 0, kShareRead = 1, kShareWrite = 2 };

// Origins of Seek, numbered as the streams number them.
enum SeekOrigin : int { kSeekFromStart = 0, kSeekFromCurrent = 1, kSeekFromEnd = 2 };

// What a name stands for on disk. A symbolic link counts as what it points to, except that a
// link to a folder is told apart so that walks through a tree do not follow it.
enum class EntryKind { kMissing, kFile, kFolder, kLinkToFolder, kOther };

// One entry of a folder: its name on disk and its kind.
struct FolderEntry {
  std::string name;
  EntryKind kind = EntryKind::kOther;
};

struct OsResult {
  int64_t value = 0;   // a handle, a byte count or a position
  uint32_t error = 0;  // 0 on success
};

// Which file a name or handle stands for: two names are the same file when both the volume
// (device) and the file's number on it agree.
struct FileIdentity {
  uint32_t error = 0;    // 0 when the file exists and could be looked at
  bool regular = false;  // an ordinary disk file (not a folder, pipe, device or socket)
  uint64_t volume = 0;
  uint64_t index = 0;

  bool SameFileAs(const FileIdentity& other) const {
    return error == 0 && other.error == 0 && volume == other.volume && index == other.index;
  }
};

class Platform {
 public:
  virtual ~Platform() = default;

  // The raw command line, program name first, split by the tool itself.
  virtual std::string CommandLine() = 0;
  // The executable's full path.
  virtual std::string ModulePath() = 0;
  // The decimal separator of the user's locale, '.' when it gives none.
  virtual char LocaleDecimalPoint() = 0;

  // kNoHandle when the process has no such handle.
  virtual OsHandle StdHandle(StdStream stream) = 0;
  virtual FileKind KindOf(OsHandle handle) = 0;

  virtual OsResult Open(const FileName& name, FileAccess access, unsigned share,
                        FileDisposition disposition) = 0;
  // Reads up to count bytes; value 0 at the end of the file.
  virtual OsResult Read(OsHandle handle, void* buffer, int32_t count) = 0;
  // Writes count bytes; value is the number written, which may be less than count.
  virtual OsResult Write(OsHandle handle, const void* buffer, int32_t count) = 0;
  // Moves the file position; value is the new position.
  virtual OsResult Seek(OsHandle handle, int64_t offset, SeekOrigin origin) = 0;
  // Returns 0 or an error number.
  virtual uint32_t Close(OsHandle handle) = 0;

  // The services under the safe replacement of a file and the checks of a conversion run.
  // Each returns 0 or an error number.

  // Writes everything the system holds for the file through to the disk.
  virtual uint32_t Sync(OsHandle handle) = 0;
  // Gives the file from the name to, replacing a file of that name in one step.
  virtual uint32_t Rename(const FileName& from, const FileName& to) = 0;
  // Makes the entries of the folder holding file (a rename, a new file) durable.
  virtual uint32_t SyncFolderOf(const FileName& file) = 0;
  virtual uint32_t Remove(const FileName& name) = 0;
  // The identity of the file a name stands for, symbolic links followed.
  virtual FileIdentity Identify(const FileName& name) = 0;
  virtual FileIdentity IdentifyOpen(OsHandle handle) = 0;
  // The path of the file a name stands for once symbolic links are followed (also when the
  // last one names a file that does not exist yet); the name's own path when it is no link.
  virtual std::string FinalPathOf(const FileName& name) = 0;
  // Gives the file open on to the permission bits of the file from; nothing when from does
  // not exist.
  virtual uint32_t CopyPermissions(const FileName& from, OsHandle to) = 0;
  // Takes an exclusive lock on the open file without waiting; kErrorSharingViolation when
  // another handle holds it. Only other locks see it: reading and writing the file through
  // other handles go on (on Windows, a byte range far beyond any file's end is locked). The
  // lock ends when the handle is closed.
  virtual uint32_t LockExclusive(OsHandle handle) = 0;

  // True when the handle is an interactive terminal.
  virtual bool IsTerminal(OsHandle handle) = 0;
  // The number of processors available to the process, at least 1.
  virtual int ProcessorCount() = 0;
  // The kind of what name stands for, found as Open finds it.
  virtual EntryKind KindOfEntry(const FileName& name) = 0;
  // Fills entries with the entries of the folder, "." and ".." left out, in no given order.
  // Returns 0 or an error number.
  virtual uint32_t ListFolder(const FileName& folder, std::vector<FolderEntry>& entries) = 0;
  // Creates the folder; an existing folder is fine. Returns 0 or an error number.
  virtual uint32_t MakeFolder(const FileName& folder) = 0;
};

// The platform in force: the system's own, or the one a ScopedPlatform put in place.
Platform& System();

// The real operating system's services (one implementation file per system).
Platform& NativePlatform();

// Hands the native platform the arguments the process was started with and prepares the
// process (standard handles, signals). Called once, first thing, by the entry point.
void StartNativePlatform(int argc, char** argv);

// While one of these lives, the native platform may remember between calls how the folders of
// the names it is given are spelt on disk and which entries those folders hold, and keeps what
// it remembers up to date with the changes this process makes through it. What other programs
// change meanwhile may go unseen, so one is kept only around work that has its files to itself:
// a conversion run, a batch. They may nest and overlap, also across threads; everything
// remembered is forgotten once the last one ends.
class ScopedFolderMemory {
 public:
  ScopedFolderMemory();
  ~ScopedFolderMemory();
  ScopedFolderMemory(const ScopedFolderMemory&) = delete;
  ScopedFolderMemory& operator=(const ScopedFolderMemory&) = delete;
};

// 0 while no ScopedFolderMemory lives; otherwise a number that stays the same until the last
// one ends and that no earlier period of memory had.
uint64_t FolderMemoryGeneration();

// Puts a platform in place of the current one for the lifetime of this object.
class ScopedPlatform {
 public:
  explicit ScopedPlatform(Platform& replacement);
  ~ScopedPlatform();
  ScopedPlatform(const ScopedPlatform&) = delete;
  ScopedPlatform& operator=(const ScopedPlatform&) = delete;

 private:
  Platform* previous_;
};

}  // namespace quorvex

#endif  // QUORVEX_RUNTIME_PLATFORM_PLATFORM_H_
