#ifndef QUORVEX_DRIVER_FORM_FILE_STEPS_H_
#define QUORVEX_DRIVER_FORM_FILE_STEPS_H_

#include "runtime/file_name.h"

namespace quorvex {

// Turns the form file form_name into its text form in the file text_name. The form file is
// opened before the text file is created, so a form file that cannot be opened leaves the text
// file untouched; on a failure of the conversion the text file keeps what was written.
void FormFileToTextFile(const FileName& form_name, const FileName& text_name);

// Copies the form file form_name, which holds a text form, byte for byte to the file
// text_name, opening and creating in the same order as FormFileToTextFile.
void CopyFormFileText(const FileName& form_name, const FileName& text_name);

}  // namespace quorvex

#endif  // QUORVEX_DRIVER_FORM_FILE_STEPS_H_
