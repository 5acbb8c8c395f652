#include "driver/line_passes.h"

#include <string>
#include <string_view>

#include "driver/filter_line_scan.h"
#include "driver/line_filter.h"
#include "runtime/crlf_copy.h"

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
  channel.WriteLine(line);
  CheckIo();
}

void WriteCheckedLines(TextChannel& channel, std::string_view lines) {
  if (lines.empty()) return;
  channel.WriteCrLfLines(lines);
  CheckIo();
}

// Writes what a decision on a line not kept asks for: the rewritten line; then tells observer.
void WriteChanges(const FilterDecision& decision, TextChannel& to, FilterObserver& observer) {
  if (decision.action == FilterAction::kRewrite) WriteCheckedLine(to, decision.line);
  observer.LineFiltered(decision.action, decision.report);
}

void FilterLine(LineFilter& filter, std::string_view line, TextChannel& to,
                FilterObserver& observer) {
  const FilterDecision decision = filter.Filter(line);
  if (decision.action == FilterAction::kKeep) {
    WriteCheckedLine(to, line);
  } else {
    WriteChanges(decision, to, observer);
  }
}

// Filters the lines at the start of bytes that end with CR LF and lie whole in them, and
// returns the number of their bytes. Consecutive kept lines are written together, with their
// own line ends, before anything that follows them.
//
// While the filter keeps every line without "=" and without ":" (an object header holds ": ")
// as it is, only the lines that hold one of them are looked at: the scan finds the next such
// byte, and the lines before it are passed over whole.
size_t FilterCrLfLines(LineFilter& filter, std::string_view bytes, TextChannel& to,
                       FilterObserver& observer) {
  FilterLineScan scan(bytes);
  const char* const end = scan.End();
  const char* next = bytes.data();       // the start of the first line not taken yet
  const char* unwritten = bytes.data();  // where the kept lines not yet written begin
  while (next < end) {
    const char* line = next;
    const char* from = next;  // where the line's first "=" is looked for
    if (filter.KeepsUnmarkedLines()) {
      from = scan.NextStop(next);
      line = scan.LineStart(next, from);
      if (from == end) {
        next = line;
        break;
      }
    }
    const char* const stop = scan.NextLineEnd(from);
    if (end - stop < 2 || stop[0] != '\r' || stop[1] != '\n') {
      next = line;
      break;
    }
    next = stop + kCrLf.size();
    const std::string_view text(line, size_t(stop - line));
    const size_t equals = *from == '=' ? size_t(from - line) : text.find('=', size_t(from - line));
    const FilterDecision decision = filter.Filter(text, equals);
    if (decision.action == FilterAction::kKeep) continue;
    WriteCheckedLines(to, std::string_view(unwritten, size_t(line - unwritten)));
    unwritten = next;
    WriteChanges(decision, to, observer);
  }
  WriteCheckedLines(to, std::string_view(unwritten, size_t(next - unwritten)));
  return size_t(next - bytes.data());
}

// Copies the whole lines at the start of bytes, each followed by CR LF, and returns the
// number of their bytes. The lines go through staging, where their line ends become CR LF, in
// one write.
size_t CopyWholeLines(std::string_view bytes, std::string& staging, TextChannel& to,
                      CopiedText& also) {
  const size_t room = CrLfCopyRoom(bytes.size());
  if (staging.size() < room) staging.resize(room);
  const CrLfCopy copy = CopyWholeCrLfLines(bytes, EndMark, staging.data());
  const std::string_view written(staging.data(), copy.written);
  WriteCheckedLines(to, written);
  also.Copied(written);
  return copy.taken;
}

void CopyLine(std::string_view line, TextChannel& to, CopiedText& also) {
  WriteCheckedLine(to, line);
  also.Copied(line);
  also.Copied(kCrLf);
}

}  // namespace

// Each round takes the lines that lie whole in the reading channel's buffer in place; a line
// that does not is read on its own.
void CopyLines(TextChannel& from, TextChannel& to, CopiedText& also) {
  std::string held;
  std::string staging;
  while (!CheckedAtEnd(from)) {
    if (const size_t taken = CopyWholeLines(from.Buffered(), staging, to, also)) {
      from.Consume(taken);
    } else {
      CopyLine(ReadCheckedLine(from, held), to, also);
    }
  }
}

void FilterLines(TextChannel& from, TextChannel& to, FilterObserver& observer) {
  LineFilter filter;
  std::string held;
  while (!CheckedAtEnd(from)) {
    if (const size_t taken = FilterCrLfLines(filter, from.Buffered(), to, observer)) {
      from.Consume(taken);
    } else {
      FilterLine(filter, ReadCheckedLine(from, held), to, observer);
    }
  }
}

}  // namespace quorvex
