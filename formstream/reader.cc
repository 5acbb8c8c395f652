// The typed reading operations of TReader and the tags each of them accepts.
#include <algorithm>
#include <cstring>

#include "formstream/filer.h"
#include "formstream/value_tag.h"
#include "runtime/exceptions.h"
#include "runtime/little_endian.h"

namespace quorvex {
namespace {

// Long strings arrive in pieces of this size, so that a damaged length cannot make the reader
// reserve more memory than the stream actually holds.
constexpr int32_t kStringPiece = 65536;

[[noreturn]] void RaiseInvalidValue() {
  Raise<EReadError>(kMsgInvalidPropertyValue);
}

}  // namespace

void TReader::ExpectTag(uint8_t tag) {
  if (GetTag() != tag) RaiseInvalidValue();
}

void TReader::CheckFormSignature() {
  unsigned char signature[sizeof FormSignature];
  GetBytes(signature, sizeof signature);
  if (std::memcmp(signature, FormSignature, sizeof signature) != 0) {
    Raise<EReadError>(kMsgInvalidImage);
  }
}

ObjectPrefix TReader::GetPrefix() {
  ObjectPrefix prefix;
  if ((PeekTag() & kPrefixMarker) != kPrefixMarker) return prefix;
  prefix.flags = GetTag() & 0x0F;
  if (prefix.flags & flagChildPosition) prefix.child_position = GetInteger();
  return prefix;
}

std::string_view TReader::GetText(int32_t count, std::string& spare) {
  if (count <= Buffered()) {
    return std::string_view(reinterpret_cast<const char*>(TakeBuffered(count)), size_t(count));
  }
  spare.resize(size_t(count));
  GetBytes(spare.data(), count);
  return spare;
}

std::string_view TReader::GetName(std::string& spare) {
  return GetText(GetTag(), spare);
}

int32_t TReader::GetIntegerPayload(uint8_t tag) {
  unsigned char bytes[4];
  switch (tag) {
    case tagInt8:
      GetBytes(bytes, 1);
      return int8_t(bytes[0]);
    case tagInt16:
      GetBytes(bytes, 2);
      return int16_t(LoadLittleEndian(bytes, 2));
    case tagInt32:
      GetBytes(bytes, 4);
      return int32_t(LoadLittleEndian(bytes, 4));
    default:
      RaiseInvalidValue();
  }
}

int32_t TReader::GetLength() {
  unsigned char bytes[4];
  GetBytes(bytes, 4);
  return int32_t(LoadLittleEndian(bytes, 4));
}

int32_t TReader::GetInteger() {
  return GetIntegerPayload(GetTag());
}

Extended TReader::GetExtended() {
  uint8_t tag = GetTag();
  if (tag != tagExtended) return ExtendedFromInt(GetIntegerPayload(tag));
  unsigned char bytes[10];
  GetBytes(bytes, sizeof bytes);
  return ExtendedFromBytes(bytes);
}

std::string_view TReader::GetStringValue(std::string& spare) {
  uint8_t tag = GetTag();
  if (tag == tagString) return GetText(GetTag(), spare);
  if (tag != tagLongString) RaiseInvalidValue();
  int32_t length = GetLength();
  if (length < 0) RaiseInvalidValue();
  if (length <= Buffered()) return GetText(length, spare);
  spare.clear();
  while (int32_t(spare.size()) < length) {
    int32_t piece = std::min(length - int32_t(spare.size()), kStringPiece);
    spare.resize(spare.size() + size_t(piece));
    GetBytes(spare.data() + spare.size() - size_t(piece), piece);
  }
  return spare;
}

std::string_view TReader::GetIdentifier(std::string& spare) {
  switch (GetTag()) {
    case tagIdent:
      return GetName(spare);
    case tagFalse:
      return "False";
    case tagTrue:
      return "True";
    case tagNil:
      return "nil";
    default:
      RaiseInvalidValue();
  }
}

}  // namespace quorvex
