// How the POSIX platform finds the files the tool names in upper case.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstring>
#include <filesystem>
#include <optional>
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

// One step of a session with the platform: a question whose answer is recorded (r: the
// content read, or the error number) or a change made through it (c: create with content,
// m: rename to other, x: remove, f: make a folder) with its error number. Names are relative
// to a scratch folder; typed is the spelling as typed, when it differs from the derived name.
struct SessionStep {
  char action;
  const char* name;
  const char* typed;
  const char* other;  // the content made or the new name
  const char* answer;
};

std::string Perform(const fs::path& root, const SessionStep& step) {
  Platform& system = NativePlatform();
  const std::string base = root.string() + "/";
  FileName name(base + step.name, base + (step.typed ? step.typed : step.name));
  switch (step.action) {
    case 'r':
      return ReadThrough(name.name, name.typed);
    case 'c': {
      OsResult made =
          system.Open(name, FileAccess::kWrite, kShareRead, FileDisposition::kCreateAlways);
      if (made.error != 0) return std::to_string(made.error);
      system.Write(OsHandle(made.value), step.other, int32_t(strlen(step.other)));
      return std::to_string(system.Close(OsHandle(made.value)));
    }
    case 'm':
      return std::to_string(system.Rename(name, FileName(base + step.other)));
    case 'x':
      return std::to_string(system.Remove(name));
    default:
      return std::to_string(system.MakeFolder(name));
  }
}

// While a run or batch keeps folder memory, every answer stays what a fresh look at the disk
// gives, through the changes the process makes itself: files made after a folder was listed,
// names that differ only in case, renamed and removed files, new and renamed folders, a file
// that shadows a folder, a file made through a symbolic link into another folder.
TEST(PosixPlatform, FolderMemoryAnswersAsAFreshLookWould) {
  const SessionStep session[] = {
      {'r', "DATA/FORMS/MAIN.TXT", "Data/forms/main.txt", "", "mixed"},
      {'r', "DATA/NEW.TXT", "data/new.txt", "", "error 2"},
      {'c', "data/new.Txt", nullptr, "new", "0"},
      {'r', "DATA/NEW.TXT", "data/new.txt", "", "new"},
      {'m', "data/new.Txt", nullptr, "data/Renamed.txt", "0"},
      {'r', "DATA/NEW.TXT", "data/new.txt", "", "error 2"},
      {'r', "DATA/RENAMED.TXT", "data/renamed.txt", "", "new"},
      {'x', "DATA/RENAMED.TXT", "data/renamed.txt", "", "0"},
      {'r', "DATA/RENAMED.TXT", "data/renamed.txt", "", "error 2"},
      {'r', "data/two.TXT", nullptr, "", "error 2"},
      {'x', "data/TWO.TXT", nullptr, "", "0"},
      {'r', "data/two.TXT", nullptr, "", "two"},
      {'c', "data/main.txt", nullptr, "second", "0"},
      {'r', "DATA/MAIN.TXT", "data/main.txt", "", "second"},
      {'f', "data/Sub", nullptr, "", "0"},
      {'r', "DATA/SUB/X.TXT", "data/sub/x.txt", "", "error 2"},
      {'c', "data/Sub/x.txt", nullptr, "deep", "0"},
      {'r', "DATA/SUB/X.TXT", "data/sub/x.txt", "", "deep"},
      {'m', "data", nullptr, "Moved", "0"},
      {'r', "DATA/SUB/X.TXT", "data/sub/x.txt", "", "error 3"},
      {'r', "MOVED/SUB/X.TXT", "moved/sub/x.txt", "", "deep"},
      {'r', "LIB/UNIT.TXT", "Lib/unit.txt", "", "unit"},
      {'c', "LIB", nullptr, "a file beside the folders Lib and lib", "0"},
      {'r', "LIB/UNIT.TXT", "Lib/unit.txt", "", "error 2"},
      {'x', "LIB", nullptr, "", "0"},
      {'r', "LIB/UNIT.TXT", "Lib/unit.txt", "", "unit"},
      {'r', "ELSEWHERE/MADE.TXT", "elsewhere/Made.Txt", "", "error 2"},
      {'c', "links/out.txt", nullptr, "through a link", "0"},
      {'r', "ELSEWHERE/MADE.TXT", "elsewhere/Made.Txt", "", "through a link"},
  };
  for (bool remembering : {false, true}) {
    ScratchDir folder;
    fs::create_directories(folder / "Data" / "forms");
    fs::create_directories(folder / "data");
    WriteFileBytes(folder / "Data" / "forms" / "main.txt", "mixed");
    WriteFileBytes(folder / "data" / "MAIN.TXT", "lower");
    WriteFileBytes(folder / "data" / "Two.txt", "two");
    WriteFileBytes(folder / "data" / "TWO.TXT", "TWO");
    fs::create_directories(folder / "Lib");
    fs::create_directories(folder / "lib");
    WriteFileBytes(folder / "Lib" / "unit.txt", "unit");
    fs::create_directories(folder / "links");
    fs::create_directories(folder / "elsewhere");
    fs::create_symlink("../elsewhere/made.txt", folder / "links" / "Out.txt");
    std::optional<ScopedFolderMemory> memory;
    if (remembering) memory.emplace();
    for (const SessionStep& step : session) {
      EXPECT_EQ(Perform(folder.path(), step), step.answer)
          << step.action << " " << step.name << (remembering ? " with memory" : "");
    }
  }
}

TEST(PosixPlatform, FolderMemoryEndsWithItsLastScope) {
  ScratchDir folder;
  const SessionStep read{'r', "FORM.TXT", "form.txt", "", ""};
  {
    ScopedFolderMemory batch;
    std::optional<ScopedFolderMemory> run(std::in_place);
    EXPECT_EQ(Perform(folder.path(), read), "error 2");
    run.reset();
    WriteFileBytes(folder / "Form.Txt", "made elsewhere");
  }
  ScopedFolderMemory next;
  EXPECT_EQ(Perform(folder.path(), read), "made elsewhere");
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
