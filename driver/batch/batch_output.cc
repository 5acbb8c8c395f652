#include "driver/batch/batch_output.h"

#include <cstdio>

namespace quorvex {
namespace {

constexpr size_t kStatusWidth = 19;
constexpr std::string_view kReportIndent = "    ";

const char* StatusWord(FormStatus status, bool dry_run) {
  switch (status) {
    case FormStatus::kConverted:
      return dry_run ? "would convert" : "converted";
    case FormStatus::kUnchanged:
      return "unchanged";
    case FormStatus::kAlreadyConverted:
      return "already converted";
    case FormStatus::kSkipped:
      return "skipped";
    case FormStatus::kFailed:
      return "failed";
  }
  return "";
}

const char* StatusKey(FormStatus status, bool dry_run) {
  switch (status) {
    case FormStatus::kConverted:
      return dry_run ? "would_convert" : "converted";
    case FormStatus::kAlreadyConverted:
      return "already_converted";
    default:
      return StatusWord(status, dry_run);
  }
}

const char* KindKey(FormKind kind) {
  switch (kind) {
    case FormKind::kBinary:
      return "\"binary\"";
    case FormKind::kText:
      return "\"text\"";
    case FormKind::kNotAForm:
      return "\"not_a_form\"";
    case FormKind::kNone:
      break;
  }
  return "null";
}

std::string Counted(int64_t count, const char* what) {
  return std::to_string(count) + " " + what;
}

std::string JsonOrNull(const std::string& text) {
  return text.empty() ? "null" : JsonString(text);
}

}  // namespace

void BatchTotals::Add(const FormOutcome& outcome) {
  ++seen;
  dropped += outcome.dropped;
  changed += outcome.changed;
  switch (outcome.status) {
    case FormStatus::kConverted:
      ++converted;
      return;
    case FormStatus::kUnchanged:
      ++unchanged;
      return;
    case FormStatus::kAlreadyConverted:
    case FormStatus::kSkipped:
      ++skipped;
      return;
    case FormStatus::kFailed:
      ++failed;
      return;
  }
}

std::vector<std::string> OutcomeLines(const FormOutcome& outcome, bool dry_run) {
  std::string status = StatusWord(outcome.status, dry_run);
  status.resize(std::max(status.size() + 1, kStatusWidth), ' ');
  std::string head = status + outcome.path;
  if (outcome.status == FormStatus::kConverted) {
    head += " (" + Counted(outcome.dropped, "dropped, ") + Counted(outcome.changed, "changed)");
  } else if (!outcome.note.empty()) {
    head += " (" + outcome.note + ")";
  } else if (outcome.status == FormStatus::kFailed) {
    head += ": " + outcome.message;
  }
  std::vector<std::string> lines{head};
  for (const std::string& line : outcome.lines) lines.push_back(std::string(kReportIndent) + line);
  return lines;
}

std::string SummaryLine(const BatchTotals& totals, bool dry_run) {
  std::string line = Counted(totals.seen, totals.seen == 1 ? "form" : "forms");
  line += dry_run ? " (dry run, nothing written): " : ": ";
  line += Counted(totals.converted, dry_run ? "to convert, " : "converted, ");
  line += Counted(totals.unchanged, "unchanged, ") + Counted(totals.skipped, "skipped, ");
  line += Counted(totals.failed, "failed; ");
  line += Counted(totals.dropped, dry_run ? "lines to drop, " : "lines dropped, ");
  line += Counted(totals.changed, dry_run ? "to change" : "changed");
  return line;
}

std::string OutcomeJson(const FormOutcome& outcome, bool dry_run) {
  std::string message = outcome.message.empty() ? outcome.note : outcome.message;
  return "{\"path\":" + JsonString(outcome.path) + ",\"kind\":" + KindKey(outcome.kind) +
         ",\"status\":\"" + StatusKey(outcome.status, dry_run) +
         "\",\"dropped\":" + std::to_string(outcome.dropped) +
         ",\"changed\":" + std::to_string(outcome.changed) +
         ",\"error_class\":" + JsonOrNull(outcome.error_class) +
         ",\"message\":" + JsonOrNull(message) + "}";
}

std::string JsonString(const std::string& text) {
  std::string quoted = "\"";
  for (char c : text) {
    if (c == '"' || c == '\\') {
      quoted += '\\';
      quoted += c;
    } else if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) {
      char escape[7];
      std::snprintf(escape, sizeof escape, "\\u%04x", static_cast<unsigned char>(c));
      quoted += escape;
    } else {
      quoted += c;
    }
  }
  return quoted + "\"";
}

}  // namespace quorvex
