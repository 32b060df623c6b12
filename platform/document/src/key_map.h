#pragma once
// The entries of one map object: an open-addressing hash index over separately allocated entries.
// Keys are never removed (a put replaces the value), which keeps probing simple. A pane's sync
// looks up every control key on every frame, so a lookup touches one small index slot and, on a
// tag match, one entry that holds its key inline.
#include "orvo_doc/value.h"

#include <cstdint>
#include <cstring>
#include <functional>
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
    for (const Entry* entry : other.entries_) entries_.push_back(Entry::make(entry->key(), entry->hash, entry->value));
  }
  KeyMap& operator=(const KeyMap&) = delete;
  KeyMap(KeyMap&& other) noexcept
      : entries_(std::exchange(other.entries_, {})), slots_(std::exchange(other.slots_, {})) {}
  KeyMap& operator=(KeyMap&&) = delete;
  ~KeyMap() {
    for (Entry* entry : entries_) Entry::destroy(entry);
  }

  const Value* find(std::string_view key) const {
    const Entry* entry = find_entry(key, hash_of(key));
    return entry ? &entry->value : nullptr;
  }

  Value* find(std::string_view key) { return const_cast<Value*>(std::as_const(*this).find(key)); }

  // Stores `value` under a key that is not present yet; the caller has checked with `find`.
  void insert_new(std::string_view key, Value value) {
    const std::uint64_t hash = hash_of(key);
    if ((entries_.size() + 1) * 4 > slots_.size() * 3) grow();
    entries_.push_back(Entry::make(key, hash, std::move(value)));
    place(static_cast<std::uint32_t>(entries_.size() - 1), hash);
  }

  std::size_t size() const { return entries_.size(); }

  template <typename F>
  void for_each_value(F&& f) const {
    for (const Entry* entry : entries_) f(entry->value);
  }

 private:
  // One allocation per entry, the key's bytes right after the record.
  struct Entry {
    std::uint64_t hash;
    Value value;
    std::uint32_t key_size;

    std::string_view key() const { return {reinterpret_cast<const char*>(this + 1), key_size}; }

    template <typename V>
    static Entry* make(std::string_view key, std::uint64_t hash, V&& value) {
      void* memory = ::operator new(sizeof(Entry) + key.size());
      auto* entry = new (memory) Entry{hash, std::forward<V>(value), static_cast<std::uint32_t>(key.size())};
      if (!key.empty()) std::memcpy(static_cast<char*>(memory) + sizeof(Entry), key.data(), key.size());
      return entry;
    }
    static void destroy(Entry* entry) {
      entry->~Entry();
      ::operator delete(entry);
    }
  };
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
};

}  // namespace orvo_doc
