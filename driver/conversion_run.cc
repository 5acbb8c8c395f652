#include "driver/conversion_run.h"

#include "driver/console.h"
#include "driver/conversion_names.h"
#include "driver/form_file_steps.h"
#include "driver/line_passes.h"
#include "driver/run_guards.h"
#include "runtime/arguments.h"
#include "runtime/platform/platform.h"
#include "runtime/replacement_file.h"
#include "runtime/text_channel.h"

namespace quorvex {
namespace {

// Each channel operation below is checked at once; a pending I/O error ends the run.
void OpenForReadingChecked(TextChannel& channel) {
  channel.OpenForReading();
  CheckIo();
}

void CloseChecked(TextChannel& channel) {
  channel.CloseChannel();
  CheckIo();
}

// The channel writes into the replacement's temporary; a temporary that could not be created
// fails like the creation of the file itself.
void OpenForWritingChecked(TextChannel& channel, const ReplacementFile& replacement) {
  if (replacement.Error() != 0) {
    PendingIoError = int32_t(replacement.Error());
  } else {
    channel.OpenForWritingOn(replacement.Handle());
  }
  CheckIo();
}

// Copies the text to its backup, which is complete and on the disk before the filter starts.
// A text that goes on after its end mark is refused before the backup takes its place.
void BackUp(TextChannel& text, const ConversionNames& names) {
  ReplacementFile replacement(names.backup);
  TextChannel backup;
  backup.BindName(names.backup);
  OpenForWritingChecked(backup, replacement);
  CopyLines(text, backup);
  CheckNothingFollowsEndMark(text, names.text);
  CloseChecked(backup);
  replacement.CommitOrRaise();
}

// Copies the text to its backup, then filters the backup into a replacement of the text,
// which takes the text's place only once the filter has finished. The replacement is the
// caller's, so that the replaced text stays held until the run ends.
void BackUpAndFilter(const ConversionNames& names, ReplacementFile& filtered,
                     FilterObserver& observer) {
  TextChannel text;
  text.BindName(names.text);
  OpenForReadingChecked(text);
  BackUp(text, names);
  TextChannel backup;
  backup.BindName(names.backup);
  OpenForReadingChecked(backup);
  OpenForWritingChecked(text, filtered);
  FilterLines(backup, text, observer);
  CloseChecked(text);
  observer.ReportsComplete();
  filtered.CommitOrRaise();
  CloseChecked(backup);
}

}  // namespace

void ConsoleReports::LineFiltered(std::string_view, const FilterDecision& decision) {
  if (!decision.report.empty()) WriteConsoleLine(decision.report);
}

// Closing the console channel writes out its bytes and leaves it open.
void ConsoleReports::ReportsComplete() {
  CloseChecked(ConsoleOut());
}

void RunConversion(const ConversionNames& names, FormContent content, FilterObserver& observer) {
  ScopedFolderMemory memory;
  RunGuard guard(names);
  if (names.is_form && content == FormContent::kBinary) FormFileToTextFile(names.form, names.text);
  if (names.is_form && content == FormContent::kText) CopyFormFileText(names.form, names.text);
  ReplacementFile filtered(names.text);
  BackUpAndFilter(names, filtered, observer);
  if (names.is_form) TextFileToFormFile(names.text, names.form);
}

void ConversionRun() {
  ConsoleReports console;
  RunConversion(DeriveConversionNames(ArgumentAt(1)), FormContent::kBinary, console);
}

}  // namespace quorvex
