// libFuzzer target: any bytes as a form file, converted to text.
#include <cstddef>
#include <cstdint>

#include "fuzz/resource_form_to_text_entry.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  quorvex::ResourceFormToTextEntry(data, size);
  return 0;
}
