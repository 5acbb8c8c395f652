#include "runtime/arguments.h"

#include "runtime/platform/platform.h"

namespace quorvex {
namespace {

bool IsSeparator(char c) {
  unsigned char byte = static_cast<unsigned char>(c);
  return byte >= 1 && byte <= 32;
}

// The character at position, or '\0' at the end of the line (which a '\0' also ends).
char At(const std::string& line, size_t position) {
  return position < line.size() ? line[position] : '\0';
}

}  // namespace

std::string NextArgument(const std::string& line, size_t& position) {
  for (;;) {
    while (IsSeparator(At(line, position))) ++position;
    if (At(line, position) != '"' || At(line, position + 1) != '"') break;
    position += 2;
  }
  std::string argument;
  for (char c; (c = At(line, position)) != '\0' && !IsSeparator(c);) {
    ++position;
    if (c != '"') {
      argument += c;
      continue;
    }
    for (char quoted; (quoted = At(line, position)) != '\0' && quoted != '"'; ++position) {
      argument += quoted;
    }
    if (At(line, position) == '"') ++position;
  }
  return argument;
}

int ArgumentCount() {
  std::string line = System().CommandLine();
  size_t position = 0;
  NextArgument(line, position);
  int count = 0;
  while (!NextArgument(line, position).empty()) ++count;
  return count;
}

std::string ArgumentAt(int index) {
  if (index < 0) return "";
  if (index == 0) return System().ModulePath();
  std::string line = System().CommandLine();
  size_t position = 0;
  std::string argument;
  for (int taken = 0; taken <= index; ++taken) {
    argument = NextArgument(line, position);
    if (argument.empty()) break;
  }
  return argument;
}

}  // namespace quorvex
