#include "runtime/crlf_copy.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

namespace quorvex {
namespace {

// The whole lines of text, each followed by CR LF, found byte by byte.
std::string PlainCopy(const std::string& text, size_t& taken) {
  std::string copied;
  taken = 0;
  for (size_t at = 0; at < text.size() && text[at] != '\x1A'; ++at) {
    const char c = text[at];
    if (c != '\r' && c != '\n') continue;
    if (c == '\r' && at + 1 == text.size()) break;
    copied.append(text, taken, at - taken) += "\r\n";
    if (c == '\r' && text[at + 1] == '\n') ++at;
    taken = at + 1;
  }
  return copied;
}

void ExpectCopiedLikePlainCopy(const std::string& text) {
  size_t taken = 0;
  const std::string expected = PlainCopy(text, taken);
  std::string out(CrLfCopyRoom(text.size()), '?');
  const CrLfCopy copy = CopyWholeCrLfLines(text, '\x1A', out.data());
  ASSERT_EQ(copy.taken, taken) << testing::PrintToString(text);
  ASSERT_EQ(out.substr(0, copy.written), expected) << testing::PrintToString(text);
}

// A line end of every kind, or an end mark, falling on each side of the edges of the first
// blocks of sixty-four bytes, with texts that end before, at and after the place where the
// copy goes on byte by byte.
TEST(CrLfCopyTest, LineEndsAtTheEdgesOfBlocks) {
  const char* const kEnds[] = {"\r\n", "\r", "\n", "\n\r", "\r\r\n", "\x1A", "\r\x1A", "\n\n"};
  for (const char* line_end : kEnds) {
    for (size_t before : {0, 1, 15, 16, 62, 63, 64, 65, 78, 79, 80, 126, 127, 128, 143, 144}) {
      for (size_t after : {0, 1, 2, 16, 17, 63, 64, 80, 81, 200}) {
        std::string text = std::string(before, 'a') + line_end + std::string(after, 'b');
        ExpectCopiedLikePlainCopy(text);
        ExpectCopiedLikePlainCopy(text + "\r\n");
        ExpectCopiedLikePlainCopy("\r\n" + text);
      }
    }
  }
}

// Random texts of short and long lines, with every kind of line end, end marks and other
// control bytes among them.
TEST(CrLfCopyTest, RandomTextsGiveWhatAByteByByteCopyGives) {
  const std::string alphabet = "\r\r\r\n\n\n\x1A\t\x0B";
  std::mt19937 random(15);
  for (int round = 0; round < 20000; ++round) {
    std::string text(std::uniform_int_distribution<size_t>(0, 400)(random), 'x');
    const unsigned density = 2 + random() % 60;
    for (char& c : text) {
      if (random() % density == 0) c = alphabet[random() % alphabet.size()];
    }
    ExpectCopiedLikePlainCopy(text);
  }
}

}  // namespace
}  // namespace quorvex
