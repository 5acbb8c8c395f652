#include "driver/console.h"

#include "runtime/text_channel.h"

namespace quorvex {

void WriteConsoleLine(std::string_view text) {
  ConsoleOut().WriteText(text);
  ConsoleOut().WriteLineEnd();
  CheckIo();
}

}  // namespace quorvex
