#pragma once
// What a pane's builder is given by the application: the section it shows, the cells through which
// operations reach it and its outcomes leave it, the account handles, and the width it lays out in.
// Panes take exactly these, never the application itself.
#include <filesystem>
#include <functional>
#include <optional>

#include "account_probe/account_check.h"
#include "actions/account_operations.h"
#include "orvo_ui/published_cell.h"
#include "orvo_ui/widget.h"
#include "panes/accounts_request.h"
#include "panes/operation_status.h"
#include "panes/pane_operation.h"
#include "sections/sections.h"

namespace settings::settings_app {

using DeviceMeshOperationCell = orvo_ui::PublishedCell<std::optional<actions::DeviceMeshOperation>>;
using AccountsRequestCell = orvo_ui::PublishedCell<std::optional<AccountsRequest>>;
using OperationStatusCell = orvo_ui::PublishedCell<OperationStatus>;
using PaneOperationCell = orvo_ui::PublishedCell<std::optional<PaneOperation>>;

struct PaneInputs {
  SettingsSection section;
  // Operations handed to the shown pane, and the status their outcomes are published on.
  PaneOperationCell pane_operation;
  OperationStatusCell operation_status;
  DeviceMeshOperationCell device_mesh_operation;
  AccountsRequestCell accounts_request;
  // Where the account list is read from (none: the account store's own location).
  std::optional<std::filesystem::path> accounts_root;
  account_probe::AccountCheck account_check;
  // The width the page's content was last laid out in, less the page's own padding; none before
  // the first layout.
  std::function<std::optional<float>()> content_width;
};

// The descriptor of a section's pane: its id, title and subtitle.
orvo_ui::PaneDescriptor section_descriptor(SettingsSection section);

}  // namespace settings::settings_app
