#include "driver/report_packing.h"

#include <algorithm>
#include <cstdint>
#include <functional>

namespace quorvex {
namespace {

void AppendNumber(std::string& to, size_t number) {
  for (; number >= 0x80; number >>= 7) to.push_back(char((number & 0x7F) | 0x80));
  to.push_back(char(number));
}

size_t TakeNumber(std::string_view& from) {
  size_t number = 0;
  for (int shift = 0;; shift += 7) {
    const uint8_t byte = uint8_t(from[0]);
    from.remove_prefix(1);
    number |= size_t(byte & 0x7F) << shift;
    if (byte < 0x80) return number;
  }
}

size_t SharedStart(std::string_view a, std::string_view b) {
  const size_t limit = std::min(a.size(), b.size());
  size_t shared = 0;
  while (shared < limit && a[shared] == b[shared]) ++shared;
  return shared;
}

}  // namespace

std::string& ReportPacking::SlotOf(std::string_view report) {
  if (slots_.empty()) slots_.resize(kSlots);
  return slots_[std::hash<std::string_view>()(report) % kSlots];
}

void ReportPacking::Pack(FilterAction action, std::string_view report, std::string& to) {
  std::string& slot = SlotOf(report);
  if (slot == report) {
    to.push_back(char(char(action) | kRepeated));
    AppendNumber(to, size_t(&slot - slots_.data()));
  } else {
    const size_t shared = SharedStart(last_, report);
    to.push_back(char(action));
    AppendNumber(to, shared);
    AppendNumber(to, report.size() - shared);
    to.append(report.substr(shared));
    slot.assign(report);
  }
  last_.assign(report);
}

std::string_view ReportPacking::Unpack(std::string_view& from, FilterAction& action) {
  const char first = from[0];
  from.remove_prefix(1);
  action = FilterAction(first & ~kRepeated);
  if ((first & kRepeated) != 0) {
    last_ = slots_[TakeNumber(from)];
    return last_;
  }
  const size_t shared = TakeNumber(from);
  const size_t rest = TakeNumber(from);
  last_.resize(shared);
  last_.append(from.substr(0, rest));
  from.remove_prefix(rest);
  SlotOf(last_) = last_;
  return last_;
}

}  // namespace quorvex
