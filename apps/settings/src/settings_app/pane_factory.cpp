#include "settings_app/pane_factory.h"

#include <algorithm>
#include <array>

#include "orvo_ui/widgets/column.h"
#include "orvo_ui/widgets/container.h"
#include "orvo_ui/widgets/scrollable.h"
#include "panes/about/about_pane.h"
#include "panes/accessibility/accessibility_pane.h"
#include "panes/agent_models/agent_models_pane.h"
#include "panes/accounts/accounts_pane.h"
#include "panes/appearance/appearance_pane.h"
#include "panes/bluetooth/bluetooth_pane.h"
#include "panes/device_mesh/device_mesh_pane.h"
#include "panes/display/display_pane.h"
#include "panes/keyboard_shortcuts/shortcut_pane.h"
#include "panes/mouse_keyboard/mouse_keyboard_pane.h"
#include "panes/network/network_pane.h"
#include "panes/notifications/notifications_pane.h"
#include "panes/permissions/permissions_pane.h"
#include "panes/personal_apps/personal_apps_pane.h"
#include "panes/power/power_pane.h"
#include "panes/printers/printers_pane.h"
#include "panes/region/region_pane.h"
#include "panes/sound/audio_pane.h"
#include "panes/storage/storage_pane.h"
#include "panes/time_date/time_date_pane.h"
#include "panes/updates/updates_pane.h"
#include "panes/users/users_pane.h"
#include "settings_app/settings_app.h"
#include "sidebar/sidebar_keys.h"
#include "sidebar/sidebar_view.h"
#include "widget_support/layout_helpers.h"

namespace settings::settings_app {

using orvo_ui::Column;
using orvo_ui::Container;
using orvo_ui::Widget;

namespace {

using PaneBuilder = std::unique_ptr<Widget> (*)(const PaneInputs&);

std::unique_ptr<Widget> accounts_pane(const PaneInputs& inputs) {
  using settings::panes::accounts::AccountsPane;
  return std::make_unique<AccountsPane>(AccountsPane::load(inputs.accounts_root)
                                            .with_accounts_request(inputs.accounts_request)
                                            .with_account_check(inputs.account_check));
}

struct PaneEntry {
  SettingsSection section;
  PaneBuilder build;
};

// One line per section, in section index order. A pane's own builder takes its section's line; it
// receives the root's cells through `PaneInputs`.
constexpr std::array<PaneEntry, SettingsSection::kCount> kPaneTable{{
    {SettingsSection::Network, panes::network::network_pane},
    {SettingsSection::Bluetooth, panes::bluetooth::bluetooth_pane},
    {SettingsSection::DevicesSync, panes::device_mesh::device_mesh_pane},
    {SettingsSection::Sound, panes::sound::audio_pane},
    {SettingsSection::Displays, panes::display::display_pane},
    {SettingsSection::MouseKeyboard, panes::mouse_keyboard::boxed_pane},
    {SettingsSection::KeyboardShortcuts, panes::keyboard_shortcuts::boxed_pane},
    {SettingsSection::TimeDate, panes::time_date::boxed_pane},
    {SettingsSection::Users, panes::users::users_pane},
    {SettingsSection::Printers, panes::printers::printers_pane},
    {SettingsSection::Power, panes::power::power_pane},
    {SettingsSection::Appearance, panes::appearance::boxed_pane},
    {SettingsSection::Accessibility, panes::accessibility::boxed_pane},
    {SettingsSection::Notifications, panes::notifications::boxed_pane},
    {SettingsSection::DefaultApps, panes::personal_apps::boxed_pane},
    {SettingsSection::Storage, panes::storage::storage_pane},
    {SettingsSection::ExternalAccounts, accounts_pane},
    {SettingsSection::AgentModels, panes::agent_models::agent_models_pane},
    {SettingsSection::RegionFormats, panes::region::boxed_pane},
    {SettingsSection::Permissions, panes::permissions::build_pane},
    {SettingsSection::Updates, panes::updates::updates_pane},
    {SettingsSection::About, panes::about::build_pane},
}};

constexpr bool table_in_index_order() {
  for (std::size_t i = 0; i < kPaneTable.size(); ++i) {
    if (kPaneTable[i].section.index() != i) return false;
  }
  return true;
}
static_assert(table_in_index_order(), "the pane table lists every section once, in index order");

}  // namespace

PaneInputs pane_inputs(const SettingsApp& app, SettingsSection section) {
  return PaneInputs{
      .section = section,
      .pane_operation = app.pane_operation(),
      .operation_status = app.operation_status(),
      .device_mesh_operation = app.device_mesh_operation(),
      .accounts_request = app.accounts_request(),
      .accounts_root = app.accounts_root(),
      .account_check = app.account_check(),
      .content_width = [&app] { return region_content_width(app); },
  };
}

std::unique_ptr<Widget> build_pane_widget(const SettingsApp& app, SettingsSection section) {
  return kPaneTable[section.index()].build(pane_inputs(app, section));
}

std::optional<float> region_content_width(const SettingsApp& app) {
  const orvo_ui::AppShell* shell = app.shell();
  if (!shell || !(shell->content_width() > 0)) return std::nullopt;
  return static_cast<float>(std::max(0.0, shell->content_width() - kRegionWidthReserve));
}

std::unique_ptr<Widget> build_section_pane(const SettingsApp& app) {
  const SettingsSection section = app.section();
  Column column = Column()
                      .with_gap(kPageColumnGap)
                      .with_cross_gap(kPageColumnCrossGap)
                      .with_padding(kPagePadding, kPagePadding);
  column.push(widget_support::page_header(section.title(), section.description()));
  column.push(build_pane_widget(app, section));

  std::unique_ptr<Widget> body = std::make_unique<Column>(std::move(column));
  std::optional<float> max_width;
  if (section == SettingsSection::ExternalAccounts) max_width = kAccountsPageMaxWidth;
  if (section == SettingsSection::RegionFormats) max_width = kRegionPageMaxWidth;
  if (max_width) {
    body = std::make_unique<Container>(Container(std::move(body)).with_max_width(*max_width).with_centered(true));
  }
  auto scroll = std::make_unique<orvo_ui::Scrollable>(std::move(body));
  return std::make_unique<Container>(Container(std::move(scroll)).with_fill(true));
}

// --- shell rebuild, on the root ---

std::unique_ptr<Widget> SettingsApp::build_section_pane() const { return settings_app::build_section_pane(*this); }

void SettingsApp::rebuild_shell() {
  auto nav = sidebar::sidebar_view(section_, search_query_, selection_);
  auto page = build_section_pane();
  if (!shell_) return;
  // The new sidebar keeps the old one's scroll position and then brings the selected row into view.
  if (shell_->nav()) sidebar::carry_scroll(*shell_->nav(), *nav);
  reveal_selected_row_ = true;
  shell_->set_nav(std::move(nav));
  shell_->set_content(std::move(page));
}

void SettingsApp::select_section(SettingsSection section) {
  if (section == section_) return;
  section_ = section;
  saved_theme_.reset();
  structure_dirty_ = true;
  rebuild_shell();
  if (shell_) shell_->notify_selection();
}

}  // namespace settings::settings_app
