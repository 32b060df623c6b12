// The network pane's pass: chooser and worker replies, seeding, the handed-over operation, the
// switches, the VPN and saved-profile actions, diagnostics and refresh, and the end of the
// operation in hand.
#include <algorithm>
#include <fmt/format.h>
#include <utility>

#include "lib/settings_document.h"
#include "orvo_log/log.h"
#include "panes/document_controls.h"
#include "panes/network/network_keys.h"
#include "panes/network/network_pane.h"
#include <orvo_runtime/overloaded.h>

namespace settings::panes::network {

namespace {

using actions::NetworkOperation;
using orvo_doc::ScalarValue;

using orvo_runtime::Overloaded;

bool absent(const orvo_doc::Document& document, orvo_doc::ObjId object, std::string_view key) {
  auto value = document.get(object, key);
  return !value || !value->has_value();
}

void put_bool(orvo_doc::Document& document, orvo_doc::ObjId object, std::string_view key, bool value) {
  (void)lib::put_if_changed(document, object, key, ScalarValue::boolean(value));
}

void put_str_if_absent(orvo_doc::Document& document, orvo_doc::ObjId object, std::string_view key, std::string value) {
  if (absent(document, object, key)) (void)document.put(object, key, ScalarValue::str(std::move(value)));
}

void put_bool_if_absent(orvo_doc::Document& document, orvo_doc::ObjId object, std::string_view key, bool value) {
  if (absent(document, object, key)) put_bool(document, object, key, value);
}

// A text field's value, written only when absent, and kept as a Text object.
void seed_text(orvo_doc::Document& document, orvo_doc::ObjId object, std::string_view key, std::string value) {
  put_str_if_absent(document, object, key, std::move(value));
  (void)lib::ensure_text_object(document, object, key);
}

std::string join_list(const std::vector<std::string>& items) {
  std::string joined;
  for (const auto& item : items) {
    if (!joined.empty()) joined += ", ";
    joined += item;
  }
  return joined;
}

std::string on_off(bool enabled) { return enabled ? "enabled" : "disabled"; }

// The three radios, in the order the pass handles and seeds them.
struct Radio {
  std::optional<bool> net::RadioState::*field;
  std::string_view key;
  std::string_view word;
  std::string_view name;     // as a sentence begins with it
  std::string_view subject;  // as "Could not change …" takes it
  NetworkOperation (*operation)(bool);
  os_actions::DispatchResult (os_actions::Dispatcher::*set)(bool) const;
};
constexpr Radio kRadios[] = {
    {&net::RadioState::airplane_mode, kAirplaneModeKey, "airplane", "Airplane mode", "airplane mode",
     [](bool on) { return NetworkOperation(NetworkOperation::SetAirplaneMode{on}); },
     &os_actions::Dispatcher::set_airplane_mode},
    {&net::RadioState::hotspot, kHotspotKey, "hotspot", "Wi-Fi hotspot", "the Wi-Fi hotspot",
     [](bool on) { return NetworkOperation(NetworkOperation::SetHotspot{on}); }, &os_actions::Dispatcher::set_hotspot},
    {&net::RadioState::mobile_broadband, kMobileBroadbandKey, "mobile", "Mobile broadband", "mobile broadband",
     [](bool on) { return NetworkOperation(NetworkOperation::SetMobileBroadband{on}); },
     &os_actions::Dispatcher::set_mobile_broadband},
};

std::string wifi_sentence(bool enabled) { return fmt::format("Wi-Fi {}.", on_off(enabled)); }
std::string wired_sentence(bool enabled) { return fmt::format("Wired networking {}.", on_off(enabled)); }
std::string radio_sentence(const Radio& radio, bool enabled) { return fmt::format("{} {}.", radio.name, on_off(enabled)); }
std::string radio_failure(const Radio& radio, std::string_view error) {
  return fmt::format("Could not change {}: {}", radio.subject, error);
}

constexpr std::string_view kWiredUnavailable = "wired networking is unavailable on this device";
constexpr std::string_view kRadioUnreported = "its state is not reported";

}  // namespace

void NetworkPane::sync(orvo_ui::SyncContext& context) {
  if (!attached_ && own_document()) use_frame_document();
  PaneGlue::sync(context);
}

void NetworkPane::sync_pane(orvo_doc::Document* document, orvo_ui::SyncContext&) {
  if (!document) return;
  orvo_doc::Document& working = *document;
  take_machine_replies(working);
  take_ca_choice(working);
  take_worker_replies(working);
  hand_over(working);
  // Until the first look at the machine has come back there is nothing to compare with.
  if (!loaded_) return;
  if (needs_seeding_) {
    seed(working);
    hand_over(working);
  }
  sync_wired_and_wifi(working);
  sync_radio_actions(working);
  sync_vpn_switches(working);
  sync_saved_profiles(working);
  sync_profile_shares(working);
  sync_hotspot(working);
  sync_profile_pickers(working);
  sync_ipv4(working);
  sync_mobile_profile(working);
  sync_editor_toggles(working);
  sync_diagnostics(working);
  sync_policy(working);
  sync_sim_unlock(working);
  sync_enterprise(working);
  sync_captive_portal(working);
  sync_vpn_studio(working);
  sync_refresh(working);
  sync_expanded(working);
  sync_connect_and_join(working);
  settle_operation();
}

void NetworkPane::take_ca_choice(orvo_doc::Document& document) {
  if (!ca_chooser_) return;
  auto received = ca_chooser_->try_recv();
  if (auto* error = std::get_if<orvo_runtime::TryRecvError>(&received)) {
    if (*error == orvo_runtime::TryRecvError::Empty) return;
  } else {
    CaChoice& choice = std::get<CaChoice>(received);
    if (!choice) {
      set_status(fmt::format("Could not choose certificate: {}", choice.error()));
    } else if (*choice) {
      if (auto text = lib::ensure_text_object(document, object_, kEnterpriseCaKey)) {
        // The splice counts characters, not bytes.
        std::size_t characters = 0;
        for (unsigned char byte : document.text(*text).value_or("")) characters += (byte & 0xC0) != 0x80;
        (void)document.splice_text(*text, 0, characters, **choice);
      }
      set_status("CA certificate selected.");
    }
  }
  ca_chooser_.reset();
  mark_structure_dirty();
}

void NetworkPane::take_worker_replies(orvo_doc::Document& document) {
  while (true) {
    auto received = reply_receiver_->try_recv();
    auto* reply = std::get_if<NetworkJobReply>(&received);
    if (!reply) return;
    handle_reply(document, std::move(*reply));
  }
}

void NetworkPane::handle_reply(orvo_doc::Document& document, NetworkJobReply reply) {
  const std::string label = job_label(reply.job);
  const auto* join = std::get_if<job::WifiJoin>(&reply.job);
  if (join) std::erase(joins_in_flight_, join->ssid);
  std::visit(
      Overloaded{
          [&](outcome::Failed& failed) {
            orvo_log::warn("network pane operation failed",
                           {{"op", "network_job"}, {"network_job", label}, {"error", failed.error}});
            set_status(fmt::format("Could not configure {}: {}", label, failed.error));
          },
          [&](outcome::Connected& connected) {
            set_status(connected.detail ? fmt::format("Connected to {}. {}", label, *connected.detail)
                                        : fmt::format("Connected to {}.", label));
            start_reading(ReadingScope::NetworksAndProfiles);
            if (join) set_expanded_network(document, std::nullopt);
          },
          [&](outcome::PasswordNeeded& needed) {
            if (join) set_expanded_network(document, join->ssid);
            set_status(needed.reason
                           ? fmt::format("Enter the password for {}. Shared password unavailable: {}", label, *needed.reason)
                           : fmt::format("Enter the password for {}.", label));
          },
          [&](outcome::Sealed&) {
            set_status(fmt::format(
                "{} is sealed for your certified devices. Device-specific profile settings were not shared.", label));
          },
          [&](outcome::Message& message) { set_status(std::move(message.text)); },
      },
      reply.outcome);
  mark_structure_dirty();
}

void NetworkPane::seed(orvo_doc::Document& document) {
  put_bool_if_absent(document, object_, kWifiEnabledKey, wifi_enabled_);
  put_bool_if_absent(document, object_, kWiredEnabledKey, wired_.enabled);
  for (const Radio& radio : kRadios) {
    const std::optional<bool>& state = radio_.*radio.field;
    if (!state) break;
    put_bool_if_absent(document, object_, radio.key, *state);
  }
  for (const auto& vpn : vpn_connections_) {
    put_bool_if_absent(document, object_, vpn_key(vpn.name), vpn.active);
    put_bool(document, object_, vpn_studio_key(vpn.name), false);
  }
  for (std::string_view key : {kVpnStudioOpenKey, kHotspotApplyKey, kHotspotQrKey}) put_bool(document, object_, key, false);
  seed_text(document, object_, kHotspotSsidKey, hotspot_ssid_);
  put_str_if_absent(document, object_, kHotspotBandKey, hotspot_band_);
  const auto label_of = [&](const std::optional<std::string>& uuid) -> std::optional<std::string> {
    if (!uuid) return std::nullopt;
    for (const auto& profile : saved_profiles_) {
      if (profile.uuid == *uuid) return profile_label(profile);
    }
    return std::nullopt;
  };
  if (auto label = label_of(selected_advanced_profile_)) put_str_if_absent(document, object_, kAdvancedProfileKey, *label);
  if (auto label = label_of(selected_ipv4_profile_)) put_str_if_absent(document, object_, kIpv4ProfileKey, *label);
  for (std::string_view key : kSeededTextKeys) (void)lib::ensure_text_object(document, object_, key);
  for (std::string_view key : kSeededFalseKeys) put_bool(document, object_, key, false);
  put_str_if_absent(document, object_, kEnterpriseMethodKey, "PEAP");
  put_str_if_absent(document, object_, kEnterprisePhase2Key, "MSCHAPv2");
  if (!mobile_sims_.empty()) put_str_if_absent(document, object_, kMobileSimKey, mobile_sims_.front().label);
  seed_profiles(document);
  put_bool(document, object_, kRefreshKey, false);
  put_str_if_absent(document, object_, kExpandedKey, expanded_network_.value_or(""));
  needs_seeding_ = false;
}

void NetworkPane::seed_profiles(orvo_doc::Document& document) {
  for (const auto& profile : saved_profiles_) {
    // A profile first seen after the first reading (the service started later) is seeded then.
    if (seeded_profiles_.insert(profile.uuid).second) {
      put_bool(document, object_, autoconnect_key(profile.uuid), profile.autoconnect);
      put_bool(document, object_, forget_key(profile.uuid), false);
      put_bool(document, object_, share_key(profile.uuid), false);
    }
    const auto settings = profile_settings_.find(profile.uuid);
    if (settings == profile_settings_.end() || !seeded_settings_.insert(profile.uuid).second) continue;
    const net::ConnectionProfileSettings& read = settings->second;
    put_str_if_absent(document, object_, metered_key(profile.uuid),
                      std::string(metered_label(read.metered.value_or(net::Metered::Automatic))));
    put_str_if_absent(document, object_, mac_key(profile.uuid),
                      std::string(mac_policy_label(read.mac_policy.value_or(net::MacPolicy::Permanent))));
    if (read.proxy) seed_text(document, object_, proxy_key(profile.uuid), read.proxy->value_or(""));
    if (!read.method_readable) continue;
    put_bool_if_absent(document, object_, ipv4_key(profile.uuid, "automatic"), read.automatic);
    seed_text(document, object_, ipv4_key(profile.uuid, "address"), join_list(read.addresses));
    seed_text(document, object_, ipv4_key(profile.uuid, "gateway"), read.gateway.value_or(""));
    seed_text(document, object_, ipv4_key(profile.uuid, "dns"), join_list(read.dns));
    put_bool(document, object_, ipv4_key(profile.uuid, "apply"), false);
  }
}

void NetworkPane::hand_over(orvo_doc::Document& document) {
  if (!operations_.in_hand()) {
    hand_over_written_ = false;
    (void)operations_.take([](const settings_app::PaneOperation& operation) {
      return std::holds_alternative<NetworkOperation>(operation);
    });
  }
  // An operation taken before the page knows the machine waits; its key is written once.
  const auto* in_hand = operations_.in_hand();
  if (!in_hand || !loaded_ || needs_seeding_ || hand_over_written_) return;
  const auto* taken = std::get_if<NetworkOperation>(&in_hand->operation());
  if (!taken) return;
  hand_over_written_ = true;
  std::visit(Overloaded{
                 [&](const NetworkOperation::Refresh&) { put_bool(document, object_, kRefreshKey, true); },
                 [&](const NetworkOperation::SetWifiEnabled& op) {
                   put_bool(document, object_, kWifiEnabledKey, op.enabled);
                   // A Wi-Fi state that could not be read is not taken as the one asked for.
                   wifi_call_forced_ = !wifi_known_;
                 },
                 [&](const NetworkOperation::SetWiredEnabled& op) { put_bool(document, object_, kWiredEnabledKey, op.enabled); },
                 [&](const NetworkOperation::SetAirplaneMode& op) { put_bool(document, object_, kAirplaneModeKey, op.enabled); },
                 [&](const NetworkOperation::SetHotspot& op) { put_bool(document, object_, kHotspotKey, op.enabled); },
                 [&](const NetworkOperation::SetMobileBroadband& op) {
                   put_bool(document, object_, kMobileBroadbandKey, op.enabled);
                 },
                 [&](const NetworkOperation::RunDiagnostics&) { put_bool(document, object_, kDiagnosticsRunKey, true); },
             },
             static_cast<const NetworkOperation::variant&>(*taken));
}

void NetworkPane::sync_wired_and_wifi(orvo_doc::Document& document) {
  if (auto wanted = lib::read_bool(document, object_, kWifiEnabledKey);
      wanted && (*wanted != wifi_enabled_ || wifi_call_forced_) && !task_running("wifi")) {
    wifi_call_forced_ = false;
    const NetworkOperation operation = NetworkOperation::SetWifiEnabled{*wanted};
    if (!operation_is_current(operation)) {
      write_back(document, object_, kWifiEnabledKey, wifi_enabled_);
    } else {
      call_on_worker<Done>(
          "wifi", [dispatcher = services_->dispatcher, on = *wanted] { return dispatcher->set_wifi(on); },
          [operation, on = *wanted](NetworkPane& pane, orvo_doc::Document& document, Done done) {
            if (done) {
              pane.wifi_enabled_ = on;
              pane.wifi_known_ = true;
              pane.publish_outcome(operation, PaneOutcome::success(wifi_sentence(on)));
              return;
            }
            orvo_log::warn("network pane dispatch failed", {{"op", "set_wifi"}, {"error", done.error()}});
            write_back(document, pane.object_, kWifiEnabledKey, pane.wifi_enabled_);
            pane.publish_outcome(operation, PaneOutcome::failure("Could not change Wi-Fi power: " + done.error()));
          });
    }
  }
  auto wanted = lib::read_bool(document, object_, kWiredEnabledKey);
  if (!wanted || *wanted == wired_.enabled || task_running("wired")) return;
  const NetworkOperation operation = NetworkOperation::SetWiredEnabled{*wanted};
  // A wired switch flipped in the pane has no action of its own: it acts while nothing else runs.
  if (!wired_.interface || !(operation_is_current(operation) || nothing_running())) {
    write_back(document, object_, kWiredEnabledKey, wired_.enabled);
    return;
  }
  call_on_worker<Done>(
      "wired", [dispatcher = services_->dispatcher, on = *wanted] { return dispatcher->set_wired(on); },
      [operation, on = *wanted](NetworkPane& pane, orvo_doc::Document& document, Done done) {
        if (done) {
          pane.wired_.enabled = on;
          pane.publish_outcome(operation, PaneOutcome::success(wired_sentence(on)));
          return;
        }
        orvo_log::warn("network pane dispatch failed", {{"op", "set_wired"}, {"error", done.error()}});
        write_back(document, pane.object_, kWiredEnabledKey, pane.wired_.enabled);
        pane.publish_outcome(operation, PaneOutcome::failure("Could not change wired networking: " + done.error()));
      });
}

void NetworkPane::sync_radio_actions(orvo_doc::Document& document) {
  for (const Radio& radio : kRadios) {
    const std::optional<bool>& state = radio_.*radio.field;
    const std::string task = fmt::format("radio.{}", radio.word);
    if (!state || task_running(task)) continue;
    auto wanted = lib::read_bool(document, object_, radio.key);
    if (!wanted || *wanted == *state) continue;
    call_on_worker<Done>(
        task,
        [dispatcher = services_->dispatcher, set = radio.set, on = *wanted] { return ((*dispatcher).*set)(on); },
        [&radio, on = *wanted](NetworkPane& pane, orvo_doc::Document& document, Done done) {
          std::optional<bool>& state = pane.radio_.*radio.field;
          const NetworkOperation operation = radio.operation(on);
          if (done) {
            state = on;
            pane.publish_outcome(operation, PaneOutcome::success(radio_sentence(radio, on)));
            return;
          }
          orvo_log::warn("radio action failed", {{"op", std::string(radio.word)}, {"error", done.error()}});
          if (state) write_back(document, pane.object_, radio.key, *state);
          pane.publish_outcome(operation, PaneOutcome::failure(radio_failure(radio, done.error())));
        });
  }
}

void NetworkPane::sync_refresh(orvo_doc::Document& document) {
  if (!take_press(document, object_, kRefreshKey) || task_running("refresh")) return;
  call_on_worker<Reading<MachineReading>>(
      "refresh",
      [services = services_]() -> Reading<MachineReading> {
        Done scan = services->request_wifi_scan ? services->request_wifi_scan() : Done{};
        Reading<MachineReading> reading = read_machine(*services, ReadingScope::Everything);
        if (reading) reading->scan = std::move(scan);
        return reading;
      },
      [](NetworkPane& pane, orvo_doc::Document& document, Reading<MachineReading> reading) {
        const NetworkOperation operation = NetworkOperation::Refresh{};
        if (!reading) {
          pane.publish_outcome(operation, PaneOutcome::failure("Could not refresh network list: " + reading.error()));
          return;
        }
        if (!reading->scan) {
          orvo_log::warn("rescan failed", {{"op", "request_wifi_scan"}, {"error", reading->scan.error()}});
          pane.publish_outcome(operation, PaneOutcome::failure("Could not refresh network list: " + reading->scan.error()));
        } else if (reading->networks) {
          pane.publish_outcome(operation, PaneOutcome::success("Network list refreshed."));
        } else {
          orvo_log::warn("rescan failed", {{"op", "list_wifi_networks"}, {"error", reading->networks.error()}});
          pane.publish_outcome(operation,
                               PaneOutcome::failure("Could not refresh network list: " + reading->networks.error()));
        }
        pane.use_reading(document, std::move(*reading));
      });
}

void NetworkPane::use_reading(orvo_doc::Document& document, MachineReading reading) {
  const bool first = !loaded_;
  loaded_ = true;
  if (reading.networks) wifi_networks_ = std::move(*reading.networks);
  if (reading.profiles) {
    use_profiles(std::move(*reading.profiles), std::move(reading.settings));
    if (!needs_seeding_) seed_profiles(document);
  }
  if (reading.scope == ReadingScope::NetworksAndProfiles) return;
  if (first) {
    // What could not be read shows as off, absent or unknown; seeding writes the keys.
    wifi_enabled_ = reading.wifi.value_or(true);
    wifi_known_ = reading.wifi.has_value();
    wired_ = reading.wired.value_or(net::WiredState{});
    radio_ = reading.radio.value_or(net::RadioState{});
    connectivity_ = reading.connectivity.value_or(net::Connectivity::NotTested);
    use_vpn_connections(reading.vpns.value_or(std::vector<net::VpnConnection>{}));
    mobile_sims_ = reading.sims.value_or(std::vector<os_actions::modem::MobileSim>{});
    hotspot_clients_ = reading.clients.value_or(std::vector<net::HotspotClient>{});
    return;
  }
  // Every state read again is written into its key, so the next pass does not undo a change made
  // outside the pane; a switch whose own call is still out keeps what the person asked for.
  if (reading.wired) {
    wired_ = std::move(*reading.wired);
    if (!task_running("wired")) write_back(document, object_, kWiredEnabledKey, wired_.enabled);
  }
  if (reading.wifi) {
    wifi_enabled_ = *reading.wifi;
    wifi_known_ = true;
    if (!task_running("wifi")) write_back(document, object_, kWifiEnabledKey, wifi_enabled_);
  }
  if (reading.radio) {
    radio_ = std::move(*reading.radio);
    for (const Radio& each : kRadios) {
      const auto& state = radio_.*each.field;
      if (state && !task_running(fmt::format("radio.{}", each.word))) write_back(document, object_, each.key, *state);
    }
  }
  hotspot_clients_ = reading.clients.value_or(std::vector<net::HotspotClient>{});
  connectivity_ = reading.connectivity.value_or(net::Connectivity::NotTested);
  if (reading.sims) mobile_sims_ = std::move(*reading.sims);
  for (const auto& profile : saved_profiles_) {
    if (!task_running("autoconnect." + profile.uuid)) {
      write_back(document, object_, autoconnect_key(profile.uuid), profile.autoconnect);
    }
  }
  if (reading.vpns) use_vpn_connections(std::move(*reading.vpns));
  for (const auto& vpn : vpn_connections_) {
    if (!task_running("vpn." + vpn.name)) write_back(document, object_, vpn_key(vpn.name), vpn.active);
  }
}

void NetworkPane::sync_diagnostics(orvo_doc::Document& document) {
  if (!take_press(document, object_, kDiagnosticsRunKey) || task_running("diagnostics")) return;
  call_on_worker<Reading<net::ConnectionDiagnostics>>(
      "diagnostics", [services = services_] { return services->connection_diagnostics(); },
      [](NetworkPane& pane, orvo_doc::Document&, Reading<net::ConnectionDiagnostics> diagnostics) {
        const NetworkOperation operation = NetworkOperation::RunDiagnostics{};
        if (diagnostics) {
          pane.diagnostics_ = std::move(*diagnostics);
          pane.publish_outcome(operation, PaneOutcome::success("Network diagnostics completed."));
        } else {
          pane.publish_outcome(operation, PaneOutcome::failure("Diagnostics unavailable: " + diagnostics.error()));
        }
      });
}

void NetworkPane::sync_vpn_switches(orvo_doc::Document& document) {
  for (const auto& vpn : vpn_connections_) {
    const std::string key = vpn_key(vpn.name);
    const std::string task = "vpn." + vpn.name;
    auto wanted = lib::read_bool(document, object_, key);
    if (!wanted || *wanted == vpn.active || task_running(task)) continue;
    call_on_worker<Done>(
        task,
        [dispatcher = services_->dispatcher, name = vpn.name, on = *wanted] {
          return dispatcher->set_vpn_connection(name, on);
        },
        [name = vpn.name, on = *wanted](NetworkPane& pane, orvo_doc::Document& document, Done done) {
          auto row = std::find_if(pane.vpn_connections_.begin(), pane.vpn_connections_.end(),
                                  [&](const VpnConnectionRow& each) { return each.name == name; });
          if (done) {
            if (row != pane.vpn_connections_.end()) row->active = on;
            return;
          }
          orvo_log::warn("VPN action failed", {{"action", "set_vpn_connection"}, {"error", done.error()}});
          if (row != pane.vpn_connections_.end()) write_back(document, pane.object_, vpn_key(name), row->active);
        });
  }
}

void NetworkPane::sync_saved_profiles(orvo_doc::Document& document) {
  for (const auto& profile : saved_profiles_) {
    const std::string key = autoconnect_key(profile.uuid);
    const std::string task = "autoconnect." + profile.uuid;
    if (auto wanted = lib::read_bool(document, object_, key);
        wanted && *wanted != profile.autoconnect && !task_running(task)) {
      call_on_worker<Done>(
          task,
          [services = services_, uuid = profile.uuid, on = *wanted] {
            return services->set_network_autoconnect(uuid, on);
          },
          [uuid = profile.uuid, name = profile.name, on = *wanted](NetworkPane& pane, orvo_doc::Document& document,
                                                                   Done done) {
            auto saved = std::find_if(pane.saved_profiles_.begin(), pane.saved_profiles_.end(),
                                      [&](const auto& each) { return each.uuid == uuid; });
            if (done) {
              if (saved != pane.saved_profiles_.end()) saved->autoconnect = on;
              return;
            }
            pane.set_status(fmt::format("Could not update {}: {}", name, done.error()));
            if (saved != pane.saved_profiles_.end()) {
              write_back(document, pane.object_, autoconnect_key(uuid), saved->autoconnect);
            }
          });
    }
    if (!take_press(document, object_, forget_key(profile.uuid)) || task_running("forget." + profile.uuid)) continue;
    call_on_worker<Done>(
        "forget." + profile.uuid,
        [services = services_, uuid = profile.uuid] { return services->forget_network_profile(uuid); },
        [uuid = profile.uuid, name = profile.name](NetworkPane& pane, orvo_doc::Document&, Done done) {
          if (!done) {
            pane.set_status(fmt::format("Could not forget {}: {}", name, done.error()));
            return;
          }
          std::erase_if(pane.saved_profiles_, [&](const auto& saved) { return saved.uuid == uuid; });
          pane.profile_settings_.erase(uuid);
          pane.set_status(fmt::format("Forgot {}.", name));
        });
  }
}

void NetworkPane::sync_profile_shares(orvo_doc::Document& document) {
  for (const auto& profile : saved_profiles_) {
    if (profile.kind != kWirelessKind || !take_press(document, object_, share_key(profile.uuid))) continue;
    set_status(fmt::format("Sealing {} for your devices…", profile.name));
    job::ProfileShare share{profile.uuid, profile.name};
    if (auto started = start_profile_share(*reply_sender_, services_->continuity, share, {}); !started) {
      (void)reply_sender_->try_send(NetworkJobReply{std::move(share), outcome::Failed{started.error()}});
    }
  }
}

void NetworkPane::settle_operation() {
  const auto* in_hand = operations_.in_hand();
  if (!in_hand || !hand_over_written_ || !tasks_.empty()) return;
  const auto* operation = std::get_if<NetworkOperation>(&in_hand->operation());
  if (!operation) return;
  // Nothing in the pass changed anything for it: the machine is already as asked, or it cannot be.
  const PaneOutcome settled = std::visit(
      Overloaded{
          [](const NetworkOperation::Refresh&) { return PaneOutcome::success("Network list refreshed."); },
          [](const NetworkOperation::RunDiagnostics&) { return PaneOutcome::success("Network diagnostics completed."); },
          [](const NetworkOperation::SetWifiEnabled& op) { return PaneOutcome::success(wifi_sentence(op.enabled)); },
          [&](const NetworkOperation::SetWiredEnabled& op) {
            if (!wired_.interface) {
              return PaneOutcome::failure(fmt::format("Could not change wired networking: {}", kWiredUnavailable));
            }
            return PaneOutcome::success(wired_sentence(op.enabled));
          },
          [&](const auto& op) {
            const Radio& radio = *std::find_if(std::begin(kRadios), std::end(kRadios), [&](const Radio& each) {
              return each.operation(op.enabled) == NetworkOperation(op);
            });
            if (!(radio_.*radio.field)) return PaneOutcome::failure(radio_failure(radio, kRadioUnreported));
            return PaneOutcome::success(radio_sentence(radio, op.enabled));
          },
      },
      static_cast<const NetworkOperation::variant&>(*operation));
  publish_outcome(*operation, settled);
}

}  // namespace settings::panes::network
