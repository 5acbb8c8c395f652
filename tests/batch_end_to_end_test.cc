// Runs the built quorvex-batch on a tree made from the corpus and compares it, form by form,
// with quorvex run once per form on a copy of the same tree.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <map>
#include <ostream>
#include <regex>
#include <string>
#include <thread>
#include <vector>

#include "formstream/text_to_binary.h"
#include "runtime/exceptions.h"
#include "runtime/memory_stream.h"
#include "runtime/platform/platform.h"
#include "tests/test_streams.h"
#include "tests/test_support.h"
#include "tests/tool_runner.h"

namespace quorvex::testing {
namespace {

namespace fs = std::filesystem;

const std::string kTextForm = "object F: TForm\r\n  Font.Charset = DEFAULT_CHARSET\r\nend\r\n";
const std::string kLikeQuorvex;  // the form is converted as quorvex converts it

struct Place {
  std::string path;
  std::string line;        // the batch's whole status line, or kLikeQuorvex
  bool text_form = false;  // a text form under a .dfm name
};

#ifdef _WIN32
void MakeFifo(const fs::path&) {}
#else
void MakeFifo(const fs::path& path) {
  mkfifo(path.c_str(), 0644);
}
#endif

// A tree of real forms: the whole corpus, and beside it every kind of place the walk meets.
// Returns the places the batch reports, in walk order, for "quorvex-batch tree".
std::vector<Place> BuildTree(const fs::path& folder) {
  fs::path tree = folder / "tree";
  fs::path corpus = CorpusDir();
  fs::create_directories(tree / "Forms/Dialogs/deep/x");
  fs::create_directories(tree / "corpus");
  fs::copy(corpus / "binary", tree / "corpus/binary");
  fs::copy(corpus / "text", tree / "corpus/text");
  fs::copy_file(corpus / "binary/001_main.dfm", tree / "Forms/MAIN.DFM");
  fs::copy_file(corpus / "binary/002_prefs.dfm", tree / "Forms/Dialogs/About Box.Dfm");
  fs::copy_file(corpus / "binary/003_chartdlg.dfm", tree / "Forms/Dialogs/deep/x/prefs.dfm");
  fs::copy_file(corpus / "binary/019_sqlitepasslookupdialog.dfm", tree / "Later.dfm");
  fs::copy_file(corpus / "text/001_about.dfm", tree / "text form.dfm");
  fs::copy_file(corpus / "binary/004_data.dfm", tree / "readonly.dfm");
  fs::permissions(tree / "readonly.dfm", fs::perms(0444));
  WriteFileBytes(tree / "done.dfm", kTextForm);
  WriteFileBytes(tree / "DONE.BAK", "an older backup\r\n");
  WriteFileBytes(tree / "junk.dfm", "not a form\r\n");
  WriteFileBytes(tree / "notes.txt", kTextForm);
  // FIFOs, and symbolic links that every user may make, are POSIX's own.
  const bool posix = !kBackslashSeparatesPaths;
  if (posix) {
    MakeFifo(tree / "pipe.dfm");
    fs::create_directories(folder / "outside");
    WriteFileBytes(folder / "outside/hidden.dfm", kTextForm);
    fs::create_directory_symlink("../outside", tree / "linked");
  }

  std::vector<Place> places = {{"tree/Forms/Dialogs/About Box.Dfm", kLikeQuorvex},
                               {"tree/Forms/Dialogs/deep/x/prefs.dfm", kLikeQuorvex},
                               {"tree/Forms/MAIN.DFM", kLikeQuorvex},
                               {"tree/Later.dfm", kLikeQuorvex}};
  for (const char* kind : {"binary", "text"}) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(corpus / kind)) {
      names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    for (const std::string& name : names) {
      places.push_back({"tree/corpus/" + std::string(kind) + "/" + name, kLikeQuorvex,
                        std::string(kind) == "text"});
    }
  }
  places.insert(
      places.end(),
      {{"tree/done.dfm", "already converted  tree/done.dfm (backup exists)"},
       {"tree/junk.dfm",
        "failed             tree/junk.dfm: not a form file: neither a form resource "
        "nor a text form"},
       {"tree/linked", "skipped            tree/linked (symbolic link to a folder, not followed)"},
       {"tree/pipe.dfm", "skipped            tree/pipe.dfm (not a regular file)"},
       {"tree/readonly.dfm", kLikeQuorvex},
       {"tree/text form.dfm", kLikeQuorvex, true}});
  if (!posix) {
    places.erase(std::remove_if(places.begin(), places.end(),
                                [](const Place& place) {
                                  return place.path == "tree/linked" ||
                                         place.path == "tree/pipe.dfm";
                                }),
                 places.end());
  }
  return places;
}

// A path below the tree as Snapshot names it, with the system's separator.
std::string Native(const std::string& path) {
  return fs::path(path).make_preferred().string();
}

struct FileState {
  std::string bytes;  // the target of a link; empty for anything but files and links
  fs::file_time_type time;
  bool operator==(const FileState& other) const { return bytes == other.bytes; }
};

// A failing comparison of snapshots names every file with the length of its bytes.
void PrintTo(const FileState& state, std::ostream* out) {
  *out << state.bytes.size() << " bytes";
}

// Every file, link and folder below root by its path, with its bytes and time.
std::map<std::string, FileState> Snapshot(const fs::path& root) {
  std::map<std::string, FileState> files;
  for (const auto& entry : fs::recursive_directory_iterator(root)) {
    FileState state;
    fs::file_status status = entry.symlink_status();
    if (fs::is_symlink(status)) state.bytes = fs::read_symlink(entry.path()).string();
    if (fs::is_regular_file(status)) {
      state.bytes = ReadFileBytes(entry.path());
      state.time = fs::last_write_time(entry.path());
    }
    files[fs::relative(entry.path(), root).string()] = state;
  }
  return files;
}

std::vector<std::string> Lines(const std::string& out) {
  std::vector<std::string> lines;
  for (size_t start = 0, end; (end = out.find("\r\n", start)) != std::string::npos;
       start = end + 2) {
    lines.push_back(out.substr(start, end - start));
  }
  return lines;
}

// The batch's output cut into the blocks of its places: a status line and the lines under it.
std::vector<std::vector<std::string>> Blocks(const std::string& out) {
  std::vector<std::vector<std::string>> blocks;
  for (const std::string& line : Lines(out)) {
    if (line.empty()) break;
    if (line.rfind("    ", 0) == 0) {
      blocks.back().push_back(line.substr(4));
    } else {
      blocks.push_back({line});
    }
  }
  return blocks;
}

// What quorvex's console output says of a run on one form: its report lines, and the message
// of its failure report when it failed.
struct SingleRun {
  std::vector<std::string> reports;
  std::string message;
};

// quorvex reads only binary forms under a .dfm name; the batch recognises a text form there by
// its content, backs up and filters it under the text name a binary form's text would get, and
// rebuilds the .dfm from the filtered text. quorvex does the same but the rebuild with the text
// copied to that name.
std::string SingleCommandPath(const Place& place, const fs::path& folder) {
  if (!place.text_form) return place.path;
  std::string text_name = place.path.substr(0, place.path.size() - 4) + ".TXT";
  size_t name_start = text_name.rfind('/') + 1;
  for (size_t i = name_start; i < text_name.size(); ++i) text_name[i] = char(toupper(text_name[i]));
  fs::copy_file(folder / place.path, folder / text_name);
  return text_name;
}

SingleRun RunQuorvex(const std::string& path, const fs::path& folder) {
  ToolRun run = RunTool({path}, folder);
  std::vector<std::string> lines = Lines(run.out);
  SingleRun single;
  size_t end = lines.size();
  if (run.exit_code != 0) {
    std::string report = run.out.substr(run.out.rfind("Exception "));
    single.message = report.substr(report.find('\n') + 1);
    single.message.resize(single.message.size() - 2);
    end -= 1;  // the report's two lines make one console line, ended by one CR LF
  }
  single.reports.assign(lines.begin() + 3, lines.begin() + long(end));
  return single;
}

// What the rebuild of a text form's .dfm makes of its filtered text: the form file's bytes, or
// the message of the failure.
struct Rebuild {
  std::string bytes;
  std::string message;
};

Rebuild RebuildOf(const fs::path& filtered_text) {
  TMemoryStream input;
  Fill(input, ReadFileBytes(filtered_text));
  TMemoryStream output;
  try {
    TextFormToResource(input, output);
  } catch (const Exception& failure) {
    return {"", failure.Message() + "."};
  }
  return {ContentOf(output), ""};
}

void ExpectLikeQuorvex(const std::vector<std::string>& block, SingleRun single, const Place& place,
                       const Rebuild& rebuild) {
  const std::string& path = place.path;
  std::string status = block[0].substr(0, block[0].find(' '));
  EXPECT_EQ(std::vector<std::string>(block.begin() + 1, block.end()), single.reports) << path;
  if (place.text_form && single.message.empty()) single.message = rebuild.message;
  if (single.message.empty()) {
    EXPECT_TRUE(status == "converted" || status == "unchanged") << block[0];
  } else {
    std::string message = block[0].substr(block[0].find(path + ": ") + path.size() + 2);
    EXPECT_EQ(status, "failed");
    EXPECT_EQ(message + (message.back() == '.' ? "" : "."), single.message) << path;
  }
}

class BatchEndToEnd : public ::testing::Test {
 protected:
  void SetUp() override {
    if (CorpusDir().empty()) GTEST_SKIP() << "no corpus at " << QUORVEX_CORPUS_DIR;
  }
};

TEST_F(BatchEndToEnd, ConvertsEveryFormAsQuorvexDoesAndLeavesTheRestAlone) {
  ScratchDir single;
  ScratchDir batch;
  std::vector<Place> places = BuildTree(single.path());
  BuildTree(batch.path());
  std::map<std::string, FileState> before = Snapshot(batch.path());
  ToolRun run = RunBatchTool({"--jobs", "3", "tree"}, batch.path());
  std::vector<std::vector<std::string>> blocks = Blocks(run.out);
  ASSERT_EQ(blocks.size(), places.size()) << run.out;
  bool failed = false;
  std::map<std::string, FileState> after = Snapshot(batch.path());
  std::map<std::string, std::string>
      rebuilt;  // the text forms' .dfm files as the batch leaves them
  int rebuilds = 0;
  for (size_t i = 0; i < places.size(); ++i) {
    const Place& place = places[i];
    if (place.line != kLikeQuorvex) {
      EXPECT_EQ(blocks[i], std::vector<std::string>{place.line});
      failed |= place.line.rfind("failed", 0) == 0;
      continue;
    }
    ASSERT_EQ(blocks[i][0].substr(19, place.path.size()), place.path) << blocks[i][0];
    std::string single_path = SingleCommandPath(place, single.path());
    SingleRun expected = RunQuorvex(single_path, single.path());
    Rebuild rebuild;
    if (place.text_form) {
      rebuild = RebuildOf(single / single_path);
      rebuilt[Native(place.path)] =
          rebuild.message.empty() ? rebuild.bytes : before[Native(place.path)].bytes;
      rebuilds += rebuild.message.empty();
    }
    ExpectLikeQuorvex(blocks[i], expected, place, rebuild);
    failed |= blocks[i][0].rfind("failed", 0) == 0;
  }
  EXPECT_GT(rebuilds, 0);
  EXPECT_EQ(run.exit_code, failed ? 1 : 0);
  EXPECT_EQ(run.err, "") << "nothing on standard error when it is not a terminal";
  std::map<std::string, FileState> single_files = Snapshot(single.path());
  for (const auto& [path, bytes] : rebuilt) single_files[path].bytes = bytes;
  EXPECT_EQ(after, single_files) << "every file as quorvex leaves it";
  for (const char* untouched : {"tree/done.dfm", "tree/DONE.BAK", "tree/junk.dfm"}) {
    EXPECT_EQ(after[Native(untouched)], before[Native(untouched)]) << untouched;
  }
  EXPECT_FALSE(fs::exists(batch / "outside/HIDDEN.BAK"));
  EXPECT_FALSE(fs::exists(batch / "tree/JUNK.TXT"));
}

TEST_F(BatchEndToEnd, OneJobOrFourGiveTheSameFilesAndOutput) {
  ScratchDir one;
  ScratchDir four;
  BuildTree(one.path());
  BuildTree(four.path());
  ToolRun serial = RunBatchTool({"tree", "--jobs", "1", "--report", "report.json"}, one.path());
  ToolRun parallel = RunBatchTool({"--jobs=4", "--report=report.json", "tree"}, four.path());
  EXPECT_EQ(serial.exit_code, parallel.exit_code);
  EXPECT_EQ(serial.out, parallel.out);
  EXPECT_EQ(Snapshot(one.path()), Snapshot(four.path()));
}

// (path, dropped, changed) of each line of a JSON report.
std::vector<std::string> Counts(const std::string& report) {
  static const std::regex kCounts(
      "\\{\"path\":(\"[^\"]*\"),.*\"dropped\":(\\d+),\"changed\":(\\d+)");
  std::vector<std::string> counts;
  for (std::sregex_iterator it(report.begin(), report.end(), kCounts), end; it != end; ++it) {
    counts.push_back((*it)[1].str() + " " + (*it)[2].str() + " " + (*it)[3].str());
  }
  return counts;
}

TEST_F(BatchEndToEnd, DryRunWritesNothingAndCountsWhatTheRunDrops) {
  ScratchDir dry;
  ScratchDir real;
  ScratchDir reports;
  const std::string dry_report = (reports / "dry.json").string();
  const std::string real_report = (reports / "real.json").string();
  BuildTree(dry.path());
  BuildTree(real.path());
  std::map<std::string, FileState> before = Snapshot(dry.path());
  std::this_thread::sleep_for(std::chrono::seconds(1));  // a file written again shows another time
  ToolRun run = RunBatchTool({"--dry-run", "--report", dry_report, "tree"}, dry.path());
  std::map<std::string, FileState> after = Snapshot(dry.path());
  EXPECT_EQ(after, before);
  for (const auto& [path, state] : before) EXPECT_EQ(after[path].time, state.time) << path;
  EXPECT_NE(run.out.find("would convert      tree/text form.dfm (2 dropped, 0 changed)\r\n"
                         "    line 9: -   Font.Charset = DEFAULT_CHARSET\r\n"),
            std::string::npos)
      << run.out;
  RunBatchTool({"--report", real_report, "tree"}, real.path());
  EXPECT_EQ(Counts(ReadFileBytes(dry_report)), Counts(ReadFileBytes(real_report)));
  EXPECT_EQ(Counts(ReadFileBytes(dry_report)).size(), Blocks(run.out).size());
}

TEST_F(BatchEndToEnd, BackupsAreNeverOverwrittenUnlessAskedAndMayLiveElsewhere) {
  ScratchDir folder;
  BuildTree(folder.path());
  ToolRun run = RunBatchTool({"--overwrite-backups", "tree/done.dfm"}, folder.path());
  EXPECT_EQ(ReadFileBytes(folder / "tree/DONE.BAK"), kTextForm);
  EXPECT_NE(run.out.find("    Skipped: TForm.Font.Charset = DEFAULT_CHARSET\r\n"),
            std::string::npos);

  run = RunBatchTool({"--backup-dir", "saved", "tree/Forms", "tree/notes.txt"}, folder.path());
  EXPECT_EQ(ReadFileBytes(folder / "saved/NOTES.BAK"), kTextForm);
  EXPECT_EQ(ReadFileBytes(folder / "tree/notes.txt"), "object F: TForm\r\nend\r\n");
  for (const char* backup : {"MAIN.BAK", "Dialogs/ABOUT BOX.BAK", "Dialogs/deep/x/PREFS.BAK"}) {
    EXPECT_TRUE(fs::exists(folder / "saved" / backup)) << backup;
  }
  EXPECT_FALSE(fs::exists(folder / "tree/Forms/MAIN.BAK"));
  EXPECT_NE(run.out.find("4 forms: "), std::string::npos) << run.out;

  ToolRun again = RunBatchTool({"--backup-dir", "saved", "tree/notes.txt"}, folder.path());
  EXPECT_EQ(again.out,
            "already converted  tree/notes.txt (backup exists)\r\n\r\n"
            "1 form: 0 converted, 0 unchanged, 1 skipped, 0 failed; "
            "0 lines dropped, 0 changed\r\n");
  EXPECT_EQ(again.exit_code, 0);
}

TEST_F(BatchEndToEnd, FormsThatWouldShareABackupAreNotBothConverted) {
  ScratchDir folder;
  WriteFileBytes(folder / "a.one.dfm", kTextForm);
  WriteFileBytes(folder / "a.two.dfm", kTextForm);
  ToolRun run = RunBatchTool({"."}, folder.path());
  EXPECT_NE(run.out.find("failed             ./a.two.dfm: A.BAK would also be written for "
                         "./a.one.dfm; left alone\r\n"),
            std::string::npos)
      << run.out;
  EXPECT_EQ(run.exit_code, 1);
  EXPECT_EQ(ReadFileBytes(folder / "A.BAK"), kTextForm);
}

TEST(BatchCommandLine, HelpVersionAndUsageErrors) {
  ScratchDir folder;
  ToolRun help = RunBatchTool({"--help"}, folder.path());
  EXPECT_EQ(help.exit_code, 0);
  EXPECT_EQ(help.out.rfind("Usage: quorvex-batch [options] PATH...\r\n", 0), 0u);
  EXPECT_NE(help.out.find("Exit codes: 0"), std::string::npos);
  ToolRun version = RunBatchTool({"--version"}, folder.path());
  EXPECT_EQ(version.out, "quorvex-batch version 1.1, 947 table entries\r\n");
  EXPECT_EQ(version.exit_code, 0);
  for (const std::vector<std::string>& arguments :
       std::vector<std::vector<std::string>>{{}, {"--jobs", "0", "."}, {"--nope", "."}}) {
    ToolRun run = RunBatchTool(arguments, folder.path());
    EXPECT_EQ(run.exit_code, 2);
    EXPECT_EQ(run.out, "");
    EXPECT_NE(run.err.find("try 'quorvex-batch --help'"), std::string::npos);
  }
  ToolRun missing = RunBatchTool({"nowhere"}, folder.path());
  EXPECT_EQ(missing.exit_code, 1);
  EXPECT_EQ(missing.out.substr(0, 52), "failed             nowhere: no such file or folder\r\n");
  ToolRun report = RunBatchTool({"--report", "no/such/folder/r.json", "."}, folder.path());
  EXPECT_EQ(report.exit_code, 2);
  EXPECT_EQ(report.err, "quorvex-batch: Cannot create file no/such/folder/r.json\r\n");
}

}  // namespace
}  // namespace quorvex::testing
