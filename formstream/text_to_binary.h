#ifndef QUORVEX_FORMSTREAM_TEXT_TO_BINARY_H_
#define QUORVEX_FORMSTREAM_TEXT_TO_BINARY_H_

#include "runtime/streams.h"

namespace quorvex {

// Converts the text form at the input's position to a form file's content: the form resource
// header and the binary form. The form is built in memory first, so the output receives
// nothing when the conversion fails; a short write of the header or the form raises
// EWriteError.
void TextFormToResource(TStream& input, TStream& output);

// Converts the text form at the input's position to the binary form, written at the output's
// position. Afterwards the input stands at the first byte of the token behind the root
// object's "end". On a failure the bytes written so far are still in the output. The decimal
// separator is "." while the conversion runs and has its previous value again afterwards,
// failures included.
void TextFormToBinary(TStream& input, TStream& output);

}  // namespace quorvex

#endif  // QUORVEX_FORMSTREAM_TEXT_TO_BINARY_H_
