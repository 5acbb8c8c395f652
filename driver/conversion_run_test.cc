// The conversion run in-process on a platform that fails the N-th write, rename or sync, for
// every N the run has: the text keeps its bytes or holds the whole filtered text, the backup
// is complete whenever the text changed, and no temporary file is left behind.
#include <gtest/gtest.h>

#include <filesystem>
#include <set>
#include <string>

#include "driver/program.h"
#include "tests/fault_platform.h"
#include "tests/test_support.h"

namespace quorvex {
namespace {

namespace fs = std::filesystem;
using testing::FaultPlatform;
using testing::ReadFileBytes;
using testing::ScratchDir;
using testing::WriteFileBytes;

// Enough lines that the backup and the text each take more than one 64 KiB write.
std::string Text() {
  std::string text = "object Form1: TForm1\r\n";
  for (int i = 0; i < 2000; ++i) {
    text += "  object Edit" + std::to_string(i) +
            ": TEdit\r\n    ImeMode = imDisable\r\n    Scaled = True\r\n  end\r\n";
  }
  return text + "end\r\n";
}

struct Outcome {
  int exit_code;
  std::string out;
};

enum class Fault { kNone, kWrite, kRename, kSync };

// Runs the tool on folder/form.txt from fresh files, with the fault at number n.
Outcome RunWith(const ScratchDir& folder, Fault fault, int n, FaultPlatform& platform) {
  WriteFileBytes(folder / "form.txt", Text());
  fs::remove(folder / "FORM.BAK");
  ScratchDir console;
  platform.command_line = "quorvex " + (folder / "form.txt").string();
  platform.stdout_path = (console / "out").string();
  platform.fail_write_at = fault == Fault::kWrite ? n : 0;
  platform.fail_rename_at = fault == Fault::kRename ? n : 0;
  platform.fail_sync_at = fault == Fault::kSync ? n : 0;
  Outcome outcome;
  {
    ScopedPlatform scoped(platform);
    outcome.exit_code = RunProgram();
  }
  outcome.out = ReadFileBytes(console / "out");
  return outcome;
}

TEST(ConversionRunFaults, EveryFailingWriteRenameOrSyncLeavesTheTextWholeOrConverted) {
  ScratchDir folder;
  FaultPlatform counting;
  ASSERT_EQ(RunWith(folder, Fault::kNone, 0, counting).exit_code, 0);
  const std::string filtered = ReadFileBytes(folder / "form.txt");
  const std::string original = Text();
  ASSERT_NE(filtered, original);
  // Two files replaced: each is written, synced, renamed, and its folder synced.
  EXPECT_EQ(counting.renames, 2);
  EXPECT_EQ(counting.syncs, 4);
  EXPECT_GE(counting.writes, 4);
  const std::pair<Fault, int> kinds[] = {{Fault::kWrite, counting.writes},
                                         {Fault::kRename, counting.renames},
                                         {Fault::kSync, counting.syncs}};
  int converted_despite_failure = 0;
  for (const auto& [fault, count] : kinds) {
    for (int n = 1; n <= count; ++n) {
      FaultPlatform platform;
      Outcome outcome = RunWith(folder, fault, n, platform);
      std::string at = "fault " + std::to_string(int(fault)) + " at " + std::to_string(n);
      EXPECT_EQ(outcome.exit_code, 1) << at;
      EXPECT_NE(outcome.out.find("Exception EInOutError in module quorvex"), std::string::npos)
          << at;
      std::string text = ReadFileBytes(folder / "form.txt");
      ASSERT_TRUE(text == original || text == filtered) << at;
      std::set<std::string> left;
      for (const auto& entry : fs::directory_iterator(folder.path())) {
        left.insert(entry.path().filename().string());
      }
      if (left.count("FORM.BAK")) {
        EXPECT_EQ(ReadFileBytes(folder / "FORM.BAK"), original) << at;
      }
      if (text == filtered) {
        ++converted_despite_failure;
        EXPECT_TRUE(left.count("FORM.BAK")) << at;
      }
      left.erase("FORM.BAK");
      EXPECT_EQ(left, std::set<std::string>{"form.txt"}) << at << ": a temporary is left";
    }
  }
  // Only the sync of the folder after the text's rename fails once the text is replaced.
  EXPECT_EQ(converted_despite_failure, 1);
}

}  // namespace
}  // namespace quorvex
