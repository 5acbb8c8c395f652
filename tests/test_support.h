#ifndef QUORVEX_TESTS_TEST_SUPPORT_H_
#define QUORVEX_TESTS_TEST_SUPPORT_H_

#include <filesystem>
#include <map>
#include <string>
#include <vector>

namespace quorvex::testing {

// The console bytes the tool writes first in every mode.
inline const std::string kBanner =
    "Zandor's Vantrel\r\n"
    "Version 1.1, by the quorvex developers, https://quorvex.example.org\r\n"
    "\r\n";

// A fresh folder under the system's temporary folder, removed with everything in it when the
// object goes out of scope.
class ScratchDir {
 public:
  ScratchDir();
  ~ScratchDir();
  ScratchDir(const ScratchDir&) = delete;
  ScratchDir& operator=(const ScratchDir&) = delete;

  const std::filesystem::path& path() const { return path_; }
  std::filesystem::path operator/(const std::string& name) const { return path_ / name; }

 private:
  std::filesystem::path path_;
};

// size bytes of letters in a pattern that does not repeat at block boundaries.
std::string PatternBytes(size_t size);

std::string ReadFileBytes(const std::filesystem::path& path);
void WriteFileBytes(const std::filesystem::path& path, const std::string& bytes);

// The folder of real form files, or an empty path when it is not there.
std::filesystem::path CorpusDir();

// One row of the corpus's PROVENANCE.tsv, column name to value.
using ProvenanceRow = std::map<std::string, std::string>;

// The rows of the corpus's PROVENANCE.tsv by file (the path inside the corpus folder).
std::map<std::string, ProvenanceRow> ReadProvenance(const std::filesystem::path& corpus);

}  // namespace quorvex::testing

#endif  // QUORVEX_TESTS_TEST_SUPPORT_H_
