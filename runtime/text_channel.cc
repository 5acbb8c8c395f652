#include "runtime/text_channel.h"

#include <algorithm>
#include <cstring>
#include <string>

#include "runtime/exceptions.h"

namespace quorvex {

int32_t PendingIoError = 0;

namespace {

uint16_t MessageForIoError(int32_t number) {
  switch (number) {
    case 2:
      return kMsgFileNotFound;
    case 3:
      return kMsgInvalidFilename;
    case 4:
      return kMsgTooManyOpenFiles;
    case 5:
      return kMsgAccessDenied;
    case 100:
      return kMsgEndOfFile;
    case kIoErrorDiskFull:
      return kMsgDiskFull;
    case 106:
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
  if (!IsConsole() && osFile != kNoHandle) System().Close(osFile);
}

void TextChannel::BindName(const FileName& name) {
  if (!IsConsole() && osFile != kNoHandle) System().Close(osFile);
  path = name;
  channelState = ChannelState::kClosed;
  cursor = 0;
  fill = 0;
  osFile = kNoHandle;
}

void TextChannel::OpenForReading() {
  Open(ChannelState::kReading);
}

void TextChannel::OpenForWriting() {
  Open(ChannelState::kWriting);
}

void TextChannel::Open(ChannelState direction) {
  if (channelState == ChannelState::kReading || channelState == ChannelState::kWriting) {
    CloseChannel();
    if (channelState != ChannelState::kClosed && !IsConsole()) Release();
  }
  if (channelState == ChannelState::kUnbound) {
    PendingIoError = kIoErrorNotBound;
    return;
  }
  channelState = direction;
  cursor = 0;
  fill = 0;
  if (!OpenHandle(direction)) channelState = ChannelState::kClosed;
}

bool TextChannel::OpenHandle(ChannelState direction) {
  bool writing = direction == ChannelState::kWriting;
  if (IsConsole()) {
    osFile = System().StdHandle(console_stream_);
  } else {
    OsResult opened =
        writing
            ? System().Open(path, FileAccess::kWrite, kShareRead, FileDisposition::kCreateAlways)
            : System().Open(path, FileAccess::kRead, kShareWrite, FileDisposition::kOpenExisting);
    if (opened.error != 0) {
      PendingIoError = int32_t(opened.error);
      return false;
    }
    osFile = OsHandle(opened.value);
  }
  if (!writing) return true;
  FileKind kind = System().KindOf(osFile);
  if (kind == FileKind::kUnknown) {
    if (!IsConsole()) System().Close(osFile);
    osFile = kNoHandle;
    PendingIoError = kIoErrorNotOpenForOutput;
    return false;
  }
  flush_each_line_ = kind == FileKind::kCharacter;
  return true;
}

// The console channels open themselves on first use in their own direction.
bool TextChannel::OpenOnFirstUse(ChannelState direction) {
  bool own_direction =
      direction == ChannelState::kReading ? this == &ConsoleIn() : this == &ConsoleOut();
  if (!own_direction || channelState != ChannelState::kClosed) return false;
  Open(direction);
  return channelState == direction;
}

bool TextChannel::FillBuffer() {
  cursor = 0;
  fill = 0;
  OsResult got = System().Read(osFile, bytes, kCapacity);
  if (got.error != 0) {
    PendingIoError = int32_t(got.error);
    return false;
  }
  if (got.value == 0) {
    bytes[0] = EndMark;
    fill = 1;
    return true;
  }
  fill = int32_t(got.value);
  return true;
}

char TextChannel::ReadByte() {
  if (channelState != ChannelState::kReading && !OpenOnFirstUse(ChannelState::kReading)) {
    PendingIoError = kIoErrorNotOpenForInput;
    return EndMark;
  }
  if (cursor == fill && !FillBuffer()) return EndMark;
  char c = bytes[cursor];
  if (c != EndMark) ++cursor;
  return c;
}

char TextChannel::PeekByte() {
  char c = ReadByte();
  if (c != EndMark) --cursor;
  return c;
}

void TextChannel::ReadLinePart(std::string& line, size_t maximum) {
  line.clear();
  while (line.size() < maximum) {
    char c = PeekByte();
    if (c == '\r' || c == '\n' || c == EndMark) return;
    const char* start = bytes + cursor;
    const char* end = bytes + fill;
    const char* stop = start;
    while (stop < end && *stop != '\r' && *stop != '\n' && *stop != EndMark &&
           size_t(stop - start) < maximum - line.size()) {
      ++stop;
    }
    line.append(start, stop);
    cursor += int32_t(stop - start);
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
  if (channelState == ChannelState::kReading && cursor < fill) return bytes[cursor] == EndMark;
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
  if (channelState == ChannelState::kWriting) {
    if (flush_each_line_) DrainBuffer();
  } else if (channelState != ChannelState::kReading) {
    PendingIoError = kIoErrorNotOpen;
  }
}

void TextChannel::WriteBytes(const char* data, size_t count) {
  if (channelState != ChannelState::kWriting && !OpenOnFirstUse(ChannelState::kWriting)) {
    PendingIoError = kIoErrorNotOpenForOutput;
    return;
  }
  while (count >= size_t(kCapacity - cursor)) {
    size_t room = size_t(kCapacity - cursor);
    std::memcpy(bytes + cursor, data, room);
    cursor = kCapacity;
    data += room;
    count -= room;
    if (!DrainBuffer()) return;
  }
  std::memcpy(bytes + cursor, data, count);
  cursor += int32_t(count);
}

// Writes the waiting bytes in one system write. A write that puts fewer bytes than asked
// counts as a full disk, so that a truncated file is never reported as written.
bool TextChannel::DrainBuffer() {
  int32_t waiting = cursor;
  cursor = 0;
  if (waiting == 0) return true;
  OsResult written = System().Write(osFile, bytes, waiting);
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
  switch (channelState) {
    case ChannelState::kReading:
      Release();
      return;
    case ChannelState::kWriting:
      if (DrainBuffer()) Release();
      return;
    default:
      if (this != &ConsoleIn()) PendingIoError = kIoErrorNotOpen;
  }
}

void TextChannel::Release() {
  if (IsConsole()) return;
  channelState = ChannelState::kClosed;
  uint32_t error = System().Close(osFile);
  osFile = kNoHandle;
  if (error != 0) PendingIoError = int32_t(error);
}

}  // namespace quorvex
