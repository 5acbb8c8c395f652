#ifndef QUORVEX_RUNTIME_EXTENDED_X87_REFERENCE_H_
#define QUORVEX_RUNTIME_EXTENDED_X87_REFERENCE_H_

// Test support: where the compiler's long double is the 80-bit x87 type, the number
// conversions replayed step by step in long double, as the reference for the software
// arithmetic; and sources of random and boundary values.

#include <cfloat>

#if LDBL_MANT_DIG == 64
#define QUORVEX_HAVE_X87_LONG_DOUBLE 1

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <random>
#include <string>

#include "runtime/extended/extended.h"
#include "runtime/extended/float_text.h"

namespace quorvex::x87 {

inline long double ToLong(Extended value) {
  unsigned char bytes[sizeof(long double)] = {};
  ExtendedToBytes(value, bytes);
  long double result;
  std::memcpy(&result, bytes, sizeof result);
  return result;
}

inline Extended FromLong(long double value) {
  unsigned char bytes[sizeof(long double)];
  std::memcpy(bytes, &value, sizeof value);
  return ExtendedFromBytes(bytes);
}

inline std::string Hex(Extended value) {
  char text[32];
  std::snprintf(text, sizeof text, "%04X:%016llX", unsigned(value.sign_exponent),
                static_cast<unsigned long long>(value.significand));
  return text;
}

// The extended arithmetic of this machine rounds to nearest with a 64-bit significand.
inline bool RunsAtFullPrecision() {
  volatile long double one = 1;
  volatile long double tiny = std::ldexp(1.0L, -63);
  return one + tiny != one;
}

// x * 10^n by the same table steps as ScaleByTen, each one rounded by the processor.
inline long double ReplayScale(long double x, int32_t n, bool& overflow) {
  if (n == 0) return x;
  if (n >= kScaleLimit) {
    overflow = true;
    return HUGE_VALL;
  }
  if (n <= -kScaleLimit) return 0.0L;
  const uint32_t m = uint32_t(n > 0 ? n : -n);
  const auto step = [&](Extended factor) {
    const long double previous = x;
    x = n > 0 ? x * ToLong(factor) : x / ToLong(factor);
    if (std::isinf(x) && !std::isinf(previous)) overflow = true;
  };
  step(SmallPowers[m % 32]);
  if ((m / 32) % 16 != 0) step(MediumPowers[(m / 32) % 16]);
  if (m / 512 != 0) step(LargePowers[m / 512]);
  return x;
}

inline long long PowerOfTen(int exponent) {
  long long power = 1;
  while (exponent-- > 0) power *= 10;
  return power;
}

// The integer of 18 digits by rounding in long double, then kept to count digits on the
// integer: digits and exponent of the record, or false for an unsupported encoding.
inline bool ReplayExtendedToDigits(Extended value, int precision, int decimals,
                                   DigitRecord& record) {
  record = DigitRecord();
  const int biased = value.sign_exponent & 0x7FFF;
  if (biased == 0) return true;
  if (biased == 0x7FFF) {
    const bool infinity = (value.significand >> 48) == 0x8000;
    record.exponent = infinity ? 32767 : -32768;
    record.negative = infinity && (value.sign_exponent & 0x8000) != 0;
    return true;
  }
  if ((value.significand >> 63) == 0) return false;
  int exponent = int(std::floor((biased - 16383) * 19728 / 65536.0)) + 1;
  const long double magnitude = std::fabs(ToLong(value));
  bool unused = false;
  long double y = std::rint(ReplayScale(magnitude, 18 - exponent, unused));
  if (y < 1e17L) y = std::rint(ReplayScale(magnitude, 18 - --exponent, unused));
  if (y >= 1e18L) {
    y = y / 10.0L;
    ++exponent;
  }
  const long long full = std::llrint(y);
  if (exponent + decimals < 0) return true;
  const int count = std::max(0, std::min({exponent + decimals, precision, 18}));
  const long long unit = PowerOfTen(18 - count);
  long long kept = full / unit;
  if (count < 18 && (full / (unit / 10)) % 10 >= 5) ++kept;
  char digits[32];
  if (kept == PowerOfTen(count)) {
    std::strcpy(digits, "1");
    ++exponent;
  } else {
    std::snprintf(digits, sizeof digits, "%0*lld", count, kept);
  }
  size_t length = std::strlen(digits);
  while (length > 0 && digits[length - 1] == '0') --length;
  if (length == 0) return true;
  std::memcpy(record.digits, digits, length);
  record.exponent = int16_t(exponent);
  record.negative = (value.sign_exponent & 0x8000) != 0;
  return true;
}

// The number text read digit by digit in long double: false when it is no number or a step
// overflows.
inline bool ReplayTextToExtended(const std::string& text, char point, long double& value) {
  size_t i = 0;
  const auto at = [&](char c) { return i < text.size() && text[i] == c; };
  const auto digit = [&] { return i < text.size() && text[i] >= '0' && text[i] <= '9'; };
  while (at(' ')) ++i;
  const bool negative = at('-');
  if (at('-') || at('+')) ++i;
  long double accumulator = 0;
  bool overflow = false, mantissa = false;
  long long fraction = 0;
  const auto accumulate = [&](bool after_point) {
    for (; digit(); ++i) {
      const long double previous = accumulator;
      accumulator = accumulator * 10.0L;
      accumulator = accumulator + (text[i] - '0');
      if (std::isinf(accumulator) && !std::isinf(previous)) overflow = true;
      mantissa = true;
      if (after_point) ++fraction;
    }
  };
  accumulate(false);
  if (at(point)) {
    ++i;
    mantissa = true;
    accumulate(true);
  }
  if (!mantissa) return false;
  long long exponent = 0;
  if (at('E') || at('e')) {
    ++i;
    const bool exponent_negative = at('-');
    if (at('-') || at('+')) ++i;
    for (; digit() && exponent < 500; ++i) exponent = exponent * 10 + (text[i] - '0');
    if (exponent_negative) exponent = -exponent;
  }
  while (at(' ')) ++i;
  if (i != text.size()) return false;
  long double result =
      ReplayScale(accumulator, int32_t(std::max(exponent - fraction, -5120LL)), overflow);
  if (negative) result = -result;
  value = result;
  return !overflow && !std::isnan(result);
}

// Random values of every kind, weighted towards the places where rounding goes wrong.
class ValueSource {
 public:
  explicit ValueSource(uint64_t seed) : random_(seed) {}

  uint64_t Bits() { return random_(); }
  int Below(int limit) { return int(random_() % uint64_t(limit)); }

  // Any of the kinds below.
  Extended Any() {
    switch (Below(8)) {
      case 0:
        return Extended{Bits(), uint16_t(Bits())};
      case 1:
        return Finite(uint16_t(16383 - 70 + Below(141)));
      case 2:
        return Finite(uint16_t(1 + Below(32766)));
      case 3:
        return Denormal();
      case 4:
        return Finite(uint16_t(Below(2) ? 1 + Below(80) : 32766 - Below(80)));
      case 5:
        return Short(uint16_t(16383 - 70 + Below(141)));
      case 6:
        return Special();
      default:
        return NearPowerOfTen(Below(64) - 20);
    }
  }

  // A normal value with a random significand, or one with few significant bits so that
  // results are often exact or exactly halfway.
  Extended Finite(uint16_t exponent) {
    return Extended{Bits() | kTop, uint16_t(exponent | Sign())};
  }
  Extended Short(uint16_t exponent) {
    const int bits = 1 + Below(40);
    return Extended{(Bits() | kTop) >> (64 - bits) << (64 - bits), uint16_t(exponent | Sign())};
  }

  Extended Denormal() { return Extended{Bits() >> Below(64), Sign()}; }

  // Zeros, infinities, not-a-number values, unsupported and pseudo-denormal encodings.
  Extended Special() {
    const uint16_t sign = Sign();
    switch (Below(7)) {
      case 0:
        return Extended{0, sign};
      case 1:
        return Extended{kTop, uint16_t(0x7FFF | sign)};
      case 2:
        return Extended{Bits() | kTop, uint16_t(0x7FFF | sign)};
      case 3:
        return Extended{(Bits() | kTop) & ~kQuiet, uint16_t(0x7FFF | sign)};
      case 4:
        return Extended{Bits() & ~kTop, uint16_t(Bits() | sign)};
      case 5:
        return Extended{Bits() | kTop, sign};
      default:
        return Extended{kTop | (Bits() >> Below(64) >> 1), uint16_t(0x7FFF | sign)};
    }
  }

  // 10^p or a value a few units of the last place away from it.
  Extended NearPowerOfTen(int p) {
    FloatFlags flags;
    Extended value = ScaleByTen(ExtendedFromInt(1), p, flags);
    const int step = Below(7) - 3;
    if (value.significand + uint64_t(int64_t(step)) >= kTop)
      value.significand += uint64_t(int64_t(step));
    value.sign_exponent |= Sign();
    return value;
  }

  // A partner for a: random, or at a nearby exponent, or one whose product or quotient with a
  // lands near the ends of the exponent range.
  Extended Partner(Extended a) {
    const int exponent = a.sign_exponent & 0x7FFF;
    switch (Below(4)) {
      case 0:
        return Any();
      case 1: {
        const int near = std::clamp(exponent + Below(141) - 70, 1, 32766);
        return Below(2) ? Short(uint16_t(near)) : Finite(uint16_t(near));
      }
      case 2: {
        const int target = Below(2) ? Below(130) - 64 : 32766 - Below(130) + 64;
        const int partner = target - exponent + 16383;
        return Finite(uint16_t(std::clamp(partner, 1, 32766)));
      }
      default: {
        const int target = Below(2) ? Below(130) - 64 : 32766 - Below(130) + 64;
        const int partner = exponent - target + 16383;
        return Finite(uint16_t(std::clamp(partner, 1, 32766)));
      }
    }
  }

 private:
  static constexpr uint64_t kTop = uint64_t(1) << 63;
  static constexpr uint64_t kQuiet = uint64_t(1) << 62;

  uint16_t Sign() { return Below(2) ? 0x8000 : 0; }

  std::mt19937_64 random_;
};

}  // namespace quorvex::x87

#endif  // LDBL_MANT_DIG == 64
#endif  // QUORVEX_RUNTIME_EXTENDED_X87_REFERENCE_H_
