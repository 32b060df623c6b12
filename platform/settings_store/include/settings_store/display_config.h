#pragma once
// The display configuration in force: how each output is set up, by connector. The compositor
// writes it when a change is kept; Settings reads it and checks a planned change against what the
// connected outputs can do before asking the compositor to try it.
//
// File (`DisplayConfig::path()`): a JSON object from connector to that output's settings, an object
// with "mirror", "color_profile" (texts or null), "mode" (an OutputMode or null), "scale", "x", "y",
// "enabled", "primary", "hdr", "vrr" and "transform". A key left out keeps its default.
#include <cstdint>
#include <expected>
#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "settings_store/display_types.h"

namespace settings_store::hardware {

// One output's settings; the defaults are those of an output the configuration does not name.
struct OutputSettings {
  std::optional<std::string> mirror;         // connector of the output this one mirrors; none extends the workspace
  std::optional<std::string> color_profile;  // profile id; none is the system default
  std::optional<OutputMode> mode;            // none leaves the choice to the compositor
  double scale = 1.0;
  std::int32_t x = 0;
  std::int32_t y = 0;
  bool enabled = true;
  bool primary = false;
  bool hdr = false;
  bool vrr = false;
  OutputTransform transform = OutputTransform::Normal;

  bool operator==(const OutputSettings&) const = default;
};

constexpr auto describe_json(orvo_json::Tag<OutputSettings>) {
  using S = OutputSettings;
  return orvo_json::record<S>(
      "OutputSettings", orvo_json::field("mirror", &S::mirror), orvo_json::field("color_profile", &S::color_profile),
      orvo_json::field("mode", &S::mode), orvo_json::defaulted_field("scale", &S::scale),
      orvo_json::defaulted_field("x", &S::x), orvo_json::defaulted_field("y", &S::y),
      orvo_json::defaulted_field("enabled", &S::enabled), orvo_json::defaulted_field("primary", &S::primary),
      orvo_json::defaulted_field("hdr", &S::hdr), orvo_json::defaulted_field("vrr", &S::vrr),
      orvo_json::defaulted_field("transform", &S::transform));
}

// What a connected output can do, as the check of a configuration needs it.
struct OutputCapabilities {
  std::string connector;
  std::vector<OutputMode> modes;
  std::vector<std::string> color_profiles;  // usable profile ids
  bool hdr_capable = false;
  bool vrr_capable = false;
};

// Why a configuration cannot be applied.
namespace display_error {
struct NoEnabledOutput {};
struct MultiplePrimary {};
struct UnknownMirrorTarget { std::string output; std::string target; };
struct MirrorCycle { std::string output; };
struct IncompatibleMirrorModes { std::string output; std::string target; };
struct UnsupportedMode { std::string output; };
struct InvalidScale { std::string output; };
struct UnsupportedHdr { std::string output; };
struct UnsupportedVrr { std::string output; };
struct UnsupportedColorProfile { std::string output; };
}  // namespace display_error

using DisplayValidationError =
    std::variant<display_error::NoEnabledOutput, display_error::MultiplePrimary, display_error::UnknownMirrorTarget,
                 display_error::MirrorCycle, display_error::IncompatibleMirrorModes, display_error::UnsupportedMode,
                 display_error::InvalidScale, display_error::UnsupportedHdr, display_error::UnsupportedVrr,
                 display_error::UnsupportedColorProfile>;

// The developer form for logs: `UnsupportedMode { output: "HDMI-A-1" }`, `NoEnabledOutput`.
std::string debug_string(const DisplayValidationError& error);

inline constexpr double kMinScale = 0.5;
inline constexpr double kMaxScale = 4.0;

struct DisplayConfig {
  std::map<std::string, OutputSettings> outputs;  // by connector

  bool operator==(const DisplayConfig&) const = default;

  // "display/config.json" in the settings configuration directory; none when no such directory is known.
  static std::optional<std::filesystem::path> path();
  // The configuration in force. A missing file (or no configuration directory) is the empty
  // configuration; an unreadable or damaged file is an error saying so.
  static std::expected<DisplayConfig, std::string> load();
  static std::expected<DisplayConfig, std::string> parse(std::string_view json);
  std::string to_json() const;
  // Replaces the file atomically.
  std::expected<void, std::string> save() const;

  // Checks the configuration against the connected outputs. Entries of outputs that are not
  // connected are kept but not checked; a connected output without an entry has the defaults.
  // The first fault found, in this order: no enabled output, more than one primary, then each
  // output in connector order: its mirror target, a mirror cycle, mirror mode sizes, mode, scale,
  // HDR, VRR, colour profile.
  std::expected<void, DisplayValidationError> validate_for(const std::vector<OutputCapabilities>& connected) const;
};

}  // namespace settings_store::hardware
