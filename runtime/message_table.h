#ifndef QUORVEX_RUNTIME_MESSAGE_TABLE_H_
#define QUORVEX_RUNTIME_MESSAGE_TABLE_H_

#include <cstdint>
#include <string>
#include <vector>

namespace quorvex {

// Numbers of the message texts the tool can produce.
enum MessageId : uint16_t {
  kMsgCreateError = 61441,           // Cannot create file %s
  kMsgOpenError = 61442,             // Cannot open file %s
  kMsgReadError = 61443,             // Stream read error
  kMsgWriteError = 61444,            // Stream write error
  kMsgMemoryStreamError = 61445,     // Out of memory while expanding memory stream
  kMsgInvalidImage = 61449,          // Invalid stream format
  kMsgLineTooLong = 61460,           // Line too long
  kMsgParseError = 61539,            // %s on line %d
  kMsgIdentifierExpected = 61540,    // Identifier expected
  kMsgStringExpected = 61541,        // String expected
  kMsgNumberExpected = 61542,        // Number expected
  kMsgCharExpected = 61543,          // ''%s'' expected
  kMsgSymbolExpected = 61544,        // %s expected
  kMsgInvalidString = 61546,         // Invalid string constant
  kMsgInvalidBinary = 61548,         // Invalid binary value
  kMsgNestingTooDeep = 61549,        // Form nested too deeply
  kMsgInvalidPropertyValue = 61550,  // Invalid property value
  kMsgSameFile = 61552,              // Cannot create file %s: it is the same file as %s
  kMsgNotRegularInput = 61553,       // Cannot open file %s: it is not a regular file
  kMsgNotRegularOutput = 61554,      // Cannot create file %s: it is not a regular file
  kMsgInUse = 61555,                 // Cannot open file %s: another run is converting it ...
  kMsgTextAfterEndMark = 61556,      // %s holds text after its end mark (Ctrl-Z) ...
  kMsgInvalidInteger = 65408,        // '%s' is not a valid integer value
  kMsgInvalidFloat = 65409,          // '%s' is not a valid floating point value
  kMsgOutOfMemory = 65415,           // Out of memory
  kMsgInOutError = 65416,            // I/O error %d
  kMsgFileNotFound = 65417,
  kMsgInvalidFilename = 65418,
  kMsgTooManyOpenFiles = 65419,
  kMsgAccessDenied = 65420,
  kMsgEndOfFile = 65421,
  kMsgDiskFull = 65422,
  kMsgInvalidInput = 65423,
  kMsgDivByZero = 65424,
  kMsgRangeError = 65425,
  kMsgIntOverflow = 65426,
  kMsgInvalidOp = 65427,
  kMsgZeroDivide = 65428,
  kMsgOverflow = 65429,
  kMsgUnderflow = 65430,
  kMsgInvalidPointer = 65431,
  kMsgInvalidCast = 65432,
  kMsgAccessViolation = 65433,
  kMsgStackOverflow = 65434,
  kMsgControlC = 65435,
  kMsgPrivilege = 65436,
  kMsgExceptionReport = 65438,  // Exception %s in module %s at %p.\n%s%s
  kMsgRead = 65445,
  kMsgWrite = 65446,
  kMsgFormatTooLong = 65447,
  kMsgExternalException = 65452,
};

// One argument of FillMessage: a string for %s, a number for %d, %x and %p.
struct MessageArg {
  MessageArg(std::string text) : is_text(true), text(std::move(text)) {}
  MessageArg(const char* text) : is_text(true), text(text) {}
  MessageArg(int64_t number) : is_text(false), number(number) {}
  MessageArg(int32_t number) : is_text(false), number(number) {}
  MessageArg(uint32_t number) : is_text(false), number(number) {}

  bool is_text;
  std::string text;
  int64_t number = 0;
};

// The text stored under id; empty for an id that is not in the table.
std::string LoadMessage(uint16_t id);

// The text under id with its placeholders filled in order: %s a string, %d a signed decimal,
// %x unsigned upper-case hexadecimal, %p eight upper-case hexadecimal digits. A result longer
// than 4096 characters raises EConvertError.
std::string FillMessage(uint16_t id, const std::vector<MessageArg>& arguments);

// Fills the placeholders of pattern as FillMessage does, without a limit on the length.
std::string FillPattern(const std::string& pattern, const std::vector<MessageArg>& arguments);

}  // namespace quorvex

#endif  // QUORVEX_RUNTIME_MESSAGE_TABLE_H_
