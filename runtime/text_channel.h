#ifndef QUORVEX_RUNTIME_TEXT_CHANNEL_H_
#define QUORVEX_RUNTIME_TEXT_CHANNEL_H_

#include <cstdint>
#include <string>
#include <string_view>

#include "runtime/file_name.h"
#include "runtime/platform/os_errors.h"
#include "runtime/platform/platform.h"

namespace quorvex {

// The I/O error recorded by the last failing channel operation of this thread; 0 when none is
// pending. Channel operations never raise: the caller runs CheckIo after each of them. Each
// thread has its own, so conversions running side by side never see each other's errors.
extern thread_local int32_t PendingIoError;

// Raises EInOutError for the pending I/O error, if any, and clears it.
void CheckIo();

// The byte that ends the readable text of a file wherever it stands (Ctrl-Z).
constexpr char EndMark = 0x1A;

enum class ChannelState { kUnbound, kClosed, kReading, kWriting };

// A line-oriented text file, or the console when bound to the empty name. Bytes pass through
// a 128-byte buffer unchanged; every line written ends with CR LF. A line read ends at CR LF,
// a lone CR or a lone LF.
class TextChannel {
 public:
  static constexpr int32_t kCapacity = 128;

  // stream says which standard handle the channel stands for when bound to the empty name.
  explicit TextChannel(StdStream stream = StdStream::kOutput) : console_stream_(stream) {}
  // A file left open is closed; bytes still buffered are not written (as at process end).
  ~TextChannel();
  TextChannel(const TextChannel&) = delete;
  TextChannel& operator=(const TextChannel&) = delete;

  void BindName(const FileName& name);
  void OpenForReading();
  void OpenForWriting();
  void CloseChannel();

  // Appends the bytes of the current line, up to maximum of them, to line; never consumes the
  // line end.
  void ReadLinePart(std::string& line, size_t maximum);
  // Discards everything up to and including the next line end.
  void SkipLine();
  // True when no more text can be read.
  bool AtEnd();

  void WriteText(std::string_view text);
  void WriteInteger(int32_t value, int32_t width);
  void WriteLineEnd();

  ChannelState State() const { return state_; }

 private:
  void Open(ChannelState direction);
  bool OpenOnFirstUse(ChannelState direction);
  bool OpenHandle(ChannelState direction);
  char ReadByte();
  char PeekByte();
  bool FillBuffer();
  void WriteBytes(const char* data, size_t count);
  bool DrainBuffer();
  void Release();
  // A channel bound to the empty name is the console.
  bool IsConsole() const { return path_.name.empty(); }
  // The console channel that reads (standard input) or writes (standard output).
  bool IsConsoleFor(ChannelState direction) const {
    StdStream own = direction == ChannelState::kReading ? StdStream::kInput : StdStream::kOutput;
    return IsConsole() && console_stream_ == own;
  }

  StdStream console_stream_;
  OsHandle os_file_ = kNoHandle;
  ChannelState state_ = ChannelState::kUnbound;
  int32_t cursor_ = 0;
  int32_t fill_ = 0;
  bool flush_each_line_ = false;
  FileName path_;
  char bytes_[kCapacity] = {};
};

// The console channels, bound to the empty name at start-up.
TextChannel& ConsoleIn();
TextChannel& ConsoleOut();

}  // namespace quorvex

#endif  // QUORVEX_RUNTIME_TEXT_CHANNEL_H_
