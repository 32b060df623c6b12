#pragma once
// The entries of one map object: an open-addressing hash index over entries that hold their key
// inline. Keys are never removed (a put replaces the value), which keeps probing simple and lets
// the entries be carved one after another out of a few large blocks instead of one allocation
// each. A pane's sync looks up every control key on every frame, so a lookup touches one small
// index slot and, on a tag match, one entry.
#include "orvo_doc/value.h"

#include <cstdint>
#include <cstring>
#include <cstddef>
#include <functional>
#include <memory>
#include <new>
#include <string_view>
#include <utility>
#include <vector>

namespace orvo_doc {

class KeyMap {
 public:
  KeyMap() = default;
  KeyMap(const KeyMap& other) : slots_(other.slots_) {
    entries_.reserve(other.entries_.size());
    for (const Entry* entry : other.entries_) entries_.push_back(make_entry(entry->key(), entry->hash, entry->value));
  }
  KeyMap& operator=(const KeyMap&) = delete;
  KeyMap(KeyMap&& other) noexcept
      : entries_(std::exchange(other.entries_, {})),
        slots_(std::exchange(other.slots_, {})),
        blocks_(std::exchange(other.blocks_, {})),
        next_(std::exchange(other.next_, nullptr)),
        left_(std::exchange(other.left_, 0)) {}
  KeyMap& operator=(KeyMap&&) = delete;
  ~KeyMap() {
    for (Entry* entry : entries_) entry->~Entry();
  }

  const Value* find(std::string_view key) const {
    const Entry* entry = find_entry(key, hash_of(key));
    return entry ? &entry->value : nullptr;
  }

  Value* find(std::string_view key) { return const_cast<Value*>(std::as_const(*this).find(key)); }

  // The value under `key`, made by `make` (which answers the Value) when the key is new; the bool
  // says whether it was. The key is hashed once for both.
  template <typename Make>
  std::pair<Value*, bool> find_or_insert(std::string_view key, Make&& make) {
    const std::uint64_t hash = hash_of(key);
    if (const Entry* entry = find_entry(key, hash)) return {&const_cast<Entry*>(entry)->value, false};
    if ((entries_.size() + 1) * 4 > slots_.size() * 3) grow();
    entries_.push_back(make_entry(key, hash, make()));
    place(static_cast<std::uint32_t>(entries_.size() - 1), hash);
    return {&entries_.back()->value, true};
  }

  std::size_t size() const { return entries_.size(); }

  template <typename F>
  void for_each_value(F&& f) const {
    for (const Entry* entry : entries_) f(entry->value);
  }

 private:
  // An entry, the key's bytes right after the record.
  struct Entry {
    std::uint64_t hash;
    Value value;
    std::uint32_t key_size;

    std::string_view key() const { return {reinterpret_cast<const char*>(this + 1), key_size}; }
  };
  static constexpr std::size_t kBlockBytes = 16 * 1024;
  static_assert(alignof(Entry) <= __STDCPP_DEFAULT_NEW_ALIGNMENT__);

  template <typename V>
  Entry* make_entry(std::string_view key, std::uint64_t hash, V&& value) {
    void* memory = carve(sizeof(Entry) + key.size());
    auto* entry = new (memory) Entry{hash, std::forward<V>(value), static_cast<std::uint32_t>(key.size())};
    if (!key.empty()) std::memcpy(static_cast<char*>(memory) + sizeof(Entry), key.data(), key.size());
    return entry;
  }

  // `bytes` of the current block, rounded up so the next entry stays aligned; a new block when it
  // is used up (a key longer than a block gets a block of its own size).
  void* carve(std::size_t bytes) {
    bytes = (bytes + alignof(Entry) - 1) & ~(alignof(Entry) - 1);
    if (bytes > left_) {
      const std::size_t size = bytes > kBlockBytes ? bytes : kBlockBytes;
      blocks_.push_back(std::make_unique_for_overwrite<std::byte[]>(size));
      next_ = blocks_.back().get();
      left_ = size;
    }
    void* memory = next_;
    next_ += bytes;
    left_ -= bytes;
    return memory;
  }
  // One index slot: the entry's position plus one (0 marks an empty slot) and the high half of
  // its hash, so that most mismatches are settled without touching the entry.
  struct Slot {
    std::uint32_t entry_plus_one = 0;
    std::uint32_t tag = 0;
  };

  static std::uint64_t hash_of(std::string_view key) { return std::hash<std::string_view>{}(key); }
  static std::uint32_t tag_of(std::uint64_t hash) { return static_cast<std::uint32_t>(hash >> 32); }

  const Entry* find_entry(std::string_view key, std::uint64_t hash) const {
    if (slots_.empty()) return nullptr;
    const std::size_t mask = slots_.size() - 1;
    for (std::size_t i = hash & mask;; i = (i + 1) & mask) {
      const Slot& slot = slots_[i];
      if (slot.entry_plus_one == 0) return nullptr;
      if (slot.tag != tag_of(hash)) continue;
      const Entry* entry = entries_[slot.entry_plus_one - 1];
      if (entry->hash == hash && entry->key() == key) return entry;
    }
  }

  void place(std::uint32_t index, std::uint64_t hash) {
    const std::size_t mask = slots_.size() - 1;
    std::size_t i = hash & mask;
    while (slots_[i].entry_plus_one != 0) i = (i + 1) & mask;
    slots_[i] = Slot{index + 1, tag_of(hash)};
  }

  void grow() {
    slots_.assign(slots_.empty() ? 16 : slots_.size() * 2, Slot{});
    for (std::uint32_t i = 0; i < entries_.size(); ++i) place(i, entries_[i]->hash);
  }

  std::vector<Entry*> entries_;
  std::vector<Slot> slots_;
  // The blocks the entries live in; entries are destroyed one by one, the blocks freed whole.
  std::vector<std::unique_ptr<std::byte[]>> blocks_;
  std::byte* next_ = nullptr;
  std::size_t left_ = 0;
};

}  // namespace orvo_doc
