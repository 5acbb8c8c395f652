#ifndef QUORVEX_TESTS_TOOL_RUNNER_H_
#define QUORVEX_TESTS_TOOL_RUNNER_H_

#include <sys/types.h>

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace quorvex::testing {

// Runs the built tool as a child process (POSIX only: fork and exec). Only the end-to-end
// tests link this; the unit tests stay portable.

// The built tool, run with the given arguments in folder; standard input is empty.
struct ToolRun {
  int exit_code = -1;
  std::string out;  // everything written to standard output
  std::string err;  // everything written to standard error, where the run captures it
};
ToolRun RunTool(const std::vector<std::string>& arguments, const std::filesystem::path& folder);

// The same, with standard input and standard error closed.
ToolRun RunToolWithoutInputAndError(const std::vector<std::string>& arguments,
                                    const std::filesystem::path& folder);

// The same, with standard output a pipe that nobody reads any more; standard error captured.
ToolRun RunToolIntoClosedPipe(const std::vector<std::string>& arguments,
                              const std::filesystem::path& folder);

// The same, with standard output sent to the file at output_path (for example /dev/full),
// or closed when output_path is empty; standard error captured.
ToolRun RunToolWithOutput(const std::vector<std::string>& arguments,
                          const std::filesystem::path& folder, const std::string& output_path);

// The same as RunTool, with no file the tool writes allowed to grow beyond limit bytes (as on
// a disk that fills up there).
ToolRun RunToolWithFileSizeLimit(const std::vector<std::string>& arguments,
                                 const std::filesystem::path& folder, int64_t limit);

// The built quorvex-batch, run with the given arguments in folder; standard input is empty,
// standard output and standard error are captured.
ToolRun RunBatchTool(const std::vector<std::string>& arguments,
                     const std::filesystem::path& folder);

// Starts the tool without waiting for it, standard output to the file at output_path;
// FinishTool waits for it and gives its exit code (128 + the signal when one ended it).
pid_t StartTool(const std::vector<std::string>& arguments, const std::filesystem::path& folder,
                const std::string& output_path);
int FinishTool(pid_t child);

// A tool started without waiting, its standard output a pipe that the caller reads; the tool
// stops once the pipe is full until the caller reads more.
struct StartedTool {
  pid_t pid;
  int output;  // the reading end of the pipe
};
StartedTool StartToolIntoPipe(const std::vector<std::string>& arguments,
                              const std::filesystem::path& folder);
// Everything the tool writes until it closes its end; the reading end is closed afterwards.
std::string ReadToEnd(int output);
// The exit code of a child that waitpid reported with status.
int ExitCodeOf(int status);

}  // namespace quorvex::testing

#endif  // QUORVEX_TESTS_TOOL_RUNNER_H_
