#include "driver/form_file_steps.h"

#include <vector>

#include "formstream/binary_to_text.h"
#include "runtime/exceptions.h"
#include "runtime/streams.h"

namespace quorvex {
namespace {
constexpr int32_t kCopyPiece = 65536;
}  // namespace

void FormFileToTextFile(const FileName& form_name, const FileName& text_name) {
  TFileStream source(form_name, modeReadOnly);
  // Declared second, so released (closed) first.
  TFileStream destination(text_name, modeCreate);
  ResourceFormToText(source, destination);
}

void CopyFormFileText(const FileName& form_name, const FileName& text_name) {
  TFileStream source(form_name, modeReadOnly);
  TFileStream destination(text_name, modeCreate);
  std::vector<char> buffer(kCopyPiece);
  int64_t copied = 0;
  while (int32_t got = source.ReadSome(buffer.data(), kCopyPiece)) {
    destination.WriteAll(buffer.data(), got);
    copied += got;
  }
  // A failed read looks like the end of the file; a copy shorter than the file is an error.
  if (copied != source.TotalLength()) Raise<EReadError>(kMsgReadError);
}

}  // namespace quorvex
