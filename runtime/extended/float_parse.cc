#include <algorithm>
#include <cstdint>
#include <string>

#include "runtime/exceptions.h"
#include "runtime/extended/decimal_point.h"
#include "runtime/extended/extended_arith.h"
#include "runtime/extended/float_text.h"

namespace quorvex {
namespace {

// The exponent digits stop at the first digit that brings the exponent to this or more.
constexpr int32_t kExponentDigitsLimit = 500;

// Reads a number text front to back; every accessor checks for the end of the text first, so
// nothing past it is ever read.
class NumberScanner {
 public:
  explicit NumberScanner(const std::string& text) : text_(text) {}

  bool AtEnd() const { return position_ >= text_.size(); }
  bool Next(char c) const { return !AtEnd() && text_[position_] == c; }
  bool NextIsDigit() const {
    return !AtEnd() && text_[position_] >= '0' && text_[position_] <= '9';
  }
  int TakeDigit() { return text_[position_++] - '0'; }
  bool Skip(char c) {
    if (!Next(c)) return false;
    ++position_;
    return true;
  }
  void SkipSpaces() {
    while (Skip(' ')) {
    }
  }

 private:
  const std::string& text_;
  size_t position_ = 0;
};

// Adds the digits at the scanner to accumulator, each step rounded; returns how many.
int64_t AccumulateDigits(NumberScanner& scanner, Extended& accumulator, FloatFlags& flags) {
  const Extended ten = ExtendedFromInt(10);
  int64_t count = 0;
  while (scanner.NextIsDigit()) {
    const Extended shifted = ExtendedMultiply(accumulator, ten, flags);
    accumulator = ExtendedAdd(shifted, ExtendedFromInt(scanner.TakeDigit()), flags);
    ++count;
  }
  return count;
}

// The optional exponent part "E" or "e", sign and digits; no digits mean 0.
int32_t ReadExponent(NumberScanner& scanner) {
  if (!scanner.Skip('E') && !scanner.Skip('e')) return 0;
  const bool negative = scanner.Skip('-');
  if (!negative) scanner.Skip('+');
  int32_t exponent = 0;
  while (scanner.NextIsDigit() && exponent < kExponentDigitsLimit) {
    exponent = exponent * 10 + scanner.TakeDigit();
  }
  return negative ? -exponent : exponent;
}

}  // namespace

bool TextToExtended(const std::string& text, Extended& value) {
  NumberScanner scanner(text);
  FloatFlags flags;
  scanner.SkipSpaces();
  const bool negative = scanner.Skip('-');
  if (!negative) scanner.Skip('+');
  Extended accumulator;
  bool has_mantissa = AccumulateDigits(scanner, accumulator, flags) > 0;
  int64_t fraction_digits = 0;
  if (scanner.Skip(DecimalPoint)) {
    has_mantissa = true;
    fraction_digits = AccumulateDigits(scanner, accumulator, flags);
  }
  if (!has_mantissa) return false;
  const int32_t exponent = ReadExponent(scanner);
  scanner.SkipSpaces();
  if (!scanner.AtEnd()) return false;
  const int64_t scale = std::max<int64_t>(exponent - fraction_digits, -kScaleLimit);
  Extended result = ScaleByTen(accumulator, int32_t(scale), flags);
  if (negative) result = ExtendedNegate(result);
  value = result;
  return !flags.invalid && !flags.overflow;
}

Extended ParseExtended(const std::string& text) {
  Extended value;
  if (!TextToExtended(text, value)) RaiseFilled<EConvertError>(kMsgInvalidFloat, {text});
  return value;
}

}  // namespace quorvex
