// The display configuration in force: any text must give a configuration or an error, never a
// crash; a configuration read must write back to text that reads the same, and checking it against
// outputs must end.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>
#include <vector>

#include "settings_store/display_config.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  namespace hw = settings_store::hardware;
  const auto config = hw::DisplayConfig::parse(std::string_view(reinterpret_cast<const char*>(data), size));
  if (!config) return 0;
  const auto again = hw::DisplayConfig::parse(config->to_json());
  if (!again || again->to_json() != config->to_json()) std::abort();
  const std::vector<hw::OutputCapabilities> outputs{{"eDP-1", {{1920, 1080, 60000}}, {"srgb"}, true, false},
                                                    {"DP-1", {{1920, 1080, 60000}}, {}, false, true}};
  if (const auto checked = config->validate_for(outputs); !checked) (void)hw::debug_string(checked.error());
  return 0;
}
