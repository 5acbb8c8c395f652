#include "driver/batch/wildcards.h"

#include <algorithm>

#include "runtime/ascii.h"
#include "runtime/platform/platform.h"

namespace quorvex {
namespace {

bool IsPathSeparator(char c) {
  return c == '/' || (kBackslashSeparatesPaths && (c == '\\' || c == ':'));
}

// The length of the folder part of path, its last separator included.
size_t FolderPartLength(const std::string& path) {
  for (size_t i = path.size(); i > 0; --i) {
    if (IsPathSeparator(path[i - 1])) return i;
  }
  return 0;
}

// The folder part as a name of the folder: without its last separator, except where that is
// all there is of a root ("/", "C:\").
std::string FolderToList(const std::string& folder) {
  if (folder.empty()) return ".";
  if (folder.size() == 1 || folder.back() == ':' || folder[folder.size() - 2] == ':') {
    return folder;
  }
  return folder.substr(0, folder.size() - 1);
}

bool HasWildcard(const std::string& text) {
  return text.find_first_of("*?") != std::string::npos;
}

// Appends to expanded the entries of the pattern's folder that match it, or the pattern itself
// when none does.
void Expand(const std::string& pattern, std::vector<std::string>& expanded) {
  size_t folder_length = FolderPartLength(pattern);
  std::string folder = pattern.substr(0, folder_length);
  std::string last = pattern.substr(folder_length);
  std::vector<FolderEntry> entries;
  System().ListFolder(FileName(FolderToList(folder)), entries);
  std::vector<std::string> names;
  for (const FolderEntry& entry : entries) {
    if (MatchesWildcard(last, entry.name)) names.push_back(entry.name);
  }
  if (names.empty()) {
    expanded.push_back(pattern);
    return;
  }
  std::sort(names.begin(), names.end());
  for (const std::string& name : names) expanded.push_back(folder + name);
}

}  // namespace

// Matches from the left, going back to the last '*' when a character does not fit.
bool MatchesWildcard(const std::string& pattern, const std::string& name) {
  size_t p = 0;
  size_t n = 0;
  size_t star = std::string::npos;
  size_t star_name = 0;
  while (n < name.size()) {
    if (p < pattern.size() && pattern[p] == '*') {
      star = p++;
      star_name = n;
    } else if (p < pattern.size() &&
               (pattern[p] == '?' || LowerCaseAscii(pattern[p]) == LowerCaseAscii(name[n]))) {
      ++p;
      ++n;
    } else if (star != std::string::npos) {
      p = star + 1;
      n = ++star_name;
    } else {
      return false;
    }
  }
  while (p < pattern.size() && pattern[p] == '*') ++p;
  return p == pattern.size();
}

std::vector<std::string> ExpandWildcards(const std::vector<std::string>& paths) {
  std::vector<std::string> expanded;
  for (const std::string& path : paths) {
    if (HasWildcard(path.substr(FolderPartLength(path)))) {
      Expand(path, expanded);
    } else {
      expanded.push_back(path);
    }
  }
  return expanded;
}

}  // namespace quorvex
