#include "panes/display/display_staging.h"

#include <algorithm>
#include <array>
#include <iterator>
#include <cmath>
#include <fmt/format.h>
#include <limits>
#include <type_traits>

namespace settings::panes::display {

namespace {

constexpr std::array<std::string_view, 4> kSides{"Left", "Right", "Above", "Below"};

std::string shown_mode_label(const DisplayOutput& output, const hw::OutputSettings& entry) {
  if (entry.mode) return entry.mode->label();
  return output.current_mode ? output.current_mode->label() : std::string();
}

// The output named by "Mirror {name}", if any.
const DisplayOutput* mirror_target(const std::vector<DisplayOutput>& outputs, std::string_view text) {
  constexpr std::string_view kPrefix = "Mirror ";
  if (!text.starts_with(kPrefix)) return nullptr;
  const std::string_view name = text.substr(kPrefix.size());
  for (const auto& output : outputs) {
    if (output.named(name)) return &output;
  }
  return nullptr;
}

// The new top-left corner for "{side} of {name}", or none when the text names no other output.
std::optional<std::pair<std::int32_t, std::int32_t>> placed_position(const hw::DisplayConfig& working,
                                                                     const std::vector<DisplayOutput>& outputs,
                                                                     const DisplayOutput& own, std::string_view text) {
  for (std::size_t side = 0; side < kSides.size(); ++side) {
    const std::string prefix = fmt::format("{} of ", kSides[side]);
    if (!text.starts_with(prefix)) continue;
    const std::string_view name = text.substr(prefix.size());
    const DisplayOutput* reference = nullptr;
    for (const auto& output : outputs) {
      if (output.named(name)) {
        reference = &output;
        break;
      }
    }
    if (!reference || reference->connector == own.connector) return std::nullopt;
    std::int32_t x = 0;
    std::int32_t y = 0;
    if (auto found = working.outputs.find(reference->connector); found != working.outputs.end()) {
      x = found->second.x;
      y = found->second.y;
    }
    const auto own_width = static_cast<std::int32_t>(own.width());
    const auto own_height = static_cast<std::int32_t>(own.height());
    switch (side) {
      case 0: return std::pair{x - own_width, y};
      case 1: return std::pair{x + static_cast<std::int32_t>(reference->width()), y};
      case 2: return std::pair{x, y - own_height};
      default: return std::pair{x, y + static_cast<std::int32_t>(reference->height())};
    }
  }
  return std::nullopt;
}

template <typename T>
void set_if_different(T& field, T value, bool& changed) {
  if (field == value) return;
  field = std::move(value);
  changed = true;
}

void apply_edits(hw::DisplayConfig& working, const std::vector<DisplayOutput>& outputs, const DisplayOutput& output,
                 const hw::OutputSettings& shown, const OutputEdits& edits, bool& changed) {
  hw::OutputSettings& entry = working.outputs[output.connector];
  if (edits.enabled && *edits.enabled != entry.enabled) {
    entry.enabled = *edits.enabled;
    if (!entry.enabled) entry.primary = false;
    changed = true;
  }
  if (edits.primary && *edits.primary != entry.primary) {
    if (*edits.primary) {
      for (auto& [connector, other] : working.outputs) other.primary = false;
    }
    working.outputs[output.connector].primary = *edits.primary;
    changed = true;
  }
  if (edits.scale && *edits.scale != scale_label(shown.scale)) {
    if (auto scale = scale_from_label(*edits.scale);
        scale && std::fabs(*scale - entry.scale) > std::numeric_limits<double>::epsilon()) {
      entry.scale = *scale;
      changed = true;
    }
  }
  if (edits.mode && *edits.mode != shown_mode_label(output, shown)) {
    if (const hw::OutputMode* mode = output_mode_for_label(output.modes, *edits.mode)) {
      set_if_different(entry.mode, std::optional(*mode), changed);
    }
  }
  if (edits.transform) {
    if (auto transform = orientation_from_label(*edits.transform)) set_if_different(entry.transform, *transform, changed);
  }
  if (output.hdr_usable() && edits.hdr) set_if_different(entry.hdr, *edits.hdr, changed);
  if (output.vrr_usable() && edits.vrr) set_if_different(entry.vrr, *edits.vrr, changed);
  if (edits.color_profile && *edits.color_profile != colour_profile_text(output, shown.color_profile)) {
    std::optional<std::string> profile;
    for (const auto& [id, name] : output.color_profile_names) {
      if (colour_profile_choice_label(output, id) == *edits.color_profile) profile = id;
    }
    set_if_different(entry.color_profile, std::move(profile), changed);
  }
  if (edits.mirror && *edits.mirror != mirror_text(outputs, shown.mirror)) {
    const DisplayOutput* target = mirror_target(outputs, *edits.mirror);
    set_if_different(entry.mirror, target ? std::optional(target->connector) : std::nullopt, changed);
  }
  if (edits.position && *edits.position != kAutomatic) {
    if (auto position = placed_position(working, outputs, output, *edits.position)) {
      hw::OutputSettings& placed = working.outputs[output.connector];
      set_if_different(placed.x, position->first, changed);
      set_if_different(placed.y, position->second, changed);
    }
  }
}

std::optional<std::string> settle_primary(StagedLayout& layout, const hw::DisplayConfig& base,
                                          const std::vector<DisplayOutput>& outputs,
                                          const std::map<std::string, OutputEdits>& edits) {
  auto working_entry = [&](const DisplayOutput& output) -> const hw::OutputSettings& {
    return layout.working.outputs.at(output.connector);
  };
  for (std::size_t i = 0; i < outputs.size(); ++i) {
    const auto found = edits.find(outputs[i].connector);
    if (found != edits.end() && found->second.primary.value_or(false) && !entry_or_default(base, outputs, i).primary) {
      return outputs[i].connector;
    }
  }
  for (const auto& output : outputs) {
    if (working_entry(output).enabled && working_entry(output).primary) return output.connector;
  }
  for (const auto& output : outputs) {
    if (working_entry(output).enabled) return output.connector;
  }
  return std::nullopt;
}

void match_mirror_modes(StagedLayout& layout, const std::vector<DisplayOutput>& outputs) {
  for (auto& [connector, entry] : layout.working.outputs) {
    if (!entry.mirror) continue;
    const DisplayOutput* output = find_output(outputs, connector);
    const DisplayOutput* target = find_output(outputs, *entry.mirror);
    if (!output || !target) continue;
    const auto size = largest_common_mode_size(output->modes, target->modes);
    if (!size) continue;
    auto own_mode = best_mode_of_size(output->modes, size->first, size->second);
    auto target_mode = best_mode_of_size(target->modes, size->first, size->second);
    if (!own_mode || !target_mode) continue;
    set_if_different(entry.mode, own_mode, layout.changed);
    set_if_different(layout.working.outputs[target->connector].mode, target_mode, layout.changed);
  }
}

}  // namespace

StagedLayout stage_layout(const hw::DisplayConfig& base, const std::vector<DisplayOutput>& listed,
                          const std::map<std::string, OutputEdits>& edits) {
  // Only connected outputs are edited, placed beside or mirrored; they come first in display order,
  // so their places (and default entries) are the same as in the whole list.
  std::vector<DisplayOutput> outputs;
  std::copy_if(listed.begin(), listed.end(), std::back_inserter(outputs), [](const auto& o) { return o.connected; });
  StagedLayout layout;
  layout.working = base;
  // Every listed output gets the entry the pane shows for it, so placements refer to what is seen.
  for (std::size_t i = 0; i < outputs.size(); ++i) {
    layout.working.outputs.try_emplace(outputs[i].connector, default_output_settings(i));
  }
  for (std::size_t i = 0; i < outputs.size(); ++i) {
    const auto found = edits.find(outputs[i].connector);
    if (found == edits.end()) continue;
    apply_edits(layout.working, outputs, outputs[i], entry_or_default(base, outputs, i), found->second, layout.changed);
  }
  layout.primary = settle_primary(layout, base, outputs, edits);
  if (layout.primary) {
    for (const auto& output : outputs) {
      set_if_different(layout.working.outputs[output.connector].primary, output.connector == *layout.primary,
                       layout.changed);
    }
  }
  match_mirror_modes(layout, outputs);
  // Edits that undo one another (primary taken off and settled back) leave nothing to stage.
  layout.changed = false;
  for (std::size_t i = 0; i < outputs.size(); ++i) {
    if (layout.working.outputs.at(outputs[i].connector) != entry_or_default(base, outputs, i)) layout.changed = true;
  }
  if (layout.changed) {
    if (auto valid = layout.working.validate_for(output_capabilities(outputs)); !valid) layout.invalid = valid.error();
  }
  return layout;
}

std::optional<hw::OutputMode> best_mode_of_size(const std::vector<hw::OutputMode>& modes, std::uint32_t width,
                                                std::uint32_t height) {
  std::optional<hw::OutputMode> best;
  for (const auto& mode : modes) {
    if (mode.width != width || mode.height != height) continue;
    if (!best || mode.refresh_mhz >= best->refresh_mhz) best = mode;
  }
  return best;
}

std::optional<std::pair<std::uint32_t, std::uint32_t>> largest_common_mode_size(const std::vector<hw::OutputMode>& modes,
                                                                                const std::vector<hw::OutputMode>& target) {
  std::optional<std::pair<std::uint32_t, std::uint32_t>> largest;
  auto key = [](std::uint32_t width, std::uint32_t height) {
    return std::tuple(std::uint64_t{width} * height, width, height);
  };
  for (const auto& mode : modes) {
    bool offered = false;
    for (const auto& other : target) offered = offered || same_resolution(mode, other);
    if (!offered) continue;
    if (!largest || key(mode.width, mode.height) > key(largest->first, largest->second)) {
      largest = std::pair(mode.width, mode.height);
    }
  }
  return largest;
}

std::vector<hw::OutputCapabilities> output_capabilities(const std::vector<DisplayOutput>& outputs) {
  std::vector<hw::OutputCapabilities> capabilities;
  for (const auto& output : outputs) {
    if (!output.connected) continue;
    capabilities.push_back({output.connector, output.modes, output.color_profile_ids, output.hdr_usable(),
                            output.vrr_usable()});
  }
  return capabilities;
}

std::string validation_reason(const hw::DisplayValidationError& error, const std::vector<DisplayOutput>& outputs) {
  auto name = [&](const std::string& connector) {
    const DisplayOutput* output = find_output(outputs, connector);
    return output ? output->label : connector;
  };
  namespace e = hw::display_error;
  return std::visit(
      [&](const auto& fault) -> std::string {
        using Fault = std::decay_t<decltype(fault)>;
        if constexpr (std::is_same_v<Fault, e::NoEnabledOutput>) {
          return "at least one display must stay on";
        } else if constexpr (std::is_same_v<Fault, e::MultiplePrimary>) {
          return "only one display can be the primary display";
        } else if constexpr (std::is_same_v<Fault, e::UnknownMirrorTarget>) {
          return fmt::format("{} mirrors {}, which is not connected", name(fault.output), fault.target);
        } else if constexpr (std::is_same_v<Fault, e::MirrorCycle>) {
          return fmt::format("{} mirrors a display that mirrors it back", name(fault.output));
        } else if constexpr (std::is_same_v<Fault, e::IncompatibleMirrorModes>) {
          return fmt::format("{} and {} have no resolution in common", name(fault.output), name(fault.target));
        } else if constexpr (std::is_same_v<Fault, e::UnsupportedMode>) {
          return fmt::format("{} does not support the chosen resolution and refresh rate", name(fault.output));
        } else if constexpr (std::is_same_v<Fault, e::InvalidScale>) {
          return fmt::format("{} cannot use this scale", name(fault.output));
        } else if constexpr (std::is_same_v<Fault, e::UnsupportedHdr>) {
          return fmt::format("{} does not support HDR", name(fault.output));
        } else if constexpr (std::is_same_v<Fault, e::UnsupportedVrr>) {
          return fmt::format("{} does not support variable refresh rate", name(fault.output));
        } else {
          return fmt::format("{} cannot use this colour profile", name(fault.output));
        }
      },
      error);
}

}  // namespace settings::panes::display
