#include "driver/remembered_hits.h"

#include <cstring>
#include <new>

namespace quorvex {

RememberedHits::RememberedHits() {
  UseSets(kFirstSetBits);
  UsePrefix({});
}

void RememberedHits::UseSets(int set_bits) {
  const size_t bytes = sizeof(Set) << set_bits;
  memory_.reset(std::calloc(bytes + kCacheLine, 1));
  if (!memory_) throw std::bad_alloc();
  const auto address = reinterpret_cast<uintptr_t>(memory_.get());
  sets_ = reinterpret_cast<Set*>((address + kCacheLine - 1) / kCacheLine * kCacheLine);
  set_bits_ = set_bits;
  new_answers_ = 0;
}

void RememberedHits::Remember(std::string_view name, bool hit) {
  if (++new_answers_ > kNewAnswersPerSet << set_bits_ && set_bits_ < kMostSetBits) {
    UseSets(set_bits_ + 1);
  }
  Slot* const ways = sets_[SetOf(name)].ways;
  ways[1] = ways[0];
  ways[0].prefix = prefix_;
  ways[0].size = uint8_t(name.size());
  ways[0].hit = hit;
  std::memcpy(ways[0].name, name.data(), name.size());
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
  std::memset(static_cast<void*>(sets_), 0, sizeof(Set) << set_bits_);
}

namespace {

uint64_t LoadBytes(const char* at, size_t count) {
  uint64_t bytes = 0;
  std::memcpy(&bytes, at, count);
  return bytes;
}

// The last one to eight bytes of a name as a number, read without a loop: two four-byte reads
// that may overlap, or three single bytes. With the name's length, the number tells its bytes
// apart.
uint64_t LastBytes(const char* at, size_t count) {
  if (count >= 4) return LoadBytes(at, 4) | LoadBytes(at + count - 4, 4) << 32;
  return uint64_t(uint8_t(at[0])) | uint64_t(uint8_t(at[count / 2])) << 8 |
         uint64_t(uint8_t(at[count - 1])) << 16;
}

}  // namespace

// The prefix number, the length and the name eight bytes at a time, each mixed in by a
// multiplication whose high bits depend on all bits below them; the top bits choose the set.
size_t RememberedHits::SetOf(std::string_view name) const {
  constexpr uint64_t kMix = 0x9E3779B97F4A7C15u;
  auto mix = [](uint64_t hash, uint64_t word) {
    hash = (hash ^ word) * kMix;
    return hash ^ hash >> 32;
  };
  uint64_t hash = (uint64_t{prefix_} << 8 | name.size()) * kMix;
  if (name.empty()) return size_t(hash >> (64 - set_bits_));
  const char* at = name.data();
  const char* const last = at + name.size() - 1;
  for (; last - at >= 8; at += 8) hash = mix(hash, LoadBytes(at, 8));
  hash = mix(hash, LastBytes(at, size_t(last - at) + 1));
  return size_t(hash * kMix >> (64 - set_bits_));
}

}  // namespace quorvex
