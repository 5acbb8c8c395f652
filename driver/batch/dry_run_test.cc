#include "driver/batch/dry_run.h"

#include <gtest/gtest.h>

#include "driver/batch/form_content.h"

namespace quorvex {
namespace {

TEST(DryRun, SplitsLinesAsTheConversionRunReadsThem) {
  using Lines = std::vector<std::string_view>;
  const std::vector<std::pair<std::string_view, Lines>> cases = {
      {"", {}},
      {"a", {"a"}},
      {"a\r\n", {"a"}},
      {"a\r\nb", {"a", "b"}},
      {"a\rb\nc\r\n\r\nd", {"a", "b", "c", "", "d"}},
      {"\n\n", {"", ""}},
      {"a\r\nb\x1A"
       "c\r\n",
       {"a", "b"}},
      {"\x1A"
       "a",
       {}},
  };
  for (const auto& [text, lines] : cases) EXPECT_EQ(SplitTextLines(text), lines) << text;
}

TEST(DryRun, ListsEveryLineThatWouldBeDroppedOrChanged) {
  FormOutcome outcome;
  FilterInMemory(
      "object F: TCoolBar\r\n"
      "  Bands = <\r\n"
      "    item\r\n"
      "    end>\r\n"
      "  Scaled = True\r\n"
      "  Left = 1\r\n"
      "end\r\n",
      outcome);
  EXPECT_EQ(outcome.dropped, 3);
  EXPECT_EQ(outcome.changed, 1);
  EXPECT_EQ(outcome.lines, (std::vector<std::string>{
                               "line 2: -   Bands = <",
                               "line 3: -     item",
                               "line 4: -     end>",
                               "line 5: -   Scaled = True",
                               "line 5: +   Scaled = False",
                           }));
}

TEST(FormContent, TellsTextFromBinaryFromAnythingElse) {
  const std::string header(
      "\xFF\x0A\x00"
      "FORM1\x00\x30\x10\x04\x00\x00\x00TPF0",
      18);
  const std::vector<std::pair<std::string, std::optional<FormContent>>> cases = {
      {"object Form1: TForm1\r\n", FormContent::kText},
      {"INHERITED Form1: TForm1", FormContent::kText},
      {"\xEF\xBB\xBF\r\n \t Object F: T", FormContent::kText},
      {"object", FormContent::kText},
      {"objects F: T", std::nullopt},
      {"// object", std::nullopt},
      {"\xEF\xBB object F: T", std::nullopt},
      {header, FormContent::kBinary},
      {header.substr(0, 3), FormContent::kBinary},
      {header.substr(0, 2), std::nullopt},
      {"TPF0", std::nullopt},
      {"", std::nullopt},
  };
  for (const auto& [start, content] : cases) EXPECT_EQ(ContentOfStart(start), content) << start;
}

}  // namespace
}  // namespace quorvex
