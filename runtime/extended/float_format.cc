#include <algorithm>
#include <string>

#include "runtime/extended/decimal_point.h"
#include "runtime/extended/float_text.h"

namespace quorvex {
namespace {

constexpr int kPrecision = 15;
constexpr int kAllDecimals = 9999;

// d1.d2d3...E<exponent - 1>, without "+" and without leading zeros in the exponent.
void AppendScientific(const DigitRecord& record, size_t length, std::string& text) {
  text += record.digits[0];
  if (length > 1) {
    text += DecimalPoint;
    text.append(record.digits + 1, length - 1);
  }
  text += 'E';
  text += std::to_string(int(record.exponent) - 1);
}

// The digits with the decimal point after digit number exponent, padded with zeros on the
// side where digits run out.
void AppendPlain(const DigitRecord& record, size_t length, std::string& text) {
  const int exponent = record.exponent;
  if (exponent > 0) {
    const size_t integer_digits = size_t(exponent);
    if (length <= integer_digits) {
      text.append(record.digits, length);
      text.append(integer_digits - length, '0');
      return;
    }
    text.append(record.digits, integer_digits);
    text += DecimalPoint;
    text.append(record.digits + integer_digits, length - integer_digits);
    return;
  }
  text += '0';
  text += DecimalPoint;
  text.append(size_t(-exponent), '0');
  text.append(record.digits, length);
}

}  // namespace

std::string FormatDigits(const DigitRecord& record) {
  const char* end = std::find(record.digits, record.digits + sizeof(record.digits), '\0');
  const size_t length = size_t(end - record.digits);
  if (length == 0 && record.exponent == DigitRecord::kInfinity) return "INF";
  if (length == 0 && record.exponent == DigitRecord::kNaN) return "NAN";
  std::string text;
  if (record.negative) text += '-';
  if (length == 0) return text + '0';
  if (record.exponent > kPrecision || record.exponent < -3) {
    AppendScientific(record, length, text);
  } else {
    AppendPlain(record, length, text);
  }
  return text;
}

std::string FormatExtended(Extended value) {
  return FormatDigits(ExtendedToDigits(value, kPrecision, kAllDecimals));
}

}  // namespace quorvex
