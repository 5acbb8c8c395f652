// The platform layer on Windows. Error numbers are the system's last-error values, which the
// tool's own numbering shares, so they pass through unchanged.
#define WIN32_LEAN_AND_MEAN
#define NOMINMAX
#include <windows.h>

#include <string>

#include "runtime/platform/os_errors.h"
#include "runtime/platform/platform.h"

namespace quorvex {
namespace {

// The length of a full path the system reports, terminating zero included.
constexpr DWORD kModulePathBuffer = 261;

// Kernel handles are 32 bits wide on 64-bit Windows too, so they fit an OsHandle unchanged.
OsHandle FromHandle(HANDLE handle) {
  if (handle == nullptr || handle == INVALID_HANDLE_VALUE) return kNoHandle;
  return OsHandle(HandleToLong(handle));
}

HANDLE ToHandle(OsHandle handle) {
  return LongToHandle(handle);
}

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
  return disposition == FileDisposition::kCreateAlways ? CREATE_ALWAYS : OPEN_EXISTING;
}

DWORD MoveMethodOf(SeekOrigin origin) {
  if (origin == kSeekFromStart) return FILE_BEGIN;
  if (origin == kSeekFromEnd) return FILE_END;
  return FILE_CURRENT;
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
    DWORD which = stream == StdStream::kInput    ? STD_INPUT_HANDLE
                  : stream == StdStream::kOutput ? STD_OUTPUT_HANDLE
                                                 : STD_ERROR_HANDLE;
    return FromHandle(GetStdHandle(which));
  }

  FileKind KindOf(OsHandle handle) override {
    if (handle == kNoHandle) return FileKind::kUnknown;
    switch (GetFileType(ToHandle(handle))) {
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

  OsResult Open(const FileName& name, FileAccess access, unsigned share,
                FileDisposition disposition) override {
    HANDLE handle = CreateFileA(name.name.c_str(), AccessOf(access), SharingOf(share), nullptr,
                                CreationOf(disposition), FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) return {-1, GetLastError()};
    return {FromHandle(handle), 0};
  }

  // A pipe whose writer has gone reads as the end of the file.
  OsResult Read(OsHandle handle, void* buffer, int32_t count) override {
    if (handle == kNoHandle) return {0, kErrorInvalidHandle};
    DWORD got = 0;
    if (ReadFile(ToHandle(handle), buffer, DWORD(count), &got, nullptr)) return {got, 0};
    DWORD error = GetLastError();
    if (error == ERROR_BROKEN_PIPE) return {0, 0};
    return {0, error};
  }

  // Bytes go out as they are: no console translation of line ends or of Ctrl-Z.
  OsResult Write(OsHandle handle, const void* buffer, int32_t count) override {
    if (handle == kNoHandle) return {0, kErrorInvalidHandle};
    const char* bytes = static_cast<const char*>(buffer);
    int64_t written = 0;
    while (written < count) {
      DWORD put = 0;
      if (!WriteFile(ToHandle(handle), bytes + written, DWORD(count - written), &put, nullptr)) {
        return {written, GetLastError()};
      }
      if (put == 0) break;
      written += put;
    }
    return {written, 0};
  }

  OsResult Seek(OsHandle handle, int64_t offset, SeekOrigin origin) override {
    if (handle == kNoHandle) return {-1, kErrorInvalidHandle};
    LARGE_INTEGER distance;
    distance.QuadPart = offset;
    LARGE_INTEGER position;
    if (!SetFilePointerEx(ToHandle(handle), distance, &position, MoveMethodOf(origin))) {
      return {-1, GetLastError()};
    }
    return {int64_t(position.QuadPart), 0};
  }

  uint32_t Close(OsHandle handle) override {
    if (handle == kNoHandle) return kErrorInvalidHandle;
    return CloseHandle(ToHandle(handle)) ? 0 : GetLastError();
  }
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
