#include "runtime/line_end_scan.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace quorvex {
namespace {

const char* PlainLineEnd(const char* begin, const char* end) {
  while (begin < end && *begin != '\r' && *begin != '\n' && *begin != '\x1A') ++begin;
  return begin;
}

// Texts of every length up to a few words, from bytes that are mostly printable, with line
// ends, other control bytes and bytes above 0x7F among them, scanned from every start.
TEST(LineEndScanTest, FindsTheFirstLineEndLikeAPlainScan) {
  const std::string alphabet = std::string("ab =.'") + "\r\n\x1A\t\x1B\x19\x0D\x80\xFF\x9A";
  std::mt19937 random(11);
  for (int round = 0; round < 20000; ++round) {
    std::string text(std::uniform_int_distribution<size_t>(0, 40)(random), 'x');
    for (char& c : text) {
      if (random() % 8 == 0) c = alphabet[random() % alphabet.size()];
    }
    const char* end = text.data() + text.size();
    for (const char* start = text.data(); start <= end; ++start) {
      ASSERT_EQ(FindLineEnd(start, end, '\x1A'), PlainLineEnd(start, end))
          << text << " from " << start - text.data();
    }
  }
}

// Texts of short lines with every kind of line end, and lines long enough for several
// sixteen-byte checks, a CR LF or other line end falling at every place of them.
std::string RandomLines(std::mt19937& random) {
  static const char* const kEnds[] = {"\r\n", "\r\n", "\r\n", "\r", "\n", "\x1A", "\n\r"};
  std::string text;
  const size_t lines = std::uniform_int_distribution<size_t>(0, 12)(random);
  for (size_t i = 0; i < lines; ++i) {
    text += std::string(std::uniform_int_distribution<size_t>(0, 40)(random), 'a');
    if (random() % 5 == 0) text += " = ";
    text += kEnds[random() % 8 == 0 ? random() % 7 : 0];
  }
  return text;
}

// The first "=", "ob", end mark, or line end other than CR LF from each line start of a text,
// found byte by byte.
TEST(LineEndScanTest, FindMarkerOrOtherLineEndStopsWhereAByteByByteScanDoes) {
  std::mt19937 random(12);
  for (int round = 0; round < 20000; ++round) {
    std::string text = RandomLines(random);
    for (char& c : text) {
      if (c == 'a' && random() % 16 == 0) c = random() % 2 ? 'o' : 'b';
    }
    const char* const end = text.data() + text.size();
    for (const char* from = text.data(); from <= end;) {
      const char* expected = from;
      while (expected < end) {
        const std::string_view rest(expected, size_t(end - expected));
        if (rest[0] == '=' || rest[0] == '\x1A' || rest.substr(0, 2) == "ob") break;
        if (rest[0] == '\n' || (rest[0] == '\r' && rest.substr(0, 2) != "\r\n")) break;
        expected += rest.substr(0, 2) == "\r\n" ? 2 : 1;
      }
      ASSERT_EQ(FindMarkerOrOtherLineEnd(from, end, '\x1A', '=', 'o', 'b') - text.data(),
                expected - text.data())
          << text << " from " << from - text.data();
      const char* line_end = PlainLineEnd(from, end);
      if (end - line_end < 2 || line_end[0] != '\r' || line_end[1] != '\n') break;
      from = line_end + 2;
    }
  }
}

}  // namespace
}  // namespace quorvex
