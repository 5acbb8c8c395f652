#ifndef QUORVEX_TESTS_TOOL_RUNNER_H_
#define QUORVEX_TESTS_TOOL_RUNNER_H_

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
  std::string err;  // everything written to standard error (RunBatchTool only)
};
ToolRun RunTool(const std::vector<std::string>& arguments, const std::filesystem::path& folder);

// The same, with standard input and standard error closed.
ToolRun RunToolWithoutInputAndError(const std::vector<std::string>& arguments,
                                    const std::filesystem::path& folder);

// The same, with standard output a pipe that nobody reads any more; returns the exit code.
int RunToolIntoClosedPipe(const std::vector<std::string>& arguments,
                          const std::filesystem::path& folder);

// The same, with standard output sent to the file at output_path (for example /dev/full),
// or closed when output_path is empty; returns the exit code.
int RunToolWithOutput(const std::vector<std::string>& arguments,
                      const std::filesystem::path& folder, const std::string& output_path);

// The built quorvex-batch, run with the given arguments in folder; standard input is empty,
// standard output and standard error are files.
ToolRun RunBatchTool(const std::vector<std::string>& arguments,
                     const std::filesystem::path& folder);

}  // namespace quorvex::testing

#endif  // QUORVEX_TESTS_TOOL_RUNNER_H_
