#include <algorithm>
#include <string>
#include <vector>

#include "actions/contracts.h"
#include "actions/setting_handlers.h"
#include "catalogues/live_children.h"
#include "catalogues/queries/installed_apps.h"
#include "catalogues/queries/list_queries.h"
#include "catalogues/section_catalogues.h"
#include "catalogues/section_shell.h"
#include "orvo_actions/action_param.h"
#include "orvo_actions/action_constructors.h"

namespace settings::actions {
namespace {

using desktop_policy::defaults::AppCandidate;
using desktop_policy::defaults::ResourceKind;

constexpr std::string_view kDefaultAppsKind = "settings.default-apps";
constexpr std::string_view kHandlerPrefix = "settings.default-app:";
constexpr std::string_view kHandlerKind = "settings.default-app-handler";

// "mime:text/html" is stored under "default_apps.mime.text/html".
std::string default_app_key(std::string_view kind) {
  std::string key = "default_apps.";
  key += kind;
  std::replace(key.begin(), key.end(), ':', '.');
  return key;
}

std::vector<std::string> all_kinds(const std::vector<AppCandidate>& candidates) {
  std::vector<std::string> kinds;
  for (const auto& candidate : candidates) kinds.insert(kinds.end(), candidate.handles.begin(), candidate.handles.end());
  std::sort(kinds.begin(), kinds.end());
  kinds.erase(std::unique(kinds.begin(), kinds.end()), kinds.end());
  return kinds;
}

// The choices of one kind: the labels of the applications that open it, in the candidates' order
// (name, then id), each application once. Labels are what the Apps & Files pane stores under the
// kind's setting and matches against its candidates; a bare application id there would be taken
// for an application that is no longer installed, and the choice would change nothing.
std::vector<std::string> handler_labels(const std::vector<AppCandidate>& candidates, std::string_view kind) {
  std::vector<std::string> ids;
  std::vector<std::string> labels;
  for (const auto& candidate : candidates) {
    if (!candidate.handles_kind(kind) || std::find(ids.begin(), ids.end(), candidate.id) != ids.end()) continue;
    ids.push_back(candidate.id);
    labels.push_back(panes::personal_apps::app_choice_label(candidate));
  }
  return labels;
}

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
  const auto candidates = panes::personal_apps::installed_gui_apps(inputs.queries.lists.desktop_apps());
  const auto kinds = all_kinds(candidates);
  const std::size_t count = std::min(kinds.size(), kMaxLiveChildren);
  for (std::size_t i = 0; i < count; ++i) {
    const std::string& kind = kinds[i];
    auto handlers = handler_labels(candidates, kind);
    if (handlers.empty()) continue;
    std::string key = default_app_key(kind);
    std::string current = current_text(inputs.document, key, handlers.front());
    resource.children.push_back(
        orvo_actions::Resource::make(std::string(kHandlerPrefix) + kind, std::string(kHandlerKind),
                                     ResourceKind::display_label(kind))
            .with_action(set_handler_action(std::move(key), std::move(handlers), std::move(current))));
  }
  return resource;
}

}  // namespace settings::actions
