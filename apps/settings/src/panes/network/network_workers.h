#pragma once
// The network pane's blocking work, one short-lived named thread per job: joining a Wi-Fi network,
// sharing a saved profile with the user's certified devices, creating a mobile broadband profile,
// unlocking a SIM, connecting to an enterprise network and choosing a CA certificate. Each body
// makes at most two platform calls, sends exactly one reply (dropped when the pane has gone),
// wakes the interface loop and ends; the passphrase or PIN it was given is wiped when it ends.
#include <cstdint>
#include <optional>
#include <string>
#include <variant>

#include "orvo_runtime/channel.h"
#include "orvo_secret/secret_string.h"
#include "orvo_ui/wake.h"
#include "panes/network/network_services.h"

namespace settings::panes::network {

// Which job replied. A join is keyed by its SSID, a share by the profile's uuid (labelled by its
// name), so a share never ends a join of a network with the profile's name.
namespace job {
struct WifiJoin {
  std::string ssid;
  bool operator==(const WifiJoin&) const = default;
};
struct ProfileShare {
  std::string uuid;
  std::string name;
  bool operator==(const ProfileShare&) const = default;
};
struct MobileProfile {
  bool operator==(const MobileProfile&) const = default;
};
struct SimUnlock {
  bool operator==(const SimUnlock&) const = default;
};
struct EnterpriseWifi {
  bool operator==(const EnterpriseWifi&) const = default;
};
}  // namespace job
using NetworkJob = std::variant<job::WifiJoin, job::ProfileShare, job::MobileProfile, job::SimUnlock, job::EnterpriseWifi>;

// The job's name in sentences: the SSID, the profile's name, or the fixed label.
std::string job_label(const NetworkJob& job);

namespace outcome {
struct Failed {
  std::string error;
  bool operator==(const Failed&) const = default;
};
struct Connected {
  std::optional<std::string> detail;
  bool operator==(const Connected&) const = default;
};
struct PasswordNeeded {
  std::optional<std::string> reason;
  bool operator==(const PasswordNeeded&) const = default;
};
struct Sealed {
  bool operator==(const Sealed&) const = default;
};
struct Message {
  std::string text;
  bool operator==(const Message&) const = default;
};
}  // namespace outcome
using NetworkJobOutcome =
    std::variant<outcome::Failed, outcome::Connected, outcome::PasswordNeeded, outcome::Sealed, outcome::Message>;

struct NetworkJobReply {
  NetworkJob job;
  NetworkJobOutcome outcome;
  bool operator==(const NetworkJobReply&) const = default;
};

using ReplySender = orvo_runtime::Sender<NetworkJobReply>;
using ContinuityHandle = std::shared_ptr<const os_actions::continuity::WifiContinuityBackend>;

inline constexpr std::string_view kSealedNote = "Used the sealed password from your certified devices.";
inline constexpr std::string_view kSealNote = "Password sealed for your certified devices.";
inline constexpr std::string_view kNoSim = "No SIM is available";

// The continuity class of a network's security kind: 1 (personal) gives 0, 2 (SAE) gives 1,
// anything else 2, which is never looked up nor sealed.
std::uint8_t continuity_class(std::uint8_t kind);

struct WifiJoinRequest {
  std::string ssid;
  std::uint8_t kind = 0;
  std::optional<orvo_secret::SecretString> passphrase;
  // Try a passphrase sealed on the user's other devices instead of asking.
  bool lookup = false;
};

// The bodies, run on the calling thread (the start functions run them on a worker).
NetworkJobReply wifi_join_work(const os_actions::Dispatcher& dispatcher,
                               const os_actions::continuity::WifiContinuityBackend& continuity, WifiJoinRequest& request);
NetworkJobOutcome profile_share_work(const os_actions::continuity::WifiContinuityBackend& continuity,
                                     std::string_view uuid);

// Each starts its body on a named thread; a thread the system refuses is the error text.
Done start_wifi_join(ReplySender sender, std::shared_ptr<const os_actions::Dispatcher> dispatcher,
                     ContinuityHandle continuity, WifiJoinRequest request, orvo_ui::WakeHandle wake);
Done start_profile_share(ReplySender sender, ContinuityHandle continuity, job::ProfileShare share,
                         orvo_ui::WakeHandle wake);
Done start_mobile_profile(ReplySender sender, NetworkServices::CreateMobileProfile create, std::string name,
                          std::string apn, orvo_ui::WakeHandle wake);
Done start_sim_unlock(ReplySender sender, NetworkServices::UnlockSim unlock, std::optional<std::string> sim,
                      orvo_secret::SecretString pin, orvo_ui::WakeHandle wake);
Done start_enterprise_wifi(ReplySender sender, NetworkServices::ConnectEnterprise connect,
                           os_actions::network::EnterpriseWifiConfiguration configuration,
                           orvo_secret::SecretString password, orvo_ui::WakeHandle wake);
Done start_ca_chooser(orvo_runtime::Sender<CaChoice> sender, NetworkServices::ChooseCa choose, orvo_ui::WakeHandle wake);

}  // namespace settings::panes::network
