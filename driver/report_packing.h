#ifndef QUORVEX_DRIVER_REPORT_PACKING_H_
#define QUORVEX_DRIVER_REPORT_PACKING_H_

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "driver/line_filter.h"

namespace quorvex {

// Filter reports packed into few bytes, and unpacked in the same order by another instance.
// Most reports of a text repeat one met lately, or share their opening words and class with
// the one before them: a report found in the slot its hash chooses (of 1,024) is packed as
// that slot; any other as the part it does not share with the report before it.
class ReportPacking {
 public:
  void Pack(FilterAction action, std::string_view report, std::string& to);
  // Unpacks the report at the start of from and removes it there. The view stays valid until
  // the next call.
  std::string_view Unpack(std::string_view& from, FilterAction& action);

 private:
  static constexpr size_t kSlots = 1024;
  static constexpr char kRepeated = char(0x80);  // in the first byte: a slot follows

  std::string& SlotOf(std::string_view report);

  std::vector<std::string> slots_;  // made on first use
  std::string last_;
};

}  // namespace quorvex

#endif  // QUORVEX_DRIVER_REPORT_PACKING_H_
