// The Continuity section of the settings file: any text gives a record or an error, never a crash;
// a record that reads keeps at most the audit limit and writes back to text that reads again to it.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "panes/device_mesh/continuity.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace settings::panes::device_mesh;
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  auto record = decode_continuity(text);
  if (!record) return 0;
  if (record->audit.size() > ContinuityPrivacy::kAuditLimit) std::abort();
  auto again = decode_continuity(orvo_json::encode(*record));
  if (!again || *again != *record) std::abort();
  return 0;
}
