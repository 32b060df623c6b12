// The Bluetooth pane's pass: the replies of the workers, seeding, the handed-over operation, the
// four handlers (power, discovery, refresh, device requests) and the end of the operation in hand.
// The handlers run on every pass, so a row's request starts at once unless the adapter worker is
// busy (then it waits in its key); an outcome is published only under the exact key of the
// operation in hand.
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
  take_adapter_answer(working);
  // An operation is taken at once, as the shell expects, even before the first read has arrived.
  hand_over(working);
  if (first_read_done_) {
    if (needs_seeding_) seed(working);
    apply_power(working);
    apply_discovery(working);
    apply_refresh(working);
    apply_device_actions(working);
  }
  if (reread_wanted_ && start_request(AdapterRequest::Read{})) reread_wanted_ = false;
  settle_operation();
}

void BluetoothPane::take_adapter_answer(orvo_doc::Document& document) {
  if (!adapter_rx_) return;
  auto received = adapter_rx_->try_recv();
  if (auto* answer = std::get_if<AdapterAnswer>(&received)) {
    AdapterAnswer taken = std::move(*answer);
    adapter_rx_.reset();
    finish_request(document, std::move(taken));
  } else if (std::get<orvo_runtime::TryRecvError>(received) == orvo_runtime::TryRecvError::Disconnected) {
    // The worker ended without a word (it cannot): what it did is read again.
    adapter_rx_.reset();
    first_read_done_ = true;
    reload();
  }
}

void BluetoothPane::finish_request(orvo_doc::Document& document, AdapterAnswer answer) {
  using R = AdapterRequest;
  const bool first = !first_read_done_;
  first_read_done_ = true;
  const Done& done = answer.done;
  std::visit(Overloaded{
                 [&](const R::Read&) {
                   // A pane just opened shows a service it cannot read as one with nothing on.
                   if (first && !answer.snapshot->devices) answer.snapshot->devices = std::vector<BluetoothDevice>{};
                   take_snapshot(document, std::move(*answer.snapshot));
                   if (needs_seeding_) seed(document);
                   if (staging_) {
                     staging_ = false;
                     if (const auto* in_hand = operations_.in_hand()) {
                       if (const auto* operation = std::get_if<BluetoothOperation>(&in_hand->operation())) {
                         stage(document, *operation);
                       }
                     }
                   }
                 },
                 [&](const R::Refresh&) {
                   const auto& listed = answer.snapshot->devices;
                   if (!listed) {
                     set_notice("Could not refresh devices: " + listed.error());
                     publish_outcome(BluetoothOperation::Refresh{},
                                     PaneOutcome::failure("Could not refresh Bluetooth devices: " + listed.error()));
                     return;
                   }
                   take_snapshot(document, std::move(*answer.snapshot));
                   publish_outcome(BluetoothOperation::Refresh{}, PaneOutcome::success(std::string(kRefreshed)));
                 },
                 [&](const R::SetPowered& r) {
                   const BluetoothOperation operation = BluetoothOperation::SetPowered{r.enabled};
                   if (done) {
                     powered_ = r.enabled;
                     set_notice(powered_ ? "Bluetooth is on." : "Bluetooth is off.");
                     publish_outcome(operation, PaneOutcome::success(power_sentence(powered_)));
                   } else {
                     const std::string text = "Could not change Bluetooth power: " + done.error();
                     set_notice(text);
                     write_back(document, object_, kEnabledKey, powered_);
                     publish_outcome(operation, PaneOutcome::failure(text));
                   }
                   mark_structure_dirty();
                 },
                 [&](const R::Discovery& r) {
                   if (done) {
                     scanning_ = !r.stop;
                     set_notice(scanning_ ? "Discovery started. Use Refresh as devices wake up." : "Discovery stopped.");
                     publish_outcome(BluetoothOperation::StartScan{}, PaneOutcome::success(discovery_sentence(scanning_)));
                   } else {
                     set_notice("Could not change discovery: " + done.error());
                     publish_outcome(BluetoothOperation::StartScan{},
                                     PaneOutcome::failure("Could not change Bluetooth discovery: " + done.error()));
                   }
                   take_snapshot(document, std::move(*answer.snapshot));
                 },
                 [&](const R::Forget& r) {
                   const BluetoothOperation operation = BluetoothOperation::Forget{r.path};
                   if (done) {
                     set_notice("Forgot " + r.name + ". Pair it again to reconnect.");
                     pending_forget_.reset();
                     publish_outcome(operation, PaneOutcome::success("Forgot " + r.name + "."));
                   } else {
                     const std::string text = "Could not forget " + r.name + ": " + done.error();
                     set_notice(text);
                     publish_outcome(operation, PaneOutcome::failure(text));
                   }
                   take_snapshot(document, std::move(*answer.snapshot));
                 },
                 [&](const R::Trust& r) {
                   if (done) {
                     set_notice(r.trusted ? r.name + " is now trusted." : r.name + " now requires service authorisation.");
                   } else {
                     set_notice("Could not change device trust: " + done.error());
                     write_back(document, object_, bluetooth_device_key(r.path, kTrustedWord), r.was_trusted);
                   }
                   take_snapshot(document, std::move(*answer.snapshot));
                 },
                 [&](const R::Rename& r) {
                   set_notice(done ? "Renamed device to " + trimmed(r.alias) + "."
                                   : "Could not rename " + r.name + ": " + done.error());
                   take_snapshot(document, std::move(*answer.snapshot));
                 },
                 [&](const R::CancelPairing& r) {
                   set_notice(done ? "Cancelled pairing " + r.name + "." : "Could not cancel pairing: " + done.error());
                 },
             },
             answer.request.kind);
}

void BluetoothPane::take_snapshot(orvo_doc::Document& document, AdapterSnapshot snapshot) {
  if (snapshot.devices) {
    devices_ = std::move(*snapshot.devices);
  } else {
    set_notice("Could not refresh devices: " + snapshot.devices.error());
  }
  if (snapshot.scanning && *snapshot.scanning) scanning_ = **snapshot.scanning;
  if (snapshot.powered && *snapshot.powered) powered_ = **snapshot.powered;
  track_devices(document);
  mark_structure_dirty();
}

void BluetoothPane::reload() { reread_wanted_ = true; }

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

void BluetoothPane::handle_pairing_reply(orvo_doc::Document& /*document*/, PairingReply reply) {
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
  reload();
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

void BluetoothPane::hand_over(orvo_doc::Document& document) {
  const auto* taken = operations_.take(
      [](const settings_app::PaneOperation& operation) { return std::holds_alternative<BluetoothOperation>(operation); });
  if (!taken) return;
  const auto& operation = std::get<BluetoothOperation>(*taken);
  // Every request but a refresh reads the list, power and discovery first: a device found since (by
  // discovery, say) gets its request, one gone since the runner's check ends as gone instead of
  // reaching the service, and a change made elsewhere does not make the pane answer "already so" or
  // toggle discovery the wrong way. Its keys are written when that read arrives.
  if (std::holds_alternative<BluetoothOperation::Refresh>(operation) && first_read_done_) {
    stage(document, operation);
    return;
  }
  staging_ = true;
  reload();
}

void BluetoothPane::stage(orvo_doc::Document& document, const BluetoothOperation& operation) {
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
  (void)start_request(AdapterRequest::SetPowered{*wanted});
}

void BluetoothPane::apply_discovery(orvo_doc::Document& document) {
  if (adapter_rx_ || !take_press(document, object_, kScanKey)) return;
  (void)start_request(AdapterRequest::Discovery{scanning_});
}

void BluetoothPane::apply_refresh(orvo_doc::Document& document) {
  if (adapter_rx_ || !take_press(document, object_, kRefreshKey)) return;
  (void)start_request(AdapterRequest::Refresh{});
}

void BluetoothPane::take_connection_replies(orvo_doc::Document& document) {
  while (true) {
    auto received = connection_rx_.try_recv();
    auto* reply = std::get_if<ConnectionReply>(&received);
    if (!reply) return;
    handle_connection_reply(document, std::move(*reply));
  }
}

void BluetoothPane::handle_connection_reply(orvo_doc::Document& /*document*/, ConnectionReply reply) {
  std::erase(connecting_, reply.operation);
  const bool connect = std::holds_alternative<BluetoothOperation::Connect>(reply.operation);
  const std::string_view word = connect ? "connect" : "disconnect";
  PaneOutcome outcome = reply.result
                            ? PaneOutcome::success((connect ? "Connected " : "Disconnected ") + reply.name + ".")
                            : PaneOutcome::failure(connection_failure(word, reply.name, reply.result.error()));
  set_notice(outcome.message);
  publish_outcome(reply.operation, std::move(outcome));
  reload();
}

void BluetoothPane::forget_device(orvo_doc::Document& /*document*/, const BluetoothDevice& device) {
  const BluetoothOperation operation = BluetoothOperation::Forget{device.path};
  if (pending_forget_ != device.path && !status_runs(operation)) {
    pending_forget_ = device.path;
    set_notice("Forget " + device.name + "? This removes its bond and keys.");
    return;
  }
  (void)start_request(AdapterRequest::Forget{device.path, device.name});
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
    if (!adapter_rx_ && take_press(document, object_, key("cancel"))) {
      (void)start_request(AdapterRequest::CancelPairing{device.path, device.name});
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
    if (auto trusted = lib::read_bool(document, object_, key(kTrustedWord));
        trusted && *trusted != device.trusted && !adapter_rx_) {
      (void)start_request(AdapterRequest::Trust{device.path, device.name, *trusted, device.trusted});
    }
    if (!adapter_rx_ && take_press(document, object_, key("rename"))) {
      std::string alias = lib::read_text(document, object_, key(kAliasWord)).value_or("");
      (void)start_request(AdapterRequest::Rename{device.path, device.name, std::move(alias)});
    }
    if (!adapter_rx_ && take_press(document, object_, key("forget"))) forget_device(document, device);
  }
}

void BluetoothPane::settle_operation() {
  const auto* in_hand = operations_.in_hand();
  if (!in_hand) return;
  const auto* operation = std::get_if<BluetoothOperation>(&in_hand->operation());
  if (!operation) return;
  // Its read, or a request of the adapter worker, may still be under way.
  if (staging_ || adapter_rx_ || reread_wanted_) return;
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
