#ifndef QUORVEX_RUNTIME_EXTENDED_WIDE_UINT_H_
#define QUORVEX_RUNTIME_EXTENDED_WIDE_UINT_H_

#include <cstdint>

namespace quorvex {

// A 128-bit unsigned integer as two 64-bit halves, for the exact intermediate results of
// extended-precision arithmetic.
struct Uint128 {
  uint64_t high = 0;
  uint64_t low = 0;
};

// The exact 128-bit product of a and b.
Uint128 MultiplyWide(uint64_t a, uint64_t b);

// The quotient of (high:low) / divisor and its remainder. high must be less than divisor, and
// divisor must have its top bit set, so that the quotient fits in 64 bits.
uint64_t DivideWide(uint64_t high, uint64_t low, uint64_t divisor, uint64_t& remainder);

// value >> count; every 1 bit shifted out is folded into bit 0, so that rounding still sees
// that the value lay above the truncated result.
Uint128 ShiftRightSticky(Uint128 value, int64_t count);

// value << count for count 0 to 127.
Uint128 ShiftLeft(Uint128 value, int count);

// The number of 0 bits above the highest 1 bit: 64 for 0.
int CountLeadingZeros(uint64_t value);

}  // namespace quorvex

#endif  // QUORVEX_RUNTIME_EXTENDED_WIDE_UINT_H_
