#include "runtime/text_channel.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "runtime/exceptions.h"
#include "tests/fault_platform.h"
#include "tests/test_support.h"

namespace quorvex {
namespace {

using testing::ReadFileBytes;
using testing::ScratchDir;
using testing::WriteFileBytes;

// The I/O error number a CheckIo raises now, 0 when none, and the message with it.
struct Checked {
  int32_t number = 0;
  std::string message;
};

Checked RunCheckIo() {
  try {
    CheckIo();
  } catch (const EInOutError& error) {
    return {error.errorCode, error.Message()};
  }
  return {};
}

// Every line of the file as the conversion run reads it.
std::vector<std::string> ReadLines(const std::string& path, size_t maximum = SIZE_MAX) {
  TextChannel channel;
  channel.BindName(FileName(path));
  channel.OpenForReading();
  std::vector<std::string> lines;
  while (!channel.AtEnd()) {
    std::string line;
    channel.ReadLinePart(line, maximum);
    channel.SkipLine();
    lines.push_back(line);
  }
  channel.CloseChannel();
  EXPECT_EQ(RunCheckIo().number, 0);
  return lines;
}

using Lines = std::vector<std::string>;

TEST(TextChannel, LineEnds) {
  ScratchDir folder;
  const std::string path = (folder / "t").string();
  WriteFileBytes(path, "a\r\nb\rc\nd\n\re");
  EXPECT_EQ(ReadLines(path), (Lines{"a", "b", "c", "d", "", "e"}));
  WriteFileBytes(path, "");
  EXPECT_EQ(ReadLines(path), Lines{});
  WriteFileBytes(path, "x\r\n\x1Ay\r\nz\r\n");
  EXPECT_EQ(ReadLines(path), Lines{"x"}) << "nothing after Ctrl-Z is read";
  WriteFileBytes(path,
                 "\x1A"
                 "abc");
  EXPECT_EQ(ReadLines(path), Lines{});
}

TEST(TextChannel, LinePartsAndLongLines) {
  ScratchDir folder;
  const std::string path = (folder / "t").string();
  const std::string long_line(300, 'x');
  WriteFileBytes(path, long_line + "\r\nnext");
  EXPECT_EQ(ReadLines(path, 255), (Lines{long_line.substr(0, 255), "next"}));
  EXPECT_EQ(ReadLines(path), (Lines{long_line, "next"}));
  EXPECT_EQ(ReadLines(path, 0), (Lines{"", ""}));
}

TEST(TextChannel, WritesLinesWithCrLfAndIntegers) {
  ScratchDir folder;
  const std::string path = (folder / "t").string();
  WriteFileBytes(path, "old content that must go");
  TextChannel channel;
  channel.BindName(FileName(path));
  channel.OpenForWriting();
  channel.WriteText(std::string(200, 'y'));
  channel.WriteLineEnd();
  channel.WriteInteger(-42, 0);
  channel.WriteInteger(7, 70);
  channel.WriteLineEnd();
  channel.CloseChannel();
  EXPECT_EQ(RunCheckIo().number, 0);
  EXPECT_EQ(ReadFileBytes(path),
            std::string(200, 'y') + "\r\n-42" + std::string(69, ' ') + "7\r\n");
}

TEST(TextChannel, OpenFailures) {
  ScratchDir folder;
  TextChannel channel;
  channel.BindName(FileName((folder / "missing").string()));
  channel.OpenForReading();
  Checked missing = RunCheckIo();
  EXPECT_EQ(missing.number, 2);
  EXPECT_EQ(missing.message, "File not found");
  EXPECT_EQ(channel.State(), ChannelState::kClosed);

  channel.BindName(FileName((folder / "no" / "file").string()));
  channel.OpenForReading();
  EXPECT_EQ(RunCheckIo().message, "Invalid filename");

  TextChannel unbound;
  unbound.OpenForWriting();
  EXPECT_EQ(RunCheckIo().message, "I/O error 102");
}

TEST(TextChannel, OperationsInTheWrongState) {
  ScratchDir folder;
  const std::string path = (folder / "t").string();
  WriteFileBytes(path, "line\r\n");
  TextChannel channel;
  channel.BindName(FileName(path));
  channel.OpenForReading();
  channel.WriteText("x");
  EXPECT_EQ(RunCheckIo().message, "I/O error 105");
  channel.CloseChannel();
  channel.CloseChannel();
  EXPECT_EQ(RunCheckIo().message, "I/O error 103");
  channel.WriteText("x");
  channel.WriteLineEnd();
  EXPECT_EQ(RunCheckIo().number, 103) << "the line-flush step replaces the write's 105";
  channel.OpenForWriting();
  EXPECT_TRUE(channel.AtEnd());
  EXPECT_EQ(RunCheckIo().message, "I/O error 104");
  channel.CloseChannel();
}

TEST(TextChannel, ReopeningTruncatesAndNamesAreNotCut) {
  ScratchDir folder;
  const std::string path = (folder / std::string(250, 'n')).string();
  ASSERT_GT(path.size(), 259u);
  TextChannel channel;
  channel.BindName(FileName(path));
  channel.OpenForWriting();
  channel.WriteText("first");
  channel.WriteLineEnd();
  channel.OpenForReading();
  std::string line;
  channel.ReadLinePart(line, SIZE_MAX);
  EXPECT_EQ(line, "first");
  channel.OpenForWriting();
  channel.CloseChannel();
  EXPECT_EQ(RunCheckIo().number, 0);
  EXPECT_EQ(ReadFileBytes(path), "");
}

// Records the size of every read and write asked of the system.
class CountingPlatform : public testing::FaultPlatform {
 public:
  std::vector<int32_t> reads;
  std::vector<int32_t> writes;

  OsResult Read(OsHandle handle, void* buffer, int32_t count) override {
    reads.push_back(count);
    return FaultPlatform::Read(handle, buffer, count);
  }
  OsResult Write(OsHandle handle, const void* buffer, int32_t count) override {
    writes.push_back(count);
    return FaultPlatform::Write(handle, buffer, count);
  }
};

// 3000 lines of 40 bytes: a disk file takes them in two writes of up to 64 KiB and gives them
// back in reads of 64 KiB; a character device gets every line as it ends.
TEST(TextChannel, DiskFilesMoveInLargeBlocksCharacterDevicesByLine) {
  ScratchDir folder;
  const std::string path = (folder / "t").string();
  CountingPlatform platform;
  ScopedPlatform scoped(platform);
  const std::string line(38, 'x');
  for (const std::string& name : {path, std::string("/dev/null")}) {
    TextChannel channel;
    channel.BindName(FileName(name));
    channel.OpenForWriting();
    for (int i = 0; i < 3000; ++i) {
      channel.WriteText(line);
      channel.WriteLineEnd();
    }
    channel.CloseChannel();
    EXPECT_EQ(RunCheckIo().number, 0);
  }
  ASSERT_EQ(platform.writes.size(), 2u + 3000u);
  EXPECT_EQ(platform.writes[0], TextChannel::kDiskCapacity);
  EXPECT_EQ(platform.writes[1], 3000 * 40 - TextChannel::kDiskCapacity);
  EXPECT_EQ(platform.writes[2], 40);
  EXPECT_EQ(ReadLines(path), Lines(3000, line));
  EXPECT_EQ(platform.reads, std::vector<int32_t>(3, TextChannel::kDiskCapacity));
}

// A file of many buffers is read ahead on a thread of its own: the lines are the same, and a
// read that fails ends the text where it fails.
TEST(TextChannel, LongFilesReadAheadGiveTheSameLinesAndFailures) {
  ScratchDir folder;
  const std::string path = (folder / "long").string();
  Lines lines;
  std::string bytes;
  for (int i = 0; i < 60000; ++i) {
    lines.push_back("line " + std::to_string(i) + std::string(size_t(i % 37), '-'));
    bytes += lines.back() + (i % 3 == 0 ? "\n" : "\r\n");
  }
  WriteFileBytes(path, bytes);
  EXPECT_EQ(ReadLines(path), lines);

  testing::FaultPlatform platform;
  platform.fail_read_at = 10;
  ScopedPlatform scoped(platform);
  TextChannel channel;
  channel.BindName(FileName(path));
  channel.OpenForReading();
  std::string held;
  Lines read;
  while (!channel.AtEnd() && PendingIoError == 0) read.emplace_back(channel.ReadLine(held));
  EXPECT_EQ(RunCheckIo().number, int32_t(kErrorDeviceIo));
  // The whole lines of nine blocks, then the part of the next line they hold.
  const size_t whole =
      size_t(std::count(bytes.begin(), bytes.begin() + 9 * TextChannel::kDiskCapacity, '\n'));
  ASSERT_EQ(read.size(), whole + 1);
  EXPECT_EQ(Lines(read.begin(), read.end() - 1), Lines(lines.begin(), lines.begin() + whole));
  EXPECT_EQ(lines[whole].rfind(read.back(), 0), 0u);
}

// Lines of half a buffer or more written together go out in a write of their own, after the
// bytes waiting and before those that follow; a short write of them is a full disk.
TEST(TextChannel, LargeRunsOfLinesAreWrittenStraightAfterTheWaitingBytes) {
  ScratchDir folder;
  const std::string path = (folder / "t").string();
  std::string lines;
  while (lines.size() < size_t(TextChannel::kDiskCapacity / 2)) lines += "12345678\r\n";
  for (const int64_t budget : {int64_t(-1), int64_t(100)}) {
    CountingPlatform platform;
    if (budget >= 0) {
      platform.write_budget = budget;
      platform.write_error = 0;
    }
    ScopedPlatform scoped(platform);
    TextChannel channel;
    channel.BindName(FileName(path));
    channel.OpenForWriting();
    channel.WriteText("ab");
    channel.WriteLineEnd();
    channel.WriteCrLfLines(lines);
    const Checked direct = RunCheckIo();
    channel.WriteText("cd");
    channel.WriteLineEnd();
    channel.CloseChannel();
    const Checked closed = RunCheckIo();
    if (budget >= 0) {
      EXPECT_EQ(direct.message, "Disk full");
      continue;
    }
    EXPECT_EQ(closed.number, 0);
    EXPECT_EQ(platform.writes, (std::vector<int32_t>{4, int32_t(lines.size()), 4}));
    EXPECT_EQ(ReadFileBytes(path), "ab\r\n" + lines + "cd\r\n");
  }
}

// Writes 300 bytes as lines of 10 to a file whose disk takes 200 bytes.
Checked WriteToFullDisk(uint32_t write_error) {
  ScratchDir folder;
  testing::FaultPlatform platform;
  platform.write_budget = 200;
  platform.write_error = write_error;
  ScopedPlatform scoped(platform);
  TextChannel channel;
  channel.BindName(FileName((folder / "t").string()));
  channel.OpenForWriting();
  Checked first_failure;
  for (int line = 0; line < 30 && first_failure.number == 0; ++line) {
    channel.WriteText("12345678");
    channel.WriteLineEnd();
    first_failure = RunCheckIo();
  }
  if (first_failure.number == 0) {
    channel.CloseChannel();
    first_failure = RunCheckIo();
  }
  return first_failure;
}

TEST(TextChannel, FullDiskIsReported) {
  EXPECT_EQ(WriteToFullDisk(112).message, "I/O error 112");
  Checked short_write = WriteToFullDisk(0);
  EXPECT_EQ(short_write.number, 101);
  EXPECT_EQ(short_write.message, "Disk full");
}

TEST(TextChannel, RefusedOpenIsReported) {
  ScratchDir folder;
  testing::FaultPlatform platform;
  platform.refuse_open_of = "locked";
  ScopedPlatform scoped(platform);
  TextChannel channel;
  channel.BindName(FileName((folder / "locked").string()));
  channel.OpenForWriting();
  EXPECT_EQ(RunCheckIo().message, "File access denied");
  platform.open_error = kErrorSharingViolation;
  channel.OpenForReading();
  EXPECT_EQ(RunCheckIo().message, "I/O error 32");
}

TEST(TextChannel, WritesIntoALentHandleWithoutClosingIt) {
  ScratchDir folder;
  const std::string path = (folder / "lent").string();
  OsResult opened = System().Open(FileName(path), FileAccess::kReadWrite, kShareRead,
                                  FileDisposition::kCreateAlways);
  ASSERT_EQ(opened.error, 0u);
  testing::FaultPlatform platform;
  ScopedPlatform scoped(platform);
  {
    TextChannel channel;
    channel.BindName(FileName((folder / "other").string()));
    channel.OpenForWritingOn(OsHandle(opened.value));
    channel.WriteText("line");
    channel.WriteLineEnd();
    channel.CloseChannel();
    channel.OpenForWritingOn(OsHandle(opened.value));
    channel.WriteText("more");
    channel.WriteLineEnd();
    EXPECT_EQ(RunCheckIo().number, 0);
  }
  EXPECT_EQ(platform.closes, 0) << "neither closing nor destroying the channel closes it";
  EXPECT_EQ(ReadFileBytes(path), "line\r\n") << "bytes left in a destroyed channel are lost";
  EXPECT_FALSE(std::filesystem::exists(folder / "other"));
  System().Close(OsHandle(opened.value));
}

// Where the text read line by line ended at a Ctrl-Z, what follows it: the mark's offset when
// anything but further marks follows, -1 otherwise; marks and text behind the first buffer.
TEST(TextChannel, TextAfterEndMarkIsFoundBehindTheMark) {
  const std::string far(TextChannel::kDiskCapacity + 5, 'x');
  const struct {
    std::string text;
    int64_t expected;
  } cases[] = {
      {"a\r\nb\r\n", -1},
      {"a\r\n\x1A", -1},
      {"a\r\n\x1A\x1A\x1A", -1},
      {"a\r\n\x1A\x1A"
       "b",
       3},
      {"\x1A"
       "b",
       0},
      {far + "\x1A" + std::string(TextChannel::kDiskCapacity, '\x1A'), -1},
      {far + "\x1A" + std::string(TextChannel::kDiskCapacity, '\x1A') + "b", int64_t(far.size())},
  };
  ScratchDir folder;
  const std::string path = (folder / "t").string();
  for (const auto& c : cases) {
    WriteFileBytes(path, c.text);
    TextChannel channel;
    channel.BindName(FileName(path));
    channel.OpenForReading();
    std::string held;
    while (!channel.AtEnd()) channel.ReadLine(held);
    EXPECT_EQ(channel.TextAfterEndMark(), c.expected) << c.text.size();
    EXPECT_EQ(RunCheckIo().number, 0);
  }
}

}  // namespace
}  // namespace quorvex
