#ifndef QUORVEX_RUNTIME_TEXT_CHANNEL_H_
#define QUORVEX_RUNTIME_TEXT_CHANNEL_H_

#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>

#include "runtime/block_source.h"
#include "runtime/file_name.h"
#include "runtime/platform/os_errors.h"
#include "runtime/platform/platform.h"
#include "runtime/read_ahead.h"

namespace quorvex {

// The I/O error recorded by the last failing channel operation of this thread; 0 when none is
// pending. Channel operations never raise: the caller runs CheckIo after each of them. Each
// thread has its own, so conversions running side by side never see each other's errors.
extern thread_local int32_t PendingIoError;

// Raises EInOutError for the pending I/O error and clears it.
[[noreturn]] void RaisePendingIoError();

// Raises EInOutError for the pending I/O error, if any, and clears it. Run after every line,
// so the test is inline.
inline void CheckIo() {
  if (PendingIoError != 0) RaisePendingIoError();
}

// The byte that ends the readable text of a file wherever it stands (Ctrl-Z).
constexpr char EndMark = 0x1A;

enum class ChannelState { kUnbound, kClosed, kReading, kWriting };

// A line-oriented text file, or the console when bound to the empty name. Bytes pass through
// a buffer unchanged; every line written ends with CR LF. A line read ends at CR LF, a lone CR
// or a lone LF.
//
// The buffer holds 64 KiB for a file read by name and for writing to a disk file, so that large
// files move in few system calls; otherwise (standard input, character devices such as the
// console, pipes) it holds 128 bytes. A character device is written out at every line end.
class TextChannel {
 public:
  static constexpr int32_t kSmallCapacity = 128;
  static constexpr int32_t kDiskCapacity = 64 * 1024;

  // stream says which standard handle the channel stands for when bound to the empty name.
  explicit TextChannel(StdStream stream = StdStream::kOutput) : console_stream_(stream) {}
  // A file left open is closed; bytes still buffered are not written (as at process end).
  ~TextChannel();
  TextChannel(const TextChannel&) = delete;
  TextChannel& operator=(const TextChannel&) = delete;

  void BindName(const FileName& name);
  void OpenForReading();
  void OpenForWriting();
  // Opens the channel for writing into a file that is already open, such as the temporary of
  // a replacement; the channel writes to it but never closes it.
  void OpenForWritingOn(OsHandle lent);
  // Opens the channel for reading blocks of kDiskCapacity bytes that source gives, in place of
  // reading a file; the source outlives the channel's reading.
  void OpenForReadingFrom(BlockSource& source);
  void CloseChannel();

  // Appends the bytes of the current line, up to maximum of them, to line; never consumes the
  // line end.
  void ReadLinePart(std::string& line, size_t maximum);
  // Discards everything up to and including the next line end.
  void SkipLine();
  // Reads on the caller's thread alone from now on: for a reader whose own work already keeps
  // the other processors busy. Run before the first read.
  void ReadWithoutThread() { read_ahead_allowed_ = false; }
  // Reads the whole current line and consumes its line end: ReadLinePart with no maximum
  // followed by SkipLine. The view points into the channel's buffer when the line lies within
  // it and into held otherwise; it stays valid until the next operation on the channel or held.
  std::string_view ReadLine(std::string& held);
  // Reading: the bytes in the buffer that are not read yet (empty when there are none or the
  // channel is not reading), to be taken in place with Consume. The last of them may be the
  // end mark that stands for the end of the data; an end mark is never consumed. The view
  // stays valid until the next operation on the channel other than Consume.
  std::string_view Buffered() const {
    return state_ == ChannelState::kReading
               ? std::string_view(bytes_.get() + cursor_, size_t(fill_ - cursor_))
               : std::string_view();
  }
  // Takes count bytes of Buffered(), none of them an end mark, as read.
  void Consume(size_t count) { cursor_ += int32_t(count); }
  // True when no more text can be read.
  bool AtEnd();
  // Once AtEnd has said true: when the text ended at an end mark (Ctrl-Z) of the file with a
  // byte other than further end marks after it, the offset of that end mark in the file; -1
  // when the data ended there or only end marks follow. Reads the rest of the file.
  int64_t TextAfterEndMark();

  void WriteText(std::string_view text) {
    // Most texts fit into the buffer of a channel open for writing.
    if (state_ == ChannelState::kWriting && text.size() < size_t(capacity_ - cursor_)) {
      std::memcpy(bytes_.get() + cursor_, text.data(), text.size());
      cursor_ += int32_t(text.size());
    } else {
      WriteBytes(text.data(), text.size());
    }
  }
  void WriteInteger(int32_t value, int32_t width);
  void WriteLineEnd() {
    WriteText("\r\n");
    EndWrittenLine();
  }
  // Writes text followed by CR LF, as WriteText and WriteLineEnd would; most lines go into the
  // buffer of a channel open for writing in one step.
  void WriteLine(std::string_view text) {
    if (state_ == ChannelState::kWriting && text.size() + 2 < size_t(capacity_ - cursor_)) {
      char* const to = bytes_.get() + cursor_;
      std::memcpy(to, text.data(), text.size());
      to[text.size()] = '\r';
      to[text.size() + 1] = '\n';
      cursor_ += int32_t(text.size() + 2);
      EndWrittenLine();
    } else {
      WriteText(text);
      WriteLineEnd();
    }
  }
  // Writes whole lines, each ended by CR LF, as WriteText and WriteLineEnd for each would; a
  // character device receives them at the end of the last. Half a buffer of lines or more goes
  // to the system straight from lines, behind the bytes waiting, rather than through the buffer.
  void WriteCrLfLines(std::string_view lines) {
    if (lines.size() >= size_t(kDiskCapacity / 2)) {
      WriteDirectly(lines.data(), lines.size());
    } else {
      WriteText(lines);
    }
    EndWrittenLine();
  }

  ChannelState State() const { return state_; }
  // The bytes written but not yet handed to the system.
  std::string_view WaitingBytes() const {
    return state_ == ChannelState::kWriting ? std::string_view(bytes_.get(), size_t(cursor_))
                                            : std::string_view();
  }

 private:
  void Open(ChannelState direction, OsHandle lent = kNoHandle, BlockSource* source = nullptr);
  bool OpenOnFirstUse(ChannelState direction);
  bool OpenHandle(ChannelState direction);
  void UseCapacity(int32_t capacity);
  char ReadByte();
  char PeekByte();
  bool FillBuffer();
  OsResult ReadNextBlock();
  void StartReadAheadOnLongFile();
  void WriteBytes(const char* data, size_t count);
  void WriteDirectly(const char* data, size_t count);
  bool WriteWhole(const char* data, int32_t count);
  // The step after every line end written: a character device gets the line at once.
  void EndWrittenLine() {
    if (state_ != ChannelState::kWriting || flush_each_line_) EndLineSlowly();
  }
  void EndLineSlowly();
  bool DrainBuffer();
  void Release();
  // A channel bound to the empty name is the console.
  bool IsConsole() const { return path_.name.empty(); }
  // Whether closing the channel closes its handle: not for the console or a lent handle.
  bool OwnsHandle() const { return !IsConsole() && os_file_ != kNoHandle && os_file_ != lent_; }
  // The console channel that reads (standard input) or writes (standard output).
  bool IsConsoleFor(ChannelState direction) const {
    StdStream own = direction == ChannelState::kReading ? StdStream::kInput : StdStream::kOutput;
    return IsConsole() && console_stream_ == own;
  }

  StdStream console_stream_;
  OsHandle os_file_ = kNoHandle;
  OsHandle lent_ = kNoHandle;
  ChannelState state_ = ChannelState::kUnbound;
  int32_t cursor_ = 0;
  int32_t fill_ = 0;
  int64_t buffer_offset_ = 0;  // reading: the offset in the file of the buffer's first byte
  bool data_ended_ = false;    // reading: the file has no more bytes; the buffer ends in EndMark
  bool flush_each_line_ = false;
  FileName path_;
  int32_t capacity_ = 0;
  std::unique_ptr<char[]> bytes_;
  // Reading a long disk file: the blocks after the first few come from a thread that reads
  // one block ahead. Ended before the handle is closed.
  int32_t blocks_read_ = 0;
  bool read_ahead_allowed_ = true;
  std::unique_ptr<ReadAhead> read_ahead_;
  BlockSource* source_ = nullptr;  // reading: where the blocks come from, when not the file
};

// The console channels, bound to the empty name at start-up.
TextChannel& ConsoleIn();
TextChannel& ConsoleOut();

}  // namespace quorvex

#endif  // QUORVEX_RUNTIME_TEXT_CHANNEL_H_
