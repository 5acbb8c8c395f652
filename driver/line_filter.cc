#include "driver/line_filter.h"

namespace quorvex {
namespace {

constexpr std::string_view kValueSeparator = " = ";
constexpr std::string_view kScaledTrue = "Scaled = True";
constexpr std::string_view kTrue = "True";

bool EndsWith(std::string_view text, std::string_view end) {
  return text.size() >= end.size() && text.substr(text.size() - end.size()) == end;
}

bool IsOpener(char c) {
  return c == '(' || c == '<' || c == '{';
}
bool IsCloser(char c) {
  return c == ')' || c == '>' || c == '}';
}

// Follows the bracket depth through text: each "(", "<" or "{" outside a string literal adds
// one, each ")", ">" or "}" outside one takes one away. Returns true as soon as the depth comes
// back to 0 or below: the value closes on this text. A string literal never spans a line end
// in a text form, so each line starts outside one.
bool ClosesWithin(std::string_view text, int& depth) {
  bool in_string = false;
  for (char c : text) {
    if (c == '\'') {
      in_string = !in_string;
    } else if (!in_string && IsOpener(c)) {
      ++depth;
    } else if (!in_string && IsCloser(c) && --depth <= 0) {
      return true;
    }
  }
  return false;
}

// The depth of brackets still open after a dropped line: its value (the text after the first
// " = ") counts only when it begins with a list, collection or binary block; 0 when the value
// closes on the line itself.
int OpenBracketsOfValue(std::string_view trimmed) {
  const size_t separator = trimmed.find(kValueSeparator);
  if (separator == std::string_view::npos) return 0;
  const std::string_view value = trimmed.substr(separator + kValueSeparator.size());
  if (value.empty() || !IsOpener(value.front())) return 0;
  int depth = 0;
  return ClosesWithin(value, depth) ? 0 : depth;
}

FilterDecision DropDecision() {
  FilterDecision decision;
  decision.action = FilterAction::kDrop;
  return decision;
}

}  // namespace

FilterDecision LineFilter::Filter(std::string_view line, size_t first_equals) {
  if (open_brackets_ > 0) return DropContinuation(line);
  const std::string_view trimmed = TrimmedLine(line);
  if (std::optional<std::string_view> class_text = HeaderClassText(trimmed)) {
    SetClassPrefix(*class_text);
    return FilterDecision();
  }
  // Leading spaces hold no "=": the offset moves with the trim.
  const size_t trimmed_equals = first_equals == std::string_view::npos
                                    ? trimmed.size()
                                    : first_equals - (line.size() - trimmed.size());
  if (MatchesAddition(trimmed, trimmed_equals)) return Drop(trimmed);
  if (trimmed_equals < trimmed.size() && EndsWith(trimmed, kScaledTrue)) {
    return RewriteScaled(line);
  }
  return FilterDecision();
}

// Objects of one class often follow one another; their prefix is already set.
void LineFilter::SetClassPrefix(std::string_view class_text) {
  if (current_class_prefix_.size() == class_text.size() + 1 &&
      std::string_view(current_class_prefix_).substr(0, class_text.size()) == class_text) {
    return;
  }
  current_class_prefix_.assign(class_text);
  current_class_prefix_ += '.';
  prefix_hit_ = search_.FirstHit(current_class_prefix_);
  remembered_.UsePrefix(current_class_prefix_);
}

// The line matches when a pattern occurs in the trimmed line or in the class prefix followed
// by it. Every occurrence in the trimmed line is one in the prefix followed by it too, so one
// search of the latter answers both: the part that lies in the prefix alone was searched when
// the prefix was set, and the line is searched once, its matches running on into the prefix.
// A pattern ends with "=", so a line without one matches through the prefix alone.
//
// Whether a pattern ends at the first "=" depends on the text before it alone, and is mostly
// remembered from an earlier line; the other "=", which few lines hold, are searched.
bool LineFilter::MatchesAddition(std::string_view trimmed, size_t first_equals) {
  if (prefix_hit_ != 0) return true;
  if (first_equals >= trimmed.size()) return false;
  const bool at_first = remembered_.HitAfter(trimmed.substr(0, first_equals), [&] {
    const std::string_view through_first = trimmed.substr(0, first_equals + 1);
    return search_.FirstHitEndingIn(current_class_prefix_, through_first, first_equals) != 0;
  });
  if (at_first) return true;
  const size_t next = trimmed.find('=', first_equals + 1);
  return next != std::string_view::npos &&
         search_.FirstHitEndingIn(current_class_prefix_, trimmed, next) != 0;
}

FilterDecision LineFilter::Drop(std::string_view trimmed) {
  open_brackets_ = OpenBracketsOfValue(trimmed);
  report_.assign("Skipped: ").append(current_class_prefix_).append(trimmed);
  FilterDecision decision = DropDecision();
  decision.report = report_;
  return decision;
}

// The line ends with "True", its value; it becomes "False".
FilterDecision LineFilter::RewriteScaled(std::string_view line) {
  rewritten_.assign(line.substr(0, line.size() - kTrue.size())).append("False");
  report_.assign("  Added: ").append(current_class_prefix_).append("Scaled = False");
  FilterDecision decision;
  decision.action = FilterAction::kRewrite;
  decision.line = rewritten_;
  decision.report = report_;
  return decision;
}

FilterDecision LineFilter::DropContinuation(std::string_view line) {
  if (ClosesWithin(line, open_brackets_)) open_brackets_ = 0;
  return DropDecision();
}

}  // namespace quorvex
