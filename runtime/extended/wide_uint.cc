#include "runtime/extended/wide_uint.h"

namespace quorvex {
namespace {

constexpr uint64_t kHalfMask = 0xFFFFFFFF;
constexpr uint64_t kHalfBase = uint64_t(1) << 32;

// One 32-bit digit of the long division: the estimate from the top halves is at most two too
// large and is corrected with the next lower half of the divisor.
uint64_t QuotientDigit(uint64_t top, uint64_t next, uint64_t divisor) {
  const uint64_t divisor_high = divisor >> 32;
  const uint64_t divisor_low = divisor & kHalfMask;
  uint64_t digit = top / divisor_high;
  uint64_t rest = top - digit * divisor_high;
  while (digit >= kHalfBase || digit * divisor_low > ((rest << 32) | next)) {
    --digit;
    rest += divisor_high;
    if (rest >= kHalfBase) break;
  }
  return digit;
}

}  // namespace

Uint128 MultiplyWide(uint64_t a, uint64_t b) {
  const uint64_t a_low = a & kHalfMask, a_high = a >> 32;
  const uint64_t b_low = b & kHalfMask, b_high = b >> 32;
  const uint64_t low_low = a_low * b_low;
  const uint64_t low_high = a_low * b_high;
  const uint64_t high_low = a_high * b_low;
  const uint64_t middle = (low_low >> 32) + (low_high & kHalfMask) + (high_low & kHalfMask);
  Uint128 product;
  product.low = (middle << 32) | (low_low & kHalfMask);
  product.high = a_high * b_high + (low_high >> 32) + (high_low >> 32) + (middle >> 32);
  return product;
}

uint64_t DivideWide(uint64_t high, uint64_t low, uint64_t divisor, uint64_t& remainder) {
  const uint64_t low_high = low >> 32, low_low = low & kHalfMask;
  const uint64_t digit_high = QuotientDigit(high, low_high, divisor);
  // The partial remainder is below divisor, so the wrap-around of the 64-bit arithmetic
  // cancels out.
  const uint64_t partial = (high << 32) + low_high - digit_high * divisor;
  const uint64_t digit_low = QuotientDigit(partial, low_low, divisor);
  remainder = (partial << 32) + low_low - digit_low * divisor;
  return (digit_high << 32) + digit_low;
}

Uint128 ShiftRightSticky(Uint128 value, int64_t count) {
  if (count <= 0) return value;
  if (count >= 128) return Uint128{0, (value.high | value.low) != 0 ? 1u : 0u};
  Uint128 result;
  uint64_t lost;
  if (count >= 64) {
    const int shift = int(count - 64);
    lost = value.low | (shift == 0 ? 0 : value.high << (64 - shift));
    result.low = value.high >> shift;
  } else {
    const int shift = int(count);
    lost = value.low << (64 - shift);
    result.high = value.high >> shift;
    result.low = (value.low >> shift) | (value.high << (64 - shift));
  }
  result.low |= lost != 0 ? 1 : 0;
  return result;
}

Uint128 ShiftLeft(Uint128 value, int count) {
  if (count == 0) return value;
  if (count >= 64) return Uint128{value.low << (count - 64), 0};
  return Uint128{(value.high << count) | (value.low >> (64 - count)), value.low << count};
}

int CountLeadingZeros(uint64_t value) {
  if (value == 0) return 64;
  int count = 0;
  for (int step = 32; step > 0; step /= 2) {
    if ((value >> (64 - step)) == 0) {
      count += step;
      value <<= step;
    }
  }
  return count;
}

}  // namespace quorvex
