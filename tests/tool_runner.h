#ifndef QUORVEX_TESTS_TOOL_RUNNER_H_
#define QUORVEX_TESTS_TOOL_RUNNER_H_

#include <filesystem>
#include <string>
#include <vector>

namespace quorvex::testing {

// Runs the built tool as a child process, through the system's own process services (one
// implementation file per system). Only the end-to-end tests link this; the unit tests stay
// portable.

// The name the tool gives itself in its reports: the file name of the built program.
inline std::string ToolModuleName() {
  return std::filesystem::path(QUORVEX_TOOL_PATH).filename().string();
}

// A device that refuses every write for lack of space ("/dev/full"), or "" on a system that
// has none.
std::string AlwaysFullDevice();

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

// The same, with standard output sent to the file at output_path (for example the always
// full device), or closed when output_path is empty; standard error captured.
ToolRun RunToolWithOutput(const std::vector<std::string>& arguments,
                          const std::filesystem::path& folder, const std::string& output_path);

// The built quorvex-batch, run with the given arguments in folder; standard input is empty,
// standard output and standard error are captured.
ToolRun RunBatchTool(const std::vector<std::string>& arguments,
                     const std::filesystem::path& folder);

}  // namespace quorvex::testing

#endif  // QUORVEX_TESTS_TOOL_RUNNER_H_
