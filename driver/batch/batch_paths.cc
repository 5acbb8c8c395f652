#include "driver/batch/batch_paths.h"

#include "runtime/platform/platform.h"

namespace quorvex {
namespace {

const char* Separators() {
  return kBackslashSeparatesPaths ? "/\\:" : "/";
}

}  // namespace

std::string JoinPath(const std::string& folder, const std::string& name) {
  if (folder.empty()) return name;
  return folder.back() == '/' ? folder + name : folder + "/" + name;
}

std::string FolderPart(const std::string& path) {
  size_t separator = path.find_last_of(Separators());
  return separator == std::string::npos ? "" : path.substr(0, separator);
}

std::string FileNamePart(const std::string& path) {
  size_t separator = path.find_last_of(Separators());
  return separator == std::string::npos ? path : path.substr(separator + 1);
}

}  // namespace quorvex
