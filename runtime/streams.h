#ifndef QUORVEX_RUNTIME_STREAMS_H_
#define QUORVEX_RUNTIME_STREAMS_H_

#include <cstdint>

#include "runtime/file_name.h"
#include "runtime/platform/platform.h"

namespace quorvex {

// Origins of MoveTo.
enum StreamOrigin : int32_t { FromStart = 0, FromCurrent = 1, FromEnd = 2 };

// Open modes of TFileStream: modeCreate creates (or empties) the file; any other value opens an
// existing file, its low two bits giving the access and bits 4 to 7 the sharing.
constexpr uint16_t modeReadOnly = 0;
constexpr uint16_t modeCreate = 0xFFFF;

// A sequence of bytes with a position. The three basic operations are left to the derived
// classes; calling one a class does not provide is run-time error 210. Streams do not buffer.
class TStream {
 public:
  TStream() = default;
  TStream(const TStream&) = delete;
  TStream& operator=(const TStream&) = delete;
  virtual ~TStream() = default;

  // Copies up to count bytes into buffer; returns how many were read (0 at the end).
  virtual int32_t ReadSome(void* buffer, int32_t count);
  // Writes up to count bytes from buffer; returns how many were written.
  virtual int32_t WriteSome(const void* buffer, int32_t count);
  // Moves the position relative to origin; returns the new position (-1 when refused).
  virtual int32_t MoveTo(int32_t offset, int32_t origin);

  int32_t CurrentOffset() { return MoveTo(0, FromCurrent); }
  int32_t SetOffset(int32_t position) { return MoveTo(position, FromStart); }
  // The length of the stream; the position is left where it was.
  int32_t TotalLength();
  // Writes all count bytes or raises EWriteError.
  void WriteAll(const void* buffer, int32_t count);
};

// A stream over an operating-system file handle it does not own. Failures of the system read
// or write give a count of 0 rather than an exception; the caller decides.
class THandleStream : public TStream {
 public:
  explicit THandleStream(OsHandle handle) : handle_(handle) {}

  int32_t ReadSome(void* buffer, int32_t count) override;
  int32_t WriteSome(const void* buffer, int32_t count) override;
  int32_t MoveTo(int32_t offset, int32_t origin) override;

  OsHandle Handle() const { return handle_; }

 protected:
  OsHandle handle_;
};

// A handle stream on a named file, which it opens or creates and closes again when destroyed.
class TFileStream : public THandleStream {
 public:
  // Raises EFCreateError (modeCreate) or EFOpenError (any other mode) naming the file when the
  // system refuses.
  TFileStream(const FileName& name, uint16_t mode);
  ~TFileStream() override;
};

// Copies every byte from source's position on to destination. A read fails like the end of
// the file, so a copy shorter than source's length raises EReadError "Stream read error".
void CopyAll(TStream& source, TStream& destination);

}  // namespace quorvex

#endif  // QUORVEX_RUNTIME_STREAMS_H_
