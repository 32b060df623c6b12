// What the enrolment and relay administration programs print: any text gives a candidate, a status
// answer or nothing, never a crash, and an accepted candidate's ids are safe on a command line.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "panes/device_mesh/home_peers.h"
#include "panes/device_mesh/pairing.h"

namespace {

bool safe_argument(std::string_view id) {
  if (id.empty() || id.front() == '-') return false;
  for (char c : id) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte <= 0x20 || byte == 0x7F) return false;
  }
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace settings::panes::device_mesh;
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  if (auto candidate = read_discovery_answer(text)) {
    if (!safe_argument(candidate->device_node_id) || !safe_argument(candidate->relay_service_node_id)) std::abort();
  }
  (void)read_home_peer_answer(text);
  return 0;
}
