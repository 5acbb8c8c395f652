#ifndef QUORVEX_FORMSTREAM_FORM_RESOURCE_HEADER_H_
#define QUORVEX_FORMSTREAM_FORM_RESOURCE_HEADER_H_

#include "runtime/memory_stream.h"
#include "runtime/streams.h"

namespace quorvex {

// Checks the form resource header at the stream's position and leaves the stream on the first
// byte behind it. Raises EInvalidImage "Invalid stream format" when the stream does not start
// with the header of a data resource.
void ReadFormResourceHeader(TStream& input);

// Writes the form resource header for the binary form held in form, then the form itself, to
// output. The resource is named after the root object's class name in upper case (a to z only).
void WriteFormResource(const TCustomMemoryStream& form, TStream& output);

}  // namespace quorvex

#endif  // QUORVEX_FORMSTREAM_FORM_RESOURCE_HEADER_H_
