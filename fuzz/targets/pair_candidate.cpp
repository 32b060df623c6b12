// The enrolment program's discovery answer: any text gives a candidate or an error, never a crash,
// and a candidate that reads writes back to text that reads again to the same candidate.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "services/mesh_files.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  auto candidate = settings::panes::device_mesh::decode_pair_candidate(text);
  if (!candidate) return 0;
  auto again = settings::panes::device_mesh::decode_pair_candidate(orvo_json::encode(*candidate));
  if (!again || *again != *candidate) std::abort();
  return 0;
}
