#include "runtime/extended/power_tables.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

namespace quorvex {
namespace {

// An exact non-negative integer, 32 bits per element, least significant first.
class BigNumber {
 public:
  explicit BigNumber(uint32_t value) : words_{value} {}

  void MultiplyBy(uint32_t factor) {
    uint64_t carry = 0;
    for (uint32_t& word : words_) {
      const uint64_t product = uint64_t(word) * factor + carry;
      word = uint32_t(product);
      carry = product >> 32;
    }
    if (carry != 0) words_.push_back(uint32_t(carry));
  }

  int BitLength() const {
    int bits = int(words_.size() - 1) * 32;
    for (uint32_t top = words_.back(); top != 0; top >>= 1) ++bits;
    return bits;
  }

  bool Bit(int index) const {
    return index >= 0 && ((words_[size_t(index / 32)] >> (index % 32)) & 1) != 0;
  }

  // The nearest extended value, ties to even.
  Extended Nearest() const {
    const int length = BitLength();
    uint64_t significand = 0;
    for (int i = 0; i < 64; ++i) significand = (significand << 1) | (Bit(length - 1 - i) ? 1 : 0);
    const int round_bit = length - 65;
    bool below_half_is_zero = true;
    for (int i = 0; i < round_bit; ++i) below_half_is_zero = below_half_is_zero && !Bit(i);
    int exponent = length - 1 + 16383;
    if (Bit(round_bit) && (!below_half_is_zero || (significand & 1) != 0)) {
      if (++significand == 0) {
        significand = uint64_t(1) << 63;
        ++exponent;
      }
    }
    return Extended{significand, uint16_t(exponent)};
  }

 private:
  std::vector<uint32_t> words_;
};

TEST(PowerTablesTest, EveryEntryIsTheNearestValueToItsPowerOfTen) {
  BigNumber power(1);
  for (int p = 0; p <= 512 * 9; ++p) {
    const Extended nearest = power.Nearest();
    if (p < 32) {
      EXPECT_EQ(SmallPowers[p], nearest) << "1E" << p;
    }
    if (p % 32 == 0 && p / 32 < 16) {
      EXPECT_EQ(MediumPowers[p / 32], nearest) << "1E" << p;
    }
    if (p % 512 == 0) {
      EXPECT_EQ(LargePowers[p / 512], nearest) << "1E" << p;
    }
    power.MultiplyBy(10);
  }
}

TEST(ScaleByTenTest, UsesAtMostOneEntryOfEachTable) {
  FloatFlags flags;
  const Extended three = ExtendedFromInt(3);
  EXPECT_EQ(ScaleByTen(three, 0, flags), three);
  EXPECT_EQ(ScaleByTen(three, 2, flags), ExtendedFromInt(300));
  EXPECT_EQ(ScaleByTen(three, -1, flags), ExtendedDivide(three, SmallPowers[1], flags));
  // 10^5119 = 10^31 * 10^(32*15) * 10^(512*9), each step rounded.
  Extended expected = ExtendedMultiply(three, SmallPowers[31], flags);
  expected = ExtendedMultiply(expected, MediumPowers[15], flags);
  expected = ExtendedMultiply(expected, LargePowers[9], flags);
  EXPECT_EQ(ScaleByTen(three, 5119, flags), expected);
  EXPECT_TRUE(flags.overflow);
  flags = FloatFlags();
  expected = ExtendedDivide(three, SmallPowers[1], flags);
  expected = ExtendedDivide(expected, LargePowers[1], flags);
  EXPECT_EQ(ScaleByTen(three, -513, flags), expected);
  EXPECT_FALSE(flags.overflow);
}

TEST(ScaleByTenTest, FactorsBeyondTheRangeGiveInfinityOrZeroWhateverTheValue) {
  FloatFlags flags;
  EXPECT_EQ(ScaleByTen(ExtendedFromInt(0), 5120, flags), (Extended{uint64_t(1) << 63, 0x7FFF}));
  EXPECT_TRUE(flags.overflow);
  EXPECT_EQ(ScaleByTen(ExtendedFromInt(-7), -5120, flags), ExtendedFromInt(0));
  EXPECT_EQ(ScaleByTen(ExtendedFromInt(7), INT32_MIN, flags), ExtendedFromInt(0));
}

}  // namespace
}  // namespace quorvex
