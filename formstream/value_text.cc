#include "formstream/value_text.h"

#include <charconv>

namespace quorvex {
namespace {

constexpr char kApostrophe = '\'';

bool IsRunByte(unsigned char c) {
  return c >= 0x20 && c != kApostrophe;
}

}  // namespace

void BytesToHex(const unsigned char* bytes, char* text, int32_t count) {
  static constexpr char kDigits[] = "0123456789ABCDEF";
  for (int32_t i = 0; i < count; ++i) {
    text[2 * i] = kDigits[bytes[i] >> 4];
    text[2 * i + 1] = kDigits[bytes[i] & 15];
  }
}

void AppendQuoted(std::string& text, std::string_view value) {
  if (value.empty()) {
    text += "''";
    return;
  }
  size_t i = 0;
  while (i < value.size()) {
    if (!IsRunByte(static_cast<unsigned char>(value[i]))) {
      char code[4];
      auto end = std::to_chars(code, code + sizeof code, static_cast<unsigned char>(value[i]));
      text += '#';
      text.append(code, end.ptr);
      ++i;
      continue;
    }
    size_t j = i + 1;
    while (j < value.size() && IsRunByte(static_cast<unsigned char>(value[j]))) ++j;
    text += kApostrophe;
    text.append(value.substr(i, j - i));
    text += kApostrophe;
    i = j;
  }
}

}  // namespace quorvex
