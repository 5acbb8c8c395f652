#ifndef QUORVEX_FUZZ_TEXT_FORM_TO_BINARY_ENTRY_H_
#define QUORVEX_FUZZ_TEXT_FORM_TO_BINARY_ENTRY_H_

#include <cstddef>
#include <cstdint>

#include "formstream/text_to_binary.h"
#include "runtime/exceptions.h"
#include "runtime/extended/decimal_point.h"
#include "runtime/memory_stream.h"

namespace quorvex {

// Converts data as a text form to a form file's content. Every input must end either with the
// content or with one of the tool's own exceptions, and the decimal separator must come back;
// a failure must leave the output empty. Returns false when one of these does not hold (a
// crash, a hang or a foreign exception is a fault too).
inline bool TextFormToBinaryEntry(const uint8_t* data, size_t size) {
  TMemoryStream input;
  input.WriteAll(data, int32_t(size));
  input.SetOffset(0);
  TMemoryStream output;
  ScopedDecimalPoint comma(',');
  try {
    TextFormToResource(input, output);
  } catch (const Exception&) {
    if (output.Size() != 0) return false;
  }
  return DecimalPoint == ',';
}

}  // namespace quorvex

#endif  // QUORVEX_FUZZ_TEXT_FORM_TO_BINARY_ENTRY_H_
