// How operations addressed to the application are routed: effect operations of the local kinds go to
// the device-local runner, account operations to the account intake, and everything else to the
// shell's panes first and then to the root's own operations (navigation, update review, providers,
// account forms).
#include <algorithm>
#include <array>
#include <string_view>

#include "actions/operation_payload.h"
#include "orvo_json/json.h"
#include "actions/system_operations.h"
#include "settings_app/settings_app.h"

namespace settings::settings_app {

namespace {

using orvo_ui::OperationClass;

constexpr std::string_view kOpenPaneKind = "settings.open-pane";
constexpr std::string_view kAccountOperationKind = "settings.account-operation";
constexpr std::string_view kUpdateOperationKind = "settings.update-operation";
constexpr std::string_view kAgentProviderOperationKind = "settings.agent-provider-operation";

constexpr std::array<std::string_view, 14> kLocalKinds{
    "settings.update-operation",      "settings.keyboard-source-operation", "settings.input-operation",
    "settings.time-date-operation",   "settings.power-operation",           "settings.network-operation",
    "settings.bluetooth-operation",   "settings.storage-operation",         "settings.audio-operation",
    "settings.display-operation",     "settings.printer-operation",         "settings.user-operation",
    "settings.agent-model-operation", "settings.device-mesh-operation",
};

bool is_local_kind(std::string_view kind) {
  return std::find(kLocalKinds.begin(), kLocalKinds.end(), kind) != kLocalKinds.end();
}

}  // namespace

orvo_ui::StartAnswer SettingsApp::start_resource_operation_with_document(const orvo_ui::RequestId& id,
                                                                         OperationClass cls, std::string_view kind,
                                                                         std::string_view payload,
                                                                         orvo_doc::Document* document) {
  if (cls == OperationClass::Effect && is_local_kind(kind)) {
    orvo_ui::StartAnswer answer = run_device_local(cls, kind, payload);
    if (std::holds_alternative<orvo_ui::start::InFlight>(answer)) {
      operation_running_ = true;
      running_operation_id_ = id;
    }
    return answer;
  }
  if (kind != kAccountOperationKind) return start_resource_operation(id, cls, kind, payload, document);
  return start_account_operation(id, cls, payload);
}

orvo_ui::InvokeAnswer SettingsApp::invoke_resource_operation(OperationClass cls, std::string_view kind,
                                                             std::string_view payload, orvo_doc::Document*) {
  if (kind == kUpdateOperationKind && cls == OperationClass::Navigation) {
    auto operation = actions::decode_payload<actions::UpdateOperation>(payload);
    if (!operation) return orvo_ui::InvokeError{operation.error().text()};
    if (!std::holds_alternative<actions::UpdateOperation::ReviewRollback>(*operation)) {
      return orvo_ui::InvokeError{"operation kind does not match update operation"};
    }
    select_section(SettingsSection::Updates);
    return orvo_ui::Handled{true};
  }
  if (kind == kAgentProviderOperationKind) return invoke_provider_operation(cls, payload);
  if (kind == kAccountOperationKind) return invoke_account_operation(cls, payload);
  if (cls != OperationClass::Navigation || kind != kOpenPaneKind) return orvo_ui::Handled{false};

  auto pane_id = orvo_json::decode<std::string>(payload);
  if (!pane_id) return orvo_ui::InvokeError{pane_id.error().text()};
  for (const SettingsSection section : SIDEBAR_ORDER) {
    if (section.id() == *pane_id) {
      select_section(section);
      return orvo_ui::Handled{true};
    }
  }
  return orvo_ui::InvokeError{"Settings pane is no longer available"};
}

std::optional<orvo_ui::OperationCompletion> SettingsApp::poll_operation_results(const orvo_ui::RequestId& id,
                                                                                bool cancel) {
  if (auto done = poll_device_local(id, cancel)) return done;
  if (auto done = poll_account_check(id, cancel)) return done;
  return Widget::poll_operation_results(id, cancel);
}

}  // namespace settings::settings_app
