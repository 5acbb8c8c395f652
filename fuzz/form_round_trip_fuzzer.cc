// libFuzzer target: a binary form built from the input, taken to text and back, must come back
// byte for byte.
#include <cstddef>
#include <cstdint>

#include "fuzz/form_round_trip_entry.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (!quorvex::FormRoundTripEntry(data, size)) __builtin_trap();
  return 0;
}
