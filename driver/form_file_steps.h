#ifndef QUORVEX_DRIVER_FORM_FILE_STEPS_H_
#define QUORVEX_DRIVER_FORM_FILE_STEPS_H_

#include "runtime/file_name.h"

namespace quorvex {

// The steps around the filter of a form file's run. Each opens its source first, so a source
// that cannot be opened leaves the destination untouched, and writes the destination through
// a replacement that takes its place in one step only once it is complete: on any failure the
// destination keeps the bytes it had (or stays absent) and no temporary file is left.

// Turns the form file form_name into its text form in the file text_name.
void FormFileToTextFile(const FileName& form_name, const FileName& text_name);

// Copies the form file form_name, which holds a text form, byte for byte to the file
// text_name.
void CopyFormFileText(const FileName& form_name, const FileName& text_name);

// Turns the text form in the file text_name into a form file under form_name: the form
// resource header and the binary form.
void TextFileToFormFile(const FileName& text_name, const FileName& form_name);

}  // namespace quorvex

#endif  // QUORVEX_DRIVER_FORM_FILE_STEPS_H_
