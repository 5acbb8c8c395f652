#include "formstream/filer.h"

#include <cstring>

#include "runtime/exceptions.h"

namespace quorvex {

TFiler::TFiler(TStream& stream, int32_t buffer_size)
    : stream_(stream), buffer_(new unsigned char[size_t(buffer_size)]), buffer_size_(buffer_size) {}

TReader::TReader(TStream& stream, int32_t buffer_size) : TFiler(stream, buffer_size) {}

TReader::~TReader() {
  if (released_) return;
  try {
    GiveBackReadAhead();
  } catch (...) {
    // The stream cannot move back; the reader is on its way out of a failure already.
  }
}

void TReader::Release() {
  released_ = true;
  GiveBackReadAhead();
  buffer_.reset();
}

void TReader::GiveBackReadAhead() {
  int32_t unread = count_ - index_;
  index_ = count_;
  if (unread > 0) stream_.MoveTo(-unread, FromCurrent);
}

void TReader::RefillBuffer() {
  int32_t delivered = stream_.ReadSome(buffer_.get(), buffer_size_);
  if (delivered <= 0) Raise<EReadError>(kMsgReadError);
  index_ = 0;
  count_ = delivered;
}

void TReader::GetBytesRefilling(void* destination, int32_t count) {
  auto* out = static_cast<unsigned char*>(destination);
  while (count > 0) {
    if (index_ == count_) RefillBuffer();
    int32_t available = count_ - index_;
    int32_t n = count < available ? count : available;
    std::memcpy(out, buffer_.get() + index_, size_t(n));
    index_ += n;
    out += n;
    count -= n;
  }
}

TWriter::TWriter(TStream& stream, int32_t buffer_size) : TFiler(stream, buffer_size) {}

TWriter::~TWriter() {
  if (released_) return;
  try {
    DrainBuffer();
  } catch (...) {
    // The text that could not be written is lost with the failure that ended the writing.
  }
}

void TWriter::Release() {
  released_ = true;
  DrainBuffer();
  buffer_.reset();
}

void TWriter::PutBytesDraining(const void* source, int32_t count) {
  auto* in = static_cast<const unsigned char*>(source);
  while (count > 0) {
    if (pending_ == buffer_size_) DrainBuffer();
    int32_t room = buffer_size_ - pending_;
    int32_t n = count < room ? count : room;
    std::memcpy(buffer_.get() + pending_, in, size_t(n));
    pending_ += n;
    in += n;
    count -= n;
  }
}

void TWriter::DrainBuffer() {
  int32_t waiting = pending_;
  pending_ = 0;
  stream_.WriteAll(buffer_.get(), waiting);
}

}  // namespace quorvex
