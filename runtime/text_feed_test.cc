#include "runtime/text_feed.h"

#include <gtest/gtest.h>

#include <future>
#include <string>
#include <thread>

#include "runtime/platform/os_errors.h"
#include "tests/test_support.h"

namespace quorvex {
namespace {

constexpr int32_t kBlock = 4096;

// Reads the feed to its end or a failure; after stall_after blocks, stalls until resume.
std::string ReadAll(TextFeed& feed, int stall_after, std::shared_future<void> resume,
                    uint32_t& error) {
  std::string got;
  auto block = std::make_unique<char[]>(kBlock);
  for (int blocks = 0;; ++blocks) {
    if (blocks == stall_after) {
      feed.Stall(true);
      resume.wait();
      feed.Stall(false);
    }
    const OsResult result = feed.Next(block);
    error = result.error;
    if (result.error != 0 || result.value == 0) return got;
    got.append(block.get(), size_t(result.value));
  }
}

// Whether the reader keeps up or stalls early (so that the writer cuts the feed and the rest
// comes from the file), it gets every byte appended, in pieces of any size, once.
TEST(TextFeed, GivesWhatWasAppendedAndTheRestFromTheFileWhereCut) {
  testing::ScratchDir folder;
  const std::string path = (folder / "copy").string();
  for (size_t size : {size_t{0}, size_t{100}, size_t{4 * kBlock}, size_t{30 * kBlock + 77}}) {
    for (int stall_after : {-1, 0, 2}) {
      SCOPED_TRACE("size " + std::to_string(size) + ", stall after " + std::to_string(stall_after));
      const std::string content = testing::PatternBytes(size);
      testing::WriteFileBytes(path, "");
      TextFeed feed{FileName(path), kBlock};
      std::promise<void> finished;
      uint32_t error = 0;
      std::string got;
      std::thread reader(
          [&] { got = ReadAll(feed, stall_after, finished.get_future().share(), error); });
      for (size_t at = 0, piece = 1; at < size; at += piece, piece = piece * 3 % 5000 + 1) {
        feed.Append(std::string_view(content).substr(at, piece));
      }
      testing::WriteFileBytes(path, content);
      feed.Finish();
      finished.set_value();
      reader.join();
      EXPECT_EQ(error, 0u);
      EXPECT_EQ(got, content);
    }
  }
}

// A copy that fails gives its reader an error; a reader that has ended never keeps the writer
// waiting.
TEST(TextFeed, EndsEitherSideWhenTheOtherGivesUp) {
  {
    TextFeed feed{FileName("unused"), kBlock};
    std::thread reader([&] {
      auto block = std::make_unique<char[]>(kBlock);
      while (feed.Next(block).error == 0) {
      }
    });
    feed.Append(testing::PatternBytes(kBlock + 1));
    feed.Abandon();
    reader.join();
  }
  TextFeed feed{FileName("unused"), kBlock};
  feed.StopReading();
  feed.Append(testing::PatternBytes(100 * kBlock));
  feed.Finish();
  auto block = std::make_unique<char[]>(kBlock);
  EXPECT_EQ(feed.Next(block).value, 0);
}

}  // namespace
}  // namespace quorvex
