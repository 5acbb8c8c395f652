// Runs the built tool on every form of the corpus and compares a digest of everything it
// writes (console bytes, exit code, every file left in the folder) with the digests kept in
// corpus_outputs.tsv, which were made on x86-64 Linux: every system gives the same bytes.
// To remake the list after a deliberate change, run this test with QUORVEX_REWRITE_EXPECTED
// set to the path to write.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <set>
#include <sstream>
#include <string>

#include "tests/test_support.h"
#include "tests/tool_runner.h"

namespace quorvex::testing {
namespace {

namespace fs = std::filesystem;

// 64-bit FNV-1a: the same value for the same bytes everywhere.
uint64_t Digest(const std::string& bytes) {
  uint64_t hash = 0xCBF29CE484222325u;
  for (unsigned char c : bytes) hash = (hash ^ c) * 0x100000001B3u;
  return hash;
}

std::string Hex(uint64_t value) {
  char text[17];
  std::snprintf(text, sizeof text, "%016llX", static_cast<unsigned long long>(value));
  return text;
}

// The console output with the program's file name, which differs between systems (quorvex,
// quorvex.exe), written as on Linux.
std::string WithLinuxModuleName(std::string console) {
  const std::string module = " in module " + ToolModuleName() + " at ";
  const std::string on_linux = " in module quorvex at ";
  for (size_t at = console.find(module); at != std::string::npos;
       at = console.find(module, at + on_linux.size())) {
    console.replace(at, module.size(), on_linux);
  }
  return console;
}

// The run of the tool on one corpus form, copied into a scratch folder under its own name.
std::string OutputsOf(const fs::path& form) {
  ScratchDir folder;
  const std::string name = form.filename().string();
  WriteFileBytes(folder / name, ReadFileBytes(form));
  ToolRun run = RunTool({name}, folder.path());
  std::string record = "exit " + std::to_string(run.exit_code) + " console " +
                       Hex(Digest(WithLinuxModuleName(run.out)));
  std::set<std::string> files;
  for (const auto& entry : fs::directory_iterator(folder.path())) {
    files.insert(entry.path().filename().string());
  }
  for (const std::string& file : files) {
    record += " " + file + " " + Hex(Digest(ReadFileBytes(folder / file)));
  }
  return record;
}

std::map<std::string, std::string> ReadExpected(const std::string& table) {
  std::map<std::string, std::string> expected;
  std::istringstream lines(table);
  for (std::string line; std::getline(lines, line);) {
    const size_t tab = line.find('\t');
    if (tab != std::string::npos) expected[line.substr(0, tab)] = line.substr(tab + 1);
  }
  return expected;
}

TEST(CorpusOutputs, EveryFormGivesTheBytesItGaveOnX86Linux) {
  const fs::path corpus = CorpusDir();
  if (corpus.empty()) GTEST_SKIP() << "no corpus folder";
  std::map<std::string, std::string> actual;
  for (const char* kind : {"binary", "text"}) {
    for (const auto& entry : fs::directory_iterator(corpus / kind)) {
      actual[std::string(kind) + "/" + entry.path().filename().string()] = OutputsOf(entry.path());
    }
  }
  std::string table;
  for (const auto& [form, record] : actual) table += form + "\t" + record + "\n";
  if (const char* rewrite = std::getenv("QUORVEX_REWRITE_EXPECTED")) {
    WriteFileBytes(rewrite, table);
  }
  const std::map<std::string, std::string> expected =
      ReadExpected(ReadFileBytes(fs::path(QUORVEX_SOURCE_DIR) / "tests" / "corpus_outputs.tsv"));
  for (const auto& [form, record] : actual) {
    auto found = expected.find(form);
    ASSERT_NE(found, expected.end()) << form << " is not in corpus_outputs.tsv";
    EXPECT_EQ(record, found->second) << form;
  }
  EXPECT_EQ(actual.size(), expected.size());
}

}  // namespace
}  // namespace quorvex::testing
