// The Windows platform: the sharing each kind of open allows, the services under the safe
// replacement and the run lock, folders, and the system's error numbers passed through.
#include <gtest/gtest.h>
#include <windows.h>

#include <filesystem>
#include <map>
#include <string>

#include "runtime/platform/os_errors.h"
#include "runtime/platform/platform.h"
#include "tests/test_support.h"

namespace quorvex {
namespace {

using testing::ReadFileBytes;
using testing::ScratchDir;
using testing::WriteFileBytes;

// An open file, closed with this object.
struct OpenFile {
  OpenFile(const std::string& path, FileAccess access, unsigned share, FileDisposition disposition)
      : result(NativePlatform().Open(FileName(path), access, share, disposition)) {}
  ~OpenFile() {
    if (result.error == 0) NativePlatform().Close(OsHandle(result.value));
  }
  OsHandle handle() const { return OsHandle(result.value); }
  OsResult result;
};

TEST(Win32Platform, OpensAllowOnlyTheSharingTheyAskFor) {
  ScratchDir folder;
  const std::string form = (folder / "form.dfm").string();
  WriteFileBytes(form, "bytes");
  const auto kRead = FileAccess::kRead;
  const auto kExisting = FileDisposition::kOpenExisting;
  {
    OpenFile input(form, kRead, kShareNone, kExisting);
    ASSERT_EQ(input.result.error, 0u);
    EXPECT_EQ(OpenFile(form, kRead, kShareNone, kExisting).result.error, kErrorSharingViolation)
        << "a second run on the same form";
    EXPECT_EQ(OpenFile(form, kRead, kShareRead | kShareWrite, kExisting).result.error,
              kErrorSharingViolation);
  }
  {
    OpenFile text(form, kRead, kShareWrite, kExisting);
    EXPECT_EQ(OpenFile(form, FileAccess::kWrite, kShareRead | kShareWrite, kExisting).result.error,
              0u)
        << "a text file read by the tool may be written by others";
    EXPECT_EQ(OpenFile(form, kRead, kShareRead | kShareWrite, kExisting).result.error,
              kErrorSharingViolation);
  }
  {
    OpenFile output(form, FileAccess::kWrite, kShareRead, FileDisposition::kCreateAlways);
    ASSERT_EQ(output.result.error, 0u);
    EXPECT_EQ(OpenFile(form, kRead, kShareRead | kShareWrite, kExisting).result.error, 0u);
    EXPECT_EQ(OpenFile(form, FileAccess::kWrite, kShareRead | kShareWrite, kExisting).result.error,
              kErrorSharingViolation);
  }
  EXPECT_EQ(ReadFileBytes(form), "") << "creating truncates";
}

TEST(Win32Platform, PassesTheSystemErrorNumbersThrough) {
  ScratchDir folder;
  const auto open = [](const std::string& path) {
    return OpenFile(path, FileAccess::kRead, kShareNone, FileDisposition::kOpenExisting)
        .result.error;
  };
  EXPECT_EQ(open((folder / "missing.txt").string()), kErrorFileNotFound);
  EXPECT_EQ(open((folder / "none" / "missing.txt").string()), kErrorPathNotFound);
  EXPECT_EQ(open(folder.path().string()), kErrorAccessDenied) << "a folder is no file";
}

TEST(Win32Platform, ReadsWritesSeeksAndTellsTheKind) {
  ScratchDir folder;
  const std::string path = (folder / "data.bin").string();
  OpenFile file(path, FileAccess::kReadWrite, kShareNone, FileDisposition::kCreateAlways);
  ASSERT_EQ(file.result.error, 0u);
  Platform& system = NativePlatform();
  EXPECT_EQ(system.KindOf(file.handle()), FileKind::kDisk);
  EXPECT_EQ(system.Write(file.handle(), "a\x1A\r\nb", 5).value, 5);
  EXPECT_EQ(system.Seek(file.handle(), -4, kSeekFromEnd).value, 1);
  char buffer[8];
  OsResult got = system.Read(file.handle(), buffer, sizeof buffer);
  EXPECT_EQ(std::string(buffer, size_t(got.value)), "\x1A\r\nb") << "bytes are never translated";
  EXPECT_EQ(system.Read(file.handle(), buffer, sizeof buffer).value, 0);
  EXPECT_EQ(system.KindOf(kNoHandle), FileKind::kUnknown);
}

TEST(Win32Platform, LocksARunsInputAndReplacesFilesInOneStep) {
  ScratchDir folder;
  Platform& system = NativePlatform();
  const std::string form = (folder / "form.txt").string();
  WriteFileBytes(form, "original");
  {
    OpenFile guard(form, FileAccess::kRead, kShareRead | kShareWrite,
                   FileDisposition::kOpenExisting);
    ASSERT_EQ(system.LockExclusive(guard.handle()), 0u);
    OpenFile second(form, FileAccess::kRead, kShareRead | kShareWrite,
                    FileDisposition::kOpenExisting);
    EXPECT_EQ(system.LockExclusive(second.handle()), kErrorSharingViolation) << "a second run";
    OpenFile own_read(form, FileAccess::kRead, kShareNone, FileDisposition::kOpenExisting);
    ASSERT_EQ(own_read.result.error, 0u) << "the run's own read of its locked input";
    char buffer[16];
    EXPECT_EQ(system.Read(own_read.handle(), buffer, sizeof buffer).value, 8);
    EXPECT_EQ(
        OpenFile(form, FileAccess::kWrite, kShareNone, FileDisposition::kOpenExisting).result.error,
        kErrorSharingViolation)
        << "writers still meet the sharing the reads ask for";
  }
  const FileName temporary((folder / "form.txt.quorvex-1.tmp").string());
  {
    OpenFile created(temporary.name, FileAccess::kReadWrite, kShareRead,
                     FileDisposition::kCreateNew);
    ASSERT_EQ(created.result.error, 0u);
    EXPECT_EQ(
        OpenFile(temporary.name, FileAccess::kReadWrite, kShareRead, FileDisposition::kCreateNew)
            .result.error,
        kErrorFileExists);
    EXPECT_EQ(system.Write(created.handle(), "filtered", 8).value, 8);
    EXPECT_EQ(system.Sync(created.handle()), 0u);
  }
  const FileIdentity before = system.Identify(temporary);
  EXPECT_TRUE(before.regular);
  EXPECT_FALSE(before.SameFileAs(system.Identify(FileName(form))));
  EXPECT_EQ(system.Rename(temporary, FileName(form)), 0u);
  EXPECT_EQ(system.SyncFolderOf(FileName(form)), 0u);
  EXPECT_EQ(ReadFileBytes(form), "filtered");
  EXPECT_TRUE(before.SameFileAs(system.Identify(FileName(form)))) << "renaming keeps the file";
  EXPECT_EQ(system.FinalPathOf(FileName(form)), form) << "a name that is no link stays";
  EXPECT_EQ(system.Identify(temporary).error, kErrorFileNotFound);
  {
    OpenFile guard(form, FileAccess::kRead, kShareRead | kShareWrite,
                   FileDisposition::kOpenExisting);
    ASSERT_EQ(system.LockExclusive(guard.handle()), 0u);
    OpenFile created(temporary.name, FileAccess::kReadWrite, kShareRead,
                     FileDisposition::kCreateNew);
    ASSERT_EQ(system.LockExclusive(created.handle()), 0u);
    EXPECT_EQ(system.Write(created.handle(), "replaced", 8).value, 8);
    EXPECT_EQ(system.Rename(temporary, FileName(form)), 0u)
        << "the run lets go of its own locked input to replace it, its writer still open";
    OpenFile second(form, FileAccess::kRead, kShareRead | kShareWrite,
                    FileDisposition::kOpenExisting);
    EXPECT_EQ(system.LockExclusive(second.handle()), kErrorSharingViolation)
        << "the replacement's lock keeps a second run out";
  }
  EXPECT_EQ(ReadFileBytes(form), "replaced");
  EXPECT_EQ(system.Remove(FileName(form)), 0u);
  EXPECT_EQ(system.Remove(FileName(form)), kErrorFileNotFound);
}

TEST(Win32Platform, TheNumberOfALetGoLockStaysItsOwnersUntilClosed) {
  ScratchDir folder;
  Platform& system = NativePlatform();
  const std::string form = (folder / "form.txt").string();
  const std::string other = (folder / "other.txt").string();
  const FileName temporary((folder / "form.txt.quorvex-1.tmp").string());
  WriteFileBytes(form, "original");
  WriteFileBytes(other, "other");
  OpenFile guard(form, FileAccess::kRead, kShareRead | kShareWrite, FileDisposition::kOpenExisting);
  ASSERT_EQ(system.LockExclusive(guard.handle()), 0u);
  {
    OpenFile created(temporary.name, FileAccess::kReadWrite, kShareRead,
                     FileDisposition::kCreateNew);
    ASSERT_EQ(system.Rename(temporary, FileName(form)), 0u);
  }
  char buffer[16];
  EXPECT_EQ(system.Read(guard.handle(), buffer, sizeof buffer).error, kErrorInvalidHandle)
      << "the file under the number was let go of";
  OpenFile opened(other, FileAccess::kRead, kShareNone, FileDisposition::kOpenExisting);
  ASSERT_EQ(opened.result.error, 0u);
  EXPECT_NE(opened.handle(), guard.handle());
  EXPECT_EQ(system.Close(guard.handle()), 0u) << "the owner gives its number up";
  guard.result.error = kErrorInvalidHandle;  // closed already
  EXPECT_EQ(system.Close(guard.handle()), kErrorInvalidHandle);
  EXPECT_EQ(system.Read(opened.handle(), buffer, sizeof buffer).value, 5)
      << "the owner's close left the file opened since alone";
  EXPECT_EQ(system.Close(kNoHandle), kErrorInvalidHandle);
}

TEST(Win32Platform, RemovesAFileWithTheReadOnlyAttribute) {
  ScratchDir folder;
  const std::string path = (folder / "replacement.tmp").string();
  WriteFileBytes(path, "x");
  SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_READONLY);
  EXPECT_EQ(NativePlatform().Remove(FileName(path)), 0u);
  EXPECT_EQ(GetFileAttributesA(path.c_str()), INVALID_FILE_ATTRIBUTES);
}

TEST(Win32Platform, KeepsTheReadOnlyAttributeOfAReplacedFile) {
  ScratchDir folder;
  Platform& system = NativePlatform();
  const std::string original = (folder / "original.txt").string();
  const std::string copy = (folder / "copy.txt").string();
  WriteFileBytes(original, "x");
  SetFileAttributesA(original.c_str(), FILE_ATTRIBUTE_READONLY);
  {
    OpenFile created(copy, FileAccess::kReadWrite, kShareRead, FileDisposition::kCreateNew);
    EXPECT_EQ(system.CopyPermissions(FileName(original), created.handle()), 0u);
    EXPECT_EQ(system.CopyPermissions(FileName(copy + ".missing"), created.handle()), 0u);
  }
  EXPECT_NE(GetFileAttributesA(copy.c_str()) & FILE_ATTRIBUTE_READONLY, 0u);
  for (const std::string& path : {original, copy}) SetFileAttributesA(path.c_str(), 0);
}

TEST(Win32Platform, ListsFoldersAndTellsKinds) {
  ScratchDir folder;
  Platform& system = NativePlatform();
  WriteFileBytes(folder / "form.dfm", "x");
  EXPECT_EQ(system.MakeFolder(FileName((folder / "sub").string())), 0u);
  EXPECT_EQ(system.MakeFolder(FileName((folder / "sub").string())), 0u) << "an existing folder";
  EXPECT_EQ(system.MakeFolder(FileName((folder / "form.dfm").string())), 183u);
  std::vector<FolderEntry> entries;
  EXPECT_EQ(system.ListFolder(FileName(folder.path().string()), entries), 0u);
  std::map<std::string, EntryKind> kinds;
  for (const FolderEntry& entry : entries) kinds[entry.name] = entry.kind;
  EXPECT_EQ(kinds, (std::map<std::string, EntryKind>{{"form.dfm", EntryKind::kFile},
                                                     {"sub", EntryKind::kFolder}}));
  entries.clear();
  EXPECT_EQ(system.ListFolder(FileName((folder / "sub").string()), entries), 0u);
  EXPECT_TRUE(entries.empty());
  EXPECT_NE(system.ListFolder(FileName((folder / "none").string()), entries), 0u);
  EXPECT_EQ(system.KindOfEntry(FileName((folder / "sub").string())), EntryKind::kFolder);
  EXPECT_EQ(system.KindOfEntry(FileName((folder / "form.dfm").string())), EntryKind::kFile);
  EXPECT_EQ(system.KindOfEntry(FileName((folder / "none").string())), EntryKind::kMissing);
  EXPECT_GE(system.ProcessorCount(), 1);
  EXPECT_FALSE(system.IsTerminal(kNoHandle));
}

TEST(Win32Platform, NamesTheProgramAndItsCommandLine) {
  Platform& system = NativePlatform();
  const std::string module = system.ModulePath();
  EXPECT_NE(module.find("platform_tests"), std::string::npos) << module;
  EXPECT_NE(system.CommandLine().find("platform_tests"), std::string::npos);
  EXPECT_NE(system.LocaleDecimalPoint(), '\0');
}

}  // namespace
}  // namespace quorvex
