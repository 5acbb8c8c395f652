#include "driver/listings.h"

#include <string>
#include <vector>

#include "additions/additions_table.h"
#include "driver/console.h"
#include "runtime/arguments.h"
#include "runtime/ascii.h"

namespace quorvex {
namespace {

// Entries 8 to 32 name exception classes, which carry their own "E" instead of a "T".
bool InExceptionBlock(int index) {
  return index >= 8 && index <= 32;
}

// The entry with its class part upper-cased, as the class argument is; the property part
// keeps its case. The shared table itself is left as stored.
std::string WithUpperCasedClassPart(std::string_view entry) {
  size_t dot = entry.find('.');
  if (dot == std::string_view::npos) return std::string(entry);
  return UpperCasedAscii(std::string(entry.substr(0, dot))) + std::string(entry.substr(dot));
}

// An entry belongs to the class argument when the argument stands at the start of "T" and
// the entry (position 1 or 2) and its class part ends where the argument ends or one
// character later.
bool SelectedFor(const std::string& class_argument, std::string_view entry) {
  size_t dot = entry.find('.');
  if (dot == std::string_view::npos) return false;
  size_t d = dot + 1;
  size_t n = class_argument.size();
  std::string text = "T" + std::string(entry);
  size_t found = text.find(class_argument);
  size_t q = found == std::string::npos ? 0 : found + 1;
  return (q == 1 || q == 2) && (d == n || d == n + 1);
}

}  // namespace

void ComponentListing() {
  int components = 0;
  for (int index = 1; index <= kAdditionCount; ++index) {
    if (AdditionAt(index).find('.') == std::string_view::npos) ++components;
  }
  WriteConsoleLine("There are ", components, " new VCL components in Delphi 3:");
  WriteConsoleLine("");
  for (int index = 1; index <= kAdditionCount; ++index) {
    std::string_view entry = AdditionAt(index);
    if (entry.find('.') != std::string_view::npos) continue;
    WriteConsoleLine((InExceptionBlock(index) ? "  " : "  T") + std::string(entry));
  }
}

void ClassListing() {
  std::string typed = ArgumentAt(2);
  std::string class_argument = UpperCasedAscii(typed);
  std::vector<std::string> selected;
  for (int index = 1; index <= kAdditionCount; ++index) {
    std::string entry = WithUpperCasedClassPart(AdditionAt(index));
    if (SelectedFor(class_argument, entry)) selected.push_back(entry);
  }
  if (selected.empty()) {
    WriteConsoleLine("No new properties for class " + typed + " in Delphi 3.");
    return;
  }
  WriteConsoleLine("", int32_t(selected.size()),
                   " new properties for class " + typed + " in Delphi 3:");
  WriteConsoleLine("");
  for (const std::string& entry : selected) {
    WriteConsoleLine("  " + entry.substr(entry.find('.') + 1));
  }
}

}  // namespace quorvex
