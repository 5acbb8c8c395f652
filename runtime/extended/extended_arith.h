#ifndef QUORVEX_RUNTIME_EXTENDED_EXTENDED_ARITH_H_
#define QUORVEX_RUNTIME_EXTENDED_EXTENDED_ARITH_H_

#include <cstdint>

#include "runtime/extended/extended.h"

// Extended-precision arithmetic carried out on the significand and exponent: every result is
// the exact result rounded once to the nearest extended value, ties to even, with denormals,
// infinities and not-a-number values as the 80-bit format has them.
namespace quorvex {

// Conditions raised by the operations; they stay set until the caller clears them.
struct FloatFlags {
  bool invalid = false;   // an operation without a meaningful result, or a signalling NaN
  bool overflow = false;  // a finite result too large, rounded to infinity
};

Extended ExtendedMultiply(Extended a, Extended b, FloatFlags& flags);

// A non-zero value divided by zero gives infinity (division by zero is not a condition the
// callers look at).
Extended ExtendedDivide(Extended a, Extended b, FloatFlags& flags);

Extended ExtendedAdd(Extended a, Extended b, FloatFlags& flags);

// The sign flipped, for every encoding.
Extended ExtendedNegate(Extended value);

// The nearest integer, ties to even; the sign stays (-0.4 gives -0).
Extended ExtendedRoundToInteger(Extended value, FloatFlags& flags);

// The nearest integer, ties to even, as a 64-bit integer. Values out of range, infinities and
// not-a-number values give INT64_MIN and set flags.invalid.
int64_t ExtendedToInt64(Extended value, FloatFlags& flags);

}  // namespace quorvex

#endif  // QUORVEX_RUNTIME_EXTENDED_EXTENDED_ARITH_H_
