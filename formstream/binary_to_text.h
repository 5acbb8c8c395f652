#ifndef QUORVEX_FORMSTREAM_BINARY_TO_TEXT_H_
#define QUORVEX_FORMSTREAM_BINARY_TO_TEXT_H_

#include "runtime/streams.h"

namespace quorvex {

// Converts a form file's content, the form resource header and the binary form behind it, to
// the text form, written at the output's position.
void ResourceFormToText(TStream& input, TStream& output);

// Converts the binary form at the input's position to the text form, written at the output's
// position. Afterwards the input stands just behind the root object's closing end byte. On a
// failure the text written so far is still in the output. The decimal separator is "." while
// the conversion runs and has its previous value again afterwards, failures included.
void BinaryFormToText(TStream& input, TStream& output);

}  // namespace quorvex

#endif  // QUORVEX_FORMSTREAM_BINARY_TO_TEXT_H_
