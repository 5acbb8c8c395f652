#include "runtime/memory_stream.h"

#include <gtest/gtest.h>

#include <string>

#include "runtime/exceptions.h"

namespace quorvex {
namespace {

std::string ContentOf(const TCustomMemoryStream& stream) {
  return std::string(reinterpret_cast<const char*>(stream.Memory()), size_t(stream.Size()));
}

TEST(MemoryStreamTest, GrowsInStepsOf8192KeepingItsContent) {
  TMemoryStream stream;
  EXPECT_EQ(stream.Capacity(), 0);
  EXPECT_EQ(stream.Memory(), nullptr);
  EXPECT_EQ(stream.WriteSome("a", 1), 1);
  EXPECT_EQ(stream.Capacity(), 8192);
  EXPECT_EQ(stream.Size(), 1);
  EXPECT_EQ(stream.CurrentOffset(), 1);

  TMemoryStream exact;
  std::string block(8192, 'x');
  exact.WriteAll(block.data(), 8192);
  EXPECT_EQ(exact.Capacity(), 8192);
  exact.WriteAll("y", 1);
  EXPECT_EQ(exact.Capacity(), 16384);
  EXPECT_EQ(ContentOf(exact), block + "y");
}

TEST(MemoryStreamTest, WritingNothingChangesNothing) {
  TMemoryStream stream;
  EXPECT_EQ(stream.WriteSome("a", 0), 0);
  EXPECT_EQ(stream.Capacity(), 0);
  stream.WriteAll("abc", 3);
  stream.MoveTo(100, FromStart);
  EXPECT_EQ(stream.WriteSome("a", 0), 0);
  EXPECT_EQ(stream.Size(), 3);
}

TEST(MemoryStreamTest, PositionMayLieBeyondTheEndOrBelowZero) {
  TMemoryStream stream;
  stream.WriteAll("0123456789", 10);
  EXPECT_EQ(stream.MoveTo(100, FromStart), 100);
  char buffer[8];
  EXPECT_EQ(stream.ReadSome(buffer, 8), 0);
  EXPECT_EQ(stream.WriteSome("ab", 2), 2);
  EXPECT_EQ(stream.Size(), 102);
  EXPECT_EQ(ContentOf(stream), "0123456789" + std::string(90, '\0') + "ab");

  EXPECT_EQ(stream.MoveTo(-200, FromCurrent), -98);
  EXPECT_EQ(stream.ReadSome(buffer, 8), 0);
  EXPECT_EQ(stream.WriteSome("z", 1), 0);
  EXPECT_EQ(stream.MoveTo(-4, FromEnd), 98);
  EXPECT_EQ(stream.MoveTo(5, 3), 98);  // an unknown origin leaves the position
  EXPECT_EQ(stream.ReadSome(buffer, -1), 0);
  EXPECT_EQ(stream.ReadSome(buffer, 8), 4);
  EXPECT_EQ(stream.TotalLength(), 102);
  EXPECT_EQ(stream.CurrentOffset(), 102);
}

TEST(MemoryStreamTest, ResizeRoundsUpFreesAndFailsCleanly) {
  TMemoryStream stream;
  stream.Resize(1);
  EXPECT_EQ(stream.Capacity(), 8192);
  stream.WriteAll("abc", 3);
  stream.Resize(8193);
  EXPECT_EQ(stream.Capacity(), 16384);
  EXPECT_EQ(ContentOf(stream), "abc");

  try {
    stream.Resize(0x7FFFF000);  // rounds up past the largest size
    FAIL();
  } catch (const EStreamError& error) {
    EXPECT_EQ(error.Message(), "Out of memory while expanding memory stream");
  }
  EXPECT_EQ(stream.Capacity(), 16384);
  EXPECT_EQ(ContentOf(stream), "abc");

  stream.Resize(0);
  EXPECT_EQ(stream.Capacity(), 0);
  EXPECT_EQ(stream.Memory(), nullptr);
  EXPECT_EQ(stream.Size(), 0);
}

TEST(MemoryStreamTest, ShrinkingBelowTheSizeCutsTheSize) {
  TMemoryStream stream;
  std::string block(10000, 'q');
  stream.WriteAll(block.data(), 10000);
  stream.Resize(100);
  EXPECT_EQ(stream.Capacity(), 8192);
  EXPECT_EQ(stream.Size(), 8192);
  stream.SetOffset(0);
  std::string back(9000, '\0');
  EXPECT_EQ(stream.ReadSome(back.data(), 9000), 8192);
}

TEST(MemoryStreamTest, AWriteThatWouldEndPastTheLargestSizeWritesNothing) {
  TMemoryStream stream;
  stream.SetOffset(0x7FFFFFF0);
  EXPECT_EQ(stream.WriteSome("0123456789abcdefg", 17), 0);
  EXPECT_THROW(stream.WriteAll("0123456789abcdefg", 17), EWriteError);
  EXPECT_EQ(stream.Capacity(), 0);
}

TEST(MemoryStreamTest, ClearEmptiesEverything) {
  TMemoryStream stream;
  stream.WriteAll("abc", 3);
  stream.Clear();
  EXPECT_EQ(stream.Size(), 0);
  EXPECT_EQ(stream.CurrentOffset(), 0);
  EXPECT_EQ(stream.Capacity(), 0);
}

TEST(MemoryStreamTest, ACustomMemoryStreamCannotBeWritten) {
  TCustomMemoryStream stream;
  EXPECT_THROW(stream.WriteSome("a", 1), RunError);
}

}  // namespace
}  // namespace quorvex
