// The whole tool run in-process on a platform with injected faults.
#include "driver/program.h"

#include <gtest/gtest.h>

#include <string>

#include "runtime/extended/decimal_point.h"
#include "runtime/process.h"
#include "tests/fault_platform.h"
#include "tests/test_support.h"

namespace quorvex {
namespace {

using testing::kBanner;
using testing::ReadFileBytes;
using testing::ScratchDir;
using testing::WriteFileBytes;

const std::string kForm = "object A: TEdit\r\n  ImeMode = imDisable\r\n  Left = 1\r\nend\r\n";

class ProgramTest : public ::testing::Test {
 protected:
  ProgramTest() { WriteFileBytes(folder_ / "form.txt", kForm); }

  // Runs the tool on folder/form.txt; returns the exit code and keeps the console bytes.
  int RunOnForm() {
    platform_.command_line = "quorvex " + (folder_ / "form.txt").string();
    return Run();
  }

  int Run() {
    platform_.stdout_path = (console_ / "out").string();
    int code;
    {
      ScopedPlatform scoped(platform_);
      code = RunProgram();
    }
    out_ = ReadFileBytes(console_ / "out");
    return code;
  }

  std::string Report(const std::string& position, const std::string& message) {
    return kBanner + "Exception EInOutError in module quorvex at " + position + ".\n" + message +
           "\r\n";
  }

  ScratchDir folder_;
  ScratchDir console_;
  testing::FaultPlatform platform_;
  std::string out_;
};

TEST_F(ProgramTest, FullDiskWhileWritingTheBackup) {
  platform_.write_budget = 20;
  EXPECT_EQ(RunOnForm(), 1);
  EXPECT_EQ(out_, Report("0040FF88", "I/O error 112."));
  EXPECT_EQ(ReadFileBytes(folder_ / "form.txt"), kForm);
}

TEST_F(ProgramTest, ShortWriteWhileFilteringIsAFullDisk) {
  platform_.write_budget = int64_t(kForm.size()) + 20;
  platform_.write_error = 0;
  EXPECT_EQ(RunOnForm(), 1);
  std::string skipped = "Skipped: TEdit.ImeMode = imDisable\r\n";
  EXPECT_EQ(out_, kBanner + skipped + Report("0040FF8E", "Disk full.").substr(kBanner.size()));
  EXPECT_EQ(ReadFileBytes(folder_ / "FORM.BAK"), kForm);
}

TEST_F(ProgramTest, BackupThatCannotBeCreated) {
  platform_.refuse_open_of = "FORM.BAK";
  EXPECT_EQ(RunOnForm(), 1);
  EXPECT_EQ(out_, Report("0040FF8C", "File access denied."));
  EXPECT_EQ(ReadFileBytes(folder_ / "form.txt"), kForm);
}

TEST_F(ProgramTest, SuccessfulRunAndTheLocaleDecimalPoint) {
  platform_.decimal_point = ',';
  EXPECT_EQ(RunOnForm(), 0);
  EXPECT_EQ(out_, kBanner + "Skipped: TEdit.ImeMode = imDisable\r\n");
  EXPECT_EQ(DecimalPoint, ',');
  DecimalPoint = '.';
}

TEST_F(ProgramTest, ModuleNameIsThePartAfterTheLastSeparatorCutTo63) {
  platform_.command_line = "quorvex missing.txt";
  platform_.module_path = "C:\\tools\\" + std::string(70, 'q');
  EXPECT_EQ(Run(), 1);
  EXPECT_EQ(out_, kBanner + "Exception EInOutError in module " + std::string(63, 'q') +
                      " at 0040FF89.\nFile not found.\r\n");
}

TEST_F(ProgramTest, ReportsAddAFullStopOnlyWhereNeeded) {
  platform_.stdout_path = (console_ / "out").string();
  ScopedPlatform scoped(platform_);
  StartRuntime();
  ExceptionReport(EParserError("Ends with a stop.", 0x00401234));
  ExceptionReport(EReadError("", 0x00401234));
  RunErrorReport(RunError{210, 0x004000D2});
  EXPECT_EQ(Terminate(0), 0);
  EXPECT_EQ(ReadFileBytes(console_ / "out"),
            "Exception EParserError in module quorvex at 00401234.\nEnds with a stop.\r\n"
            "Exception EReadError in module quorvex at 00401234.\n\r\n"
            "Runtime error 210 at 004000D2\r\n");
}

}  // namespace
}  // namespace quorvex
