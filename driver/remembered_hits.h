#ifndef QUORVEX_DRIVER_REMEMBERED_HITS_H_
#define QUORVEX_DRIVER_REMEMBERED_HITS_H_

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>

namespace quorvex {

// Remembers, for a class prefix and the text of a line before its first "=" (a property name
// and the space after it, mostly), whether a pattern ends at that "=": the answer depends on
// those bytes alone, and a form repeats the same classes and property names object after
// object, so most lines find it here instead of walking the search trie.
//
// Each prefix gets a number; an answer is kept in one of a fixed number of slots, chosen by a
// hash of the prefix number and the name, and a later answer for another name in that slot
// takes its place. Names longer than a slot holds are never remembered.
class RememberedHits {
 public:
  RememberedHits();

  // Makes prefix the one that later answers are for.
  void UsePrefix(std::string_view prefix);

  // Whether a pattern ends at the "=" after name behind the prefix in use: the answer
  // remembered, or else search(), which is then remembered.
  template <typename Search>
  bool HitAfter(std::string_view name, Search&& search) {
    if (name.size() > kLongestName) return search();
    Slot& slot = slots_[SlotOf(name)];
    if (slot.prefix == prefix_ && slot.size == name.size() &&
        std::memcmp(slot.name, name.data(), name.size()) == 0) {
      return slot.hit;
    }
    const bool hit = search();
    slot.prefix = prefix_;
    slot.size = uint8_t(name.size());
    slot.hit = hit;
    std::memcpy(slot.name, name.data(), name.size());
    return hit;
  }

 private:
  static constexpr size_t kLongestName = 58;
  static constexpr int kSlotBits = 12;
  // Past this many prefixes, all that is remembered is forgotten, so that memory stays bounded.
  static constexpr size_t kMostPrefixes = 4096;

  // One answer; 64 bytes. Prefix number 0 marks a slot that holds none.
  struct Slot {
    uint32_t prefix;
    uint8_t size;
    bool hit;
    char name[kLongestName];
  };

  size_t SlotOf(std::string_view name) const;
  void Forget();

  struct FreeSlots {
    void operator()(Slot* slots) const { std::free(slots); }
  };

  // Taken zeroed from the system (calloc), so that pages are only made as slots are used: a
  // small form touches few of them.
  std::unique_ptr<Slot[], FreeSlots> slots_;
  std::unordered_map<std::string, uint32_t> prefix_numbers_;
  uint32_t prefix_ = 0;
};

}  // namespace quorvex

#endif  // QUORVEX_DRIVER_REMEMBERED_HITS_H_
