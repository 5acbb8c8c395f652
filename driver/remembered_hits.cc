#include "driver/remembered_hits.h"

#include <cstring>

namespace quorvex {

RememberedHits::RememberedHits() : slots_(new Slot[size_t(1) << kSlotBits]()) {
  UsePrefix({});
}

void RememberedHits::UsePrefix(std::string_view prefix) {
  const std::string key(prefix);
  if (const auto known = prefix_numbers_.find(key); known != prefix_numbers_.end()) {
    prefix_ = known->second;
    return;
  }
  if (prefix_numbers_.size() >= kMostPrefixes) Forget();
  prefix_ = uint32_t(prefix_numbers_.size() + 1);
  prefix_numbers_.emplace(key, prefix_);
}

void RememberedHits::Forget() {
  prefix_numbers_.clear();
  std::memset(slots_.get(), 0, sizeof(Slot) << kSlotBits);
}

// The name eight bytes at a time, each mixed into the prefix number by a multiplication whose
// high bits depend on all bits below them; the top bits choose the slot.
size_t RememberedHits::SlotOf(std::string_view name) const {
  constexpr uint64_t kMix = 0x9E3779B97F4A7C15u;
  uint64_t hash = (prefix_ + name.size()) * kMix;
  const char* at = name.data();
  const char* const end = at + name.size();
  for (; end - at >= 8; at += 8) {
    uint64_t word;
    std::memcpy(&word, at, 8);
    hash = (hash ^ word) * kMix;
    hash ^= hash >> 32;
  }
  uint64_t last = 0;
  for (int shift = 0; at < end; ++at, shift += 8) last |= uint64_t(uint8_t(*at)) << shift;
  hash = (hash ^ last) * kMix;
  hash ^= hash >> 32;
  return size_t(hash * kMix >> (64 - kSlotBits));
}

}  // namespace quorvex
