#include "panes/bluetooth/bluetooth_pane.h"

#include <algorithm>
#include <utility>

#include "orvo_log/log.h"
#include "orvo_runtime/overloaded.h"
#include "orvo_ui/wake.h"
#include "panes/workers/worker_start.h"
#include "panes/pane_inputs.h"

namespace settings::panes::bluetooth {

void bluetooth_pair_worker(BackendHandle backend, std::string path, orvo_runtime::Sender<PairingReply> sender) {
  PairResult result = backend->pair(path);
  (void)sender.send(PairingReply{std::move(path), std::move(result)});
  orvo_ui::WakeHandle{}.wake();
}

void bluetooth_connection_worker(BackendHandle backend, actions::BluetoothOperation operation, std::string name,
                                 orvo_runtime::Sender<ConnectionReply> sender) {
  const bool connect = std::holds_alternative<actions::BluetoothOperation::Connect>(operation);
  const std::string& path = connect ? std::get<actions::BluetoothOperation::Connect>(operation).path
                                    : std::get<actions::BluetoothOperation::Disconnect>(operation).path;
  Done result = connect ? backend->connect(path) : backend->disconnect(path);
  (void)sender.send(ConnectionReply{std::move(operation), std::move(name), std::move(result)});
  orvo_ui::WakeHandle{}.wake();
}

AdapterAnswer carry_out_adapter_request(const BluetoothBackend& backend, AdapterRequest request) {
  using R = AdapterRequest;
  AdapterAnswer answer{std::move(request), {}, std::nullopt};
  bool read_after = true;
  answer.done = std::visit(orvo_runtime::Overloaded{
                               [](const R::Read&) -> Done { return {}; },
                               [](const R::Refresh&) -> Done { return {}; },
                               [&](const R::SetPowered& r) {
                                 read_after = false;
                                 return backend.set_powered(r.enabled);
                               },
                               [&](const R::Discovery& r) { return r.stop ? backend.stop_scan() : backend.start_scan(); },
                               [&](const R::Forget& r) { return backend.forget(r.path); },
                               [&](const R::Trust& r) { return backend.set_trusted(r.path, r.trusted); },
                               [&](const R::Rename& r) { return backend.set_alias(r.path, r.alias); },
                               [&](const R::CancelPairing& r) {
                                 read_after = false;
                                 return backend.cancel_pairing(r.path);
                               },
                           },
                           answer.request.kind);
  if (!read_after) return answer;
  AdapterSnapshot snapshot{backend.devices(), std::nullopt, std::nullopt};
  // A refresh that could not list the devices reads nothing more.
  if (!std::holds_alternative<R::Refresh>(answer.request.kind) || snapshot.devices) {
    snapshot.scanning = backend.is_scanning();
    snapshot.powered = backend.is_powered();
  }
  answer.snapshot = std::move(snapshot);
  return answer;
}

namespace {

// Replies waiting for the next pass; a worker that finds the queue full waits for room.
constexpr std::size_t kConnectionReplies = 16;

}  // namespace

BluetoothPane BluetoothPane::create(BackendHandle backend) {
  BluetoothPane pane(std::move(backend), {}, false, false);
  pane.first_read_done_ = false;
  pane.reread_wanted_ = true;
  return pane;
}

BluetoothPane::BluetoothPane(BackendHandle backend, std::vector<BluetoothDevice> devices, bool powered, bool scanning)
    : BluetoothPane(std::move(backend), std::move(devices), powered, scanning,
                    orvo_runtime::make_channel<ConnectionReply>(kConnectionReplies)) {}

BluetoothPane::BluetoothPane(BackendHandle backend, std::vector<BluetoothDevice> devices, bool powered, bool scanning,
                             ConnectionChannel channel)
    : PaneGlue("BluetoothPane", DirtyRule::OwnFlagFirst),
      backend_(std::move(backend)),
      devices_(std::move(devices)),
      connection_tx_(std::move(channel.first)),
      connection_rx_(std::move(channel.second)),
      first_read_done_(true),
      powered_(powered),
      scanning_(scanning) {}

BluetoothPane BluetoothPane::with_pane_operation(settings_app::PaneOperationCell cell) && {
  operations_.attach_operation_cell(std::move(cell));
  attached_ = true;
  return std::move(*this);
}

BluetoothPane BluetoothPane::with_operation_status(settings_app::OperationStatusCell cell) && {
  operations_.attach_status_cell(std::move(cell));
  status_attached_ = true;
  return std::move(*this);
}

std::optional<orvo_ui::PaneDescriptor> BluetoothPane::pane_descriptor() {
  return settings_app::section_descriptor(settings_app::SettingsSection::Bluetooth);
}

void BluetoothPane::set_notice(std::string text) {
  notice_ = std::move(text);
  mark_structure_dirty();
}

bool BluetoothPane::status_runs(const BluetoothOperation& operation) const {
  return operations_.status_cell().snapshot().is_running(handed_operation_key(settings_app::PaneOperation(operation)));
}

void BluetoothPane::publish_outcome(const BluetoothOperation& operation, PaneOutcome outcome) {
  const auto* in_hand = operations_.in_hand();
  if (!in_hand) return;
  const auto* handed = std::get_if<BluetoothOperation>(&in_hand->operation());
  if (handed && *handed == operation) operations_.finish(std::move(outcome));
}

void BluetoothPane::start_pairing(orvo_doc::Document& document, const BluetoothDevice& device) {
  auto [sender, receiver] = orvo_runtime::make_channel<PairingReply>(1);
  pairing_ = device.path;
  pairing_rx_.emplace(std::move(receiver));
  set_notice("Pairing " + device.name + "… Security prompts appear in system UI.");
  auto started = workers::start_worker(std::string(kPairingThread),
                                       [backend = backend_, path = device.path, sender = std::move(sender)]() mutable {
                                         bluetooth_pair_worker(std::move(backend), std::move(path), std::move(sender));
                                       });
  if (!started) handle_pairing_reply(document, PairingReply{device.path, std::unexpected(started.error())});
}

void BluetoothPane::change_connection(orvo_doc::Document& document, const BluetoothDevice& device, bool connect) {
  const BluetoothOperation operation = connect ? BluetoothOperation(BluetoothOperation::Connect{device.path})
                                               : BluetoothOperation(BluetoothOperation::Disconnect{device.path});
  if (std::find(connecting_.begin(), connecting_.end(), operation) != connecting_.end()) return;
  connecting_.push_back(operation);
  set_notice((connect ? "Connecting " : "Disconnecting ") + device.name + "…");
  auto started = workers::start_worker(
      std::string(kConnectionThread),
      [backend = backend_, operation, name = device.name, sender = connection_tx_]() mutable {
        bluetooth_connection_worker(std::move(backend), std::move(operation), std::move(name), std::move(sender));
      });
  if (!started) {
    handle_connection_reply(document, ConnectionReply{operation, device.name, std::unexpected(started.error())});
  }
}

bool BluetoothPane::start_request(AdapterRequest::Kind request) {
  if (adapter_rx_) return false;
  auto [sender, receiver] = orvo_runtime::make_channel<AdapterAnswer>(1);
  adapter_rx_.emplace(std::move(receiver));
  auto job = [backend = backend_, request = AdapterRequest{std::move(request)}, sender = std::move(sender)]() mutable {
    (void)sender.send(carry_out_adapter_request(*backend, std::move(request)));
    orvo_ui::WakeHandle{}.wake();
  };
  if (auto started = workers::start_worker(std::string(kAdapterThread), job); !started) {
    // The answer waits in the channel for the next pass all the same.
    orvo_log::warn("could not start the Bluetooth adapter worker", {{"error", started.error()}});
    job();
  }
  return true;
}

std::unique_ptr<orvo_ui::Widget> bluetooth_pane(const settings_app::PaneInputs& inputs) {
  return std::make_unique<BluetoothPane>(BluetoothPane::create()
                                             .with_pane_operation(inputs.pane_operation)
                                             .with_operation_status(inputs.operation_status));
}

}  // namespace settings::panes::bluetooth
