#include "os_actions/wifi_continuity.h"

namespace os_actions::continuity {

WifiContinuityReply wifi_continuity_command(const WifiContinuityRequest&) { return std::unexpected(kUnavailable); }

WifiContinuityReply WifiContinuityBackend::command(const WifiContinuityRequest& request) const {
  return wifi_continuity_command(request);
}

}  // namespace os_actions::continuity
