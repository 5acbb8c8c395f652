#ifndef QUORVEX_DRIVER_CONSOLE_H_
#define QUORVEX_DRIVER_CONSOLE_H_

#include <cstdint>
#include <string_view>

namespace quorvex {

// Writes one line to the console output and checks it; a failed write raises EInOutError.
void WriteConsoleLine(std::string_view text);

// Writes one line made of before, the count in decimal and after, and checks it.
void WriteConsoleLine(std::string_view before, int32_t count, std::string_view after);

}  // namespace quorvex

#endif  // QUORVEX_DRIVER_CONSOLE_H_
