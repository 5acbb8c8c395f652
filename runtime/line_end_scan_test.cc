#include "runtime/line_end_scan.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

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

}  // namespace
}  // namespace quorvex
