// How the POSIX platform finds the files the tool names in upper case.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <string>

#include "runtime/platform/os_errors.h"
#include "runtime/platform/platform.h"
#include "tests/test_support.h"

namespace quorvex {
namespace {

namespace fs = std::filesystem;
using testing::ReadFileBytes;
using testing::ScratchDir;
using testing::WriteFileBytes;

// Opens name (derived spelling, typed spelling) for reading and returns its content, or the
// error number as text.
std::string ReadThrough(const std::string& derived, const std::string& typed) {
  Platform& system = NativePlatform();
  OsResult opened = system.Open(FileName(derived, typed), FileAccess::kRead, kShareWrite,
                                FileDisposition::kOpenExisting);
  if (opened.error != 0) return "error " + std::to_string(opened.error);
  char buffer[64];
  OsResult got = system.Read(OsHandle(opened.value), buffer, sizeof buffer);
  system.Close(OsHandle(opened.value));
  return std::string(buffer, size_t(got.value));
}

TEST(PosixPlatform, FindsEachComponentWhateverItsCase) {
  ScratchDir folder;
  fs::create_directories(folder / "Data" / "forms");
  fs::create_directories(folder / "data");
  WriteFileBytes(folder / "Data" / "forms" / "main.txt", "mixed");
  WriteFileBytes(folder / "data" / "MAIN.TXT", "lower");
  const std::string root = folder.path().string() + "/";
  EXPECT_EQ(ReadThrough(root + "DATA/FORMS/MAIN.TXT", root + "Data/forms/main.txt"), "mixed")
      << "the typed spelling decides between two folders that differ in case only";
  EXPECT_EQ(ReadThrough(root + "DATA/MAIN.TXT", root + "data/main.txt"), "lower");
  EXPECT_EQ(ReadThrough(root + "DATA/FORMS/MAIN.TXT", root + "DATA/FORMS/MAIN.TXT"), "error 3")
      << "two folders match DATA ignoring case, none exactly";
  EXPECT_EQ(ReadThrough(root + "DATA/MISSING.TXT", root + "data/missing.txt"), "error 2");
  EXPECT_EQ(ReadThrough(root + "NONE/MAIN.TXT", root + "none/main.txt"), "error 3");
  EXPECT_EQ(ReadThrough(root + "DATA", root + "data"), "error 5") << "a folder is no file";
}

TEST(PosixPlatform, CreatesNewFilesUnderTheDerivedName) {
  ScratchDir folder;
  fs::create_directories(folder / "forms");
  const std::string root = folder.path().string() + "/";
  OsResult created =
      NativePlatform().Open(FileName(root + "FORMS/MAIN.BAK", root + "forms/main.bak"),
                            FileAccess::kWrite, kShareRead, FileDisposition::kCreateAlways);
  ASSERT_EQ(created.error, 0u);
  NativePlatform().Close(OsHandle(created.value));
  EXPECT_TRUE(fs::exists(folder / "forms" / "MAIN.BAK"));

  WriteFileBytes(folder / "forms" / "old.bak", "old");
  created = NativePlatform().Open(FileName(root + "FORMS/OLD.BAK", root + "forms/OLD.bak"),
                                  FileAccess::kWrite, kShareRead, FileDisposition::kCreateAlways);
  ASSERT_EQ(created.error, 0u);
  NativePlatform().Close(OsHandle(created.value));
  EXPECT_EQ(ReadFileBytes(folder / "forms" / "old.bak"), "") << "an existing file is truncated";
  EXPECT_FALSE(fs::exists(folder / "forms" / "OLD.BAK"));
}

OsHandle OpenForReading(const fs::path& path) {
  OsResult opened = NativePlatform().Open(FileName(path.string()), FileAccess::kRead, kShareWrite,
                                          FileDisposition::kOpenExisting);
  EXPECT_EQ(opened.error, 0u) << path;
  return OsHandle(opened.value);
}

TEST(PosixPlatform, IdentifiesFilesWhateverTheirNames) {
  ScratchDir folder;
  WriteFileBytes(folder / "a", "a");
  WriteFileBytes(folder / "b", "a");
  fs::create_hard_link(folder / "a", folder / "hard");
  fs::create_symlink("a", folder / "soft");
  mkfifo((folder / "fifo").c_str(), 0644);
  Platform& system = NativePlatform();
  auto identity = [&](const char* name) {
    return system.Identify(FileName((folder / name).string()));
  };
  EXPECT_TRUE(identity("a").regular);
  EXPECT_TRUE(identity("a").SameFileAs(identity("hard")));
  EXPECT_TRUE(identity("a").SameFileAs(identity("soft")));
  EXPECT_FALSE(identity("a").SameFileAs(identity("b")));
  EXPECT_EQ(identity("missing").error, kErrorFileNotFound);
  EXPECT_FALSE(identity("missing").SameFileAs(identity("missing")));
  EXPECT_FALSE(identity("fifo").regular);
  OsHandle fifo = OpenForReading(folder / "fifo");  // returns at once, with no writer
  EXPECT_FALSE(system.IdentifyOpen(fifo).regular);
  system.Close(fifo);
}

TEST(PosixPlatform, ExclusiveLocksAndNewFiles) {
  ScratchDir folder;
  WriteFileBytes(folder / "form", "x");
  Platform& system = NativePlatform();
  OsHandle first = OpenForReading(folder / "form");
  OsHandle second = OpenForReading(folder / "form");
  EXPECT_EQ(system.LockExclusive(first), 0u);
  EXPECT_EQ(system.LockExclusive(second), kErrorSharingViolation);
  system.Close(first);
  EXPECT_EQ(system.LockExclusive(second), 0u) << "closing ends the lock";
  system.Close(second);
  OsResult again = system.Open(FileName((folder / "form").string()), FileAccess::kReadWrite,
                               kShareRead, FileDisposition::kCreateNew);
  EXPECT_EQ(again.error, kErrorFileExists);
}

TEST(PosixPlatform, FinalPathFollowsLinksEvenToMissingFiles) {
  ScratchDir folder;
  fs::create_directory(folder / "sub");
  fs::create_symlink("sub/target", folder / "link");
  fs::create_symlink("../link", folder / "sub" / "chain");
  const std::string root = folder.path().string() + "/";
  EXPECT_EQ(NativePlatform().FinalPathOf(FileName(root + "sub/chain")), root + "sub/../sub/target");
  EXPECT_EQ(NativePlatform().FinalPathOf(FileName(root + "plain")), root + "plain");
}

}  // namespace
}  // namespace quorvex
