#ifndef QUORVEX_DRIVER_BATCH_FORM_CONTENT_H_
#define QUORVEX_DRIVER_BATCH_FORM_CONTENT_H_

#include <optional>
#include <string_view>

#include "driver/conversion_run.h"
#include "runtime/file_name.h"

namespace quorvex {

// What the first bytes of a form file show: a text form when, after an optional UTF-8
// byte-order mark and white space, they read "object" or "inherited" in any letter case; a
// binary form when they hold a form resource header; nothing for anything else.
std::optional<FormContent> ContentOfStart(std::string_view start);

// Reads the start of the form file and tells what it holds. Raises EFOpenError when the file
// cannot be opened.
std::optional<FormContent> ContentOfFormFile(const FileName& form);

}  // namespace quorvex

#endif  // QUORVEX_DRIVER_BATCH_FORM_CONTENT_H_
