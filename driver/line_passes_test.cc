#include "driver/line_passes.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "driver/conversion_run.h"
#include "driver/line_filter.h"
#include "runtime/process.h"
#include "tests/fault_platform.h"
#include "tests/test_support.h"

namespace quorvex {
namespace {

using testing::ReadFileBytes;
using testing::ScratchDir;
using testing::WriteFileBytes;

// A text of about 300 KB, so that lines cross the ends of the channels' 64 KiB buffers: lines
// of form text, additions, headers (one whose class prefix itself holds a pattern, so that
// every line after it is dropped) and "Scaled = True", a few longer than a buffer, ended by
// CR LF, a lone LF, a lone CR or nothing at the end; with end_mark, a Ctrl-Z near the end.
std::string MixedText(unsigned seed, bool end_mark) {
  static const char* const kPieces[] = {"  ",
                                        "object Form1: TForm1",
                                        "object E: TEdit",
                                        "object P: TCoolBar =",
                                        "ImeMode = imDisable",
                                        "Left = 10",
                                        "Font.Charset = 0",
                                        "Scaled = True",
                                        "Bands = <",
                                        "item",
                                        ">",
                                        "end",
                                        "x",
                                        "  Caption ",
                                        "= 'a = b'",
                                        "\t",
                                        "CoolBar.Bands = ("};
  static const char* const kEnds[] = {"\r\n", "\r\n", "\r\n", "\n", "\r", "\r\r\n", "\n\r"};
  std::mt19937 random(seed);
  std::string text;
  while (text.size() < 300000) {
    if (random() % 400 == 0) text += std::string(70000 + random() % 100, 'w');
    for (unsigned i = random() % 5; i > 0; --i) text += kPieces[random() % std::size(kPieces)];
    text += kEnds[random() % std::size(kEnds)];
  }
  if (random() % 2 == 0) text += "last line without an end";
  if (end_mark) text.insert(text.size() - 100, "\x1A");
  return text;
}

// The lines of a text as a channel reads them: ended by CR LF, a lone CR or a lone LF, up to
// Ctrl-Z or the end.
std::vector<std::string> SplitLines(const std::string& text) {
  std::vector<std::string> lines;
  const size_t stop = std::min(text.find('\x1A'), text.size());
  size_t start = 0;
  while (start < stop) {
    const size_t end = std::min(text.find_first_of("\r\n\x1A", start), stop);
    lines.push_back(text.substr(start, end - start));
    start = end + (text.compare(end, 2, "\r\n") == 0 ? 2 : 1);
  }
  return lines;
}

// Runs a pass from the file source to the file target; returns the console bytes.
template <typename Pass>
std::string RunPass(Pass pass, const std::string& source, const std::string& target) {
  ScratchDir console;
  testing::FaultPlatform platform;
  platform.stdout_path = (console / "out").string();
  ScopedPlatform scoped(platform);
  StartRuntime();
  TextChannel from;
  TextChannel to;
  from.BindName(FileName(source));
  from.OpenForReading();
  to.BindName(FileName(target));
  to.OpenForWriting();
  pass(from, to);
  to.CloseChannel();
  from.CloseChannel();
  CheckIo();
  EXPECT_EQ(Terminate(0), 0);
  // The console file is made when something is written to it.
  return std::filesystem::exists(console / "out") ? ReadFileBytes(console / "out") : "";
}

TEST(LinePassesTest, BothPassesGiveWhatLineByLineGives) {
  ScratchDir folder;
  const std::string source = (folder / "source").string();
  const std::string target = (folder / "target").string();
  for (unsigned seed = 1; seed <= 6; ++seed) {
    const std::string text = MixedText(seed, seed % 3 == 0);
    WriteFileBytes(source, text);
    std::string copied;
    std::string filtered;
    std::string reports;
    LineFilter filter;
    for (const std::string& line : SplitLines(text)) {
      copied += line + "\r\n";
      const FilterDecision decision = filter.Filter(line);
      if (decision.action == FilterAction::kKeep) filtered += line + "\r\n";
      if (decision.action == FilterAction::kRewrite) filtered.append(decision.line) += "\r\n";
      if (!decision.report.empty()) reports.append(decision.report) += "\r\n";
    }
    ASSERT_FALSE(reports.empty());
    struct : CopiedText {
      void Copied(std::string_view) override {}
    } nowhere;
    auto copy_lines = [&nowhere](TextChannel& from, TextChannel& to) {
      CopyLines(from, to, nowhere);
    };
    EXPECT_EQ(RunPass(copy_lines, source, target), "") << seed;
    ASSERT_EQ(ReadFileBytes(target), copied) << seed;
    ConsoleReports console;
    auto filter_lines = [&console](TextChannel& from, TextChannel& to) {
      FilterLines(from, to, console);
    };
    EXPECT_EQ(RunPass(filter_lines, source, target), reports) << seed;
    ASSERT_EQ(ReadFileBytes(target), filtered) << seed;
  }
}

}  // namespace
}  // namespace quorvex
