#include "runtime/extended/extended_pack.h"

namespace quorvex {
namespace {

constexpr uint64_t kQuietBit = uint64_t(1) << 62;
constexpr uint64_t kRoundHalf = uint64_t(1) << 63;

uint16_t SignWord(bool negative) {
  return negative ? kExtendedSignBit : 0;
}

bool IsNaN(Extended value) {
  return ClassifyExtended(value) == ExtendedKind::kNaN;
}

Extended Quiet(Extended value, FloatFlags& flags) {
  if ((value.significand & kQuietBit) == 0) flags.invalid = true;
  value.significand |= kQuietBit;
  return value;
}

}  // namespace

ExtendedKind ClassifyExtended(Extended value) {
  const int exponent = ExtendedBiasedExponent(value);
  const bool integer_bit = (value.significand & kExtendedIntegerBit) != 0;
  if (exponent == 0) return value.significand == 0 ? ExtendedKind::kZero : ExtendedKind::kFinite;
  if (!integer_bit) return ExtendedKind::kUnsupported;
  if (exponent != kExtendedMaxExponent) return ExtendedKind::kFinite;
  return (value.significand << 1) == 0 ? ExtendedKind::kInfinity : ExtendedKind::kNaN;
}

UnpackedExtended UnpackExtended(Extended value) {
  UnpackedExtended unpacked{ExtendedIsNegative(value), ExtendedBiasedExponent(value),
                            value.significand};
  if (unpacked.exponent == 0) unpacked.exponent = 1;
  const int shift = CountLeadingZeros(unpacked.significand);
  unpacked.significand <<= shift;
  unpacked.exponent -= shift;
  return unpacked;
}

Extended PackRounded(bool negative, int32_t exponent, Uint128 significand, FloatFlags& flags) {
  if (exponent <= 0) {
    significand = ShiftRightSticky(significand, int64_t(1) - exponent);
    exponent = 0;
  }
  const bool round_up = significand.low > kRoundHalf ||
                        (significand.low == kRoundHalf && (significand.high & 1) != 0);
  if (round_up && ++significand.high == 0) {
    significand.high = kExtendedIntegerBit;
    ++exponent;
  }
  if (exponent == 0 && (significand.high & kExtendedIntegerBit) != 0) exponent = 1;
  if (exponent >= kExtendedMaxExponent) {
    flags.overflow = true;
    return SignedInfinity(negative);
  }
  if (significand.high == 0) return SignedZero(negative);
  return Extended{significand.high, uint16_t(exponent | SignWord(negative))};
}

Extended PackInteger(bool negative, uint64_t magnitude) {
  if (magnitude == 0) return SignedZero(negative);
  const int shift = CountLeadingZeros(magnitude);
  return Extended{magnitude << shift, uint16_t((kExtendedBias + 63 - shift) | SignWord(negative))};
}

Extended SignedZero(bool negative) {
  return Extended{0, SignWord(negative)};
}

Extended SignedInfinity(bool negative) {
  return Extended{kExtendedIntegerBit, uint16_t(kExtendedMaxExponent | SignWord(negative))};
}

Extended InvalidResult(FloatFlags& flags) {
  flags.invalid = true;
  return Extended{kExtendedIntegerBit | kQuietBit,
                  uint16_t(kExtendedMaxExponent | kExtendedSignBit)};
}

Extended PropagateNaN(Extended a, Extended b, FloatFlags& flags) {
  const bool a_nan = IsNaN(a), b_nan = IsNaN(b);
  if (a_nan && b_nan) {
    if (a.significand != b.significand) {
      Quiet(a.significand > b.significand ? b : a, flags);
      return Quiet(a.significand > b.significand ? a : b, flags);
    }
    Quiet(b, flags);
    a.sign_exponent &= b.sign_exponent;
    return Quiet(a, flags);
  }
  return Quiet(a_nan ? a : b, flags);
}

Extended PropagateNaN(Extended a, FloatFlags& flags) {
  return Quiet(a, flags);
}

}  // namespace quorvex
