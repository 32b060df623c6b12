#pragma once
// Display values of the settings store that travel in display operation payloads.
#include <cstdint>
#include <string>
#include <optional>
#include <string_view>

#include "orvo_json/record.h"
#include "orvo_json/variant.h"

namespace settings_store::hardware {

// One display mode; `refresh_mhz` is the refresh rate in millihertz, as the display configuration
// keeps it.
struct OutputMode {
  std::uint32_t width = 0;
  std::uint32_t height = 0;
  std::uint32_t refresh_mhz = 0;

  // "1920 × 1080 @ 60 Hz", "2560 × 1440 @ 59.95 Hz", or "1024 × 768" when the rate is unknown.
  std::string label() const;
  bool operator==(const OutputMode&) const = default;
};

enum class OutputTransform { Normal, Rotate90, Rotate180, Rotate270 };

// JSON: {"width":1920,"height":1080,"refresh_mhz":60000}, also read from [1920,1080,60000].
constexpr auto describe_json(orvo_json::Tag<OutputMode>) {
  return orvo_json::record<OutputMode>("OutputMode", orvo_json::field("width", &OutputMode::width),
                                       orvo_json::field("height", &OutputMode::height),
                                       orvo_json::field("refresh_mhz", &OutputMode::refresh_mhz));
}

// JSON: "normal", "rotate90", "rotate180", "rotate270" (also {"normal":null}).
constexpr auto describe_json(orvo_json::Tag<OutputTransform>) {
  return orvo_json::unit_enum<OutputTransform>("OutputTransform", {{"normal", OutputTransform::Normal},
                                                                   {"rotate90", OutputTransform::Rotate90},
                                                                   {"rotate180", OutputTransform::Rotate180},
                                                                   {"rotate270", OutputTransform::Rotate270}});
}

std::string_view to_string(OutputTransform transform);
std::optional<OutputTransform> output_transform_from_string(std::string_view text);

}  // namespace settings_store::hardware
