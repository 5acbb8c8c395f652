#ifndef QUORVEX_DRIVER_BATCH_PROGRESS_LINE_H_
#define QUORVEX_DRIVER_BATCH_PROGRESS_LINE_H_

#include <cstddef>
#include <string>

namespace quorvex {

// A line on standard error, rewritten in place as forms are done, shown only when standard
// error is a terminal; otherwise it writes nothing at all.
class ProgressLine {
 public:
  explicit ProgressLine(size_t total);

  void Show(size_t done, const std::string& path);
  // Removes the line, so that it leaves nothing behind on the terminal.
  void Clear();

 private:
  void Write(const std::string& text);

  size_t total_;
  bool shown_ = false;
  bool terminal_;
};

}  // namespace quorvex

#endif  // QUORVEX_DRIVER_BATCH_PROGRESS_LINE_H_
