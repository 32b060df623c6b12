// A launcher package's manifest: any text gives a manifest or an error, never a crash; an
// application id read is well formed and no list holds an empty item.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "launcher/manifest.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  namespace manifest = launcher::manifest;
  const auto read = manifest::parse_manifest(std::string_view(reinterpret_cast<const char*>(data), size));
  if (!read) {
    if (read.error().empty()) std::abort();
    return 0;
  }
  if (!read->app_id.empty() && !manifest::is_well_formed_id(read->app_id)) std::abort();
  for (const auto* list : {&read->file_extensions, &read->mime_types, &read->url_schemes}) {
    for (const auto& item : *list) {
      if (item.empty()) std::abort();
    }
  }
  for (const auto& point : read->entrypoints) {
    if (point.gui_bin && point.gui_bin->empty()) std::abort();
  }
  return 0;
}
