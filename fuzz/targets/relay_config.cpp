// The relay configuration file: any text gives a configuration or an error with a text, never a
// crash.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "orvo_relay/config.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  auto config = orvo_relay_protocol::config::RelayConfig::parse(text, "relay.toml");
  if (!config && config.error().text.empty()) std::abort();
  if (config) config->remove_workspace(0);
  return 0;
}
