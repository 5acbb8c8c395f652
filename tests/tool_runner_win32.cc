#include <windows.h>

#include <stdexcept>

#include "tests/test_support.h"
#include "tests/tool_runner.h"

namespace quorvex::testing {
namespace fs = std::filesystem;

namespace {

// A handle the child inherits, closed with this object.
class InheritedHandle {
 public:
  explicit InheritedHandle(HANDLE handle) : handle_(handle) {}
  ~InheritedHandle() {
    if (handle_ != nullptr && handle_ != INVALID_HANDLE_VALUE) CloseHandle(handle_);
  }
  InheritedHandle(const InheritedHandle&) = delete;
  InheritedHandle& operator=(const InheritedHandle&) = delete;

  HANDLE get() const { return handle_; }

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

// Quotes an argument the way the tool splits its command line: an empty one, or one that
// holds a separator, is enclosed in double quotes.
std::string Quoted(const std::string& argument) {
  bool needs_quotes = argument.empty();
  for (unsigned char c : argument) needs_quotes |= c >= 1 && c <= 32;
  return needs_quotes ? "\"" + argument + "\"" : argument;
}

// Runs the tool in folder with the given standard handles (nullptr for none); returns the
// exit code.
int RunWithHandles(const std::vector<std::string>& arguments, const fs::path& folder, HANDLE input,
                   HANDLE output, HANDLE error) {
  std::string line = Quoted(QUORVEX_TOOL_PATH);
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
  InheritedHandle child(process.hProcess);
  InheritedHandle thread(process.hThread);
  WaitForSingleObject(child.get(), INFINITE);
  DWORD code = 1;
  GetExitCodeProcess(child.get(), &code);
  return int(code);
}

// Runs the tool with empty standard input and standard output captured in a file.
ToolRun RunCaptured(const std::vector<std::string>& arguments, const fs::path& folder,
                    bool with_input_and_error) {
  ScratchDir capture;
  std::string out_path = (capture / "stdout").string();
  ToolRun run;
  {
    InheritedHandle input(OpenInheritable("NUL", GENERIC_READ, OPEN_EXISTING));
    InheritedHandle output(OpenInheritable(out_path, GENERIC_WRITE, CREATE_ALWAYS));
    HANDLE error = GetStdHandle(STD_ERROR_HANDLE);
    run.exit_code = with_input_and_error
                        ? RunWithHandles(arguments, folder, input.get(), output.get(), error)
                        : RunWithHandles(arguments, folder, nullptr, output.get(), nullptr);
  }
  run.out = ReadFileBytes(out_path);
  return run;
}

}  // namespace

std::string AlwaysFullDevice() {
  return "";
}

ToolRun RunTool(const std::vector<std::string>& arguments, const fs::path& folder) {
  return RunCaptured(arguments, folder, true);
}

ToolRun RunToolWithoutInputAndError(const std::vector<std::string>& arguments,
                                    const fs::path& folder) {
  return RunCaptured(arguments, folder, false);
}

int RunToolIntoClosedPipe(const std::vector<std::string>& arguments, const fs::path& folder) {
  SECURITY_ATTRIBUTES attributes = Inheritable();
  HANDLE reading = nullptr;
  HANDLE writing = nullptr;
  if (!CreatePipe(&reading, &writing, &attributes, 0)) {
    throw std::runtime_error("cannot make a pipe");
  }
  InheritedHandle write_end(writing);
  CloseHandle(reading);
  InheritedHandle input(OpenInheritable("NUL", GENERIC_READ, OPEN_EXISTING));
  return RunWithHandles(arguments, folder, input.get(), write_end.get(),
                        GetStdHandle(STD_ERROR_HANDLE));
}

int RunToolWithOutput(const std::vector<std::string>& arguments, const fs::path& folder,
                      const std::string& output_path) {
  InheritedHandle input(OpenInheritable("NUL", GENERIC_READ, OPEN_EXISTING));
  InheritedHandle output(
      output_path.empty() ? nullptr : OpenInheritable(output_path, GENERIC_WRITE, OPEN_EXISTING));
  return RunWithHandles(arguments, folder, input.get(), output.get(),
                        GetStdHandle(STD_ERROR_HANDLE));
}

}  // namespace quorvex::testing
