#include <algorithm>
#include <cstdint>

#include "runtime/exceptions.h"
#include "runtime/extended/extended_arith.h"
#include "runtime/extended/float_text.h"

namespace quorvex {
namespace {

constexpr int kFullDigits = 18;
constexpr int64_t kTenTo17 = 100000000000000000;
constexpr int64_t kTenTo18 = 1000000000000000000;

// floor(a / b) for b > 0, rounding towards minus infinity also for negative a.
int32_t FloorDivide(int32_t a, int32_t b) {
  const int32_t quotient = a / b;
  return (a % b != 0 && a < 0) ? quotient - 1 : quotient;
}

// A first guess E of the decimal exponent, so that the value lies near 10^(E-1) .. 10^E:
// 19728 / 65536 is just below log10(2).
int32_t EstimateDecimalExponent(Extended value) {
  return FloorDivide((ExtendedBiasedExponent(value) - kExtendedBias) * 19728, 65536) + 1;
}

// magnitude * 10^(18 - exponent), rounded to an integer.
int64_t ScaledInteger(Extended magnitude, int32_t exponent) {
  FloatFlags flags;
  return ExtendedToInt64(ScaleByTen(magnitude, kFullDigits - exponent), flags);
}

// The 18 decimal digits of value, most significant first.
void WriteFullDigits(int64_t value, char* digits) {
  for (int i = kFullDigits - 1; i >= 0; --i) {
    digits[i] = char('0' + value % 10);
    value /= 10;
  }
}

DigitRecord SpecialRecord(Extended value) {
  DigitRecord record;
  if ((value.significand >> 48) == 0x8000) {
    record.exponent = DigitRecord::kInfinity;
    record.negative = ExtendedIsNegative(value);
  } else {
    record.exponent = DigitRecord::kNaN;
  }
  return record;
}

// Keeps the first count digits of the 18 in record.digits, rounding half up on the first
// dropped digit, and removes trailing zeros. A carry out of the first digit leaves "1" and
// raises the exponent. No digits left means zero.
void RoundDigits(DigitRecord& record, int count) {
  char* digits = record.digits;
  int length = count;
  if (count < kFullDigits && digits[count] >= '5') {
    while (length > 0 && digits[length - 1] == '9') --length;
    if (length == 0) {
      digits[length++] = '1';
      ++record.exponent;
    } else {
      ++digits[length - 1];
    }
  } else {
    while (length > 0 && digits[length - 1] == '0') --length;
  }
  std::fill(digits + length, digits + sizeof(record.digits), '\0');
  if (length == 0) record = DigitRecord();
}

}  // namespace

DigitRecord ExtendedToDigits(Extended value, int precision, int decimals) {
  const int biased = ExtendedBiasedExponent(value);
  if (biased == 0) return DigitRecord();
  if (biased == kExtendedMaxExponent) return SpecialRecord(value);
  if ((value.significand & kExtendedIntegerBit) == 0) Raise<EInvalidOp>(kMsgInvalidOp);

  const Extended magnitude{value.significand, uint16_t(biased)};
  int32_t exponent = EstimateDecimalExponent(value);
  int64_t scaled = ScaledInteger(magnitude, exponent);
  // Near the bottom of some binary ranges the guess is one too high; scale once more so that
  // all 18 digits are significant.
  if (scaled < kTenTo17) scaled = ScaledInteger(magnitude, --exponent);
  if (scaled >= kTenTo18) {
    FloatFlags flags;
    const Extended tenth = ExtendedDivide(ExtendedFromInt(scaled), ExtendedFromInt(10), flags);
    scaled = ExtendedToInt64(tenth, flags);
    ++exponent;
  }

  DigitRecord record;
  record.exponent = int16_t(exponent);
  record.negative = ExtendedIsNegative(value);
  WriteFullDigits(scaled, record.digits);
  const int64_t kept = int64_t(exponent) + decimals;
  if (kept < 0) return DigitRecord();
  RoundDigits(record, int(std::max<int64_t>(0, std::min<int64_t>({kept, precision, kFullDigits}))));
  return record;
}

}  // namespace quorvex
