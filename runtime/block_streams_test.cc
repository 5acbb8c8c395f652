#include "runtime/block_streams.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "runtime/exceptions.h"
#include "tests/test_streams.h"

namespace quorvex {
namespace {

using testing::ContentOf;
using testing::Fill;
using testing::RecordingStream;

// A memory stream that records the size of every read.
class CountingSource : public TMemoryStream {
 public:
  int32_t ReadSome(void* buffer, int32_t count) override {
    reads.push_back(count);
    return TMemoryStream::ReadSome(buffer, count);
  }
  std::vector<int32_t> reads;
};

std::string Numbered(size_t length) {
  std::string bytes(length, '\0');
  for (size_t i = 0; i < length; ++i) bytes[i] = char(i * 7 + i / 251);
  return bytes;
}

TEST(ReadAheadStreamTest, SmallPiecesCostOneReadPerBlockAndLargeOnesGoStraightThrough) {
  const std::string bytes = Numbered(3 * size_t(kStreamBlockSize) + 100);
  CountingSource source;
  Fill(source, bytes);
  TReadAheadStream stream(source);
  std::string back;
  char piece[100];
  // Pieces that do not divide the block, then one of more than a block, then the rest.
  while (back.size() < size_t(kStreamBlockSize) + 50) {
    back.append(piece, size_t(stream.ReadSome(piece, 70)));
  }
  std::string large(size_t(kStreamBlockSize) + 10, '\0');
  back.append(large.data(), size_t(stream.ReadSome(large.data(), int32_t(large.size()))));
  for (int32_t got; (got = stream.ReadSome(piece, 100)) > 0;) back.append(piece, size_t(got));
  EXPECT_EQ(back, bytes);
  EXPECT_EQ(source.reads.front(), kStreamBlockSize);
  EXPECT_LE(source.reads.size(), 8u);
  EXPECT_EQ(stream.ReadSome(piece, 100), 0);
}

TEST(ReadAheadStreamTest, FillsEveryReadUntilTheDataEnds) {
  const std::string bytes = Numbered(size_t(kStreamBlockSize) + 30);
  TMemoryStream source;
  Fill(source, bytes);
  TReadAheadStream stream(source);
  std::string first(size_t(kStreamBlockSize) - 20, '\0');
  EXPECT_EQ(stream.ReadSome(first.data(), int32_t(first.size())), int32_t(first.size()));
  char rest[100];
  // The piece spans the end of the block: the next block completes it.
  EXPECT_EQ(stream.ReadSome(rest, 40), 40);
  EXPECT_EQ(stream.ReadSome(rest, 100), 10);
  EXPECT_EQ(std::string(rest, 10), bytes.substr(bytes.size() - 10));
}

TEST(ReadAheadStreamTest, MovesWithinTheBlockAndBeyondIt) {
  const std::string bytes = Numbered(2 * size_t(kStreamBlockSize));
  CountingSource source;
  Fill(source, bytes);
  TReadAheadStream stream(source);
  char piece[10];
  stream.ReadSome(piece, 10);
  EXPECT_EQ(stream.CurrentOffset(), 10);
  // Back within the block: no further read of the source.
  EXPECT_EQ(stream.MoveTo(-4, FromCurrent), 6);
  EXPECT_EQ(stream.ReadSome(piece, 2), 2);
  EXPECT_EQ(std::string(piece, 2), bytes.substr(6, 2));
  EXPECT_EQ(source.reads.size(), 1u);
  // Forward past the block, from the start and from the end: the source moves.
  EXPECT_EQ(stream.MoveTo(kStreamBlockSize, FromCurrent), kStreamBlockSize + 8);
  EXPECT_EQ(stream.ReadSome(piece, 3), 3);
  EXPECT_EQ(std::string(piece, 3), bytes.substr(size_t(kStreamBlockSize) + 8, 3));
  EXPECT_EQ(stream.MoveTo(-5, FromCurrent), kStreamBlockSize + 6);
  EXPECT_EQ(stream.TotalLength(), int32_t(bytes.size()));
  EXPECT_EQ(stream.CurrentOffset(), kStreamBlockSize + 6);
  EXPECT_EQ(stream.SetOffset(1), 1);
  EXPECT_EQ(stream.ReadSome(piece, 1), 1);
  EXPECT_EQ(piece[0], bytes[1]);
  EXPECT_EQ(stream.MoveTo(-3, FromEnd), int32_t(bytes.size()) - 3);
  EXPECT_EQ(stream.ReadSome(piece, 10), 3);
  // Giving back what was read ahead leaves the source just behind what was consumed.
  stream.SetOffset(0);
  stream.ReadSome(piece, 5);
  EXPECT_EQ(stream.MoveTo(0, FromCurrent), 5);
  EXPECT_EQ(stream.MoveTo(INT32_MIN, FromCurrent), -1);
}

TEST(WriteBehindStreamTest, GathersSmallPiecesIntoBlocksAndPassesLargeOnes) {
  RecordingStream destination;
  std::string expected;
  {
    TWriteBehindStream stream(destination);
    const std::string piece = Numbered(1000);
    for (int i = 0; i < 70; ++i) {
      EXPECT_EQ(stream.WriteSome(piece.data(), 1000), 1000);
      expected += piece;
    }
    const std::string large = Numbered(size_t(kStreamBlockSize) + 1);
    EXPECT_EQ(stream.WriteSome(large.data(), int32_t(large.size())), int32_t(large.size()));
    expected += large;
    EXPECT_EQ(stream.WriteSome("xyz", 3), 3);
    EXPECT_EQ(stream.WriteSome("xyz", 0), 0);
    expected += "xyz";
    stream.Flush();
  }
  EXPECT_EQ(destination.writes, (std::vector<int32_t>{65000, 5000, kStreamBlockSize + 1, 3}));
  EXPECT_EQ(ContentOf(destination), expected);
}

TEST(WriteBehindStreamTest, MovesAfterHandingOverAndDropsWhatIsNotFlushed) {
  RecordingStream destination;
  {
    TWriteBehindStream stream(destination);
    stream.WriteAll("abcdef", 6);
    EXPECT_EQ(stream.MoveTo(-2, FromCurrent), 4);
    stream.WriteAll("XY", 2);
    stream.Flush();
    stream.WriteAll("lost", 4);
  }
  EXPECT_EQ(ContentOf(destination), "abcdXY");
}

TEST(WriteBehindStreamTest, ARefusedBlockFailsTheWriteThatHandsItOver) {
  RecordingStream destination;
  destination.limit = 10;
  TWriteBehindStream stream(destination);
  EXPECT_EQ(stream.WriteSome("0123456789ab", 12), 12);
  EXPECT_THROW(stream.Flush(), EWriteError);

  RecordingStream full;
  full.limit = 0;
  TWriteBehindStream blocked(full);
  const std::string block = Numbered(size_t(kStreamBlockSize));
  EXPECT_EQ(blocked.WriteSome(block.data(), 100), 100);
  EXPECT_EQ(blocked.WriteSome(block.data(), kStreamBlockSize), 0);
  EXPECT_EQ(blocked.MoveTo(0, FromStart), 0);
  try {
    blocked.WriteAll(block.data(), kStreamBlockSize);
    blocked.Flush();
    FAIL();
  } catch (const EWriteError& error) {
    EXPECT_EQ(error.Message(), "Stream write error");
  }
}

}  // namespace
}  // namespace quorvex
