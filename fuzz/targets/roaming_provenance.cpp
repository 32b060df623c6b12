// The roaming provenance file: any text gives a provenance or an error, never a crash, and a
// provenance that reads writes back to text that reads again to the same provenance.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "settings_store/roaming_provenance.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using settings_store::roaming_provenance::RoamingProvenance;
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  auto provenance = orvo_json::decode<RoamingProvenance>(text);
  if (!provenance) return 0;
  const std::string once = orvo_json::encode(*provenance);
  auto again = orvo_json::decode<RoamingProvenance>(once);
  if (!again || *again != *provenance || orvo_json::encode(*again) != once) std::abort();
  return 0;
}
