#include "tests/test_support.h"

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <map>
#include <sstream>
#include <stdexcept>

namespace quorvex::testing {
namespace fs = std::filesystem;

ScratchDir::ScratchDir() {
  std::string pattern = (fs::temp_directory_path() / "quorvex-test-XXXXXX").string();
  if (!mkdtemp(pattern.data())) throw std::runtime_error("cannot create a scratch folder");
  path_ = pattern;
}

ScratchDir::~ScratchDir() {
  std::error_code ignored;
  fs::remove_all(path_, ignored);
}

std::string ReadFileBytes(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw std::runtime_error("cannot read " + path.string());
  std::ostringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}

void WriteFileBytes(const fs::path& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), std::streamsize(bytes.size()));
  if (!out) throw std::runtime_error("cannot write " + path.string());
}

fs::path CorpusDir() {
  fs::path corpus = QUORVEX_CORPUS_DIR;
  return fs::is_directory(corpus) ? corpus : fs::path();
}

std::map<std::string, ProvenanceRow> ReadProvenance(const fs::path& corpus) {
  std::ifstream in(corpus / "PROVENANCE.tsv");
  std::string line;
  std::getline(in, line);
  std::vector<std::string> columns;
  std::istringstream header(line);
  for (std::string column; std::getline(header, column, '\t');) columns.push_back(column);
  std::map<std::string, ProvenanceRow> rows;
  while (std::getline(in, line)) {
    ProvenanceRow row;
    std::istringstream cells(line);
    std::string cell;
    for (size_t i = 0; i < columns.size() && std::getline(cells, cell, '\t'); ++i) {
      row[columns[i]] = cell;
    }
    rows[row["file"]] = row;
  }
  return rows;
}

namespace {

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
    std::vector<char*> argv;
    std::string tool = QUORVEX_TOOL_PATH;
    argv.push_back(tool.data());
    std::vector<std::string> copies = arguments;
    for (std::string& argument : copies) argv.push_back(argument.data());
    argv.push_back(nullptr);
    execv(tool.c_str(), argv.data());
    _exit(127);
  }
  int status = 0;
  waitpid(child, &status, 0);
  return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

}  // namespace

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
