#include "tests/tool_runner_win32.h"

#include <stdexcept>

#include "tests/test_support.h"
#include "tests/tool_runner.h"

namespace quorvex::testing {
namespace fs = std::filesystem;

namespace {

// A handle closed with this object.
class OwnedHandle {
 public:
  explicit OwnedHandle(HANDLE handle) : handle_(handle) {}
  ~OwnedHandle() {
    if (handle_ != nullptr && handle_ != INVALID_HANDLE_VALUE) CloseHandle(handle_);
  }
  OwnedHandle(const OwnedHandle&) = delete;
  OwnedHandle& operator=(const OwnedHandle&) = delete;

  HANDLE get() const { return handle_; }
  HANDLE Release() {
    HANDLE handle = handle_;
    handle_ = nullptr;
    return handle;
  }

 private:
  HANDLE handle_;
};

SECURITY_ATTRIBUTES Inheritable() {
  SECURITY_ATTRIBUTES attributes{};
  attributes.nLength = sizeof attributes;
  attributes.bInheritHandle = TRUE;
  return attributes;
}

HANDLE OpenInheritable(const std::string& path, DWORD access, DWORD disposition) {
  SECURITY_ATTRIBUTES attributes = Inheritable();
  HANDLE handle = CreateFileA(path.c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE, &attributes,
                              disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (handle == INVALID_HANDLE_VALUE) throw std::runtime_error("cannot open " + path);
  return handle;
}

// A pipe whose writing end the child inherits; the reading end stays with the test.
struct Pipe {
  Pipe() {
    SECURITY_ATTRIBUTES attributes = Inheritable();
    HANDLE reading = nullptr;
    HANDLE writing = nullptr;
    if (!CreatePipe(&reading, &writing, &attributes, 0)) {
      throw std::runtime_error("cannot make a pipe");
    }
    SetHandleInformation(reading, HANDLE_FLAG_INHERIT, 0);
    read_end = reading;
    write_end = writing;
  }
  HANDLE read_end;
  HANDLE write_end;
};

// Quotes an argument the way the tool splits its command line: an empty one, or one that
// holds a separator, is enclosed in double quotes.
std::string Quoted(const std::string& argument) {
  bool needs_quotes = argument.empty();
  for (unsigned char c : argument) needs_quotes |= c >= 1 && c <= 32;
  return needs_quotes ? "\"" + argument + "\"" : argument;
}

// Starts program in folder with the given standard handles (nullptr for none); returns the
// process handle.
HANDLE Start(const std::string& program, const std::vector<std::string>& arguments,
             const fs::path& folder, HANDLE input, HANDLE output, HANDLE error) {
  std::string line = Quoted(program);
  for (const std::string& argument : arguments) line += " " + Quoted(argument);
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = input;
  startup.hStdOutput = output;
  startup.hStdError = error;
  PROCESS_INFORMATION process{};
  std::string folder_name = folder.string();
  if (!CreateProcessA(nullptr, line.data(), nullptr, nullptr, TRUE, 0, nullptr, folder_name.c_str(),
                      &startup, &process)) {
    throw std::runtime_error("cannot start " + line);
  }
  CloseHandle(process.hThread);
  return process.hProcess;
}

int WaitForExit(HANDLE process) {
  WaitForSingleObject(process, INFINITE);
  DWORD code = 1;
  GetExitCodeProcess(process, &code);
  return int(code);
}

// Runs program in folder with empty standard input and standard error captured; standard
// output is the given handle, or captured too when it is INVALID_HANDLE_VALUE.
ToolRun RunCaptured(const std::string& program, const std::vector<std::string>& arguments,
                    const fs::path& folder, HANDLE output) {
  ScratchDir capture;
  const std::string out_path = (capture / "stdout").string();
  const std::string err_path = (capture / "stderr").string();
  ToolRun run;
  {
    OwnedHandle input(OpenInheritable("NUL", GENERIC_READ, OPEN_EXISTING));
    OwnedHandle out(output == INVALID_HANDLE_VALUE
                        ? OpenInheritable(out_path, GENERIC_WRITE, CREATE_ALWAYS)
                        : nullptr);
    OwnedHandle err(OpenInheritable(err_path, GENERIC_WRITE, CREATE_ALWAYS));
    OwnedHandle process(
        Start(program, arguments, folder, input.get(), out.get() ? out.get() : output, err.get()));
    run.exit_code = WaitForExit(process.get());
  }
  if (output == INVALID_HANDLE_VALUE) run.out = ReadFileBytes(out_path);
  run.err = ReadFileBytes(err_path);
  return run;
}

}  // namespace

std::string AlwaysFullDevice() {
  return "";
}

ToolRun RunTool(const std::vector<std::string>& arguments, const fs::path& folder) {
  return RunCaptured(QUORVEX_TOOL_PATH, arguments, folder, INVALID_HANDLE_VALUE);
}

ToolRun RunBatchTool(const std::vector<std::string>& arguments, const fs::path& folder) {
  return RunCaptured(QUORVEX_BATCH_TOOL_PATH, arguments, folder, INVALID_HANDLE_VALUE);
}

ToolRun RunToolWithoutInputAndError(const std::vector<std::string>& arguments,
                                    const fs::path& folder) {
  ScratchDir capture;
  const std::string out_path = (capture / "stdout").string();
  ToolRun run;
  {
    OwnedHandle output(OpenInheritable(out_path, GENERIC_WRITE, CREATE_ALWAYS));
    OwnedHandle process(
        Start(QUORVEX_TOOL_PATH, arguments, folder, nullptr, output.get(), nullptr));
    run.exit_code = WaitForExit(process.get());
  }
  run.out = ReadFileBytes(out_path);
  return run;
}

ToolRun RunToolIntoClosedPipe(const std::vector<std::string>& arguments, const fs::path& folder) {
  Pipe pipe;
  OwnedHandle write_end(pipe.write_end);
  CloseHandle(pipe.read_end);
  return RunCaptured(QUORVEX_TOOL_PATH, arguments, folder, write_end.get());
}

ToolRun RunToolWithOutput(const std::vector<std::string>& arguments, const fs::path& folder,
                          const std::string& output_path) {
  OwnedHandle output(
      output_path.empty() ? nullptr : OpenInheritable(output_path, GENERIC_WRITE, OPEN_EXISTING));
  return RunCaptured(QUORVEX_TOOL_PATH, arguments, folder, output.get());
}

HeldRun::HeldRun(const std::vector<std::string>& arguments, const fs::path& folder)
    : error_path_(fs::temp_directory_path() /
                  ("quorvex-held-" + std::to_string(GetCurrentProcessId()) + "-" +
                   std::to_string(GetTickCount64()) + ".err")) {
  Pipe pipe;
  OwnedHandle read_end(pipe.read_end);
  OwnedHandle write_end(pipe.write_end);
  OwnedHandle input(OpenInheritable("NUL", GENERIC_READ, OPEN_EXISTING));
  OwnedHandle error(OpenInheritable(error_path_.string(), GENERIC_WRITE, CREATE_ALWAYS));
  process_ = Start(QUORVEX_TOOL_PATH, arguments, folder, input.get(), write_end.get(), error.get());
  output_ = read_end.Release();
}

HeldRun::~HeldRun() {
  if (output_ != nullptr) CloseHandle(output_);
  if (process_ != nullptr) {
    WaitForSingleObject(process_, INFINITE);
    CloseHandle(process_);
  }
  std::error_code ignored;
  fs::remove(error_path_, ignored);
}

bool HeldRun::Running() const {
  return WaitForSingleObject(process_, 0) == WAIT_TIMEOUT;
}

ToolRun HeldRun::Finish() {
  ToolRun run;
  char buffer[4096];
  DWORD got = 0;
  while (ReadFile(output_, buffer, sizeof buffer, &got, nullptr) && got > 0) {
    run.out.append(buffer, got);
  }
  run.exit_code = WaitForExit(process_);
  run.err = ReadFileBytes(error_path_);
  return run;
}

}  // namespace quorvex::testing
