#pragma once
// A machine for the network pane in memory: its switches, lists and readings, the calls the pane
// made, and the calls it refuses.
#include <algorithm>
#include <condition_variable>
#include <map>
#include <memory>
#include <optional>
#include <mutex>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "panes/network/network_services.h"

namespace settings::panes::network::testing {

namespace net = os_actions::network;

struct FakeMachine {
  std::mutex lock;
  bool wifi = true;
  net::WiredState wired{"eth0", "Wired connection 1", "192.168.1.20", true};
  net::RadioState radio{false, true, true, false, true, true};
  std::vector<net::WifiNetwork> networks{{"Home", true, 1, 3, 1}, {"Cafe", false, 0, 2, 0}};
  std::vector<net::SavedNetworkProfile> profiles{{"Home", "1234567890ab", "802-11-wireless", true},
                                                 {"Wired connection 1", "abcdef01-2345", "802-3-ethernet", true}};
  std::vector<net::VpnConnection> vpns{{"Office", "vpn-uuid", "vpn", false}};
  std::vector<os_actions::modem::MobileSim> sims;
  net::Connectivity connectivity = net::Connectivity::Full;
  std::vector<net::HotspotClient> clients;
  // Per uuid, settings other than the default automatic ones; none: reading them fails.
  std::map<std::string, std::optional<net::ConnectionProfileSettings>> settings;
  // What the last calls were given.
  std::optional<net::Ipv4Settings> ipv4;
  std::optional<net::ConnectionPolicyPatch> patch;
  std::string hotspot_ssid;
  std::vector<std::optional<std::string>> studio_profiles;
  std::string unlocked_sim;
  std::vector<std::pair<std::string, bool>> joins;  // SSID, with a passphrase
  std::optional<net::EnterpriseWifiConfiguration> enterprise;
  // Call names ("set_wifi", "list_wifi_networks", …) that fail with "refused".
  std::set<std::string> refused;
  // Every call, in order.
  std::vector<std::string> calls;

  // While held, every call waits.
  bool held = false;
  std::condition_variable released;
  // The threads the calls ran on.
  std::set<std::thread::id> threads;

  void hold(bool on) {
    std::lock_guard guard(lock);
    held = on;
    released.notify_all();
  }

  Done act(const std::string& name) {
    std::unique_lock guard(lock);
    released.wait(guard, [&] { return !held; });
    threads.insert(std::this_thread::get_id());
    calls.push_back(name);
    if (refused.contains(name)) return std::unexpected(std::string("refused"));
    return {};
  }
  template <typename T>
  Reading<T> read(const std::string& name, const T& value) {
    if (auto done = act(name); !done) return std::unexpected(done.error());
    std::lock_guard guard(lock);
    return value;
  }
  std::size_t count(const std::string& name) {
    std::lock_guard guard(lock);
    return static_cast<std::size_t>(std::count(calls.begin(), calls.end(), name));
  }
};

class FakeDispatcher final : public os_actions::Dispatcher {
 public:
  explicit FakeDispatcher(std::shared_ptr<FakeMachine> machine) : machine_(std::move(machine)) {}
  os_actions::DispatchResult set_wifi(bool on) const override { return set("set_wifi", machine_->wifi, on); }
  os_actions::DispatchResult set_wired(bool on) const override { return set("set_wired", machine_->wired.enabled, on); }
  os_actions::DispatchResult set_airplane_mode(bool on) const override {
    return set_optional("set_airplane_mode", machine_->radio.airplane_mode, on);
  }
  os_actions::DispatchResult set_hotspot(bool on) const override {
    return set_optional("set_hotspot", machine_->radio.hotspot, on);
  }
  os_actions::DispatchResult set_mobile_broadband(bool on) const override {
    return set_optional("set_mobile_broadband", machine_->radio.mobile_broadband, on);
  }
  os_actions::DispatchResult set_vpn_connection(std::string_view, bool) const override {
    return machine_->act("set_vpn_connection");
  }
  os_actions::DispatchResult connect_wifi(std::string_view ssid,
                                          const std::optional<orvo_secret::SecretString>& passphrase) const override {
    {
      std::lock_guard guard(machine_->lock);
      machine_->joins.emplace_back(std::string(ssid), passphrase.has_value());
    }
    return machine_->act("connect_wifi");
  }

 private:
  os_actions::DispatchResult set(const std::string& name, bool& field, bool on) const {
    auto done = machine_->act(name);
    if (done) field = on;
    return done;
  }
  os_actions::DispatchResult set_optional(const std::string& name, std::optional<bool>& field, bool on) const {
    auto done = machine_->act(name);
    if (done) field = on;
    return done;
  }
  std::shared_ptr<FakeMachine> machine_;
};

inline NetworkServices fake_services(const std::shared_ptr<FakeMachine>& m) {
  NetworkServices s;
  s.dispatcher = std::make_shared<FakeDispatcher>(m);
  s.continuity = std::make_shared<os_actions::continuity::WifiContinuityBackend>();
  s.list_wifi_networks = [m] { return m->read("list_wifi_networks", m->networks); };
  s.request_wifi_scan = [m] { return m->act("request_wifi_scan"); };
  s.get_wifi = [m] { return m->read("get_wifi", m->wifi); };
  s.get_wired = [m] { return m->read("get_wired", m->wired); };
  s.get_radio_state = [m] { return m->read("get_radio_state", m->radio); };
  s.get_connectivity = [m] { return m->read("get_connectivity", m->connectivity); };
  s.list_saved_network_profiles = [m] { return m->read("list_saved_network_profiles", m->profiles); };
  s.connection_profile_settings = [m](std::string_view uuid) -> Reading<net::ConnectionProfileSettings> {
    net::ConnectionProfileSettings settings;
    settings.method_readable = "auto";
    settings.automatic = true;
    settings.dns = {"1.1.1.1", "9.9.9.9"};
    settings.proxy = std::optional<std::string>();
    settings.metered = net::Metered::Automatic;
    settings.mac_policy = net::MacPolicy::Stable;
    {
      std::lock_guard guard(m->lock);
      if (auto found = m->settings.find(std::string(uuid)); found != m->settings.end()) {
        if (!found->second) return std::unexpected(std::string("unreadable"));
        settings = *found->second;
      }
    }
    return m->read("connection_profile_settings", settings);
  };
  s.list_vpn_connections = [m] { return m->read("list_vpn_connections", m->vpns); };
  s.list_mobile_sims = [m] { return m->read("list_mobile_sims", m->sims); };
  s.list_hotspot_clients = [m] { return m->read("list_hotspot_clients", m->clients); };
  s.connection_diagnostics = [m] {
    net::ConnectionDiagnostics diagnostics;
    diagnostics.state = "connected";
    return m->read("connection_diagnostics", diagnostics);
  };
  s.set_network_autoconnect = [m](std::string_view, bool) { return m->act("set_network_autoconnect"); };
  s.forget_network_profile = [m](std::string_view) { return m->act("forget_network_profile"); };
  s.create_mobile_profile = [m](std::string_view, std::string_view) { return m->act("create_mobile_profile"); };
  s.unlock_mobile_sim_on = [m](std::string_view sim, const orvo_secret::SecretString&) {
    {
      std::lock_guard guard(m->lock);
      m->unlocked_sim = std::string(sim);
    }
    return m->act("unlock_mobile_sim_on");
  };
  s.connect_enterprise_wifi = [m](const net::EnterpriseWifiConfiguration& configuration, const orvo_secret::SecretString&) {
    {
      std::lock_guard guard(m->lock);
      m->enterprise = configuration;
    }
    return m->act("connect_enterprise_wifi");
  };
  s.configure_hotspot = [m](const net::HotspotConfiguration& configuration) {
    {
      std::lock_guard guard(m->lock);
      m->hotspot_ssid = configuration.ssid;
    }
    return m->act("configure_hotspot");
  };
  s.configure_ipv4 = [m](std::string_view, const net::Ipv4Settings& settings) {
    {
      std::lock_guard guard(m->lock);
      m->ipv4 = settings;
    }
    return m->act("configure_ipv4");
  };
  s.configure_connection_policy_patch = [m](std::string_view, const net::ConnectionPolicyPatch& patch) {
    {
      std::lock_guard guard(m->lock);
      m->patch = patch;
    }
    return m->act("configure_connection_policy_patch");
  };
  s.captive_portal_uri = [m] { return m->read("captive_portal_uri", std::string("http://portal.example/")); };
  s.open_uri = [m](std::string_view) { return m->act("open_uri"); };
  s.choose_ca_certificate = [] { return CaChoice(std::optional<std::string>()); };
  s.open_vpn_studio = [m](std::optional<std::string> profile) {
    {
      std::lock_guard guard(m->lock);
      m->studio_profiles.push_back(std::move(profile));
    }
    return m->act("open_vpn_studio");
  };
  return s;
}

}  // namespace settings::panes::network::testing
