#include "settings_app/resource_paths.h"

#include "actions/section_address.h"
#include "catalogues/resource_tree.h"
#include "sidebar/lookups.h"

namespace settings::settings_app {

std::optional<SettingsSection> resource_owner(std::string_view id) {
  if (auto section = sidebar::section_for_resource_id(SIDEBAR_ORDER, id)) return section;
  for (const auto& [prefix, owner] : kResourcePrefixes) {
    if (id.starts_with(prefix)) return owner;
  }
  return std::nullopt;
}

orvo_actions::Resource light_root_resource() {
  auto root = orvo_actions::Resource::make(std::string(actions::kRootResourceId),
                                           std::string(actions::kRootResourceKind), "Settings");
  root.children.reserve(SIDEBAR_ORDER.size());
  for (const SettingsSection section : SIDEBAR_ORDER) root.children.push_back(actions::section_resource(section));
  return root;
}

std::optional<orvo_actions::Resource> resolve_resource(std::string_view id, const actions::SectionInputs& inputs) {
  if (id == actions::kRootResourceId) return light_root_resource();
  const std::optional<SettingsSection> owner = resource_owner(id);
  if (!owner) return std::nullopt;
  return actions::find_resource(actions::build_settings_actions(*owner, inputs), id);
}

std::optional<orvo_actions::Resource> open_section_resource(const orvo_actions::ActionAddress& address) {
  if (address.action != actions::kOpenSectionAction) return std::nullopt;
  const auto section = sidebar::section_for_resource_id(SIDEBAR_ORDER, address.resource);
  if (!section) return std::nullopt;
  return actions::section_resource(*section);
}

}  // namespace settings::settings_app
