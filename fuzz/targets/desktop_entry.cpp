// A .desktop file: any text gives an application entry or none, never a crash; every kind its
// MIME types give is well formed and labelled.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "desktop_entry/desktop_entry.h"
#include "desktop_policy/resource_kind.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using desktop_policy::defaults::ResourceKind;
  const auto entry = desktop_entry::parse(std::string_view(reinterpret_cast<const char*>(data), size), "fuzz");
  if (!entry) return 0;
  if (entry->name.empty()) std::abort();
  for (std::string_view type : entry->mime_types) {
    if (type.empty()) std::abort();
    auto kind = type.starts_with("x-scheme-handler/") ? ResourceKind::scheme(type.substr(17)) : ResourceKind::mime(type);
    if (kind && ResourceKind::display_label(*kind).empty()) std::abort();
  }
  return 0;
}
