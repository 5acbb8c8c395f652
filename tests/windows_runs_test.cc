// Runs of the built tools that only Windows gives: a run that holds its form while a second
// one starts, and wildcards that the program expands itself.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <system_error>
#include <thread>

#include "tests/test_support.h"
#include "tests/tool_runner.h"
#include "tests/tool_runner_win32.h"

namespace quorvex::testing {
namespace {

namespace fs = std::filesystem;

constexpr unsigned kMsgInUse = 61555;

// The two-line report of a failure raised with the message numbered id.
std::string Report(const std::string& class_name, unsigned id, const std::string& message) {
  char position[9];
  snprintf(position, sizeof position, "%08X", 0x00400000u | id);
  return "Exception " + class_name + " in module " + ToolModuleName() + " at " + position + ".\n" +
         message + "\r\n";
}

// A text form of count edits, each with a line the filter drops, so that the run reports
// far more than a pipe holds.
std::string TextForm(int count) {
  std::string text = "object Form1: TForm1\r\n";
  for (int i = 0; i < count; ++i) {
    std::string n = std::to_string(i);
    text += "  object Edit" + n + ": TEdit\r\n    Left = " + n +
            "\r\n    ImeMode = imDisable\r\n    Scaled = True\r\n  end\r\n";
  }
  return text + "end\r\n";
}

TEST(WindowsRuns, ASecondRunOnAFormTheFirstHoldsMeetsTheSharingViolation) {
  const int kCount = 20000;
  const std::string text = TextForm(kCount);
  ScratchDir alone;
  WriteFileBytes(alone / "form.txt", text);
  ToolRun undisturbed = RunTool({"form.txt"}, alone.path());
  ASSERT_EQ(undisturbed.exit_code, 0);

  ScratchDir folder;
  WriteFileBytes(folder / "form.txt", text);
  HeldRun first({"form.txt"}, folder.path());
  // The backup takes its name only when complete, before any report shows; the form is held
  // from before then until the run ends, and the first run's report fills the pipe long
  // before that.
  std::error_code missing;
  for (int wait = 0; wait < 600 && !fs::exists(folder / "FORM.BAK", missing); ++wait) {
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
  }
  ASSERT_TRUE(first.Running()) << "the first run did not wait on its full pipe";
  ToolRun second = RunTool({"form.txt"}, folder.path());
  EXPECT_EQ(second.exit_code, 1);
  EXPECT_EQ(second.out, kBanner + Report("EInOutError", kMsgInUse,
                                         "Cannot open file FORM.TXT: another run is converting "
                                         "it (sharing violation, I/O error 32)."));
  ToolRun held = first.Finish();
  EXPECT_EQ(held.exit_code, 0) << held.err;
  EXPECT_EQ(held.out, undisturbed.out);
  EXPECT_EQ(ReadFileBytes(folder / "form.txt"), ReadFileBytes(alone / "form.txt"));
  EXPECT_EQ(ReadFileBytes(folder / "FORM.BAK"), text);
}

TEST(WindowsRuns, TheBatchCommandExpandsWildcardsItself) {
  const std::string form = "object Form1: TForm1\r\n  Scaled = True\r\nend\r\n";
  ScratchDir patterns;
  ScratchDir names;
  for (const ScratchDir* folder : {&patterns, &names}) {
    fs::create_directory(folder->path() / "sub");
    for (const char* name : {"b.dfm", "A.DFM", "c.txt"}) {
      WriteFileBytes(folder->path() / "sub" / name, form);
    }
  }
  ToolRun expanded = RunBatchTool({"--jobs", "1", "sub\\*.dfm", "sub\\?.txt"}, patterns.path());
  ToolRun listed =
      RunBatchTool({"--jobs", "1", "sub\\A.DFM", "sub\\b.dfm", "sub\\c.txt"}, names.path());
  EXPECT_EQ(expanded.exit_code, listed.exit_code);
  EXPECT_EQ(expanded.out, listed.out);
  EXPECT_NE(expanded.out.find("sub\\A.DFM"), std::string::npos) << expanded.out;
  for (const char* name : {"A.DFM", "b.dfm", "c.txt"}) {
    EXPECT_EQ(ReadFileBytes(patterns / "sub" / name), ReadFileBytes(names / "sub" / name)) << name;
  }
  ToolRun unmatched = RunBatchTool({"sub\\*.pas"}, patterns.path());
  EXPECT_EQ(unmatched.exit_code, 1);
  EXPECT_NE(unmatched.out.find("sub\\*.pas"), std::string::npos) << unmatched.out;
}

}  // namespace
}  // namespace quorvex::testing
