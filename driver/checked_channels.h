#ifndef QUORVEX_DRIVER_CHECKED_CHANNELS_H_
#define QUORVEX_DRIVER_CHECKED_CHANNELS_H_

#include "runtime/replacement_file.h"
#include "runtime/text_channel.h"

namespace quorvex {

// Channel operations checked at once: a pending I/O error ends the run (CheckIo).
void OpenForReadingChecked(TextChannel& channel);
void CloseChecked(TextChannel& channel);
// The channel writes into the replacement's temporary; a temporary that could not be created
// fails like the creation of the file itself.
void OpenForWritingChecked(TextChannel& channel, const ReplacementFile& replacement);

}  // namespace quorvex

#endif  // QUORVEX_DRIVER_CHECKED_CHANNELS_H_
