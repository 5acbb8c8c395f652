// What a conversion run leaves of the user's files when something goes wrong: outputs that are
// the input, files that are not regular files, text after Ctrl-Z, a console or a disk that
// gives out, two runs at once and a run killed at any moment. The built tool runs in a scratch
// folder; its console bytes, exit code and files are compared byte for byte.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <random>
#include <set>
#include <string>
#include <thread>

#include "tests/test_support.h"
#include "tests/tool_runner.h"
#include "tests/tool_runner_posix.h"

namespace quorvex::testing {
namespace {

namespace fs = std::filesystem;

// The two-line report of a failure raised with the message numbered id.
std::string Report(const std::string& class_name, unsigned id, const std::string& message) {
  char position[9];
  snprintf(position, sizeof position, "%08X", 0x00400000u | id);
  return "Exception " + class_name + " in module quorvex at " + position + ".\n" + message + "\r\n";
}

constexpr unsigned kMsgSameFile = 61552;
constexpr unsigned kMsgNotRegularInput = 61553;
constexpr unsigned kMsgNotRegularOutput = 61554;
constexpr unsigned kMsgInUse = 61555;
constexpr unsigned kMsgTextAfterEndMark = 61556;
constexpr unsigned kMsgInOutError = 65416;

// A text form of count edits, each with a line the filter drops and one it rewrites, so that
// the filtered text is longer than the original when count is large.
std::string TextForm(int count) {
  std::string text = "object Form1: TForm1\r\n";
  for (int i = 0; i < count; ++i) {
    std::string n = std::to_string(i);
    text +=
        "  object Edit" + n + ": TEdit\r\n    Left = " + n +
        "\r\n    ImeMode = imDisable\r\n    Scaled = True\r\n    AutoScaled = True\r\n  end\r\n";
  }
  return text + "end\r\n";
}

// The names in folder, sorted.
std::set<std::string> Names(const fs::path& folder) {
  std::set<std::string> names;
  for (const auto& entry : fs::directory_iterator(folder)) {
    names.insert(entry.path().filename().string());
  }
  return names;
}

bool IsTemporary(const std::string& name) {
  return name.find(".quorvex-") != std::string::npos && name.size() > 4 &&
         name.compare(name.size() - 4, 4, ".tmp") == 0;
}

// The names in folder other than the temporaries a killed run may leave, which it removes.
std::set<std::string> NamesWithoutTemporaries(const fs::path& folder) {
  std::set<std::string> names;
  for (const std::string& name : Names(folder)) {
    if (IsTemporary(name)) {
      fs::remove(folder / name);
    } else {
      names.insert(name);
    }
  }
  return names;
}

// The text the filter makes of TextForm(count), from a run that nothing disturbs.
std::string FilteredForm(int count) {
  ScratchDir folder;
  WriteFileBytes(folder / "form.txt", TextForm(count));
  ToolRun run = RunTool({"form.txt"}, folder.path());
  EXPECT_EQ(run.exit_code, 0);
  return ReadFileBytes(folder / "form.txt");
}

TEST(SafeRun, AnOutputThatIsTheInputIsRefusedBeforeAnythingIsWritten) {
  const std::string text = TextForm(2);
  const std::string form = "binary form bytes";
  struct Case {
    const char* argument;
    const char* input;  // the user's file, created with its bytes
    const char* other;  // the second name, made to stand for the same file
    bool hard_link;
    const char* message;
  };
  const Case cases[] = {
      {"form.txt", "form.txt", "FORM.BAK", true,
       "Cannot create file FORM.BAK: it is the same file as FORM.TXT."},
      {"form.txt", "form.txt", "FORM.BAK", false,
       "Cannot create file FORM.BAK: it is the same file as FORM.TXT."},
      {"form.dfm", "form.dfm", "FORM.TXT", false,
       "Cannot create file FORM.TXT: it is the same file as FORM.DFM."},
      {"form.dfm", "form.dfm", "FORM.BAK", true,
       "Cannot create file FORM.BAK: it is the same file as FORM.DFM."},
  };
  for (const Case& c : cases) {
    ScratchDir folder;
    const std::string bytes = std::string(c.input) == "form.txt" ? text : form;
    WriteFileBytes(folder / c.input, bytes);
    if (c.hard_link) {
      fs::create_hard_link(folder / c.input, folder / c.other);
    } else {
      fs::create_symlink(c.input, folder / c.other);
    }
    std::set<std::string> before = Names(folder.path());
    ToolRun run = RunTool({c.argument}, folder.path());
    EXPECT_EQ(run.exit_code, 1) << c.message;
    EXPECT_EQ(run.out, kBanner + Report("EFCreateError", kMsgSameFile, c.message));
    EXPECT_EQ(ReadFileBytes(folder / c.input), bytes) << c.message;
    EXPECT_EQ(Names(folder.path()), before) << c.message;
  }
}

TEST(SafeRun, OnlyRegularFilesAreConverted) {
  struct Case {
    const char* argument;
    const char* name;  // made a FIFO, a folder or a link to a device
    char kind;         // 'p' FIFO, 'd' folder, 'c' link to a character device
    const char* expected;
  };
  const std::string not_regular = ": it is not a regular file.";
  const Case cases[] = {
      {"form.txt", "form.txt", 'p', "Cannot open file FORM.TXT"},
      {"form.txt", "form.txt", 'd', "Cannot open file FORM.TXT"},
      {"form.txt", "form.txt", 'c', "Cannot open file FORM.TXT"},
      {"form.dfm", "form.dfm", 'p', "Cannot open file FORM.DFM"},
      {"form.txt", "FORM.BAK", 'p', "Cannot create file FORM.BAK"},
      {"form.txt", "FORM.BAK", 'd', "Cannot create file FORM.BAK"},
  };
  for (const Case& c : cases) {
    ScratchDir folder;
    if (std::string(c.name) != "form.txt") WriteFileBytes(folder / "form.txt", TextForm(1));
    if (c.kind == 'p') mkfifo((folder / c.name).c_str(), 0644);
    if (c.kind == 'd') fs::create_directory(folder / c.name);
    if (c.kind == 'c') fs::create_symlink("/dev/zero", folder / c.name);
    std::set<std::string> before = Names(folder.path());
    ToolRun run = RunTool({c.argument}, folder.path());
    bool input = std::string(c.expected).rfind("Cannot open", 0) == 0;
    EXPECT_EQ(run.exit_code, 1) << c.expected;
    EXPECT_EQ(run.out, kBanner + Report(input ? "EFOpenError" : "EFCreateError",
                                        input ? kMsgNotRegularInput : kMsgNotRegularOutput,
                                        c.expected + not_regular));
    EXPECT_EQ(Names(folder.path()), before) << c.expected;
  }
}

TEST(SafeRun, TextAfterCtrlZIsNeverDroppedSilently) {
  ScratchDir folder;
  const std::string text = "object A: TEdit\r\n  ImeMode = x\r\nend\r\n";
  WriteFileBytes(folder / "form.txt", text + "\x1A" + "object B: TEdit\r\nend\r\n");
  ToolRun run = RunTool({"form.txt"}, folder.path());
  EXPECT_EQ(run.exit_code, 1);
  EXPECT_EQ(run.out, kBanner + Report("EReadError", kMsgTextAfterEndMark,
                                      "FORM.TXT holds text after its end mark (Ctrl-Z) at "
                                      "offset 37, which the conversion would lose."));
  EXPECT_EQ(Names(folder.path()), std::set<std::string>{"form.txt"});

  WriteFileBytes(folder / "form.txt", text + "\x1A\x1A\x1A");
  run = RunTool({"form.txt"}, folder.path());
  EXPECT_EQ(run.exit_code, 0) << "only further end marks follow";
  EXPECT_EQ(ReadFileBytes(folder / "FORM.BAK"), text);
  EXPECT_EQ(ReadFileBytes(folder / "form.txt"), "object A: TEdit\r\nend\r\n");
}

TEST(SafeRun, AConsoleThatGivesOutLeavesTheTextAndReportsOnStandardError) {
  const std::string text = TextForm(20);
  for (const char* output : {"pipe", "/dev/full", ""}) {
    ScratchDir folder;
    WriteFileBytes(folder / "form.txt", text);
    ToolRun run = std::string(output) == "pipe"
                      ? RunToolIntoClosedPipe({"form.txt"}, folder.path())
                      : RunToolWithOutput({"form.txt"}, folder.path(), output);
    EXPECT_EQ(run.exit_code, 1) << output;
    EXPECT_EQ(ReadFileBytes(folder / "form.txt"), text) << output;
    // A console that refuses the banner ends the run before the backup is made.
    std::set<std::string> left = Names(folder.path());
    if (left.erase("FORM.BAK")) {
      EXPECT_EQ(ReadFileBytes(folder / "FORM.BAK"), text) << output;
    }
    EXPECT_EQ(left, std::set<std::string>{"form.txt"}) << output;
    std::string number = std::string(output) == "pipe" ? "232" : output[0] ? "112" : "103";
    EXPECT_EQ(run.err, Report("EInOutError", kMsgInOutError, "I/O error " + number + "."))
        << output;
  }
}

// The filtered text is longer than the original, so a disk with room for the backup only
// fills up while the filtered text is written; with less room, while the backup is, and then
// nothing has been reported.
void AFullDiskLeaves(const std::string& text) {
  for (int64_t room : {int64_t(text.size()), int64_t(text.size() / 2)}) {
    ScratchDir folder;
    WriteFileBytes(folder / "form.txt", text);
    ToolRun run = RunToolWithFileSizeLimit({"form.txt"}, folder.path(), room);
    EXPECT_EQ(run.exit_code, 1);
    const std::string report = Report("EInOutError", kMsgInOutError, "I/O error 112.");
    bool backed_up = room == int64_t(text.size());
    if (backed_up) {
      EXPECT_EQ(run.out.substr(run.out.size() - report.size()), report);
    } else {
      EXPECT_EQ(run.out, kBanner + report);
    }
    EXPECT_EQ(ReadFileBytes(folder / "form.txt"), text);
    EXPECT_EQ(fs::exists(folder / "FORM.BAK"), backed_up);
    if (backed_up) {
      EXPECT_EQ(ReadFileBytes(folder / "FORM.BAK"), text);
    }
    EXPECT_EQ(Names(folder.path()).size(), backed_up ? 2u : 1u) << "no temporary left";
  }
}

TEST(SafeRun, AFullDiskLeavesTheText) {
  // A short text, and one long enough to be filtered while its backup is copied.
  for (int lines : {200, 4000}) {
    std::string text = "object Form1: TForm1\r\n";
    for (int i = 0; i < lines; ++i)
      text += "  Hint = '" + std::string(100, 'h') + "' Scaled = True\r\n";
    text += "end\r\n";
    AFullDiskLeaves(text);
  }
}

TEST(SafeRun, AReplacedTextKeepsItsPermissionsAndItsLink) {
  ScratchDir folder;
  fs::create_directory(folder / "real");
  WriteFileBytes(folder / "real" / "form.txt", TextForm(1));
  chmod((folder / "real" / "form.txt").c_str(), 0640);
  fs::create_symlink("real/form.txt", folder / "link.txt");
  ToolRun run = RunTool({"link.txt"}, folder.path());
  EXPECT_EQ(run.exit_code, 0) << run.out;
  EXPECT_TRUE(fs::is_symlink(folder / "link.txt"));
  EXPECT_EQ(ReadFileBytes(folder / "real" / "form.txt"), FilteredForm(1));
  EXPECT_EQ(ReadFileBytes(folder / "LINK.BAK"), TextForm(1));
  struct stat info;
  stat((folder / "real" / "form.txt").c_str(), &info);
  EXPECT_EQ(info.st_mode & 07777, 0640u);
  EXPECT_EQ(Names(folder / "real"), std::set<std::string>{"form.txt"});
}

// Each run's console is a pipe read only after the first of the two has ended. The run that
// holds the form writes more reports than a pipe holds, so it cannot end before the other has
// tried the form, whatever the scheduler does.
TEST(SafeRun, OfTwoRunsStartedTogetherOneConvertsAndTheOtherReports) {
  const int kCount = 1000;
  const std::string text = TextForm(kCount);
  const std::string filtered = FilteredForm(kCount);
  ScratchDir folder;
  const std::string in_use =
      kBanner + Report("EInOutError", kMsgInUse,
                       "Cannot open file FORM.TXT: another run is converting it (sharing "
                       "violation, I/O error 32).");
  for (int pair = 0; pair < 100; ++pair) {
    WriteFileBytes(folder / "form.txt", text);
    fs::remove(folder / "FORM.BAK");
    StartedTool runs[] = {StartToolIntoPipe({"form.txt"}, folder.path()),
                          StartToolIntoPipe({"form.txt"}, folder.path())};
    int status = 0;
    pid_t first_done = waitpid(-1, &status, 0);
    const StartedTool& reporter = first_done == runs[0].pid ? runs[0] : runs[1];
    const StartedTool& converter = first_done == runs[0].pid ? runs[1] : runs[0];
    EXPECT_EQ(ExitCodeOf(status), 1) << pair;
    EXPECT_EQ(ReadToEnd(reporter.output), in_use) << pair;
    EXPECT_GT(ReadToEnd(converter.output).size(), 65536u) << pair;
    EXPECT_EQ(FinishTool(converter.pid), 0) << pair;
    EXPECT_EQ(ReadFileBytes(folder / "form.txt"), filtered) << pair;
    EXPECT_EQ(ReadFileBytes(folder / "FORM.BAK"), text) << pair;
    EXPECT_EQ(Names(folder.path()), (std::set<std::string>{"FORM.BAK", "form.txt"})) << pair;
  }
}

// The text is long enough to be filtered while its backup is copied.
TEST(SafeRun, AKilledRunLeavesTheOriginalOrTheWholeFilteredText) {
  const int kCount = 2500;
  const std::string text = TextForm(kCount);
  const std::string filtered = FilteredForm(kCount);
  ScratchDir folder;
  ScratchDir console;
  auto start = std::chrono::steady_clock::now();
  WriteFileBytes(folder / "form.txt", text);
  FinishTool(StartTool({"form.txt"}, folder.path(), (console / "out").string()));
  auto run_time = std::chrono::steady_clock::now() - start;
  std::mt19937 random(12);
  std::uniform_int_distribution<int64_t> moment(
      0, std::chrono::duration_cast<std::chrono::microseconds>(run_time).count() * 5 / 4);
  int original = 0;
  int converted = 0;
  for (int kill = 0; kill < 200; ++kill) {
    WriteFileBytes(folder / "form.txt", text);
    fs::remove(folder / "FORM.BAK");
    pid_t child = StartTool({"form.txt"}, folder.path(), (console / "out").string());
    std::this_thread::sleep_for(std::chrono::microseconds(moment(random)));
    ::kill(child, SIGKILL);
    FinishTool(child);
    std::string now = ReadFileBytes(folder / "form.txt");
    ASSERT_TRUE(now == text || now == filtered)
        << "kill " << kill << ": a text of " << now.size() << " bytes";
    if (now == filtered) {
      ++converted;
      EXPECT_EQ(ReadFileBytes(folder / "FORM.BAK"), text) << kill;
    } else {
      ++original;
    }
    if (fs::exists(folder / "FORM.BAK")) {
      EXPECT_EQ(ReadFileBytes(folder / "FORM.BAK"), text) << "a backup is always complete";
    }
    std::set<std::string> left = NamesWithoutTemporaries(folder.path());
    left.erase("FORM.BAK");
    EXPECT_EQ(left, std::set<std::string>{"form.txt"}) << kill;
  }
  RecordProperty("original", original);
  RecordProperty("converted", converted);
  EXPECT_GT(original, 0);
  EXPECT_GT(converted, 0);
}

}  // namespace
}  // namespace quorvex::testing
