#include "panes/updates/bootc_status.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <array>
#include <vector>

namespace settings::panes::updates {
namespace {

using Json = nlohmann::ordered_json;

constexpr std::size_t kUrlLimit = 512;
constexpr std::array<const char*, 5> kDocumentationKeys = {
    "org.opencontainers.image.documentation", "org.opencontainers.image.url", "org.opencontainers.image.source",
    "documentation", "releaseNotes"};

std::optional<Json> parse(std::string_view text) {
  Json document = Json::parse(text, nullptr, /*allow_exceptions=*/false);
  if (document.is_discarded()) return std::nullopt;
  return document;
}

// The member at the end of `path`, looking into objects only.
const Json* member(const Json& value, std::initializer_list<const char*> path) {
  const Json* current = &value;
  for (const char* key : path) {
    if (!current->is_object()) return nullptr;
    const auto found = current->find(key);
    if (found == current->end()) return nullptr;
    current = &*found;
  }
  return current;
}

std::optional<std::string> string_at(const Json& value, std::initializer_list<const char*> path) {
  const Json* found = member(value, path);
  if (found == nullptr || !found->is_string()) return std::nullopt;
  return found->get<std::string>();
}

// The entry at status.<which>; none when it is absent or null.
const Json* status_entry(const Json& document, const char* which) {
  const Json* entry = member(document, {"status", which});
  if (entry == nullptr || entry->is_null()) return nullptr;
  return entry;
}

bool qualifies_as_url(const Json& value) {
  if (!value.is_string()) return false;
  const auto& text = value.get_ref<const std::string&>();
  if (text.size() > kUrlLimit) return false;
  const auto scheme_end = text.find("://");
  return scheme_end != std::string::npos && std::string_view(text).substr(0, scheme_end) == "https";
}

}  // namespace

std::optional<std::string> staged_image(std::string_view status_document) {
  const auto document = parse(status_document);
  if (!document) return std::nullopt;
  const Json* staged = status_entry(*document, "staged");
  if (staged == nullptr) return std::nullopt;
  if (auto version = string_at(*staged, {"version"})) return version;
  if (auto image = string_at(*staged, {"image", "image", "image"})) return image;
  return "Update staged for next boot";
}

std::optional<std::string> previous_image(std::string_view status_document) {
  const auto document = parse(status_document);
  if (!document) return std::nullopt;
  const Json* rollback = status_entry(*document, "rollback");
  if (rollback == nullptr) return std::nullopt;
  if (auto image = string_at(*rollback, {"image", "image", "image"})) return image;
  if (auto version = string_at(*rollback, {"image", "version"})) return version;
  return "the previous image";
}

std::optional<std::string> documentation_url(std::string_view status_document) {
  const auto document = parse(status_document);
  if (!document) return std::nullopt;
  // Depth-first in document order, with an explicit stack so that deep nesting cannot exhaust ours:
  // an object's own labels are tried before anything nested in it.
  std::vector<const Json*> pending{&*document};
  while (!pending.empty()) {
    const Json* value = pending.back();
    pending.pop_back();
    if (value->is_object()) {
      for (const char* key : kDocumentationKeys) {
        const auto found = value->find(key);
        if (found != value->end() && qualifies_as_url(*found)) return found->get<std::string>();
      }
    }
    if (value->is_structured()) {
      const std::size_t first_child = pending.size();
      for (const auto& child : *value) pending.push_back(&child);
      std::reverse(pending.begin() + static_cast<std::ptrdiff_t>(first_child), pending.end());
    }
  }
  return std::nullopt;
}

}  // namespace settings::panes::updates
