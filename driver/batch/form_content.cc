#include "driver/batch/form_content.h"

#include <string>

#include "formstream/form_resource_header.h"
#include "runtime/ascii.h"
#include "runtime/exceptions.h"
#include "runtime/memory_stream.h"
#include "runtime/streams.h"

namespace quorvex {
namespace {

// Enough for the longest resource header (a name of up to 255 bytes) and for a text form's
// first word behind a long run of blank lines.
constexpr int32_t kStartBytes = 1024;
constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

bool IsWhiteSpace(char c) {
  return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f' || c == '\v';
}

bool StartsWithWord(std::string_view text, std::string_view word) {
  if (text.size() < word.size() || !EqualIgnoringAsciiCase(text.substr(0, word.size()), word)) {
    return false;
  }
  return text.size() == word.size() || IsWhiteSpace(text[word.size()]);
}

bool IsTextForm(std::string_view start) {
  if (start.substr(0, kByteOrderMark.size()) == kByteOrderMark) {
    start.remove_prefix(kByteOrderMark.size());
  }
  while (!start.empty() && IsWhiteSpace(start.front())) start.remove_prefix(1);
  return StartsWithWord(start, "object") || StartsWithWord(start, "inherited");
}

bool HasResourceHeader(std::string_view start) {
  TMemoryStream bytes;
  bytes.WriteAll(start.data(), int32_t(start.size()));
  bytes.SetOffset(0);
  try {
    ReadFormResourceHeader(bytes);
    return true;
  } catch (const EStreamError&) {
    return false;
  }
}

}  // namespace

std::optional<FormContent> ContentOfStart(std::string_view start) {
  if (IsTextForm(start)) return FormContent::kText;
  if (HasResourceHeader(start)) return FormContent::kBinary;
  return std::nullopt;
}

std::optional<FormContent> ContentOfFormFile(const FileName& form) {
  TFileStream file(form, modeReadOnly);
  std::string start(kStartBytes, '\0');
  int32_t got = file.ReadSome(start.data(), kStartBytes);
  start.resize(size_t(got));
  return ContentOfStart(start);
}

}  // namespace quorvex
