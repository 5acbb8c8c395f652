#include "runtime/process.h"

#include <cstdio>
#include <string>
#include <string_view>

#include "runtime/arguments.h"
#include "runtime/extended/decimal_point.h"
#include "runtime/platform/platform.h"
#include "runtime/text_channel.h"

namespace quorvex {
namespace {

constexpr size_t kModuleNameLimit = 63;

// "Runtime error     at 00000000" with the number's last digit at the 17th character and
// the code position right-aligned in the eight hexadecimal places.
std::string RunErrorLine(const RunError& error) {
  std::string line = "Runtime error     at 00000000";
  std::string number = std::to_string(error.number);
  if (number.size() <= 17) line.replace(17 - number.size(), number.size(), number);
  char position[9];
  snprintf(position, sizeof position, "%08X", error.code_position);
  line.replace(line.size() - 8, 8, position);
  return line;
}

// Writes text to standard error, for a report that standard output refused.
// A failure here is the last one possible and is ignored.
void WriteToStandardError(std::string_view text) {
  int32_t pending = PendingIoError;
  TextChannel error_channel(StdStream::kError);
  error_channel.BindName(FileName());
  error_channel.OpenForWriting();
  error_channel.WriteText(text);
  error_channel.CloseChannel();
  PendingIoError = pending;
}

std::string ReportOf(const Exception& failure) {
  const std::string& message = failure.Message();
  std::string stop = !message.empty() && message.back() != '.' ? "." : "";
  return FillPattern(LoadMessage(kMsgExceptionReport),
                     {failure.ClassName(), ModuleName(), failure.CodePosition(), message, stop});
}

}  // namespace

void StartRuntime() {
  PendingIoError = 0;
  ConsoleIn().BindName(FileName());
  ConsoleOut().BindName(FileName());
  DecimalPoint = System().LocaleDecimalPoint();
}

int Terminate(int code) {
  ConsoleIn().CloseChannel();
  std::string waiting(ConsoleOut().WaitingBytes());
  if (ConsoleOut().State() == ChannelState::kWriting) ConsoleOut().CloseChannel();
  if (PendingIoError == 0) return code;
  // The last console bytes never reached standard output: they go to standard error, with the
  // report of why, and the run counts as failed.
  try {
    CheckIo();
  } catch (const Exception& failure) {
    WriteToStandardError(waiting + ReportOf(failure) + "\r\n");
  }
  return code == 0 ? 1 : code;
}

std::string ModuleName() {
  std::string path = ArgumentAt(0);
  size_t separator = path.find_last_of("/\\");
  std::string name = separator == std::string::npos ? path : path.substr(separator + 1);
  if (name.size() > kModuleNameLimit) name.resize(kModuleNameLimit);
  return name;
}

void ExceptionReport(const Exception& failure) {
  std::string report = ReportOf(failure);
  try {
    // Closing writes the report out at once, so that a refusal is known here.
    ConsoleOut().WriteText(report);
    ConsoleOut().WriteLineEnd();
    ConsoleOut().CloseChannel();
    CheckIo();
  } catch (const Exception&) {
    // Standard output cannot take the report: standard error gets it instead.
    WriteToStandardError(report + "\r\n");
  }
}

void RunErrorReport(const RunError& error) {
  ConsoleOut().WriteText(RunErrorLine(error));
  ConsoleOut().WriteLineEnd();
  PendingIoError = 0;
}

}  // namespace quorvex
