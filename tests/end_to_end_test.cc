// Runs the built tool in a scratch folder and compares its console bytes, exit code and
// files byte for byte.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "tests/test_support.h"
#include "tests/tool_runner.h"

namespace quorvex::testing {
namespace {

namespace fs = std::filesystem;

std::string Report(const std::string& class_name, const std::string& position,
                   const std::string& message) {
  return "Exception " + class_name + " in module " + ToolModuleName() + " at " + position + ".\n" +
         message + "\r\n";
}

std::string SampleForm() {
  return ReadFileBytes(fs::path(QUORVEX_SOURCE_DIR) / "samples" / "sample.txt");
}

TEST(EndToEnd, NoArgumentShowsUsage) {
  ScratchDir folder;
  ToolRun run = RunTool({}, folder.path());
  EXPECT_EQ(run.exit_code, 0);
  EXPECT_EQ(run.out, kBanner +
                         "Usage: quorvex.exe delphi3.DFM\r\n"
                         "where delphi3.DFM is a Delphi 3 Form\r\n"
                         "\r\n"
                         "New components: quorvex.exe /?\r\n"
                         "New properties: quorvex.exe /? classname\r\n"
                         "\r\n");
  EXPECT_EQ(RunTool({""}, folder.path()).out, run.out) << "an empty argument is not counted";
}

TEST(EndToEnd, ArgumentsAreCountedAsOnTheCommandLine) {
  ScratchDir folder;
  std::string listing = RunTool({"/?"}, folder.path()).out;
  EXPECT_EQ(RunTool({"", "/?"}, folder.path()).out, listing) << "an empty first argument";
  std::string usage = RunTool({}, folder.path()).out;
  EXPECT_EQ(RunTool({"\""}, folder.path()).out, usage) << "a lone double quote";
  WriteFileBytes(folder / "my form.txt", "object A: TA\r\nend\r\n");
  EXPECT_EQ(RunTool({"my form.txt"}, folder.path()).exit_code, 0);
  EXPECT_TRUE(fs::exists(folder / "MY FORM.BAK"));
}

TEST(EndToEnd, ComponentListing) {
  ScratchDir folder;
  for (const char* switch_text : {"/?", "?", "-?", "x?y"}) {
    ToolRun run = RunTool({switch_text}, folder.path());
    EXPECT_EQ(run.exit_code, 0);
    const std::string head = kBanner +
                             "There are 78 new VCL components in Delphi 3:\r\n\r\n"
                             "  EDateTimeError\r\n  EDBClient\r\n  ENoResultSet\r\n"
                             "  EReconcileError\r\n  EUpdateError\r\n  TActiveForm\r\n"
                             "  TActiveFormControl\r\n";
    EXPECT_EQ(run.out.substr(0, head.size()), head) << switch_text;
    const std::string tail = "  TToolWindow\r\n  TVCLAutoObject\r\n\r\n";
    EXPECT_EQ(run.out.substr(run.out.size() - tail.size()), tail);
    size_t lines = 0;
    for (char c : run.out) lines += c == '\n';
    EXPECT_EQ(lines, 3u + 2u + 78u + 1u);
  }
}

TEST(EndToEnd, ClassListingOfForm) {
  ScratchDir folder;
  const std::string body = "\r\n  HelpFile\r\n  MDIChildren\r\n  OnHelp\r\n  ParentFont\r\n\r\n";
  for (const char* name : {"TForm", "Form", "form", "Form."}) {
    ToolRun run = RunTool({"/?", name}, folder.path());
    EXPECT_EQ(run.exit_code, 0);
    EXPECT_EQ(run.out, kBanner + "4 new properties for class " + name + " in Delphi 3:\r\n" + body);
  }
  EXPECT_EQ(RunTool({"/?", "tform", "extra"}, folder.path()).out,
            kBanner + "4 new properties for class tform in Delphi 3:\r\n" + body);
}

TEST(EndToEnd, ClassListingCounts) {
  ScratchDir folder;
  const std::pair<const char*, const char*> cases[] = {
      {"CoolBand", "17"},        {"TCoolBand", "19"},        {"CheckConstraint", "4"},
      {"TCheckConstraint", "5"}, {"TConnectionPoint", "15"}, {"Clipboard", "8"},
      {"CustomForm", "62"}};
  for (const auto& [name, count] : cases) {
    ToolRun run = RunTool({"/?", name}, folder.path());
    std::string header =
        std::string(count) + " new properties for class " + name + " in Delphi 3:\r\n";
    EXPECT_EQ(run.out.substr(kBanner.size(), header.size()), header) << name;
  }
  for (const char* name : {"ConnectionPoint", "X", "T"}) {
    ToolRun run = RunTool({"/?", name}, folder.path());
    EXPECT_EQ(run.out, kBanner + "No new properties for class " + name + " in Delphi 3.\r\n\r\n");
  }
}

TEST(EndToEnd, ClassListingShowsIrregularEntriesAsStored) {
  ScratchDir folder;
  EXPECT_EQ(RunTool({"/?", "TOleLinkStub"}, folder.path()).out,
            kBanner +
                "2 new properties for class TOleLinkStub in Delphi 3:\r\n\r\n"
                "  inspector.\r\n  page\r\n\r\n");
  std::string relationships = RunTool({"/?", "DRRelationshipList"}, folder.path()).out;
  EXPECT_NE(relationships.find("  RelationshipTypeNam\r\n"), std::string::npos);
}

TEST(EndToEnd, ConvertsTheSampleTextForm) {
  ScratchDir folder;
  const std::string original = SampleForm();
  WriteFileBytes(folder / "sample.txt", original);
  ToolRun run = RunTool({"sample.txt"}, folder.path());
  EXPECT_EQ(run.exit_code, 0);
  EXPECT_EQ(run.out, kBanner +
                         "Skipped: TMainForm.Font.Charset = DEFAULT_CHARSET\r\n"
                         "  Added: TMainForm.Scaled = False\r\n"
                         "Skipped: TEdit.ImeMode = imDisable\r\n"
                         "Skipped: TCoolBar.Bands = <\r\n");
  EXPECT_EQ(ReadFileBytes(folder / "SAMPLE.BAK"), original);
  std::string expected = original;
  for (const std::string dropped :
       {"  Font.Charset = DEFAULT_CHARSET\r\n", "    ImeMode = imDisable\r\n",
        "    Bands = <\r\n      item\r\n        Width = 423\r\n      end>\r\n"}) {
    expected.erase(expected.find(dropped), dropped.size());
  }
  expected.replace(expected.find("Scaled = True"), 13, "Scaled = False");
  EXPECT_EQ(ReadFileBytes(folder / "sample.txt"), expected);
  EXPECT_FALSE(fs::exists(folder / "SAMPLE.DFM"));
}

TEST(EndToEnd, MissingTextFormIsReported) {
  ScratchDir folder;
  ToolRun run = RunTool({"missing.txt"}, folder.path());
  EXPECT_EQ(run.exit_code, 1);
  EXPECT_EQ(run.out, kBanner + Report("EInOutError", "0040FF89", "File not found."));
  EXPECT_TRUE(fs::is_empty(folder.path()));

  run = RunTool({"nofolder/form.txt"}, folder.path());
  EXPECT_EQ(run.out, kBanner + Report("EInOutError", "0040FF8A", "Invalid filename."));
}

TEST(EndToEnd, BackupInputGetsTheOtherBackupName) {
  ScratchDir folder;
  WriteFileBytes(folder / "form.bak", "object A: TA\r\nend\r\n");
  ToolRun run = RunTool({"form.bak"}, folder.path());
  EXPECT_EQ(run.exit_code, 0);
  EXPECT_EQ(ReadFileBytes(folder / "FORM.~BA"), "object A: TA\r\nend\r\n");
}

TEST(EndToEnd, BackupStaysInTheFormsFolder) {
  ScratchDir folder;
  fs::create_directories(folder / "old.bak" / "forms.d");
  WriteFileBytes(folder / "old.bak" / "forms.d" / "main.txt", "object A: TA\r\nend\r\n");
  ToolRun run = RunTool({"old.bak/forms.d/main.txt"}, folder.path());
  EXPECT_EQ(run.exit_code, 0) << run.out;
  EXPECT_TRUE(fs::exists(folder / "old.bak" / "forms.d" / "MAIN.BAK"));

  fs::create_directories(folder / "work");
  ToolRun relative = RunTool({"../old.bak/forms.d/main.txt"}, folder / "work");
  EXPECT_EQ(relative.exit_code, 0) << relative.out;
}

TEST(EndToEnd, LineEndsAndLongLines) {
  ScratchDir folder;
  const std::string long_value = "  Caption = '" + std::string(1000, 'x') + "'";
  WriteFileBytes(folder / "f.txt", "object A: TEdit\n" + long_value + "\rImeMode = x\n\x1A\x1A");
  ToolRun run = RunTool({"f.txt"}, folder.path());
  EXPECT_EQ(run.exit_code, 0);
  EXPECT_EQ(run.out, kBanner + "Skipped: TEdit.ImeMode = x\r\n");
  EXPECT_EQ(ReadFileBytes(folder / "F.BAK"),
            "object A: TEdit\r\n" + long_value + "\r\nImeMode = x\r\n");
  EXPECT_EQ(ReadFileBytes(folder / "f.txt"), "object A: TEdit\r\n" + long_value + "\r\n");
}

TEST(EndToEnd, FormFileIsLeftUntouched) {
  ScratchDir folder;
  const std::string bytes = std::string("\xFF\x0A\x00", 3) + "FORM";
  WriteFileBytes(folder / "form.dfm", bytes);
  ToolRun run = RunTool({"form.dfm"}, folder.path());
  EXPECT_EQ(run.exit_code, 1);
  EXPECT_EQ(run.out.substr(0, kBanner.size()), kBanner);
  EXPECT_EQ(ReadFileBytes(folder / "form.dfm"), bytes);
}

// A binary form of one TEdit holding Left = 10 and ImeMode = imDisable, behind its header.
std::string EditFormFile() {
  const std::string form = std::string(
                               "TPF0\x05TEdit\x05"
                               "Edit1\x04Left\x02\x0A") +
                           "\x07ImeMode\x07\x09imDisable" + std::string(2, '\0');
  std::string header = std::string("\xFF\x0A\x00TEDIT\x00\x30\x10", 11);
  header += char(form.size());
  header += std::string(3, '\0');
  return header + form;
}

size_t CountFiles(const fs::path& folder) {
  size_t files = 0;
  for ([[maybe_unused]] const auto& entry : fs::directory_iterator(folder)) ++files;
  return files;
}

// The form file EditFormFile() becomes without the line the filter drops.
std::string FilteredEditFormFile() {
  const std::string form = std::string(
                               "TPF0\x05TEdit\x05"
                               "Edit1\x04Left\x02\x0A") +
                           std::string(2, '\0');
  std::string header = std::string("\xFF\x0A\x00TEDIT\x00\x30\x10", 11);
  header += char(form.size());
  header += std::string(3, '\0');
  return header + form;
}

TEST(EndToEnd, FormFileIsFilteredThroughTextAndRebuilt) {
  ScratchDir folder;
  WriteFileBytes(folder / "edit.dfm", EditFormFile());
  ToolRun run = RunTool({"edit"}, folder.path());
  EXPECT_EQ(run.exit_code, 0);
  EXPECT_EQ(run.out, kBanner + "Skipped: TEdit.ImeMode = imDisable\r\n");
  EXPECT_EQ(ReadFileBytes(folder / "edit.dfm"), FilteredEditFormFile());
  EXPECT_EQ(ReadFileBytes(folder / "EDIT.BAK"),
            "object Edit1: TEdit\r\n  Left = 10\r\n  ImeMode = imDisable\r\nend\r\n");
  EXPECT_EQ(ReadFileBytes(folder / "EDIT.TXT"), "object Edit1: TEdit\r\n  Left = 10\r\nend\r\n");
  EXPECT_EQ(CountFiles(folder.path()), 3u) << "no temporary left";
}

// A string of 5000 bytes makes a text line longer than the tokenizer reads back: the run ends
// in a report after the text and backup are written, and the form file keeps its bytes.
TEST(EndToEnd, AFormWhoseTextDoesNotReadBackKeepsItsBytes) {
  const std::string form = "TPF0\x05TEdit\x05" + std::string("Edit1\x04Hint\x0C") +
                           std::string("\x88\x13\x00\x00", 4) + std::string(5000, 'h') +
                           std::string(2, '\0');
  const std::string bytes =
      std::string("\xFF\x0A\x00TEDIT\x00\x30\x10", 11) + std::string("\xA4\x13\x00\x00", 4) + form;
  ScratchDir folder;
  WriteFileBytes(folder / "edit.dfm", bytes);
  ToolRun run = RunTool({"edit.dfm"}, folder.path());
  EXPECT_EQ(run.exit_code, 1);
  EXPECT_EQ(run.out, kBanner + Report("EParserError", "0040F063", "Line too long on line 2."));
  EXPECT_EQ(ReadFileBytes(folder / "edit.dfm"), bytes);
  const std::string text =
      "object Edit1: TEdit\r\n  Hint = '" + std::string(5000, 'h') + "'\r\nend\r\n";
  EXPECT_EQ(ReadFileBytes(folder / "EDIT.TXT"), text);
  EXPECT_EQ(ReadFileBytes(folder / "EDIT.BAK"), text);
  EXPECT_EQ(CountFiles(folder.path()), 3u) << "no temporary left";
}

TEST(EndToEnd, MissingFormFileIsReported) {
  ScratchDir folder;
  ToolRun run = RunTool({"form"}, folder.path());
  EXPECT_EQ(run.exit_code, 1);
  EXPECT_EQ(run.out, kBanner + Report("EFOpenError", "0040F002", "Cannot open file FORM.DFM."));
  EXPECT_TRUE(fs::is_empty(folder.path()));
}

TEST(EndToEnd, LostConsoleOutputFailsTheRun) {
  ScratchDir folder;
  EXPECT_EQ(RunToolWithOutput({"/?"}, folder.path(), "").exit_code, 1) << "standard output closed";
  EXPECT_EQ(RunToolIntoClosedPipe({"/?"}, folder.path()).exit_code, 1) << "a broken pipe";
}

TEST(EndToEnd, ConsoleOutputOnAFullDeviceFailsTheRun) {
  const std::string full = AlwaysFullDevice();
  if (full.empty()) GTEST_SKIP() << "no always full device on this system";
  ScratchDir folder;
  EXPECT_EQ(RunToolWithOutput({"/?", "TForm"}, folder.path(), full).exit_code, 1);
  EXPECT_EQ(RunToolWithOutput({}, folder.path(), full).exit_code, 1);
}

TEST(EndToEnd, ClosedInputAndErrorHandlesAreNotTakenByFiles) {
  ScratchDir folder;
  WriteFileBytes(folder / "f.txt", "object A: TEdit\r\nImeMode = x\r\n");
  ToolRun run = RunToolWithoutInputAndError({"f.txt"}, folder.path());
  EXPECT_EQ(run.exit_code, 0);
  EXPECT_EQ(run.out, kBanner + "Skipped: TEdit.ImeMode = x\r\n");
  EXPECT_EQ(ReadFileBytes(folder / "F.BAK"), "object A: TEdit\r\nImeMode = x\r\n");
  EXPECT_EQ(ReadFileBytes(folder / "f.txt"), "object A: TEdit\r\n");
}

TEST(EndToEnd, ClosedStandardOutputNeverReachesAFile) {
  ScratchDir folder;
  WriteFileBytes(folder / "f.txt", "object A: TEdit\r\nImeMode = x\r\n");
  EXPECT_EQ(RunToolWithOutput({"f.txt"}, folder.path(), "").exit_code, 1);
  EXPECT_EQ(ReadFileBytes(folder / "f.txt"), "object A: TEdit\r\nImeMode = x\r\n");
  EXPECT_FALSE(fs::exists(folder / "F.BAK"));
}

}  // namespace
}  // namespace quorvex::testing
