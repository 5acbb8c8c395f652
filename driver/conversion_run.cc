#include "driver/conversion_run.h"

#include "driver/checked_channels.h"
#include "driver/console.h"
#include "driver/conversion_names.h"
#include "driver/filter_during_copy.h"
#include "driver/form_file_steps.h"
#include "driver/line_passes.h"
#include "driver/run_guards.h"
#include "runtime/arguments.h"
#include "runtime/platform/platform.h"
#include "runtime/replacement_file.h"
#include "runtime/text_channel.h"

namespace quorvex {
namespace {

// Copies the text to its backup, which is complete and on the disk before anything the filter
// does shows.
// A text that goes on after its end mark is refused before the backup takes its place.
void BackUp(TextChannel& text, const ConversionNames& names, CopiedText& also) {
  ReplacementFile replacement(names.backup);
  TextChannel backup;
  backup.BindName(names.backup);
  OpenForWritingChecked(backup, replacement);
  CopyLines(text, backup, also);
  CheckNothingFollowsEndMark(text, names.text);
  CloseChecked(backup);
  replacement.CommitOrRaise();
}

// Copies the text to its backup, then filters the backup into a replacement of the text,
// which takes the text's place only once the filter has finished. The replacement is the
// caller's, so that the replaced text stays held until the run ends. A long text is filtered
// while the copy goes on.
void BackUpAndFilter(const ConversionNames& names, ReplacementFile& filtered,
                     FilterObserver& observer) {
  TextChannel text;
  text.BindName(names.text);
  OpenForReadingChecked(text);
  // A long text is filtered on the other processor; reading ahead would only compete with it.
  text.ReadWithoutThread();
  FilterDuringCopy during(names, filtered, observer);
  BackUp(text, names, during);
  if (during.Started()) {
    CloseChecked(text);
    during.Finish();
    observer.ReportsComplete();
    filtered.CommitOrRaise();
    return;
  }
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

void ConsoleReports::LineFiltered(FilterAction, std::string_view report) {
  if (!report.empty()) WriteConsoleLine(report);
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
