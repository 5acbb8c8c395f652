#include "formstream/value_text.h"

#include <array>
#include <charconv>
#include <cstring>

namespace quorvex {
namespace {

constexpr char kApostrophe = '\'';

bool IsRunByte(unsigned char c) {
  return c >= 0x20 && c != kApostrophe;
}

constexpr uint8_t kNotHex = 0xFF;

constexpr std::array<uint8_t, 256> MakeHexValues() {
  std::array<uint8_t, 256> values{};
  for (int c = 0; c < 256; ++c) {
    values[size_t(c)] = kNotHex;
    if (c >= '0' && c <= '9') values[size_t(c)] = uint8_t(c - '0');
    if (c >= 'A' && c <= 'F') values[size_t(c)] = uint8_t(c - 'A' + 10);
    if (c >= 'a' && c <= 'f') values[size_t(c)] = uint8_t(c - 'a' + 10);
  }
  return values;
}

constexpr std::array<uint8_t, 256> kHexValues = MakeHexValues();

// The two upper-case hexadecimal digits of every byte value, the high four bits first.
constexpr std::array<char, 512> MakeHexDigitPairs() {
  constexpr char kDigits[] = "0123456789ABCDEF";
  std::array<char, 512> pairs{};
  for (int b = 0; b < 256; ++b) {
    pairs[size_t(2 * b)] = kDigits[b >> 4];
    pairs[size_t(2 * b + 1)] = kDigits[b & 15];
  }
  return pairs;
}

constexpr std::array<char, 512> kHexDigitPairs = MakeHexDigitPairs();

}  // namespace

int32_t HexPairsToBytes(const unsigned char* text, unsigned char* destination, int32_t maximum) {
  int32_t written = 0;
  while (written < maximum) {
    uint8_t high = kHexValues[text[0]];
    if (high == kNotHex) break;
    uint8_t low = kHexValues[text[1]];
    if (low == kNotHex) break;
    destination[written++] = uint8_t(high << 4 | low);
    text += 2;
  }
  return written;
}

void BytesToHex(const unsigned char* bytes, char* text, int32_t count) {
  for (int32_t i = 0; i < count; ++i) {
    std::memcpy(text + 2 * i, &kHexDigitPairs[2 * size_t(bytes[i])], 2);
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
