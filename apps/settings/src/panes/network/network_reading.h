#pragma once
// One look at the machine's networking, taken on a worker: what the page opens with, what a
// refresh shows, and the lists read again after a join.
#include <map>
#include <string>
#include <vector>

#include "panes/network/network_services.h"

namespace settings::panes::network {

enum class ReadingScope {
  // Every list and state the page shows.
  Everything,
  // The networks in view and the saved profiles with their settings.
  NetworksAndProfiles,
};

struct MachineReading {
  ReadingScope scope = ReadingScope::Everything;
  Reading<std::vector<net::WifiNetwork>> networks;
  Reading<bool> wifi;
  Reading<net::WiredState> wired;
  Reading<net::RadioState> radio;
  Reading<net::Connectivity> connectivity;
  Reading<std::vector<net::SavedNetworkProfile>> profiles;
  // Per uuid, the settings of the profiles whose settings could be read.
  std::map<std::string, net::ConnectionProfileSettings> settings;
  Reading<std::vector<net::VpnConnection>> vpns;
  Reading<std::vector<os_actions::modem::MobileSim>> sims;
  Reading<std::vector<net::HotspotClient>> clients;
  // The scan a refresh asked for before reading.
  Done scan;
};

// Blocking: each call has its own time limit.
MachineReading read_machine(const NetworkServices& services, ReadingScope scope);

}  // namespace settings::panes::network
