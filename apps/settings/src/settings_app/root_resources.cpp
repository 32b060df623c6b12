// The root's answers about the application's resources.
#include "catalogues/queries/query_cache.h"
#include "catalogues/resource_tree.h"
#include "orvo_doc/document.h"
#include "preferences/preferences_file.h"
#include "settings_app/resource_paths.h"
#include "settings_app/settings_app.h"

namespace settings::settings_app {

std::vector<orvo_actions::Resource> SettingsApp::resources() {
  const orvo_doc::Document empty;
  return actions::settings_root_resource(settings_document_ ? *settings_document_ : empty, accounts_,
                                         actions::system_query_cache().queries());
}

std::optional<orvo_actions::Resource> SettingsApp::resource(std::string_view id) {
  const orvo_doc::Document empty;
  const preferences::Preferences preferences = preferences::load_preferences();
  return resolve_resource(id, {settings_document_ ? *settings_document_ : empty, preferences, accounts_,
                               actions::system_query_cache().queries()});
}

}  // namespace settings::settings_app
