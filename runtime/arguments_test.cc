#include "runtime/arguments.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "runtime/platform/platform.h"
#include "tests/fault_platform.h"

namespace quorvex {
namespace {

// The arguments after the program name, as ArgumentCount and ArgumentAt see them.
std::vector<std::string> Split(const std::string& command_line) {
  testing::FaultPlatform platform;
  platform.command_line = command_line;
  ScopedPlatform scoped(platform);
  std::vector<std::string> arguments;
  for (int index = 1; index <= ArgumentCount(); ++index) arguments.push_back(ArgumentAt(index));
  return arguments;
}

using Arguments = std::vector<std::string>;

TEST(Arguments, SeparatorsAndQuotes) {
  EXPECT_EQ(Split("quorvex"), Arguments{});
  EXPECT_EQ(Split("quorvex  \t a \x01 b\t "), (Arguments{"a", "b"}));
  EXPECT_EQ(Split("quorvex \"my form.dfm\""), Arguments{"my form.dfm"});
  EXPECT_EQ(Split("quorvex my\" \"form.dfm"), Arguments{"my form.dfm"});
  EXPECT_EQ(Split("quorvex \"a\\\" b"), (Arguments{"a\\", "b"}));
  EXPECT_EQ(Split("quorvex x\"\""), Arguments{"x"});
  EXPECT_EQ(Split("quorvex \"a\"\"b\""), Arguments{"ab"});
  EXPECT_EQ(Split("\"C:\\Program Files\\quorvex.exe\" form"), Arguments{"form"});
  EXPECT_EQ(Split("quorvex \xE9t\xE9 \xFF"), (Arguments{"\xE9t\xE9", "\xFF"}));
}

TEST(Arguments, EmptyArgumentsEndOrAreSkipped) {
  EXPECT_EQ(Split("quorvex \"\" form.dfm"), Arguments{"form.dfm"});
  EXPECT_EQ(Split("quorvex \"\"\"\" form.dfm"), Arguments{"form.dfm"});
  EXPECT_EQ(Split("quorvex a \""), Arguments{"a"});
}

TEST(Arguments, IndexesOutsideTheArguments) {
  testing::FaultPlatform platform;
  platform.command_line = "quorvex one";
  ScopedPlatform scoped(platform);
  EXPECT_EQ(ArgumentAt(-1), "");
  EXPECT_EQ(ArgumentAt(2), "");
  EXPECT_EQ(ArgumentAt(0), platform.module_path);
}

TEST(Arguments, LongArgumentsAreKeptWhole) {
  std::string long_name(1000, 'n');
  EXPECT_EQ(Split("quorvex " + long_name), Arguments{long_name});
}

}  // namespace
}  // namespace quorvex
