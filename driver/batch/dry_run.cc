#include "driver/batch/dry_run.h"

#include "driver/line_filter.h"
#include "driver/run_guards.h"
#include "formstream/binary_to_text.h"
#include "runtime/exceptions.h"
#include "runtime/line_end_scan.h"
#include "runtime/memory_stream.h"
#include "runtime/streams.h"
#include "runtime/text_channel.h"

namespace quorvex {
namespace {

std::string NumberedLine(size_t number, std::string_view mark, std::string_view line) {
  std::string text = "line " + std::to_string(number) + ": ";
  text.append(mark).append(line);
  return text;
}

// The whole file, read through the same streams as the conversion run.
void CopyFileInto(const FileName& name, TMemoryStream& memory) {
  TFileStream file(name, modeReadOnly);
  CopyAll(file, memory);
}

}  // namespace

std::vector<std::string_view> SplitTextLines(std::string_view text) {
  text = text.substr(0, text.find(EndMark));
  std::vector<std::string_view> lines;
  while (!text.empty()) {
    const char* line_end = FindLineEnd(text.data(), text.data() + text.size(), EndMark);
    size_t end = size_t(line_end - text.data());
    lines.push_back(text.substr(0, end));
    if (end == text.size()) break;
    size_t skip = text.compare(end, 2, "\r\n") == 0 ? 2 : 1;
    text.remove_prefix(end + skip);
  }
  return lines;
}

void FilterInMemory(std::string_view text, FormOutcome& outcome) {
  LineFilter filter;
  size_t number = 0;
  for (std::string_view line : SplitTextLines(text)) {
    ++number;
    FilterDecision decision = filter.Filter(line);
    if (decision.action == FilterAction::kKeep) continue;
    outcome.lines.push_back(NumberedLine(number, "- ", line));
    if (decision.action == FilterAction::kDrop) {
      ++outcome.dropped;
    } else {
      ++outcome.changed;
      outcome.lines.push_back(NumberedLine(number, "+ ", decision.line));
    }
  }
}

void DryRunForm(const ConversionNames& names, FormContent content, FormOutcome& outcome) {
  TMemoryStream text;
  if (names.is_form && content == FormContent::kBinary) {
    TFileStream form(names.form, modeReadOnly);
    ResourceFormToText(form, text);
  } else {
    CopyFileInto(names.is_form ? names.form : names.text, text);
  }
  std::string_view bytes(reinterpret_cast<const char*>(text.Memory()), size_t(text.Size()));
  CheckNothingFollowsEndMark(bytes, names.text);
  FilterInMemory(bytes, outcome);
}

}  // namespace quorvex
