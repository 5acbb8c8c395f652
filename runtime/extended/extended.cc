#include "runtime/extended/extended.h"

#include "runtime/little_endian.h"

namespace quorvex {

Extended ExtendedFromBytes(const unsigned char* ten_bytes) {
  Extended value;
  value.significand = LoadLittleEndian(ten_bytes, 8);
  value.sign_exponent = uint16_t(LoadLittleEndian(ten_bytes + 8, 2));
  return value;
}

void ExtendedToBytes(Extended value, unsigned char* ten_bytes) {
  StoreLittleEndian(ten_bytes, value.significand, 8);
  StoreLittleEndian(ten_bytes + 8, value.sign_exponent, 2);
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
