#include "driver/filter_line_scan.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

namespace quorvex {
namespace {

bool IsLineEnd(char c) {
  return c == '\r' || c == '\n' || c == '\x1A';
}

// The first place from from that NextStop must find, byte by byte.
size_t PlainStop(const std::string& text, size_t from) {
  for (size_t at = from; at < text.size(); ++at) {
    const char c = text[at];
    if (c == '=' || c == ':' || c == '\x1A') return at;
    if (c == '\r' && text.compare(at, 2, "\r\n") != 0) return at;
    if (c == '\n' && (at == 0 || text[at - 1] != '\r')) return at;
  }
  return text.size();
}

// Walks text as the filter pass does, line by line from its start, choosing at random for each
// line whether to look for its first stop or only for its end, and checks every place found
// against a byte by byte search.
void ExpectWalkLikePlainSearch(const std::string& text, std::mt19937& random) {
  const char* const begin = text.data();
  FilterLineScan scan(text);
  ASSERT_EQ(scan.End(), begin + text.size());
  size_t next = 0;
  while (next < text.size()) {
    size_t line = next;
    size_t from = next;
    if (random() % 4 != 0) {
      from = PlainStop(text, next);
      ASSERT_EQ(scan.NextStop(begin + next) - begin, from) << testing::PrintToString(text);
      const size_t lf = from == 0 ? std::string::npos : text.find_last_of('\n', from - 1);
      line = lf == std::string::npos || lf < next ? next : lf + 1;
      ASSERT_EQ(scan.LineStart(begin + next, begin + from) - begin, line)
          << testing::PrintToString(text) << " at " << from;
      if (from == text.size()) return;
    }
    size_t stop = from;
    while (stop < text.size() && !IsLineEnd(text[stop])) ++stop;
    ASSERT_EQ(scan.NextLineEnd(begin + from) - begin, stop) << testing::PrintToString(text);
    if (text.compare(stop, 2, "\r\n") != 0) return;
    next = stop + 2;
  }
}

// Line ends of every kind, stops and end marks on each side of the edges of the blocks of
// sixty-four bytes, and texts that end there.
TEST(FilterLineScanTest, PlacesAtTheEdgesOfBlocks) {
  const char* const kPieces[] = {"\r\n", "\r", "\n", "=", ":", "\x1A", "\x1A\n", "\r\r\n"};
  std::mt19937 random(16);
  for (const char* piece : kPieces) {
    for (size_t before : {0, 1, 61, 62, 63, 64, 65, 126, 127, 128, 129}) {
      for (size_t after : {0, 1, 2, 63, 64, 65, 130}) {
        const std::string text = std::string(before, 'a') + piece + std::string(after, 'b');
        for (const std::string& lines : {text, "a = 1\r\n" + text, text + "\r\nc: d\r\n"}) {
          ExpectWalkLikePlainSearch(lines, random);
        }
      }
    }
  }
}

// Random texts of short and long lines, most ended by CR LF, with stops among them.
TEST(FilterLineScanTest, RandomTextsGiveWhatAByteByByteSearchGives) {
  static const char* const kEnds[] = {"\r\n", "\r\n", "\r\n", "\r", "\n", "\x1A", "\n\r"};
  std::mt19937 random(17);
  for (int round = 0; round < 20000; ++round) {
    std::string text;
    for (size_t lines = random() % 12; lines > 0; --lines) {
      text += std::string(random() % 90, 'a');
      if (random() % 3 == 0) text += random() % 2 ? " = 1" : "object A: T";
      text += random() % 2 ? std::string(random() % 40, 'b') : "";
      text += kEnds[random() % 8 == 0 ? random() % 7 : 0];
    }
    ExpectWalkLikePlainSearch(text, random);
  }
}

}  // namespace
}  // namespace quorvex
