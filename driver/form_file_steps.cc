#include "driver/form_file_steps.h"

#include "formstream/binary_to_text.h"
#include "runtime/streams.h"

namespace quorvex {

void FormFileToTextFile(const FileName& form_name, const FileName& text_name) {
  TFileStream source(form_name, modeReadOnly);
  // Declared second, so released (closed) first.
  TFileStream destination(text_name, modeCreate);
  ResourceFormToText(source, destination);
}

}  // namespace quorvex
