#ifndef QUORVEX_DRIVER_REMEMBERED_HITS_H_
#define QUORVEX_DRIVER_REMEMBERED_HITS_H_

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>

namespace quorvex {

// Remembers, for a class prefix and the text of a line before its first "=" (a property name
// and the space after it, mostly), whether a pattern ends at that "=": the answer depends on
// those bytes alone, and a form repeats the same classes and property names object after
// object, so most lines find it here instead of walking the search trie.
//
// Each prefix gets a number. An answer is kept in one of the two slots of a set, chosen by a
// hash of the prefix number and the name; a new answer takes the place of the one that was
// used less recently. A set fills one cache line. Names longer than a slot holds are never
// remembered (few property names are).
//
// The table starts small, so that a small form makes few pages of memory, and grows, losing
// what it holds, each time it has had to take twice as many new answers as it has sets.
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
    Slot* const ways = sets_[SetOf(name)].ways;
    if (Holds(ways[1], name)) std::swap(ways[0], ways[1]);
    if (Holds(ways[0], name)) return ways[0].hit;
    const bool hit = search();
    Remember(name, hit);
    return hit;
  }

 private:
  static constexpr size_t kLongestName = 26;
  static constexpr int kFirstSetBits = 6;
  static constexpr int kMostSetBits = 11;
  static constexpr size_t kNewAnswersPerSet = 2;
  // Past this many prefixes, all that is remembered is forgotten, so that memory stays bounded.
  static constexpr size_t kMostPrefixes = 4096;

  // One answer; 32 bytes. Prefix number 0 marks a slot that holds none.
  struct Slot {
    uint32_t prefix;
    uint8_t size;
    bool hit;
    char name[kLongestName];
  };
  // The more recently used slot first.
  struct Set {
    Slot ways[2];
  };
  static constexpr size_t kCacheLine = 64;
  static_assert(sizeof(Set) == kCacheLine, "a set fills one cache line");

  bool Holds(const Slot& slot, std::string_view name) const {
    return slot.prefix == prefix_ && slot.size == name.size() &&
           std::memcmp(slot.name, name.data(), name.size()) == 0;
  }
  size_t SetOf(std::string_view name) const;
  void Remember(std::string_view name, bool hit);
  void UseSets(int set_bits);
  void Forget();

  struct FreeMemory {
    void operator()(void* memory) const { std::free(memory); }
  };

  // Taken zeroed from the system (calloc); sets_ is its first address on a cache line.
  std::unique_ptr<void, FreeMemory> memory_;
  Set* sets_ = nullptr;
  int set_bits_ = 0;
  size_t new_answers_ = 0;  // taken since the table was made
  std::unordered_map<std::string, uint32_t> prefix_numbers_;
  uint32_t prefix_ = 0;
};

}  // namespace quorvex

#endif  // QUORVEX_DRIVER_REMEMBERED_HITS_H_
