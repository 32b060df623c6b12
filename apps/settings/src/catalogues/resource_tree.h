#pragma once
// The settings resource tree: the root "settings.root" with one resource per section beneath it, in
// the sidebar's order, each section opening with its "open" action. The tree is built afresh for
// every request; nothing of it is kept.
#include <array>
#include <optional>
#include <span>
#include <string_view>
#include <vector>

#include "catalogues/section_inputs.h"
#include "orvo_actions/resource.h"
#include "sections/sections.h"

namespace settings::actions {

inline constexpr std::string_view kRootResourceId = "settings.root";
inline constexpr std::string_view kRootResourceKind = "settings.root";

// The sections in the order the root lists them.
inline constexpr std::array<settings_app::SettingsSection::Value, settings_app::SettingsSection::kCount>
    kRootSectionOrder{
        settings_app::SettingsSection::Network,        settings_app::SettingsSection::Bluetooth,
        settings_app::SettingsSection::DevicesSync,    settings_app::SettingsSection::Sound,
        settings_app::SettingsSection::Displays,       settings_app::SettingsSection::MouseKeyboard,
        settings_app::SettingsSection::KeyboardShortcuts, settings_app::SettingsSection::Printers,
        settings_app::SettingsSection::Appearance,     settings_app::SettingsSection::Accessibility,
        settings_app::SettingsSection::Notifications,  settings_app::SettingsSection::DefaultApps,
        settings_app::SettingsSection::Storage,        settings_app::SettingsSection::Power,
        settings_app::SettingsSection::TimeDate,       settings_app::SettingsSection::Users,
        settings_app::SettingsSection::RegionFormats,  settings_app::SettingsSection::ExternalAccounts,
        settings_app::SettingsSection::AgentModels,    settings_app::SettingsSection::Permissions,
        settings_app::SettingsSection::Updates,        settings_app::SettingsSection::About,
    };

// The whole tree: a list holding the root only. The preferences are loaded from their file.
std::vector<orvo_actions::Resource> settings_root_resource(const orvo_doc::Document& document,
                                                           std::span<const ::accounts::Account> accounts,
                                                           const CatalogueQueries& queries = system_queries());

// One section with all its actions and children, "open" first.
orvo_actions::Resource build_settings_actions(settings_app::SettingsSection section, const SectionInputs& inputs);

// A section as the bindings of pane controls see it: built against an empty settings document, the
// given preferences and `offline_queries()`, so it asks the running system nothing.
orvo_actions::Resource offline_section(settings_app::SettingsSection section,
                                       const preferences::Preferences& preferences = {});

// The first resource of the tree, in depth-first pre-order, whose id equals `id` byte for byte.
std::optional<orvo_actions::Resource> find_resource(orvo_actions::Resource tree, std::string_view id);

}  // namespace settings::actions
