#ifndef QUORVEX_DRIVER_CONVERSION_RUN_H_
#define QUORVEX_DRIVER_CONVERSION_RUN_H_

#include <string_view>

#include "driver/conversion_names.h"
#include "driver/filter_observer.h"

namespace quorvex {

// Writes the report line of each decision that has one to the console output, and writes the
// console out once the reports are complete, so that a console that can no longer be written
// ends the run before the filtered text replaces the text.
class ConsoleReports : public FilterObserver {
 public:
  void LineFiltered(FilterAction action, std::string_view report) override;
  void ReportsComplete() override;
};

// What the form file of a run holds: a binary form, or a text form saved under a form name,
// which is copied to the text file unchanged in place of the conversion to text. Either way
// the filtered text is turned into a binary form that replaces the form file.
enum class FormContent { kBinary, kText };

// The conversion run on the files named by names, reporting through observer. A failure
// leaves it as an exception, with the files as the failure left them.
void RunConversion(const ConversionNames& names, FormContent content, FilterObserver& observer);

// Makes the form named by argument 1 loadable by Delphi 2.x: a binary form file is turned
// into text first; the text is copied to its backup and filtered in place, line by line,
// with every dropped and rewritten line reported on the console; the filtered text of a form
// file is then turned back into the binary form that replaces it.
void ConversionRun();

}  // namespace quorvex

#endif  // QUORVEX_DRIVER_CONVERSION_RUN_H_
