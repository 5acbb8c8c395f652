// FormatExtended over a fixed set of values, compared with the texts kept beside this test,
// which were made on x86-64 Linux. Every system the tool is built for gives the same bytes.
// To remake the file after a deliberate change, run this test with
// QUORVEX_REWRITE_EXPECTED set to the path to write.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "runtime/exceptions.h"
#include "runtime/extended/extended.h"
#include "runtime/extended/float_text.h"
#include "tests/test_support.h"

namespace quorvex {
namespace {

// A fixed stream of 64-bit numbers, the same on every system and compiler.
class SplitMix64 {
 public:
  uint64_t Next() {
    uint64_t z = (state_ += 0x9E3779B97F4A7C15u);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9u;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBu;
    return z ^ (z >> 31);
  }

 private:
  uint64_t state_ = 20240611;
};

Extended Make(bool negative, uint16_t exponent, uint64_t significand) {
  return Extended{significand, uint16_t((negative ? kExtendedSignBit : 0) | exponent)};
}

// Special encodings: zeros, infinities, NaNs, denormals, pseudo-denormals, unnormals and the
// extremes of the finite range.
void AddSpecials(std::vector<Extended>& values) {
  const uint64_t kTop = kExtendedIntegerBit;
  const uint64_t kPatterns[] = {0,
                                1,
                                kTop,
                                kTop | 1,
                                kTop >> 1,
                                ~uint64_t(0),
                                ~kTop,
                                0xC000000000000000u,
                                0x8000000000000400u};
  const uint16_t kExponents[] = {0, 1, 2, 63, 64, 16382, 16383, 16384, 32765, 32766, 32767};
  for (bool negative : {false, true}) {
    for (uint16_t exponent : kExponents) {
      for (uint64_t significand : kPatterns)
        values.push_back(Make(negative, exponent, significand));
    }
  }
}

// Decimal round numbers: small integers, their tenths and hundredths, and powers of ten.
void AddRoundNumbers(std::vector<Extended>& values) {
  std::vector<std::string> texts;
  for (int i = 0; i <= 1000; i += 7) {
    texts.push_back(std::to_string(i));
    texts.push_back("-" + std::to_string(i) + ".5");
    texts.push_back("0." + std::to_string(i));
    texts.push_back(std::to_string(i) + "E12");
  }
  for (int power = -4950; power <= 4932; power += 13) {
    texts.push_back("1E" + std::to_string(power));
    texts.push_back("9.99999999999999E" + std::to_string(power));
  }
  for (const std::string& text : texts) {
    Extended value;
    if (TextToExtended(text, value)) values.push_back(value);
  }
}

// Random finite and non-finite encodings: exponents over the whole range, near 1, and in the
// denormal range, with significands that are random, nearly round or short.
void AddRandom(std::vector<Extended>& values, int count) {
  SplitMix64 random;
  for (int i = 0; i < count; ++i) {
    uint64_t bits = random.Next();
    uint64_t significand = random.Next() | kExtendedIntegerBit;
    bool negative = bits & 1;
    uint16_t exponent;
    switch ((bits >> 1) % 4) {
      case 0:
        exponent = uint16_t((bits >> 8) % 0x8000);
        break;
      case 1:
        exponent = uint16_t(kExtendedBias - 70 + int((bits >> 8) % 140));
        break;
      case 2:
        exponent = uint16_t((bits >> 8) % 4);
        if (exponent == 0) significand &= ~kExtendedIntegerBit;
        break;
      default:
        exponent = uint16_t(kExtendedBias - 20 + int((bits >> 8) % 120));
        significand &= ~uint64_t(0) << (bits >> 20) % 64;
        break;
    }
    values.push_back(Make(negative, exponent, significand));
  }
}

std::string Line(Extended value) {
  char encoding[32];
  std::snprintf(encoding, sizeof encoding, "%04X:%016llX ", unsigned(value.sign_exponent),
                static_cast<unsigned long long>(value.significand));
  std::string text;
  try {
    text = FormatExtended(value);
  } catch (const Exception& failure) {
    text = std::string("raises ") + failure.ClassName();
  }
  return encoding + text + "\n";
}

std::string AllLines() {
  std::vector<Extended> values;
  AddSpecials(values);
  AddRoundNumbers(values);
  AddRandom(values, 9000);
  std::string lines;
  for (Extended value : values) lines += Line(value);
  return lines;
}

TEST(FormatExtendedValues, EveryTextMatchesTheOneMadeOnX86Linux) {
  const std::string actual = AllLines();
  if (const char* rewrite = std::getenv("QUORVEX_REWRITE_EXPECTED")) {
    testing::WriteFileBytes(rewrite, actual);
  }
  const std::string expected =
      testing::ReadFileBytes(std::filesystem::path(QUORVEX_SOURCE_DIR) / "runtime" / "extended" /
                             "format_extended_values.txt");
  std::istringstream actual_lines(actual), expected_lines(expected);
  std::string got, want;
  int line = 0;
  int mismatches = 0;
  while (std::getline(expected_lines, want)) {
    ++line;
    if (!std::getline(actual_lines, got)) got = "(missing)";
    if (got != want && ++mismatches <= 20) {
      ADD_FAILURE() << "line " << line << ": got " << got << ", want " << want;
    }
  }
  EXPECT_EQ(mismatches, 0);
  EXPECT_GE(line, 10000);
  EXPECT_EQ(actual.size(), expected.size());
}

}  // namespace
}  // namespace quorvex
