#pragma once
// Small helpers the panes share for their choice lists.
#include <cstdint>
#include <optional>
#include <span>
#include <string_view>
#include <utility>

namespace settings::panes {

struct ValueChoice {
  std::string_view label;
  std::uint32_t value = 0;
};

// The entry whose value is nearest to `target`: the first entry, replaced only by a strictly nearer
// one, so the earlier entry wins a tie. None for an empty table.
std::optional<ValueChoice> nearest_choice_by_value(std::span<const ValueChoice> table, std::uint32_t target);

}  // namespace settings::panes
