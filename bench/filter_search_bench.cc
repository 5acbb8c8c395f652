// The searches of the conversion run's line filter over a text of more than 10 MB made of the
// corpus text forms: the literal scan (each pattern in index order, in the trimmed line and
// then behind the class prefix), the reversed-entry trie doing the same two searches, the
// whole LineFilter, and GNU grep -F with the same patterns over the same lines.

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <map>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "additions/addition_search.h"
#include "additions/literal_addition_scan.h"
#include "driver/line_filter.h"

namespace quorvex {
namespace {

constexpr size_t kMinimumTextBytes = 10 * 1000 * 1000;

std::string ReadFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}

// The corpus text forms, one after the other, repeated until the text is large enough.
std::string CorpusText() {
  std::string forms;
  for (const auto& file :
       std::filesystem::directory_iterator(std::filesystem::path(QUORVEX_CORPUS_DIR) / "text")) {
    if (file.path().extension() == ".dfm") forms += ReadFile(file.path());
  }
  if (forms.empty()) return forms;
  std::string text;
  while (text.size() < kMinimumTextBytes) text += forms;
  return text;
}

// Lines end at CR LF, a lone LF or a lone CR.
std::vector<std::string> SplitLines(const std::string& text) {
  std::vector<std::string> lines;
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find_first_of("\r\n", start);
    if (end == std::string::npos) end = text.size();
    lines.push_back(text.substr(start, end - start));
    start = end + (text.compare(end, 2, "\r\n") == 0 ? 2 : 1);
  }
  return lines;
}

struct BenchText {
  size_t bytes = 0;
  std::vector<std::string> lines;
};

const BenchText& Text() {
  static const BenchText text = [] {
    BenchText made;
    const std::string bytes = CorpusText();
    made.bytes = bytes.size();
    made.lines = SplitLines(bytes);
    return made;
  }();
  return text;
}

// The class prefix an object header sets, or an empty string for any other line.
std::string HeaderPrefix(std::string_view trimmed) {
  std::optional<std::string_view> class_text = HeaderClassText(trimmed);
  return class_text ? std::string(*class_text) + "." : "";
}

bool SkipWithoutCorpus(benchmark::State& state) {
  if (!Text().lines.empty()) return false;
  state.SkipWithError("no corpus text forms");
  return true;
}

void Finish(benchmark::State& state, size_t dropped) {
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * Text().bytes));
  state.counters["dropped"] = static_cast<double>(dropped);
}

void BM_LiteralScan(benchmark::State& state) {
  if (SkipWithoutCorpus(state)) return;
  size_t dropped = 0;
  for (auto _ : state) {
    dropped = 0;
    std::string prefix;
    std::string prefixed;
    for (const std::string& line : Text().lines) {
      const std::string_view trimmed = TrimmedLine(line);
      std::string header = HeaderPrefix(trimmed);
      if (!header.empty()) {
        prefix = std::move(header);
        continue;
      }
      int hit = LiteralFirstAddition(trimmed);
      if (hit == 0) {
        prefixed.assign(prefix).append(trimmed);
        hit = LiteralFirstAddition(prefixed);
      }
      dropped += hit != 0;
    }
  }
  Finish(state, dropped);
}

void BM_ReversedTrie(benchmark::State& state) {
  if (SkipWithoutCorpus(state)) return;
  const AdditionSearch& search = AdditionSearch::ForTable();
  size_t dropped = 0;
  for (auto _ : state) {
    dropped = 0;
    std::string prefix;
    for (const std::string& line : Text().lines) {
      const std::string_view trimmed = TrimmedLine(line);
      std::string header = HeaderPrefix(trimmed);
      if (!header.empty()) {
        prefix = std::move(header);
        continue;
      }
      int hit = search.FirstHit(trimmed);
      if (hit == 0) hit = search.FirstHit(prefix, trimmed);
      dropped += hit != 0;
    }
  }
  Finish(state, dropped);
}

void BM_LineFilter(benchmark::State& state) {
  if (SkipWithoutCorpus(state)) return;
  size_t dropped = 0;
  for (auto _ : state) {
    dropped = 0;
    LineFilter filter;
    for (const std::string& line : Text().lines) {
      dropped += filter.Filter(line).action == FilterAction::kDrop;
    }
  }
  Finish(state, dropped);
}

// A temporary file, removed when the object goes out of scope.
class TempFile {
 public:
  TempFile(const std::string& name, const std::vector<std::string>& lines)
      : path_(std::filesystem::temp_directory_path() /
              (name + "." +
               std::to_string(std::chrono::steady_clock::now().time_since_epoch().count()))) {
    std::ofstream out(path_, std::ios::binary);
    for (const std::string& line : lines) out << line << '\n';
  }
  ~TempFile() { std::filesystem::remove(path_); }
  TempFile(const TempFile&) = delete;
  TempFile& operator=(const TempFile&) = delete;
  const std::filesystem::path& path() const { return path_; }

 private:
  std::filesystem::path path_;
};

// grep reads the same lines (each ended with LF) and counts those in which any pattern occurs:
// one search per line and no lowest index, so it does less than the filter's two searches.
void BM_GrepFixedStrings(benchmark::State& state) {
  if (SkipWithoutCorpus(state)) return;
  const TempFile patterns("quorvex_patterns", AdditionPatterns());
  const TempFile text("quorvex_text", Text().lines);
  const TempFile count("quorvex_count", {});
  // Not to /dev/null: grep stops at the first match when it sees its output discarded.
  const std::string command = "LC_ALL=C grep -F -c -f '" + patterns.path().string() + "' '" +
                              text.path().string() + "' > '" + count.path().string() + "'";
  for (auto _ : state) {
    const auto start = std::chrono::steady_clock::now();
    const int status = std::system(command.c_str());
    const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start;
    if (status != 0) {
      state.SkipWithError("grep failed");
      return;
    }
    state.SetIterationTime(elapsed.count());
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * Text().bytes));
  state.counters["matching lines"] = std::stod("0" + ReadFile(count.path()));
}

BENCHMARK(BM_LiteralScan)->Unit(benchmark::kMillisecond)->Iterations(2);
BENCHMARK(BM_ReversedTrie)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LineFilter)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_GrepFixedStrings)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(5);

// The console report, followed by the speed of each way against the literal scan.
class RatioReporter : public benchmark::ConsoleReporter {
 public:
  RatioReporter() : ConsoleReporter(OO_Tabular) {}

  void ReportRuns(const std::vector<Run>& runs) override {
    ConsoleReporter::ReportRuns(runs);
    for (const Run& run : runs) {
      if (!run.error_occurred) seconds_[run.benchmark_name()] = run.GetAdjustedRealTime();
    }
  }

  void Finalize() override {
    ConsoleReporter::Finalize();
    const auto literal = seconds_.lower_bound("BM_LiteralScan");
    if (literal == seconds_.end() || literal->first.rfind("BM_LiteralScan", 0) != 0) return;
    std::cout << "Text: " << Text().bytes << " bytes, " << Text().lines.size() << " lines\n";
    for (const auto& [name, time] : seconds_) {
      std::cout << name << ": " << literal->second / time << "x the speed of the literal scan\n";
    }
  }

 private:
  std::map<std::string, double> seconds_;
};

}  // namespace
}  // namespace quorvex

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  quorvex::RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  benchmark::Shutdown();
  return 0;
}
