// A quiet pass of the network pane (60 networks, 40 saved profiles, 10 VPNs, nothing changed):
// it must make no platform call and stay well under a frame (target: under 0.2 ms).
#include <benchmark/benchmark.h>

#include <atomic>
#include <fmt/format.h>

#include "panes/network/network_pane.h"

namespace {

namespace net = os_actions::network;
using settings::panes::network::NetworkPane;
using settings::panes::network::NetworkServices;

std::atomic<long> g_calls{0};

class CountingDispatcher final : public os_actions::Dispatcher {
 public:
  os_actions::DispatchResult set_wifi(bool) const override { return count(); }
  os_actions::DispatchResult set_wired(bool) const override { return count(); }
  os_actions::DispatchResult set_airplane_mode(bool) const override { return count(); }
  os_actions::DispatchResult set_hotspot(bool) const override { return count(); }
  os_actions::DispatchResult set_mobile_broadband(bool) const override { return count(); }
  os_actions::DispatchResult set_vpn_connection(std::string_view, bool) const override { return count(); }

 private:
  static os_actions::DispatchResult count() {
    ++g_calls;
    return {};
  }
};

NetworkServices busy_machine() {
  std::vector<net::WifiNetwork> networks;
  for (int i = 0; i < 60; ++i) networks.push_back({fmt::format("Network {}", i), i % 2 == 0, i == 0, 2, 1});
  std::vector<net::SavedNetworkProfile> profiles;
  for (int i = 0; i < 40; ++i) {
    profiles.push_back({fmt::format("Profile {}", i), fmt::format("{:08x}-0000-4000-8000-000000000000", i),
                        i % 4 == 0 ? "802-3-ethernet" : "802-11-wireless", true});
  }
  std::vector<net::VpnConnection> vpns;
  for (int i = 0; i < 10; ++i) vpns.push_back({fmt::format("VPN {}", i), fmt::format("vpn-{}", i), "vpn", i == 0});

  NetworkServices s;
  s.dispatcher = std::make_shared<CountingDispatcher>();
  s.continuity = std::make_shared<os_actions::continuity::WifiContinuityBackend>();
  s.list_wifi_networks = [networks] { ++g_calls; return networks; };
  s.get_wifi = [] { ++g_calls; return true; };
  s.get_wired = [] { ++g_calls; return net::WiredState{"eth0", "Wired", "10.0.0.2", true}; };
  s.get_radio_state = [] { ++g_calls; return net::RadioState{false, true, true, false, true, true}; };
  s.get_connectivity = [] { ++g_calls; return net::Connectivity::Full; };
  s.list_saved_network_profiles = [profiles] { ++g_calls; return profiles; };
  s.connection_profile_settings = [](std::string_view) {
    ++g_calls;
    net::ConnectionProfileSettings settings;
    settings.method_readable = "auto";
    settings.automatic = true;
    settings.proxy = std::optional<std::string>();
    return settings;
  };
  s.list_vpn_connections = [vpns] { ++g_calls; return vpns; };
  s.list_mobile_sims = [] { ++g_calls; return std::vector<os_actions::modem::MobileSim>{}; };
  s.list_hotspot_clients = [] { ++g_calls; return std::vector<net::HotspotClient>{}; };
  s.connection_diagnostics = [] { ++g_calls; return net::ConnectionDiagnostics{}; };
  s.set_network_autoconnect = [](std::string_view, bool) { ++g_calls; return settings::panes::network::Done{}; };
  s.forget_network_profile = [](std::string_view) { ++g_calls; return settings::panes::network::Done{}; };
  return s;
}

void BM_QuietNetworkPass(benchmark::State& state) {
  NetworkPane pane(busy_machine());
  orvo_doc::Document frame;
  orvo_ui::SyncContext context;
  context.document = &frame;
  pane.sync(context);  // seeds
  g_calls = 0;
  for (auto _ : state) {
    pane.sync(context);
  }
  if (g_calls != 0) state.SkipWithError("a quiet pass called the platform");
  state.counters["platform_calls"] = static_cast<double>(g_calls.load());
}
BENCHMARK(BM_QuietNetworkPass)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
