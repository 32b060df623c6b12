// The sound pane's view: the output and input cards, device capabilities, and the cards of
// playback and recording streams. Every control shows a document key and is bound to its action
// of the sound section, or built unbound with a warning when the section does not publish it.
#include <algorithm>
#include <cmath>
#include <fmt/format.h>

#include "catalogues/sound_bindings.h"
#include "orvo_ui/widgets/row.h"
#include "orvo_ui/widgets/text.h"
#include "panes/control_binding.h"
#include "panes/sound/audio_pane.h"
#include "widget_support/layout_helpers.h"

namespace settings::panes::sound {

namespace {

using media::audio::DeviceChoice;
using widget_support::WidgetBox;
namespace ws = widget_support;

// The route binding names at most this many devices besides "Default".
constexpr std::size_t kRouteDeviceLimit = 127;

std::vector<std::string> names_of(const std::vector<DeviceChoice>& devices) {
  std::vector<std::string> names;
  names.reserve(devices.size());
  for (const auto& device : devices) names.push_back(device.name);
  return names;
}

actions::AudioDeviceList entries_of(const std::vector<DeviceChoice>& devices) {
  actions::AudioDeviceList entries;
  entries.reserve(devices.size());
  for (const auto& device : devices) entries.push_back({device.name, device.id});
  return entries;
}

WidgetBox button_row(std::vector<orvo_ui::Button> buttons) {
  auto row = std::make_unique<orvo_ui::Row>(orvo_ui::Row().with_gap(ws::kSectionGap));
  for (auto& button : buttons) row->push(std::make_unique<orvo_ui::Button>(std::move(button)));
  return row;
}

}  // namespace

std::unique_ptr<orvo_ui::Widget> AudioPane::build_view() {
  std::vector<WidgetBox> cards;
  cards.push_back(output_card());
  cards.push_back(input_card());
  if (auto capabilities = capabilities_card()) cards.push_back(std::move(capabilities));
  cards.push_back(stream_card("Applications", graph_.playback_streams, output_devices_, "No applications are playing audio."));
  cards.push_back(stream_card("Recording", graph_.recording_streams, input_devices_, "No applications are recording."));
  return ws::page_stack(std::move(cards));
}

std::unique_ptr<orvo_ui::Widget> AudioPane::output_card() {
  std::vector<WidgetBox> rows;
  if (output_devices_.size() > 1) {
    auto dropdown = controls_.dropdown(kOutputDeviceKey, names_of(output_devices_));
    if (default_output_name_) dropdown = std::move(dropdown).with_placeholder(*default_output_name_);
    rows.push_back(ws::setting_row_fixed(
        "Output device", std::make_unique<orvo_ui::Dropdown>(bind_or_warn(
                             std::move(dropdown), actions::audio_device_choice_binding("output-device", entries_of(output_devices_)),
                             "output device choice is part of the static resource contract"))));
  }
  rows.push_back(ws::setting_row_fixed(
      "Volume", std::make_unique<orvo_ui::Slider>(bind_or_warn(controls_.slider(kVolumeKey), actions::sound_level_binding("volume"),
                                                               "output volume is part of the static resource contract"))));
  rows.push_back(ws::setting_row(
      "Mute", std::make_unique<orvo_ui::Toggle>(bind_or_warn(controls_.toggle(kMutedKey).with_id("audio.mute"),
                                                             actions::sound_toggle_binding("muted"),
                                                             "output mute is part of the static resource contract"))));
  const media::audio::AudioNode* sink = graph_.default_sink();
  if (sink && sink->channels == 2) {
    if (capabilities_.balance) {
      rows.push_back(ws::setting_row_fixed(
          "Balance", std::make_unique<orvo_ui::Slider>(bind_or_warn(controls_.slider(kBalanceKey), actions::sound_level_binding("balance"),
                                                                    "output balance is part of the static resource contract"))));
    }
    if (capabilities_.mono_output) {
      rows.push_back(ws::setting_row(
          "Mono audio", std::make_unique<orvo_ui::Toggle>(bind_or_warn(controls_.toggle(kMonoKey), actions::sound_toggle_binding("mono"),
                                                                       "mono output is part of the static resource contract"))));
      rows.push_back(ws::caption_text(
          "Combines left and right across this desktop session. The session restores the physical output when you turn it off."));
    }
    if (capabilities_.channel_test) {
      std::vector<orvo_ui::Button> buttons;
      buttons.push_back(bind_or_warn(
          controls_.press_button("settings.audio.advanced", diagnostics_shown_ ? "Hide speaker test" : "Test speakers…", kAdvancedKey),
          actions::sound_unit_binding("diagnostics"), "audio diagnostics action is published"));
      rows.push_back(button_row(std::move(buttons)));
      if (diagnostics_shown_) {
        std::vector<orvo_ui::Button> sides;
        sides.push_back(bind_or_warn(controls_.press_button("settings.audio.test.left", "Left", kTestLeftKey),
                                     actions::sound_unit_binding("test-left"), "left speaker test action is published"));
        sides.push_back(bind_or_warn(controls_.press_button("settings.audio.test.right", "Right", kTestRightKey),
                                     actions::sound_unit_binding("test-right"), "right speaker test action is published"));
        rows.push_back(button_row(std::move(sides)));
        rows.push_back(ws::caption_text("Plays a short, quiet tone only on the selected channel. Tests stop automatically."));
      }
    }
  }
  if (message_) rows.push_back(ws::caption_text(*message_));
  return ws::titled_card("Output", ws::section_stack(std::move(rows)));
}

std::unique_ptr<orvo_ui::Widget> AudioPane::input_card() {
  std::vector<WidgetBox> rows;
  if (input_devices_.size() > 1) {
    auto dropdown = controls_.dropdown(kInputDeviceKey, names_of(input_devices_));
    if (default_input_name_) dropdown = std::move(dropdown).with_placeholder(*default_input_name_);
    rows.push_back(ws::setting_row_fixed(
        "Input device", std::make_unique<orvo_ui::Dropdown>(bind_or_warn(
                            std::move(dropdown), actions::audio_device_choice_binding("input-device", entries_of(input_devices_)),
                            "input device choice is part of the static resource contract"))));
  }
  rows.push_back(ws::setting_row_fixed(
      "Input level",
      std::make_unique<orvo_ui::Slider>(bind_or_warn(controls_.slider(kInputVolumeKey), actions::sound_level_binding("input-volume"),
                                                     "input volume is part of the static resource contract"))));
  if (capabilities_.microphone_meter && graph_.default_source()) {
    const bool running = microphone_meter_ != nullptr;
    const std::string activity =
        running ? fmt::format("Input activity: {}%", static_cast<unsigned>(std::lround(microphone_level_ * 100.0F)))
                : std::string("Microphone test records no audio");
    auto row = std::make_unique<orvo_ui::Row>(orvo_ui::Row().with_gap(ws::kSectionGap));
    row->push(std::make_unique<orvo_ui::Text>(orvo_ui::Text(activity).with_size(12).with_id("audio.input_activity")));
    row->push(std::make_unique<orvo_ui::Button>(
        bind_or_warn(controls_.press_button("settings.audio.mic_test", running ? "Stop test" : "Test microphone", kMicTestKey),
                     actions::sound_unit_binding("microphone-meter"), "microphone meter action is published")));
    rows.push_back(std::move(row));
    rows.push_back(ws::caption_text(
        "The test reads an eight-second level meter in memory. It never stores audio or routes the microphone to speakers."));
  }
  return ws::titled_card("Input", ws::section_stack(std::move(rows)));
}

std::unique_ptr<orvo_ui::Widget> AudioPane::capabilities_card() {
  std::vector<WidgetBox> rows;
  for (const auto& device : graph_.devices) {
    actions::AudioProfileList profiles;
    for (const auto& profile : device.profiles) {
      if (profile.available) profiles.push_back({profile.description, profile.index});
    }
    if (profiles.size() <= 1) continue;
    std::vector<std::string> names;
    for (const auto& profile : profiles) names.push_back(profile.name);
    std::string placeholder = "Choose a profile";
    if (device.active_profile) {
      const auto active = std::find_if(profiles.begin(), profiles.end(), [&](const auto& p) { return p.index == *device.active_profile; });
      if (active != profiles.end()) placeholder = active->name;
    }
    auto dropdown = controls_.dropdown(device_profile_key(device.id), std::move(names))
                        .with_id(fmt::format("audio.profile.{}", device.id))
                        .with_placeholder(placeholder);
    rows.push_back(ws::described_setting_row_fixed(
        device.name, "PipeWire device profile",
        std::make_unique<orvo_ui::Dropdown>(bind_or_warn(std::move(dropdown), actions::audio_profile_binding(device.id, profiles),
                                                         "visible audio profiles form a bounded resource action"))));
  }
  for (const auto& device : graph_.devices) {
    if (device.codec) rows.push_back(ws::value_row(device.name, fmt::format("{} codec", *device.codec)));
  }
  if (rows.empty()) return nullptr;
  return ws::titled_card("Device capabilities", ws::section_stack(std::move(rows)));
}

std::unique_ptr<orvo_ui::Widget> AudioPane::stream_card(std::string_view title,
                                                        const std::vector<media::audio::AudioStream>& streams,
                                                        const std::vector<DeviceChoice>& devices, std::string_view empty_text) {
  std::vector<WidgetBox> stacks;
  if (streams.empty()) {
    stacks.push_back(ws::caption_text(empty_text));
    return ws::titled_card(title, ws::section_stack(std::move(stacks)));
  }
  std::vector<std::string> choices{std::string(actions::kDefaultRoute)};
  for (const auto& device : devices) choices.push_back(device.name);
  for (const auto& stream : streams) {
    const std::string route_key = stream_sink_key(stream.id);
    const std::string volume_key = stream_volume_key(stream.id);
    const std::string muted_key = stream_muted_key(stream.id);
    const std::string label = stream.label();
    auto route = controls_.dropdown(route_key, choices).with_id(route_key + ".dd").with_placeholder(stream_route_label(stream));
    // Past the binding's limit the route still edits the document; the section cannot name it.
    if (devices.size() <= kRouteDeviceLimit) {
      route = bind_or_warn(std::move(route), actions::stream_route_binding(stream.id, stream.playback, label, entries_of(devices)),
                           "stream route is part of the stream's resource");
    }
    std::vector<WidgetBox> rows;
    auto route_box = std::make_unique<orvo_ui::Dropdown>(std::move(route));
    // A stream that says nothing of what it plays gets no empty description line.
    if (stream.media) {
      rows.push_back(ws::described_setting_row_fixed(stream.application, *stream.media, std::move(route_box)));
    } else {
      rows.push_back(ws::setting_row_fixed(stream.application, std::move(route_box)));
    }
    rows.push_back(ws::setting_row_fixed(
        "Volume", std::make_unique<orvo_ui::Slider>(bind_or_warn(controls_.slider(volume_key).with_id(volume_key + ".sl"),
                                                                 actions::stream_volume_binding(stream.id, stream.playback, label),
                                                                 "stream volume is part of the stream's resource"))));
    rows.push_back(ws::setting_row(
        "Mute", std::make_unique<orvo_ui::Toggle>(bind_or_warn(controls_.toggle(muted_key).with_id(muted_key + ".tg"),
                                                               actions::stream_mute_binding(stream.id, stream.playback, label),
                                                               "stream mute is part of the stream's resource"))));
    stacks.push_back(ws::section_stack(std::move(rows)));
  }
  return ws::titled_card(title, ws::section_stack(std::move(stacks)));
}

}  // namespace settings::panes::sound
