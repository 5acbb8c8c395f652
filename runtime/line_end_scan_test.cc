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

TEST(LineEndScanTest, EndOfCrLfLinesStopsAtTheFirstOtherLineEndLikeLineByLine) {
  std::mt19937 random(12);
  for (int round = 0; round < 20000; ++round) {
    const std::string text = RandomLines(random);
    const char* const end = text.data() + text.size();
    const char* expected = text.data();
    for (const char* stop;
         (stop = PlainLineEnd(expected, end)) + 1 < end && stop[0] == '\r' && stop[1] == '\n';) {
      expected = stop + 2;
    }
    ASSERT_EQ(EndOfCrLfLines(text.data(), end, '\x1A') - text.data(), expected - text.data())
        << text;
  }
}

TEST(LineEndScanTest, ForEachCrLfLineGivesEveryLineAndItsFirstMarker) {
  std::mt19937 random(13);
  for (int round = 0; round < 20000; ++round) {
    std::string text = RandomLines(random);
    text.resize(
        size_t(EndOfCrLfLines(text.data(), text.data() + text.size(), '\x1A') - text.data()));
    std::vector<std::pair<std::string_view, size_t>> expected;
    for (size_t start = 0; start < text.size();) {
      const size_t end = text.find('\r', start);
      const std::string_view line(text.data() + start, end - start);
      expected.emplace_back(line, line.find('='));
      start = end + 2;
    }
    std::vector<std::pair<std::string_view, size_t>> found;
    ForEachCrLfLine(text, '=',
                    [&](std::string_view line, size_t first) { found.emplace_back(line, first); });
    ASSERT_EQ(found, expected) << text;
  }
}

TEST(LineEndScanTest, ForEachLoneLineEndFindsTheLineEndsThatAreNotCrLf) {
  std::mt19937 random(14);
  for (int round = 0; round < 20000; ++round) {
    std::string text = RandomLines(random);
    text.resize(std::min(text.find('\x1A'), text.find_last_of("\r\n") + 1));
    if (!text.empty() && text.back() == '\r' && random() % 2) text += random() % 2 ? "\n" : "\r";
    std::vector<size_t> expected;
    for (size_t at = 0; at < text.size(); ++at) {
      if (text[at] == '\r' && text.compare(at, 2, "\r\n") != 0) expected.push_back(at);
      if (text[at] == '\n' && (at == 0 || text[at - 1] != '\r')) expected.push_back(at);
    }
    std::vector<size_t> found;
    ForEachLoneLineEnd(text, [&](const char* at) { found.push_back(size_t(at - text.data())); });
    ASSERT_EQ(found, expected) << text;
  }
}

}  // namespace
}  // namespace quorvex
