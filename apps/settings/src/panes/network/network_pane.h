#pragma once
// The pane of the section "network". It mirrors the machine's networking (Wi-Fi networks, the
// wired link, saved profiles, radios, hotspot, mobile broadband, VPN connections, connectivity,
// diagnostics) and changes it only in its pass (`sync`): controls and handed-over operations write
// document keys, the pass compares them with what the pane knows of the machine, calls the
// platform, and writes a refused change back so the document converges to the machine's state.
// Each outcome is one sentence in `status_message`; an operation the shell handed over ends under
// its exact key. Blocking work runs on the workers of network_workers.h.
//
// Interface thread only; the secret buffers are shared with the view's fields and wiped on drop.
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "orvo_runtime/channel.h"
#include "orvo_secret/secret_buffer.h"
#include "panes/network/network_services.h"
#include "panes/network/network_workers.h"
#include "panes/pane_glue.h"
#include "panes/taken_operation.h"
#include "settings_app/operation_status.h"
#include "settings_app/pane_operation.h"
#include "settings_app/settings_app.h"

namespace settings::settings_app {
struct PaneInputs;
}

namespace settings::panes::network {

inline constexpr std::string_view kMobilePinField = "__mobile_pin";
inline constexpr std::string_view kEnterprisePasswordField = "__enterprise_password";
inline constexpr std::string_view kDefaultHotspotName = "Orvo Hotspot";
inline constexpr std::string_view kDefaultHotspotBand = "Automatic";

struct VpnConnectionRow {
  std::string name;
  bool active = false;
  bool operator==(const VpnConnectionRow&) const = default;
};

class NetworkPane final : public PaneGlue {
 public:
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
  void start_sim_unlock(std::optional<std::string> sim);
  void start_enterprise_wifi(os_actions::network::EnterpriseWifiConfiguration configuration);
  // Opens the CA chooser unless one is open.
  void start_ca_chooser();
  // The hotspot record from the name, the password buffer and the band label, validated.
  std::expected<os_actions::network::HotspotConfiguration, std::string> hotspot_configuration(
      std::string_view name, std::string_view band) const;

  // What the view and the tests read.
  const std::optional<std::string>& status_message() const { return status_message_; }
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
  void hand_over(orvo_doc::Document& document);
  void sync_wired_and_wifi(orvo_doc::Document& document);
  void sync_radio_actions(orvo_doc::Document& document);
  void sync_refresh(orvo_doc::Document& document);
  void sync_diagnostics(orvo_doc::Document& document);
  void sync_vpn_switches(orvo_doc::Document& document);
  void sync_saved_profiles(orvo_doc::Document& document);
  void sync_profile_shares(orvo_doc::Document& document);
  void settle_operation();

  // Reading the machine (network_pane.cpp).
  void read_profiles();
  // Takes a fresh list of saved profiles: their settings, and the pickers' selections kept while
  // their profiles remain.
  void use_profiles(std::vector<os_actions::network::SavedNetworkProfile> profiles);
  void read_vpn_connections();

  // Whether a switch change backed by `operation` may act: the pane is not attached to the shell's
  // status, or the status runs exactly this operation.
  bool operation_is_current(const NetworkOperation& operation) const;
  // Whether no operation runs at all.
  bool nothing_running() const;
  // Sets the status sentence, and ends the operation in hand when it is `operation`.
  void publish_outcome(const NetworkOperation& operation, PaneOutcome outcome);
  void set_status(std::string message);

  NetworkServices services_;
  PaneOperations<settings_app::PaneOperation> operations_;
  bool attached_ = false;
  bool status_attached_ = false;
  bool needs_seeding_ = true;
  std::optional<std::string> status_message_;

  std::vector<os_actions::network::WifiNetwork> wifi_networks_;
  bool wifi_enabled_ = true;
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
};

// The pane table's line for the section.
std::unique_ptr<orvo_ui::Widget> network_pane(const settings_app::PaneInputs& inputs);

}  // namespace settings::panes::network
