#include "driver/batch/wildcards.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "tests/test_support.h"

namespace quorvex {
namespace {

TEST(Wildcards, MatchLikeFileNames) {
  struct Case {
    const char* pattern;
    const char* name;
    bool matches;
  };
  const Case kCases[] = {
      {"*.dfm", "Main.dfm", true},
      {"*.dfm", "Main.DFM", true},
      {"*.dfm", "Main.dfm.bak", false},
      {"*.dfm", ".dfm", true},
      {"m?in.*", "main.txt", true},
      {"m?in.*", "mn.txt", false},
      {"*a*b", "xaab", true},
      {"*a*b", "xabx", false},
      {"a**", "a", true},
      {"?", "", false},
      {"", "", true},
      {"form.dfm", "FORM.dfm", true},
  };
  for (const Case& c : kCases) {
    EXPECT_EQ(MatchesWildcard(c.pattern, c.name), c.matches) << c.pattern << " " << c.name;
  }
}

TEST(Wildcards, ExpandTheLastPartOfAPathInByteOrder) {
  testing::ScratchDir folder;
  for (const char* name : {"b.dfm", "A.DFM", "c.txt", "sub"}) {
    testing::WriteFileBytes(folder / name, "x");
  }
  const std::string base = folder.path().string() + "/";
  EXPECT_EQ(
      ExpandWildcards({base + "*.dfm", base + "c.txt", base + "?.TXT"}),
      (std::vector<std::string>{base + "A.DFM", base + "b.dfm", base + "c.txt", base + "c.txt"}));
  EXPECT_EQ(ExpandWildcards({base + "*.pas", base + "no*/x.dfm"}),
            (std::vector<std::string>{base + "*.pas", base + "no*/x.dfm"}))
      << "a pattern that matches nothing, or stands in a folder part, stays as given";
}

}  // namespace
}  // namespace quorvex
