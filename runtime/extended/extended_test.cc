#include "runtime/extended/extended.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <vector>

#include "runtime/extended/extended_arith.h"
#include "runtime/extended/power_tables.h"

namespace quorvex {
namespace {

constexpr uint64_t kTop = uint64_t(1) << 63;
constexpr uint16_t kOne = 0x3FFF;  // biased exponent of 1.0

Extended Raw(uint64_t significand, uint16_t sign_exponent) {
  return Extended{significand, sign_exponent};
}

const Extended kPositiveInfinity = Raw(kTop, 0x7FFF);
const Extended kNegativeInfinity = Raw(kTop, 0xFFFF);
const Extended kIndefinite = Raw(0xC000000000000000, 0xFFFF);
const Extended kMaxFinite = Raw(~uint64_t(0), 0x7FFE);
const Extended kMinNormal = Raw(kTop, 1);

Extended Multiply(Extended a, Extended b) {
  FloatFlags flags;
  return ExtendedMultiply(a, b, flags);
}
Extended Divide(Extended a, Extended b) {
  FloatFlags flags;
  return ExtendedDivide(a, b, flags);
}
Extended Add(Extended a, Extended b) {
  FloatFlags flags;
  return ExtendedAdd(a, b, flags);
}
Extended RoundToInteger(Extended a) {
  FloatFlags flags;
  return ExtendedRoundToInteger(a, flags);
}

TEST(ExtendedBytesTest, LayoutIsLittleEndianSignificandThenSignAndExponent) {
  const unsigned char bytes[10] = {0x01, 0x02, 0x03, 0x04, 0x05, 0x06, 0x07, 0x88, 0xFF, 0xBF};
  const Extended value = ExtendedFromBytes(bytes);
  EXPECT_EQ(value.significand, 0x8807060504030201u);
  EXPECT_EQ(value.sign_exponent, 0xBFFF);
  unsigned char back[10] = {};
  ExtendedToBytes(value, back);
  EXPECT_EQ(std::vector<unsigned char>(back, back + 10),
            std::vector<unsigned char>(bytes, bytes + 10));
}

TEST(ExtendedFromIntTest, IsExact) {
  EXPECT_EQ(ExtendedFromInt(0), Raw(0, 0));
  EXPECT_EQ(ExtendedFromInt(1), Raw(kTop, kOne));
  EXPECT_EQ(ExtendedFromInt(-3), Raw(0xC000000000000000, 0x8000 | (kOne + 1)));
  EXPECT_EQ(ExtendedFromInt(std::numeric_limits<int64_t>::max()),
            Raw(0xFFFFFFFFFFFFFFFE, kOne + 62));
  EXPECT_EQ(ExtendedFromInt(std::numeric_limits<int64_t>::min()), Raw(kTop, 0x8000 | (kOne + 63)));
}

TEST(ExtendedArithTest, RoundsHalfToEven) {
  // 2^64 - 1 is exact; one more half unit of the last place rounds to even, up or down.
  const Extended max_integer = Raw(~uint64_t(0), kOne + 63);
  EXPECT_EQ(Add(max_integer, Raw(kTop, kOne - 1)), Raw(kTop, kOne + 64));  // + 0.5: up to 2^64
  const Extended even = Raw(0xFFFFFFFFFFFFFFFE, kOne + 63);
  EXPECT_EQ(Add(even, Raw(kTop, kOne - 1)), even);                       // + 0.5: stays even
  EXPECT_EQ(Add(even, Raw(0x8000000000000001, kOne - 1)), max_integer);  // just above half
  // (2^32 + 1)^2 = 2^64 + 2^33 + 1 needs 65 bits: the last bit is a tie, kept even.
  const Extended factor = Raw(0x8000000080000000, kOne + 32);
  EXPECT_EQ(Multiply(factor, factor), Raw(0x8000000100000000, kOne + 64));
}

TEST(ExtendedArithTest, SubtractionAcrossManyBitsStillRoundsOnce) {
  // 1 - 2^-100 lies just below 1: the nearest value is 1.
  EXPECT_EQ(Add(ExtendedFromInt(1), Raw(kTop, 0x8000 | (kOne - 100))), ExtendedFromInt(1));
  // 1 - 2^-65 is a tie between 1 - 2^-64 and 1; the even one is 1.
  EXPECT_EQ(Add(ExtendedFromInt(1), Raw(kTop, 0x8000 | (kOne - 65))), ExtendedFromInt(1));
  EXPECT_EQ(Add(ExtendedFromInt(1), Raw(0x8000000000000001, 0x8000 | (kOne - 65))),
            Raw(~uint64_t(0), kOne - 1));
  EXPECT_EQ(Add(ExtendedFromInt(5), ExtendedFromInt(-5)), Raw(0, 0));
  EXPECT_EQ(Add(Raw(0, 0x8000), Raw(0, 0x8000)), Raw(0, 0x8000));
  EXPECT_EQ(Add(Raw(0, 0x8000), Raw(0, 0)), Raw(0, 0));
}

TEST(ExtendedArithTest, DenormalResults) {
  const Extended half = Raw(kTop, kOne - 1);
  EXPECT_EQ(Multiply(kMinNormal, half), Raw(kTop >> 1, 0));
  EXPECT_EQ(Divide(Raw(1, 0), ExtendedFromInt(2)), Raw(0, 0));  // tie to even: zero
  EXPECT_EQ(Divide(Raw(3, 0), ExtendedFromInt(2)), Raw(2, 0));  // tie to even: up
  EXPECT_EQ(Divide(Raw(1, 0x8000), ExtendedFromInt(3)), Raw(0, 0x8000));
  EXPECT_EQ(Add(Raw(kTop - 1, 0), Raw(1, 0)), kMinNormal);  // denormals sum to normal
  // 2^-16382 * (1 - 2^-64) is a tie on the denormal grid; even is the smallest normal.
  EXPECT_EQ(Multiply(kMinNormal, Raw(~uint64_t(0), kOne - 1)), kMinNormal);
  EXPECT_EQ(Add(Raw(kTop, 0), Raw(0, 0)), kMinNormal);  // an integer bit with exponent 0 reads as 1
}

TEST(ExtendedArithTest, OverflowGivesInfinityAndSetsTheFlag) {
  FloatFlags flags;
  EXPECT_EQ(ExtendedMultiply(kMaxFinite, ExtendedFromInt(1), flags), kMaxFinite);
  EXPECT_FALSE(flags.overflow);
  EXPECT_EQ(ExtendedAdd(kMaxFinite, Raw(kTop, 0x7FFE - 64), flags), kPositiveInfinity);
  EXPECT_TRUE(flags.overflow);
  flags = FloatFlags();
  EXPECT_EQ(ExtendedAdd(kMaxFinite, Raw(0xFFFFFFFFFFFFFFFF, 0x7FFE - 65), flags), kMaxFinite);
  EXPECT_FALSE(flags.overflow);
  EXPECT_EQ(ExtendedDivide(ExtendedNegate(kMaxFinite), Raw(kTop, kOne - 1), flags),
            kNegativeInfinity);
  EXPECT_TRUE(flags.overflow);
  flags = FloatFlags();
  EXPECT_EQ(ExtendedMultiply(kPositiveInfinity, ExtendedFromInt(-2), flags), kNegativeInfinity);
  EXPECT_EQ(ExtendedAdd(kPositiveInfinity, ExtendedFromInt(-2), flags), kPositiveInfinity);
  EXPECT_EQ(ExtendedDivide(ExtendedFromInt(1), kNegativeInfinity, flags), Raw(0, 0x8000));
  EXPECT_EQ(ExtendedDivide(ExtendedFromInt(-1), Raw(0, 0), flags), kNegativeInfinity);
  EXPECT_FALSE(flags.overflow);
  EXPECT_FALSE(flags.invalid);
}

TEST(ExtendedArithTest, InvalidOperationsGiveTheIndefiniteValue) {
  const Extended unnormal = Raw(0x4000000000000000, kOne);
  const Extended pseudo_infinity = Raw(0, 0x7FFF);
  const Extended cases[][2] = {{kPositiveInfinity, Raw(0, 0)},
                               {kPositiveInfinity, kNegativeInfinity},
                               {unnormal, ExtendedFromInt(1)},
                               {pseudo_infinity, ExtendedFromInt(1)},
                               {Raw(0xC000000000000001, 0x7FFF), unnormal}};
  FloatFlags flags;
  EXPECT_EQ(ExtendedMultiply(cases[0][0], cases[0][1], flags), kIndefinite);
  EXPECT_TRUE(flags.invalid);
  EXPECT_EQ(Add(cases[1][0], cases[1][1]), kIndefinite);
  EXPECT_EQ(Divide(cases[1][0], cases[1][1]), kIndefinite);
  EXPECT_EQ(Divide(Raw(0, 0), Raw(0, 0x8000)), kIndefinite);
  for (int i = 2; i < 5; ++i) {
    EXPECT_EQ(Add(cases[i][0], cases[i][1]), kIndefinite) << i;
    EXPECT_EQ(Multiply(cases[i][0], cases[i][1]), kIndefinite) << i;
  }
  EXPECT_EQ(RoundToInteger(unnormal), kIndefinite);
}

TEST(ExtendedArithTest, NotANumberOperandsPassThroughQuieted) {
  const Extended quiet = Raw(0xC000000000000005, 0x7FFF);
  const Extended signalling = Raw(0x8000000000000009, 0xFFFF);
  const Extended other_quiet = Raw(0xC000000000000005, 0xFFFF);
  FloatFlags flags;
  EXPECT_EQ(ExtendedAdd(quiet, ExtendedFromInt(1), flags), quiet);
  EXPECT_FALSE(flags.invalid);
  EXPECT_EQ(ExtendedMultiply(ExtendedFromInt(0), signalling, flags),
            Raw(0xC000000000000009, 0xFFFF));
  EXPECT_TRUE(flags.invalid);
  EXPECT_EQ(Divide(signalling, quiet), quiet);  // the quiet one wins
  EXPECT_EQ(Add(Raw(0xC000000000000006, 0xFFFF), quiet), Raw(0xC000000000000006, 0xFFFF));
  EXPECT_EQ(Add(other_quiet, quiet), quiet);  // same significand: the positive one
  EXPECT_EQ(Add(other_quiet, other_quiet), other_quiet);
  EXPECT_EQ(RoundToInteger(signalling), Raw(0xC000000000000009, 0xFFFF));
}

TEST(ExtendedArithTest, RoundToIntegerTiesToEvenAndKeepsTheSign) {
  const Extended half = Raw(kTop, kOne - 1);
  EXPECT_EQ(RoundToInteger(half), Raw(0, 0));
  EXPECT_EQ(RoundToInteger(ExtendedNegate(half)), Raw(0, 0x8000));
  EXPECT_EQ(RoundToInteger(Raw(0xC000000000000000, kOne)), ExtendedFromInt(2));      // 1.5
  EXPECT_EQ(RoundToInteger(Raw(0xA000000000000000, kOne + 1)), ExtendedFromInt(2));  // 2.5
  EXPECT_EQ(RoundToInteger(Raw(0x8000000000000001, kOne - 1)), ExtendedFromInt(1));
  EXPECT_EQ(RoundToInteger(Raw(~uint64_t(0), kOne - 2)), Raw(0, 0));
  EXPECT_EQ(RoundToInteger(Raw(0xE000000000000000, 0x8000 | (kOne + 61))),
            Raw(0xE000000000000000, 0x8000 | (kOne + 61)));
  EXPECT_EQ(RoundToInteger(Raw(~uint64_t(0), kOne + 62)), Raw(kTop, kOne + 63));  // 2^63 - 0.5
  EXPECT_EQ(RoundToInteger(Raw(5, 0)), Raw(0, 0));
  EXPECT_EQ(RoundToInteger(kNegativeInfinity), kNegativeInfinity);
}

TEST(ExtendedArithTest, ToInt64RoundsAndFlagsWhatDoesNotFit) {
  FloatFlags flags;
  EXPECT_EQ(ExtendedToInt64(Raw(0xA000000000000000, kOne + 1), flags), 2);              // 2.5
  EXPECT_EQ(ExtendedToInt64(Raw(0xE000000000000000, 0x8000 | (kOne + 1)), flags), -4);  // -3.5
  EXPECT_EQ(ExtendedToInt64(Raw(kTop, 0x8000 | (kOne + 63)), flags),
            std::numeric_limits<int64_t>::min());
  EXPECT_FALSE(flags.invalid);
  EXPECT_EQ(ExtendedToInt64(Raw(~uint64_t(0), kOne + 62), flags),
            std::numeric_limits<int64_t>::min());  // rounds to 2^63
  EXPECT_TRUE(flags.invalid);
  flags = FloatFlags();
  EXPECT_EQ(ExtendedToInt64(kPositiveInfinity, flags), std::numeric_limits<int64_t>::min());
  EXPECT_TRUE(flags.invalid);
}

}  // namespace
}  // namespace quorvex
