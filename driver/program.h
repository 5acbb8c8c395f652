#ifndef QUORVEX_DRIVER_PROGRAM_H_
#define QUORVEX_DRIVER_PROGRAM_H_

namespace quorvex {

// Runs the tool once on the command line of System(): start-up, banner, one mode, and the
// report of a failure. Returns the exit code of the process.
int RunProgram();

}  // namespace quorvex

#endif  // QUORVEX_DRIVER_PROGRAM_H_
