#ifndef QUORVEX_DRIVER_LINE_FILTER_H_
#define QUORVEX_DRIVER_LINE_FILTER_H_

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "additions/addition_search.h"
#include "driver/remembered_hits.h"
#include "runtime/line_end_scan.h"

namespace quorvex {

enum class FilterAction {
  kKeep,     // write the line as it was read
  kRewrite,  // write FilterDecision::line instead
  kDrop,     // write nothing
};

// What becomes of one line. The texts it shows belong to the LineFilter that made it and stay
// valid until its next Filter.
struct FilterDecision {
  FilterAction action = FilterAction::kKeep;
  std::string_view line;    // the line to write; set for kRewrite only
  std::string_view report;  // the line for the console; empty when there is none
};

// The line without its leading spaces (tabs stay). Indentation is often deep, so it is
// measured eight bytes at a time.
inline std::string_view TrimmedLine(std::string_view line) {
  constexpr uint64_t kSpaces = 0x2020202020202020u;
  size_t first = 0;
  for (; line.size() - first >= 8; first += 8) {
    if (const uint64_t other = LoadWordLowFirst(line.data() + first) ^ kSpaces) {
      return line.substr(first + size_t(__builtin_ctzll(other) / 8));
    }
  }
  while (first < line.size() && line[first] == ' ') ++first;
  return line.substr(first);
}

// For an object header ("object Name: TClass", the trimmed line starting with "object " and
// holding ": " after it), the text after its first ": "; nothing for any other line.
inline std::optional<std::string_view> HeaderClassText(std::string_view trimmed) {
  constexpr std::string_view kHeaderWord = "object ";
  constexpr std::string_view kHeaderColon = ": ";
  if (trimmed.substr(0, kHeaderWord.size()) != kHeaderWord) return std::nullopt;
  const size_t colon = trimmed.find(kHeaderColon);
  if (colon == std::string_view::npos) return std::nullopt;
  return trimmed.substr(colon + kHeaderColon.size());
}

// The filter pass of the conversion run, one line at a time, in the order of the text.
//
// Filter takes one whole line as read, without its line end (any length; nothing is cut), and
// says what becomes of it: kept, rewritten or dropped, and what to report on the console. The
// caller writes the kept or rewritten line followed by a line end, and the report, if any, as
// one console line. The filter keeps state from line to line (the class prefix of the last
// object header, and a value that continues over several lines), so one LineFilter serves one
// text from its first line to its last.
//
// For each line (the trimmed line is the line without its leading spaces; tabs stay):
// - an object header ("object Name: TClass") is kept and sets CurrentClassPrefix to the text
//   after its first ": " followed by ".";
// - a line in which an entry's pattern (entry followed by " =") occurs, either in the trimmed
//   line or in CurrentClassPrefix followed by the trimmed line, is dropped and reported as
//   "Skipped: " + CurrentClassPrefix + trimmed line. When its value (the text after the first
//   " = ") opens a list "(", collection "<" or binary block "{" that does not close on that
//   line, the following lines are dropped too, unreported, up to and including the line that
//   closes it (or to the end of the text);
// - a line whose trimmed line ends with "Scaled = True" is rewritten to end with
//   "Scaled = False" and reported as "  Added: " + CurrentClassPrefix + "Scaled = False";
// - every other line is kept.
class LineFilter {
 public:
  LineFilter() = default;

  FilterDecision Filter(std::string_view line) { return Filter(line, line.find('=')); }
  // The same, for a caller that has found the offset of the first "=" in line already (npos
  // when it holds none): a line without one is searched no further.
  FilterDecision Filter(std::string_view line, size_t first_equals);

  // True when Filter would keep, as it is and changing nothing, every line that holds neither
  // "=" nor ":" (an object header holds ": "): no dropped value is open and the class
  // prefix holds no pattern by itself. Callers may then pass such lines over.
  bool KeepsUnmarkedLines() const { return open_brackets_ == 0 && prefix_hit_ == 0; }

  const std::string& CurrentClassPrefix() const { return current_class_prefix_; }

 private:
  void SetClassPrefix(std::string_view class_text);
  bool MatchesAddition(std::string_view trimmed, size_t first_equals);
  FilterDecision Drop(std::string_view trimmed);
  FilterDecision RewriteScaled(std::string_view line);
  FilterDecision DropContinuation(std::string_view line);

  const AdditionSearch& search_ = AdditionSearch::ForTable();
  RememberedHits remembered_;
  std::string current_class_prefix_;
  int prefix_hit_ = 0;     // the search's answer for the prefix alone
  int open_brackets_ = 0;  // depth of a dropped value still open at the end of the last line
  std::string rewritten_;  // the text of the last kRewrite
  std::string report_;     // the text of the last report
};

}  // namespace quorvex

#endif  // QUORVEX_DRIVER_LINE_FILTER_H_
