#pragma once
// The pane of the section "network". It mirrors the machine's networking (Wi-Fi networks, the
// wired link, saved profiles, radios, hotspot, mobile broadband, VPN connections, connectivity,
// diagnostics) and changes it only in its pass (`sync`): controls and handed-over operations write
// document keys, the pass compares them with what the pane knows of the machine, calls the
// platform, and writes a refused change back so the document converges to the machine's state.
// Each outcome is one sentence in `status_message`; an operation the shell handed over ends under
// its exact key.
//
// Nothing in the pass waits for the machine: the first look at it, refreshes, switches and every
// other platform call run on short-lived workers (`call_on_worker`, and the jobs of
// network_workers.h), whose results come back over channels and are used in a later pass, which
// their wake starts. Until the first look has come back the page says so, and an operation handed
// over waits; an operation in hand ends once no call started for the page is still out.
//
// Interface thread only; the secret buffers are shared with the view's fields and wiped on drop.
#include <functional>
#include <map>
#include <memory>
#include <set>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "orvo_runtime/channel.h"
#include "orvo_secret/secret_buffer.h"
#include "panes/network/network_reading.h"
#include "panes/network/network_services.h"
#include "panes/network/network_workers.h"
#include "panes/workers/worker_start.h"
#include "panes/pane_glue.h"
#include "panes/pane_inputs.h"
#include "panes/taken_operation.h"
#include "panes/operation_status.h"
#include "panes/pane_operation.h"

namespace settings::settings_app {
struct PaneInputs;
}

namespace settings::panes::network {

inline constexpr std::string_view kMobilePinField = "__mobile_pin";
inline constexpr std::string_view kEnterprisePasswordField = "__enterprise_password";
inline constexpr std::string_view kDefaultHotspotName = "Orvo Hotspot";
inline constexpr std::string_view kDefaultHotspotBand = "Automatic";
inline constexpr std::string_view kEnterPinFirst = "Enter the SIM PIN first.";

class NetworkPane;

// What a worker's call gives back: applied to the pane and its document in the pass that takes it.
using MachineChange = std::function<void(NetworkPane&, orvo_doc::Document&)>;
struct MachineReply {
  std::string task;
  MachineChange apply;
};

struct VpnConnectionRow {
  std::string name;
  bool active = false;
  bool operator==(const VpnConnectionRow&) const = default;
};

class NetworkPane final : public PaneGlue {
 public:
  // Starts the first look at the machine on a worker.
  explicit NetworkPane(NetworkServices services = real_network_services());
  NetworkPane(NetworkPane&&) = default;
  ~NetworkPane() override;

  NetworkPane with_pane_operation(settings_app::PaneOperationCell cell) &&;
  NetworkPane with_operation_status(settings_app::OperationStatusCell cell) &&;

  std::string_view type_name() const override { return "settings::panes::network::NetworkPane"; }
  std::optional<orvo_ui::PaneDescriptor> pane_descriptor() override;
  // A pane not mounted by the shell works on the frame's document.
  void sync(orvo_ui::SyncContext& context) override;

  // Joins: does nothing while a join of the SSID is in flight; else records it, says
  // "Connecting to {}…" and starts the join worker.
  void connect_wifi(std::string_view ssid, std::uint8_t kind, std::optional<orvo_secret::SecretString> passphrase,
                    bool lookup);
  // Opens the password row of `ssid` (none: closes it), making its buffer and wiping the previous.
  void set_expanded_network(orvo_doc::Document& document, std::optional<std::string> ssid);
  // The other jobs; each reports through the pane's reply channel.
  void start_mobile_profile(std::string name, std::string apn);
  // An empty PIN is refused without calling the modem.
  void start_sim_unlock(std::optional<std::string> sim);
  void start_enterprise_wifi(os_actions::network::EnterpriseWifiConfiguration configuration);
  // Opens the CA chooser unless one is open.
  void start_ca_chooser();
  // The hotspot record from the name, the password buffer and the band label, validated.
  std::expected<os_actions::network::HotspotConfiguration, std::string> hotspot_configuration(
      std::string_view name, std::string_view band) const;

  // The page (rebuilt at every layout): ten cards, or a line saying the machine is being read.
  std::unique_ptr<orvo_ui::Widget> content();

  // What the view and the tests read.
  // Whether the first look at the machine has come back.
  bool loaded() const { return loaded_; }
  // Whether a call started for the page has not come back yet.
  bool calls_in_flight() const { return !tasks_.empty(); }
  const std::optional<std::string>& status_message() const { return status_message_; }
  bool advanced_open() const { return advanced_open_; }
  bool enterprise_editor_open() const { return enterprise_editor_open_; }
  bool hotspot_qr_shown() const { return hotspot_qr_shown_; }
  const std::string& hotspot_ssid() const { return hotspot_ssid_; }
  const std::string& hotspot_band() const { return hotspot_band_; }
  const std::vector<os_actions::modem::MobileSim>& mobile_sims() const { return mobile_sims_; }
  const std::vector<os_actions::network::WifiNetwork>& wifi_networks() const { return wifi_networks_; }
  const os_actions::network::WiredState& wired() const { return wired_; }
  const os_actions::network::RadioState& radio() const { return radio_; }
  bool wifi_enabled() const { return wifi_enabled_; }
  os_actions::network::Connectivity connectivity() const { return connectivity_; }
  const std::vector<os_actions::network::SavedNetworkProfile>& saved_profiles() const { return saved_profiles_; }
  const std::map<std::string, os_actions::network::ConnectionProfileSettings>& profile_settings() const {
    return profile_settings_;
  }
  const std::vector<VpnConnectionRow>& vpn_connections() const { return vpn_connections_; }
  const std::vector<os_actions::network::HotspotClient>& hotspot_clients() const { return hotspot_clients_; }
  const std::optional<os_actions::network::ConnectionDiagnostics>& diagnostics() const { return diagnostics_; }
  const std::optional<std::string>& expanded_network() const { return expanded_network_; }
  const std::vector<std::string>& joins_in_flight() const { return joins_in_flight_; }
  const std::optional<std::string>& selected_advanced_profile() const { return selected_advanced_profile_; }
  const std::optional<std::string>& selected_ipv4_profile() const { return selected_ipv4_profile_; }
  bool ca_chooser_open() const { return ca_chooser_.has_value(); }
  // A sender on the pane's reply channel, as the workers get one.
  ReplySender reply_sender() const { return *reply_sender_; }

  // The secret buffers: the fixed fields, the hotspot passphrase and the open row's password.
  const std::shared_ptr<orvo_secret::SecretBuffer>& secret_input(std::string_view field) const;
  const std::shared_ptr<orvo_secret::SecretBuffer>& hotspot_password() const { return hotspot_password_; }
  std::shared_ptr<orvo_secret::SecretBuffer> wifi_password(std::string_view ssid) const;

 protected:
  std::unique_ptr<orvo_ui::Widget> build_view() override;
  void sync_pane(orvo_doc::Document* document, orvo_ui::SyncContext& context) override;

 private:
  using NetworkOperation = actions::NetworkOperation;

  // The steps of a pass (network_sync.cpp).
  void take_ca_choice(orvo_doc::Document& document);
  void take_worker_replies(orvo_doc::Document& document);
  void handle_reply(orvo_doc::Document& document, NetworkJobReply reply);
  void seed(orvo_doc::Document& document);
  // The keys of saved profiles not seeded yet (their settings once they could be read).
  void seed_profiles(orvo_doc::Document& document);
  void hand_over(orvo_doc::Document& document);
  void sync_wired_and_wifi(orvo_doc::Document& document);
  void sync_radio_actions(orvo_doc::Document& document);
  void sync_refresh(orvo_doc::Document& document);
  void sync_diagnostics(orvo_doc::Document& document);
  void sync_vpn_switches(orvo_doc::Document& document);
  void sync_saved_profiles(orvo_doc::Document& document);
  void sync_profile_shares(orvo_doc::Document& document);
  void settle_operation();
  void take_machine_replies(orvo_doc::Document& document);

  // The editors and joins (network_editors.cpp), in the order the pass runs them.
  void sync_hotspot(orvo_doc::Document& document);
  void sync_profile_pickers(orvo_doc::Document& document);
  void sync_ipv4(orvo_doc::Document& document);
  void sync_mobile_profile(orvo_doc::Document& document);
  void sync_editor_toggles(orvo_doc::Document& document);
  void sync_policy(orvo_doc::Document& document);
  void sync_sim_unlock(orvo_doc::Document& document);
  void sync_enterprise(orvo_doc::Document& document);
  void sync_captive_portal(orvo_doc::Document& document);
  void sync_vpn_studio(orvo_doc::Document& document);
  void sync_expanded(orvo_doc::Document& document);
  void sync_connect_and_join(orvo_doc::Document& document);

  // The cards (network_view.cpp).
  std::unique_ptr<orvo_ui::Widget> internet_card();
  std::unique_ptr<orvo_ui::Widget> wifi_card();
  std::unique_ptr<orvo_ui::Widget> enterprise_card();
  std::unique_ptr<orvo_ui::Widget> wired_card();
  std::unique_ptr<orvo_ui::Widget> profiles_card();
  std::unique_ptr<orvo_ui::Widget> diagnostics_card();
  std::unique_ptr<orvo_ui::Widget> vpn_card();
  std::unique_ptr<orvo_ui::Widget> airplane_card();
  std::unique_ptr<orvo_ui::Widget> hotspot_card();
  std::unique_ptr<orvo_ui::Widget> mobile_card();
  // A masked field editing the secret buffer of `field`.
  std::unique_ptr<orvo_ui::Widget> secret_field(const std::shared_ptr<orvo_secret::SecretBuffer>& buffer,
                                                std::string_view id, std::string_view placeholder);

  // Runs `call` on a worker; its result is handed to `use` in a later pass. `task` names the call
  // while it is out (a switch is not flipped again while its call is out). A worker the system
  // refuses to start gives `use` that error at the next pass.
  template <typename Result>
  void call_on_worker(std::string task, std::function<Result()> call,
                      std::function<void(NetworkPane&, orvo_doc::Document&, Result)> use);
  bool task_running(std::string_view task) const { return tasks_.contains(task); }
  void start_reading(ReadingScope scope);
  void use_reading(orvo_doc::Document& document, MachineReading reading);

  // Takes a fresh list of saved profiles with their settings; the pickers' selections are kept
  // while their profiles remain.
  void use_profiles(std::vector<os_actions::network::SavedNetworkProfile> profiles,
                    std::map<std::string, os_actions::network::ConnectionProfileSettings> settings);
  void use_vpn_connections(std::vector<os_actions::network::VpnConnection> connections);

  // Whether a switch change backed by `operation` may act: the pane is not attached to the shell's
  // status, or the status runs exactly this operation.
  bool operation_is_current(const NetworkOperation& operation) const;
  // Whether no operation runs at all.
  bool nothing_running() const;
  // Sets the status sentence, and ends the operation in hand when it is `operation`.
  void publish_outcome(const NetworkOperation& operation, PaneOutcome outcome);
  void set_status(std::string message);

  std::shared_ptr<const NetworkServices> services_;
  PaneOperations<settings_app::PaneOperation> operations_;
  bool attached_ = false;
  bool status_attached_ = false;
  bool loaded_ = false;
  bool needs_seeding_ = true;
  std::set<std::string> seeded_profiles_;
  std::set<std::string> seeded_settings_;
  // Whether the operation in hand has been written into its key.
  bool hand_over_written_ = false;
  bool advanced_open_ = false;
  bool enterprise_editor_open_ = false;
  bool hotspot_qr_shown_ = false;
  std::optional<std::string> status_message_;

  std::vector<os_actions::network::WifiNetwork> wifi_networks_;
  bool wifi_enabled_ = true;
  // Whether `wifi_enabled_` was read from the service; a request then makes the call either way.
  bool wifi_known_ = true;
  bool wifi_call_forced_ = false;
  os_actions::network::WiredState wired_;
  os_actions::network::RadioState radio_;
  os_actions::network::Connectivity connectivity_ = os_actions::network::Connectivity::NotTested;
  std::vector<os_actions::network::SavedNetworkProfile> saved_profiles_;
  std::map<std::string, os_actions::network::ConnectionProfileSettings> profile_settings_;
  std::optional<std::string> selected_advanced_profile_;
  std::optional<std::string> selected_ipv4_profile_;
  std::vector<VpnConnectionRow> vpn_connections_;
  std::vector<os_actions::modem::MobileSim> mobile_sims_;
  std::vector<os_actions::network::HotspotClient> hotspot_clients_;
  std::optional<os_actions::network::ConnectionDiagnostics> diagnostics_;
  std::string hotspot_ssid_{kDefaultHotspotName};
  std::string hotspot_band_{kDefaultHotspotBand};

  std::shared_ptr<orvo_secret::SecretBuffer> hotspot_password_ = orvo_secret::SecretBuffer::make();
  std::shared_ptr<orvo_secret::SecretBuffer> mobile_pin_ = orvo_secret::SecretBuffer::make();
  std::shared_ptr<orvo_secret::SecretBuffer> enterprise_password_ = orvo_secret::SecretBuffer::make();
  // Per-SSID password buffers, apart from the fixed fields: an SSID may be any text.
  std::map<std::string, std::shared_ptr<orvo_secret::SecretBuffer>, std::less<>> wifi_passwords_;
  std::optional<std::string> expanded_network_;
  std::vector<std::string> joins_in_flight_;

  std::optional<ReplySender> reply_sender_;
  std::optional<orvo_runtime::Receiver<NetworkJobReply>> reply_receiver_;
  std::optional<orvo_runtime::Receiver<CaChoice>> ca_chooser_;
  std::optional<orvo_runtime::Sender<MachineReply>> machine_sender_;
  std::optional<orvo_runtime::Receiver<MachineReply>> machine_receiver_;
  // The calls out, by task name (one name may be out more than once).
  std::multiset<std::string, std::less<>> tasks_;
};

template <typename Result>
void NetworkPane::call_on_worker(std::string task, std::function<Result()> call,
                                 std::function<void(NetworkPane&, orvo_doc::Document&, Result)> use) {
  tasks_.insert(task);
  const auto reply = [task](std::function<void(NetworkPane&, orvo_doc::Document&, Result)> use, Result result) {
    return MachineReply{task, [use = std::move(use), result = std::move(result)](NetworkPane& pane,
                                                                                 orvo_doc::Document& document) {
                          use(pane, document, result);
                        }};
  };
  auto started = workers::start_worker(
      "network-call", [sender = *machine_sender_, call = std::move(call), use, reply]() mutable {
        (void)sender.send(reply(std::move(use), call()));
        orvo_ui::WakeHandle{}.wake();
      });
  if (!started) (void)machine_sender_->try_send(reply(std::move(use), Result(std::unexpected(started.error()))));
}

// The pane table's line for the section.
std::unique_ptr<orvo_ui::Widget> network_pane(const settings_app::PaneInputs& inputs);

}  // namespace settings::panes::network
