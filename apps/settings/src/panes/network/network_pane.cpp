#include "panes/network/network_pane.h"

#include <algorithm>
#include <fmt/format.h>
#include <utility>

#include "orvo_log/log.h"
#include "orvo_ui/widgets/text.h"
#include "panes/network/network_keys.h"
#include "panes/pane_inputs.h"
#include "widget_support/layout_helpers.h"

namespace settings::panes::network {

namespace {

// Worker replies waiting for the next pass; a job that finds the queue full waits for room.
constexpr std::size_t kReplyCapacity = 256;

std::optional<std::string> first_uuid_of_kind(const std::vector<net::SavedNetworkProfile>& profiles,
                                              std::string_view kind) {
  for (const auto& profile : profiles) {
    if (profile.kind == kind) return profile.uuid;
  }
  return std::nullopt;
}

// The selection kept while its profile is still saved, else the first profile of the kind.
std::optional<std::string> keep_selection(const std::optional<std::string>& selected,
                                          const std::vector<net::SavedNetworkProfile>& profiles, std::string_view kind) {
  if (selected && std::any_of(profiles.begin(), profiles.end(), [&](const auto& profile) {
        return profile.uuid == *selected && profile.kind == kind;
      })) {
    return selected;
  }
  return first_uuid_of_kind(profiles, kind);
}

}  // namespace

NetworkPane::NetworkPane(NetworkServices services)
    : PaneGlue("NetworkPane", DirtyRule::AlwaysAskView),
      services_(std::make_shared<const NetworkServices>(std::move(services))) {
  auto [sender, receiver] = orvo_runtime::make_channel<NetworkJobReply>(kReplyCapacity);
  reply_sender_.emplace(std::move(sender));
  reply_receiver_.emplace(std::move(receiver));
  auto [machine_sender, machine_receiver] = orvo_runtime::make_channel<MachineReply>(kReplyCapacity);
  machine_sender_.emplace(std::move(machine_sender));
  machine_receiver_.emplace(std::move(machine_receiver));
  start_reading(ReadingScope::Everything);
}

NetworkPane::~NetworkPane() {
  // The view's fields may still hold these buffers: wipe the text now, whoever frees them later.
  for (auto* buffer : {&hotspot_password_, &mobile_pin_, &enterprise_password_}) {
    if (*buffer) (*buffer)->clear();
  }
  for (auto& [ssid, buffer] : wifi_passwords_) {
    if (buffer) buffer->clear();
  }
}

NetworkPane NetworkPane::with_pane_operation(settings_app::PaneOperationCell cell) && {
  operations_.attach_operation_cell(std::move(cell));
  attached_ = true;
  return std::move(*this);
}

NetworkPane NetworkPane::with_operation_status(settings_app::OperationStatusCell cell) && {
  operations_.attach_status_cell(std::move(cell));
  status_attached_ = true;
  return std::move(*this);
}

std::optional<orvo_ui::PaneDescriptor> NetworkPane::pane_descriptor() {
  return settings_app::section_descriptor(settings_app::SettingsSection::Network);
}

void NetworkPane::use_profiles(std::vector<net::SavedNetworkProfile> profiles,
                               std::map<std::string, net::ConnectionProfileSettings> settings) {
  saved_profiles_ = std::move(profiles);
  profile_settings_ = std::move(settings);
  selected_advanced_profile_ = keep_selection(selected_advanced_profile_, saved_profiles_, kWirelessKind);
  selected_ipv4_profile_ = keep_selection(selected_ipv4_profile_, saved_profiles_, kEthernetKind);
}

void NetworkPane::use_vpn_connections(std::vector<net::VpnConnection> connections) {
  vpn_connections_.clear();
  for (auto& connection : connections) vpn_connections_.push_back({std::move(connection.name), connection.active});
}

void NetworkPane::start_reading(ReadingScope scope) {
  call_on_worker<Reading<MachineReading>>(
      "read", [services = services_, scope]() -> Reading<MachineReading> { return read_machine(*services, scope); },
      [](NetworkPane& pane, orvo_doc::Document& document, Reading<MachineReading> reading) {
        if (reading) {
          pane.use_reading(document, std::move(*reading));
          return;
        }
        orvo_log::warn("network state could not be read", {{"error", reading.error()}});
        if (!pane.loaded_) {
          pane.loaded_ = true;
          pane.set_status("Could not read the network state: " + reading.error());
        }
      });
}

void NetworkPane::take_machine_replies(orvo_doc::Document& document) {
  while (true) {
    auto received = machine_receiver_->try_recv();
    auto* reply = std::get_if<MachineReply>(&received);
    if (!reply) return;
    if (auto found = tasks_.find(reply->task); found != tasks_.end()) tasks_.erase(found);
    reply->apply(*this, document);
    mark_structure_dirty();
  }
}

bool NetworkPane::operation_is_current(const NetworkOperation& operation) const {
  if (!status_attached_) return true;
  return operations_.status_cell().snapshot().is_running(handed_operation_key(settings_app::PaneOperation(operation)));
}

bool NetworkPane::nothing_running() const {
  return !std::holds_alternative<settings_app::OperationStatus::Running>(operations_.status_cell().snapshot());
}

void NetworkPane::set_status(std::string message) {
  status_message_ = std::move(message);
  mark_structure_dirty();
}

void NetworkPane::publish_outcome(const NetworkOperation& operation, PaneOutcome outcome) {
  set_status(outcome.message);
  const auto* in_hand = operations_.in_hand();
  if (!in_hand) return;
  const auto* handed = std::get_if<NetworkOperation>(&in_hand->operation());
  if (handed && *handed == operation) operations_.finish(std::move(outcome));
}

const std::shared_ptr<orvo_secret::SecretBuffer>& NetworkPane::secret_input(std::string_view field) const {
  return field == kMobilePinField ? mobile_pin_ : enterprise_password_;
}

std::shared_ptr<orvo_secret::SecretBuffer> NetworkPane::wifi_password(std::string_view ssid) const {
  const auto found = wifi_passwords_.find(ssid);
  return found == wifi_passwords_.end() ? nullptr : found->second;
}

void NetworkPane::set_expanded_network(orvo_doc::Document& document, std::optional<std::string> ssid) {
  if (ssid == expanded_network_) return;
  (void)document.put(object_, kExpandedKey, orvo_doc::ScalarValue::str(ssid.value_or("")));
  if (ssid && !wifi_passwords_.contains(*ssid)) wifi_passwords_.emplace(*ssid, orvo_secret::SecretBuffer::make());
  if (expanded_network_) {
    if (auto found = wifi_passwords_.find(*expanded_network_); found != wifi_passwords_.end()) {
      found->second->clear();
      wifi_passwords_.erase(found);
    }
  }
  expanded_network_ = std::move(ssid);
  mark_structure_dirty();
}

void NetworkPane::connect_wifi(std::string_view ssid, std::uint8_t kind, std::optional<orvo_secret::SecretString> passphrase,
                               bool lookup) {
  if (std::find(joins_in_flight_.begin(), joins_in_flight_.end(), ssid) != joins_in_flight_.end()) return;
  joins_in_flight_.emplace_back(ssid);
  set_status(fmt::format("Connecting to {}…", ssid));
  WifiJoinRequest request{std::string(ssid), kind, std::move(passphrase), lookup};
  if (auto started = start_wifi_join(*reply_sender_, services_->dispatcher, services_->continuity, std::move(request), {});
      !started) {
    (void)reply_sender_->try_send(NetworkJobReply{job::WifiJoin{std::string(ssid)}, outcome::Failed{started.error()}});
  }
}

void NetworkPane::start_mobile_profile(std::string name, std::string apn) {
  set_status("Creating mobile profile…");
  if (auto started = network::start_mobile_profile(*reply_sender_, services_->create_mobile_profile, std::move(name),
                                                   std::move(apn), {});
      !started) {
    (void)reply_sender_->try_send(NetworkJobReply{job::MobileProfile{}, outcome::Failed{started.error()}});
  }
}

void NetworkPane::start_sim_unlock(std::optional<std::string> sim) {
  orvo_secret::SecretString pin = mobile_pin_->take();
  // A wrong attempt uses up one of the SIM's few tries: an empty PIN is never sent.
  if (pin.empty()) {
    set_status(std::string(kEnterPinFirst));
    return;
  }
  set_status("Unlocking SIM…");
  if (auto started = network::start_sim_unlock(*reply_sender_, services_->unlock_mobile_sim_on, std::move(sim),
                                               std::move(pin), {});
      !started) {
    (void)reply_sender_->try_send(NetworkJobReply{job::SimUnlock{}, outcome::Failed{started.error()}});
  }
}

void NetworkPane::start_enterprise_wifi(net::EnterpriseWifiConfiguration configuration) {
  orvo_secret::SecretString password = enterprise_password_->take();
  set_status("Connecting to enterprise Wi-Fi…");
  if (auto started = network::start_enterprise_wifi(*reply_sender_, services_->connect_enterprise_wifi,
                                                    std::move(configuration), std::move(password), {});
      !started) {
    (void)reply_sender_->try_send(NetworkJobReply{job::EnterpriseWifi{}, outcome::Failed{started.error()}});
  }
}

void NetworkPane::start_ca_chooser() {
  if (ca_chooser_) return;
  auto [sender, receiver] = orvo_runtime::make_channel<CaChoice>(1);
  if (auto started = network::start_ca_chooser(std::move(sender), services_->choose_ca_certificate, {}); !started) {
    set_status(fmt::format("Could not choose certificate: {}", started.error()));
    return;
  }
  ca_chooser_.emplace(std::move(receiver));
}

std::expected<net::HotspotConfiguration, std::string> NetworkPane::hotspot_configuration(std::string_view name,
                                                                                         std::string_view band) const {
  net::HotspotConfiguration configuration;
  configuration.ssid = std::string(name);
  configuration.password = hotspot_password_->copy();
  configuration.band = band == "2.4 GHz" ? 1 : band == "5 GHz" ? 2 : 0;
  if (auto valid = configuration.validate(); !valid) return std::unexpected(std::move(valid.error()));
  return configuration;
}

std::unique_ptr<orvo_ui::Widget> NetworkPane::build_view() { return content(); }

std::unique_ptr<orvo_ui::Widget> network_pane(const settings_app::PaneInputs& inputs) {
  return std::make_unique<NetworkPane>(
      NetworkPane().with_pane_operation(inputs.pane_operation).with_operation_status(inputs.operation_status));
}

}  // namespace settings::panes::network
