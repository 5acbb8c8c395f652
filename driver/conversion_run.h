#ifndef QUORVEX_DRIVER_CONVERSION_RUN_H_
#define QUORVEX_DRIVER_CONVERSION_RUN_H_

#include <string>

#include "driver/conversion_names.h"
#include "driver/line_filter.h"

namespace quorvex {

// Receives every line the filter does not keep as it was read: each dropped line
// (continuation lines of a dropped value included) and each rewritten line, in the order of
// the text, with the filter's decision on it.
class FilterObserver {
 public:
  virtual ~FilterObserver() = default;
  virtual void LineFiltered(const std::string& line, const FilterDecision& decision) = 0;
};

// Writes the report line of each decision that has one to the console output.
class ConsoleReports : public FilterObserver {
 public:
  void LineFiltered(const std::string& line, const FilterDecision& decision) override;
};

// What the form file of a run holds: a binary form, or a text form saved under a form name,
// which is copied to the text file unchanged in place of the conversion to text.
enum class FormContent { kBinary, kText };

// The conversion run on the files named by names, reporting through observer. A failure
// leaves it as an exception, with the files as the failure left them.
void RunConversion(const ConversionNames& names, FormContent content, FilterObserver& observer);

// Makes the form named by argument 1 loadable by Delphi 2.x: a binary form file is turned
// into text first; the text is copied to its backup and filtered in place, line by line,
// with every dropped and rewritten line reported on the console.
void ConversionRun();

}  // namespace quorvex

#endif  // QUORVEX_DRIVER_CONVERSION_RUN_H_
