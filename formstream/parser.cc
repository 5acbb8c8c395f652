#include "formstream/parser.h"

#include <array>
#include <cstring>

#include "formstream/token_scan.h"
#include "formstream/value_text.h"
#include "runtime/exceptions.h"
#include "runtime/extended/float_text.h"

namespace quorvex {
namespace {

constexpr unsigned char kStopByte = 0x00;
constexpr unsigned char kLineFeed = 0x0A;
constexpr unsigned char kCarriageReturn = 0x0D;
constexpr unsigned char kLastSpace = 0x20;

// Character classes of the tokenizer, one bit each.
enum CharClass : uint8_t {
  kSymbolStart = 1,  // a letter or "_"
  kDigit = 2,
  kHexDigit = 4,
  kFloatPart = 8,  // a digit or one of "+", "-", ".", "E", "e"
};

constexpr std::array<uint8_t, 256> MakeClasses() {
  std::array<uint8_t, 256> classes{};
  for (int c = 0; c < 256; ++c) {
    bool letter = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
    bool digit = c >= '0' && c <= '9';
    bool hex = digit || (c >= 'A' && c <= 'F') || (c >= 'a' && c <= 'f');
    uint8_t bits = 0;
    if (letter || c == '_') bits |= kSymbolStart;
    if (digit) bits |= kDigit | kFloatPart;
    if (hex) bits |= kHexDigit;
    if (c == '+' || c == '-' || c == '.' || c == 'E' || c == 'e') bits |= kFloatPart;
    classes[size_t(c)] = bits;
  }
  return classes;
}

constexpr std::array<uint8_t, 256> kClasses = MakeClasses();

bool Is(unsigned char c, CharClass char_class) {
  return (kClasses[c] & char_class) != 0;
}

// The first byte behind p that is not of char_class; the stop byte ends every class.
unsigned char* SkipClass(unsigned char* p, CharClass char_class) {
  while (Is(*p, char_class)) ++p;
  return p;
}

[[noreturn]] void RaiseInvalidInteger(std::string_view text) {
  RaiseFilled<EConvertError>(kMsgInvalidInteger, {std::string(text)});
}

int32_t HexDigitValue(char c) {
  if (c <= '9') return c - '0';
  return (c | 0x20) - 'a' + 10;
}

// "$" and one to eight significant hexadecimal digits, taken as a 32-bit pattern.
int32_t HexTextToInteger(std::string_view text) {
  if (text.size() < 2) RaiseInvalidInteger(text);
  uint64_t value = 0;
  for (size_t i = 1; i < text.size(); ++i) {
    if (!Is(uint8_t(text[i]), kHexDigit)) RaiseInvalidInteger(text);
    value = value << 4 | uint64_t(HexDigitValue(text[i]));
    if (value > UINT32_MAX) RaiseInvalidInteger(text);
  }
  return int32_t(uint32_t(value));
}

// An optional sign and one or more decimal digits within the 32-bit range.
int32_t DecimalTextToInteger(std::string_view text) {
  size_t i = 0;
  bool negative = false;
  if (!text.empty() && (text[0] == '-' || text[0] == '+')) {
    negative = text[0] == '-';
    ++i;
  }
  if (i == text.size()) RaiseInvalidInteger(text);
  const uint64_t limit = negative ? uint64_t(INT32_MAX) + 1 : uint64_t(INT32_MAX);
  uint64_t magnitude = 0;
  for (; i < text.size(); ++i) {
    if (!Is(uint8_t(text[i]), kDigit)) RaiseInvalidInteger(text);
    magnitude = magnitude * 10 + uint64_t(text[i] - '0');
    if (magnitude > limit) RaiseInvalidInteger(text);
  }
  return int32_t(negative ? uint32_t(0) - uint32_t(magnitude) : uint32_t(magnitude));
}

}  // namespace

// The buffer reaches kScanReach bytes beyond its 4096, zeroed, so that the scans may look at
// the bytes behind the stop byte wherever it stands; no text is ever read into them.
TParser::TParser(TStream& source)
    : source_(source), text_buffer_(new unsigned char[kParserBufferSize + kScanReach]()) {
  unsigned char* start = text_buffer_.get();
  start[0] = kStopByte;
  data_end_ = scan_pos_ = stop_pos_ = token_start_ = text_end_ = start;
  buffer_limit_ = start + kParserBufferSize;
  try {
    Advance();
  } catch (...) {
    GiveBackReadAhead();
    throw;
  }
}

TParser::~TParser() {
  try {
    GiveBackReadAhead();
  } catch (...) {
    // A stream that cannot move back keeps its position; nothing else is left to undo.
  }
}

void TParser::GiveBackReadAhead() {
  int32_t read_ahead = int32_t(data_end_ - token_start_);
  if (read_ahead > 0) source_.MoveTo(-read_ahead, FromCurrent);
  data_end_ = token_start_;
}

void TParser::SkipSpace() {
  unsigned char* p = scan_pos_;
  // Between the tokens of a line stand one space or none, which need no loop.
  if (*p == ' ') ++p;
  for (;;) {
    unsigned char c = *p;
    if (c > kLastSpace) break;
    if (c == ' ') {
      p = SkipSpaceRun(p);
    } else if (c == kCarriageReturn && p[1] == kLineFeed) {
      // The line end of the text form and the indentation behind it.
      ++line_no_;
      p = SkipSpaceRun(p + 2);
    } else if (c == kStopByte) {
      scan_pos_ = p;
      Refill();
      p = scan_pos_;
      if (*p == kStopByte) break;
    } else {
      if (c == kLineFeed) ++line_no_;
      ++p;
    }
  }
  scan_pos_ = p;
}

void TParser::Refill() {
  unsigned char* start = text_buffer_.get();
  *stop_pos_ = held_char_;
  auto unscanned = size_t(data_end_ - scan_pos_);
  std::memmove(start, scan_pos_, unscanned);
  data_end_ = start + unscanned;
  int32_t delivered = source_.ReadSome(data_end_, int32_t(buffer_limit_ - data_end_));
  if (delivered > 0) data_end_ += delivered;
  scan_pos_ = token_start_ = text_end_ = start;
  stop_pos_ = data_end_;
  if (data_end_ == buffer_limit_) {
    unsigned char* p = buffer_limit_ - 2;
    while (p >= start && *p != kLineFeed) --p;
    if (p < start) {
      // The whole buffer is one unfinished line. The stop byte goes to the start, so that
      // the parser stays within its buffer whatever is asked of it after the failure.
      held_char_ = *start;
      *start = kStopByte;
      stop_pos_ = start;
      Fail(kMsgLineTooLong);
    }
    stop_pos_ = p + 1;
  }
  held_char_ = *stop_pos_;
  *stop_pos_ = kStopByte;
}

uint8_t TParser::Advance() {
  SkipSpace();
  token_start_ = scan_pos_;
  unsigned char c = *scan_pos_;
  if (Is(c, kSymbolStart)) {
    kind_ = tokSymbol;
    scan_pos_ = SkipSymbolRun(scan_pos_ + 1);
  } else if (c == '\'' || c == '#') {
    kind_ = tokString;
    ScanString();
  } else if (c == '$') {
    kind_ = tokInteger;
    scan_pos_ = SkipClass(scan_pos_ + 1, kHexDigit);
  } else if (c == '-' || Is(c, kDigit)) {
    kind_ = tokInteger;
    scan_pos_ = SkipClass(scan_pos_ + 1, kDigit);
    if (Is(*scan_pos_, kFloatPart)) {
      kind_ = tokFloat;
      scan_pos_ = SkipClass(scan_pos_, kFloatPart);
    }
  } else if (c == kStopByte) {
    kind_ = tokEnd;
  } else {
    kind_ = c;
    ++scan_pos_;
  }
  return kind_;
}

// Decodes the literal at scan_pos_ over the bytes already scanned: the text never grows
// faster than the scan advances.
void TParser::ScanString() {
  unsigned char* in = scan_pos_;
  unsigned char* out = token_start_;
  for (;;) {
    if (*in == '#') {
      uint32_t code = 0;
      for (++in; Is(*in, kDigit); ++in) code = code * 10 + uint32_t(*in - '0');
      *out++ = uint8_t(code);
    } else if (*in == '\'') {
      for (++in;; ++in) {
        unsigned char c = *in;
        if (c == kStopByte || c == kLineFeed || c == kCarriageReturn) {
          scan_pos_ = in;
          Fail(kMsgInvalidString);
        }
        if (c == '\'') {
          if (in[1] != '\'') break;
          ++in;
        }
        *out++ = c;
      }
      ++in;
    } else {
      break;
    }
  }
  text_end_ = out;
  scan_pos_ = in;
}

void TParser::RequireKind(uint8_t kind) const {
  if (kind_ == kind) return;
  switch (kind) {
    case tokSymbol:
      Fail(kMsgIdentifierExpected);
    case tokString:
      Fail(kMsgStringExpected);
    case tokInteger:
    case tokFloat:
      Fail(kMsgNumberExpected);
    default:
      FailFmt(kMsgCharExpected, {std::string(1, char(kind))});
  }
}

void TParser::RequireKeyword(std::string_view word) const {
  if (!IsKeyword(word)) FailFmt(kMsgSymbolExpected, {std::string(word)});
}

std::string_view TParser::TokenView() const {
  const unsigned char* end = kind_ == tokString ? text_end_ : scan_pos_;
  return std::string_view(reinterpret_cast<const char*>(token_start_), size_t(end - token_start_));
}

int32_t TParser::TokenAsInteger() const {
  std::string_view text = TokenView();
  if (!text.empty() && text[0] == '$') return HexTextToInteger(text);
  return DecimalTextToInteger(text);
}

Extended TParser::TokenAsFloat() const {
  return ParseExtended(TokenText());
}

// Only the one space that stands between the tokens of a line is looked past; a name followed
// by more whitespace takes the general way.
bool TParser::SymbolStandsAlone() const {
  const unsigned char* next = scan_pos_;
  if (*next == ' ') ++next;
  return *next > kLastSpace && *next != '.';
}

std::string_view TParser::ReadDottedName() {
  RequireKind(tokSymbol);
  while (*scan_pos_ == '.') {
    if (!Is(scan_pos_[1], kSymbolStart)) Fail(kMsgIdentifierExpected);
    scan_pos_ = SkipSymbolRun(scan_pos_ + 2);
  }
  return TokenView();
}

// The bytes are gathered and handed to the target in large pieces; those decoded before a
// failure are handed over too.
void TParser::ReadHexBlock(TStream& target) {
  constexpr int32_t kPiece = 4096;
  unsigned char bytes[kPiece];
  int32_t held = 0;
  SkipSpace();
  while (*scan_pos_ != '}') {
    if (held == kPiece) {
      target.WriteAll(bytes, held);
      held = 0;
    }
    int32_t count =
        HexDigitsToBytes(scan_pos_, int32_t(data_end_ - scan_pos_), bytes + held, kPiece - held);
    if (count == 0) {
      target.WriteAll(bytes, held);
      Fail(kMsgInvalidBinary);
    }
    held += count;
    scan_pos_ += 2 * count;
    SkipSpace();
  }
  target.WriteAll(bytes, held);
  Advance();
}

void TParser::Fail(uint16_t id) const {
  FailAtLine(LoadMessage(id));
}

void TParser::FailFmt(uint16_t id, const std::vector<MessageArg>& arguments) const {
  FailAtLine(FillMessage(id, arguments));
}

void TParser::FailAtLine(const std::string& text) const {
  RaiseFilled<EParserError>(kMsgParseError, {text, line_no_});
}

}  // namespace quorvex
