// The device-local operation runner.
#include "settings_app/settings_app.h"

namespace settings::settings_app {

orvo_ui::StartAnswer SettingsApp::run_device_local(orvo_ui::OperationClass, std::string_view, std::string_view) {
  return orvo_ui::start::Rejected{"device-local settings commands are not available"};
}

std::optional<orvo_ui::OperationCompletion> SettingsApp::poll_device_local(const orvo_ui::RequestId&, bool) {
  return std::nullopt;
}

}  // namespace settings::settings_app
