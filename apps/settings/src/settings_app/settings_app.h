#pragma once
// SettingsApp: the root widget the toolkit runs. It owns the application shell (sidebar, search
// field and the page of the selected section) and the state the sidebar, the panes and the
// operations share: the selected section, the search query, the shared cells and the cached list of
// online accounts.
//
// Construction builds no widgets and reads no preferences: the first `build_layout` makes the shell,
// and each page reads its own state when the pane factory builds it. Every section switch builds
// the page anew; nothing of a page survives a switch.
//
// Interface thread only; the cells carry their own locking and are shared with the panes.
#include <array>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "account_probe/account_check.h"
#include "accounts/account.h"
#include "actions/account_operations.h"
#include "device_local/keyboard_layouts.h"
#include "orvo_ui/published_cell.h"
#include "orvo_ui/search.h"
#include "orvo_ui/widget.h"
#include "orvo_ui/widgets/app_shell.h"
#include "settings_app/device_local_outcome.h"
#include "panes/pane_inputs.h"
#include "settings_app/running_account_check.h"
#include "settings_app/search_field.h"
#include "sections/sections.h"
#include "sidebar/sidebar_row.h"

namespace orvo_doc {
class Document;
struct ObjId;
}  // namespace orvo_doc

namespace settings::device_local {
class DeviceProbe;
}  // namespace settings::device_local

namespace settings::settings_app {

using SearchTextCell = orvo_ui::PublishedCell<std::string>;
using SelectionCell = sidebar::SidebarSelectionCell;

inline constexpr float kShellBreakpoint = 720;
inline constexpr float kShellNavWidth = 264;

class SettingsApp final : public orvo_ui::Widget {
 public:
  // Recovers an interrupted account mutation, creates the cells and the search catalog and loads the
  // account list from `accounts_root` (none: the account store's own location).
  explicit SettingsApp(std::optional<std::filesystem::path> accounts_root);
  // The same with the account server check given (a stand-in in tests).
  SettingsApp(std::optional<std::filesystem::path> accounts_root, account_probe::AccountCheck account_check);
  // What the descriptor's factory builds: no accounts directory of its own.
  static std::unique_ptr<SettingsApp> make_default();

  SettingsApp(const SettingsApp&) = delete;
  SettingsApp& operator=(const SettingsApp&) = delete;

  // Loads the account store again and replaces the cached list, in store order.
  void reload_accounts();

  // --- the pane factory and shell rebuild ---
  // Switches to `section`: a new sidebar and page, the structure marked dirty, and the shell told
  // (in a narrow window it turns to the content). The selected section does nothing.
  void select_section(SettingsSection section);
  // Installs a freshly built sidebar and page in the shell; without a shell both are dropped.
  void rebuild_shell();
  // The page of the selected section (see pane_factory.h).
  std::unique_ptr<orvo_ui::Widget> build_section_pane() const;

  // --- device-local operations (device_local_runner.cpp) ---
  // Admits one device-local operation, checks it against the device and either carries it out
  // (input, keyboard sources, time and date) or hands it to its pane; answered `InFlight`, its
  // outcome follows through `operation_status`. The caller marks it running.
  DeviceLocalOutcome run_device_local_operation(orvo_ui::OperationClass cls, std::string_view kind,
                                                std::string_view payload);
  // Records the outcome of an operation the root carried out itself as Running, then Succeeded or
  // Failed under its key, and rebuilds the shell.
  DeviceLocalOutcome record_local_outcome(std::string_view kind, std::string_view payload, bool succeeded,
                                          std::string message);
  // Where the checks read the live device, and the keyboard layout catalogue (tests replace them).
  void set_device_probe(std::shared_ptr<device_local::DeviceProbe> probe);
  void set_keyboard_layouts(device_local::KeyboardLayoutCatalogue catalogue);

  // --- state ---
  SettingsSection section() const { return section_; }
  const std::string& search_query() const { return search_query_; }
  const SelectionCell& selection() const { return selection_; }
  const SearchTextCell& search_text() const { return search_text_; }
  const orvo_ui::SearchCatalog& search_catalog() const { return search_catalog_; }
  const std::optional<std::filesystem::path>& accounts_root() const { return accounts_root_; }
  const std::vector<::accounts::Account>& accounts() const { return accounts_; }
  const AccountsRequestCell& accounts_request() const { return accounts_request_; }
  const DeviceMeshOperationCell& device_mesh_operation() const { return device_mesh_operation_; }
  const OperationStatusCell& operation_status() const { return operation_status_; }
  const PaneOperationCell& pane_operation() const { return pane_operation_; }
  const account_probe::AccountCheck& account_check() const { return account_check_; }
  bool account_check_running() const { return running_account_check_.has_value(); }
  const std::optional<std::string>& pending_operation_key() const { return pending_operation_key_; }
  bool operation_running() const { return operation_running_; }
  const orvo_ui::RequestId& running_operation_id() const { return running_operation_id_; }
  const orvo_ui::AppShell* shell() const { return shell_ ? &*shell_ : nullptr; }
  orvo_ui::AppShell* shell_mut() { return shell_ ? &*shell_ : nullptr; }
  float scale() const { return scale_; }
  bool structure_dirty() const { return structure_dirty_; }

  // --- Widget ---
  std::string_view type_name() const override { return "settings::settings_app::SettingsApp"; }
  std::string_view name() const override { return "SettingsApp"; }
  // The live-state snapshot against a settings document and one of its objects (state_snapshot.cpp).
  std::optional<std::string> state_json(const orvo_doc::Document& document, orvo_doc::ObjId object) override;

  void sync(orvo_ui::SyncContext& context) override;
  orvo_ui::NodeId build_layout(orvo_ui::LayoutTree& tree, orvo_ui::LayoutContext& context,
                               orvo_ui::NodeMap& nodes) override;
  void apply_layout(const orvo_ui::LayoutTree& tree, orvo_ui::NodeId node, double x, double y) override;
  void draw(orvo_ui::Scene& scene, orvo_ui::Affine transform, orvo_ui::TextRenderer& text, const orvo_ui::Theme& theme,
            const orvo_ui::PresenceContext& presence) override;
  void draw_with_presence(orvo_ui::Scene& scene, orvo_ui::Affine transform, orvo_ui::TextRenderer& text,
                          const orvo_ui::Theme& theme, const orvo_ui::PresenceContext& presence) override;
  void handle_event(const orvo_ui::Event& event, orvo_ui::EventContext& context) override;
  std::vector<const orvo_ui::Widget*> children() const override;
  std::vector<orvo_ui::Widget*> children_mut() override;
  std::vector<std::string> operation_kinds() const override;
  orvo_ui::Rect get_rect() const override { return rect_; }
  std::optional<orvo_ui::AccessibilityNode> accessibility() const override;
  bool needs_idle_sync() const override;
  // The shell passes it on to the page, so a pane that polls keeps the loop waking.
  bool update() override;
  std::vector<std::shared_ptr<orvo_ui::SearchProvider>> search_providers() override;
  std::optional<std::string> descendant_query() override;
  bool needs_animation_frame() const override;
  bool take_structure_dirty() override;
  bool layout_needs_measure() const override;
  // The theme the window is drawn in (window_theme.cpp): the Appearance pane's while its page is
  // shown, so a choice shows at once; else the saved appearance section's, read again only after
  // a section switch or a write of the preferences file.
  std::optional<orvo_ui::Theme> theme_override() const override;

  // --- operations (operation_intake.cpp) ---
  orvo_ui::StartAnswer start_resource_operation_with_document(const orvo_ui::RequestId& id,
                                                              orvo_ui::OperationClass cls, std::string_view kind,
                                                              std::string_view payload,
                                                              orvo_doc::Document* document) override;
  orvo_ui::InvokeAnswer invoke_resource_operation(orvo_ui::OperationClass cls, std::string_view kind,
                                                  std::string_view payload, orvo_doc::Document* document) override;
  std::optional<orvo_ui::OperationCompletion> poll_operation_results(const orvo_ui::RequestId& id,
                                                                     bool cancel) override;

  // The resource tree against the application's settings document (the one the last sync was
  // handed; an empty one before the first) and the cached accounts (root_resources.cpp); `resource`
  // rebuilds only the section that owns the id.
  std::vector<orvo_actions::Resource> resources() override;
  std::optional<orvo_actions::Resource> resource(std::string_view id) override;

 private:
  // The device-local operation runner (device_local_runner.cpp): admits an effect operation of a
  // local kind, and reports it finished once its pane or the root has answered.
  orvo_ui::StartAnswer run_device_local(orvo_ui::OperationClass cls, std::string_view kind, std::string_view payload);
  std::optional<orvo_ui::OperationCompletion> poll_device_local(const orvo_ui::RequestId& id, bool cancel);

  // Account operations and the connection check (account_intake.cpp).
  orvo_ui::StartAnswer start_account_operation(const orvo_ui::RequestId& id, orvo_ui::OperationClass cls,
                                               std::string_view payload);
  orvo_ui::InvokeAnswer invoke_account_operation(orvo_ui::OperationClass cls, std::string_view payload);
  std::optional<orvo_ui::OperationCompletion> poll_account_check(const orvo_ui::RequestId& id, bool cancel);
  orvo_ui::StartAnswer start_account_check(const orvo_ui::RequestId& id, const std::string& account_id);
  orvo_ui::StartAnswer remove_stored_account(const std::string& account_id);

  // Model-provider configuration (provider_operations.cpp).
  orvo_ui::InvokeAnswer invoke_provider_operation(orvo_ui::OperationClass cls, std::string_view payload);

  // The shell with a new sidebar, page and search field.
  orvo_ui::AppShell make_shell() const;
  // The window's own keys (shell_keys.cpp); answers whether the key was taken.
  bool handle_shell_key(const orvo_ui::event::Key& key, orvo_ui::EventContext& context);

  // One device-local kind: decodes the payload as `Op` and carries it out or hands it over.
  template <class Op>
  DeviceLocalOutcome run_kind(std::string_view kind, std::string_view payload);
  // Publishes a checked operation for its pane, then Running with its key.
  using HandedOperation = std::variant<PaneOperation, actions::DeviceMeshOperation>;
  DeviceLocalOutcome hand_over(std::string_view kind, std::string_view payload, HandedOperation operation);
  // Takes a handed-over operation back out of its cell when no pane has taken it yet.
  void retract_handed_operation();
  // After the first pass of the page an operation was handed to: an operation still waiting in the
  // PaneOperation cell is one that page cannot carry out; it ends Failed at once.
  void fail_operation_left_in_cell();
  device_local::DeviceProbe& device_probe();
  const device_local::KeyboardLayoutCatalogue& keyboard_layouts();

  std::string search_query_;
  SelectionCell selection_;
  SearchTextCell search_text_;
  orvo_ui::SearchCatalog search_catalog_;
  std::optional<std::filesystem::path> accounts_root_;
  std::vector<::accounts::Account> accounts_;
  AccountsRequestCell accounts_request_;
  DeviceMeshOperationCell device_mesh_operation_;
  account_probe::AccountCheck account_check_;
  std::optional<RunningAccountCheck> running_account_check_;
  OperationStatusCell operation_status_{OperationStatus::Idle{}};
  std::optional<std::string> pending_operation_key_;
  PaneOperationCell pane_operation_;
  // Set by a hand-over through the PaneOperation cell until the page's first pass has run.
  bool handed_awaiting_page_sync_ = false;
  std::optional<orvo_ui::AppShell> shell_;
  SettingsSection section_ = SettingsSection::Network;
  bool structure_dirty_ = false;
  // A new sidebar is to show the selected row once it is laid out.
  bool reveal_selected_row_ = false;
  bool operation_running_ = false;
  orvo_ui::RequestId running_operation_id_{};
  std::shared_ptr<device_local::DeviceProbe> device_probe_;
  device_local::KeyboardLayoutCatalogue keyboard_layouts_;
  orvo_ui::Rect rect_;
  float scale_ = 1.0f;
  // The saved appearance section's theme, and the count of preference writes it was read at.
  mutable std::optional<orvo_ui::Theme> saved_theme_;
  mutable std::uint64_t saved_theme_writes_ = 0;
  // The frame loop's settings document, which outlives every frame of the run; not owned.
  const orvo_doc::Document* settings_document_ = nullptr;
};

}  // namespace settings::settings_app
