#include "formstream/form_resource_header.h"

#include <cstring>
#include <vector>

#include "formstream/value_tag.h"
#include "runtime/ascii.h"
#include "runtime/exceptions.h"
#include "runtime/little_endian.h"

namespace quorvex {
namespace {

constexpr unsigned char kTypeMarker = 0xFF;  // the resource type that follows is a number
constexpr uint16_t kDataResourceType = 10;
constexpr uint16_t kMemoryFlags = 0x1030;  // moveable, pure, discardable
constexpr int32_t kNameOffset = 3;
constexpr int32_t kHeaderBytesBesideName = 10;

// The reader looks at this many bytes only; the byte behind them in its buffer stays zero so
// that the search for the name's end always stops inside the buffer.
constexpr int32_t kReadWindow = 79;

// Reads the bytes of a binary form held in memory; a byte beyond the end reads as 0.
class FormBytes {
 public:
  explicit FormBytes(const TCustomMemoryStream& form) : form_(form) {}

  uint8_t Next() { return offset_ < form_.Size() ? form_.Memory()[offset_++] : 0; }
  void Skip(int32_t count) { offset_ += count; }

 private:
  const TCustomMemoryStream& form_;
  int32_t offset_ = sizeof FormSignature;
};

// The length byte of the root object's class name, read behind its prefix if it has one.
uint8_t RootClassNameLength(FormBytes& bytes) {
  uint8_t first = bytes.Next();
  if ((first & kPrefixMarker) != kPrefixMarker) return first;
  if (first & flagChildPosition) {
    uint8_t tag = bytes.Next();
    if (tag == tagInt8) bytes.Skip(1);
    if (tag == tagInt16) bytes.Skip(2);
    if (tag == tagInt32) bytes.Skip(4);
  }
  return bytes.Next();
}

void UpperCaseUpToZero(unsigned char* name, int32_t length) {
  for (int32_t i = 0; i < length && name[i] != 0; ++i) {
    name[i] = uint8_t(UpperCaseAscii(char(name[i])));
  }
}

}  // namespace

void ReadFormResourceHeader(TStream& input) {
  unsigned char header[kReadWindow + 1] = {};
  int32_t count = input.ReadSome(header, kReadWindow);
  // The type must have been read, not supplied by the zeros of the buffer.
  if (count < kNameOffset || header[0] != kTypeMarker || header[1] != kDataResourceType ||
      header[2] != 0) {
    Raise<EInvalidImage>(kMsgInvalidImage);
  }
  auto name_length = int32_t(std::strlen(reinterpret_cast<const char*>(header + kNameOffset)));
  input.MoveTo(name_length + kHeaderBytesBesideName - count, FromCurrent);
}

void WriteFormResource(const TCustomMemoryStream& form, TStream& output) {
  FormBytes bytes(form);
  int32_t name_length = RootClassNameLength(bytes);
  std::vector<unsigned char> header(size_t(name_length + kHeaderBytesBesideName), 0);
  unsigned char* name = header.data() + kNameOffset;
  for (int32_t i = 0; i < name_length; ++i) name[i] = bytes.Next();
  UpperCaseUpToZero(name, name_length);
  header[0] = kTypeMarker;
  StoreLittleEndian(&header[1], kDataResourceType, 2);
  StoreLittleEndian(name + name_length + 1, kMemoryFlags, 2);
  StoreLittleEndian(name + name_length + 3, uint32_t(form.Size()), 4);
  output.WriteAll(header.data(), int32_t(header.size()));
  output.WriteAll(form.Memory(), form.Size());
}

}  // namespace quorvex
