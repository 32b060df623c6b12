// The Displays page, built afresh from the pane's state at every layout: the list of displays, a
// card per output, the card of the display transaction with its countdown, and brightness. Every
// control edits its key of the pane's document and carries its action of the Displays section.
#include <fmt/format.h>

#include <algorithm>
#include <string>
#include <vector>

#include "catalogues/display_bindings.h"
#include "catalogues/section_bindings.h"
#include "orvo_ui/widgets/button.h"
#include "orvo_ui/widgets/dropdown.h"
#include "orvo_ui/widgets/slider.h"
#include "orvo_ui/widgets/toggle.h"
#include "panes/control_binding.h"
#include "panes/display/display_pane.h"
#include "widget_support/layout_helpers.h"

namespace settings::panes::display {

namespace {

using namespace widget_support;
using State = hw::DisplayTransactionState;

const std::vector<std::string> kScaleChoices{"100%", "125%", "150%", "175%", "200%"};
const std::vector<std::string> kOrientationChoices{"Landscape", "Portrait right", "Upside down", "Portrait left"};
const std::vector<std::string> kWarmthChoices{"Subtle \u00b7 4500 K", "Warm \u00b7 3700 K", "Very warm \u00b7 2800 K"};

WidgetBox card(std::string_view title, std::vector<WidgetBox> rows) { return titled_card(title, section_stack(std::move(rows))); }

template <typename Control>
WidgetBox boxed(Control control) {
  return std::make_unique<Control>(std::move(control));
}

std::string output_status(const DisplayOutput& output, const hw::DisplayConfig& live, bool first) {
  const auto found = live.outputs.find(output.connector);
  if (found == live.outputs.end()) return first ? "Active \u00b7 primary" : "Active";
  if (!found->second.enabled) return "Disabled";
  return found->second.primary ? "Active \u00b7 primary" : "Active";
}

}  // namespace

std::uint64_t countdown_seconds(std::optional<std::uint64_t> deadline_unix_ms, std::uint64_t now_unix_ms) {
  if (!deadline_unix_ms || *deadline_unix_ms <= now_unix_ms) return 0;
  return (*deadline_unix_ms - now_unix_ms + 999) / 1000;
}

std::unique_ptr<orvo_ui::Widget> DisplayPane::displays_card() const {
  std::vector<WidgetBox> rows;
  const auto outputs = output_refs();
  if (outputs.empty()) {
    rows.push_back(caption_text("No displays detected on this device."));
    return card("Displays", std::move(rows));
  }
  const hw::DisplayConfig live = live_.value_or(hw::DisplayConfig{});
  for (std::size_t i = 0; i < outputs.size(); ++i) {
    rows.push_back(value_row(outputs[i]->label, output_status(*outputs[i], live, i == 0)));
  }
  const bool all_connected = std::all_of(outputs_.begin(), outputs_.end(), [](const auto& o) { return o.connected; });
  rows.push_back(caption_text(all_connected ? "Connect a second display to extend or mirror your screen."
                                            : "Connect a display to a free port to extend or mirror your screen."));
  return card("Displays", std::move(rows));
}

std::unique_ptr<orvo_ui::Widget> DisplayPane::output_card(std::size_t index) {
  const DisplayOutput& output = outputs_[index];
  const hw::OutputSettings entry = entry_or_default(shown_configuration(), outputs_, index);
  const std::string& connector = output.connector;
  auto key = [&](std::string_view field) { return display_output_key(connector, field); };
  auto toggle = [&](std::string_view field, std::string_view action, std::string_view missing) {
    return boxed(bind_or_warn(controls_.toggle(key(field)).with_id(fmt::format("settings.display.{}.{}", connector, field)),
                              actions::display_output_toggle_binding(connector, action), missing));
  };
  auto choice = [&](std::string_view field, std::string_view action, std::vector<std::string> choices,
                    std::string_view placeholder, std::string_view missing) {
    auto binding = actions::display_output_choice_binding(connector, action, choices);
    return boxed(bind_or_warn(controls_.dropdown(key(field), std::move(choices)).with_placeholder(placeholder),
                              std::move(binding), missing));
  };

  std::vector<WidgetBox> rows;
  rows.push_back(setting_row("Use this display", toggle("enabled", "enabled", "output enabled action is part of the resource contract")));
  rows.push_back(setting_row("Primary display", toggle("primary", "primary", "primary output action is part of the resource contract")));
  rows.push_back(setting_row_fixed("Scale", choice("scale", "scale", kScaleChoices, scale_label(entry.scale),
                                                   "output scale action is part of the resource contract")));
  rows.push_back(setting_row_fixed("Position", choice("position", "position", position_choices(kAutomatic, outputs_, connector),
                                                      kAutomatic, "output position action is part of the resource contract")));
  std::vector<std::string> mirrors{std::string(kExtendWorkspace)};
  for (const DisplayOutput* other : other_outputs(outputs_, connector)) mirrors.push_back(fmt::format("Mirror {}", other->label));
  rows.push_back(setting_row_fixed("Mirroring", choice("mirror", "mirror", std::move(mirrors), mirror_text(outputs_, entry.mirror),
                                                       "output mirror action is part of the resource contract")));
  if (output.modes.empty()) {
    rows.push_back(value_row("Resolution & refresh rate", "Compositor capability data unavailable"));
  } else {
    const auto& mode = entry.mode ? entry.mode : output.current_mode;
    rows.push_back(setting_row_fixed("Resolution & refresh rate",
                                     choice("mode", "mode", output_mode_labels(output.modes), mode ? mode->label() : "Preferred",
                                            "output mode action is part of the resource contract")));
  }
  rows.push_back(setting_row_fixed("Rotation", choice("transform", "transform", kOrientationChoices,
                                                      orientation_label(entry.transform),
                                                      "output transform action is part of the resource contract")));
  if (output.hdr_available) {
    rows.push_back(setting_row("HDR", toggle("hdr", "hdr", "HDR action is part of the resource contract")));
  } else {
    rows.push_back(value_row("HDR", capability_note(output.hdr_note, output.hdr_capable)));
  }
  if (output.vrr_available) {
    rows.push_back(setting_row("Variable refresh rate", toggle("vrr", "vrr", "VRR action is part of the resource contract")));
  } else {
    rows.push_back(value_row("Variable refresh rate", capability_note(output.vrr_note, output.vrr_capable)));
  }
  if (output.color_profile_ids.empty()) {
    rows.push_back(value_row("Colour profile", "System default \u00b7 no valid ICC profiles detected"));
  } else {
    std::vector<std::string> profiles{std::string(kSystemDefault)};
    for (const auto& id : output.color_profile_ids) {
      if (auto label = colour_profile_choice_label(output, id)) profiles.push_back(std::move(*label));
    }
    rows.push_back(setting_row_fixed("Colour profile", choice("color_profile", "color-profile", std::move(profiles),
                                                              colour_profile_text(output, entry.color_profile),
                                                              "colour profile action is part of the resource contract")));
  }
  return card(output.label, std::move(rows));
}

std::unique_ptr<orvo_ui::Widget> DisplayPane::transaction_card(std::uint64_t now_unix_ms) {
  auto button = [&](std::string_view id, std::string_view label, std::string_view press_key, std::string_view action,
                    std::string_view missing) {
    return boxed(bind_or_warn(controls_.press_button(std::string(id), std::string(label), press_key),
                              actions::display_unit_binding(action), missing));
  };
  auto apply_button = [&](std::string_view label) {
    return button("settings.display.apply", label, kApplyKey, "apply", "display apply action is published");
  };
  std::vector<WidgetBox> rows;
  const std::optional<State> state = transaction_ ? std::optional(transaction_->state) : std::nullopt;
  shown_countdown_.reset();
  if (state == State::AwaitingConfirmation) {
    shown_countdown_ = countdown_seconds(transaction_->deadline_unix_ms, now_unix_ms);
    rows.push_back(caption_text(fmt::format(
        "Every display should be visible. Restoring the previous layout in {} seconds unless you keep this one.",
        *shown_countdown_)));
    rows.push_back(setting_row("Everything looks correct",
                               button("settings.display.keep", "Keep", kKeepKey, "confirm", "display confirm action is published")));
    rows.push_back(setting_row("Something is wrong", button("settings.display.revert", "Revert now", kRevertKey, "revert",
                                                            "display revert action is published")));
    return card("Keep this display configuration?", std::move(rows));
  }
  if (state == State::Requested || state == State::ConfirmRequested || state == State::RevertRequested) {
    rows.push_back(caption_text(transaction_->message.value_or("The compositor is validating and applying the output plan\u2026")));
    return card("Applying display configuration", std::move(rows));
  }
  if (state == State::Rejected) {
    rows.push_back(caption_text(transaction_->message.value_or("The compositor rejected this output plan.")));
    if (staged_) rows.push_back(setting_row("Test the newly edited layout", apply_button("Try again")));
    return card("Display change was not applied", std::move(rows));
  }
  if (staged_) {
    rows.push_back(caption_text(
        "The layout is staged, not active. Applying it starts a 15-second safety test; closing Settings cannot cancel "
        "the automatic restore."));
    rows.push_back(setting_row("Test staged layout", apply_button("Apply")));
    return card("Apply display changes", std::move(rows));
  }
  rows.push_back(caption_text("No unapplied display changes."));
  return card("Display configuration", std::move(rows));
}

std::unique_ptr<orvo_ui::Widget> DisplayPane::brightness_card() {
  std::vector<WidgetBox> rows;
  if (sensor_) {
    rows.push_back(setting_row(
        "Automatic brightness",
        boxed(bind_or_warn(controls_.toggle(kAutoBrightnessKey).with_id("settings.display.auto_brightness"),
                           actions::display_toggle_binding("auto_brightness"),
                           "automatic brightness is part of the static resource contract"))));
  } else {
    rows.push_back(value_row("Automatic brightness", "No ambient-light sensor detected"));
  }
  rows.push_back(setting_row_fixed(
      "Brightness", boxed(bind_or_warn(controls_.slider(kBrightnessKey).with_range(0.0, 1.0, 0.01).with_id("settings.display.brightness"),
                                       actions::brightness_binding("brightness"), "brightness is part of the static resource contract"))));
  rows.push_back(setting_row("Night light",
                             boxed(bind_or_warn(controls_.toggle(kNightLightKey).with_id("settings.display.night_light"),
                                                actions::display_toggle_binding("night_light"),
                                                "Night Light is part of the static resource contract"))));
  rows.push_back(setting_row_fixed(
      "Night light warmth",
      boxed(bind_or_warn(controls_.dropdown(kNightLightTemperatureKey, kWarmthChoices)
                             .with_placeholder(night_light_label(prefs_.night_light_temperature)),
                         actions::night_light_warmth_binding("night_light_temperature"),
                         "Night Light warmth is part of the static resource contract"))));
  rows.push_back(caption_text(
      "Night Light applies a whole-desktop colour transform. Automatic brightness follows the kernel ambient-light "
      "sensor with smoothing and a deadband."));
  return card("Brightness", std::move(rows));
}

std::unique_ptr<orvo_ui::Widget> DisplayPane::build_view() {
  std::vector<WidgetBox> cards;
  cards.push_back(displays_card());
  for (std::size_t i = 0; i < outputs_.size(); ++i) {
    if (outputs_[i].connected) cards.push_back(output_card(i));
  }
  cards.push_back(transaction_card(hw::unix_ms()));
  cards.push_back(brightness_card());
  return page_stack(std::move(cards));
}

}  // namespace settings::panes::display
