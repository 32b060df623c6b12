#pragma once
// Resource paths: which section owns a resource id, and how an id is resolved to its resource.
//
// Ids the root understands: "settings.root"; "settings.section:" followed by a section id; and one
// of the prefixes of `kResourcePrefixes` followed by a key that only the owning section's builder
// gives meaning to. Every other id (of another application, "settings.preference:" ids) does not
// resolve here. Ids compare byte for byte: letter case matters.
#include <array>
#include <optional>
#include <string_view>

#include "catalogues/section_inputs.h"
#include "orvo_actions/address.h"
#include "orvo_actions/resource.h"
#include "sections/sections.h"

namespace settings::settings_app {

struct ResourcePrefix {
  std::string_view prefix;
  SettingsSection owner;
};

// Tried in this order; the first prefix the id begins with names the owner. No prefix is a prefix
// of another, so the order decides nothing today; it is kept fixed all the same.
inline constexpr std::array<ResourcePrefix, 18> kResourcePrefixes{{
    {"settings.default-app:", SettingsSection::DefaultApps},
    {"settings.account:", SettingsSection::ExternalAccounts},
    {"settings.notification-app:", SettingsSection::Notifications},
    {"settings.audio-output:", SettingsSection::Sound},
    {"settings.audio-input:", SettingsSection::Sound},
    {"settings.audio-device:", SettingsSection::Sound},
    {"settings.audio-playback:", SettingsSection::Sound},
    {"settings.audio-recording:", SettingsSection::Sound},
    {"settings.display-output:", SettingsSection::Displays},
    {"settings.input-source:", SettingsSection::MouseKeyboard},
    {"settings.bluetooth-device:", SettingsSection::Bluetooth},
    {"settings.printer:", SettingsSection::Printers},
    {"settings.print-job:", SettingsSection::Printers},
    {"settings.user:", SettingsSection::Users},
    {"settings.device-mesh-workspace:", SettingsSection::DevicesSync},
    {"settings.agent-model-recommendation:", SettingsSection::AgentModels},
    {"settings.agent-model:", SettingsSection::AgentModels},
    {"settings.agent-provider:", SettingsSection::AgentModels},
}};

// The section whose tree holds the id: the section whose resource id it is, else the owner of its
// prefix; none for "settings.root" and every id the root does not route.
std::optional<SettingsSection> resource_owner(std::string_view id);

// The root with the 22 light sections (id, kind, title and "open" only), in the sidebar's order.
// No section catalogue is built for it.
orvo_actions::Resource light_root_resource();

// The resource with the id: for "settings.root" the light root; otherwise the owning section is
// built in full (and only that section) and searched depth first. None when no section owns the id
// or the owner's tree does not hold it.
std::optional<orvo_actions::Resource> resolve_resource(std::string_view id, const actions::SectionInputs& inputs);

// The light resource of the section the address names, when its action is "open"; none otherwise.
std::optional<orvo_actions::Resource> open_section_resource(const orvo_actions::ActionAddress& address);

}  // namespace settings::settings_app
