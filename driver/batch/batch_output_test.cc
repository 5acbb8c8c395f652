#include "driver/batch/batch_output.h"

#include <gtest/gtest.h>

namespace quorvex {
namespace {

FormOutcome Outcome(FormStatus status, std::string path) {
  FormOutcome outcome;
  outcome.status = status;
  outcome.path = std::move(path);
  return outcome;
}

TEST(BatchOutput, OneStatusLineWithTheRunsReportsBelow) {
  FormOutcome converted = Outcome(FormStatus::kConverted, "a/Main.dfm");
  converted.kind = FormKind::kBinary;
  converted.dropped = 3;
  converted.changed = 1;
  converted.lines = {"Skipped: TForm1.Font.Charset = DEFAULT_CHARSET"};
  EXPECT_EQ(OutcomeLines(converted, false),
            (std::vector<std::string>{"converted          a/Main.dfm (3 dropped, 1 changed)",
                                      "    Skipped: TForm1.Font.Charset = DEFAULT_CHARSET"}));
  EXPECT_EQ(OutcomeLines(converted, true)[0],
            "would convert      a/Main.dfm (3 dropped, 1 changed)");
  FormOutcome old = Outcome(FormStatus::kAlreadyConverted, "b.dfm");
  old.note = "backup exists";
  EXPECT_EQ(OutcomeLines(old, false)[0], "already converted  b.dfm (backup exists)");
  FormOutcome failed = Outcome(FormStatus::kFailed, "c \"1\".dfm");
  failed.error_class = "EReadError";
  failed.message = "Invalid property value";
  EXPECT_EQ(OutcomeLines(failed, false)[0],
            "failed             c \"1\".dfm: Invalid property value");
  EXPECT_EQ(OutcomeJson(failed, false),
            "{\"path\":\"c \\\"1\\\".dfm\",\"kind\":null,\"status\":\"failed\",\"dropped\":0,"
            "\"changed\":0,\"error_class\":\"EReadError\",\"message\":\"Invalid property value\"}");
  EXPECT_EQ(OutcomeJson(old, true),
            "{\"path\":\"b.dfm\",\"kind\":null,\"status\":\"already_converted\",\"dropped\":0,"
            "\"changed\":0,\"error_class\":null,\"message\":\"backup exists\"}");
  EXPECT_NE(OutcomeJson(converted, true).find("\"kind\":\"binary\",\"status\":\"would_convert\""),
            std::string::npos);
}

TEST(BatchOutput, SummaryCountsEveryStatus) {
  BatchTotals totals;
  FormOutcome converted = Outcome(FormStatus::kConverted, "a");
  converted.dropped = 5;
  converted.changed = 2;
  for (const FormOutcome& outcome :
       {converted, converted, Outcome(FormStatus::kUnchanged, "b"),
        Outcome(FormStatus::kAlreadyConverted, "c"), Outcome(FormStatus::kSkipped, "d"),
        Outcome(FormStatus::kFailed, "e")}) {
    totals.Add(outcome);
  }
  EXPECT_EQ(SummaryLine(totals, false),
            "6 forms: 2 converted, 1 unchanged, 2 skipped, 1 failed; 10 lines dropped, 4 changed");
  EXPECT_EQ(SummaryLine(BatchTotals{1}, true),
            "1 form (dry run, nothing written): 0 to convert, 0 unchanged, 0 skipped, 0 failed; "
            "0 lines to drop, 0 to change");
}

TEST(BatchOutput, JsonStringsEscapeQuotesBackslashesAndControlBytes) {
  EXPECT_EQ(JsonString("a\"b\\c\x01\x7f\xc3\xa9\t"),
            "\"a\\\"b\\\\c\\u0001\\u007f\xc3\xa9\\u0009\"");
}

}  // namespace
}  // namespace quorvex
