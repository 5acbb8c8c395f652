// Runs the built tool on every real form of the corpus, copied to a scratch folder: the text
// forms under a name without ".DFM", so that they take the text path, and the binary forms
// under their own name, so that they are turned into text, filtered and rebuilt.
#include <gtest/gtest.h>

#include <filesystem>
#include <iostream>
#include <map>
#include <set>
#include <string>

#include "tests/encoding_audit.h"
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

std::set<std::string> NamesIn(const fs::path& folder) {
  std::set<std::string> names;
  for (const auto& entry : fs::directory_iterator(folder)) {
    names.insert(entry.path().filename().string());
  }
  return names;
}

// Every binary form: one of classic tags (0 to 14) is rebuilt, and the text of the rebuilt form
// is the filtered text; where nothing was dropped or changed and the audit finds no encoding
// the trip through text loses, it is the original byte for byte. A form the run cannot
// convert keeps its bytes. Either way nothing but the form, its text and its backup is left.
TEST(CorpusConversion, EveryBinaryFormIsRebuiltOrKeepsItsBytes) {
  const fs::path corpus = CorpusDir();
  if (corpus.empty()) GTEST_SKIP() << "no corpus folder";
  std::map<std::string, ProvenanceRow> provenance = ReadProvenance(corpus);
  const std::set<std::string> kLeft = {"FORM.BAK", "FORM.TXT", "form.dfm"};
  std::map<std::string, int> outcomes;
  for (const auto& entry : fs::directory_iterator(corpus / "binary")) {
    const std::string file = "binary/" + entry.path().filename().string();
    SCOPED_TRACE(file);
    const std::string original = ReadFileBytes(entry.path());
    ScratchDir folder;
    WriteFileBytes(folder / "form.dfm", original);
    ToolRun run = RunTool({"form.dfm"}, folder.path());
    for (const std::string& name : NamesIn(folder.path())) {
      EXPECT_TRUE(kLeft.count(name)) << name << " is left";
    }
    if (provenance[file]["only_classic_tags"] != "yes" || file == kDamagedForm) {
      // Later tags are not read; the damaged form's text does not read back.
      EXPECT_EQ(run.exit_code, 1);
      EXPECT_NE(run.out.find("\r\nException E"), std::string::npos);
      EXPECT_EQ(ReadFileBytes(folder / "form.dfm"), original);
      ++outcomes[file == kDamagedForm ? "damaged, kept" : "later tags, kept"];
      continue;
    }
    ASSERT_EQ(run.exit_code, 0) << run.out;
    EXPECT_EQ(NamesIn(folder.path()), kLeft);
    const std::string filtered = ReadFileBytes(folder / "FORM.TXT");
    const std::string written = ReadFileBytes(folder / "form.dfm");
    ASSERT_EQ(RunTool({"form.dfm"}, folder.path()).exit_code, 0);
    EXPECT_EQ(ReadFileBytes(folder / "FORM.BAK"), filtered);
    auto changed = kChangedByText.find(file);
    if (run.out != kBanner) {
      ++outcomes["lines dropped or changed, rebuilt"];
    } else if (changed != kChangedByText.end()) {
      EXPECT_EQ(AuditedReasons(original, filtered), changed->second);
      ++outcomes["encodings changed by text (" + changed->second + "), rebuilt"];
    } else {
      EXPECT_TRUE(written == original);
      ++outcomes["rebuilt byte for byte"];
    }
  }
  for (const auto& [outcome, count] : outcomes) std::cout << count << " " << outcome << "\n";
  int forms = 0;
  for (const auto& [outcome, count] : outcomes) forms += count;
  EXPECT_EQ(forms, 95);
  EXPECT_GT(outcomes["rebuilt byte for byte"], 0);
}

}  // namespace
}  // namespace quorvex::testing
