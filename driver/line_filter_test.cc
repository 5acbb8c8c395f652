#include "driver/line_filter.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "additions/additions_table.h"

namespace quorvex {
namespace {

// What the conversion run would write for a text: the lines kept or rewritten, and the
// console reports, each in order.
struct FilteredText {
  std::vector<std::string> lines;
  std::vector<std::string> reports;
};

FilteredText FilterText(const std::vector<std::string>& text) {
  LineFilter filter;
  FilteredText result;
  for (const std::string& line : text) {
    FilterDecision decision = filter.Filter(line);
    if (decision.action == FilterAction::kKeep) result.lines.push_back(line);
    if (decision.action == FilterAction::kRewrite) result.lines.emplace_back(decision.line);
    if (!decision.report.empty()) result.reports.emplace_back(decision.report);
  }
  return result;
}

using Lines = std::vector<std::string>;

TEST(LineFilterTest, DropsAdditionsAndRewritesScaledInAForm) {
  const FilteredText out = FilterText({
      "object Form1: TForm1",
      "  Left = 200",
      "  Font.Charset = DEFAULT_CHARSET",
      "  Font.Color = clWindowText",
      "  Scaled = True",
      "  object Edit1: TEdit",
      "    ImeMode = imDisable",
      "    Text = 'Edit1'",
      "  end",
      "end",
  });
  EXPECT_EQ(out.lines, (Lines{"object Form1: TForm1", "  Left = 200", "  Font.Color = clWindowText",
                              "  Scaled = False", "  object Edit1: TEdit", "    Text = 'Edit1'",
                              "  end", "end"}));
  EXPECT_EQ(out.reports,
            (Lines{"Skipped: TForm1.Font.Charset = DEFAULT_CHARSET",
                   "  Added: TForm1.Scaled = False", "Skipped: TEdit.ImeMode = imDisable"}));
}

TEST(LineFilterTest, ObjectHeaderSetsThePrefixAfterTheFirstColon) {
  LineFilter filter;
  EXPECT_EQ(filter.CurrentClassPrefix(), "");
  EXPECT_EQ(filter.Filter("object Form1: TForm1").action, FilterAction::kKeep);
  EXPECT_EQ(filter.CurrentClassPrefix(), "TForm1.");
  filter.Filter("  object Button1: TButton [2]");
  EXPECT_EQ(filter.CurrentClassPrefix(), "TButton [2].");
  filter.Filter("object A: B: C");
  EXPECT_EQ(filter.CurrentClassPrefix(), "B: C.");
}

TEST(LineFilterTest, LinesThatAreNoObjectHeadersLeaveThePrefix) {
  LineFilter filter;
  filter.Filter("object Form1: TForm1");
  for (const char* line : {"  inherited Edit1: TEdit", "  object TButton", "\tobject Edit1: TEdit",
                           "  Object Edit1: TEdit", "  objects Edit1: TEdit",
                           "  objectEdit1: TEdit", "  object Edit1:TEdit", "  end"}) {
    const FilterDecision decision = filter.Filter(line);
    EXPECT_EQ(decision.action, FilterAction::kKeep) << line;
    EXPECT_TRUE(decision.report.empty()) << line;
    EXPECT_EQ(filter.CurrentClassPrefix(), "TForm1.") << line;
  }
}

TEST(LineFilterTest, ClassPrefixMatchesClassesEndingWithATableClass) {
  EXPECT_EQ(FilterText({"object E: TDBEdit", "  ImeMode = imDisable"}).reports,
            Lines{"Skipped: TDBEdit.ImeMode = imDisable"});
  EXPECT_EQ(FilterText({"object E: TMyEdit", "  ImeName = 'x'"}).reports,
            Lines{"Skipped: TMyEdit.ImeName = 'x'"});
  EXPECT_TRUE(FilterText({"object L: TLabel", "  ImeMode = imDisable"}).reports.empty());
  EXPECT_EQ(FilterText({"object W: TMyWinControl", "  ParentWindow = 0"}).reports,
            Lines{"Skipped: TMyWinControl.ParentWindow = 0"});
}

TEST(LineFilterTest, FirstSearchDropsSpelledOutEntriesAnywhere) {
  EXPECT_EQ(FilterText({"Font.Charset = ANSI_CHARSET", "object L: TLabel",
                        "  TitleFont.Charset = DEFAULT_CHARSET", "  Caption = 'Font.Charset = 1'"})
                .lines,
            Lines{"object L: TLabel"});
  EXPECT_EQ(FilterText({"Font.Charset = ANSI_CHARSET"}).reports,
            Lines{"Skipped: Font.Charset = ANSI_CHARSET"});
  // Without a header the second search sees the line alone.
  EXPECT_EQ(FilterText({"  ImeMode = imDisable"}).lines, Lines{"  ImeMode = imDisable"});
}

TEST(LineFilterTest, ChildPositionInThePrefixBlocksClassPatterns) {
  const FilteredText out =
      FilterText({"object B: TSpeedButton [1]", "  Flat = True", "  Font.Charset = 1",
                  "object C: TSpeedButton", "  Flat = True"});
  EXPECT_EQ(out.lines,
            (Lines{"object B: TSpeedButton [1]", "  Flat = True", "object C: TSpeedButton"}));
}

TEST(LineFilterTest, PrefixIsNotRestoredAfterANestedObjectEnds) {
  const FilteredText out =
      FilterText({"object Form1: TForm1", "  object Edit1: TEdit", "  end", "  ImeMode = imClose"});
  EXPECT_EQ(out.reports, Lines{"Skipped: TEdit.ImeMode = imClose"});
}

TEST(LineFilterTest, InheritedObjectsKeepTheOuterPrefix) {
  const FilteredText out = FilterText({"object F: TForm1", "  inherited E: TEdit",
                                       "    ImeMode = imDisable", "    Font.Charset = 0"});
  EXPECT_EQ(out.lines,
            (Lines{"object F: TForm1", "  inherited E: TEdit", "    ImeMode = imDisable"}));
  EXPECT_EQ(out.reports, Lines{"Skipped: TForm1.Font.Charset = 0"});
}

// The same property names come back under many classes, and a class comes back after others:
// every line is dropped exactly when the search of the prefix and the line finds a pattern,
// however often its name was seen before, under more classes than the filter remembers at once.
TEST(LineFilterTest, RepeatedNamesUnderManyClassesAreSearchedLikeNewOnes) {
  std::vector<std::string> classes = {"TForm1", "TEdit", "TDBEdit", "TSpeedButton [1]", "X"};
  std::vector<std::string> names = {"Left", "Caption", "ImeMode", "Font.Charset", "", "x=y"};
  for (int index = 1; index <= kAdditionCount; index += 7) {
    const std::string entry(AdditionAt(index));
    const size_t dot = entry.find('.');
    classes.push_back("T" + entry.substr(0, dot));
    if (dot != std::string::npos) names.push_back(entry.substr(dot + 1));
  }
  const AdditionSearch& search = AdditionSearch::ForTable();
  LineFilter filter;
  std::mt19937 random(18);
  for (int object = 0; object < 5000; ++object) {
    const std::string klass =
        object % 3 == 0 ? "TMany" + std::to_string(object) : classes[random() % classes.size()];
    filter.Filter("object A: " + klass);
    for (int i = 0; i < 3; ++i) {
      std::string line = names[random() % names.size()] + " = 1";
      if (random() % 8 == 0) line += " " + names[random() % names.size()] + " = 2";
      const bool expected = search.FirstHit(klass + ".", line) != 0;
      ASSERT_EQ(filter.Filter("  " + line).action == FilterAction::kDrop, expected)
          << klass << ": " << line;
    }
  }
}

TEST(LineFilterTest, ScaledIsRewrittenOnlyWhenTheLineEndsWithIt) {
  const FilteredText out = FilterText({
      "object F: TForm1",
      "  Scaled = True",
      "  AutoScaled = True",
      "\tScaled = True",
      "  Scaled = TrueType",
      "  Caption = 'Scaled = True'",
      "  Hint = 'Scaled = True is kept'",
      "  Scaled = True ",
      "  Scaled = False",
  });
  EXPECT_EQ(out.lines,
            (Lines{"object F: TForm1", "  Scaled = False", "  AutoScaled = False",
                   "\tScaled = False", "  Scaled = TrueType", "  Caption = 'Scaled = True'",
                   "  Hint = 'Scaled = True is kept'", "  Scaled = True ", "  Scaled = False"}));
  EXPECT_EQ(out.reports, Lines(3, "  Added: TForm1.Scaled = False"));
}

TEST(LineFilterTest, ScaledIsDroppedWhenTheClassHasIt) {
  const FilteredText out = FilterText({"object F: TMyCustomForm", "  Scaled = True"});
  EXPECT_EQ(out.lines, Lines{"object F: TMyCustomForm"});
  EXPECT_EQ(out.reports, Lines{"Skipped: TMyCustomForm.Scaled = True"});
}

// A tab stays in the trimmed line, so it stands between the class prefix and the property.
TEST(LineFilterTest, TabIndentedLinesAreSearchedWithTheirTabs) {
  const FilteredText out = FilterText({"object E: TEdit", "\tFont.Charset = 1", "\tImeMode = x"});
  EXPECT_EQ(out.lines, (Lines{"object E: TEdit", "\tImeMode = x"}));
  EXPECT_EQ(out.reports, Lines{"Skipped: TEdit.\tFont.Charset = 1"});
}

TEST(LineFilterTest, LongLinesAreKeptSearchedAndReportedWhole) {
  const std::string long_text(300, 'x');
  const std::string kept = "  Caption = '" + long_text + "'";
  const std::string late_hit = "  Hint = '" + long_text + "' Font.Charset = 1";
  const std::string late_scaled = "  Hint" + long_text + "Scaled = True";
  const FilteredText out = FilterText({"object F: TForm1", kept, late_hit, late_scaled});
  EXPECT_EQ(out.lines, (Lines{"object F: TForm1", kept, "  Hint" + long_text + "Scaled = False"}));
  EXPECT_EQ(out.reports,
            (Lines{"Skipped: TForm1." + late_hit.substr(2), "  Added: TForm1.Scaled = False"}));
}

TEST(LineFilterTest, LongClassPrefixIsKeptAndSearchedWhole) {
  const std::string long_class = "T" + std::string(300, 'Q') + "Edit";
  const FilteredText out =
      FilterText({"object E: " + long_class, "  ImeMode = imOpen", "  Scaled = True"});
  EXPECT_EQ(out.reports, (Lines{"Skipped: " + long_class + ".ImeMode = imOpen",
                                "  Added: " + long_class + ".Scaled = False"}));
}

TEST(LineFilterTest, DroppedCollectionTakesItsItemsAlong) {
  const FilteredText out = FilterText({
      "  object CoolBar1: TCoolBar",
      "    Bands = <",
      "      item",
      "        Control = ToolBar1",
      "        Bitmap.Data = {",
      "          0000}",
      "        Text = 'a > b'",
      "      end>",
      "    Left = 0",
      "  end",
  });
  EXPECT_EQ(out.lines, (Lines{"  object CoolBar1: TCoolBar", "    Left = 0", "  end"}));
  EXPECT_EQ(out.reports, Lines{"Skipped: TCoolBar.Bands = <"});
}

TEST(LineFilterTest, DroppedBinaryBlockAndListTakeTheirContinuationLines) {
  const FilteredText out = FilterText({
      "object C: TClientDataSet",
      "  Data = {",
      "    0A0B0C",
      "    0D}",
      "  Tag = 1",
      "object L: TCheckListBox",
      "  Items = (",
      "    'it''s ('",
      "    '(a'",
      "    'b)')",
      "  Tag = 2",
  });
  EXPECT_EQ(out.lines, (Lines{"object C: TClientDataSet", "  Tag = 1", "object L: TCheckListBox",
                              "  Tag = 2"}));
  EXPECT_EQ(out.reports,
            (Lines{"Skipped: TClientDataSet.Data = {", "Skipped: TCheckListBox.Items = ("}));
}

TEST(LineFilterTest, ValueClosedOnTheDroppedLineDropsThatLineOnly) {
  EXPECT_EQ(FilterText({"object C: TCoolBar", "  Bands = <>", "  Tag = 1"}).lines,
            (Lines{"object C: TCoolBar", "  Tag = 1"}));
  EXPECT_EQ(FilterText({"object C: TCoolBar", "  Bands = ('x)' ('<'))", "  Tag = 1"}).lines,
            (Lines{"object C: TCoolBar", "  Tag = 1"}));
  // The value is the text after the first " = ": when it does not begin with a bracket it
  // opens nothing.
  EXPECT_EQ(FilterText({"Font.Charset = x (", "Tag = 1"}).lines, Lines{"Tag = 1"});
  EXPECT_EQ(FilterText({"Font.Charset = 1 = (", "Tag = 1"}).lines, Lines{"Tag = 1"});
}

TEST(LineFilterTest, DropEndsOnTheLineWhereTheDepthFirstComesBackToZero) {
  EXPECT_EQ(FilterText({"object C: TCoolBar", "  Bands = <", "    item", "    end> <", "  Tag = 1"})
                .lines,
            (Lines{"object C: TCoolBar", "  Tag = 1"}));
  EXPECT_EQ(FilterText({"object C: TCoolBar", "  Bands = <> <", "  Tag = 1"}).lines,
            (Lines{"object C: TCoolBar", "  Tag = 1"}));
}

TEST(LineFilterTest, KeptValuesOverSeveralLinesAreKeptWhole) {
  const Lines text = {"object M: TMemo", "  Lines.Strings = (", "    'Font.Charset')", "  Tag = 1"};
  EXPECT_EQ(FilterText(text).lines, text);
}

TEST(LineFilterTest, ValueThatNeverClosesDropsTheRestOfTheText) {
  const FilteredText out = FilterText({
      "object C: TCoolBar",
      "  Bands = <",
      "    item",
      "      Text = 'x>'",
      "    end",
      "  object T: TForm1",
      "    Scaled = True",
      "  end",
      "end",
  });
  EXPECT_EQ(out.lines, Lines{"object C: TCoolBar"});
  EXPECT_EQ(out.reports, Lines{"Skipped: TCoolBar.Bands = <"});
}

TEST(LineFilterTest, EmptyAndBlankLinesAreKept) {
  const Lines text = {"", "   ", "object F: TForm1", "", "end"};
  EXPECT_EQ(FilterText(text).lines, text);
}

}  // namespace
}  // namespace quorvex
