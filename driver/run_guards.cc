#include "driver/run_guards.h"

#include "runtime/exceptions.h"
#include "runtime/platform/os_errors.h"
#include "runtime/text_channel.h"

namespace quorvex {
namespace {

// An input opened for reading, closed again on every way out.
class ReadHandle {
 public:
  explicit ReadHandle(const FileName& name) {
    OsResult opened = System().Open(name, FileAccess::kRead, kShareRead | kShareWrite,
                                    FileDisposition::kOpenExisting);
    if (opened.error == 0) handle_ = OsHandle(opened.value);
  }
  ~ReadHandle() {
    if (handle_ != kNoHandle) System().Close(handle_);
  }
  ReadHandle(const ReadHandle&) = delete;
  ReadHandle& operator=(const ReadHandle&) = delete;

  bool IsOpen() const { return handle_ != kNoHandle; }
  OsHandle Get() const { return handle_; }
  OsHandle Release() {
    OsHandle handle = handle_;
    handle_ = kNoHandle;
    return handle;
  }

 private:
  OsHandle handle_ = kNoHandle;
};

struct NamedIdentity {
  const FileName* name;
  FileIdentity identity;
  bool input;
};

void RefuseIrregular(const NamedIdentity& file) {
  if (file.identity.error != 0 || file.identity.regular) return;
  if (file.input) RaiseFilled<EFOpenError>(kMsgNotRegularInput, {file.name->name});
  RaiseFilled<EFCreateError>(kMsgNotRegularOutput, {file.name->name});
}

void RefuseSameFile(const NamedIdentity& output, const NamedIdentity& input) {
  if (output.identity.SameFileAs(input.identity)) {
    RaiseFilled<EFCreateError>(kMsgSameFile, {output.name->name, input.name->name});
  }
}

[[noreturn]] void RaiseInUse(const FileName& input) {
  int32_t number = kErrorSharingViolation;
  throw EInOutError(FillMessage(kMsgInUse, {input.name, number}), number,
                    Exception::PositionOf(kMsgInUse));
}

FileIdentity IdentityOf(const FileName& name, bool present) {
  if (present) return System().Identify(name);
  FileIdentity absent;
  absent.error = kErrorFileNotFound;
  return absent;
}

}  // namespace

RunGuard::RunGuard(const ConversionNames& names) {
  NamedIdentity form{&names.form, IdentityOf(names.form, names.is_form), true};
  NamedIdentity text{&names.text, IdentityOf(names.text, true), !names.is_form};
  NamedIdentity backup{&names.backup, IdentityOf(names.backup, true), false};
  for (const NamedIdentity* file : {&form, &text, &backup}) RefuseIrregular(*file);
  LockInput(names.is_form ? names.form : names.text);
  RefuseSameFile(backup, text);
  RefuseSameFile(backup, form);
  RefuseSameFile(text, form);
}

RunGuard::HeldInput::~HeldInput() {
  if (handle != kNoHandle) System().Close(handle);
}

// The lock is taken on an open handle, so the name is looked at again afterwards: when it no
// longer stands for the locked file, another run has replaced the file meanwhile.
void RunGuard::LockInput(const FileName& input) {
  ReadHandle opened(input);
  if (!opened.IsOpen()) return;
  FileIdentity held = System().IdentifyOpen(opened.Get());
  RefuseIrregular({&input, held, true});
  lock_.handle = opened.Release();
  // Only a lock held elsewhere refuses the run; a file system without locks lets it go on.
  if (System().LockExclusive(lock_.handle) == kErrorSharingViolation) RaiseInUse(input);
  if (!held.SameFileAs(System().Identify(input))) RaiseInUse(input);
}

void CheckNothingFollowsEndMark(std::string_view text, const FileName& name) {
  const size_t mark = text.find(EndMark);
  if (mark == std::string_view::npos) return;
  if (text.find_first_not_of(EndMark, mark) == std::string_view::npos) return;
  RaiseFilled<EReadError>(kMsgTextAfterEndMark, {name.name, int64_t(mark)});
}

void CheckNothingFollowsEndMark(TextChannel& channel, const FileName& name) {
  const int64_t mark = channel.TextAfterEndMark();
  CheckIo();
  if (mark >= 0) RaiseFilled<EReadError>(kMsgTextAfterEndMark, {name.name, mark});
}

}  // namespace quorvex
