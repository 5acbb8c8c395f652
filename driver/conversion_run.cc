#include "driver/conversion_run.h"

#include "driver/conversion_names.h"
#include "driver/form_file_steps.h"
#include "driver/line_passes.h"
#include "runtime/arguments.h"
#include "runtime/exceptions.h"
#include "runtime/text_channel.h"

namespace quorvex {
namespace {

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
