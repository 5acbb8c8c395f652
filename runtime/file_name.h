#ifndef QUORVEX_RUNTIME_FILE_NAME_H_
#define QUORVEX_RUNTIME_FILE_NAME_H_

#include <string>

namespace quorvex {

// A file name as the tool derives it (upper-cased) together with the same name in the
// spelling the user typed. Both have the same length and differ only in the case of letters;
// the typed spelling lets a case-sensitive file system find a folder the user named exactly.
struct FileName {
  FileName() = default;
  FileName(std::string derived) : name(derived), typed(std::move(derived)) {}
  FileName(std::string derived, std::string as_typed)
      : name(std::move(derived)), typed(std::move(as_typed)) {}

  std::string name;
  std::string typed;
};

}  // namespace quorvex

#endif  // QUORVEX_RUNTIME_FILE_NAME_H_
