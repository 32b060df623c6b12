// The Bluetooth pane's pass: the pairing reply, seeding, the handed-over operation, the four
// handlers (power, discovery, refresh, device requests) and the end of the operation in hand. The
// handlers run on every pass, so a row's request acts at once; an outcome is published only under
// the exact key of the operation in hand.
#include <algorithm>
#include <cctype>
#include <utility>

#include "lib/settings_document.h"
#include "orvo_log/log.h"
#include "orvo_runtime/overloaded.h"
#include "panes/bluetooth/bluetooth_keys.h"
#include "panes/bluetooth/bluetooth_pane.h"
#include "panes/document_controls.h"

namespace settings::panes::bluetooth {

namespace {

using actions::BluetoothOperation;
using orvo_runtime::Overloaded;
using orvo_doc::ScalarValue;

void put_bool(orvo_doc::Document& document, orvo_doc::ObjId object, std::string_view key, bool value) {
  (void)lib::put_if_changed(document, object, key, ScalarValue::boolean(value));
}

std::string trimmed(std::string_view text) {
  const auto space = [](unsigned char c) { return std::isspace(c) != 0; };
  while (!text.empty() && space(text.front())) text.remove_prefix(1);
  while (!text.empty() && space(text.back())) text.remove_suffix(1);
  return std::string(text);
}

std::string power_sentence(bool enabled) { return enabled ? "Bluetooth enabled." : "Bluetooth disabled."; }
std::string discovery_sentence(bool running) {
  return running ? "Bluetooth discovery started." : "Bluetooth discovery stopped.";
}
constexpr std::string_view kRefreshed = "Bluetooth devices refreshed.";

std::string connection_failure(std::string_view word, std::string_view name, std::string_view error) {
  return "Could not " + std::string(word) + " " + std::string(name) + ": " + std::string(error) +
         " Check that it is awake and in range, then retry.";
}

// The path a device operation names; none for the adapter's operations.
const std::string* device_path(const BluetoothOperation& operation) {
  return std::visit(Overloaded{
                        [](const BluetoothOperation::Pair& op) { return &op.path; },
                        [](const BluetoothOperation::Connect& op) { return &op.path; },
                        [](const BluetoothOperation::Disconnect& op) { return &op.path; },
                        [](const BluetoothOperation::Forget& op) { return &op.path; },
                        [](const auto&) -> const std::string* { return nullptr; },
                    },
                    static_cast<const BluetoothOperation::variant&>(operation));
}

}  // namespace

void BluetoothPane::sync(orvo_ui::SyncContext& context) {
  if (!attached_ && own_document()) use_frame_document();
  PaneGlue::sync(context);
}

void BluetoothPane::sync_pane(orvo_doc::Document* document, orvo_ui::SyncContext&) {
  if (!document) return;
  orvo_doc::Document& working = *document;
  take_pairing_reply(working);
  take_connection_replies(working);
  if (needs_seeding_) seed(working);
  hand_over(working);
  apply_power(working);
  apply_discovery(working);
  apply_refresh(working);
  apply_device_actions(working);
  settle_operation();
}

void BluetoothPane::take_pairing_reply(orvo_doc::Document& document) {
  if (!pairing_rx_) return;
  auto received = pairing_rx_->try_recv();
  if (auto* reply = std::get_if<PairingReply>(&received)) {
    handle_pairing_reply(document, std::move(*reply));
  } else if (std::get<orvo_runtime::TryRecvError>(received) == orvo_runtime::TryRecvError::Disconnected) {
    // The worker ended without a word (it cannot, but a pairing must never stay pending).
    handle_pairing_reply(document, PairingReply{*pairing_, std::unexpected(std::string("the pairing ended unexpectedly"))});
  }
}

void BluetoothPane::handle_pairing_reply(orvo_doc::Document& document, PairingReply reply) {
  std::string name = "Device";
  for (const auto& device : devices_) {
    if (device.path == reply.path) name = device.name;
  }
  PaneOutcome outcome;
  if (!reply.result) {
    orvo_log::warn("bluetooth pairing failed", {{"op", "pair"}, {"error", reply.result.error()}});
    outcome = PaneOutcome::failure("Could not pair " + name + ": " + reply.result.error() +
                                   " Check that it is awake and in pairing mode, then retry.");
  } else if (*reply.result) {
    outcome = PaneOutcome::success(name + " paired, but did not connect: " + **reply.result + " Use Connect to retry.");
  } else {
    outcome = PaneOutcome::success(name + " is paired and connected.");
  }
  set_notice(outcome.message);
  pairing_.reset();
  pairing_rx_.reset();
  publish_outcome(BluetoothOperation::Pair{reply.path}, std::move(outcome));
  reload(document);
}

void BluetoothPane::seed(orvo_doc::Document& document) {
  put_bool(document, object_, kEnabledKey, powered_);
  shown_power_ = powered_;
  put_bool(document, object_, kScanKey, false);
  put_bool(document, object_, kRefreshKey, false);
  track_devices(document);
  needs_seeding_ = false;
}

void BluetoothPane::track_devices(orvo_doc::Document& document) {
  // Only a state that changed since it was last shown is written, so a switch the person flipped in
  // this same pass is not overwritten before it is acted on.
  if (!needs_seeding_ && powered_ != shown_power_) {
    put_bool(document, object_, kEnabledKey, powered_);
    shown_power_ = powered_;
  }
  for (const auto& device : devices_) {
    const std::string trusted_key = bluetooth_device_key(device.path, kTrustedWord);
    const auto shown = shown_trust_.find(device.path);
    if (shown != shown_trust_.end()) {
      if (shown->second != device.trusted) put_bool(document, object_, trusted_key, device.trusted);
      shown->second = device.trusted;
      continue;
    }
    for (std::string_view word : kDevicePresses) {
      put_bool(document, object_, bluetooth_device_key(device.path, word), false);
    }
    put_bool(document, object_, trusted_key, device.trusted);
    (void)lib::ensure_text_object(document, object_, bluetooth_device_key(device.path, kAliasWord));
    shown_trust_.emplace(device.path, device.trusted);
  }
}

void BluetoothPane::read_scanning_and_power() {
  if (auto scanning = backend_->is_scanning()) scanning_ = *scanning;
  if (auto powered = backend_->is_powered()) powered_ = *powered;
}

void BluetoothPane::reload(orvo_doc::Document& document) {
  if (auto listed = backend_->devices()) {
    devices_ = std::move(*listed);
  } else {
    set_notice("Could not refresh devices: " + listed.error());
  }
  read_scanning_and_power();
  track_devices(document);
  mark_structure_dirty();
}

void BluetoothPane::hand_over(orvo_doc::Document& document) {
  const auto* taken = operations_.take(
      [](const settings_app::PaneOperation& operation) { return std::holds_alternative<BluetoothOperation>(operation); });
  if (!taken) return;
  const auto& operation = std::get<BluetoothOperation>(*taken);
  // A device request reads the list first: a device found since (by discovery, say) gets its
  // request, and one gone since the runner's check ends as gone instead of reaching the service.
  // Power and discovery are read again too: a change made elsewhere would otherwise make the pane
  // answer "already so", or toggle discovery the wrong way.
  if (device_path(operation)) {
    reload(document);
  } else if (!std::holds_alternative<BluetoothOperation::Refresh>(operation)) {
    read_scanning_and_power();
  }
  std::visit(Overloaded{
                 [&](const BluetoothOperation::SetPowered& op) { put_bool(document, object_, kEnabledKey, op.enabled); },
                 [&](const BluetoothOperation::StartScan&) { put_bool(document, object_, kScanKey, true); },
                 [&](const BluetoothOperation::Refresh&) { put_bool(document, object_, kRefreshKey, true); },
                 [&](const BluetoothOperation::Pair& op) {
                   put_bool(document, object_, bluetooth_device_key(op.path, "pair"), true);
                 },
                 [&](const BluetoothOperation::Connect& op) {
                   put_bool(document, object_, bluetooth_device_key(op.path, "connect"), true);
                 },
                 [&](const BluetoothOperation::Disconnect& op) {
                   put_bool(document, object_, bluetooth_device_key(op.path, "disconnect"), true);
                 },
                 [&](const BluetoothOperation::Forget& op) {
                   put_bool(document, object_, bluetooth_device_key(op.path, "forget"), true);
                 },
             },
             static_cast<const BluetoothOperation::variant&>(operation));
}

void BluetoothPane::apply_power(orvo_doc::Document& document) {
  auto wanted = lib::read_bool(document, object_, kEnabledKey);
  if (!wanted || *wanted == powered_) return;
  const BluetoothOperation operation = BluetoothOperation::SetPowered{*wanted};
  // A switch flipped in the window brings its operation through the section's action; until that
  // runs, the switch shows the adapter's state.
  if (status_attached_ && !status_runs(operation)) {
    write_back(document, object_, kEnabledKey, powered_);
    return;
  }
  if (auto done = backend_->set_powered(*wanted)) {
    powered_ = *wanted;
    set_notice(powered_ ? "Bluetooth is on." : "Bluetooth is off.");
    publish_outcome(operation, PaneOutcome::success(power_sentence(powered_)));
  } else {
    const std::string text = "Could not change Bluetooth power: " + done.error();
    set_notice(text);
    write_back(document, object_, kEnabledKey, powered_);
    publish_outcome(operation, PaneOutcome::failure(text));
  }
  mark_structure_dirty();
}

void BluetoothPane::apply_discovery(orvo_doc::Document& document) {
  if (!take_press(document, object_, kScanKey)) return;
  const bool stopping = scanning_;
  auto done = stopping ? backend_->stop_scan() : backend_->start_scan();
  if (done) {
    scanning_ = !stopping;
    set_notice(scanning_ ? "Discovery started. Use Refresh as devices wake up." : "Discovery stopped.");
    publish_outcome(BluetoothOperation::StartScan{}, PaneOutcome::success(discovery_sentence(scanning_)));
  } else {
    set_notice("Could not change discovery: " + done.error());
    publish_outcome(BluetoothOperation::StartScan{},
                    PaneOutcome::failure("Could not change Bluetooth discovery: " + done.error()));
  }
  reload(document);
}

void BluetoothPane::apply_refresh(orvo_doc::Document& document) {
  if (!take_press(document, object_, kRefreshKey)) return;
  auto listed = backend_->devices();
  if (!listed) {
    set_notice("Could not refresh devices: " + listed.error());
    publish_outcome(BluetoothOperation::Refresh{},
                    PaneOutcome::failure("Could not refresh Bluetooth devices: " + listed.error()));
    return;
  }
  devices_ = std::move(*listed);
  read_scanning_and_power();
  track_devices(document);
  mark_structure_dirty();
  publish_outcome(BluetoothOperation::Refresh{}, PaneOutcome::success(std::string(kRefreshed)));
}

void BluetoothPane::take_connection_replies(orvo_doc::Document& document) {
  while (true) {
    auto received = connection_rx_.try_recv();
    auto* reply = std::get_if<ConnectionReply>(&received);
    if (!reply) return;
    handle_connection_reply(document, std::move(*reply));
  }
}

void BluetoothPane::handle_connection_reply(orvo_doc::Document& document, ConnectionReply reply) {
  std::erase(connecting_, reply.operation);
  const bool connect = std::holds_alternative<BluetoothOperation::Connect>(reply.operation);
  const std::string_view word = connect ? "connect" : "disconnect";
  PaneOutcome outcome = reply.result
                            ? PaneOutcome::success((connect ? "Connected " : "Disconnected ") + reply.name + ".")
                            : PaneOutcome::failure(connection_failure(word, reply.name, reply.result.error()));
  set_notice(outcome.message);
  publish_outcome(reply.operation, std::move(outcome));
  reload(document);
}

void BluetoothPane::forget_device(orvo_doc::Document& document, const BluetoothDevice& device) {
  const BluetoothOperation operation = BluetoothOperation::Forget{device.path};
  if (pending_forget_ != device.path && !status_runs(operation)) {
    pending_forget_ = device.path;
    set_notice("Forget " + device.name + "? This removes its bond and keys.");
    return;
  }
  if (auto done = backend_->forget(device.path)) {
    set_notice("Forgot " + device.name + ". Pair it again to reconnect.");
    pending_forget_.reset();
    publish_outcome(operation, PaneOutcome::success("Forgot " + device.name + "."));
  } else {
    const std::string text = "Could not forget " + device.name + ": " + done.error();
    set_notice(text);
    publish_outcome(operation, PaneOutcome::failure(text));
  }
  reload(document);
}

void BluetoothPane::apply_device_actions(orvo_doc::Document& document) {
  // A copy: the list may be read anew while the loop runs. Devices of two adapters may share a key
  // segment; the device the operation in hand names takes the shared keys first.
  std::vector<BluetoothDevice> devices = devices_;
  if (const auto* in_hand = operations_.in_hand()) {
    if (const auto* operation = std::get_if<BluetoothOperation>(&in_hand->operation())) {
      if (const std::string* path = device_path(*operation)) {
        std::stable_partition(devices.begin(), devices.end(), [&](const auto& d) { return d.path == *path; });
      }
    }
  }
  for (const auto& device : devices) {
    const auto key = [&](std::string_view word) { return bluetooth_device_key(device.path, word); };
    if (take_press(document, object_, key("pair"))) {
      if (!pairing_) {
        start_pairing(document, device);
      } else {
        publish_outcome(BluetoothOperation::Pair{device.path}, PaneOutcome::failure(std::string(kAnotherPairing)));
      }
    }
    if (take_press(document, object_, key("cancel"))) {
      auto done = backend_->cancel_pairing(device.path);
      set_notice(done ? "Cancelled pairing " + device.name + "." : "Could not cancel pairing: " + done.error());
    }
    if (take_press(document, object_, key("connect"))) change_connection(document, device, true);
    if (take_press(document, object_, key("disconnect"))) change_connection(document, device, false);
    if (take_press(document, object_, key("details"))) {
      if (expanded_ == device.path) {
        expanded_.reset();
      } else {
        expanded_ = device.path;
      }
      mark_structure_dirty();
    }
    if (auto trusted = lib::read_bool(document, object_, key(kTrustedWord)); trusted && *trusted != device.trusted) {
      if (auto done = backend_->set_trusted(device.path, *trusted)) {
        set_notice(*trusted ? device.name + " is now trusted." : device.name + " now requires service authorisation.");
      } else {
        set_notice("Could not change device trust: " + done.error());
        write_back(document, object_, key(kTrustedWord), device.trusted);
      }
      reload(document);
    }
    if (take_press(document, object_, key("rename"))) {
      const std::string alias = lib::read_text(document, object_, key(kAliasWord)).value_or("");
      if (auto done = backend_->set_alias(device.path, alias)) {
        set_notice("Renamed device to " + trimmed(alias) + ".");
      } else {
        set_notice("Could not rename " + device.name + ": " + done.error());
      }
      reload(document);
    }
    if (take_press(document, object_, key("forget"))) forget_device(document, device);
  }
}

void BluetoothPane::settle_operation() {
  const auto* in_hand = operations_.in_hand();
  if (!in_hand) return;
  const auto* operation = std::get_if<BluetoothOperation>(&in_hand->operation());
  if (!operation) return;
  const std::string* path = device_path(*operation);
  if (path && std::holds_alternative<BluetoothOperation::Pair>(*operation) && pairing_ == *path) return;
  if (std::find(connecting_.begin(), connecting_.end(), *operation) != connecting_.end()) return;
  // Nothing in the pass acted for it: the adapter is already as asked, or the device has gone.
  PaneOutcome settled = std::visit(
      Overloaded{
          [](const BluetoothOperation::SetPowered& op) { return PaneOutcome::success(power_sentence(op.enabled)); },
          [&](const BluetoothOperation::StartScan&) { return PaneOutcome::success(discovery_sentence(scanning_)); },
          [](const BluetoothOperation::Refresh&) { return PaneOutcome::success(std::string(kRefreshed)); },
          [](const auto&) { return PaneOutcome::failure(std::string(kDeviceGone)); },
      },
      static_cast<const BluetoothOperation::variant&>(*operation));
  publish_outcome(*operation, std::move(settled));
}

}  // namespace settings::panes::bluetooth
