// quorvex-batch run in-process on a platform with faults injected into one form's run.
#include "driver/batch/batch_run.h"

#include <gtest/gtest.h>

#include <string>

#include "runtime/ascii.h"
#include "runtime/platform/os_errors.h"
#include "tests/fault_platform.h"
#include "tests/test_support.h"

namespace quorvex {
namespace {

using testing::ReadFileBytes;
using testing::ScratchDir;
using testing::WriteFileBytes;

const std::string kForm = "object A: TEdit\r\n  ImeMode = imDisable\r\n  Left = 1\r\nend\r\n";
const std::string kFiltered = "object A: TEdit\r\n  Left = 1\r\nend\r\n";

struct Fault {
  const char* what;
  std::string refuse_open_of;
  std::string refuse_writes_to;
  const char* message;
};

TEST(BatchRun, AFaultInOneFormLeavesTheOthersConverted) {
  const Fault faults[] = {
      {"backup cannot be created", "B.BAK", "", "File access denied"},
      {"backup cannot be written", "", "B.BAK", "I/O error 112"},
      {"text cannot be opened", kBackslashSeparatesPaths ? "\\B.TXT" : "/B.TXT", "",
       "File access denied"},
  };
  for (const Fault& fault : faults) {
    SCOPED_TRACE(fault.what);
    ScratchDir folder;
    ScratchDir console;
    testing::FaultPlatform platform;
    platform.command_line = "quorvex-batch --jobs 3";
    for (const char* name : {"a.txt", "b.txt", "c.txt", "d.txt"}) {
      WriteFileBytes(folder / name, kForm);
      platform.command_line += " " + (folder / name).string();
    }
    platform.stdout_path = (console / "out").string();
    platform.refuse_open_of = fault.refuse_open_of;
    platform.refuse_writes_to = fault.refuse_writes_to;
    platform.write_error = kErrorDiskFull;
    int code;
    {
      ScopedPlatform scoped(platform);
      code = RunBatchProgram();
    }
    EXPECT_EQ(code, kBatchSomeFailed);
    std::string out = ReadFileBytes(console / "out");
    EXPECT_NE(out.find("failed             " + (folder / "b.txt").string() + ": " + fault.message),
              std::string::npos)
        << out;
    EXPECT_EQ(ReadFileBytes(folder / "b.txt"), kForm);
    for (const char* name : {"a", "c", "d"}) {
      EXPECT_EQ(ReadFileBytes(folder / (std::string(name) + ".txt")), kFiltered) << name;
      EXPECT_EQ(ReadFileBytes(folder / UpperCasedAscii(std::string(name) + ".BAK")), kForm);
    }
    EXPECT_NE(out.find("3 converted, 0 unchanged, 0 skipped, 1 failed; 3 lines dropped"),
              std::string::npos);
  }
}

}  // namespace
}  // namespace quorvex
