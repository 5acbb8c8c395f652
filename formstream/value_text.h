#ifndef QUORVEX_FORMSTREAM_VALUE_TEXT_H_
#define QUORVEX_FORMSTREAM_VALUE_TEXT_H_

#include <cstdint>
#include <string>
#include <string_view>

namespace quorvex {

// Writes 2 * count upper-case hexadecimal digits to text, for each byte the digit of its high
// four bits first.
void BytesToHex(const unsigned char* bytes, char* text, int32_t count);

// Decodes pairs of hexadecimal digits (either case) from text into destination, the first
// digit of a pair giving the high four bits, until a pair holds another character or maximum
// bytes are written; returns the number of bytes written. The second character of a pair is
// read only when the first is a digit, so a text ending in any non-digit byte is never read
// past that byte.
int32_t HexPairsToBytes(const unsigned char* text, unsigned char* destination, int32_t maximum);

// The same as HexPairsToBytes, for a text of which at least readable bytes may be read: within
// them, the digits may be taken many at a time.
int32_t HexDigitsToBytes(const unsigned char* text, int32_t readable, unsigned char* destination,
                         int32_t maximum);

// Appends value in the quoted form of the text form: runs of bytes from 0x20 up other than
// the apostrophe between apostrophes, every other byte as "#" and its decimal value, and "''"
// for the empty string.
void AppendQuoted(std::string& text, std::string_view value);

}  // namespace quorvex

#endif  // QUORVEX_FORMSTREAM_VALUE_TEXT_H_
