#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <sstream>
#include <stdexcept>

#include "tests/test_support.h"
#include "tests/tool_runner.h"

namespace quorvex::testing {
namespace fs = std::filesystem;

namespace {

// The program that runs the tool when it is built for another processor (an emulator and its
// options, separated by spaces), or nothing.
std::vector<std::string> LauncherWords() {
  std::vector<std::string> words;
  std::istringstream launcher(QUORVEX_TOOL_LAUNCHER);
  for (std::string word; launcher >> word;) words.push_back(word);
  return words;
}

// Runs the tool in folder with its standard output on output_fd (closed when it is -1);
// returns the exit code.
int RunWithStdout(const std::vector<std::string>& arguments, const fs::path& folder, int output_fd,
                  bool close_input_and_error = false) {
  pid_t child = fork();
  if (child == 0) {
    if (chdir(folder.c_str()) != 0) _exit(127);
    int null_fd = open("/dev/null", O_RDONLY);
    dup2(null_fd, 0);
    close(null_fd);
    if (close_input_and_error) {
      close(0);
      close(2);
    }
    if (output_fd >= 0) {
      dup2(output_fd, 1);
    } else {
      close(1);
    }
    std::vector<std::string> words = LauncherWords();
    words.push_back(QUORVEX_TOOL_PATH);
    words.insert(words.end(), arguments.begin(), arguments.end());
    std::vector<char*> argv;
    for (std::string& word : words) argv.push_back(word.data());
    argv.push_back(nullptr);
    execvp(argv[0], argv.data());
    _exit(127);
  }
  int status = 0;
  waitpid(child, &status, 0);
  return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

}  // namespace

std::string AlwaysFullDevice() {
  return "/dev/full";
}

ToolRun RunTool(const std::vector<std::string>& arguments, const fs::path& folder) {
  ScratchDir capture;
  fs::path out_path = capture / "stdout";
  int out_fd = open(out_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  ToolRun run;
  run.exit_code = RunWithStdout(arguments, folder, out_fd);
  close(out_fd);
  run.out = ReadFileBytes(out_path);
  return run;
}

ToolRun RunToolWithoutInputAndError(const std::vector<std::string>& arguments,
                                    const fs::path& folder) {
  ScratchDir capture;
  fs::path out_path = capture / "stdout";
  int out_fd = open(out_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  ToolRun run;
  run.exit_code = RunWithStdout(arguments, folder, out_fd, true);
  close(out_fd);
  run.out = ReadFileBytes(out_path);
  return run;
}

int RunToolIntoClosedPipe(const std::vector<std::string>& arguments, const fs::path& folder) {
  int ends[2];
  if (pipe(ends) != 0) throw std::runtime_error("cannot make a pipe");
  close(ends[0]);
  int code = RunWithStdout(arguments, folder, ends[1]);
  close(ends[1]);
  return code;
}

int RunToolWithOutput(const std::vector<std::string>& arguments, const fs::path& folder,
                      const std::string& output_path) {
  int out_fd = output_path.empty() ? -1 : open(output_path.c_str(), O_WRONLY);
  int code = RunWithStdout(arguments, folder, out_fd);
  if (out_fd >= 0) close(out_fd);
  return code;
}

}  // namespace quorvex::testing
