#include "runtime/streams.h"

#include <gtest/gtest.h>

#include <string>

#include "runtime/exceptions.h"
#include "tests/fault_platform.h"
#include "tests/test_support.h"

namespace quorvex {
namespace {

using testing::FaultPlatform;
using testing::ReadFileBytes;
using testing::ScratchDir;
using testing::WriteFileBytes;

FileName NameOf(const std::filesystem::path& path) {
  return FileName(path.string());
}

template <class E, class F>
std::string MessageOf(F&& action) {
  try {
    action();
  } catch (const E& failure) {
    return failure.Message();
  }
  return "<no exception>";
}

TEST(FileStreamTest, CreateEmptiesAnExistingFileAndWritesGoStraightToIt) {
  ScratchDir dir;
  WriteFileBytes(dir / "OUT.TXT", "old content");
  {
    // The file is open without sharing, so the system itself is asked for its length.
    TFileStream stream(NameOf(dir / "OUT.TXT"), modeCreate);
    EXPECT_EQ(stream.TotalLength(), 0);
    stream.WriteAll("abc", 3);
    EXPECT_EQ(stream.TotalLength(), 3);
    EXPECT_EQ(stream.CurrentOffset(), 3);
  }
  EXPECT_EQ(ReadFileBytes(dir / "OUT.TXT"), "abc");
}

TEST(FileStreamTest, ReadsMovesAndMeasuresWithoutMovingThePosition) {
  ScratchDir dir;
  WriteFileBytes(dir / "IN.DFM", "0123456789");
  TFileStream stream(NameOf(dir / "IN.DFM"), modeReadOnly);
  char buffer[16] = {};
  EXPECT_EQ(stream.ReadSome(buffer, 4), 4);
  EXPECT_EQ(std::string(buffer, 4), "0123");
  EXPECT_EQ(stream.TotalLength(), 10);
  EXPECT_EQ(stream.CurrentOffset(), 4);
  EXPECT_EQ(stream.MoveTo(-2, FromEnd), 8);
  EXPECT_EQ(stream.ReadSome(buffer, 16), 2);
  EXPECT_EQ(stream.ReadSome(buffer, 16), 0);
  EXPECT_EQ(stream.SetOffset(1), 1);
  EXPECT_EQ(stream.MoveTo(2, FromCurrent), 3);
  EXPECT_EQ(stream.MoveTo(0, 7), -1);
}

TEST(FileStreamTest, FailuresToOpenOrCreateNameTheFile) {
  ScratchDir dir;
  std::string missing = (dir / "MISSING.DFM").string();
  EXPECT_EQ(MessageOf<EFOpenError>([&] { TFileStream(FileName(missing), modeReadOnly); }),
            "Cannot open file " + missing);
  std::string nowhere = (dir / "NO" / "FOLDER.TXT").string();
  EXPECT_EQ(MessageOf<EFCreateError>([&] { TFileStream(FileName(nowhere), modeCreate); }),
            "Cannot create file " + nowhere);
}

TEST(FileStreamTest, MessagesNameTheDerivedName) {
  ScratchDir dir;
  std::string derived = (dir / "FORM.DFM").string();
  std::string typed = (dir / "form.dfm").string();
  EXPECT_EQ(MessageOf<EFOpenError>([&] { TFileStream(FileName(derived, typed), modeReadOnly); }),
            "Cannot open file " + derived);
}

TEST(FileStreamTest, RefusedAccessRaisesTheOpenOrCreateError) {
  ScratchDir dir;
  WriteFileBytes(dir / "LOCKED", "x");
  FaultPlatform faults;
  faults.refuse_open_of = (dir / "LOCKED").string();
  ScopedPlatform scoped(faults);
  EXPECT_THROW(TFileStream(NameOf(dir / "LOCKED"), modeReadOnly), EFOpenError);
  EXPECT_THROW(TFileStream(NameOf(dir / "LOCKED"), modeCreate), EFCreateError);
  EXPECT_EQ(ReadFileBytes(dir / "LOCKED"), "x");
}

TEST(FileStreamTest, OpenModesChooseAccessAndSharing) {
  ScratchDir dir;
  WriteFileBytes(dir / "F", "x");
  FaultPlatform faults;
  ScopedPlatform scoped(faults);
  struct Case {
    uint16_t mode;
    FileAccess access;
    unsigned share;
  };
  const Case cases[] = {
      {modeReadOnly, FileAccess::kRead, kShareNone},
      {0x0011, FileAccess::kWrite, kShareNone},
      {0x0022, FileAccess::kReadWrite, kShareRead},
      {0x0030, FileAccess::kRead, kShareWrite},
      {0x0040, FileAccess::kRead, kShareRead | kShareWrite},
  };
  for (const Case& c : cases) {
    TFileStream stream(NameOf(dir / "F"), c.mode);
    EXPECT_EQ(faults.last_access, c.access) << c.mode;
    EXPECT_EQ(faults.last_share, c.share) << c.mode;
    EXPECT_EQ(faults.last_disposition, FileDisposition::kOpenExisting);
  }
  { TFileStream created(NameOf(dir / "G"), modeCreate); }
  EXPECT_EQ(faults.last_access, FileAccess::kReadWrite);
  EXPECT_EQ(faults.last_share, unsigned(kShareNone));
  EXPECT_EQ(faults.last_disposition, FileDisposition::kCreateAlways);
  // Access 3 and sharing above 4 mean nothing and are refused.
  EXPECT_THROW(TFileStream(NameOf(dir / "F"), 0x0003), EFOpenError);
  EXPECT_THROW(TFileStream(NameOf(dir / "F"), 0x0050), EFOpenError);
}

TEST(FileStreamTest, DestructionClosesTheHandle) {
  ScratchDir dir;
  FaultPlatform faults;
  ScopedPlatform scoped(faults);
  { TFileStream stream(NameOf(dir / "F"), modeCreate); }
  EXPECT_EQ(faults.closes, 1);
}

TEST(FileStreamTest, SystemFailuresGiveZeroOrMinusOneAndWriteAllRaises) {
  ScratchDir dir;
  WriteFileBytes(dir / "IN", "data");
  FaultPlatform faults;
  ScopedPlatform scoped(faults);
  TFileStream input(NameOf(dir / "IN"), modeReadOnly);
  faults.read_error = 30;
  char buffer[4];
  EXPECT_EQ(input.ReadSome(buffer, 4), 0);
  faults.seek_error = kErrorSeek;
  EXPECT_EQ(input.MoveTo(0, FromStart), -1);

  {
    TFileStream full(NameOf(dir / "FULL"), modeCreate);
    faults.write_budget = 5;
    full.WriteAll("12", 2);
    EXPECT_EQ(full.WriteSome("345678", 6), 0);  // disk full part-way: a failure
    EXPECT_EQ(MessageOf<EWriteError>([&] { full.WriteAll("9", 1); }), "Stream write error");
  }
  EXPECT_EQ(ReadFileBytes(dir / "FULL"), "12345") << "read once the unshared file is closed";

  TFileStream short_write(NameOf(dir / "SHORT"), modeCreate);
  faults.write_budget = 3;
  faults.write_error = 0;  // the system writes fewer bytes without reporting a failure
  EXPECT_EQ(short_write.WriteSome("abcdef", 6), 3);
  EXPECT_THROW(short_write.WriteAll("gh", 2), EWriteError);
  short_write.WriteAll("", 0);
}

// A stream class that implements none of the three basic operations.
class BareStream : public TStream {};

TEST(StreamTest, OperationsWithoutImplementationAreRunTimeError210) {
  BareStream bare;
  char byte = 0;
  auto number_of = [](auto&& action) {
    try {
      action();
    } catch (const RunError& error) {
      return error.number;
    }
    return 0;
  };
  EXPECT_EQ(number_of([&] { bare.ReadSome(&byte, 1); }), 210);
  EXPECT_EQ(number_of([&] { bare.WriteSome(&byte, 1); }), 210);
  EXPECT_EQ(number_of([&] { bare.MoveTo(0, FromStart); }), 210);
  EXPECT_EQ(number_of([&] { bare.TotalLength(); }), 210);
  EXPECT_EQ(number_of([&] { bare.WriteAll(&byte, 1); }), 210);
  bare.WriteAll(&byte, 0);  // nothing to write: no call at all
}

}  // namespace
}  // namespace quorvex
