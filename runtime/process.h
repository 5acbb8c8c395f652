#ifndef QUORVEX_RUNTIME_PROCESS_H_
#define QUORVEX_RUNTIME_PROCESS_H_

#include "runtime/exceptions.h"

namespace quorvex {

// Prepares the run-time services in their fixed order: clears the pending I/O error, binds
// the console channels and reads the locale's decimal separator.
void StartRuntime();

// Writes out and closes the console channels and gives the exit code of the process: code
// itself, or 1 when a run that would end with 0 cannot write out its console output. Console
// bytes that standard output refuses at this point go to standard error with the report of
// the failure.
int Terminate(int code);

// Writes the two-line report of a failure that nothing handled to the console, or to standard
// error when standard output cannot take it; the process ends with exit code 1 all the same.
void ExceptionReport(const Exception& failure);

// Writes the one-line report of a run-time error that cannot become an exception.
void RunErrorReport(const RunError& error);

// The program's module name for the reports: the part of its path after the last "/" or
// "\", cut to 63 characters.
std::string ModuleName();

}  // namespace quorvex

#endif  // QUORVEX_RUNTIME_PROCESS_H_
