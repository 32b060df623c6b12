// The paired home peer list: any text gives a list or an error, never a crash, and a list that
// reads writes back to text that reads again to the same list.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>
#include <vector>

#include "orvo_relay/protocol.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using Peers = std::vector<orvo_relay_protocol::home_peer::HomePeerRegistration>;
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  auto peers = orvo_json::decode<Peers>(text);
  if (!peers) return 0;
  for (const auto& peer : *peers) (void)orvo_relay_protocol::home_peer::valid_home_peer_label(peer.label);
  const std::string once = orvo_json::encode(*peers);
  auto again = orvo_json::decode<Peers>(once);
  if (!again || *again != *peers || orvo_json::encode(*again) != once) std::abort();
  return 0;
}
