#pragma once
// Network state read from the system's network service over D-Bus.
#include <expected>
#include <optional>
#include <string>

namespace os_actions::network {

// The wired link as the network pane shows it.
struct WiredState {
  std::optional<std::string> interface;   // absent: the machine has no wired device
  std::optional<std::string> connection;  // name of the active connection profile
  std::optional<std::string> ipv4;        // first IPv4 address, without prefix length
  bool enabled = false;                   // the link is being brought up or is up
};

// The wired device (an activated one first, else the first one the service lists).
std::expected<WiredState, std::string> get_wired();

}  // namespace os_actions::network
