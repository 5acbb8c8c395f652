#ifndef QUORVEX_RUNTIME_REPLACEMENT_FILE_H_
#define QUORVEX_RUNTIME_REPLACEMENT_FILE_H_

#include <cstdint>

#include "runtime/file_name.h"
#include "runtime/platform/platform.h"

namespace quorvex {

// A new content for a file, written under a temporary name beside it and put in its place in
// one step only when complete, so that the file always holds either its old bytes or all the
// new ones. The temporary is named after the file ("FORM.TXT.quorvex-1a2b3c4d.tmp") so that
// one a killed process leaves behind is recognised, and is created exclusively, so no other
// run can share it. When the name is a symbolic link, the file it points to is replaced and
// the link stays; the replacement keeps the permission bits of the file it replaces.
//
// Creating one never raises: Error() tells whether the temporary is ready. Destroyed without
// a successful Commit(), it removes its temporary. The handle stays open, and locked, until
// destruction, so that the replaced file is held for as long as its writer needs it.
class ReplacementFile {
 public:
  explicit ReplacementFile(const FileName& target);
  ~ReplacementFile();
  ReplacementFile(const ReplacementFile&) = delete;
  ReplacementFile& operator=(const ReplacementFile&) = delete;

  // 0 when the temporary was created; else why not, as for creating the file itself (a file
  // that may not be written gives the error that opening it for writing gives).
  uint32_t Error() const { return error_; }
  // The temporary, open for reading and writing.
  OsHandle Handle() const { return handle_; }

  // Writes the temporary through to the disk, renames it over the file and makes the rename
  // durable. Returns 0 or the error number of the step that failed; the file is replaced
  // unless the error came before the rename.
  uint32_t Commit();
  // The same, with a failure raised as EInOutError carrying the step's error number.
  void CommitOrRaise();

 private:
  uint32_t Create();
  uint32_t CheckTargetWritable();

  FileName final_;  // the file replaced, symbolic links followed
  FileName temporary_;
  OsHandle handle_ = kNoHandle;
  bool created_ = false;
  bool committed_ = false;
  uint32_t error_ = 0;
};

}  // namespace quorvex

#endif  // QUORVEX_RUNTIME_REPLACEMENT_FILE_H_
