// The value operations of TWriter: the encodings the writer chooses for each kind of value.
#include <cstdint>
#include <cstring>

#include "formstream/filer.h"
#include "formstream/value_tag.h"
#include "runtime/ascii.h"
#include "runtime/little_endian.h"
#include "runtime/memory_stream.h"
#include "runtime/small_copy.h"

namespace quorvex {
namespace {

constexpr size_t kMaxShortString = 255;

void PutLittleEndian(TWriter& writer, uint32_t value, int count) {
  unsigned char bytes[4];
  StoreLittleEndian(bytes, value, count);
  writer.PutBytes(bytes, count);
}

}  // namespace

void TWriter::PutInteger(int32_t value) {
  if (value >= INT8_MIN && value <= INT8_MAX) {
    PutTag(tagInt8);
    PutLittleEndian(*this, uint32_t(value), 1);
  } else if (value >= INT16_MIN && value <= INT16_MAX) {
    PutTag(tagInt16);
    PutLittleEndian(*this, uint32_t(value), 2);
  } else {
    PutTag(tagInt32);
    PutLittleEndian(*this, uint32_t(value), 4);
  }
}

void TWriter::PutFloat(Extended value) {
  unsigned char bytes[10];
  ExtendedToBytes(value, bytes);
  PutTag(tagExtended);
  PutBytes(bytes, sizeof bytes);
}

void TWriter::PutString(std::string_view text) {
  if (text.size() <= kMaxShortString) {
    PutTag(tagString);
    PutName(text);
    return;
  }
  PutTag(tagLongString);
  PutLittleEndian(*this, uint32_t(text.size()), 4);
  PutBytes(text.data(), int32_t(text.size()));
}

void TWriter::PutName(std::string_view text) {
  auto length = uint8_t(text.size() < kMaxShortString ? text.size() : kMaxShortString);
  // When the buffer has room for both, the length and the bytes go in with one copy.
  if (1 + length <= buffer_size_ - pending_) {
    unsigned char* at = buffer_.get() + pending_;
    at[0] = length;
    auto* bytes = reinterpret_cast<const unsigned char*>(text.data());
    if (length <= kSmallCopy) {
      CopySmallBytes(at + 1, bytes, length);
    } else {
      std::memcpy(at + 1, bytes, length);
    }
    pending_ += 1 + length;
    return;
  }
  PutBytes(&length, 1);
  PutBytes(text.data(), length);
}

void TWriter::PutIdent(std::string_view text) {
  if (EqualIgnoringAsciiCase(text, "False")) return PutTag(tagFalse);
  if (EqualIgnoringAsciiCase(text, "True")) return PutTag(tagTrue);
  if (EqualIgnoringAsciiCase(text, "nil")) return PutTag(tagNil);
  PutTag(tagIdent);
  PutName(text);
}

void TWriter::PutPrefix(uint8_t flags, int32_t child_position) {
  if (flags == 0) return;
  PutTag(uint8_t(kPrefixMarker | flags));
  if (flags & flagChildPosition) PutInteger(child_position);
}

void TWriter::PutBinary(const std::function<void(TStream&)>& producer) {
  TMemoryStream bytes;
  producer(bytes);
  PutTag(tagBinary);
  PutLittleEndian(*this, uint32_t(bytes.Size()), 4);
  PutBytes(bytes.Memory(), bytes.Size());
}

}  // namespace quorvex
