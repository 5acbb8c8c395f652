#include "runtime/read_ahead.h"

#include <gtest/gtest.h>

#include <string>

#include "runtime/platform/os_errors.h"
#include "tests/fault_platform.h"
#include "tests/test_support.h"

namespace quorvex {
namespace {

constexpr int32_t kBlock = 4096;

// Files of no block, part of one, one, and many and a part, read with no failure or with one
// at the first, fourth and ninth read: the blocks come as reads in turn give them, the failure
// in its place; asked again, the next read is made, as it would have been.
TEST(ReadAhead, GivesTheBlocksOfReadsInTurnAndFailuresInTheirPlace) {
  testing::ScratchDir folder;
  const std::string path = (folder / "file").string();
  for (size_t size : {size_t{0}, size_t{100}, size_t{kBlock}, size_t{20 * kBlock + 123}}) {
    const std::string content = testing::PatternBytes(size);
    testing::WriteFileBytes(path, content);
    const int reads_to_end = int(size / kBlock) + 2;  // the last one gives 0
    for (int fail_at : {0, 1, 4, 9}) {
      SCOPED_TRACE("size " + std::to_string(size) + ", failing read " + std::to_string(fail_at));
      testing::FaultPlatform platform;
      platform.fail_read_at = fail_at;
      ScopedPlatform scoped(platform);
      OsResult opened = System().Open(FileName(path), FileAccess::kRead, kShareRead,
                                      FileDisposition::kOpenExisting);
      ASSERT_EQ(opened.error, 0u);
      std::string got;
      {
        ReadAhead ahead(OsHandle(opened.value), kBlock);
        auto block = std::make_unique<char[]>(kBlock);
        for (int read = 1; read <= reads_to_end; ++read) {
          const OsResult result = ahead.Next(block);
          if (read == fail_at) {
            EXPECT_EQ(result.error, kErrorDeviceIo);
            const OsResult again = ahead.Next(block);
            EXPECT_EQ(again.error, 0u);
            EXPECT_EQ(std::string(block.get(), size_t(again.value)),
                      content.substr(got.size(), size_t(again.value)));
            break;
          }
          ASSERT_EQ(result.error, 0u);
          EXPECT_EQ(result.value,
                    read < reads_to_end ? std::min<int64_t>(kBlock, size - got.size()) : 0);
          got.append(block.get(), size_t(result.value));
        }
      }
      System().Close(OsHandle(opened.value));
      const bool fails = fail_at != 0 && fail_at <= reads_to_end;
      EXPECT_EQ(got, fails ? content.substr(0, size_t(fail_at - 1) * kBlock) : content);
    }
  }
}

// Closing before the end stops the thread, whether it is reading or resting.
TEST(ReadAhead, StopsWhenClosedEarly) {
  testing::ScratchDir folder;
  const std::string path = (folder / "file").string();
  testing::WriteFileBytes(path, testing::PatternBytes(40 * kBlock));
  for (int taken : {0, 1, 5}) {
    OsResult opened = System().Open(FileName(path), FileAccess::kRead, kShareRead,
                                    FileDisposition::kOpenExisting);
    ASSERT_EQ(opened.error, 0u);
    {
      ReadAhead ahead(OsHandle(opened.value), kBlock);
      auto block = std::make_unique<char[]>(kBlock);
      for (int i = 0; i < taken; ++i) EXPECT_EQ(ahead.Next(block).value, kBlock);
    }
    System().Close(OsHandle(opened.value));
  }
}

}  // namespace
}  // namespace quorvex
