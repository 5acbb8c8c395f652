#ifndef QUORVEX_DRIVER_LINE_PASSES_H_
#define QUORVEX_DRIVER_LINE_PASSES_H_

#include <string_view>

#include "driver/filter_observer.h"
#include "runtime/text_channel.h"

namespace quorvex {

// The two passes of the conversion run over a text, from a channel open for reading to one
// open for writing. Each line read and written is checked at once (CheckIo): a pending I/O
// error ends the pass with EInOutError.
//
// The lines that lie whole in the reading channel's buffer are taken as one block: the copy
// writes them all at once, their line ends made CR LF, the filter the lines it keeps one after
// another; this gives the same bytes as line by line, and no line is copied into a string of
// its own.

// Receives the bytes a copy writes, in their order, each piece once it is written.
class CopiedText {
 public:
  virtual ~CopiedText() = default;
  virtual void Copied(std::string_view bytes) = 0;
};

// Copies every line, each followed by CR LF; also receives what is written.
void CopyLines(TextChannel& from, TextChannel& to, CopiedText& also);

// Filters every line through a LineFilter: kept and rewritten lines are written, each
// followed by CR LF, and every line not kept as it was goes to observer.
void FilterLines(TextChannel& from, TextChannel& to, FilterObserver& observer);

}  // namespace quorvex

#endif  // QUORVEX_DRIVER_LINE_PASSES_H_
