// The update-policy file: any text gives a policy, and the policy one of the three schedule labels.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "panes/updates/update_policy.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  namespace updates = settings::panes::updates;
  const auto policy = updates::parse_update_policy(std::string_view(reinterpret_cast<const char*>(data), size));
  const std::string_view label = updates::schedule_label(policy);
  if (!updates::schedule_action(label)) std::abort();
  (void)updates::metered_downloads_allowed(policy);
  return 0;
}
