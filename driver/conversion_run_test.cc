// The conversion run in-process on a platform that fails the N-th write, rename or sync, for
// every N the run has, on a text form and on a binary form: every file holds the bytes it had
// or its complete new bytes, the backup is complete whenever the input changed, the report
// names the failure, and no temporary file is left behind.
#include "driver/conversion_run.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <iostream>
#include <map>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "driver/line_filter.h"
#include "driver/line_passes.h"
#include "driver/program.h"
#include "runtime/ascii.h"
#include "runtime/exceptions.h"
#include "runtime/process.h"
#include "tests/fault_platform.h"
#include "tests/form_bytes.h"
#include "tests/test_support.h"

namespace quorvex {
namespace {

namespace fs = std::filesystem;
using namespace quorvex::testing;

constexpr int kEdits = 4000;

// Enough lines that the backup and the text each take more than one 64 KiB write, and that the
// filter runs while the backup is copied.
std::string Text() {
  std::string text = "object Form1: TForm1\r\n";
  for (int i = 0; i < kEdits; ++i) {
    text += "  object Edit" + std::to_string(i) +
            ": TEdit\r\n    ImeMode = imDisable\r\n    Scaled = True\r\n  end\r\n";
  }
  return text + "end\r\n";
}

// A binary form whose text takes many writes of the text, backup and form.
std::string FormFile() {
  std::vector<std::string> edits;
  for (int i = 0; i < kEdits; ++i) {
    edits.push_back(
        Object("", "TEdit", "Edit" + std::to_string(i),
               {Property("Left", Int16Value(i)), Property("ImeMode", IdentValue("imDisable"))}));
  }
  std::string form = Form(Object("", "TForm1", "Form1", {}, edits));
  return ResourceHeader("TFORM1", int64_t(form.size())) + form;
}

const char kAbsent[] = "<absent>";

// Every file in the folder with its bytes.
std::map<std::string, std::string> FilesIn(const fs::path& folder) {
  std::map<std::string, std::string> files;
  for (const auto& entry : fs::directory_iterator(folder)) {
    files[entry.path().filename().string()] = ReadFileBytes(entry.path());
  }
  return files;
}

std::string BytesOr(const std::map<std::string, std::string>& files, const std::string& name) {
  auto found = files.find(name);
  return found == files.end() ? kAbsent : found->second;
}

struct Outcome {
  int exit_code;
  std::string out;
  std::map<std::string, std::string> files;
};

enum class Fault { kNone, kWrite, kRename, kSync };

// Runs the tool on folder/input holding bytes, alone in the folder, with the fault at number n.
Outcome RunWith(const ScratchDir& folder, const std::string& input, const std::string& bytes,
                Fault fault, int n, FaultPlatform& platform) {
  for (const auto& entry : fs::directory_iterator(folder.path())) fs::remove(entry.path());
  WriteFileBytes(folder / input, bytes);
  ScratchDir console;
  platform.command_line = "quorvex " + (folder / input).string();
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
  outcome.files = FilesIn(folder.path());
  return outcome;
}

TEST(ConversionRunFaults, EveryFailingWriteRenameOrSyncLeavesEachFileWholeOrNew) {
  struct Input {
    std::string name;
    std::string bytes;
    int replaced;  // files written through a replacement: text and backup, text again, form
  };
  const Input inputs[] = {{"form.txt", Text(), 2}, {"form.dfm", FormFile(), 4}};
  for (const Input& input : inputs) {
    SCOPED_TRACE(input.name);
    ScratchDir folder;
    FaultPlatform counting;
    Outcome clean = RunWith(folder, input.name, input.bytes, Fault::kNone, 0, counting);
    ASSERT_EQ(clean.exit_code, 0);
    ASSERT_NE(clean.files[input.name], input.bytes);
    // Each replaced file is written, synced, renamed, and its folder synced.
    EXPECT_EQ(counting.renames, input.replaced);
    EXPECT_EQ(counting.syncs, 2 * input.replaced);
    EXPECT_GE(counting.writes, 2 * input.replaced);
    const std::string unfiltered = clean.files["FORM.BAK"];
    const std::pair<Fault, int> kinds[] = {{Fault::kWrite, counting.writes},
                                           {Fault::kRename, counting.renames},
                                           {Fault::kSync, counting.syncs}};
    int converted_despite_failure = 0;
    for (const auto& [fault, count] : kinds) {
      for (int n = 1; n <= count; ++n) {
        FaultPlatform platform;
        Outcome outcome = RunWith(folder, input.name, input.bytes, fault, n, platform);
        SCOPED_TRACE("fault " + std::to_string(int(fault)) + " at " + std::to_string(n));
        EXPECT_EQ(outcome.exit_code, 1);
        EXPECT_TRUE(
            outcome.out.find("Exception EInOutError in module quorvex") != std::string::npos ||
            outcome.out.find("Exception EWriteError in module quorvex") != std::string::npos)
            << outcome.out;
        for (const auto& [name, bytes] : outcome.files) {
          EXPECT_TRUE(clean.files.count(name)) << name << " is left";
          std::string before = name == input.name ? input.bytes : kAbsent;
          // The text of a form file is complete, filtered or not, once it exists.
          EXPECT_TRUE(bytes == before || bytes == clean.files[name] ||
                      (name == "FORM.TXT" && bytes == unfiltered))
              << name << " holds " << bytes.size() << " bytes";
        }
        ASSERT_TRUE(outcome.files.count(input.name));
        if (outcome.files[input.name] != input.bytes) {
          ++converted_despite_failure;
          EXPECT_EQ(BytesOr(outcome.files, "FORM.BAK"), unfiltered);
        }
      }
    }
    // Only the sync of the folder after the input's own rename fails once it is replaced.
    EXPECT_EQ(converted_despite_failure, 1);
    std::cout << input.name << ": " << counting.writes << " writes, " << counting.renames
              << " renames and " << counting.syncs << " syncs, each failed in turn\n";
  }
}

// A text of count objects, each of a class of its own, with a line the filter drops: its
// reports are too many to be held until the backup is complete.
std::string TextOfManyClasses(int count) {
  std::string text;
  for (int i = 0; i < count; ++i) {
    text += "object E" + std::to_string(i) + ": TE" + std::to_string(i) + "Edit" +
            "\r\n  ImeMode = imDisable\r\nend\r\n";
  }
  return text;
}

// The filtered text and the console's reports, filtering a CR LF text line by line.
std::pair<std::string, std::string> FilterByLine(const std::string& text) {
  LineFilter filter;
  std::string filtered;
  std::string reports;
  for (size_t start = 0; start < text.size();) {
    const size_t end = text.find("\r\n", start);
    const std::string line = text.substr(start, end - start);
    start = end + 2;
    const FilterDecision decision = filter.Filter(line);
    if (decision.action == FilterAction::kKeep) filtered += line + "\r\n";
    if (decision.action == FilterAction::kRewrite) filtered.append(decision.line) += "\r\n";
    if (!decision.report.empty()) reports.append(decision.report) += "\r\n";
  }
  return {filtered, reports};
}

// The console of the filter alone, reading text from a file and writing to one whose writes
// fail: the reports it makes before its first write fails.
std::string ReportsBeforeFilterFails(const std::string& text) {
  ScratchDir folder;
  WriteFileBytes(folder / "backup", text);
  FaultPlatform platform;
  platform.stdout_path = (folder / "console").string();
  platform.refuse_writes_to = "refused";
  ScopedPlatform scoped(platform);
  StartRuntime();
  TextChannel from;
  TextChannel to;
  from.BindName(FileName((folder / "backup").string()));
  from.OpenForReading();
  to.BindName(FileName((folder / "refused").string()));
  to.OpenForWriting();
  ConsoleReports console;
  EXPECT_THROW(FilterLines(from, to, console), EInOutError);
  EXPECT_EQ(Terminate(0), 0);
  return fs::exists(folder / "console") ? ReadFileBytes(folder / "console") : "";
}

// A text whose lines end in a lone LF is copied in larger pieces, its line ends made CR LF.
std::string WithLoneLineFeeds(std::string text) {
  std::string lone;
  for (size_t start = 0, end; (end = text.find("\r\n", start)) != std::string::npos;
       start = end + 2) {
    lone.append(text, start, end - start) += '\n';
  }
  return lone;
}

// Long texts, as they are and with lone LF line ends. The reports of one are too many to hold,
// and one starts with a line longer than the copy's buffer: the filter reads the rest of these
// from the backup.
TEST(LongTextRuns, GiveWhatFilteringLineByLineGives) {
  const std::string long_line = std::string(300000, 'x') + "\r\n";
  for (const std::string& text : {Text(), TextOfManyClasses(40000), long_line + Text()}) {
    for (const std::string& input : {text, WithLoneLineFeeds(text)}) {
      ScratchDir folder;
      FaultPlatform platform;
      Outcome outcome = RunWith(folder, "form.txt", input, Fault::kNone, 0, platform);
      const auto [filtered, reports] = FilterByLine(text);
      // Compared whole, so that a failure does not print megabytes.
      EXPECT_EQ(outcome.exit_code, 0);
      EXPECT_TRUE(outcome.out == kBanner + reports);
      EXPECT_TRUE(outcome.files["form.txt"] == filtered);
      EXPECT_TRUE(outcome.files["FORM.BAK"] == text);
      EXPECT_EQ(outcome.files.size(), 2u);
      const std::vector<std::string>& closed = platform.closed_names;
      const bool backup_read = std::count(closed.begin(), closed.end(),
                                          UpperCasedAscii((folder / "FORM.BAK").string())) > 0;
      EXPECT_EQ(backup_read, text != Text());
    }
  }
}

// A long text whose backup cannot be written shows no report; one whose filtered text cannot
// be written shows the reports the filter alone shows before the failure. Either way the text
// is left as it was.
TEST(LongTextRuns, FailuresShowWhatTheyShowWhenTheFilterFollowsTheCopy) {
  for (const std::string& text : {Text(), TextOfManyClasses(40000)}) {
    // The form's name is in capitals, as the backup's is, so that each temporary is known by
    // the same name on every system.
    for (const char* refused : {"FORM.BAK.quorvex-", "FORM.TXT.quorvex-"}) {
      SCOPED_TRACE(refused);
      ScratchDir folder;
      FaultPlatform platform;
      platform.refuse_writes_to = refused;
      Outcome outcome = RunWith(folder, "FORM.TXT", text, Fault::kNone, 0, platform);
      const bool backed_up = refused[5] == 'T';
      const std::string reports = backed_up ? ReportsBeforeFilterFails(text) : "";
      EXPECT_EQ(outcome.exit_code, 1);
      EXPECT_TRUE(outcome.out.compare(0, kBanner.size() + reports.size(), kBanner + reports) == 0);
      EXPECT_EQ(outcome.out.find("Exception EInOutError", kBanner.size()),
                kBanner.size() + reports.size());
      EXPECT_TRUE(outcome.files["FORM.TXT"] == text);
      EXPECT_TRUE(BytesOr(outcome.files, "FORM.BAK") == (backed_up ? text : kAbsent));
      EXPECT_EQ(outcome.files.size(), backed_up ? 2u : 1u);
    }
  }
}

}  // namespace
}  // namespace quorvex
