#include "driver/conversion_run.h"

#include <string>
#include <string_view>

#include "driver/console.h"
#include "driver/conversion_names.h"
#include "driver/form_file_steps.h"
#include "driver/line_filter.h"
#include "runtime/arguments.h"
#include "runtime/exceptions.h"
#include "runtime/text_channel.h"

namespace quorvex {
namespace {

bool CheckedAtEnd(TextChannel& channel) {
  bool at_end = channel.AtEnd();
  CheckIo();
  return at_end;
}

// The line stays valid until the next read from channel; held keeps a line that does not lie
// whole in the channel's buffer, so the loops below copy and allocate nothing per line.
std::string_view ReadCheckedLine(TextChannel& channel, std::string& held) {
  std::string_view line = channel.ReadLine(held);
  CheckIo();
  return line;
}

void WriteCheckedLine(TextChannel& channel, std::string_view line) {
  channel.WriteText(line);
  channel.WriteLineEnd();
  CheckIo();
}

void CopyLines(TextChannel& from, TextChannel& to) {
  std::string held;
  while (!CheckedAtEnd(from)) WriteCheckedLine(to, ReadCheckedLine(from, held));
}

void FilterLines(TextChannel& from, TextChannel& to) {
  LineFilter filter;
  std::string held;
  while (!CheckedAtEnd(from)) {
    std::string_view line = ReadCheckedLine(from, held);
    FilterDecision decision = filter.Filter(line);
    if (decision.action == FilterAction::kKeep) WriteCheckedLine(to, line);
    if (decision.action == FilterAction::kRewrite) WriteCheckedLine(to, decision.line);
    if (!decision.report.empty()) WriteConsoleLine(decision.report);
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
void BackUpAndFilter(const ConversionNames& names) {
  TextChannel text;
  TextChannel backup;
  text.BindName(names.text);
  OpenForReadingChecked(text);
  backup.BindName(names.backup);
  OpenForWritingChecked(backup);
  CopyLines(text, backup);
  OpenForReadingChecked(backup);
  OpenForWritingChecked(text);
  FilterLines(backup, text);
  CloseChecked(text);
  CloseChecked(backup);
}

// This version cannot turn the filtered text back into a binary form: the form file keeps
// its bytes, and the run fails so that nobody takes the form file for converted.
[[noreturn]] void RefuseTextToFormFile(const ConversionNames& names) {
  RaiseFilled<EFilerError>(kMsgTextToFormUnsupported, {names.form.name});
}

}  // namespace

void ConversionRun() {
  ConversionNames names = DeriveConversionNames(ArgumentAt(1));
  if (names.is_form) FormFileToTextFile(names.form, names.text);
  BackUpAndFilter(names);
  if (names.is_form) RefuseTextToFormFile(names);
}

}  // namespace quorvex
