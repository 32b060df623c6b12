// Without any bus, every network, modem and portal call answers its reason quickly.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <functional>

#include "orvo_portal/portal.h"
#include "os_actions/dispatcher.h"
#include "os_actions/modem.h"
#include "os_actions/network.h"
#include "temp_tree.h"

namespace {

using namespace std::chrono_literals;
using namespace os_actions::network;
using orvo_secret::SecretString;

class ScopedBus {
 public:
  ScopedBus(const char* name, const std::string& value) : name_(name) {
    if (const char* old = std::getenv(name)) saved_ = old;
    ::setenv(name, value.c_str(), 1);
  }
  ~ScopedBus() {
    if (saved_) ::setenv(name_, saved_->c_str(), 1);
    else ::unsetenv(name_);
  }

 private:
  const char* name_;
  std::optional<std::string> saved_;
};

template <typename T>
std::string error_of(const T& result) {
  if (result.has_value()) return {};
  if constexpr (std::is_same_v<typename T::error_type, runtime_portal_xdg::PortalError>) return result.error().text;
  else return result.error();
}

TEST(NetworkBareMachine, EveryCallFailsQuicklyWithItsReason) {
  os_actions_testing::TempTree tree;
  const std::string nowhere = "unix:path=" + (tree.root() / "no-bus").string();
  ScopedBus system("DBUS_SYSTEM_BUS_ADDRESS", nowhere);
  ScopedBus session("DBUS_SESSION_BUS_ADDRESS", nowhere);
  const os_actions::RealDispatcher dispatcher;
  const std::string ca = tree.write("ca.pem", "ca").string();

  const std::vector<std::pair<const char*, std::function<std::string()>>> calls{
      {"list_wifi_networks", [] { return error_of(list_wifi_networks()); }},
      {"request_wifi_scan", [] { return error_of(request_wifi_scan()); }},
      {"get_wifi", [] { return error_of(get_wifi()); }},
      {"set_wifi", [&] { return error_of(dispatcher.set_wifi(true)); }},
      {"set_wired", [&] { return error_of(dispatcher.set_wired(true)); }},
      {"get_radio_state", [] { return error_of(get_radio_state()); }},
      {"set_airplane_mode", [&] { return error_of(dispatcher.set_airplane_mode(true)); }},
      {"set_mobile_broadband", [&] { return error_of(dispatcher.set_mobile_broadband(true)); }},
      {"set_hotspot", [&] { return error_of(dispatcher.set_hotspot(true)); }},
      {"set_vpn_connection", [&] { return error_of(dispatcher.set_vpn_connection("Office", true)); }},
      {"connect_wifi", [&] { return error_of(dispatcher.connect_wifi("Home", SecretString("passphrase"))); }},
      {"get_connectivity", [] { return error_of(get_connectivity()); }},
      {"captive_portal_uri", [] { return error_of(captive_portal_uri()); }},
      {"list_saved_network_profiles", [] { return error_of(list_saved_network_profiles()); }},
      {"connection_profile_settings", [] { return error_of(connection_profile_settings("u")); }},
      {"set_network_autoconnect", [] { return error_of(set_network_autoconnect("u", true)); }},
      {"forget_network_profile", [] { return error_of(forget_network_profile("u")); }},
      {"configure_ipv4", [] { return error_of(configure_ipv4("u", {})); }},
      {"configure_connection_policy_patch", [] { return error_of(configure_connection_policy_patch("u", {})); }},
      {"list_vpn_connections", [] { return error_of(list_vpn_connections()); }},
      {"connection_diagnostics", [] { return error_of(connection_diagnostics()); }},
      {"create_mobile_profile", [] { return error_of(create_mobile_profile("Carrier", "internet")); }},
      {"connect_enterprise_wifi",
       [&] {
         return error_of(connect_enterprise_wifi({"Corp", "Corp", "alice", std::nullopt, ca, EapMethod::Peap, std::nullopt,
                                                  std::nullopt, std::nullopt},
                                                 SecretString("pw")));
       }},
      {"configure_hotspot", [] { return error_of(configure_hotspot({"Orvo Hotspot", SecretString("12345678"), 0})); }},
      {"list_hotspot_clients", [] { return error_of(list_hotspot_clients()); }},
      {"list_mobile_sims", [] { return error_of(os_actions::modem::list_mobile_sims()); }},
      {"unlock_mobile_sim_on",
       [] { return error_of(os_actions::modem::unlock_mobile_sim_on("/org/freedesktop/ModemManager1/SIM/0", SecretString("1234"))); }},
      {"FileChooser::open", [] { return error_of(runtime_portal_xdg::FileChooser::open("Choose")); }},
      {"OpenUri::open", [] { return error_of(runtime_portal_xdg::OpenUri::open("http://example.org/")); }},
  };
  for (const auto& [name, call] : calls) {
    const auto started = std::chrono::steady_clock::now();
    const std::string error = call();
    EXPECT_LT(std::chrono::steady_clock::now() - started, 500ms) << name;
    EXPECT_TRUE(error.starts_with("the system bus is not available") || error.starts_with("the session bus is not available"))
        << name << ": " << error;
  }
}

}  // namespace
