// libFuzzer target: any bytes as a text form, converted to a form file's content.
#include <cstddef>
#include <cstdint>

#include "fuzz/text_form_to_binary_entry.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (!quorvex::TextFormToBinaryEntry(data, size)) __builtin_trap();
  return 0;
}
