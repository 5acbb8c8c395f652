#ifndef QUORVEX_DRIVER_BATCH_FORM_OUTCOME_H_
#define QUORVEX_DRIVER_BATCH_FORM_OUTCOME_H_

#include <string>
#include <vector>

namespace quorvex {

enum class FormKind { kNone, kBinary, kText, kNotAForm };
enum class FormStatus { kConverted, kUnchanged, kAlreadyConverted, kSkipped, kFailed };

// What became of one place the walk found, collected by the worker that handled it and printed
// by the main thread in walk order.
struct FormOutcome {
  std::string path;
  FormKind kind = FormKind::kNone;
  FormStatus status = FormStatus::kFailed;
  int dropped = 0;  // lines dropped, continuation lines of dropped values included
  int changed = 0;  // lines rewritten
  // The run's report lines ("Skipped: ...", "  Added: ..."), or in a dry run the lines that
  // would be dropped or changed.
  std::vector<std::string> lines;
  std::string note;         // why a form was skipped or left alone
  std::string error_class;  // the class of the failure that ended the form's run
  std::string message;      // its message
};

}  // namespace quorvex

#endif  // QUORVEX_DRIVER_BATCH_FORM_OUTCOME_H_
