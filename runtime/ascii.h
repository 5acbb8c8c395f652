#ifndef QUORVEX_RUNTIME_ASCII_H_
#define QUORVEX_RUNTIME_ASCII_H_

#include <string>
#include <string_view>

namespace quorvex {

// Letter case as the tool knows it: only a to z and A to Z have a case; every other byte,
// 0x80 and up included, stays as it is.

inline char UpperCaseAscii(char c) {
  return c >= 'a' && c <= 'z' ? char(c - 32) : c;
}

inline char LowerCaseAscii(char c) {
  return c >= 'A' && c <= 'Z' ? char(c + 32) : c;
}

inline std::string UpperCasedAscii(std::string text) {
  for (char& c : text) c = UpperCaseAscii(c);
  return text;
}

inline bool EqualIgnoringAsciiCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (LowerCaseAscii(a[i]) != LowerCaseAscii(b[i])) return false;
  }
  return true;
}

}  // namespace quorvex

#endif  // QUORVEX_RUNTIME_ASCII_H_
