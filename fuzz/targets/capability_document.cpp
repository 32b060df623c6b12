// The workspace capability document: any text gives a document or an error, never a crash, and a
// document that reads writes back to text that reads again to the same document.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "collab_types/caps.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  auto document = collab_types::caps::decode_capability_document(text);
  if (!document) return 0;
  const std::string once = orvo_json::encode(*document);
  auto again = collab_types::caps::decode_capability_document(once);
  if (!again || *again != *document || orvo_json::encode(*again) != once) std::abort();
  return 0;
}
