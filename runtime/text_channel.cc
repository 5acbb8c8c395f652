#include "runtime/text_channel.h"

#include <algorithm>
#include <cstring>
#include <string>
#include <system_error>

#include "runtime/exceptions.h"
#include "runtime/line_end_scan.h"

namespace quorvex {

thread_local int32_t PendingIoError = 0;

namespace {

uint16_t MessageForIoError(int32_t number) {
  switch (number) {
    case kErrorFileNotFound:
      return kMsgFileNotFound;
    case kErrorPathNotFound:
      return kMsgInvalidFilename;
    case kErrorTooManyOpenFiles:
      return kMsgTooManyOpenFiles;
    case kErrorAccessDenied:
      return kMsgAccessDenied;
    case kIoErrorEndOfFile:
      return kMsgEndOfFile;
    case kIoErrorDiskFull:
      return kMsgDiskFull;
    case kIoErrorInvalidInput:
      return kMsgInvalidInput;
    default:
      return kMsgInOutError;
  }
}

constexpr int32_t kPaddingPiece = 64;
// The blocks a channel reads itself before a thread reads ahead for it.
constexpr int32_t kBlocksBeforeReadAhead = 3;

}  // namespace

void RaisePendingIoError() {
  int32_t number = PendingIoError;
  PendingIoError = 0;
  uint16_t id = MessageForIoError(number);
  std::string text = id == kMsgInOutError ? FillMessage(id, {number}) : LoadMessage(id);
  throw EInOutError(text, number, Exception::PositionOf(id));
}

TextChannel& ConsoleIn() {
  static TextChannel channel(StdStream::kInput);
  return channel;
}

TextChannel& ConsoleOut() {
  static TextChannel channel(StdStream::kOutput);
  return channel;
}

TextChannel::~TextChannel() {
  read_ahead_.reset();
  if (OwnsHandle()) System().Close(os_file_);
}

void TextChannel::BindName(const FileName& name) {
  read_ahead_.reset();
  if (OwnsHandle()) System().Close(os_file_);
  lent_ = kNoHandle;
  source_ = nullptr;
  path_ = name;
  state_ = ChannelState::kClosed;
  cursor_ = 0;
  fill_ = 0;
  os_file_ = kNoHandle;
}

void TextChannel::OpenForReading() {
  Open(ChannelState::kReading);
}

void TextChannel::OpenForWriting() {
  Open(ChannelState::kWriting);
}

void TextChannel::OpenForWritingOn(OsHandle lent) {
  Open(ChannelState::kWriting, lent);
}

void TextChannel::OpenForReadingFrom(BlockSource& source) {
  Open(ChannelState::kReading, kNoHandle, &source);
}

void TextChannel::Open(ChannelState direction, OsHandle lent, BlockSource* source) {
  if (state_ == ChannelState::kReading || state_ == ChannelState::kWriting) {
    CloseChannel();
    if (state_ != ChannelState::kClosed && !IsConsole()) Release();
  }
  if (state_ == ChannelState::kUnbound) {
    PendingIoError = kIoErrorNotBound;
    return;
  }
  state_ = direction;
  cursor_ = 0;
  fill_ = 0;
  buffer_offset_ = 0;
  data_ended_ = false;
  blocks_read_ = 0;
  lent_ = lent;
  source_ = source;
  if (source_ != nullptr) {
    UseCapacity(kDiskCapacity);
    return;
  }
  if (!OpenHandle(direction)) state_ = ChannelState::kClosed;
}

bool TextChannel::OpenHandle(ChannelState direction) {
  bool writing = direction == ChannelState::kWriting;
  if (IsConsole()) {
    os_file_ = System().StdHandle(console_stream_);
  } else if (lent_ != kNoHandle) {
    os_file_ = lent_;
  } else {
    OsResult opened =
        writing
            ? System().Open(path_, FileAccess::kWrite, kShareRead, FileDisposition::kCreateAlways)
            : System().Open(path_, FileAccess::kRead, kShareWrite, FileDisposition::kOpenExisting);
    if (opened.error != 0) {
      PendingIoError = int32_t(opened.error);
      return false;
    }
    os_file_ = OsHandle(opened.value);
  }
  if (!writing) {
    UseCapacity(IsConsole() ? kSmallCapacity : kDiskCapacity);
    return true;
  }
  FileKind kind = System().KindOf(os_file_);
  if (kind == FileKind::kUnknown) {
    if (OwnsHandle()) System().Close(os_file_);
    os_file_ = kNoHandle;
    PendingIoError = kIoErrorNotOpenForOutput;
    return false;
  }
  flush_each_line_ = kind == FileKind::kCharacter;
  UseCapacity(kind == FileKind::kDisk ? kDiskCapacity : kSmallCapacity);
  return true;
}

void TextChannel::UseCapacity(int32_t capacity) {
  if (capacity == capacity_) return;
  bytes_ = std::make_unique<char[]>(size_t(capacity));
  capacity_ = capacity;
}

// The console channels open themselves on first use in their own direction.
bool TextChannel::OpenOnFirstUse(ChannelState direction) {
  if (!IsConsoleFor(direction) || state_ != ChannelState::kClosed) return false;
  Open(direction);
  return state_ == direction;
}

bool TextChannel::FillBuffer() {
  buffer_offset_ += fill_;
  cursor_ = 0;
  fill_ = 0;
  OsResult got = ReadNextBlock();
  if (got.error != 0) {
    PendingIoError = int32_t(got.error);
    return false;
  }
  if (got.value == 0) {
    bytes_[0] = EndMark;
    fill_ = 1;
    data_ended_ = true;
    return true;
  }
  fill_ = int32_t(got.value);
  return true;
}

OsResult TextChannel::ReadNextBlock() {
  if (source_ != nullptr) return source_->Next(bytes_);
  if (!read_ahead_ && ++blocks_read_ == kBlocksBeforeReadAhead) StartReadAheadOnLongFile();
  if (read_ahead_) return read_ahead_->Next(bytes_);
  return System().Read(os_file_, bytes_.get(), capacity_);
}

// A file that has filled the buffer a few times is likely long enough to gain from a reading
// thread; short files, the console (read through a small buffer) and pipes are read on the
// caller's thread alone. Without a thread to be had, reading goes on as before.
void TextChannel::StartReadAheadOnLongFile() {
  if (!read_ahead_allowed_ || capacity_ != kDiskCapacity ||
      System().KindOf(os_file_) != FileKind::kDisk) {
    return;
  }
  try {
    read_ahead_ = std::make_unique<ReadAhead>(os_file_, capacity_);
  } catch (const std::system_error&) {
    read_ahead_.reset();
  }
}

char TextChannel::ReadByte() {
  if (state_ != ChannelState::kReading && !OpenOnFirstUse(ChannelState::kReading)) {
    PendingIoError = kIoErrorNotOpenForInput;
    return EndMark;
  }
  if (cursor_ == fill_ && !FillBuffer()) return EndMark;
  char c = bytes_[cursor_];
  if (c != EndMark) ++cursor_;
  return c;
}

char TextChannel::PeekByte() {
  char c = ReadByte();
  if (c != EndMark) --cursor_;
  return c;
}

void TextChannel::ReadLinePart(std::string& line, size_t maximum) {
  line.clear();
  while (line.size() < maximum) {
    char c = PeekByte();
    if (c == '\r' || c == '\n' || c == EndMark) return;
    const char* start = bytes_.get() + cursor_;
    const char* end = bytes_.get() + fill_;
    const char* stop = start;
    while (stop < end && *stop != '\r' && *stop != '\n' && *stop != EndMark &&
           size_t(stop - start) < maximum - line.size()) {
      ++stop;
    }
    line.append(start, stop);
    cursor_ += int32_t(stop - start);
  }
}

void TextChannel::SkipLine() {
  for (;;) {
    char c = ReadByte();
    if (c == EndMark || c == '\n') return;
    if (c == '\r') break;
  }
  if (PeekByte() == '\n') ReadByte();
}

std::string_view TextChannel::ReadLine(std::string& held) {
  if (state_ == ChannelState::kReading) {
    const char* start = bytes_.get() + cursor_;
    const char* end = bytes_.get() + fill_;
    const char* stop = FindLineEnd(start, end, EndMark);
    // The line and its line end lie in the buffer (a CR with the byte after it, which may be
    // its LF): consume them in place. EndMark is never consumed.
    size_t end_length = 0;
    if (stop < end && *stop == '\n') end_length = 1;
    if (stop + 1 < end && *stop == '\r') end_length = stop[1] == '\n' ? 2 : 1;
    if (end_length > 0 || (stop < end && *stop == EndMark)) {
      cursor_ = int32_t(stop + end_length - bytes_.get());
      return std::string_view(start, size_t(stop - start));
    }
  }
  ReadLinePart(held, SIZE_MAX);
  SkipLine();
  return held;
}

bool TextChannel::AtEnd() {
  if (state_ == ChannelState::kReading && cursor_ < fill_) return bytes_[cursor_] == EndMark;
  return PeekByte() == EndMark;
}

int64_t TextChannel::TextAfterEndMark() {
  if (state_ != ChannelState::kReading || data_ended_ || cursor_ >= fill_ ||
      bytes_[cursor_] != EndMark) {
    return -1;
  }
  const int64_t mark = buffer_offset_ + cursor_;
  for (;;) {
    const std::string_view rest(bytes_.get() + cursor_, size_t(fill_ - cursor_));
    if (rest.find_first_not_of(EndMark) != std::string_view::npos) return mark;
    if (!FillBuffer() || data_ended_) return -1;
  }
}

void TextChannel::WriteInteger(int32_t value, int32_t width) {
  std::string digits = std::to_string(value);
  int32_t padding = width - int32_t(digits.size());
  const std::string spaces(kPaddingPiece, ' ');
  while (padding > 0 && PendingIoError == 0) {
    int32_t piece = std::min(padding, kPaddingPiece);
    WriteBytes(spaces.data(), size_t(piece));
    padding -= piece;
  }
  WriteText(digits);
}

void TextChannel::EndLineSlowly() {
  if (state_ == ChannelState::kWriting) {
    DrainBuffer();
  } else if (state_ != ChannelState::kReading) {
    PendingIoError = kIoErrorNotOpen;
  }
}

void TextChannel::WriteBytes(const char* data, size_t count) {
  if (state_ != ChannelState::kWriting && !OpenOnFirstUse(ChannelState::kWriting)) {
    PendingIoError = kIoErrorNotOpenForOutput;
    return;
  }
  while (count >= size_t(capacity_ - cursor_)) {
    size_t room = size_t(capacity_ - cursor_);
    std::memcpy(bytes_.get() + cursor_, data, room);
    cursor_ = capacity_;
    data += room;
    count -= room;
    if (!DrainBuffer()) return;
  }
  std::memcpy(bytes_.get() + cursor_, data, count);
  cursor_ += int32_t(count);
}

// Writes out the waiting bytes, then data in system writes of at most a gigabyte each.
void TextChannel::WriteDirectly(const char* data, size_t count) {
  constexpr size_t kLargestWrite = size_t(1) << 30;
  if (state_ != ChannelState::kWriting) {
    WriteBytes(data, count);
    return;
  }
  if (!DrainBuffer()) return;
  while (count > 0) {
    const size_t piece = std::min(count, kLargestWrite);
    if (!WriteWhole(data, int32_t(piece))) return;
    data += piece;
    count -= piece;
  }
}

// Writes the waiting bytes in one system write.
bool TextChannel::DrainBuffer() {
  int32_t waiting = cursor_;
  cursor_ = 0;
  return waiting == 0 || WriteWhole(bytes_.get(), waiting);
}

// Writes count bytes in one system write. A write that puts fewer bytes than asked counts as
// a full disk, so that a truncated file is never reported as written.
bool TextChannel::WriteWhole(const char* data, int32_t count) {
  OsResult written = System().Write(os_file_, data, count);
  if (written.error != 0) {
    PendingIoError = int32_t(written.error);
    return false;
  }
  if (written.value < count) {
    PendingIoError = kIoErrorDiskFull;
    return false;
  }
  return true;
}

void TextChannel::CloseChannel() {
  switch (state_) {
    case ChannelState::kReading:
      Release();
      return;
    case ChannelState::kWriting:
      if (DrainBuffer()) Release();
      return;
    default:
      if (!IsConsoleFor(ChannelState::kReading)) PendingIoError = kIoErrorNotOpen;
  }
}

void TextChannel::Release() {
  if (IsConsole()) return;
  read_ahead_.reset();
  source_ = nullptr;
  state_ = ChannelState::kClosed;
  uint32_t error = OwnsHandle() ? System().Close(os_file_) : 0;
  os_file_ = kNoHandle;
  if (error != 0) PendingIoError = int32_t(error);
}

}  // namespace quorvex
