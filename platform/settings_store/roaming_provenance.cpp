#include "settings_store/roaming_provenance.h"

#include "orvo_runtime/capped_read.h"
#include "settings_store/settings_path.h"

namespace settings_store::roaming_provenance {

std::expected<RoamingProvenance, std::string> RoamingProvenance::load_at(const std::filesystem::path& path) {
  auto text = orvo_runtime::read_capped(path, 1 << 20);
  if (!text) {
    if (text.error().kind == orvo_runtime::IoErrorKind::InvalidData) return std::unexpected(text.error().text);
    return std::unexpected("could not read " + path.string() + ": " + text.error().text);
  }
  auto provenance = orvo_json::decode<RoamingProvenance>(*text);
  if (!provenance) return std::unexpected(provenance.error().text());
  return std::move(*provenance);
}

std::optional<std::filesystem::path> path() { return config_path("roaming-provenance.json"); }

}  // namespace settings_store::roaming_provenance
