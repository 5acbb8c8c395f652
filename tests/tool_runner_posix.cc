#include "tests/tool_runner_posix.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/resource.h>
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

// How the child's standard handles and limits are set up.
struct ChildSetup {
  std::string program = QUORVEX_TOOL_PATH;
  int output_fd = -1;  // standard output; closed when -1
  int error_fd = -1;   // standard error; inherited when -1
  bool close_input_and_error = false;
  int64_t file_size_limit = -1;  // none when negative
};

[[noreturn]] void ExecTool(const std::vector<std::string>& arguments, const fs::path& folder,
                           const ChildSetup& setup) {
  if (chdir(folder.c_str()) != 0) _exit(127);
  int null_fd = open("/dev/null", O_RDONLY);
  dup2(null_fd, 0);
  close(null_fd);
  if (setup.error_fd >= 0) dup2(setup.error_fd, 2);
  if (setup.close_input_and_error) {
    close(0);
    close(2);
  }
  if (setup.output_fd >= 0) {
    dup2(setup.output_fd, 1);
  } else {
    close(1);
  }
  if (setup.file_size_limit >= 0) {
    // A write beyond the limit then fails with an error instead of ending the process.
    signal(SIGXFSZ, SIG_IGN);
    rlimit limit{rlim_t(setup.file_size_limit), rlim_t(setup.file_size_limit)};
    setrlimit(RLIMIT_FSIZE, &limit);
  }
  std::vector<std::string> words = LauncherWords();
  words.push_back(setup.program);
  words.insert(words.end(), arguments.begin(), arguments.end());
  std::vector<char*> argv;
  for (std::string& word : words) argv.push_back(word.data());
  argv.push_back(nullptr);
  execvp(argv[0], argv.data());
  _exit(127);
}

pid_t Start(const std::vector<std::string>& arguments, const fs::path& folder,
            const ChildSetup& setup) {
  pid_t child = fork();
  if (child == 0) ExecTool(arguments, folder, setup);
  return child;
}

// A file that captures one standard handle of the child.
class Capture {
 public:
  Capture(const ScratchDir& dir, const std::string& name) : path_(dir / name) {
    fd_ = open(path_.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  }
  ~Capture() { close(fd_); }
  int fd() const { return fd_; }
  std::string Bytes() const { return ReadFileBytes(path_); }

 private:
  fs::path path_;
  int fd_;
};

// Runs the tool with standard output on output_fd and standard error captured.
ToolRun RunCapturingError(const std::vector<std::string>& arguments, const fs::path& folder,
                          ChildSetup setup) {
  ScratchDir capture;
  Capture err(capture, "stderr");
  setup.error_fd = err.fd();
  ToolRun run;
  run.exit_code = FinishTool(Start(arguments, folder, setup));
  run.err = err.Bytes();
  return run;
}

ToolRun RunCapturing(const std::vector<std::string>& arguments, const fs::path& folder,
                     ChildSetup setup) {
  ScratchDir capture;
  Capture out(capture, "stdout");
  setup.output_fd = out.fd();
  ToolRun run = RunCapturingError(arguments, folder, setup);
  run.out = out.Bytes();
  return run;
}

}  // namespace

std::string AlwaysFullDevice() {
  return "/dev/full";
}

ToolRun RunTool(const std::vector<std::string>& arguments, const fs::path& folder) {
  return RunCapturing(arguments, folder, ChildSetup());
}

ToolRun RunToolWithoutInputAndError(const std::vector<std::string>& arguments,
                                    const fs::path& folder) {
  ChildSetup setup;
  setup.close_input_and_error = true;
  return RunCapturing(arguments, folder, setup);
}

ToolRun RunToolIntoClosedPipe(const std::vector<std::string>& arguments, const fs::path& folder) {
  int ends[2];
  if (pipe(ends) != 0) throw std::runtime_error("cannot make a pipe");
  close(ends[0]);
  ChildSetup setup;
  setup.output_fd = ends[1];
  ToolRun run = RunCapturingError(arguments, folder, setup);
  close(ends[1]);
  return run;
}

ToolRun RunToolWithOutput(const std::vector<std::string>& arguments, const fs::path& folder,
                          const std::string& output_path) {
  ChildSetup setup;
  setup.output_fd = output_path.empty() ? -1 : open(output_path.c_str(), O_WRONLY);
  ToolRun run = RunCapturingError(arguments, folder, setup);
  if (setup.output_fd >= 0) close(setup.output_fd);
  return run;
}

ToolRun RunToolWithFileSizeLimit(const std::vector<std::string>& arguments, const fs::path& folder,
                                 int64_t limit) {
  ChildSetup setup;
  setup.file_size_limit = limit;
  return RunCapturing(arguments, folder, setup);
}

ToolRun RunBatchTool(const std::vector<std::string>& arguments, const fs::path& folder) {
  ChildSetup setup;
  setup.program = QUORVEX_BATCH_TOOL_PATH;
  return RunCapturing(arguments, folder, setup);
}

pid_t StartTool(const std::vector<std::string>& arguments, const fs::path& folder,
                const std::string& output_path) {
  ChildSetup setup;
  setup.output_fd = open(output_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  pid_t child = Start(arguments, folder, setup);
  close(setup.output_fd);
  return child;
}

int FinishTool(pid_t child) {
  int status = 0;
  waitpid(child, &status, 0);
  return ExitCodeOf(status);
}

int ExitCodeOf(int status) {
  return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

StartedTool StartToolIntoPipe(const std::vector<std::string>& arguments, const fs::path& folder) {
  int ends[2];
  if (pipe2(ends, O_CLOEXEC) != 0) throw std::runtime_error("cannot make a pipe");
  ChildSetup setup;
  setup.output_fd = ends[1];
  pid_t child = Start(arguments, folder, setup);
  close(ends[1]);
  return {child, ends[0]};
}

std::string ReadToEnd(int output) {
  std::string bytes;
  char piece[4096];
  for (ssize_t got; (got = read(output, piece, sizeof piece)) > 0;)
    bytes.append(piece, size_t(got));
  close(output);
  return bytes;
}

}  // namespace quorvex::testing
