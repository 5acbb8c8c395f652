#include "runtime/message_table.h"

#include <cstdio>
#include <map>

#include "runtime/exceptions.h"

namespace quorvex {
namespace {

const std::map<uint16_t, const char*>& Texts() {
  static const std::map<uint16_t, const char*> texts = {
      {kMsgCreateError, "Cannot create file %s"},
      {kMsgOpenError, "Cannot open file %s"},
      {kMsgReadError, "Stream read error"},
      {kMsgWriteError, "Stream write error"},
      {kMsgMemoryStreamError, "Out of memory while expanding memory stream"},
      {kMsgInvalidImage, "Invalid stream format"},
      {kMsgLineTooLong, "Line too long"},
      {kMsgParseError, "%s on line %d"},
      {kMsgIdentifierExpected, "Identifier expected"},
      {kMsgStringExpected, "String expected"},
      {kMsgNumberExpected, "Number expected"},
      {kMsgCharExpected, "''%s'' expected"},
      {kMsgSymbolExpected, "%s expected"},
      {kMsgInvalidString, "Invalid string constant"},
      {kMsgInvalidBinary, "Invalid binary value"},
      {kMsgNestingTooDeep, "Form nested too deeply"},
      {kMsgInvalidPropertyValue, "Invalid property value"},
      {kMsgSameFile, "Cannot create file %s: it is the same file as %s"},
      {kMsgNotRegularInput, "Cannot open file %s: it is not a regular file"},
      {kMsgNotRegularOutput, "Cannot create file %s: it is not a regular file"},
      {kMsgInUse,
       "Cannot open file %s: another run is converting it (sharing violation, I/O error %d)"},
      {kMsgTextAfterEndMark,
       "%s holds text after its end mark (Ctrl-Z) at offset %d, which the conversion would lose"},
      {kMsgInvalidInteger, "'%s' is not a valid integer value"},
      {kMsgInvalidFloat, "'%s' is not a valid floating point value"},
      {kMsgOutOfMemory, "Out of memory"},
      {kMsgInOutError, "I/O error %d"},
      {kMsgFileNotFound, "File not found"},
      {kMsgInvalidFilename, "Invalid filename"},
      {kMsgTooManyOpenFiles, "Too many open files"},
      {kMsgAccessDenied, "File access denied"},
      {kMsgEndOfFile, "Read beyond end of file"},
      {kMsgDiskFull, "Disk full"},
      {kMsgInvalidInput, "Invalid numeric input"},
      {kMsgDivByZero, "Division by zero"},
      {kMsgRangeError, "Range check error"},
      {kMsgIntOverflow, "Integer overflow"},
      {kMsgInvalidOp, "Invalid floating point operation"},
      {kMsgZeroDivide, "Floating point division by zero"},
      {kMsgOverflow, "Floating point overflow"},
      {kMsgUnderflow, "Floating point underflow"},
      {kMsgInvalidPointer, "Invalid pointer operation"},
      {kMsgInvalidCast, "Invalid class typecast"},
      {kMsgAccessViolation, "Access violation at address %p. %s of address %p"},
      {kMsgStackOverflow, "Stack overflow"},
      {kMsgControlC, "Control-C hit"},
      {kMsgPrivilege, "Privileged instruction"},
      {kMsgExceptionReport, "Exception %s in module %s at %p.\n%s%s"},
      {kMsgRead, "Read"},
      {kMsgWrite, "Write"},
      {kMsgFormatTooLong, "Format result longer than 4096 characters"},
      {kMsgExternalException, "External exception %x"},
  };
  return texts;
}

constexpr size_t kMaxMessageLength = 1023;
constexpr size_t kMaxFilledLength = 4096;

std::string FormatNumber(char conversion, int64_t number) {
  char buffer[32];
  if (conversion == 'd') {
    snprintf(buffer, sizeof buffer, "%lld", static_cast<long long>(number));
  } else if (conversion == 'x') {
    snprintf(buffer, sizeof buffer, "%llX", static_cast<unsigned long long>(uint32_t(number)));
  } else {
    snprintf(buffer, sizeof buffer, "%08llX", static_cast<unsigned long long>(uint32_t(number)));
  }
  return buffer;
}

std::string FormatArgument(char conversion, const MessageArg& argument) {
  if (conversion == 's') return argument.is_text ? argument.text : "";
  return argument.is_text ? "" : FormatNumber(conversion, argument.number);
}

}  // namespace

std::string LoadMessage(uint16_t id) {
  auto found = Texts().find(id);
  if (found == Texts().end()) return "";
  std::string text = found->second;
  if (text.size() > kMaxMessageLength) text.resize(kMaxMessageLength);
  return text;
}

std::string FillPattern(const std::string& pattern, const std::vector<MessageArg>& arguments) {
  std::string result;
  size_t next_argument = 0;
  for (size_t i = 0; i < pattern.size(); ++i) {
    char c = pattern[i];
    char conversion = i + 1 < pattern.size() ? pattern[i + 1] : '\0';
    bool placeholder = c == '%' && (conversion == 's' || conversion == 'd' || conversion == 'x' ||
                                    conversion == 'p');
    if (!placeholder) {
      result += c;
      continue;
    }
    if (next_argument < arguments.size()) {
      result += FormatArgument(conversion, arguments[next_argument++]);
    }
    ++i;
  }
  return result;
}

std::string FillMessage(uint16_t id, const std::vector<MessageArg>& arguments) {
  std::string result = FillPattern(LoadMessage(id), arguments);
  if (result.size() > kMaxFilledLength) Raise<EConvertError>(kMsgFormatTooLong);
  return result;
}

}  // namespace quorvex
