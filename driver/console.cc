#include "driver/console.h"

#include "runtime/text_channel.h"

namespace quorvex {

void WriteConsoleLine(std::string_view text) {
  ConsoleOut().WriteText(text);
  ConsoleOut().WriteLineEnd();
  CheckIo();
}

void WriteConsoleLine(std::string_view before, int32_t count, std::string_view after) {
  ConsoleOut().WriteText(before);
  ConsoleOut().WriteInteger(count, 0);
  WriteConsoleLine(after);
}

}  // namespace quorvex
