#ifndef QUORVEX_RUNTIME_EXCEPTIONS_H_
#define QUORVEX_RUNTIME_EXCEPTIONS_H_

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "runtime/message_table.h"

namespace quorvex {

// The root of every failure the tool raises. It carries the message text and the code
// position reported for the raise.
class Exception {
 public:
  explicit Exception(std::string message, uint32_t code_position = kDefaultCodePosition)
      : message_(std::move(message)), code_position_(code_position) {}
  virtual ~Exception() = default;

  virtual const char* ClassName() const { return "Exception"; }
  const std::string& Message() const { return message_; }
  uint32_t CodePosition() const { return code_position_; }

  // The position reported for a raise: a stable value derived from the message number, since
  // the position of machine code in this program means nothing to the user.
  static uint32_t PositionOf(uint16_t id) { return kDefaultCodePosition | id; }

 private:
  static constexpr uint32_t kDefaultCodePosition = 0x00400000;

  std::string message_;
  uint32_t code_position_;
};

#define QUORVEX_EXCEPTION_CLASS(Name, Parent)                \
  class Name : public Parent {                               \
   public:                                                   \
    using Parent::Parent;                                    \
    const char* ClassName() const override { return #Name; } \
  }

QUORVEX_EXCEPTION_CLASS(EOutOfMemory, Exception);
QUORVEX_EXCEPTION_CLASS(EIntError, Exception);
QUORVEX_EXCEPTION_CLASS(EDivByZero, EIntError);
QUORVEX_EXCEPTION_CLASS(ERangeError, EIntError);
QUORVEX_EXCEPTION_CLASS(EIntOverflow, EIntError);
QUORVEX_EXCEPTION_CLASS(EMathError, Exception);
QUORVEX_EXCEPTION_CLASS(EInvalidOp, EMathError);
QUORVEX_EXCEPTION_CLASS(EZeroDivide, EMathError);
QUORVEX_EXCEPTION_CLASS(EOverflow, EMathError);
QUORVEX_EXCEPTION_CLASS(EUnderflow, EMathError);
QUORVEX_EXCEPTION_CLASS(EInvalidPointer, Exception);
QUORVEX_EXCEPTION_CLASS(EInvalidCast, Exception);
QUORVEX_EXCEPTION_CLASS(EConvertError, Exception);
QUORVEX_EXCEPTION_CLASS(EAccessViolation, Exception);
QUORVEX_EXCEPTION_CLASS(EPrivilege, Exception);
QUORVEX_EXCEPTION_CLASS(EStackOverflow, Exception);
QUORVEX_EXCEPTION_CLASS(EControlC, Exception);
QUORVEX_EXCEPTION_CLASS(EVariantError, Exception);
QUORVEX_EXCEPTION_CLASS(EExternalException, Exception);
QUORVEX_EXCEPTION_CLASS(EStreamError, Exception);
QUORVEX_EXCEPTION_CLASS(EFCreateError, EStreamError);
QUORVEX_EXCEPTION_CLASS(EFOpenError, EStreamError);
QUORVEX_EXCEPTION_CLASS(EFilerError, EStreamError);
QUORVEX_EXCEPTION_CLASS(EReadError, EFilerError);
QUORVEX_EXCEPTION_CLASS(EWriteError, EFilerError);
QUORVEX_EXCEPTION_CLASS(EClassNotFound, EFilerError);
QUORVEX_EXCEPTION_CLASS(EInvalidImage, EFilerError);
QUORVEX_EXCEPTION_CLASS(EListError, Exception);
QUORVEX_EXCEPTION_CLASS(EComponentError, Exception);
QUORVEX_EXCEPTION_CLASS(EParserError, Exception);

#undef QUORVEX_EXCEPTION_CLASS

// An input/output failure; errorCode holds the I/O error number.
class EInOutError : public Exception {
 public:
  EInOutError(std::string message, int32_t error_code, uint32_t code_position)
      : Exception(std::move(message), code_position), errorCode(error_code) {}
  const char* ClassName() const override { return "EInOutError"; }

  int32_t errorCode;
};

// Raises an exception of class E with the text stored under id.
template <class E>
[[noreturn]] void Raise(uint16_t id) {
  throw E(LoadMessage(id), Exception::PositionOf(id));
}

// Raises an exception of class E with the text under id filled with arguments.
template <class E>
[[noreturn]] void RaiseFilled(uint16_t id, const std::vector<MessageArg>& arguments) {
  throw E(FillMessage(id, arguments), Exception::PositionOf(id));
}

// A run-time error that cannot become an exception (an operation a class leaves without
// implementation is error 210). The entry point reports it on one line and ends the process
// with the error number as exit code.
struct RunError {
  int32_t number;
  uint32_t code_position;
};

[[noreturn]] inline void RaiseRunError(int32_t number) {
  throw RunError{number, Exception::PositionOf(uint16_t(number))};
}

}  // namespace quorvex

#endif  // QUORVEX_RUNTIME_EXCEPTIONS_H_
