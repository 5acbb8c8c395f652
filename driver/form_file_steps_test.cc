#include "driver/form_file_steps.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "runtime/exceptions.h"
#include "tests/fault_platform.h"
#include "tests/form_bytes.h"
#include "tests/test_support.h"

namespace quorvex {
namespace {

namespace fs = std::filesystem;
using namespace quorvex::testing;

std::string FormFile() {
  std::string form = Form(Object("", "TMain", "Main", {Property("Caption", StringValue("Hi"))}));
  return ResourceHeader("TMAIN", int64_t(form.size())) + form;
}

const char kFormText[] = "object Main: TMain\r\n  Caption = 'Hi'\r\nend\r\n";

// The class and message of the failure of the step, or "<none>".
std::string FailureOf(const fs::path& form, const fs::path& text) {
  try {
    FormFileToTextFile(FileName(form.string()), FileName(text.string()));
  } catch (const Exception& failure) {
    return std::string(failure.ClassName()) + ": " + failure.Message();
  }
  return "<none>";
}

TEST(FormFileToTextFileTest, WritesTheTextFormAndClosesTheTextFileFirst) {
  ScratchDir dir;
  WriteFileBytes(dir / "FORM.DFM", FormFile());
  WriteFileBytes(dir / "FORM.TXT", "an older text that is longer than the new one, to be emptied");
  FaultPlatform platform;
  {
    ScopedPlatform scoped(platform);
    EXPECT_EQ(FailureOf(dir / "FORM.DFM", dir / "FORM.TXT"), "<none>");
  }
  EXPECT_EQ(ReadFileBytes(dir / "FORM.TXT"), kFormText);
  EXPECT_EQ(platform.closed_names,
            (std::vector<std::string>{(dir / "FORM.TXT").string(), (dir / "FORM.DFM").string()}));
}

TEST(FormFileToTextFileTest, AFormFileThatCannotBeOpenedCreatesNothing) {
  ScratchDir dir;
  EXPECT_EQ(FailureOf(dir / "FORM.DFM", dir / "FORM.TXT"),
            "EFOpenError: Cannot open file " + (dir / "FORM.DFM").string());
  EXPECT_FALSE(fs::exists(dir / "FORM.TXT"));

  WriteFileBytes(dir / "FORM.DFM", FormFile());
  FaultPlatform platform;
  platform.refuse_open_of = (dir / "FORM.DFM").string();
  ScopedPlatform scoped(platform);
  EXPECT_EQ(FailureOf(dir / "FORM.DFM", dir / "FORM.TXT"),
            "EFOpenError: Cannot open file " + (dir / "FORM.DFM").string());
  EXPECT_FALSE(fs::exists(dir / "FORM.TXT"));
}

TEST(FormFileToTextFileTest, ATextFileThatCannotBeCreatedIsNamed) {
  ScratchDir dir;
  WriteFileBytes(dir / "FORM.DFM", FormFile());
  FaultPlatform platform;
  platform.refuse_open_of = (dir / "FORM.TXT").string();
  ScopedPlatform scoped(platform);
  EXPECT_EQ(FailureOf(dir / "FORM.DFM", dir / "FORM.TXT"),
            "EFCreateError: Cannot create file " + (dir / "FORM.TXT").string());
  EXPECT_EQ(platform.closed_names, (std::vector<std::string>{(dir / "FORM.DFM").string()}));
}

TEST(FormFileToTextFileTest, ATextFormTakenForAFormFileLeavesAnEmptyTextFile) {
  ScratchDir dir;
  WriteFileBytes(dir / "A.DFM.TXT", kFormText);
  EXPECT_EQ(FailureOf(dir / "A.DFM.TXT", dir / "A.TXT.TXT"),
            "EInvalidImage: Invalid stream format");
  EXPECT_EQ(ReadFileBytes(dir / "A.TXT.TXT"), "");
}

TEST(FormFileToTextFileTest, ADamagedFormLeavesTheTextWrittenBeforeTheFailure) {
  ScratchDir dir;
  std::string damaged = FormFile();
  damaged.resize(damaged.size() - 2);
  WriteFileBytes(dir / "FORM.DFM", damaged);
  EXPECT_EQ(FailureOf(dir / "FORM.DFM", dir / "FORM.TXT"), "EReadError: Stream read error");
  EXPECT_EQ(ReadFileBytes(dir / "FORM.TXT"), "object Main: TMain\r\n  Caption = 'Hi'\r\n");
}

TEST(FormFileToTextFileTest, AFullDiskIsAWriteErrorWithThePartWrittenKept) {
  ScratchDir dir;
  std::vector<std::string> properties;
  for (int i = 0; i < 1000; ++i) properties.push_back(Property("Tag", Int16Value(1000 + i)));
  std::string form = Form(Object("", "TMain", "Main", properties));
  WriteFileBytes(dir / "FORM.DFM", ResourceHeader("TMAIN", int64_t(form.size())) + form);
  FaultPlatform platform;
  platform.write_budget = 5000;
  ScopedPlatform scoped(platform);
  EXPECT_EQ(FailureOf(dir / "FORM.DFM", dir / "FORM.TXT"), "EWriteError: Stream write error");
  std::string kept = ReadFileBytes(dir / "FORM.TXT");
  EXPECT_EQ(kept.size(), 5000u);
  EXPECT_EQ(kept.substr(0, 20), "object Main: TMain\r\n");
}

}  // namespace
}  // namespace quorvex
