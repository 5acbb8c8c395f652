#ifndef QUORVEX_TESTS_TOOL_RUNNER_POSIX_H_
#define QUORVEX_TESTS_TOOL_RUNNER_POSIX_H_

#include <sys/types.h>

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "tests/tool_runner.h"

namespace quorvex::testing {

// Runs of the built tool that only POSIX processes give: file size limits, processes started
// without waiting and killed at will.

// The same as RunTool, with no file the tool writes allowed to grow beyond limit bytes (as on
// a disk that fills up there).
ToolRun RunToolWithFileSizeLimit(const std::vector<std::string>& arguments,
                                 const std::filesystem::path& folder, int64_t limit);

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

#endif  // QUORVEX_TESTS_TOOL_RUNNER_POSIX_H_
