#ifndef QUORVEX_FORMSTREAM_FILER_H_
#define QUORVEX_FORMSTREAM_FILER_H_

#include <cstdint>
#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "formstream/value_tag.h"
#include "runtime/extended/extended.h"
#include "runtime/small_copy.h"
#include "runtime/streams.h"

namespace quorvex {

// The size of the buffer a reader or writer keeps over its stream.
constexpr int32_t kFilerBufferSize = 4096;

// The common part of TReader and TWriter: the stream, which belongs to the caller, and a
// buffer of its own.
class TFiler {
 public:
  TFiler(TStream& stream, int32_t buffer_size);
  TFiler(const TFiler&) = delete;
  TFiler& operator=(const TFiler&) = delete;

 protected:
  TStream& stream_;
  std::unique_ptr<unsigned char[]> buffer_;
  int32_t buffer_size_;
};

// What an object prefix says: its flags and, with flagChildPosition, the child position.
struct ObjectPrefix {
  uint8_t flags = 0;
  int32_t child_position = 0;
};

// Reads a binary form value by value through a read-ahead buffer. Every read that runs out of
// bytes raises EReadError "Stream read error"; every typed read that meets a tag it does not
// accept raises EReadError "Invalid property value".
class TReader : public TFiler {
 public:
  TReader(TStream& stream, int32_t buffer_size);
  // Gives back the bytes read ahead if Release was not called; never throws.
  ~TReader();

  // Moves the stream back by the bytes read ahead but not consumed, so that it stands just
  // behind the last byte consumed, and frees the buffer.
  void Release();

  void GetBytes(void* destination, int32_t count) {
    // Most reads are served from the buffer; only the others need the loop that refills.
    if (count > 0 && count <= count_ - index_) {
      std::memcpy(destination, buffer_.get() + index_, size_t(count));
      index_ += count;
      return;
    }
    GetBytesRefilling(destination, count);
  }
  // The next byte, not consumed.
  uint8_t PeekTag() {
    if (index_ == count_) RefillBuffer();
    return buffer_[size_t(index_)];
  }
  bool AtListEnd() { return PeekTag() == tagEnd; }
  uint8_t GetTag() {
    uint8_t tag = PeekTag();
    ++index_;
    return tag;
  }
  // The number of bytes the buffer holds unread: reads of up to this many bytes cannot fail.
  int32_t Buffered() const { return count_ - index_; }
  // The next count bytes, consumed, where they stand in the buffer; count is at most
  // Buffered().
  const unsigned char* TakeBuffered(int32_t count) {
    const unsigned char* bytes = buffer_.get() + index_;
    index_ += count;
    return bytes;
  }
  void ExpectTag(uint8_t tag);

  // Raises EReadError "Invalid stream format" unless the next four bytes are FormSignature.
  void CheckFormSignature();
  ObjectPrefix GetPrefix();
  std::string GetName() { return std::string(GetName(spare_)); }
  int32_t GetInteger();
  // The 4-byte signed length in front of the bytes of a binary value or a long string.
  int32_t GetLength();
  Extended GetExtended();
  std::string GetStringValue() { return std::string(GetStringValue(spare_)); }
  std::string GetIdentifier() { return std::string(GetIdentifier(spare_)); }

  // The same three reads without a string of their own: the text is valid until the next read
  // and until spare changes. It stands in the buffer when the buffer holds it whole, and is
  // copied into spare otherwise.
  std::string_view GetName(std::string& spare);
  std::string_view GetStringValue(std::string& spare);
  std::string_view GetIdentifier(std::string& spare);

 private:
  void RefillBuffer();
  void GetBytesRefilling(void* destination, int32_t count);
  int32_t GetIntegerPayload(uint8_t tag);
  // The next count bytes, as GetName(spare) gives them.
  std::string_view GetText(int32_t count, std::string& spare);
  void GiveBackReadAhead();

  std::string spare_;
  int32_t index_ = 0;
  int32_t count_ = 0;
  bool released_ = false;
};

// Writes bytes to its stream through a buffer that is written out when full and at release.
class TWriter : public TFiler {
 public:
  TWriter(TStream& stream, int32_t buffer_size);
  // Writes out what is still waiting if Release was not called, as well as it can: a failure
  // here is dropped, because this runs when an earlier failure is already on its way out.
  ~TWriter();

  // Writes out the waiting bytes (raising EWriteError when the stream takes fewer) and frees
  // the buffer.
  void Release();

  void PutBytes(const void* source, int32_t count) {
    // Most pieces are small and fit in the room left; the others take the loop that copies
    // and drains. A buffer that becomes full here waits for the next piece or the release.
    if (count > 0 && count <= kSmallCopy && count <= buffer_size_ - pending_) {
      CopySmallBytes(buffer_.get() + pending_, static_cast<const unsigned char*>(source), count);
      pending_ += count;
      return;
    }
    PutBytesDraining(source, count);
  }
  void DrainBuffer();

  // The value operations, each appending one piece of a binary form in the encoding the
  // writer chooses: the smallest integer tag, a long string only beyond 255 bytes, the
  // dedicated tags for False, True and nil, names cut to 255 bytes.
  void PutTag(uint8_t tag) { PutBytes(&tag, 1); }
  void OpenList() { PutTag(tagList); }
  void CloseList() { PutTag(tagEnd); }
  void PutInteger(int32_t value);
  void PutFloat(Extended value);
  void PutString(std::string_view text);
  void PutName(std::string_view text);
  void PutIdent(std::string_view text);
  // Nothing without flags; otherwise the prefix byte and, with flagChildPosition, the
  // position.
  void PutPrefix(uint8_t flags, int32_t child_position);
  void PutSignature() { PutBytes(FormSignature, sizeof FormSignature); }
  // A binary value of the bytes producer writes into the stream it is given. When the
  // producer fails, nothing of the value has been appended.
  void PutBinary(const std::function<void(TStream&)>& producer);

 private:
  void PutBytesDraining(const void* source, int32_t count);

  int32_t pending_ = 0;
  bool released_ = false;
};

}  // namespace quorvex

#endif  // QUORVEX_FORMSTREAM_FILER_H_
