#include "runtime/replacement_file.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "tests/fault_platform.h"
#include "tests/test_support.h"

namespace quorvex {
namespace {

namespace fs = std::filesystem;
using testing::FaultPlatform;
using testing::ReadFileBytes;
using testing::ScratchDir;
using testing::WriteFileBytes;

void Put(const ReplacementFile& replacement, const std::string& bytes) {
  OsResult written = System().Write(replacement.Handle(), bytes.data(), int32_t(bytes.size()));
  ASSERT_EQ(written.error, 0u);
}

std::vector<std::string> Names(const fs::path& folder) {
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(folder)) {
    names.push_back(entry.path().filename().string());
  }
  std::sort(names.begin(), names.end());
  return names;
}

TEST(ReplacementFile, TakesThePlaceOfTheFileOnlyWhenCommitted) {
  ScratchDir folder;
  WriteFileBytes(folder / "FORM.TXT", "old");
  {
    ReplacementFile replacement(FileName((folder / "FORM.TXT").string()));
    ASSERT_EQ(replacement.Error(), 0u);
    Put(replacement, "new bytes");
    std::vector<std::string> names = Names(folder.path());
    ASSERT_EQ(names.size(), 2u);
    EXPECT_EQ(names[0], "FORM.TXT");
    EXPECT_EQ(names[1].substr(0, 17), "FORM.TXT.quorvex-") << names[1];
    EXPECT_EQ(names[1].size(), 17u + 8u + 4u) << names[1];
    EXPECT_EQ(ReadFileBytes(folder / "FORM.TXT"), "old");
  }
  EXPECT_EQ(Names(folder.path()), std::vector<std::string>{"FORM.TXT"}) << "temporary removed";
  EXPECT_EQ(ReadFileBytes(folder / "FORM.TXT"), "old");
  {
    ReplacementFile replacement(FileName((folder / "FORM.TXT").string()));
    ReplacementFile other(FileName((folder / "FORM.TXT").string()));
    EXPECT_EQ(Names(folder.path()).size(), 3u) << "two writers never share a temporary";
    Put(replacement, "new bytes");
    EXPECT_EQ(replacement.Commit(), 0u);
  }
  EXPECT_EQ(Names(folder.path()), std::vector<std::string>{"FORM.TXT"});
  EXPECT_EQ(ReadFileBytes(folder / "FORM.TXT"), "new bytes");
}

TEST(ReplacementFile, KeepsPermissionBitsAndSymbolicLinks) {
  ScratchDir folder;
  fs::create_directory(folder / "real");
  WriteFileBytes(folder / "real" / "form.txt", "old");
  fs::permissions(folder / "real" / "form.txt", fs::perms(0604));
  fs::create_symlink("real/form.txt", folder / "FORM.TXT");
  fs::create_symlink("real/new.txt", folder / "NEW.TXT");
  for (const char* name : {"FORM.TXT", "NEW.TXT"}) {
    ReplacementFile replacement(FileName((folder / name).string()));
    Put(replacement, name);
    EXPECT_EQ(replacement.Commit(), 0u);
    EXPECT_TRUE(fs::is_symlink(folder / name));
    EXPECT_EQ(ReadFileBytes(folder / name), name);
  }
  EXPECT_EQ(fs::status(folder / "real" / "form.txt").permissions(), fs::perms(0604));
  EXPECT_EQ(Names(folder / "real"), (std::vector<std::string>{"form.txt", "new.txt"}));
}

TEST(ReplacementFile, RefusesWhatCouldNotBeWrittenInPlace) {
  ScratchDir folder;
  fs::create_directory(folder / "FOLDER.TXT");
  EXPECT_EQ(ReplacementFile(FileName((folder / "FOLDER.TXT").string())).Error(),
            kErrorAccessDenied);
  EXPECT_EQ(ReplacementFile(FileName((folder / "NONE" / "F.TXT").string())).Error(),
            kErrorPathNotFound);
  WriteFileBytes(folder / "READONLY.TXT", "kept");
  fs::permissions(folder / "READONLY.TXT", fs::perms(0444));
  // A process that may write every file (the superuser) cannot show the refusal.
  if (!std::ofstream(folder / "READONLY.TXT", std::ios::app).is_open()) {
    EXPECT_EQ(ReplacementFile(FileName((folder / "READONLY.TXT").string())).Error(),
              kErrorAccessDenied);
  }
  EXPECT_EQ(Names(folder.path()), (std::vector<std::string>{"FOLDER.TXT", "READONLY.TXT"}));
}

TEST(ReplacementFile, SyncsBeforeItRenamesAndLeavesTheFileWhenEitherFails) {
  ScratchDir folder;
  WriteFileBytes(folder / "FORM.TXT", "old");
  for (bool fail_sync : {true, false}) {
    FaultPlatform platform;
    platform.fail_sync_at = fail_sync ? 1 : 0;
    platform.fail_rename_at = fail_sync ? 0 : 1;
    ScopedPlatform scoped(platform);
    {
      ReplacementFile replacement(FileName((folder / "FORM.TXT").string()));
      Put(replacement, "new");
      EXPECT_NE(replacement.Commit(), 0u);
    }
    EXPECT_EQ(platform.renames, fail_sync ? 0 : 1);
    EXPECT_EQ(ReadFileBytes(folder / "FORM.TXT"), "old");
    EXPECT_EQ(Names(folder.path()), std::vector<std::string>{"FORM.TXT"});
  }
}

}  // namespace
}  // namespace quorvex
