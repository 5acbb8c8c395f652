#ifndef QUORVEX_DRIVER_CONVERSION_NAMES_H_
#define QUORVEX_DRIVER_CONVERSION_NAMES_H_

#include <string>

#include "runtime/file_name.h"

namespace quorvex {

// The files one conversion run works on, derived from its argument. Every rule looks only at
// the file-name part (the text after the last "/" or "\"); the folder part is kept as typed,
// upper-cased like the rest. Names are never cut.
struct ConversionNames {
  bool is_form = false;  // the file-name part contains ".DFM": a binary form file
  FileName form;         // the argument upper-cased, with ".DFM" when it has no "."
  FileName text;         // the form name without its first ".DFM", with ".TXT"; else the form name
  FileName backup;       // the text name cut at its first ".", with ".BAK" (".~BA" for a .BAK text)
};

ConversionNames DeriveConversionNames(const std::string& argument);

}  // namespace quorvex

#endif  // QUORVEX_DRIVER_CONVERSION_NAMES_H_
