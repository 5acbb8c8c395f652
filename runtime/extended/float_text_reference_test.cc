#include <gtest/gtest.h>

#include "runtime/extended/x87_reference.h"

#ifdef QUORVEX_HAVE_X87_LONG_DOUBLE

#include <cfenv>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <string>

#include "runtime/exceptions.h"
#include "runtime/extended/decimal_point.h"
#include "runtime/extended/extended_arith.h"

namespace quorvex::x87 {
namespace {

constexpr int kValues = 600000;
constexpr int kTexts = 400000;
constexpr int kReportedMismatches = 10;

// The value source's values plus those where the digit conversion is delicate.
class DigitValueSource {
 public:
  explicit DigitValueSource(uint64_t seed) : source_(seed) {}

  Extended Next() {
    switch (source_.Below(8)) {
      case 0:
        return source_.Any();
      case 1:  // anywhere in the range
        return source_.Finite(uint16_t(1 + source_.Below(32766)));
      case 2:  // near the powers of ten, where the exponent guess and the carries turn
        return source_.NearPowerOfTen(source_.Below(4951 + 4932) - 4951);
      case 3:  // the lowest values of a binary range, where the exponent guess is too high
        return Extended{(uint64_t(1) << 63) + (source_.Bits() >> (48 + source_.Below(16))),
                        uint16_t(1 + source_.Below(16383))};
      case 4:  // near the half between two 15-digit decimals: the double rounding
        return NearHalf(15);
      case 5:  // near the half between two 18-digit decimals: the rounding to an integer
        return NearHalf(18);
      case 6:  // integers of 15 to 19 digits
        return ExtendedFromInt(int64_t(source_.Bits() >> (1 + source_.Below(14))));
      default:  // values of the size forms hold
        return source_.Finite(uint16_t(16383 - 70 + source_.Below(141)));
    }
  }

 private:
  // A text of digits digits ending in 5 read as a value, moved by up to 3 units of the last
  // place.
  Extended NearHalf(int digits) {
    std::string text = std::to_string(1 + source_.Bits() % 9);
    while (int(text.size()) < digits) text += char('0' + source_.Below(10));
    text += "5E" + std::to_string(source_.Below(9800) - 4900);
    Extended value;
    if (!TextToExtended(text, value) || ExtendedBiasedExponent(value) == 0) return value;
    const uint64_t moved = value.significand + uint64_t(int64_t(source_.Below(7) - 3));
    if (moved >= (uint64_t(1) << 63)) value.significand = moved;
    return value;
  }

  ValueSource source_;
};

// Number texts: well-formed ones of every length, exponents at the ends of the range, texts
// written by FormatExtended, and short texts of number characters that are often no number.
class TextSource {
 public:
  explicit TextSource(uint64_t seed) : source_(seed), values_(seed + 1) {}

  std::string Next() {
    switch (source_.Below(5)) {
      case 0:
        return Number(1 + source_.Below(25), source_.Below(700) - 350);
      case 1:
        return Number(1 + source_.Below(45), source_.Below(10000) - 5000);
      case 2:
        return Edge();
      case 3: {
        try {
          return FormatExtended(values_.Next());
        } catch (const EInvalidOp&) {
          return "1E5X";
        }
      }
      default:
        return Scramble();
    }
  }

 private:
  std::string Digits(int count) {
    std::string digits;
    for (int i = 0; i < count; ++i) digits += char('0' + source_.Below(10));
    return digits;
  }

  std::string Number(int digit_count, int exponent) {
    std::string text(size_t(source_.Below(3)), ' ');
    text += "+-"[source_.Below(2)];
    if (source_.Below(3) == 0) text.pop_back();
    std::string digits = Digits(digit_count);
    digits.insert(size_t(source_.Below(digit_count + 1)), 1, DecimalPoint);
    text += digits;
    if (source_.Below(4) != 0) text += "Ee"[source_.Below(2)] + std::to_string(exponent);
    text += std::string(size_t(source_.Below(2)), ' ');
    return text;
  }

  // Just inside or outside the largest and the denormal values.
  std::string Edge() {
    static const char* const kMantissas[] = {"1.18973149535723176",      "1.189731495357231765021",
                                             "1.18973149535723177",      "3.36210314311209350626",
                                             "3.6451995318824746E-4951", "1.8225997659412373"};
    const char* mantissa = kMantissas[source_.Below(6)];
    std::string text = mantissa;
    if (text.find('E') == std::string::npos) {
      text += std::string(size_t(source_.Below(3)), '0') + Digits(source_.Below(4));
      text += "E" + std::to_string((text[0] == '1' ? 4932 : -4932) - source_.Below(20));
    }
    return text;
  }

  std::string Scramble() {
    static const char kAlphabet[] = "0123456789.,eE+- x";
    std::string text;
    for (int i = source_.Below(8); i > 0; --i) text += kAlphabet[source_.Below(18)];
    return text;
  }

  ValueSource source_;
  DigitValueSource values_;
};

class Mismatches {
 public:
  bool Report() { return ++count_ <= kReportedMismatches; }
  int count() const { return count_; }

 private:
  int count_ = 0;
};

void CompareDigits(Extended value, Mismatches& mismatches) {
  DigitRecord reference;
  const bool valid = ReplayExtendedToDigits(value, 15, 9999, reference);
  std::string text;
  try {
    text = FormatExtended(value);
  } catch (const EInvalidOp&) {
    if (valid && mismatches.Report()) ADD_FAILURE() << Hex(value) << " raised EInvalidOp";
    return;
  }
  const std::string expected = FormatDigits(reference);
  if (!valid || text != expected) {
    if (mismatches.Report()) {
      ADD_FAILURE() << Hex(value) << ": " << text
                    << ", replayed: " << (valid ? expected : "EInvalidOp");
    }
  }
}

void CompareParse(const std::string& text, Mismatches& mismatches) {
  Extended ours;
  long double reference = 0;
  const bool accepted = TextToExtended(text, ours);
  const bool reference_accepted = ReplayTextToExtended(text, DecimalPoint, reference);
  if (accepted == reference_accepted && (!accepted || ours == FromLong(reference))) return;
  if (mismatches.Report()) {
    ADD_FAILURE() << "'" << text << "': " << (accepted ? Hex(ours) : "rejected")
                  << ", replayed: " << (reference_accepted ? Hex(FromLong(reference)) : "rejected");
  }
}

void ExpectFullPrecisionRounding() {
  ASSERT_EQ(std::fegetround(), FE_TONEAREST);
  ASSERT_TRUE(RunsAtFullPrecision());
}

TEST(FloatTextReferenceTest, FormatExtendedMatchesTheStepsReplayedInLongDouble) {
  ExpectFullPrecisionRounding();
  const auto start = std::chrono::steady_clock::now();
  DigitValueSource source(7001);
  Mismatches mismatches;
  for (int i = 0; i < kValues; ++i) CompareDigits(source.Next(), mismatches);
  EXPECT_EQ(mismatches.count(), 0);
  const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start;
  std::printf("%d values in %.2f s\n", kValues, elapsed.count());
}

TEST(FloatTextReferenceTest, DigitRecordsMatchForEveryPrecisionAndDecimals) {
  ExpectFullPrecisionRounding();
  DigitValueSource source(7002);
  ValueSource counts(7003);
  Mismatches mismatches;
  for (int i = 0; i < kValues / 10; ++i) {
    const Extended value = source.Next();
    const int precision = counts.Below(20);
    const int decimals = counts.Below(40) - 10;
    DigitRecord reference;
    if (!ReplayExtendedToDigits(value, precision, decimals, reference)) continue;
    const DigitRecord ours = ExtendedToDigits(value, precision, decimals);
    if (ours.exponent == reference.exponent && ours.negative == reference.negative &&
        std::string(ours.digits) == reference.digits) {
      continue;
    }
    if (mismatches.Report()) {
      ADD_FAILURE() << Hex(value) << " precision " << precision << " decimals " << decimals << ": "
                    << ours.digits << "E" << ours.exponent << ", replayed " << reference.digits
                    << "E" << reference.exponent;
    }
  }
  EXPECT_EQ(mismatches.count(), 0);
}

TEST(FloatTextReferenceTest, TextToExtendedMatchesTheStepsReplayedInLongDouble) {
  ExpectFullPrecisionRounding();
  const auto start = std::chrono::steady_clock::now();
  Mismatches mismatches;
  for (char point : {'.', ','}) {
    ScopedDecimalPoint forced(point);
    TextSource source(point == '.' ? 9001 : 9002);
    const int count = point == '.' ? kTexts - kTexts / 10 : kTexts / 10;
    for (int i = 0; i < count; ++i) CompareParse(source.Next(), mismatches);
  }
  EXPECT_EQ(mismatches.count(), 0);
  const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start;
  std::printf("%d texts in %.2f s\n", kTexts, elapsed.count());
}

}  // namespace
}  // namespace quorvex::x87

#else

TEST(FloatTextReferenceTest, NeedsTheX87Type) {
  GTEST_SKIP() << "long double is not the 80-bit x87 type with this compiler";
}

#endif
