#include "driver/batch/progress_line.h"

#include "runtime/platform/platform.h"

namespace quorvex {
namespace {
constexpr size_t kWidth = 79;
}  // namespace

ProgressLine::ProgressLine(size_t total)
    : total_(total), terminal_(System().IsTerminal(System().StdHandle(StdStream::kError))) {}

void ProgressLine::Show(size_t done, const std::string& path) {
  if (!terminal_) return;
  std::string text = "[" + std::to_string(done) + "/" + std::to_string(total_) + "] " + path;
  text.resize(kWidth, ' ');
  Write("\r" + text);
  shown_ = true;
}

void ProgressLine::Clear() {
  if (!shown_) return;
  Write("\r" + std::string(kWidth, ' ') + "\r");
  shown_ = false;
}

void ProgressLine::Write(const std::string& text) {
  System().Write(System().StdHandle(StdStream::kError), text.data(), int32_t(text.size()));
}

}  // namespace quorvex
