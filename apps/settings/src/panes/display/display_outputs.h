#pragma once
// The outputs the Displays pane lists, in display order, and the label tables its document, view
// and staging share: scale, orientation, Night Light warmth, mode, mirror, position and colour
// profile texts.
#include <cstdint>
#include <expected>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "panes/choices.h"
#include "settings_store/display_config.h"
#include "settings_store/display_hardware.h"

namespace settings::panes::display {

namespace hw = settings_store::hardware;

inline constexpr std::string_view kBuiltinLabel = "Built-in display";
inline constexpr std::string_view kAutomatic = "Automatic";
inline constexpr std::string_view kExtendWorkspace = "Extend workspace";
inline constexpr std::string_view kSystemDefault = "System default";
inline constexpr std::uint32_t kDefaultWarmth = 3700;
// The width and height assumed for an output that reports no current mode.
inline constexpr std::uint32_t kFallbackWidth = 1920;
inline constexpr std::uint32_t kFallbackHeight = 1080;

// One connected output, as the pane shows and stages it.
struct DisplayOutput {
  std::string label;
  std::string connector;
  std::string display_name;  // the monitor's own name; may be empty
  std::vector<std::string> color_profile_ids;
  std::vector<hw::OutputMode> modes;
  std::optional<hw::OutputMode> current_mode;
  std::optional<std::string> hdr_note;
  std::optional<std::string> vrr_note;
  std::map<std::string, std::string> color_profile_names;  // id → name
  bool connected = true;
  bool built_in = false;
  bool hdr_available = false;
  bool hdr_capable = false;
  bool vrr_available = false;
  bool vrr_capable = false;

  // HDR or variable refresh can be switched: the compositor drives it and the display accepts it.
  bool hdr_usable() const { return hdr_available && hdr_capable; }
  bool vrr_usable() const { return vrr_available && vrr_capable; }
  // The size staging places other outputs by: the current mode's, else 1920 × 1080.
  std::uint32_t width() const { return current_mode ? current_mode->width : kFallbackWidth; }
  std::uint32_t height() const { return current_mode ? current_mode->height : kFallbackHeight; }
  // Whether `text` names this output: its label, or the name the section's lists give it.
  bool named(std::string_view text) const;
};

// "Built-in display" for the built-in output, else the display name (the connector when it has
// none), with " · {card}" when outputs of several cards are listed.
std::string output_label(const settings_store::OutputDescriptor& descriptor);
DisplayOutput display_output(const settings_store::OutputDescriptor& descriptor);
// Stable: built-in first, then connected, then by label bytes.
void display_output_order(std::vector<DisplayOutput>& outputs);
// The snapshot's outputs in display order; none when the snapshot cannot be read.
std::vector<DisplayOutput> display_outputs_of(const std::expected<settings_store::DisplayHardwareSnapshot, std::string>& snapshot);
std::vector<DisplayOutput> load_display_outputs();
// The fixed output of a machine with only its built-in panel.
DisplayOutput builtin_display_output();

// The note of an HDR or VRR row the output cannot switch: the compositor's own, else why not.
std::string capability_note(const std::optional<std::string>& note, bool display_capable);

std::string display_output_key(std::string_view connector, std::string_view field);

// Scale: the nearest of the five labels (the earlier on a tie); a label's value by exact match.
std::string_view scale_label(double scale);
std::optional<double> scale_from_label(std::string_view label);
// Orientation by transform; an unknown index gives "Landscape".
std::string_view orientation_label(std::uint8_t index);
std::string_view orientation_label(hw::OutputTransform transform);
std::optional<hw::OutputTransform> orientation_from_label(std::string_view label);
// Night Light warmth: the nearest entry (the earlier on a tie); a label's kelvin by exact match.
std::string_view night_light_label(std::uint32_t kelvin);
std::optional<std::uint32_t> night_light_from_label(std::string_view label);

std::vector<std::string> output_mode_labels(const std::vector<hw::OutputMode>& modes);
const hw::OutputMode* output_mode_for_label(const std::vector<hw::OutputMode>& modes, std::string_view label);

// "{name} · {id}" when the output names the profile, else none.
std::optional<std::string> colour_profile_choice_label(const DisplayOutput& output, std::string_view id);
// The document text of a configured profile: its choice label, else "System default".
std::string colour_profile_text(const DisplayOutput& output, const std::optional<std::string>& id);
std::vector<std::pair<std::string, std::string>> colour_profile_entries(const DisplayOutput& output);

// "Extend workspace", or "Mirror {label}" of the target (a target not listed: "Extend workspace").
std::string mirror_text(const std::vector<DisplayOutput>& outputs, const std::optional<std::string>& target);
// The first choice when given, then "{side} of {label}" for every other connected output in display
// order.
std::vector<std::string> position_choices(std::optional<std::string_view> first, const std::vector<DisplayOutput>& outputs,
                                          std::string_view connector);
// Connected outputs other than `connector`, and whether two modes have the same size.
std::vector<const DisplayOutput*> other_outputs(const std::vector<DisplayOutput>& outputs, std::string_view connector);
bool same_resolution(const hw::OutputMode& a, const hw::OutputMode& b);
const DisplayOutput* find_output(const std::vector<DisplayOutput>& outputs, std::string_view connector);

// The entry of an output the configuration does not name: on, primary only for the first output,
// 1920 further right per place in display order.
hw::OutputSettings default_output_settings(std::size_t index);
// The entry of the output at `index` of `outputs` in `config`, or its default.
hw::OutputSettings entry_or_default(const hw::DisplayConfig& config, const std::vector<DisplayOutput>& outputs,
                                    std::size_t index);

}  // namespace settings::panes::display
