#ifndef QUORVEX_FORMSTREAM_VALUE_TAG_H_
#define QUORVEX_FORMSTREAM_VALUE_TAG_H_

#include <cstdint>

namespace quorvex {

// The one-byte tag in front of every value of a binary form.
enum ValueTag : uint8_t {
  tagEnd = 0,
  tagList = 1,
  tagInt8 = 2,
  tagInt16 = 3,
  tagInt32 = 4,
  tagExtended = 5,
  tagString = 6,
  tagIdent = 7,
  tagFalse = 8,
  tagTrue = 9,
  tagBinary = 10,
  tagSet = 11,
  tagLongString = 12,
  tagNil = 13,
  tagCollection = 14,
};

// The highest defined tag; 15 to 255 are undefined.
constexpr uint8_t kLastValueTag = tagCollection;

// The four bytes that open every binary form.
constexpr unsigned char FormSignature[4] = {'T', 'P', 'F', '0'};

// An object prefix is a first byte with all four high bits set; its low four bits are flags.
constexpr uint8_t kPrefixMarker = 0xF0;
enum PrefixFlags : uint8_t {
  flagInherited = 1,
  flagChildPosition = 2,
};

}  // namespace quorvex

#endif  // QUORVEX_FORMSTREAM_VALUE_TAG_H_
