#ifndef QUORVEX_RUNTIME_EXTENDED_FLOAT_TEXT_H_
#define QUORVEX_RUNTIME_EXTENDED_FLOAT_TEXT_H_

#include <cstdint>
#include <string>

#include "runtime/extended/extended.h"
#include "runtime/extended/power_tables.h"

// Conversion between extended values and their decimal text, with DecimalPoint as the
// separator.
namespace quorvex {

// A decimal value 0.d1d2d3... * 10^exponent. Trailing zero digits are never stored.
struct DigitRecord {
  static constexpr int16_t kInfinity = 32767;  // exponent of infinity, with no digits
  static constexpr int16_t kNaN = -32768;      // exponent of not-a-number, with no digits

  int16_t exponent = 0;  // 0 with no digits: zero
  bool negative = false;
  char digits[21] = {};  // up to 18 digits '0'..'9', then a zero byte
};

// The decimal digits of value rounded half up to min(precision, exponent + decimals, 18)
// digits, from its 18-digit expansion. Zeros and denormals give zero. An encoding whose
// integer bit is 0 with a biased exponent from 1 to 32766 raises EInvalidOp.
DigitRecord ExtendedToDigits(Extended value, int precision, int decimals);

// The text of a digit record in the general format with precision 15: plain for exponents
// from -3 to 15, scientific beyond; "INF" and "NAN" for the special values.
std::string FormatDigits(const DigitRecord& record);

// FormatDigits(ExtendedToDigits(value, 15, 9999)).
std::string FormatExtended(Extended value);

// The value of a decimal number text (spaces around it allowed), accumulated digit by digit
// with rounding at each step and scaled by ScaleByTen. False when the text is not a number or
// its value overflows.
bool TextToExtended(const std::string& text, Extended& value);

// TextToExtended, raising EConvertError for a text it rejects.
Extended ParseExtended(const std::string& text);

}  // namespace quorvex

#endif  // QUORVEX_RUNTIME_EXTENDED_FLOAT_TEXT_H_
