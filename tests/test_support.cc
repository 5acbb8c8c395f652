#include "tests/test_support.h"

#include <cstdlib>
#include <fstream>
#include <map>
#include <random>
#include <sstream>
#include <stdexcept>

namespace quorvex::testing {
namespace fs = std::filesystem;

ScratchDir::ScratchDir() {
  // create_directory reports false when the name is taken, so each folder is new and ours.
  std::random_device seed;
  std::mt19937_64 names(seed());
  for (int attempt = 0; attempt < 100; ++attempt) {
    fs::path candidate = fs::temp_directory_path() / ("quorvex-test-" + std::to_string(names()));
    if (fs::create_directory(candidate)) {
      path_ = candidate;
      return;
    }
  }
  throw std::runtime_error("cannot create a scratch folder");
}

ScratchDir::~ScratchDir() {
  std::error_code ignored;
  fs::remove_all(path_, ignored);
}

std::string PatternBytes(size_t size) {
  std::string bytes(size, '\0');
  for (size_t i = 0; i < size; ++i) bytes[i] = char('a' + i * 7 % 26);
  return bytes;
}

std::string ReadFileBytes(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw std::runtime_error("cannot read " + path.string());
  std::ostringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}

void WriteFileBytes(const fs::path& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), std::streamsize(bytes.size()));
  if (!out) throw std::runtime_error("cannot write " + path.string());
}

fs::path CorpusDir() {
  fs::path corpus = QUORVEX_CORPUS_DIR;
  return fs::is_directory(corpus) ? corpus : fs::path();
}

std::map<std::string, ProvenanceRow> ReadProvenance(const fs::path& corpus) {
  std::ifstream in(corpus / "PROVENANCE.tsv");
  std::string line;
  std::getline(in, line);
  std::vector<std::string> columns;
  std::istringstream header(line);
  for (std::string column; std::getline(header, column, '\t');) columns.push_back(column);
  std::map<std::string, ProvenanceRow> rows;
  while (std::getline(in, line)) {
    ProvenanceRow row;
    std::istringstream cells(line);
    std::string cell;
    for (size_t i = 0; i < columns.size() && std::getline(cells, cell, '\t'); ++i) {
      row[columns[i]] = cell;
    }
    rows[row["file"]] = row;
  }
  return rows;
}

}  // namespace quorvex::testing
