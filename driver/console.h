#ifndef QUORVEX_DRIVER_CONSOLE_H_
#define QUORVEX_DRIVER_CONSOLE_H_

#include <string_view>

namespace quorvex {

// Writes one line to the console output and checks it; a failed write raises EInOutError.
void WriteConsoleLine(std::string_view text);

}  // namespace quorvex

#endif  // QUORVEX_DRIVER_CONSOLE_H_
