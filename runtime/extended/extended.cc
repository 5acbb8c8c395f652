#include "runtime/extended/extended.h"

namespace quorvex {

Extended ExtendedFromBytes(const unsigned char* ten_bytes) {
  Extended value;
  for (int i = 7; i >= 0; --i) value.significand = (value.significand << 8) | ten_bytes[i];
  value.sign_exponent = uint16_t(ten_bytes[8] | (ten_bytes[9] << 8));
  return value;
}

void ExtendedToBytes(Extended value, unsigned char* ten_bytes) {
  for (int i = 0; i < 8; ++i)
    ten_bytes[i] = static_cast<unsigned char>(value.significand >> (8 * i));
  ten_bytes[8] = static_cast<unsigned char>(value.sign_exponent);
  ten_bytes[9] = static_cast<unsigned char>(value.sign_exponent >> 8);
}

Extended ExtendedFromInt(int64_t value) {
  Extended result;
  if (value == 0) return result;
  uint64_t magnitude = value < 0 ? 0 - uint64_t(value) : uint64_t(value);
  int exponent = kExtendedBias + 63;
  while ((magnitude & kExtendedIntegerBit) == 0) {
    magnitude <<= 1;
    --exponent;
  }
  result.significand = magnitude;
  result.sign_exponent = uint16_t(exponent | (value < 0 ? kExtendedSignBit : 0));
  return result;
}

}  // namespace quorvex
