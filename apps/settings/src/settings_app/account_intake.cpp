// Account operations: the forms the accounts pane opens, removal, and the connection check.
#include "settings_app/settings_app.h"

namespace settings::settings_app {

orvo_ui::StartAnswer SettingsApp::start_account_operation(const orvo_ui::RequestId&, orvo_ui::OperationClass,
                                                          std::string_view) {
  return orvo_ui::start::Rejected{"account operations are not available"};
}

orvo_ui::InvokeAnswer SettingsApp::invoke_account_operation(orvo_ui::OperationClass, std::string_view) {
  return orvo_ui::Handled{false};
}

std::optional<orvo_ui::OperationCompletion> SettingsApp::poll_account_check(const orvo_ui::RequestId&, bool) {
  return std::nullopt;
}

}  // namespace settings::settings_app
