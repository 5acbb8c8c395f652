#include "formstream/token_scan.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace quorvex {
namespace {

// Every run length at every offset from a sixteen-byte boundary, ended by each byte that does
// not belong to the run, with kScanReach bytes readable behind it.
template <class Scan>
void ExpectRunsEndAtTheirFirstOtherByte(Scan scan, const std::string& run_bytes,
                                        const std::string& enders) {
  for (size_t offset = 0; offset < 16; ++offset) {
    for (size_t length = 0; length <= 40; ++length) {
      for (char ender : enders) {
        std::vector<unsigned char> text(offset + length + 1 + kScanReach, 'a');
        for (size_t i = 0; i < length; ++i) text[offset + i] = run_bytes[i % run_bytes.size()];
        text[offset + length] = static_cast<unsigned char>(ender);
        const unsigned char* start = text.data() + offset;
        ASSERT_EQ(scan(start), start + length)
            << offset << " " << length << " " << int(static_cast<unsigned char>(ender));
      }
    }
  }
}

TEST(TokenScanTest, SpaceRunsEndAtTheFirstOtherByte) {
  ExpectRunsEndAtTheirFirstOtherByte([](const unsigned char* p) { return SkipSpaceRun(p); }, " ",
                                     std::string("\0\t\r\nx!\xA0\x80\xFF", 9));
}

TEST(TokenScanTest, SymbolRunsEndAtTheFirstOtherByte) {
  // The bytes next to each range of letters, digits and "_", and bytes from 0x80 up.
  ExpectRunsEndAtTheirFirstOtherByte([](const unsigned char* p) { return SkipSymbolRun(p); },
                                     "azAZ09_mQ5",
                                     std::string("\0 ./:@[`{^\x7F\x80\xC1\xDA\xE1\xFA\xFF", 17));
}

}  // namespace
}  // namespace quorvex
