#pragma once
// Turns a D-Bus failure into the words a sentence about a system service uses.
#include <string>
#include <string_view>

#include "orvo_dbus/connection.h"

namespace os_actions {

// "the network service is not running", or the bus's or the service's own explanation.
inline std::string describe_service_error(const orvo_dbus::Error& error, std::string_view service) {
  if (error.service_missing()) return std::string(service) + " is not running";
  return error.text();
}

}  // namespace os_actions
