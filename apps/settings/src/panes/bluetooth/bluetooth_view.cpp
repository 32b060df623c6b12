// The Bluetooth page and its device rows, built afresh from the pane's state at every layout. Every
// control is bound to a key of the pane's document; the pane's pass acts on the keys.
#include <string>
#include <utility>
#include <vector>

#include "catalogues/section_bindings.h"
#include "orvo_ui/widgets/button.h"
#include "orvo_ui/widgets/row.h"
#include "orvo_ui/widgets/spacer.h"
#include "orvo_ui/widgets/text.h"
#include "orvo_ui/widgets/text_input.h"
#include "orvo_ui/widgets/toggle.h"
#include "panes/bluetooth/bluetooth_keys.h"
#include "panes/bluetooth/bluetooth_pane.h"
#include "panes/control_binding.h"
#include "widget_support/layout_helpers.h"

namespace settings::panes::bluetooth {

namespace {

using widget_support::WidgetBox;

constexpr float kButtonGap = 8;

constexpr std::string_view kEmptyCaption = "No devices found. Put a device in pairing mode, then start discovery.";
constexpr std::string_view kLookingCaption = "Looking for nearby devices…";
constexpr std::string_view kTrustCaption =
    "A trusted device may use previously authorised services without another confirmation. This does not force "
    "reconnection.";
constexpr std::string_view kAudioCaption =
    "Sound exposes profiles and codecs only when PipeWire reports selectable capabilities.";

struct PrimaryAction {
  std::string_view word;
  std::string_view label;
};

PrimaryAction primary_action(const BluetoothPane& pane, const BluetoothDevice& device) {
  if (pane.pairing() == device.path) return {"cancel", "Cancel pairing"};
  if (device.paired && device.connected) return {"disconnect", "Disconnect"};
  if (device.paired) return {"connect", "Connect"};
  return {"pair", "Pair"};
}

std::string status_line(const BluetoothDevice& device) {
  std::string line = device.connected ? "Connected" : device.paired ? "Paired" : "Nearby";
  if (device.battery_percent) line += " · Battery " + std::to_string(*device.battery_percent) + "%";
  return line;
}

template <typename Widget>
WidgetBox boxed(Widget widget) {
  return std::make_unique<Widget>(std::move(widget));
}

WidgetBox device_row(const BluetoothPane& pane, const BluetoothDevice& device, DocumentControls& controls) {
  const std::string segment = bluetooth_device_segment(device.path);
  const auto key = [&](std::string_view word) { return bluetooth_device_key(device.path, word); };
  const bool expanded = pane.expanded() == device.path;
  std::vector<WidgetBox> lines;

  auto header = std::make_unique<orvo_ui::Row>(orvo_ui::Row().with_gap(kButtonGap));
  header->push(orvo_ui::Text(device.name).with_size(widget_support::kRowTextSize));
  header->push(orvo_ui::Spacer::flexible());
  const PrimaryAction primary = primary_action(pane, device);
  header->push(controls.press_button("settings.bluetooth." + segment + "." + std::string(primary.word),
                                     std::string(primary.label), key(primary.word)));
  header->push(controls.press_button("settings.bluetooth.details." + segment, expanded ? "Less" : "Details",
                                     key("details")));
  lines.push_back(std::move(header));
  lines.push_back(widget_support::caption_text(status_line(device)));

  if (expanded) {
    lines.push_back(widget_support::value_row("Address", device.address));
    if (device.rssi_dbm) lines.push_back(widget_support::value_row("Signal", std::to_string(*device.rssi_dbm) + " dBm"));
    if (device.paired) {
      lines.push_back(widget_support::setting_row(
          "Trust this device", boxed(controls.toggle(key(kTrustedWord)).with_id("settings.bluetooth.trusted." + segment))));
      lines.push_back(widget_support::caption_text(kTrustCaption));
      lines.push_back(
          boxed(controls.text_input(key(kAliasWord)).with_id("bluetooth.alias." + segment).with_placeholder(device.name)));
      auto buttons = std::make_unique<orvo_ui::Row>(orvo_ui::Row().with_gap(kButtonGap));
      buttons->push(controls.press_button("settings.bluetooth.rename." + segment, "Rename", key("rename")));
      buttons->push(controls.press_button("settings.bluetooth.forget." + segment,
                                          pane.pending_forget() == device.path ? "Confirm forget" : "Forget…",
                                          key("forget")));
      buttons->push(orvo_ui::Spacer::flexible());
      lines.push_back(std::move(buttons));
    }
    if (device.icon.starts_with("audio-")) lines.push_back(widget_support::caption_text(kAudioCaption));
  }

  auto column = std::make_unique<orvo_ui::Column>();
  column->push(widget_support::section_stack(std::move(lines)));
  return column;
}

}  // namespace

std::vector<WidgetBox> bluetooth_device_rows(const BluetoothPane& pane, DocumentControls& controls) {
  std::vector<WidgetBox> rows;
  for (const auto& device : pane.devices()) rows.push_back(device_row(pane, device, controls));
  return rows;
}

std::unique_ptr<orvo_ui::Widget> BluetoothPane::build_view() {
  std::vector<WidgetBox> lines;
  auto buttons = std::make_unique<orvo_ui::Row>(orvo_ui::Row().with_gap(kButtonGap));
  buttons->push(controls_.press_button("settings.bluetooth.scan", scanning_ ? "Stop discovery" : "Find devices", kScanKey));
  buttons->push(controls_.press_button("settings.bluetooth.refresh", "Refresh", kRefreshKey));
  buttons->push(orvo_ui::Spacer::flexible());
  lines.push_back(std::move(buttons));
  if (notice_) lines.push_back(widget_support::caption_text(*notice_));
  auto rows = bluetooth_device_rows(*this, controls_);
  if (rows.empty()) {
    lines.push_back(widget_support::caption_text(scanning_ ? kLookingCaption : kEmptyCaption));
  } else {
    for (auto& row : rows) lines.push_back(std::move(row));
  }
  auto power = bind_or_warn(controls_.toggle(kEnabledKey).with_id("bluetooth.toggle"),
                            actions::bluetooth_toggle_binding("bluetooth"),
                            "Bluetooth power action is part of the static resource contract");
  return widget_support::titled_card_with_accessory("Bluetooth", boxed(std::move(power)),
                                                    widget_support::section_stack(std::move(lines)));
}

}  // namespace settings::panes::bluetooth
