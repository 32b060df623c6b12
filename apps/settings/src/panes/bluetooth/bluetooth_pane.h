#pragma once
// The pane of the section "bluetooth": adapter power, discovery, and one row per known or nearby
// device with pair, connect, disconnect, trust, rename and forget. Every control writes a key of
// the pane's document; each pass compares the document with what the pane knows of the machine,
// acts through the backend and writes a refused change back, so the controls converge to the real
// state. Each outcome is one sentence in `notice`; an operation the shell handed over ends under its
// exact key. Nothing here waits for the Bluetooth service: pairing runs on a worker of its own, one
// at a time; connections on workers of their own; every other request (power, discovery, trust,
// rename, forget, cancel, and reading the devices again) on the adapter worker, one at a time and
// in order, each followed by a fresh read of the devices, power and discovery where it changes them.
// A request that meets the adapter worker busy waits in its key for the next pass.
//
// Interface thread only; the workers hold their own backend handles and never touch the pane.
#include <expected>
#include <memory>
#include <optional>
#include <map>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "actions/hardware_operations.h"
#include "orvo_runtime/channel.h"
#include "panes/bluetooth/bluetooth_backend.h"
#include "panes/pane_glue.h"
#include "panes/pane_inputs.h"
#include "panes/taken_operation.h"
#include "panes/operation_status.h"
#include "panes/pane_operation.h"

namespace settings::settings_app {
struct PaneInputs;
}

namespace settings::panes::bluetooth {

using BackendHandle = std::shared_ptr<const BluetoothBackend>;

inline constexpr std::string_view kPairingThread = "orvo-bt-pairing";
inline constexpr std::string_view kConnectionThread = "orvo-bt-connect";
inline constexpr std::string_view kAdapterThread = "orvo-bt-adapter";
inline constexpr std::string_view kAnotherPairing = "Another Bluetooth pairing is in progress.";
inline constexpr std::string_view kDeviceGone = "Bluetooth device is no longer available.";

// What the pairing worker sends back.
struct PairingReply {
  std::string path;
  PairResult result;
};

// What a connection worker sends back: the Connect or Disconnect it carried out, the device's name
// when it started, and the result.
struct ConnectionReply {
  actions::BluetoothOperation operation;
  std::string name;
  Done result;
};

// The pairing worker's body: pairs, sends the result (dropped when the pane has gone) and wakes the
// interface loop.
void bluetooth_pair_worker(BackendHandle backend, std::string path, orvo_runtime::Sender<PairingReply> sender);
// A connection worker's body: connects or disconnects as the operation says, sends the result and
// wakes the interface loop. Setting up a link over the air may take seconds, so it never runs on
// the interface thread.
void bluetooth_connection_worker(BackendHandle backend, actions::BluetoothOperation operation, std::string name,
                                 orvo_runtime::Sender<ConnectionReply> sender);

// A request to the adapter worker.
struct AdapterRequest {
  struct Read {};  // the devices, power and discovery
  struct Refresh {};  // the devices; power and discovery only when the devices could be read
  struct SetPowered {
    bool enabled = false;
  };
  struct Discovery {
    bool stop = false;
  };
  struct Forget {
    std::string path, name;
  };
  struct Trust {
    std::string path, name;
    bool trusted = false;
    bool was_trusted = false;
  };
  struct Rename {
    std::string path, name, alias;
  };
  struct CancelPairing {
    std::string path, name;
  };
  using Kind = std::variant<Read, Refresh, SetPowered, Discovery, Forget, Trust, Rename, CancelPairing>;
  Kind kind;
};

// What the adapter worker read after a request; a value not read is none.
struct AdapterSnapshot {
  std::expected<std::vector<BluetoothDevice>, std::string> devices;
  std::optional<std::expected<bool, std::string>> powered;
  std::optional<std::expected<bool, std::string>> scanning;
};

// What the adapter worker sends back: the request, the call's result and the read after it.
struct AdapterAnswer {
  AdapterRequest request;
  Done done;
  std::optional<AdapterSnapshot> snapshot;
};

// The adapter worker's body for one request: makes the call, reads what it may have changed.
AdapterAnswer carry_out_adapter_request(const BluetoothBackend& backend, AdapterRequest request);

class BluetoothPane final : public PaneGlue {
 public:
  // A pane that reads the devices, power and discovery on the adapter worker; until they arrive it
  // shows none and off (and a failed read leaves it so).
  static BluetoothPane create(BackendHandle backend = std::make_shared<const BluetoothBackend>());
  BluetoothPane(BackendHandle backend, std::vector<BluetoothDevice> devices, bool powered, bool scanning);
  BluetoothPane(BluetoothPane&&) = default;
  ~BluetoothPane() override = default;

  BluetoothPane with_pane_operation(settings_app::PaneOperationCell cell) &&;
  BluetoothPane with_operation_status(settings_app::OperationStatusCell cell) &&;

  std::string_view type_name() const override { return "settings::panes::bluetooth::BluetoothPane"; }
  std::optional<orvo_ui::PaneDescriptor> pane_descriptor() override;
  // A pane not mounted by the shell works on the frame's document.
  void sync(orvo_ui::SyncContext& context) override;

  // What the view and the tests read.
  const std::vector<BluetoothDevice>& devices() const { return devices_; }
  const std::optional<std::string>& notice() const { return notice_; }
  const std::optional<std::string>& expanded() const { return expanded_; }
  const std::optional<std::string>& pending_forget() const { return pending_forget_; }
  const std::optional<std::string>& pairing() const { return pairing_; }
  bool powered() const { return powered_; }
  bool scanning() const { return scanning_; }
  // True while a request is on the adapter worker or a fresh read is due.
  bool busy() const { return adapter_rx_.has_value() || reread_wanted_; }

 protected:
  std::unique_ptr<orvo_ui::Widget> build_view() override;
  void sync_pane(orvo_doc::Document* document, orvo_ui::SyncContext& context) override;

 private:
  using BluetoothOperation = actions::BluetoothOperation;
  using ConnectionChannel = std::pair<orvo_runtime::Sender<ConnectionReply>, orvo_runtime::Receiver<ConnectionReply>>;

  BluetoothPane(BackendHandle backend, std::vector<BluetoothDevice> devices, bool powered, bool scanning,
                ConnectionChannel channel);

  // The steps of a pass, in order (bluetooth_sync.cpp).
  void take_pairing_reply(orvo_doc::Document& document);
  void take_connection_replies(orvo_doc::Document& document);
  void take_adapter_answer(orvo_doc::Document& document);
  void seed(orvo_doc::Document& document);
  void hand_over(orvo_doc::Document& document);
  void apply_power(orvo_doc::Document& document);
  void apply_discovery(orvo_doc::Document& document);
  void apply_refresh(orvo_doc::Document& document);
  void apply_device_actions(orvo_doc::Document& document);
  void settle_operation();

  void handle_pairing_reply(orvo_doc::Document& document, PairingReply reply);
  void start_pairing(orvo_doc::Document& document, const BluetoothDevice& device);
  // Starts the backend's `connect` or `disconnect` on a worker, unless the same one is under way.
  void change_connection(orvo_doc::Document& document, const BluetoothDevice& device, bool connect);
  void handle_connection_reply(orvo_doc::Document& document, ConnectionReply reply);
  void forget_device(orvo_doc::Document& document, const BluetoothDevice& device);
  // Asks for the devices, discovery and power to be read again on the adapter worker.
  void reload();
  // Starts `request` on the adapter worker; false (and nothing started) while it is busy.
  bool start_request(AdapterRequest::Kind request);
  void finish_request(orvo_doc::Document& document, AdapterAnswer answer);
  // Takes what a read found: the devices (or the notice why not), power and discovery.
  void take_snapshot(orvo_doc::Document& document, AdapterSnapshot snapshot);
  // Writes the keys the operation in hand asks for.
  void stage(orvo_doc::Document& document, const actions::BluetoothOperation& operation);
  // Seeds the keys of devices seen for the first time, and writes a device's trust and the power
  // into their keys when they changed, so a later pass never undoes a change made elsewhere.
  void track_devices(orvo_doc::Document& document);
  // Ends the operation in hand when it is `operation`; a text for any other is dropped.
  void publish_outcome(const BluetoothOperation& operation, PaneOutcome outcome);
  bool status_runs(const BluetoothOperation& operation) const;
  void set_notice(std::string text);

  BackendHandle backend_;
  std::vector<BluetoothDevice> devices_;
  std::optional<std::string> notice_;
  std::optional<std::string> expanded_;
  std::optional<std::string> pending_forget_;
  std::optional<std::string> pairing_;
  std::optional<orvo_runtime::Receiver<PairingReply>> pairing_rx_;
  orvo_runtime::Sender<ConnectionReply> connection_tx_;
  orvo_runtime::Receiver<ConnectionReply> connection_rx_;
  // The connections and disconnections under way.
  std::vector<actions::BluetoothOperation> connecting_;
  // The request on the adapter worker; a read is due once it is free; the operation in hand waits
  // for that read before its keys are written.
  std::optional<orvo_runtime::Receiver<AdapterAnswer>> adapter_rx_;
  bool reread_wanted_ = false;
  bool staging_ = false;
  bool first_read_done_ = false;
  PaneOperations<settings_app::PaneOperation> operations_;
  bool powered_ = false;
  bool scanning_ = false;
  bool attached_ = false;
  bool status_attached_ = false;
  bool needs_seeding_ = true;
  // The devices whose keys the document holds, with the trust last written into each; and the
  // power last written.
  std::map<std::string, bool, std::less<>> shown_trust_;
  bool shown_power_ = false;
};

// The rows of the devices, one per device in list order (bluetooth_rows.cpp).
std::vector<std::unique_ptr<orvo_ui::Widget>> bluetooth_device_rows(const BluetoothPane& pane,
                                                                    DocumentControls& controls);

// The pane table's line for the section.
std::unique_ptr<orvo_ui::Widget> bluetooth_pane(const settings_app::PaneInputs& inputs);

}  // namespace settings::panes::bluetooth
