#include "panes/display/display_outputs.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <fmt/format.h>

#include "catalogues/choice_lists.h"

namespace settings::panes::display {

namespace {

struct ScaleEntry {
  std::string_view label;
  double value;
};
constexpr std::array<ScaleEntry, 5> kScales{{{"100%", 1.0}, {"125%", 1.25}, {"150%", 1.5}, {"175%", 1.75}, {"200%", 2.0}}};
constexpr std::array<std::string_view, 4> kOrientations{"Landscape", "Portrait right", "Upside down", "Portrait left"};
constexpr std::array<ValueChoice, 3> kWarmths{{{"Subtle \u00b7 4500 K", 4500}, {"Warm \u00b7 3700 K", 3700},
                                               {"Very warm \u00b7 2800 K", 2800}}};
constexpr std::array<std::string_view, 4> kSides{"Left", "Right", "Above", "Below"};

}  // namespace

bool DisplayOutput::named(std::string_view text) const {
  return text == label || text == (display_name.empty() ? connector : display_name);
}

std::string output_label(const settings_store::OutputDescriptor& descriptor) {
  std::string label = descriptor.built_in ? std::string(kBuiltinLabel) : actions::output_display_name(descriptor);
  if (auto qualifier = descriptor.card_qualifier()) label = fmt::format("{} \u00b7 {}", label, *qualifier);
  return label;
}

DisplayOutput display_output(const settings_store::OutputDescriptor& descriptor) {
  DisplayOutput output;
  output.label = output_label(descriptor);
  output.connector = descriptor.connector;
  output.display_name = descriptor.display_name;
  output.color_profile_ids = descriptor.color_profiles;
  output.modes = descriptor.modes;
  output.current_mode = descriptor.current_mode;
  output.hdr_note = descriptor.hdr_note;
  output.vrr_note = descriptor.vrr_note;
  for (const auto& [id, name] : descriptor.color_profile_names) output.color_profile_names.emplace(id, name);
  output.connected = descriptor.connected;
  output.built_in = descriptor.built_in;
  output.hdr_available = descriptor.hdr_available;
  output.hdr_capable = descriptor.hdr_capable;
  output.vrr_available = descriptor.vrr_available;
  output.vrr_capable = descriptor.vrr_capable;
  return output;
}

void display_output_order(std::vector<DisplayOutput>& outputs) {
  std::stable_sort(outputs.begin(), outputs.end(), [](const DisplayOutput& a, const DisplayOutput& b) {
    if (a.built_in != b.built_in) return a.built_in;
    if (a.connected != b.connected) return a.connected;
    return a.label < b.label;
  });
}

std::vector<DisplayOutput> display_outputs_of(
    const std::expected<settings_store::DisplayHardwareSnapshot, std::string>& snapshot) {
  std::vector<DisplayOutput> outputs;
  if (!snapshot) return outputs;
  for (const auto& descriptor : snapshot->outputs) outputs.push_back(display_output(descriptor));
  display_output_order(outputs);
  return outputs;
}

std::vector<DisplayOutput> load_display_outputs() {
  return display_outputs_of(settings_store::DisplayHardwareSnapshot::load());
}

DisplayOutput builtin_display_output() {
  DisplayOutput output;
  output.label = std::string(kBuiltinLabel);
  output.connector = "eDP-1";
  output.modes = {{1920, 1080, 60000}};
  output.current_mode = output.modes.front();
  output.built_in = true;
  return output;
}

std::string capability_note(const std::optional<std::string>& note, bool display_capable) {
  if (note) return *note;
  return display_capable ? "Display support detected; compositor output support unavailable" : "Not supported by this display";
}

std::string display_output_key(std::string_view connector, std::string_view field) {
  return fmt::format("display.output.{}.{}", connector, field);
}

std::string_view scale_label(double scale) {
  const ScaleEntry* best = &kScales.front();
  for (const auto& entry : kScales) {
    if (std::fabs(entry.value - scale) < std::fabs(best->value - scale)) best = &entry;
  }
  return best->label;
}

std::optional<double> scale_from_label(std::string_view label) {
  for (const auto& entry : kScales) {
    if (entry.label == label) return entry.value;
  }
  return std::nullopt;
}

std::string_view orientation_label(std::uint8_t index) {
  return index < kOrientations.size() ? kOrientations[index] : kOrientations.front();
}

std::string_view orientation_label(hw::OutputTransform transform) {
  return orientation_label(static_cast<std::uint8_t>(transform));
}

std::optional<hw::OutputTransform> orientation_from_label(std::string_view label) {
  for (std::size_t i = 0; i < kOrientations.size(); ++i) {
    if (kOrientations[i] == label) return static_cast<hw::OutputTransform>(i);
  }
  return std::nullopt;
}

std::string_view night_light_label(std::uint32_t kelvin) { return nearest_choice_by_value(kWarmths, kelvin)->label; }

std::optional<std::uint32_t> night_light_from_label(std::string_view label) {
  for (const auto& entry : kWarmths) {
    if (entry.label == label) return entry.value;
  }
  return std::nullopt;
}

std::vector<std::string> output_mode_labels(const std::vector<hw::OutputMode>& modes) {
  std::vector<std::string> labels;
  labels.reserve(modes.size());
  for (const auto& mode : modes) labels.push_back(mode.label());
  return labels;
}

const hw::OutputMode* output_mode_for_label(const std::vector<hw::OutputMode>& modes, std::string_view label) {
  for (const auto& mode : modes) {
    if (mode.label() == label) return &mode;
  }
  return nullptr;
}

std::optional<std::string> colour_profile_choice_label(const DisplayOutput& output, std::string_view id) {
  const auto found = output.color_profile_names.find(std::string(id));
  if (found == output.color_profile_names.end()) return std::nullopt;
  return fmt::format("{} \u00b7 {}", found->second, found->first);
}

std::string colour_profile_text(const DisplayOutput& output, const std::optional<std::string>& id) {
  if (!id) return std::string(kSystemDefault);
  return colour_profile_choice_label(output, *id).value_or(std::string(kSystemDefault));
}

std::vector<std::pair<std::string, std::string>> colour_profile_entries(const DisplayOutput& output) {
  return {output.color_profile_names.begin(), output.color_profile_names.end()};
}

std::string mirror_text(const std::vector<DisplayOutput>& outputs, const std::optional<std::string>& target) {
  if (!target) return std::string(kExtendWorkspace);
  const DisplayOutput* mirrored = find_output(outputs, *target);
  return mirrored ? fmt::format("Mirror {}", mirrored->label) : std::string(kExtendWorkspace);
}

std::vector<std::string> position_choices(std::optional<std::string_view> first, const std::vector<DisplayOutput>& outputs,
                                          std::string_view connector) {
  std::vector<std::string> choices;
  if (first) choices.emplace_back(*first);
  for (const DisplayOutput* other : other_outputs(outputs, connector)) {
    for (std::string_view side : kSides) choices.push_back(fmt::format("{} of {}", side, other->label));
  }
  return choices;
}

std::vector<const DisplayOutput*> other_outputs(const std::vector<DisplayOutput>& outputs, std::string_view connector) {
  std::vector<const DisplayOutput*> others;
  for (const auto& output : outputs) {
    if (output.connected && output.connector != connector) others.push_back(&output);
  }
  return others;
}

bool same_resolution(const hw::OutputMode& a, const hw::OutputMode& b) { return a.width == b.width && a.height == b.height; }

const DisplayOutput* find_output(const std::vector<DisplayOutput>& outputs, std::string_view connector) {
  for (const auto& output : outputs) {
    if (output.connector == connector) return &output;
  }
  return nullptr;
}

hw::OutputSettings default_output_settings(std::size_t index) {
  hw::OutputSettings settings;
  settings.enabled = true;
  settings.primary = index == 0;
  settings.x = static_cast<std::int32_t>(kFallbackWidth * index);
  settings.y = 0;
  return settings;
}

hw::OutputSettings entry_or_default(const hw::DisplayConfig& config, const std::vector<DisplayOutput>& outputs,
                                    std::size_t index) {
  const auto found = config.outputs.find(outputs[index].connector);
  return found != config.outputs.end() ? found->second : default_output_settings(index);
}

}  // namespace settings::panes::display
