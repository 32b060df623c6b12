// The device fleet file: any text gives a fleet or an error, never a crash; a fleet that reads
// writes back to text that reads again to the same fleet, and checking its records never crashes.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "panes/device_mesh/fleet.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using settings::panes::device_mesh::StoredFleet;
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  auto fleet = orvo_json::decode<StoredFleet>(text);
  if (!fleet) return 0;
  for (const auto& cert : fleet->certificates) (void)orvo_user_identity::cert::verify_device_cert(cert);
  for (const auto& entry : fleet->revocations) (void)orvo_user_identity::revocation::verify_revocation_entry(entry);
  const std::string pretty = settings::panes::device_mesh::encode_fleet(*fleet);
  auto again = orvo_json::decode<StoredFleet>(pretty);
  if (!again || *again != *fleet) std::abort();
  return 0;
}
