// The provider configuration file: any text gives a configuration or an error, never a crash, and
// whatever reads writes back to text that reads again to the same configuration.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "agent_provider_config/provider_config.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  auto config = orvo_json::decode<agent_provider_config::ProviderConfig>(text);
  if (!config) return 0;
  const std::string once = orvo_json::encode(*config);
  auto again = orvo_json::decode<agent_provider_config::ProviderConfig>(once);
  if (!again || *again != *config || orvo_json::encode(*again) != once) std::abort();
  return 0;
}
