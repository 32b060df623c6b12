// The operations the root carries out itself.
#include "actions/contracts.h"
#include "orvo_json/json.h"
#include "settings_app/settings_app.h"
#include "sidebar/lookups.h"

namespace settings::settings_app {
namespace {

constexpr std::string_view kPaneGone = "Settings pane is no longer available";

}  // namespace

orvo_ui::InvokeAnswer SettingsApp::invoke_resource_operation(orvo_ui::OperationClass cls, std::string_view kind,
                                                             std::string_view payload,
                                                             orvo_doc::Document* /*document*/) {
  if (cls != orvo_ui::OperationClass::Navigation || kind != actions::kOpenPaneKind) return orvo_ui::Handled{false};
  auto pane_id = orvo_json::decode<std::string>(payload);
  if (!pane_id) return orvo_ui::InvokeError{pane_id.error().text()};
  const std::optional<SettingsSection> section = sidebar::section_for_id(SIDEBAR_ORDER, *pane_id);
  if (!section) return orvo_ui::InvokeError{std::string(kPaneGone)};
  select_section(*section);
  return orvo_ui::Handled{true};
}

}  // namespace settings::settings_app
