#include "driver/line_passes.h"

#include <string>
#include <string_view>

#include "driver/line_filter.h"
#include "runtime/line_end_scan.h"

namespace quorvex {
namespace {

constexpr std::string_view kCrLf = "\r\n";

bool CheckedAtEnd(TextChannel& channel) {
  bool at_end = channel.AtEnd();
  CheckIo();
  return at_end;
}

// The line stays valid until the next read from channel; held keeps a line that does not lie
// whole in the channel's buffer.
std::string_view ReadCheckedLine(TextChannel& channel, std::string& held) {
  std::string_view line = channel.ReadLine(held);
  CheckIo();
  return line;
}

void WriteCheckedLine(TextChannel& channel, std::string_view line) {
  channel.WriteText(line);
  channel.WriteLineEnd();
  CheckIo();
}

void WriteCheckedLines(TextChannel& channel, std::string_view lines) {
  if (lines.empty()) return;
  channel.WriteCrLfLines(lines);
  CheckIo();
}

// Writes whole lines, whatever their line ends (CR LF, a lone CR, a lone LF), each followed by
// CR LF: the lines between two lone line ends go as they stand, together with the next line.
void WriteWithCrLf(TextChannel& channel, std::string_view lines) {
  const char* run = lines.data();
  ForEachLoneLineEnd(lines, [&](const char* lone) {
    WriteCheckedLine(channel, std::string_view(run, size_t(lone - run)));
    run = lone + 1;
  });
  WriteCheckedLines(channel, std::string_view(run, size_t(lines.data() + lines.size() - run)));
}

// Writes what a decision on a line not kept asks for: the rewritten line; then tells observer.
void WriteChanges(std::string_view line, const FilterDecision& decision, TextChannel& to,
                  FilterObserver& observer) {
  if (decision.action == FilterAction::kRewrite) WriteCheckedLine(to, decision.line);
  observer.LineFiltered(line, decision);
}

void FilterLine(LineFilter& filter, std::string_view line, TextChannel& to,
                FilterObserver& observer) {
  const FilterDecision decision = filter.Filter(line);
  if (decision.action == FilterAction::kKeep) {
    WriteCheckedLine(to, line);
  } else {
    WriteChanges(line, decision, to, observer);
  }
}

// Filters whole lines, each ended by CR LF (and holding no other CR). Consecutive kept lines
// are written together, with their own line ends, before anything that follows them.
void FilterCrLfLines(LineFilter& filter, std::string_view lines, TextChannel& to,
                     FilterObserver& observer) {
  size_t unwritten = 0;  // where the kept lines not yet written begin
  ForEachCrLfLine(lines, '=', [&](std::string_view line, size_t first_equals) {
    const FilterDecision decision = filter.Filter(line, first_equals);
    if (decision.action == FilterAction::kKeep) return;
    const size_t start = size_t(line.data() - lines.data());
    WriteCheckedLines(to, lines.substr(unwritten, start - unwritten));
    unwritten = start + line.size() + kCrLf.size();
    WriteChanges(line, decision, to, observer);
  });
  WriteCheckedLines(to, lines.substr(unwritten));
}

}  // namespace

void CopyLines(TextChannel& from, TextChannel& to) {
  std::string held;
  while (!CheckedAtEnd(from)) {
    const std::string_view lines = from.ReadWholeLines();
    if (!lines.empty()) {
      WriteWithCrLf(to, lines);
    } else {
      WriteCheckedLine(to, ReadCheckedLine(from, held));
    }
  }
}

void FilterLines(TextChannel& from, TextChannel& to, FilterObserver& observer) {
  LineFilter filter;
  std::string held;
  while (!CheckedAtEnd(from)) {
    const std::string_view lines = from.ReadCrLfLines();
    if (lines.empty()) {
      FilterLine(filter, ReadCheckedLine(from, held), to, observer);
    } else {
      FilterCrLfLines(filter, lines, to, observer);
    }
  }
}

}  // namespace quorvex
