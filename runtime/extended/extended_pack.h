#ifndef QUORVEX_RUNTIME_EXTENDED_EXTENDED_PACK_H_
#define QUORVEX_RUNTIME_EXTENDED_EXTENDED_PACK_H_

#include <cstdint>

#include "runtime/extended/extended.h"
#include "runtime/extended/extended_arith.h"
#include "runtime/extended/wide_uint.h"

// The building blocks of the extended-precision operations: classifying an encoding, taking a
// finite value apart, and putting an exact intermediate result back together with one
// rounding to nearest, ties to even.
namespace quorvex {

enum class ExtendedKind {
  kZero,
  kFinite,  // normal, denormal, or denormal with its integer bit set (read as exponent 1)
  kInfinity,
  kNaN,
  kUnsupported,  // integer bit 0 with a biased exponent from 1 to 32767
};

ExtendedKind ClassifyExtended(Extended value);

// A finite non-zero value as significand * 2^(exponent - 16383 - 63) with the top bit of the
// significand set; the exponent drops below 1 for denormals.
struct UnpackedExtended {
  bool negative;
  int32_t exponent;
  uint64_t significand;
};

UnpackedExtended UnpackExtended(Extended value);

// The value (significand.high + significand.low / 2^64) * 2^(exponent - 16383 - 63), where the
// top bit of significand.high is set, rounded to the nearest extended value. Results too small
// for a normal value become denormals or zero; results too large become infinity and set
// flags.overflow.
Extended PackRounded(bool negative, int32_t exponent, Uint128 significand, FloatFlags& flags);

// The exact value of a sign and a 64-bit magnitude.
Extended PackInteger(bool negative, uint64_t magnitude);

Extended SignedZero(bool negative);
Extended SignedInfinity(bool negative);

// The not-a-number an invalid operation produces; sets flags.invalid.
Extended InvalidResult(FloatFlags& flags);

// The result of an operation with at least one not-a-number operand: the operand with the
// larger significand (a tie takes the positive one), made quiet. A signalling operand sets
// flags.invalid.
Extended PropagateNaN(Extended a, Extended b, FloatFlags& flags);
Extended PropagateNaN(Extended a, FloatFlags& flags);

}  // namespace quorvex

#endif  // QUORVEX_RUNTIME_EXTENDED_EXTENDED_PACK_H_
