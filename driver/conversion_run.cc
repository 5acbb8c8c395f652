#include "driver/conversion_run.h"

#include <limits>
#include <string>

#include "driver/console.h"
#include "driver/conversion_names.h"
#include "driver/form_file_steps.h"
#include "driver/line_filter.h"
#include "runtime/arguments.h"
#include "runtime/exceptions.h"
#include "runtime/text_channel.h"

namespace quorvex {
namespace {

constexpr size_t kWholeLine = std::numeric_limits<size_t>::max();

bool CheckedAtEnd(TextChannel& channel) {
  bool at_end = channel.AtEnd();
  CheckIo();
  return at_end;
}

std::string ReadCheckedLine(TextChannel& channel) {
  std::string line;
  channel.ReadLinePart(line, kWholeLine);
  channel.SkipLine();
  CheckIo();
  return line;
}

void WriteCheckedLine(TextChannel& channel, const std::string& line) {
  channel.WriteText(line);
  channel.WriteLineEnd();
  CheckIo();
}

void CopyLines(TextChannel& from, TextChannel& to) {
  while (!CheckedAtEnd(from)) WriteCheckedLine(to, ReadCheckedLine(from));
}

void FilterLines(TextChannel& from, TextChannel& to, FilterObserver& observer) {
  LineFilter filter;
  while (!CheckedAtEnd(from)) {
    std::string line = ReadCheckedLine(from);
    FilterDecision decision = filter.Filter(line);
    if (decision.action == FilterAction::kKeep) WriteCheckedLine(to, line);
    if (decision.action == FilterAction::kRewrite) WriteCheckedLine(to, decision.line);
    if (decision.action != FilterAction::kKeep) observer.LineFiltered(line, decision);
  }
}

// Each channel operation below is checked at once; a pending I/O error ends the run.
void OpenForReadingChecked(TextChannel& channel) {
  channel.OpenForReading();
  CheckIo();
}

void OpenForWritingChecked(TextChannel& channel) {
  channel.OpenForWriting();
  CheckIo();
}

void CloseChecked(TextChannel& channel) {
  channel.CloseChannel();
  CheckIo();
}

// Copies the text to its backup, then filters the backup back into the text.
void BackUpAndFilter(const ConversionNames& names, FilterObserver& observer) {
  TextChannel text;
  TextChannel backup;
  text.BindName(names.text);
  OpenForReadingChecked(text);
  backup.BindName(names.backup);
  OpenForWritingChecked(backup);
  CopyLines(text, backup);
  OpenForReadingChecked(backup);
  OpenForWritingChecked(text);
  FilterLines(backup, text, observer);
  CloseChecked(text);
  CloseChecked(backup);
}

// This version cannot turn the filtered text back into a binary form: the form file keeps
// its bytes, and the run fails so that nobody takes the form file for converted.
[[noreturn]] void RefuseTextToFormFile(const ConversionNames& names) {
  RaiseFilled<EFilerError>(kMsgTextToFormUnsupported, {names.form.name});
}

}  // namespace

void ConsoleReports::LineFiltered(const std::string&, const FilterDecision& decision) {
  if (decision.report) WriteConsoleLine(*decision.report);
}

void RunConversion(const ConversionNames& names, FormContent content, FilterObserver& observer) {
  if (names.is_form && content == FormContent::kBinary) FormFileToTextFile(names.form, names.text);
  if (names.is_form && content == FormContent::kText) CopyFormFileText(names.form, names.text);
  BackUpAndFilter(names, observer);
  if (names.is_form) RefuseTextToFormFile(names);
}

void ConversionRun() {
  ConsoleReports console;
  RunConversion(DeriveConversionNames(ArgumentAt(1)), FormContent::kBinary, console);
}

}  // namespace quorvex
