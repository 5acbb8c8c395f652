// Every binary form of the corpus of real form files, converted to text.
#include <gtest/gtest.h>

#include <filesystem>
#include <iostream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "formstream/binary_to_text.h"
#include "runtime/exceptions.h"
#include "tests/test_streams.h"
#include "tests/test_support.h"

namespace quorvex {
namespace {

namespace fs = std::filesystem;
using namespace quorvex::testing;

// The damaged form: every tab of it became two spaces, so its length bytes no longer fit. Read
// by the rules of the format its root object closes early; it is not a form of classic tags.
const std::string kDamagedForm = "binary/016_exff2simpleplanneru1.dfm";

struct Conversion {
  std::string failure;  // class and message, empty on success
  std::string text;
  int32_t input_position = 0;
};

Conversion Convert(const std::string& bytes) {
  TMemoryStream input;
  Fill(input, bytes);
  TMemoryStream output;
  Conversion result;
  try {
    ResourceFormToText(input, output);
  } catch (const Exception& failure) {
    result.failure = std::string(failure.ClassName()) + ": " + failure.Message();
  }
  result.text = ContentOf(output);
  result.input_position = input.CurrentOffset();
  return result;
}

// The number of object header lines: "object " or "inherited " behind the indentation.
int ObjectHeaders(const std::string& text) {
  int count = 0;
  std::istringstream lines(text);
  for (std::string line; std::getline(lines, line);) {
    size_t start = line.find_first_not_of(' ');
    if (start == std::string::npos || start % 2 != 0) continue;
    if (line.compare(start, 7, "object ") == 0 || line.compare(start, 10, "inherited ") == 0) {
      ++count;
    }
  }
  return count;
}

TEST(CorpusTest, EveryBinaryFormConvertsOrFailsCleanly) {
  fs::path corpus = CorpusDir();
  if (corpus.empty()) GTEST_SKIP() << "no corpus of real forms";
  std::map<std::string, ProvenanceRow> provenance = ReadProvenance(corpus);
  int classic = 0;
  for (const auto& entry : fs::directory_iterator(corpus / "binary")) {
    std::string file = "binary/" + entry.path().filename().string();
    ASSERT_TRUE(provenance.count(file)) << file;
    const ProvenanceRow& row = provenance[file];
    std::string bytes = ReadFileBytes(entry.path());
    Conversion conversion = Convert(bytes);
    if (file == kDamagedForm) {
      EXPECT_EQ(conversion.failure, "") << file;
      EXPECT_LT(conversion.input_position, int32_t(bytes.size())) << file;
      std::cout << file << ": root closes early at " << conversion.input_position << " of "
                << bytes.size() << " bytes\n";
      continue;
    }
    if (row.at("only_classic_tags") == "yes") {
      ++classic;
      EXPECT_EQ(conversion.failure, "") << file;
      EXPECT_EQ(conversion.input_position,
                int32_t(bytes.size()) - std::stoi(row.at("trailing_bytes")))
          << file;
      EXPECT_EQ(ObjectHeaders(conversion.text), std::stoi(row.at("objects"))) << file;
      EXPECT_EQ(conversion.text.substr(conversion.text.size() - 5), "end\r\n") << file;
      continue;
    }
    std::cout << file << " (" << row.at("tags_over_14")
              << "): " << (conversion.failure.empty() ? "converted" : conversion.failure) << ", "
              << conversion.text.size() << " bytes of text\n";
  }
  EXPECT_GT(classic, 0);
}

}  // namespace
}  // namespace quorvex
