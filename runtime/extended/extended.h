#ifndef QUORVEX_RUNTIME_EXTENDED_EXTENDED_H_
#define QUORVEX_RUNTIME_EXTENDED_EXTENDED_H_

#include <cstdint>

namespace quorvex {

// An 80-bit extended-precision number in its stored layout: a 64-bit significand with an
// explicit integer bit (bit 63), and a 16-bit word holding the sign in bit 15 and the
// exponent, biased by 16383, in bits 0 to 14. Biased exponent 0 holds zeros and denormals,
// 32767 infinities and not-a-number values.
struct Extended {
  uint64_t significand = 0;
  uint16_t sign_exponent = 0;
};

constexpr int kExtendedBias = 16383;
constexpr uint16_t kExtendedMaxExponent = 0x7FFF;
constexpr uint16_t kExtendedSignBit = 0x8000;
constexpr uint64_t kExtendedIntegerBit = uint64_t(1) << 63;

inline bool ExtendedIsNegative(Extended value) {
  return (value.sign_exponent & kExtendedSignBit) != 0;
}
inline int ExtendedBiasedExponent(Extended value) {
  return value.sign_exponent & kExtendedMaxExponent;
}
inline bool operator==(Extended a, Extended b) {
  return a.significand == b.significand && a.sign_exponent == b.sign_exponent;
}
inline bool operator!=(Extended a, Extended b) {
  return !(a == b);
}

// Bytes 0 to 7 hold the significand, least significant byte first; bytes 8 and 9 the sign and
// exponent word, low byte first.
Extended ExtendedFromBytes(const unsigned char* ten_bytes);
void ExtendedToBytes(Extended value, unsigned char* ten_bytes);

// The exact value of an integer (64 significant bits always suffice).
Extended ExtendedFromInt(int64_t value);

}  // namespace quorvex

#endif  // QUORVEX_RUNTIME_EXTENDED_EXTENDED_H_
