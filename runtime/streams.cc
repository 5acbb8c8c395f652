#include "runtime/streams.h"

#include <limits>
#include <vector>

#include "runtime/exceptions.h"

namespace quorvex {
namespace {

constexpr int32_t kNoImplementation = 210;

struct OpenMode {
  bool valid;
  FileAccess access;
  unsigned share;
};

// The access (bits 0-1) and sharing (bits 4-7) of an open mode; access 3 and sharing above 4
// have no meaning and are refused like a request the system cannot grant.
OpenMode DecodeOpenMode(uint16_t mode) {
  static constexpr FileAccess kAccess[] = {FileAccess::kRead, FileAccess::kWrite,
                                           FileAccess::kReadWrite};
  static constexpr unsigned kShare[] = {kShareNone, kShareNone, kShareRead, kShareWrite,
                                        kShareRead | kShareWrite};
  unsigned access = mode & 3u;
  unsigned share = (mode >> 4) & 15u;
  if (access > 2 || share > 4) return {false, FileAccess::kRead, kShareNone};
  return {true, kAccess[access], kShare[share]};
}

OsHandle OpenOrRaise(const FileName& name, uint16_t mode) {
  if (mode == modeCreate) {
    OsResult created =
        System().Open(name, FileAccess::kReadWrite, kShareNone, FileDisposition::kCreateAlways);
    if (created.error != 0) RaiseFilled<EFCreateError>(kMsgCreateError, {name.name});
    return OsHandle(created.value);
  }
  OpenMode decoded = DecodeOpenMode(mode);
  OsResult opened;
  if (decoded.valid) {
    opened = System().Open(name, decoded.access, decoded.share, FileDisposition::kOpenExisting);
  }
  if (!decoded.valid || opened.error != 0) RaiseFilled<EFOpenError>(kMsgOpenError, {name.name});
  return OsHandle(opened.value);
}

}  // namespace

int32_t TStream::ReadSome(void*, int32_t) {
  RaiseRunError(kNoImplementation);
}

int32_t TStream::WriteSome(const void*, int32_t) {
  RaiseRunError(kNoImplementation);
}

int32_t TStream::MoveTo(int32_t, int32_t) {
  RaiseRunError(kNoImplementation);
}

int32_t TStream::TotalLength() {
  int32_t remembered = CurrentOffset();
  int32_t length = MoveTo(0, FromEnd);
  SetOffset(remembered);
  return length;
}

void TStream::WriteAll(const void* buffer, int32_t count) {
  if (count == 0) return;
  if (WriteSome(buffer, count) < count) Raise<EWriteError>(kMsgWriteError);
}

void CopyAll(TStream& source, TStream& destination) {
  constexpr int32_t kPiece = 65536;
  std::vector<char> buffer(kPiece);
  int64_t copied = 0;
  while (int32_t got = source.ReadSome(buffer.data(), kPiece)) {
    destination.WriteAll(buffer.data(), got);
    copied += got;
  }
  if (copied != source.TotalLength()) Raise<EReadError>(kMsgReadError);
}

int32_t THandleStream::ReadSome(void* buffer, int32_t count) {
  if (count <= 0) return 0;
  OsResult read = System().Read(handle_, buffer, count);
  return read.error != 0 ? 0 : int32_t(read.value);
}

int32_t THandleStream::WriteSome(const void* buffer, int32_t count) {
  if (count <= 0) return 0;
  OsResult written = System().Write(handle_, buffer, count);
  return written.error != 0 ? 0 : int32_t(written.value);
}

int32_t THandleStream::MoveTo(int32_t offset, int32_t origin) {
  if (origin < FromStart || origin > FromEnd) return -1;
  OsResult moved = System().Seek(handle_, offset, SeekOrigin(origin));
  if (moved.error != 0 || moved.value > std::numeric_limits<int32_t>::max()) return -1;
  return int32_t(moved.value);
}

TFileStream::TFileStream(const FileName& name, uint16_t mode)
    : THandleStream(OpenOrRaise(name, mode)) {}

TFileStream::~TFileStream() {
  if (handle_ >= 0) System().Close(handle_);
}

}  // namespace quorvex
