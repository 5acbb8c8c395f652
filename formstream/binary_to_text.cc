#include "formstream/binary_to_text.h"

#include "formstream/filer.h"
#include "formstream/form_resource_header.h"
#include "formstream/text_emitter.h"
#include "runtime/extended/decimal_point.h"

namespace quorvex {

void ResourceFormToText(TStream& input, TStream& output) {
  ReadFormResourceHeader(input);
  BinaryFormToText(input, output);
}

void BinaryFormToText(TStream& input, TStream& output) {
  TReader reader(input, kFilerBufferSize);
  {
    ScopedDecimalPoint point('.');
    // On a failure the writer's destructor writes out the text produced until
    // then.
    TWriter writer(output, kFilerBufferSize);
    reader.CheckFormSignature();
    TextEmitter(reader, writer).EmitObject();
    writer.Release();
  }
  reader.Release();
}

}  // namespace quorvex
