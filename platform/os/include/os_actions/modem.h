#pragma once
// Mobile broadband SIMs through the system's modem service (ModemManager on the system bus). Every
// call has a time limit and answers at once when the bus or the service is missing; errors are the
// reason in lower case, for callers that put words of their own before it.
#include <expected>
#include <string>
#include <string_view>
#include <vector>

#include "orvo_secret/secret_string.h"

namespace os_actions::modem {

struct MobileSim {
  std::string path;        // the SIM's object path: the identifier the other calls take
  std::string label;       // the operator's name, else the SIM identifier, else the path
  std::string identifier;  // the SIM identifier (ICCID), empty when the modem does not report it
  std::string modem;       // the object path of the modem holding it

  bool operator==(const MobileSim&) const = default;
};

// The SIMs of every modem, in the service's order.
std::expected<std::vector<MobileSim>, std::string> list_mobile_sims();

// Sends the PIN to the SIM over the system bus; the modem's own refusal ("Incorrect password")
// comes back as the error. A PIN is 4 to 8 digits.
std::expected<void, std::string> unlock_mobile_sim_on(std::string_view sim, const orvo_secret::SecretString& pin);

}  // namespace os_actions::modem
