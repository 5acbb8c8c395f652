#include "runtime/extended/float_text.h"

#include <gtest/gtest.h>

#include <cstring>
#include <regex>
#include <string>

#include "runtime/exceptions.h"
#include "runtime/extended/decimal_point.h"
#include "runtime/extended/extended_arith.h"

namespace quorvex {
namespace {

Extended Parse(const std::string& text) {
  Extended value;
  EXPECT_TRUE(TextToExtended(text, value)) << text;
  return value;
}

Extended Quotient(int64_t a, int64_t b) {
  FloatFlags flags;
  return ExtendedDivide(ExtendedFromInt(a), ExtendedFromInt(b), flags);
}

Extended Raw(uint64_t significand, uint16_t sign_exponent) {
  return Extended{significand, sign_exponent};
}

TEST(FormatExtendedTest, WritesTheGeneralFormWithFifteenDigits) {
  EXPECT_EQ(FormatExtended(ExtendedFromInt(100)), "100");
  EXPECT_EQ(FormatExtended(Quotient(3, 2)), "1.5");
  EXPECT_EQ(FormatExtended(Quotient(-9, 4)), "-2.25");
  EXPECT_EQ(FormatExtended(Quotient(1, 10)), "0.1");
  EXPECT_EQ(FormatExtended(Quotient(1, 3)), "0.333333333333333");
  EXPECT_EQ(FormatExtended(Quotient(2, 3)), "0.666666666666667");
  EXPECT_EQ(FormatExtended(Quotient(1, 10000)), "0.0001");
  EXPECT_EQ(FormatExtended(Quotient(1, 100000)), "1E-5");
  EXPECT_EQ(FormatExtended(ExtendedFromInt(1000000000000000)), "1E15");
  EXPECT_EQ(FormatExtended(ExtendedFromInt(999999999999999)), "999999999999999");
  EXPECT_EQ(FormatExtended(ExtendedFromInt(123456789012345678)), "1.23456789012346E17");
  EXPECT_EQ(FormatExtended(ExtendedFromInt(0)), "0");
}

TEST(FormatExtendedTest, ParsedTextsComeBackTheSame) {
  for (const char* text : {"100", "1.5", "-2.25", "0.1", "0.0001", "1E-5", "1E15", "12.5",
                           "999999999999999", "1.23456789012346E17", "-7E-300", "1E4932",
                           "3.3621031431121E-4932", "0.001", "123456789012345"}) {
    EXPECT_EQ(FormatExtended(Parse(text)), text);
  }
}

TEST(FormatExtendedTest, SwitchesToScientificBeyondFifteenIntegerDigitsAndBelowTenToMinus4) {
  EXPECT_EQ(FormatExtended(ExtendedFromInt(100000000000000)), "100000000000000");
  EXPECT_EQ(FormatExtended(ExtendedFromInt(-10000000000000000)), "-1E16");
  EXPECT_EQ(FormatExtended(Parse("0.00012345")), "0.00012345");
  EXPECT_EQ(FormatExtended(Parse("0.000012345")), "1.2345E-5");
  EXPECT_EQ(FormatExtended(Parse("1E-4000")), "1E-4000");
}

TEST(FormatExtendedTest, RoundingCarriesIntoANewDigit) {
  EXPECT_EQ(FormatExtended(Parse("9.9999999999999999")), "10");
  EXPECT_EQ(FormatExtended(Parse("999999999999999.9")), "1E15");
  EXPECT_EQ(FormatExtended(Parse("0.99999999999999999")), "1");
}

TEST(FormatExtendedTest, RoundsTwiceFirstToEighteenDigitsThenHalfUp) {
  // ...454999 becomes ...455 at 18 digits, and that 5 then rounds the fifteenth digit up.
  EXPECT_EQ(FormatExtended(Parse("0.1234567890123454999")), "0.123456789012346");
  EXPECT_EQ(FormatExtended(Parse("0.123456789012345499")), "0.123456789012345");
  EXPECT_EQ(FormatExtended(Parse("0.1234567890123455")), "0.123456789012346");
}

TEST(FormatExtendedTest, SpecialValues) {
  EXPECT_EQ(FormatExtended(Raw(0, 0x8000)), "0");
  EXPECT_EQ(FormatExtended(Raw(1, 0)), "0");
  EXPECT_EQ(FormatExtended(Raw(0x7FFFFFFFFFFFFFFF, 0x8000)), "0");
  EXPECT_EQ(FormatExtended(Raw(0x8000000000000000, 0)), "0");  // denormal with integer bit
  EXPECT_EQ(FormatExtended(Raw(0x8000000000000000, 0x7FFF)), "INF");
  EXPECT_EQ(FormatExtended(Raw(0x8000000000000000, 0xFFFF)), "INF");
  EXPECT_EQ(FormatExtended(Raw(0xC000000000000000, 0xFFFF)), "NAN");
  EXPECT_EQ(FormatExtended(Raw(0, 0x7FFF)), "NAN");
}

TEST(FormatExtendedTest, LooksOnlyAtTheTopSixteenBitsToTellInfinityFromNotANumber) {
  EXPECT_EQ(FormatExtended(Raw(0x8000000000000001, 0x7FFF)), "INF");
  EXPECT_EQ(FormatExtended(Raw(0x800000000001FFFF, 0xFFFF)), "INF");
  EXPECT_EQ(FormatExtended(Raw(0x8001000000000000, 0x7FFF)), "NAN");
}

TEST(FormatExtendedTest, ExtremeFiniteValues) {
  EXPECT_EQ(FormatExtended(Raw(0xFFFFFFFFFFFFFFFF, 0x7FFE)), "1.18973149535723E4932");
  EXPECT_EQ(FormatExtended(Raw(0x8000000000000000, 0x0001)), "3.36210314311209E-4932");
  EXPECT_EQ(FormatExtended(Raw(0x8000000000000000, 0xFFFE)), "-5.94865747678616E4931");
}

TEST(FormatExtendedTest, UnsupportedEncodingsRaiseInvalidOp) {
  for (uint16_t exponent : {uint16_t(1), uint16_t(0x3FFF), uint16_t(0x7FFE), uint16_t(0xBFFF)}) {
    try {
      FormatExtended(Raw(0x4000000000000000, exponent));
      ADD_FAILURE() << exponent;
    } catch (const EInvalidOp& error) {
      EXPECT_EQ(error.Message(), "Invalid floating point operation");
    }
  }
}

TEST(FormatExtendedTest, TheLowestValuesOfSomeBinaryRangesKeepFifteenSignificantDigits) {
  // 2^-681 = 9.9671949510975675...E-206 lies below 10^-205, one decimal place below the first
  // guess of its exponent; without the second scaling its digits would start with a 0
  // ("0.99671949510976E-205").
  EXPECT_EQ(FormatExtended(Raw(0x8000000000000000, 0x3FFF - 681)), "9.96719495109757E-206");
  EXPECT_EQ(FormatExtended(Raw(0x8000000000000000, 0x3FFF - 16374)), "8.60698404636696E-4930");
  const DigitRecord record = ExtendedToDigits(Raw(0x8000000000000000, 0x3FFF - 681), 18, 9999);
  EXPECT_EQ(record.exponent, -205);
  EXPECT_STREQ(record.digits, "996719495109756754");
}

// Every sign and exponent word with significands that probe each branch: the text is a
// well-formed number of at most 15 significant digits that reads back to the same text, or
// INF or NAN, or EInvalidOp for exactly the encodings whose integer bit is missing.
TEST(FormatExtendedTest, EveryTenBytePatternGivesTextOrInvalidOp) {
  const std::regex shape(
      "-?([1-9](\\.[0-9]*[1-9])?E-?[1-9][0-9]*|(0|[1-9][0-9]*)(\\.[0-9]*[1-9])?)|INF|NAN");
  const uint64_t significands[] = {0,
                                   1,
                                   0x4000000000000000,
                                   0x7FFFFFFFFFFFFFFF,
                                   0x8000000000000000,
                                   0x8000000000000001,
                                   0x8000FFFFFFFFFFFF,
                                   0xC000000000000000,
                                   0xFFFFFFFFFFFFFFFF,
                                   0x9E3779B97F4A7C15};
  for (uint32_t word = 0; word <= 0xFFFF; ++word) {
    const int biased = int(word & 0x7FFF);
    for (uint64_t significand : significands) {
      const Extended value{significand, uint16_t(word)};
      const bool unsupported = biased != 0 && biased != 0x7FFF && significand >> 63 == 0;
      std::string text;
      try {
        text = FormatExtended(value);
      } catch (const EInvalidOp&) {
        EXPECT_TRUE(unsupported) << word << " " << significand;
        continue;
      }
      ASSERT_FALSE(unsupported) << word << " " << significand;
      if (significand == 0x9E3779B97F4A7C15) {
        ASSERT_TRUE(std::regex_match(text, shape)) << text;
      }
      if (biased == 0 || biased == 0x7FFF) continue;
      Extended back;
      ASSERT_TRUE(TextToExtended(text, back)) << text;
      // Text within rounding of the smallest normal value can read back as a denormal, which
      // is written as 0.
      if (ExtendedBiasedExponent(back) == 0) continue;
      ASSERT_EQ(FormatExtended(back), text);
    }
  }
}

TEST(FormatExtendedTest, UsesDecimalPoint) {
  ScopedDecimalPoint comma(',');
  EXPECT_EQ(FormatExtended(Quotient(3, 2)), "1,5");
  EXPECT_EQ(FormatExtended(Quotient(-9, 4)), "-2,25");
  EXPECT_EQ(FormatExtended(Quotient(1, 100000)), "1E-5");
  EXPECT_EQ(FormatExtended(ExtendedFromInt(123456789012345678)), "1,23456789012346E17");
}

TEST(ExtendedToDigitsTest, FillsTheRecord) {
  DigitRecord record = ExtendedToDigits(Quotient(-9, 4), 15, 9999);
  EXPECT_EQ(record.exponent, 1);
  EXPECT_TRUE(record.negative);
  EXPECT_STREQ(record.digits, "225");

  record = ExtendedToDigits(Quotient(1, 3), 18, 9999);
  EXPECT_EQ(record.exponent, 0);
  EXPECT_STREQ(record.digits, "333333333333333333");

  record = ExtendedToDigits(Raw(0x8000000000000000, 0xFFFF), 15, 9999);
  EXPECT_EQ(record.exponent, DigitRecord::kInfinity);
  EXPECT_TRUE(record.negative);
  EXPECT_STREQ(record.digits, "");

  record = ExtendedToDigits(Raw(0xC000000000000000, 0xFFFF), 15, 9999);
  EXPECT_EQ(record.exponent, DigitRecord::kNaN);
  EXPECT_FALSE(record.negative);

  record = ExtendedToDigits(Raw(0, 0x8000), 15, 9999);
  EXPECT_EQ(record.exponent, 0);
  EXPECT_FALSE(record.negative);
}

TEST(ExtendedToDigitsTest, DecimalsLimitTheDigitsAfterThePoint) {
  DigitRecord record = ExtendedToDigits(Parse("123.456"), 15, 1);
  EXPECT_EQ(record.exponent, 3);
  EXPECT_STREQ(record.digits, "1235");

  record = ExtendedToDigits(Parse("0.0004"), 15, 3);  // nothing kept, nothing rounded up
  EXPECT_EQ(record.exponent, 0);
  EXPECT_STREQ(record.digits, "");

  record = ExtendedToDigits(Parse("0.0006"), 15, 3);  // the first dropped digit carries
  EXPECT_EQ(record.exponent, -2);
  EXPECT_STREQ(record.digits, "1");

  record = ExtendedToDigits(Parse("0.00006"), 15, 3);
  EXPECT_EQ(record.exponent, 0);
  EXPECT_STREQ(record.digits, "");
}

TEST(ExtendedToDigitsTest, PrecisionOfEighteenKeepsTheFullExpansion) {
  const DigitRecord record = ExtendedToDigits(ExtendedFromInt(123456789012345678), 30, 9999);
  EXPECT_EQ(record.exponent, 18);
  EXPECT_STREQ(record.digits, "123456789012345678");
}

TEST(FormatDigitsTest, PadsAndPlacesThePoint) {
  DigitRecord record;
  record.exponent = 5;
  std::strcpy(record.digits, "12");
  EXPECT_EQ(FormatDigits(record), "12000");
  record.exponent = -3;
  EXPECT_EQ(FormatDigits(record), "0.00012");
  record.exponent = -4;
  EXPECT_EQ(FormatDigits(record), "1.2E-5");
  record.exponent = 16;
  record.negative = true;
  EXPECT_EQ(FormatDigits(record), "-1.2E15");
  std::strcpy(record.digits, "7");
  record.exponent = 1;
  EXPECT_EQ(FormatDigits(record), "-7");
}

TEST(TextToExtendedTest, AcceptsNumbers) {
  EXPECT_EQ(Parse("1"), ExtendedFromInt(1));
  EXPECT_EQ(Parse("-1.5"), Quotient(-3, 2));
  EXPECT_EQ(Parse("+2."), ExtendedFromInt(2));
  EXPECT_EQ(Parse(".5"), Quotient(1, 2));
  EXPECT_EQ(Parse("1E5"), ExtendedFromInt(100000));
  EXPECT_EQ(Parse("1.5E+10"), ExtendedFromInt(15000000000));
  EXPECT_EQ(Parse("1E"), ExtendedFromInt(1));
  EXPECT_EQ(Parse("1e-"), ExtendedFromInt(1));
  EXPECT_EQ(Parse("."), ExtendedFromInt(0));
  EXPECT_EQ(Parse("  42  "), ExtendedFromInt(42));
  EXPECT_EQ(Parse("-0"), Raw(0, 0x8000));
  EXPECT_EQ(Parse("1E0499"), Parse("1E499"));
}

TEST(TextToExtendedTest, ScalesWithOneDivisionForANegativeExponent) {
  FloatFlags flags;
  EXPECT_EQ(Parse("1e-5"), ExtendedDivide(ExtendedFromInt(1), SmallPowers[5], flags));
  EXPECT_EQ(Parse("0.1"), ExtendedDivide(ExtendedFromInt(1), SmallPowers[1], flags));
}

TEST(TextToExtendedTest, RejectsWhatIsNotANumber) {
  for (const char* text : {"", " ", "-", "+", "1.2.3", "1E5X", "1E400000", "E5", "1 2", "- 1",
                           "1,5", "++1", "0x10", "1E--5", "\t1", "INF", "NAN", "1E-5000"}) {
    Extended value;
    EXPECT_FALSE(TextToExtended(text, value)) << text;
  }
}

TEST(TextToExtendedTest, RejectsOverflow) {
  Extended value;
  EXPECT_TRUE(TextToExtended("1.18973149535723E4932", value));
  EXPECT_FALSE(TextToExtended("1.2E4932", value));
  EXPECT_FALSE(TextToExtended("1E4999", value));
  EXPECT_FALSE(TextToExtended("-1E5000", value));
  EXPECT_FALSE(TextToExtended("1" + std::string(5000, '0'), value));
  EXPECT_FALSE(TextToExtended("1" + std::string(5000, '0') + "E-5000", value))
      << "the accumulator overflows before the scaling";
}

TEST(TextToExtendedTest, UnderflowGivesZeroOrADenormal) {
  EXPECT_EQ(Parse("0.1E-4999"), ExtendedFromInt(0));
  EXPECT_EQ(Parse("1E-4999"), ExtendedFromInt(0));
  EXPECT_EQ(Parse("-1E-4999"), Raw(0, 0x8000));
  EXPECT_EQ(Parse("4E-4951"), Raw(1, 0));
  EXPECT_EQ(Parse("0." + std::string(6000, '0') + "1"), ExtendedFromInt(0));
}

TEST(TextToExtendedTest, AccumulatesLongDigitStringsWithRoundingAtEachStep) {
  // 2^64 + 1 is not representable: after "18446744073709551617" the last step rounds to even.
  EXPECT_EQ(Parse("18446744073709551617"), Raw(0x8000000000000000, 0x3FFF + 64));
  EXPECT_EQ(Parse("18446744073709551619"), Raw(0x8000000000000002, 0x3FFF + 64));
  EXPECT_EQ(Parse("0.10000000000000000000000000000"), Parse("0.1"));
}

TEST(TextToExtendedTest, UsesDecimalPoint) {
  ScopedDecimalPoint comma(',');
  EXPECT_EQ(Parse("1,5"), Quotient(3, 2));
  Extended value;
  EXPECT_FALSE(TextToExtended("1.5", value));
}

TEST(ParseExtendedTest, RaisesConvertErrorQuotingTheText) {
  EXPECT_EQ(ParseExtended("2.5"), Quotient(5, 2));
  try {
    ParseExtended(" 1E5X");
    FAIL();
  } catch (const EConvertError& error) {
    EXPECT_EQ(error.Message(), "' 1E5X' is not a valid floating point value");
  }
}

TEST(ScopedDecimalPointTest, RestoresOnEveryWayOut) {
  ASSERT_EQ(DecimalPoint, '.');
  try {
    ScopedDecimalPoint comma(',');
    EXPECT_EQ(DecimalPoint, ',');
    {
      ScopedDecimalPoint point('.');
      EXPECT_EQ(DecimalPoint, '.');
    }
    EXPECT_EQ(DecimalPoint, ',');
    ParseExtended("x");
  } catch (const EConvertError&) {
  }
  EXPECT_EQ(DecimalPoint, '.');
}

}  // namespace
}  // namespace quorvex
