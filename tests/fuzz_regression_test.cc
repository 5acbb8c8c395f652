// Replays every input kept in fuzz/corpus/<target>/ through the entry function of its target:
// each must end with a result or with one of the tool's own exceptions, which the entry
// function absorbs, and hold what the entry function checks.
#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <functional>
#include <map>
#include <string>

#include "fuzz/form_round_trip_entry.h"
#include "fuzz/resource_form_to_text_entry.h"
#include "fuzz/text_form_to_binary_entry.h"
#include "tests/test_support.h"

namespace quorvex {
namespace {

namespace fs = std::filesystem;

using Entry = std::function<bool(const uint8_t*, size_t)>;

const std::map<std::string, Entry>& Targets() {
  static const std::map<std::string, Entry> targets = {
      {"form_round_trip", FormRoundTripEntry},
      {"resource_form_to_text",
       [](const uint8_t* data, size_t size) {
         ResourceFormToTextEntry(data, size);
         return true;
       }},
      {"text_form_to_binary", TextFormToBinaryEntry},
  };
  return targets;
}

TEST(FuzzRegressionTest, EveryKeptInputRunsCleanly) {
  fs::path corpus = fs::path(QUORVEX_SOURCE_DIR) / "fuzz" / "corpus";
  ASSERT_TRUE(fs::is_directory(corpus));
  int replayed = 0;
  for (const auto& folder : fs::directory_iterator(corpus)) {
    std::string target = folder.path().filename().string();
    auto entry = Targets().find(target);
    if (entry == Targets().end()) {
      ADD_FAILURE() << "no entry function for fuzz/corpus/" << target;
      continue;
    }
    for (const auto& input : fs::directory_iterator(folder.path())) {
      SCOPED_TRACE(input.path().string());
      std::string bytes = testing::ReadFileBytes(input.path());
      EXPECT_TRUE(entry->second(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size()));
      ++replayed;
    }
  }
  EXPECT_GT(replayed, 0);
}

}  // namespace
}  // namespace quorvex
