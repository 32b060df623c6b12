#include "entry.h"

#include "actions/register.h"
#include "actions/setting_keeper.h"
#include "catalogues/queries/query_cache.h"
#include "settings_app/resource_paths.h"
#include "settings_app/settings_app.h"

namespace settings {

std::unique_ptr<orvo_ui::Widget> build_root_widget() { return settings_app::SettingsApp::make_default(); }

void register_actions(orvo_ui::App& app) {
  actions::register_settings_action(app.action_registry_mut());
  app.setting_keeper = actions::keep_setting_action;
  app.accepts_external_actions = true;
  app.lists_actions = true;
  // The catalogues the interface thread builds for an outside request read the slow queries from
  // the cache; the door's thread fills it first: every query for a listing, the owning section's for
  // an invocation (none for a resource no section owns).
  app.prepare_request = [](std::optional<std::string_view> resource) {
    if (!resource) {
      actions::system_query_cache().refresh(std::nullopt);
    } else if (auto owner = settings_app::resource_owner(*resource)) {
      actions::system_query_cache().refresh(*owner);
    }
  };
}

orvo_ui::WindowSize initial_window_size() { return {1280, 800}; }

// Every page lays out in the narrow list-or-page arrangement down to this size, with no word
// broken and no button pushed out of its card.
orvo_ui::WindowSize minimum_window_size() { return {480, 480}; }

orvo_ui::AppDescriptor make_descriptor() {
  orvo_ui::AppDescriptor d;
  d.app_id = kAppId;
  d.build_root = build_root_widget;
  d.register_actions = register_actions;
  d.initial_window_size = initial_window_size;
  d.minimum_window_size = minimum_window_size;
  d.allow_close = [] { return true; };
  d.persistence_opener = orvo_ui::persist::open;
  d.flags = {1, 0, 1, 1};
  return d;
}

}  // namespace settings
