#ifndef QUORVEX_DRIVER_BATCH_BATCH_HELP_H_
#define QUORVEX_DRIVER_BATCH_BATCH_HELP_H_

#include <string>
#include <vector>

namespace quorvex {

// The lines of quorvex-batch --help.
std::vector<std::string> BatchHelpLines();

// The line of quorvex-batch --version: the program's version and the size of its table.
std::string BatchVersionLine();

}  // namespace quorvex

#endif  // QUORVEX_DRIVER_BATCH_BATCH_HELP_H_
