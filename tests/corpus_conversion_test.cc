// Runs the built tool on every real text form of the corpus, copied to a scratch folder under
// a name without ".DFM" so that it takes the text path.
#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <string>

#include "tests/test_support.h"
#include "tests/tool_runner.h"

namespace quorvex::testing {
namespace {

namespace fs = std::filesystem;

// The lines of text split at CR LF, lone CR and lone LF, up to a Ctrl-Z, each ended with CR LF.
std::string AsBackup(const std::string& text) {
  std::string backup;
  std::string line;
  bool open_line = false;
  for (size_t i = 0; i < text.size() && text[i] != '\x1A'; ++i) {
    char c = text[i];
    if (c != '\r' && c != '\n') {
      line += c;
      open_line = true;
      continue;
    }
    if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
    backup += line + "\r\n";
    line.clear();
    open_line = false;
  }
  if (open_line) backup += line + "\r\n";
  return backup;
}

size_t CountOf(const std::string& text, const std::string& what) {
  size_t count = 0;
  for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++count;
  return count;
}

TEST(CorpusConversion, EveryTextFormIsBackedUpWholeAndFiltered) {
  const fs::path corpus = CorpusDir();
  if (corpus.empty()) GTEST_SKIP() << "no corpus folder";
  std::map<std::string, ProvenanceRow> provenance = ReadProvenance(corpus);
  int forms = 0;
  for (const auto& entry : fs::directory_iterator(corpus / "text")) {
    const std::string original = ReadFileBytes(entry.path());
    const std::string name = entry.path().stem().string();
    ScratchDir folder;
    WriteFileBytes(folder / (name + ".txt"), original);
    ToolRun run = RunTool({name + ".txt"}, folder.path());
    EXPECT_EQ(run.exit_code, 0) << name;
    std::string upper = name;
    for (char& c : upper) c = char(std::toupper(static_cast<unsigned char>(c)));
    const std::string backup = ReadFileBytes(folder / (upper + ".BAK"));
    EXPECT_EQ(backup, AsBackup(original)) << name;
    EXPECT_EQ(
        CountOf(run.out, "\r\nSkipped: "),
        std::stoul("0" + provenance["text/" + entry.path().filename().string()]["d3_filter_drops"]))
        << name;
    const std::string filtered = ReadFileBytes(folder / (name + ".txt"));
    EXPECT_LE(CountOf(filtered, "\r\n") + CountOf(run.out, "\r\nSkipped: "),
              CountOf(backup, "\r\n"))
        << name << ": each dropped line is reported once, its continuation lines not at all";
    ++forms;
  }
  EXPECT_EQ(forms, 69);
}

}  // namespace
}  // namespace quorvex::testing
