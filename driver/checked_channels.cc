#include "driver/checked_channels.h"

namespace quorvex {

void OpenForReadingChecked(TextChannel& channel) {
  channel.OpenForReading();
  CheckIo();
}

void CloseChecked(TextChannel& channel) {
  channel.CloseChannel();
  CheckIo();
}

void OpenForWritingChecked(TextChannel& channel, const ReplacementFile& replacement) {
  if (replacement.Error() != 0) {
    PendingIoError = int32_t(replacement.Error());
  } else {
    channel.OpenForWritingOn(replacement.Handle());
  }
  CheckIo();
}

}  // namespace quorvex
