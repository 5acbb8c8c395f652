#include "runtime/process.h"

#include <cstdio>
#include <string>

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

}  // namespace

void StartRuntime() {
  PendingIoError = 0;
  ConsoleIn().BindName(FileName());
  ConsoleOut().BindName(FileName());
  DecimalPoint = System().LocaleDecimalPoint();
}

int Terminate(int code) {
  ConsoleIn().CloseChannel();
  if (ConsoleOut().State() == ChannelState::kWriting) ConsoleOut().CloseChannel();
  bool lost_output = PendingIoError != 0;
  PendingIoError = 0;
  return lost_output && code == 0 ? 1 : code;
}

std::string ModuleName() {
  std::string path = ArgumentAt(0);
  size_t separator = path.find_last_of("/\\");
  std::string name = separator == std::string::npos ? path : path.substr(separator + 1);
  if (name.size() > kModuleNameLimit) name.resize(kModuleNameLimit);
  return name;
}

void ExceptionReport(const Exception& failure) {
  const std::string& message = failure.Message();
  std::string stop = !message.empty() && message.back() != '.' ? "." : "";
  std::string report =
      FillPattern(LoadMessage(kMsgExceptionReport),
                  {failure.ClassName(), ModuleName(), failure.CodePosition(), message, stop});
  try {
    ConsoleOut().WriteText(report);
    ConsoleOut().WriteLineEnd();
    CheckIo();
  } catch (const Exception&) {
    // The console cannot take the report; the exit code still tells of the failure.
  }
}

void RunErrorReport(const RunError& error) {
  ConsoleOut().WriteText(RunErrorLine(error));
  ConsoleOut().WriteLineEnd();
  PendingIoError = 0;
}

}  // namespace quorvex
