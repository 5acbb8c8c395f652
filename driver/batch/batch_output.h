#ifndef QUORVEX_DRIVER_BATCH_BATCH_OUTPUT_H_
#define QUORVEX_DRIVER_BATCH_BATCH_OUTPUT_H_

#include <cstdint>
#include <string>
#include <vector>

#include "driver/batch/form_outcome.h"

namespace quorvex {

// The totals of a batch, for its summary.
struct BatchTotals {
  int64_t seen = 0;
  int64_t converted = 0;
  int64_t unchanged = 0;
  int64_t skipped = 0;  // already converted ones included
  int64_t failed = 0;
  int64_t dropped = 0;
  int64_t changed = 0;

  void Add(const FormOutcome& outcome);
};

// The console lines of one outcome: the status line ("converted          PATH (3 dropped,
// 1 changed)") and below it, indented, the lines the run reported.
std::vector<std::string> OutcomeLines(const FormOutcome& outcome, bool dry_run);

// The summary line.
std::string SummaryLine(const BatchTotals& totals, bool dry_run);

// One line of the JSON report (without its line end).
std::string OutcomeJson(const FormOutcome& outcome, bool dry_run);

// text as a JSON string literal; bytes from 0x80 up pass unchanged.
std::string JsonString(const std::string& text);

}  // namespace quorvex

#endif  // QUORVEX_DRIVER_BATCH_BATCH_OUTPUT_H_
