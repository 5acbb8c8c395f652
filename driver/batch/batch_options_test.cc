#include "driver/batch/batch_options.h"

#include <gtest/gtest.h>

namespace quorvex {
namespace {

TEST(BatchOptions, ReadsEveryOptionInBothSpellings) {
  for (const std::vector<std::string>& arguments : std::vector<std::vector<std::string>>{
           {"--dry-run", "--jobs", "4", "--overwrite-backups", "--backup-dir", "b d", "--report",
            "r.json", "a", "-", "c"},
           {"a", "--jobs=4", "--backup-dir=b d", "-", "--report=r.json", "--dry-run",
            "--overwrite-backups", "--", "c"}}) {
    ParsedOptions parsed = ParseBatchOptions(arguments);
    ASSERT_EQ(parsed.error, "");
    const BatchOptions& options = parsed.options;
    EXPECT_EQ(options.paths, (std::vector<std::string>{"a", "-", "c"}));
    EXPECT_TRUE(options.dry_run);
    EXPECT_TRUE(options.overwrite_backups);
    EXPECT_EQ(options.jobs, 4);
    EXPECT_EQ(options.backup_dir, "b d");
    EXPECT_EQ(options.report_path, "r.json");
  }
}

TEST(BatchOptions, DoubleDashEndsTheOptions) {
  ParsedOptions parsed = ParseBatchOptions({"--", "--dry-run", "-x"});
  EXPECT_EQ(parsed.error, "");
  EXPECT_FALSE(parsed.options.dry_run);
  EXPECT_EQ(parsed.options.paths, (std::vector<std::string>{"--dry-run", "-x"}));
}

TEST(BatchOptions, HelpAndVersionNeedNoPath) {
  EXPECT_TRUE(ParseBatchOptions({"--help"}).options.help);
  EXPECT_TRUE(ParseBatchOptions({"-h"}).options.help);
  EXPECT_TRUE(ParseBatchOptions({"--version"}).options.version);
  EXPECT_EQ(ParseBatchOptions({"--version"}).error, "");
}

TEST(BatchOptions, RefusesWhatCannotBeUsed) {
  const std::vector<std::pair<std::vector<std::string>, std::string>> cases = {
      {{}, "no form or folder given"},
      {{"--dry-run"}, "no form or folder given"},
      {{"--jobs"}, "option --jobs needs a value"},
      {{"--report=", "a"}, "option --report needs a value"},
      {{"--jobs", "0", "a"}, "--jobs takes a number from 1 to 256"},
      {{"--jobs", "257", "a"}, "--jobs takes a number from 1 to 256"},
      {{"--jobs", "2x", "a"}, "--jobs takes a number from 1 to 256"},
      {{"--jobs=-1", "a"}, "--jobs takes a number from 1 to 256"},
      {{"--dry-run=yes", "a"}, "option --dry-run takes no value"},
      {{"--fast", "a"}, "unknown option --fast"},
      {{"-j", "2", "a"}, "unknown option -j"},
  };
  for (const auto& [arguments, error] : cases) {
    EXPECT_EQ(ParseBatchOptions(arguments).error, error) << error;
  }
}

}  // namespace
}  // namespace quorvex
