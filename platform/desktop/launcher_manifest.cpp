#include "launcher/manifest.h"

#include <algorithm>
#include <fstream>
#include <system_error>

#include <nlohmann/json.hpp>

namespace launcher::manifest {
namespace {

using nlohmann::json;

std::string text_member(const json& object, const char* name) {
  const auto it = object.find(name);
  return it != object.end() && it->is_string() ? it->get<std::string>() : std::string();
}

// The non-empty texts of a list member, in order; anything else in it is passed over.
std::vector<std::string> text_list(const json& object, const char* name) {
  std::vector<std::string> items;
  const auto it = object.find(name);
  if (it == object.end() || !it->is_array()) return items;
  for (const auto& item : *it) {
    if (item.is_string() && !item.get_ref<const std::string&>().empty()) items.push_back(item.get<std::string>());
  }
  return items;
}

std::vector<Entrypoint> entrypoints(const json& object) {
  std::vector<Entrypoint> points;
  const auto it = object.find("entrypoints");
  if (it == object.end() || !it->is_array()) return points;
  for (const auto& item : *it) {
    if (!item.is_object()) continue;
    Entrypoint point{text_member(item, "kind"), std::nullopt};
    if (std::string gui = text_member(item, "gui_bin"); !gui.empty()) point.gui_bin = std::move(gui);
    points.push_back(std::move(point));
  }
  return points;
}

}  // namespace

bool is_well_formed_id(std::string_view id) {
  if (id.empty() || id.size() > kMaxIdBytes || id.front() == '.') return false;
  return std::all_of(id.begin(), id.end(), [](char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' || c == '.' ||
           c == '_';
  });
}

bool Manifest::has_gui() const {
  return std::any_of(entrypoints.begin(), entrypoints.end(), [](const Entrypoint& point) { return point.gui_bin; });
}

const Entrypoint* Manifest::gui_entrypoint(std::string_view kind) const {
  for (const auto& point : entrypoints) {
    if (point.kind == kind && point.gui_bin) return &point;
  }
  return nullptr;
}

std::expected<Manifest, std::string> parse_manifest(std::string_view text) {
  const json object = json::parse(text.begin(), text.end(), nullptr, false);
  if (object.is_discarded()) return std::unexpected("manifest is not valid JSON");
  if (!object.is_object()) return std::unexpected("manifest is not a JSON object");
  Manifest manifest;
  manifest.app_id = text_member(object, "app_id");
  if (!manifest.app_id.empty() && !is_well_formed_id(manifest.app_id)) {
    return std::unexpected("manifest has a malformed app_id");
  }
  manifest.name = text_member(object, "name");
  manifest.entrypoints = entrypoints(object);
  manifest.file_extensions = text_list(object, "file_extensions");
  manifest.mime_types = text_list(object, "mime_types");
  manifest.url_schemes = text_list(object, "url_schemes");
  return manifest;
}

std::expected<Manifest, std::string> read_manifest(const std::filesystem::path& package_dir) {
  const auto path = package_dir / kManifestFile;
  std::error_code ec;
  if (!std::filesystem::is_regular_file(path, ec)) return std::unexpected("no manifest file");
  const auto size = std::filesystem::file_size(path, ec);
  if (ec) return std::unexpected("could not read the manifest: " + ec.message());
  if (size > kMaxManifestBytes) return std::unexpected("manifest is too large");
  std::ifstream in(path, std::ios::binary);
  if (!in) return std::unexpected("could not open the manifest");
  std::string text(size, '\0');
  in.read(text.data(), static_cast<std::streamsize>(size));
  text.resize(static_cast<std::size_t>(in.gcount()));
  return parse_manifest(text);
}

}  // namespace launcher::manifest
