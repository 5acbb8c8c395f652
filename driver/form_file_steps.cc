#include "driver/form_file_steps.h"

#include "formstream/binary_to_text.h"
#include "formstream/text_to_binary.h"
#include "runtime/block_streams.h"
#include "runtime/exceptions.h"
#include "runtime/replacement_file.h"
#include "runtime/streams.h"

namespace quorvex {
namespace {

// Opens source_name, then writes what convert makes of it into a replacement of
// destination_name, which takes the destination's place in one step once complete. A
// replacement that cannot be made fails as the creation of the destination itself would; on
// any failure the destination keeps its bytes and the replacement is removed. Both files are
// read and written in large blocks, whatever the pieces the conversion reads and writes.
template <class Conversion>
void ConvertIntoReplacement(const FileName& source_name, const FileName& destination_name,
                            Conversion convert) {
  TFileStream source(source_name, modeReadOnly);
  ReplacementFile replacement(destination_name);
  if (replacement.Error() != 0) {
    RaiseFilled<EFCreateError>(kMsgCreateError, {destination_name.name});
  }
  THandleStream destination(replacement.Handle());
  TReadAheadStream source_blocks(source);
  TWriteBehindStream destination_blocks(destination);
  convert(source_blocks, destination_blocks);
  destination_blocks.Flush();
  replacement.CommitOrRaise();
}

}  // namespace

void FormFileToTextFile(const FileName& form_name, const FileName& text_name) {
  ConvertIntoReplacement(form_name, text_name, ResourceFormToText);
}

void CopyFormFileText(const FileName& form_name, const FileName& text_name) {
  ConvertIntoReplacement(form_name, text_name, CopyAll);
}

void TextFileToFormFile(const FileName& text_name, const FileName& form_name) {
  ConvertIntoReplacement(text_name, form_name, TextFormToResource);
}

}  // namespace quorvex
