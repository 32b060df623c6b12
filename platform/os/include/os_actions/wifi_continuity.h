#pragma once
// Sharing Wi-Fi passphrases with the user's other certified devices. The exchange is one request
// and one reply. This system has no continuity broker yet, so `wifi_continuity_command` answers
// every request with an error; a client of a real broker replaces the backend without touching
// its callers.
#include <cstdint>
#include <expected>
#include <string>
#include <variant>

#include "orvo_secret/secret_string.h"

namespace os_actions::continuity {

// Is there a sealed passphrase for this network?
struct LookUp {
  std::string ssid;
  std::uint8_t continuity_class = 2;
};
// Seal this passphrase for the user's devices.
struct Seal {
  std::string ssid;
  orvo_secret::SecretString passphrase;
  std::uint8_t continuity_class = 2;
};
// Share a saved profile.
struct ShareProfile {
  std::string profile;
};
using WifiContinuityRequest = std::variant<LookUp, Seal, ShareProfile>;

struct Credential {
  orvo_secret::SecretString passphrase;
};
struct NoCredential {};
struct Done {
  std::string text;
};
struct Refused {
  std::string text;
};
// An error text when the exchange itself failed.
using WifiContinuityReply = std::expected<std::variant<Credential, NoCredential, Done, Refused>, std::string>;

inline constexpr const char* kUnavailable = "Wi-Fi continuity service is unavailable";

WifiContinuityReply wifi_continuity_command(const WifiContinuityRequest& request);

// Stateless; shared by the network pane and its workers, callable from any thread.
class WifiContinuityBackend {
 public:
  virtual ~WifiContinuityBackend() = default;
  // Forwards to `wifi_continuity_command`.
  virtual WifiContinuityReply command(const WifiContinuityRequest& request) const;
};

}  // namespace os_actions::continuity
