#ifndef QUORVEX_DRIVER_CONVERSION_RUN_H_
#define QUORVEX_DRIVER_CONVERSION_RUN_H_

namespace quorvex {

// Makes the form named by argument 1 loadable by Delphi 2.x: a binary form file is turned
// into text first; the text is copied to its backup and filtered in place, line by line,
// with every dropped and rewritten line reported on the console.
void ConversionRun();

}  // namespace quorvex

#endif  // QUORVEX_DRIVER_CONVERSION_RUN_H_
