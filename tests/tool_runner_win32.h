#ifndef QUORVEX_TESTS_TOOL_RUNNER_WIN32_H_
#define QUORVEX_TESTS_TOOL_RUNNER_WIN32_H_

#include <windows.h>

#include <filesystem>
#include <string>
#include <vector>

#include "tests/tool_runner.h"

namespace quorvex::testing {

// A run of the built tool started without waiting, its standard output a pipe that nobody
// reads until Finish: once the pipe is full, the tool waits in the middle of its run, holding
// what it holds. Standard error is captured.
class HeldRun {
 public:
  HeldRun(const std::vector<std::string>& arguments, const std::filesystem::path& folder);
  ~HeldRun();
  HeldRun(const HeldRun&) = delete;
  HeldRun& operator=(const HeldRun&) = delete;

  // True while the tool has not ended.
  bool Running() const;
  // Reads the pipe to its end, waits for the tool and gives what it wrote and its exit code.
  ToolRun Finish();

 private:
  std::filesystem::path error_path_;
  HANDLE process_ = nullptr;
  HANDLE output_ = nullptr;  // the reading end of the pipe
};

}  // namespace quorvex::testing

#endif  // QUORVEX_TESTS_TOOL_RUNNER_WIN32_H_
