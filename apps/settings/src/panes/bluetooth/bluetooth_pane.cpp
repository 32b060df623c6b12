#include "panes/bluetooth/bluetooth_pane.h"

#include <algorithm>
#include <utility>

#include "orvo_ui/wake.h"
#include "panes/workers/worker_start.h"
#include "settings_app/pane_factory.h"
#include "settings_app/settings_app.h"

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

namespace {

// Replies waiting for the next pass; a worker that finds the queue full waits for room.
constexpr std::size_t kConnectionReplies = 16;

}  // namespace

BluetoothPane BluetoothPane::create(BackendHandle backend) {
  auto devices = backend->devices();
  auto powered = backend->is_powered();
  auto scanning = backend->is_scanning();
  return BluetoothPane(backend, devices ? std::move(*devices) : std::vector<BluetoothDevice>{}, powered.value_or(false),
                       scanning.value_or(false));
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

std::unique_ptr<orvo_ui::Widget> bluetooth_pane(const settings_app::PaneInputs& inputs) {
  return std::make_unique<BluetoothPane>(BluetoothPane::create()
                                             .with_pane_operation(inputs.app.pane_operation())
                                             .with_operation_status(inputs.app.operation_status()));
}

}  // namespace settings::panes::bluetooth
