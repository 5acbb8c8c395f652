#ifndef QUORVEX_FUZZ_RESOURCE_FORM_TO_TEXT_ENTRY_H_
#define QUORVEX_FUZZ_RESOURCE_FORM_TO_TEXT_ENTRY_H_

#include <cstddef>
#include <cstdint>

#include "formstream/binary_to_text.h"
#include "runtime/exceptions.h"
#include "runtime/memory_stream.h"

namespace quorvex {

// An output stream that takes every byte and keeps none, so that the time of a run goes to the
// conversion rather than to growing a block of text.
class DiscardingStream : public TStream {
 public:
  int32_t WriteSome(const void*, int32_t count) override { return count > 0 ? count : 0; }
};

// Converts data as a form file to text. Every input must end either with the text or with
// one of the tool's own exceptions; anything else (a crash, a hang, a foreign exception) is a
// fault.
inline void ResourceFormToTextEntry(const uint8_t* data, size_t size) {
  TMemoryStream input;
  input.WriteAll(data, int32_t(size));
  input.SetOffset(0);
  DiscardingStream output;
  try {
    ResourceFormToText(input, output);
  } catch (const Exception&) {
    // A clean failure with a report.
  }
}

}  // namespace quorvex

#endif  // QUORVEX_FUZZ_RESOURCE_FORM_TO_TEXT_ENTRY_H_
