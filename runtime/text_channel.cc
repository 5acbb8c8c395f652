#include "runtime/text_channel.h"

#include <algorithm>
#include <cstring>
#include <string>

#include "runtime/exceptions.h"

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

}  // namespace

void CheckIo() {
  if (PendingIoError == 0) return;
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
  if (!IsConsole() && os_file_ != kNoHandle) System().Close(os_file_);
}

void TextChannel::BindName(const FileName& name) {
  if (!IsConsole() && os_file_ != kNoHandle) System().Close(os_file_);
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

void TextChannel::Open(ChannelState direction) {
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
  if (!OpenHandle(direction)) state_ = ChannelState::kClosed;
}

bool TextChannel::OpenHandle(ChannelState direction) {
  bool writing = direction == ChannelState::kWriting;
  if (IsConsole()) {
    os_file_ = System().StdHandle(console_stream_);
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
  if (!writing) return true;
  FileKind kind = System().KindOf(os_file_);
  if (kind == FileKind::kUnknown) {
    if (!IsConsole()) System().Close(os_file_);
    os_file_ = kNoHandle;
    PendingIoError = kIoErrorNotOpenForOutput;
    return false;
  }
  flush_each_line_ = kind == FileKind::kCharacter;
  return true;
}

// The console channels open themselves on first use in their own direction.
bool TextChannel::OpenOnFirstUse(ChannelState direction) {
  if (!IsConsoleFor(direction) || state_ != ChannelState::kClosed) return false;
  Open(direction);
  return state_ == direction;
}

bool TextChannel::FillBuffer() {
  cursor_ = 0;
  fill_ = 0;
  OsResult got = System().Read(os_file_, bytes_, kCapacity);
  if (got.error != 0) {
    PendingIoError = int32_t(got.error);
    return false;
  }
  if (got.value == 0) {
    bytes_[0] = EndMark;
    fill_ = 1;
    return true;
  }
  fill_ = int32_t(got.value);
  return true;
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
    const char* start = bytes_ + cursor_;
    const char* end = bytes_ + fill_;
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

bool TextChannel::AtEnd() {
  if (state_ == ChannelState::kReading && cursor_ < fill_) return bytes_[cursor_] == EndMark;
  return PeekByte() == EndMark;
}

void TextChannel::WriteText(std::string_view text) {
  WriteBytes(text.data(), text.size());
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

void TextChannel::WriteLineEnd() {
  WriteBytes("\r\n", 2);
  if (state_ == ChannelState::kWriting) {
    if (flush_each_line_) DrainBuffer();
  } else if (state_ != ChannelState::kReading) {
    PendingIoError = kIoErrorNotOpen;
  }
}

void TextChannel::WriteBytes(const char* data, size_t count) {
  if (state_ != ChannelState::kWriting && !OpenOnFirstUse(ChannelState::kWriting)) {
    PendingIoError = kIoErrorNotOpenForOutput;
    return;
  }
  while (count >= size_t(kCapacity - cursor_)) {
    size_t room = size_t(kCapacity - cursor_);
    std::memcpy(bytes_ + cursor_, data, room);
    cursor_ = kCapacity;
    data += room;
    count -= room;
    if (!DrainBuffer()) return;
  }
  std::memcpy(bytes_ + cursor_, data, count);
  cursor_ += int32_t(count);
}

// Writes the waiting bytes in one system write. A write that puts fewer bytes than asked
// counts as a full disk, so that a truncated file is never reported as written.
bool TextChannel::DrainBuffer() {
  int32_t waiting = cursor_;
  cursor_ = 0;
  if (waiting == 0) return true;
  OsResult written = System().Write(os_file_, bytes_, waiting);
  if (written.error != 0) {
    PendingIoError = int32_t(written.error);
    return false;
  }
  if (written.value < waiting) {
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
  state_ = ChannelState::kClosed;
  uint32_t error = System().Close(os_file_);
  os_file_ = kNoHandle;
  if (error != 0) PendingIoError = int32_t(error);
}

}  // namespace quorvex
