// bootc's status document: any bytes give an answer or nothing, never a crash, and every answer is
// bounded as the reader promises.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "orvo_runtime/text.h"
#include "panes/updates/bootc_status.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  namespace updates = settings::panes::updates;
  const std::string document = orvo_runtime::text::decode_utf8_lossy(
      std::string_view(reinterpret_cast<const char*>(data), size));
  (void)updates::staged_image(document);
  (void)updates::previous_image(document);
  if (const auto url = updates::documentation_url(document)) {
    if (url->size() > 512 || !url->starts_with("https://")) std::abort();
  }
  return 0;
}
