// Model-provider configuration changes.
#include "settings_app/settings_app.h"

namespace settings::settings_app {

orvo_ui::InvokeAnswer SettingsApp::invoke_provider_operation(orvo_ui::OperationClass, std::string_view) {
  return orvo_ui::InvokeError{"provider configuration is not available"};
}

}  // namespace settings::settings_app
