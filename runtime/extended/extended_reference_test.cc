#include <gtest/gtest.h>

#include "runtime/extended/x87_reference.h"

#ifdef QUORVEX_HAVE_X87_LONG_DOUBLE

#include <cfenv>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <string>

#include "runtime/extended/extended_arith.h"
#include "runtime/extended/power_tables.h"

namespace quorvex::x87 {
namespace {

// Value pairs compared; each pair also feeds both of its values to the unary operations.
constexpr int kPairs = 450000;
constexpr int kIntegers = 100000;
constexpr int kScalings = 200000;
constexpr int kReportedMismatches = 10;

class Mismatches {
 public:
  void Check(const char* operation, Extended a, Extended b, Extended ours, Extended reference) {
    if (ours == reference) return;
    if (++count_ <= kReportedMismatches) {
      ADD_FAILURE() << operation << "(" << Hex(a) << ", " << Hex(b) << "): " << Hex(ours)
                    << ", the processor gives " << Hex(reference);
    }
  }
  void CheckInteger(Extended a, int64_t ours, int64_t reference) {
    if (ours == reference) return;
    if (++count_ <= kReportedMismatches) {
      ADD_FAILURE() << "ToInt64(" << Hex(a) << "): " << ours << ", the processor gives "
                    << reference;
    }
  }
  int count() const { return count_; }

 private:
  int count_ = 0;
};

void CompareUnary(Extended a, Mismatches& mismatches) {
  FloatFlags flags;
  const long double x = ToLong(a);
  mismatches.Check("RoundToInteger", a, a, ExtendedRoundToInteger(a, flags),
                   FromLong(std::rint(x)));
  mismatches.CheckInteger(a, ExtendedToInt64(a, flags), std::llrint(x));
}

void CompareBinary(Extended a, Extended b, Mismatches& mismatches) {
  FloatFlags flags;
  const long double x = ToLong(a), y = ToLong(b);
  mismatches.Check("Multiply", a, b, ExtendedMultiply(a, b, flags), FromLong(x * y));
  mismatches.Check("Divide", a, b, ExtendedDivide(a, b, flags), FromLong(x / y));
  mismatches.Check("Add", a, b, ExtendedAdd(a, b, flags), FromLong(x + y));
}

TEST(ExtendedReferenceTest, OperationsMatchTheProcessorBitForBit) {
  ASSERT_EQ(std::fegetround(), FE_TONEAREST);
  ASSERT_TRUE(RunsAtFullPrecision());
  const auto start = std::chrono::steady_clock::now();
  ValueSource source(20240611);
  Mismatches mismatches;
  for (int i = 0; i < kPairs; ++i) {
    const Extended a = source.Any();
    const Extended b = source.Partner(a);
    CompareBinary(a, b, mismatches);
    CompareBinary(b, a, mismatches);
    CompareUnary(a, mismatches);
    CompareUnary(b, mismatches);
  }
  for (int i = 0; i < kIntegers; ++i) {
    const int64_t value = int64_t(source.Bits()) >> source.Below(64);
    const Extended ours = ExtendedFromInt(value);
    mismatches.Check("FromInt", ours, ours, ours, FromLong(static_cast<long double>(value)));
  }
  EXPECT_EQ(mismatches.count(), 0);
  const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start;
  RecordProperty("values", 2 * kPairs + kIntegers);
  std::printf("%d values in %.2f s\n", 2 * kPairs + kIntegers, elapsed.count());
}

TEST(ExtendedReferenceTest, ScaleByTenMatchesTheTableStepsInLongDouble) {
  ASSERT_TRUE(RunsAtFullPrecision());
  ValueSource source(20240612);
  Mismatches mismatches;
  int overflow_mismatches = 0;
  for (int i = 0; i < kScalings; ++i) {
    const Extended x = source.Any();
    const int32_t n = source.Below(2 * kScaleLimit + 201) - kScaleLimit - 100;
    FloatFlags flags;
    bool overflow = false;
    const Extended ours = ScaleByTen(x, n, flags);
    mismatches.Check("ScaleByTen", x, ExtendedFromInt(n), ours,
                     FromLong(ReplayScale(ToLong(x), n, overflow)));
    if (flags.overflow != overflow) ++overflow_mismatches;
  }
  EXPECT_EQ(mismatches.count(), 0);
  EXPECT_EQ(overflow_mismatches, 0);
}

}  // namespace
}  // namespace quorvex::x87

#else

TEST(ExtendedReferenceTest, OperationsMatchTheProcessorBitForBit) {
  GTEST_SKIP() << "long double is not the 80-bit x87 type with this compiler";
}

#endif
