#include "panes/choices.h"

#include <cstdlib>

namespace settings::panes {

std::optional<ValueChoice> nearest_choice_by_value(std::span<const ValueChoice> table, std::uint32_t target) {
  if (table.empty()) return std::nullopt;
  // 64-bit differences: the distance between two 32-bit values may not fit in 32 bits.
  auto distance = [target](const ValueChoice& choice) {
    return std::llabs(static_cast<long long>(choice.value) - static_cast<long long>(target));
  };
  const ValueChoice* best = &table.front();
  for (const ValueChoice& choice : table) {
    if (distance(choice) < distance(*best)) best = &choice;
  }
  return *best;
}

}  // namespace settings::panes
