#include "formstream/text_to_binary.h"

#include "formstream/filer.h"
#include "formstream/form_parser.h"
#include "formstream/form_resource_header.h"
#include "formstream/parser.h"
#include "runtime/extended/decimal_point.h"
#include "runtime/memory_stream.h"

namespace quorvex {

void TextFormToResource(TStream& input, TStream& output) {
  TMemoryStream form;
  TextFormToBinary(input, form);
  WriteFormResource(form, output);
}

void TextFormToBinary(TStream& input, TStream& output) {
  TParser parser(input);
  ScopedDecimalPoint point('.');
  // On a failure the writer's destructor writes out the bytes produced until then.
  TWriter writer(output, kFilerBufferSize);
  writer.PutSignature();
  FormParser(parser, writer).ParseObject();
  writer.Release();
}

}  // namespace quorvex
