#pragma once
// Finding entries in lists: a section by its id or resource id, the first element of a list with a
// given key, the ids of audio streams, and a fixed order for two-text entries.
#include <concepts>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <unordered_set>
#include <utility>
#include <vector>

#include "sections/sections.h"

namespace settings::sidebar {

// The first section of the list whose id is the text.
std::optional<settings_app::SettingsSection> section_for_id(std::span<const settings_app::SettingsSection> sections,
                                                            std::string_view id);
// The first section of the list whose resource id ("settings.section:" and the id) is the text.
std::optional<settings_app::SettingsSection> section_for_resource_id(
    std::span<const settings_app::SettingsSection> sections, std::string_view resource_id);

// Consumes the list and gives back its first element whose key equals `key` byte for byte; the
// other elements are dropped.
template <typename T, typename KeyOf>
  requires std::convertible_to<std::invoke_result_t<KeyOf, const T&>, std::string_view>
std::optional<T> find_by_key(std::vector<T> list, std::string_view key, KeyOf key_of) {
  for (T& element : list) {
    if (std::string_view(key_of(std::as_const(element))) == key) return std::move(element);
  }
  return std::nullopt;
}

// A keyboard layout entry: input-source id and label.
using KeyboardLayoutEntry = std::pair<std::string, std::string>;

// The layout entry whose label is `label`.
std::optional<KeyboardLayoutEntry> find_layout_by_label(std::vector<KeyboardLayoutEntry> layouts,
                                                        std::string_view label);

// Orders two-text entries by their second text, then their first, byte for byte (no case folding,
// no locale), so entries gathered from a hash map always come out in the same order.
bool entry_sorts_before(const std::pair<std::string, std::string>& a, const std::pair<std::string, std::string>& b);

// The set of the 32-bit ids of both lists' entries.
template <typename Entry>
  requires requires(const Entry& e) {
    { e.id } -> std::convertible_to<std::uint32_t>;
  }
std::unordered_set<std::uint32_t> stream_id_set(std::span<const Entry> first, std::span<const Entry> second) {
  std::unordered_set<std::uint32_t> ids;
  for (const Entry& e : first) ids.insert(e.id);
  for (const Entry& e : second) ids.insert(e.id);
  return ids;
}

}  // namespace settings::sidebar
