#include "driver/form_file_steps.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <map>
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
const char kOlder[] = "older bytes, to be kept when the step fails";

// A form of 1000 properties, whose text is far longer than its 5000-byte disk allows.
std::string LargeFormFile() {
  std::vector<std::string> properties;
  for (int i = 0; i < 1000; ++i) properties.push_back(Property("Tag", Int16Value(1000 + i)));
  std::string form = Form(Object("", "TMain", "Main", properties));
  return ResourceHeader("TMAIN", int64_t(form.size())) + form;
}

using Step = void (*)(const FileName&, const FileName&);

// The class and message of the failure of step from source to destination, or "<none>".
std::string FailureOf(Step step, const fs::path& source, const fs::path& destination) {
  try {
    step(FileName(source.string()), FileName(destination.string()));
  } catch (const Exception& failure) {
    return std::string(failure.ClassName()) + ": " + failure.Message();
  }
  return "<none>";
}

// Every file in the folder with its bytes.
std::map<std::string, std::string> FilesIn(const fs::path& folder) {
  std::map<std::string, std::string> files;
  for (const auto& entry : fs::directory_iterator(folder)) {
    files[entry.path().filename().string()] = ReadFileBytes(entry.path());
  }
  return files;
}

struct StepCase {
  const char* what;
  Step step;
  const char* source;
  std::string source_bytes;  // no source file when empty
  const char* destination;
  std::function<void(FaultPlatform&, const fs::path&)> fault;
  std::string failure;            // with "@" standing for the folder
  std::string destination_after;  // the destination's bytes afterwards; absent when empty
};

// Each step from a source to a destination that held older bytes (or, with the text form taken
// for a form file, none): the destination holds the complete result, or keeps its bytes and is
// the only file beside the source.
TEST(FormFileStepsTest, TheDestinationHoldsTheWholeResultOrKeepsItsBytes) {
  auto none = [](FaultPlatform&, const fs::path&) {};
  auto refuse = [](const char* name) {
    return [name](FaultPlatform& platform, const fs::path& dir) {
      platform.refuse_open_of = (dir / name).string();
    };
  };
  auto disk_of = [](int64_t room) {
    return [room](FaultPlatform& platform, const fs::path&) { platform.write_budget = room; };
  };
  std::string damaged = FormFile();
  damaged.resize(damaged.size() - 2);
  const StepCase cases[] = {
      {"form to text", FormFileToTextFile, "FORM.DFM", FormFile(), "FORM.TXT", none, "<none>",
       kFormText},
      {"missing form", FormFileToTextFile, "FORM.DFM", "", "FORM.TXT", none,
       "EFOpenError: Cannot open file @/FORM.DFM", kOlder},
      {"unreadable form", FormFileToTextFile, "FORM.DFM", FormFile(), "FORM.TXT",
       refuse("FORM.DFM"), "EFOpenError: Cannot open file @/FORM.DFM", kOlder},
      {"text not creatable", FormFileToTextFile, "FORM.DFM", FormFile(), "FORM.TXT",
       refuse("FORM.TXT"), "EFCreateError: Cannot create file @/FORM.TXT", kOlder},
      {"text form taken for a form file", FormFileToTextFile, "A.DFM.TXT", kFormText, "A.TXT.TXT",
       none, "EInvalidImage: Invalid stream format", ""},
      {"damaged form", FormFileToTextFile, "FORM.DFM", damaged, "FORM.TXT", none,
       "EReadError: Stream read error", kOlder},
      {"full disk", FormFileToTextFile, "FORM.DFM", LargeFormFile(), "FORM.TXT", disk_of(5000),
       "EWriteError: Stream write error", kOlder},
      {"text copied", CopyFormFileText, "FORM.DFM", kFormText, "FORM.TXT", none, "<none>",
       kFormText},
      {"text to form", TextFileToFormFile, "FORM.TXT", kFormText, "FORM.DFM", none, "<none>",
       FormFile()},
      {"missing text", TextFileToFormFile, "FORM.TXT", "", "FORM.DFM", none,
       "EFOpenError: Cannot open file @/FORM.TXT", kOlder},
      {"form not creatable", TextFileToFormFile, "FORM.TXT", kFormText, "FORM.DFM",
       refuse("FORM.DFM"), "EFCreateError: Cannot create file @/FORM.DFM", kOlder},
      {"text that does not convert", TextFileToFormFile, "FORM.TXT",
       "object Main: TMain\r\n  Left = +5\r\nend\r\n", "FORM.DFM", none,
       "EParserError: Invalid property value on line 2", kOlder},
      {"form larger than the disk", TextFileToFormFile, "FORM.TXT", kFormText, "FORM.DFM",
       disk_of(20), "EWriteError: Stream write error", kOlder},
  };
  for (const StepCase& c : cases) {
    ScratchDir dir;
    if (!c.source_bytes.empty()) WriteFileBytes(dir / c.source, c.source_bytes);
    bool had_destination = std::string(c.destination) != "A.TXT.TXT";
    if (had_destination) WriteFileBytes(dir / c.destination, kOlder);
    std::map<std::string, std::string> expected = FilesIn(dir.path());
    if (!c.destination_after.empty()) expected[c.destination] = c.destination_after;
    FaultPlatform platform;
    c.fault(platform, dir.path());
    std::string failure;
    {
      ScopedPlatform scoped(platform);
      failure = FailureOf(c.step, dir / c.source, dir / c.destination);
    }
    std::string expected_failure = c.failure;
    if (size_t at = expected_failure.find("@/"); at != std::string::npos) {
      expected_failure.replace(at, 2, (dir.path() / "").string());
    }
    EXPECT_EQ(failure, expected_failure) << c.what;
    EXPECT_EQ(FilesIn(dir.path()), expected) << c.what;
  }
}

TEST(FormFileStepsTest, AReplacedFormKeepsItsPermissionsAndItsLink) {
  ScratchDir dir;
  fs::create_directory(dir / "real");
  WriteFileBytes(dir / "real" / "FORM.DFM", kOlder);
  fs::permissions(dir / "real" / "FORM.DFM", fs::perms(0640));
  fs::create_symlink("real/FORM.DFM", dir / "FORM.DFM");
  WriteFileBytes(dir / "FORM.TXT", kFormText);
  EXPECT_EQ(FailureOf(TextFileToFormFile, dir / "FORM.TXT", dir / "FORM.DFM"), "<none>");
  EXPECT_TRUE(fs::is_symlink(dir / "FORM.DFM"));
  EXPECT_EQ(ReadFileBytes(dir / "real" / "FORM.DFM"), FormFile());
  EXPECT_EQ(fs::status(dir / "real" / "FORM.DFM").permissions(), fs::perms(0640));
  EXPECT_EQ(FilesIn(dir / "real").size(), 1u);
}

}  // namespace
}  // namespace quorvex
