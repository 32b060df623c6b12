#include "catalogues/action_builders.h"

#include "actions/contracts.h"
#include "actions/control_bindings.h"
#include "actions/handler_support.h"
#include "actions/operation_encoding.h"
#include "actions/section_address.h"
#include "actions/settings_action.h"
#include "catalogues/section_shell.h"
#include "orvo_actions/action_param.h"
#include "orvo_actions/action_constructors.h"

namespace settings::actions {

namespace {

orvo_actions::ActionSpec with_settings_contract(orvo_actions::ActionSpec spec) {
  // The settings contract is well formed, so attaching it cannot be refused.
  auto attached = orvo_actions::ActionSpec(spec).with_contract(settings_contract());
  return attached ? std::move(*attached) : std::move(spec);
}

}  // namespace

std::string_view section_kind(settings_app::SettingsSection section) {
  switch (section) {
    case settings_app::SettingsSection::DefaultApps: return "settings.default-apps";
    case settings_app::SettingsSection::ExternalAccounts: return "settings.accounts";
    case settings_app::SettingsSection::AgentModels: return "settings.agent-models";
    default: return kSectionKind;
  }
}

orvo_actions::Resource section_shell(settings_app::SettingsSection section) {
  return section_shell(section, section_kind(section));
}

orvo_actions::Resource section_shell(settings_app::SettingsSection section, std::string_view kind) {
  return orvo_actions::Resource::make(section_resource_id(section), std::string(kind), std::string(section.title()));
}

orvo_actions::ActionSpec setting_toggle_action(std::string id, std::string title, std::string key) {
  std::vector<orvo_actions::ActionParam> params;
  params.push_back(orvo_actions::ActionParam::boolean("value", "Whether this setting is on"));
  auto spec = orvo_actions::typed_setting_spec(
      std::move(id), std::move(title), "On or off", std::move(params),
      [key = std::move(key)](const orvo_actions::ActionArgs& args) {
        return encode_settings_action(SettingsAction::set_setting(key, handler_support::flag(args)));
      });
  return with_settings_contract(std::move(spec));
}

orvo_actions::ActionSpec setting_flip_action(std::string id, std::string_view key, bool current,
                                             std::string_view label) {
  std::string title = current ? "Turn off " : "Turn on ";
  title += label;
  auto spec = orvo_actions::flip_action_spec(
      std::move(id), std::move(title), encode_settings_action(SettingsAction::set_setting(key, !current)),
      [key = std::string(key)](bool value) { return encode_settings_action(SettingsAction::set_setting(key, value)); });
  return with_settings_contract(std::move(spec));
}

std::optional<orvo_actions::ActionBinding<bool>> bind_toggle(const orvo_actions::Resource& resource,
                                                             std::string_view action) {
  return toggle_binding(resource, action);
}

orvo_actions::Resource displays_resource_with(orvo_actions::ActionSpec action) {
  return section_shell(settings_app::SettingsSection::Displays).with_action(std::move(action));
}

orvo_actions::Resource display_output_resource(std::string_view connector, orvo_actions::ActionSpec action) {
  std::string id(kDisplayOutputPrefix);
  id += connector;
  return orvo_actions::Resource::make(std::move(id), std::string(kDisplayOutputKind), std::string(connector))
      .with_action(std::move(action));
}

}  // namespace settings::actions
