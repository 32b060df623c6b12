#include "settings_store/display_types.h"

#include <fmt/format.h>

namespace settings_store::hardware {

std::string OutputMode::label() const {
  if (refresh_mhz == 0) return fmt::format("{} × {}", width, height);
  std::string rate = fmt::format("{}.{:03}", refresh_mhz / 1000, refresh_mhz % 1000);
  while (rate.back() == '0') rate.pop_back();
  if (rate.back() == '.') rate.pop_back();
  return fmt::format("{} × {} @ {} Hz", width, height, rate);
}

std::string_view to_string(OutputTransform transform) {
  return describe_json(orvo_json::Tag<OutputTransform>{}).name_of(transform);
}

std::optional<OutputTransform> output_transform_from_string(std::string_view text) {
  return describe_json(orvo_json::Tag<OutputTransform>{}).from_name(text);
}

}  // namespace settings_store::hardware
