#include "formstream/value_text.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

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

#if defined(__SSE2__)
// With SSE2, digits are made and read sixteen bytes at a time; bytes from 0x80 up count as
// negative in the signed comparisons, so they are never digits.

// The digit of each of the sixteen four-bit values.
__m128i DigitsOf(__m128i values) {
  __m128i letters = _mm_and_si128(_mm_cmpgt_epi8(values, _mm_set1_epi8(9)), _mm_set1_epi8(7));
  return _mm_add_epi8(_mm_add_epi8(values, _mm_set1_epi8('0')), letters);
}

// Writes the 32 digits of sixteen bytes.
void SixteenBytesToHex(const unsigned char* bytes, char* text) {
  const __m128i low_bits = _mm_set1_epi8(0x0F);
  __m128i values = _mm_loadu_si128(reinterpret_cast<const __m128i*>(bytes));
  __m128i high = _mm_and_si128(_mm_srli_epi16(values, 4), low_bits);
  __m128i low = _mm_and_si128(values, low_bits);
  _mm_storeu_si128(reinterpret_cast<__m128i*>(text), DigitsOf(_mm_unpacklo_epi8(high, low)));
  _mm_storeu_si128(reinterpret_cast<__m128i*>(text + 16), DigitsOf(_mm_unpackhi_epi8(high, low)));
}

// The four-bit values of sixteen characters, each pair of them joined into the low byte of a
// 16-bit lane, the first character giving the high bits; all_digits tells whether every
// character was a hexadecimal digit.
__m128i PairValues(const unsigned char* text, bool& all_digits) {
  __m128i chars = _mm_loadu_si128(reinterpret_cast<const __m128i*>(text));
  __m128i digit = _mm_and_si128(_mm_cmpgt_epi8(chars, _mm_set1_epi8('0' - 1)),
                                _mm_cmplt_epi8(chars, _mm_set1_epi8('9' + 1)));
  __m128i folded = _mm_or_si128(chars, _mm_set1_epi8(0x20));
  __m128i letter = _mm_and_si128(_mm_cmpgt_epi8(folded, _mm_set1_epi8('a' - 1)),
                                 _mm_cmplt_epi8(folded, _mm_set1_epi8('f' + 1)));
  all_digits = _mm_movemask_epi8(_mm_or_si128(digit, letter)) == 0xFFFF;
  __m128i values = _mm_add_epi8(_mm_and_si128(chars, _mm_set1_epi8(0x0F)),
                                _mm_and_si128(letter, _mm_set1_epi8(9)));
  __m128i pairs = _mm_or_si128(_mm_slli_epi16(values, 4), _mm_srli_epi16(values, 8));
  return _mm_and_si128(pairs, _mm_set1_epi16(0x00FF));
}

// Decodes 32 characters into sixteen bytes when all are hexadecimal digits; writes nothing and
// returns false otherwise.
bool ThirtyTwoDigitsToBytes(const unsigned char* text, unsigned char* destination) {
  bool digits;
  __m128i first = PairValues(text, digits);
  if (!digits) return false;
  __m128i second = PairValues(text + 16, digits);
  if (!digits) return false;
  _mm_storeu_si128(reinterpret_cast<__m128i*>(destination), _mm_packus_epi16(first, second));
  return true;
}
#endif

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

int32_t HexDigitsToBytes(const unsigned char* text, int32_t readable, unsigned char* destination,
                         int32_t maximum) {
  int32_t written = 0;
#if defined(__SSE2__)
  // A run of digits mostly ends at a line end; looking at its first byte alone spares the
  // decoding of the sixteen bytes there.
  const int32_t blocks = std::min(readable / 32, maximum / 16);
  for (int32_t block = 0; block < blocks && kHexValues[*text] != kNotHex &&
                          ThirtyTwoDigitsToBytes(text, destination + written);
       ++block) {
    text += 32;
    written += 16;
  }
#else
  (void)readable;
#endif
  return written + HexPairsToBytes(text, destination + written, maximum - written);
}

void BytesToHex(const unsigned char* bytes, char* text, int32_t count) {
  int32_t i = 0;
#if defined(__SSE2__)
  for (; count - i >= 16; i += 16) SixteenBytesToHex(bytes + i, text + 2 * i);
#endif
  for (; i < count; ++i) std::memcpy(text + 2 * i, &kHexDigitPairs[2 * size_t(bytes[i])], 2);
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
