#include "panes/network/network_reading.h"

namespace settings::panes::network {

MachineReading read_machine(const NetworkServices& services, ReadingScope scope) {
  MachineReading reading;
  reading.scope = scope;
  reading.networks = services.list_wifi_networks();
  reading.profiles = services.list_saved_network_profiles();
  if (reading.profiles) {
    for (const auto& profile : *reading.profiles) {
      if (auto settings = services.connection_profile_settings(profile.uuid)) {
        reading.settings.insert_or_assign(profile.uuid, std::move(*settings));
      }
    }
  }
  if (scope == ReadingScope::NetworksAndProfiles) return reading;
  reading.wired = services.get_wired();
  reading.wifi = services.get_wifi();
  reading.radio = services.get_radio_state();
  reading.clients = services.list_hotspot_clients();
  reading.connectivity = services.get_connectivity();
  reading.vpns = services.list_vpn_connections();
  reading.sims = services.list_mobile_sims();
  return reading;
}

}  // namespace settings::panes::network
