#pragma once
// The live display outputs: what each connected output can do (modes, colour profiles, HDR, variable
// refresh). The compositor keeps a JSON snapshot of them in the user's runtime directory; when it
// has written none, the outputs are read from DRM in sysfs (connector, connection state and mode
// sizes only).
//
// Snapshot file: {"outputs": [output, ...]}, each output an object with "connector" (required,
// unique) and optional "display_name", "card", "modes" and "current_mode" (objects with "width",
// "height", "refresh_mhz"), "color_profiles" (list of ids), "color_profile_names" (object id →
// name, in display order), "connected", "built_in", "hdr_available", "hdr_capable",
// "vrr_available", "vrr_capable" (booleans), "hdr_note", "vrr_note" (texts). Unknown keys are
// ignored; a known key of the wrong type makes the whole snapshot unreadable.
#include <cstdint>
#include <expected>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "settings_store/display_types.h"

namespace settings_store {

using hardware::OutputMode;

struct OutputDescriptor {
  std::string connector;     // "eDP-1", "HDMI-A-1"
  std::string display_name;  // the monitor's own name; may be empty
  std::optional<std::string> card;  // set when outputs of more than one graphics card are listed
  std::vector<OutputMode> modes;
  std::optional<OutputMode> current_mode;
  std::vector<std::string> color_profiles;                                // usable profile ids, in order
  std::vector<std::pair<std::string, std::string>> color_profile_names;  // id → name, in order
  bool connected = true;
  bool built_in = false;
  bool hdr_available = false;  // the compositor can drive HDR
  bool hdr_capable = false;    // the display accepts HDR
  bool vrr_available = false;
  bool vrr_capable = false;
  std::optional<std::string> hdr_note;
  std::optional<std::string> vrr_note;

  // The text that tells two outputs of different cards apart, when needed.
  std::optional<std::string> card_qualifier() const { return card; }
};

struct DisplayHardwareSnapshot {
  std::vector<OutputDescriptor> outputs;

  const OutputDescriptor* output_by_connector(std::string_view connector) const;

  // The compositor's snapshot, or the DRM outputs when there is no snapshot file.
  static std::expected<DisplayHardwareSnapshot, std::string> load();
  // Where the compositor keeps the snapshot (its modification time tells when outputs changed).
  static std::filesystem::path path();
  // Reads the snapshot's JSON text.
  static std::expected<DisplayHardwareSnapshot, std::string> parse(std::string_view json);
  // Reads the connectors of /sys/class/drm.
  static std::expected<DisplayHardwareSnapshot, std::string> from_drm();
};

}  // namespace settings_store
