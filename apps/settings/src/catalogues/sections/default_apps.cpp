#include <algorithm>
#include <string>
#include <vector>

#include "actions/contracts.h"
#include "actions/setting_handlers.h"
#include "catalogues/live_children.h"
#include "services/installed_apps.h"
#include "catalogues/queries/list_queries.h"
#include "catalogues/section_catalogues.h"
#include "catalogues/section_shell.h"
#include "orvo_actions/action_param.h"
#include "orvo_actions/action_constructors.h"

namespace settings::actions {
namespace {

using desktop_policy::defaults::AppCandidate;
using desktop_policy::defaults::DefaultAppResolver;
using desktop_policy::defaults::ResourceKind;

constexpr std::string_view kDefaultAppsKind = "settings.default-apps";
constexpr std::string_view kHandlerPrefix = "settings.default-app:";
constexpr std::string_view kHandlerKind = "settings.default-app-handler";

orvo_actions::ActionSpec set_handler_action(std::string key, std::vector<std::string> handlers, std::string current) {
  std::vector<orvo_actions::ActionParam> params;
  params.push_back(orvo_actions::ActionParam::text("choice", "Installed application").with_choices(std::move(handlers)));
  auto spec = orvo_actions::typed_setting_spec("set-handler", "Set default application",
                                               "Choose an installed application", std::move(params),
                                               setting_choice_handler(std::move(key), std::move(current)));
  // The settings contract is well formed, so attaching it cannot be refused.
  auto attached = orvo_actions::ActionSpec(spec).with_contract(settings_contract());
  return attached ? std::move(*attached) : std::move(spec);
}

}  // namespace

orvo_actions::Resource default_apps_resource(const SectionInputs& inputs) {
  auto resource = section_shell(settings_app::SettingsSection::DefaultApps, kDefaultAppsKind);
  namespace apps = panes::personal_apps;
  const auto candidates = apps::installed_gui_apps(inputs.queries.lists.launcher_packages(), inputs.queries.lists.desktop_apps());
  const auto kinds = apps::default_app_kinds(candidates);
  const auto personal = inputs.queries.lists.personal_defaults();
  const std::size_t count = std::min(kinds.size(), kMaxLiveChildren);
  for (std::size_t i = 0; i < count; ++i) {
    const std::string& kind = kinds[i];
    const auto choices = apps::candidates_for_kind(candidates, kind);
    if (choices.empty()) continue;
    // Labels are what the pane stores under the kind's setting.
    std::vector<std::string> handlers;
    for (const auto& choice : choices) handlers.push_back(apps::app_choice_label(choice));
    std::string key = apps::default_app_setting_key(kind);
    // Without a value in the document, the application that opens the kind now.
    const auto resolved = DefaultAppResolver::resolve(kind, candidates, personal);
    const AppCandidate* opener = resolved ? apps::chosen_candidate(choices, *resolved) : nullptr;
    std::string current = current_text(inputs.document, key, opener ? apps::app_choice_label(*opener) : handlers.front());
    resource.children.push_back(
        orvo_actions::Resource::make(std::string(kHandlerPrefix) + kind, std::string(kHandlerKind),
                                     ResourceKind::display_label(kind))
            .with_action(set_handler_action(std::move(key), std::move(handlers), std::move(current))));
  }
  return resource;
}

}  // namespace settings::actions
