#include "runtime/extended/extended_arith.h"

#include <cstdint>
#include <limits>
#include <utility>

#include "runtime/extended/extended_pack.h"

namespace quorvex {
namespace {

using Kind = ExtendedKind;

bool Either(Kind a, Kind b, Kind kind) {
  return a == kind || b == kind;
}

// The integer part and whether the dropped fraction rounds it up, for a value with
// fraction_bits bits below the binary point (1 to 64).
uint64_t RoundedIntegerPart(uint64_t significand, int fraction_bits) {
  const uint64_t integer = fraction_bits == 64 ? 0 : significand >> fraction_bits;
  const uint64_t fraction =
      fraction_bits == 64 ? significand : significand & ((uint64_t(1) << fraction_bits) - 1);
  const uint64_t half = uint64_t(1) << (fraction_bits - 1);
  const bool round_up = fraction > half || (fraction == half && (integer & 1) != 0);
  return integer + (round_up ? 1 : 0);
}

Extended AddMagnitudes(UnpackedExtended larger, UnpackedExtended smaller, FloatFlags& flags) {
  const Uint128 aligned =
      ShiftRightSticky(Uint128{smaller.significand, 0}, larger.exponent - smaller.exponent);
  Uint128 sum{larger.significand + aligned.high, aligned.low};
  int32_t exponent = larger.exponent;
  if (sum.high < larger.significand) {
    sum = ShiftRightSticky(sum, 1);
    sum.high |= kExtendedIntegerBit;
    ++exponent;
  }
  return PackRounded(larger.negative, exponent, sum, flags);
}

Extended SubtractMagnitudes(UnpackedExtended larger, UnpackedExtended smaller, FloatFlags& flags) {
  const Uint128 aligned =
      ShiftRightSticky(Uint128{smaller.significand, 0}, larger.exponent - smaller.exponent);
  const uint64_t borrow = aligned.low != 0 ? 1 : 0;
  Uint128 difference{larger.significand - aligned.high - borrow, 0 - aligned.low};
  if (difference.high == 0 && difference.low == 0) return SignedZero(false);
  const int shift = difference.high != 0 ? CountLeadingZeros(difference.high)
                                         : 64 + CountLeadingZeros(difference.low);
  difference = ShiftLeft(difference, shift);
  return PackRounded(larger.negative, larger.exponent - shift, difference, flags);
}

bool MagnitudeBelow(const UnpackedExtended& a, const UnpackedExtended& b) {
  return a.exponent < b.exponent || (a.exponent == b.exponent && a.significand < b.significand);
}

}  // namespace

Extended ExtendedMultiply(Extended a, Extended b, FloatFlags& flags) {
  const Kind kind_a = ClassifyExtended(a), kind_b = ClassifyExtended(b);
  if (Either(kind_a, kind_b, Kind::kUnsupported)) return InvalidResult(flags);
  if (Either(kind_a, kind_b, Kind::kNaN)) return PropagateNaN(a, b, flags);
  const bool negative = ExtendedIsNegative(a) != ExtendedIsNegative(b);
  if (Either(kind_a, kind_b, Kind::kInfinity)) {
    if (Either(kind_a, kind_b, Kind::kZero)) return InvalidResult(flags);
    return SignedInfinity(negative);
  }
  if (Either(kind_a, kind_b, Kind::kZero)) return SignedZero(negative);
  const UnpackedExtended x = UnpackExtended(a), y = UnpackExtended(b);
  Uint128 product = MultiplyWide(x.significand, y.significand);
  int32_t exponent = x.exponent + y.exponent - kExtendedBias + 1;
  if ((product.high & kExtendedIntegerBit) == 0) {
    product = ShiftLeft(product, 1);
    --exponent;
  }
  return PackRounded(negative, exponent, product, flags);
}

Extended ExtendedDivide(Extended a, Extended b, FloatFlags& flags) {
  const Kind kind_a = ClassifyExtended(a), kind_b = ClassifyExtended(b);
  if (Either(kind_a, kind_b, Kind::kUnsupported)) return InvalidResult(flags);
  if (Either(kind_a, kind_b, Kind::kNaN)) return PropagateNaN(a, b, flags);
  const bool negative = ExtendedIsNegative(a) != ExtendedIsNegative(b);
  if (kind_a == kind_b && (kind_a == Kind::kInfinity || kind_a == Kind::kZero)) {
    return InvalidResult(flags);
  }
  if (kind_a == Kind::kInfinity || kind_b == Kind::kZero) return SignedInfinity(negative);
  if (kind_a == Kind::kZero || kind_b == Kind::kInfinity) return SignedZero(negative);
  const UnpackedExtended x = UnpackExtended(a), y = UnpackExtended(b);
  // The dividend is placed so that the quotient has exactly 64 bits.
  uint64_t remainder = 0;
  uint64_t quotient;
  int32_t exponent = x.exponent - y.exponent + kExtendedBias;
  if (x.significand < y.significand) {
    quotient = DivideWide(x.significand, 0, y.significand, remainder);
    --exponent;
  } else {
    quotient = DivideWide(x.significand >> 1, x.significand << 63, y.significand, remainder);
  }
  const uint64_t next = DivideWide(remainder, 0, y.significand, remainder);
  const Uint128 exact{quotient, next | (remainder != 0 ? 1 : 0)};
  return PackRounded(negative, exponent, exact, flags);
}

Extended ExtendedAdd(Extended a, Extended b, FloatFlags& flags) {
  const Kind kind_a = ClassifyExtended(a), kind_b = ClassifyExtended(b);
  if (Either(kind_a, kind_b, Kind::kUnsupported)) return InvalidResult(flags);
  if (Either(kind_a, kind_b, Kind::kNaN)) return PropagateNaN(a, b, flags);
  if (kind_a == Kind::kInfinity && kind_b == Kind::kInfinity) {
    return ExtendedIsNegative(a) == ExtendedIsNegative(b) ? a : InvalidResult(flags);
  }
  if (kind_a == Kind::kInfinity) return a;
  if (kind_b == Kind::kInfinity) return b;
  if (kind_a == Kind::kZero && kind_b == Kind::kZero) {
    return SignedZero(ExtendedIsNegative(a) && ExtendedIsNegative(b));
  }
  if (kind_a == Kind::kZero) std::swap(a, b);
  UnpackedExtended x = UnpackExtended(a);
  if (kind_a == Kind::kZero || kind_b == Kind::kZero) {
    return PackRounded(x.negative, x.exponent, Uint128{x.significand, 0}, flags);
  }
  UnpackedExtended y = UnpackExtended(b);
  if (MagnitudeBelow(x, y)) std::swap(x, y);
  if (x.negative == y.negative) return AddMagnitudes(x, y, flags);
  return SubtractMagnitudes(x, y, flags);
}

Extended ExtendedNegate(Extended value) {
  value.sign_exponent ^= kExtendedSignBit;
  return value;
}

Extended ExtendedRoundToInteger(Extended value, FloatFlags& flags) {
  switch (ClassifyExtended(value)) {
    case Kind::kUnsupported:
      return InvalidResult(flags);
    case Kind::kNaN:
      return PropagateNaN(value, flags);
    case Kind::kFinite:
      break;
    default:
      return value;
  }
  const UnpackedExtended x = UnpackExtended(value);
  const int32_t fraction_bits = kExtendedBias + 63 - x.exponent;
  if (fraction_bits <= 0) return value;
  if (fraction_bits > 64) return SignedZero(x.negative);
  return PackInteger(x.negative, RoundedIntegerPart(x.significand, fraction_bits));
}

int64_t ExtendedToInt64(Extended value, FloatFlags& flags) {
  constexpr int64_t kIndefinite = std::numeric_limits<int64_t>::min();
  const Extended rounded = ExtendedRoundToInteger(value, flags);
  const Kind kind = ClassifyExtended(rounded);
  if (kind == Kind::kZero) return 0;
  if (kind != Kind::kFinite) {
    flags.invalid = true;
    return kIndefinite;
  }
  const UnpackedExtended x = UnpackExtended(rounded);
  const int32_t fraction_bits = kExtendedBias + 63 - x.exponent;
  if (fraction_bits <= 0) {
    // Only -2^63 fits; it is the same bit pattern as the out-of-range answer.
    const bool fits = x.negative && fraction_bits == 0 && x.significand == kExtendedIntegerBit;
    if (!fits) flags.invalid = true;
    return kIndefinite;
  }
  const uint64_t magnitude = x.significand >> fraction_bits;
  return x.negative ? -int64_t(magnitude) : int64_t(magnitude);
}

}  // namespace quorvex
