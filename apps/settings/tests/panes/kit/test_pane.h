#pragma once
// A small pane on the kit: one switch the "platform" may refuse, a level, a name field and a
// refresh press. It carries out sound operations: SetOutputMuted sets the switch as the toggle
// would; ToggleDiagnostics starts work that stays pending until the test says it is done.
#include <memory>
#include <string>

#include "orvo_ui/widgets/column.h"
#include "panes/document_controls.h"
#include "panes/pane_glue.h"
#include "panes/taken_operation.h"
#include "settings_app/settings_app.h"
#include "lib/settings_document.h"

namespace settings::panes::testing {

inline constexpr std::string_view kEnabledKey = "test.enabled";
inline constexpr std::string_view kLevelKey = "test.level";
inline constexpr std::string_view kNameKey = "test.name";
inline constexpr std::string_view kRefreshKey = "test.refresh";
inline constexpr std::string_view kAlreadySo = "The switch is already so.";
inline constexpr std::string_view kRefused = "Could not change the switch: refused";

class TestPane final : public PaneGlue {
 public:
  TestPane() : PaneGlue("TestPane", DirtyRule::AlwaysAskView) {}

  TestPane with_pane_operation(settings_app::PaneOperationCell cell) && {
    operations_.attach_operation_cell(std::move(cell));
    return std::move(*this);
  }
  TestPane with_operation_status(settings_app::OperationStatusCell cell) && {
    operations_.attach_status_cell(std::move(cell));
    return std::move(*this);
  }
  TestPane(TestPane&&) = default;

  std::string_view type_name() const override { return "settings::panes::testing::TestPane"; }

  // The "platform".
  bool platform_enabled = false;
  bool platform_refuses = false;
  // Work started by ToggleDiagnostics that has not reported yet.
  bool work_pending = false;
  // What the last pass read under the switch key before acting, and how often refresh ran.
  std::optional<bool> seen_enabled;
  int refreshes = 0;

  void touch_structure() { mark_structure_dirty(); }
  // The pending work reports.
  void complete_work(std::string message) {
    work_pending = false;
    operations_.finish(PaneOutcome::success(std::move(message)));
  }

 protected:
  std::unique_ptr<orvo_ui::Widget> build_view() override {
    orvo_ui::Column column;
    column.push(controls_.toggle(kEnabledKey));
    column.push(controls_.slider(kLevelKey));
    column.push(controls_.text_input(kNameKey));
    column.push(controls_.press_button("test.refresh.button", "Refresh", kRefreshKey));
    return std::make_unique<orvo_ui::Column>(std::move(column));
  }

  void sync_pane(orvo_doc::Document* document, orvo_ui::SyncContext&) override {
    if (!document) return;
    if (!seeded_) {
      write_back(*document, object_, kEnabledKey, platform_enabled);
      seeded_ = true;
    }
    if (const auto* taken = operations_.take([](const settings_app::PaneOperation& op) { return op.tag() == 4; })) {
      const auto& audio = std::get<actions::AudioOperation>(*taken);
      if (const auto* muted = std::get_if<actions::AudioOperation::SetOutputMuted>(&audio)) {
        write_back(*document, object_, kEnabledKey, muted->muted);
      } else if (std::holds_alternative<actions::AudioOperation::ToggleDiagnostics>(audio)) {
        work_pending = true;
      }
    }
    seen_enabled = lib::read_bool(*document, object_, kEnabledKey);
    if (take_press(*document, object_, kRefreshKey)) ++refreshes;
    if (seen_enabled && *seen_enabled != platform_enabled) {
      if (platform_refuses) {
        write_back(*document, object_, kEnabledKey, platform_enabled);
        operations_.finish(PaneOutcome::failure(std::string(kRefused)));
      } else {
        platform_enabled = *seen_enabled;
        operations_.finish(PaneOutcome::success(platform_enabled ? "Switched on." : "Switched off."));
      }
    }
    operations_.settle(work_pending, PaneOutcome::success(std::string(kAlreadySo)));
  }

 private:
  PaneOperations<settings_app::PaneOperation> operations_;
  bool seeded_ = false;
};

// Built as the pane factory builds a pane: the root's cells installed.
inline std::unique_ptr<TestPane> make_test_pane(const settings_app::SettingsApp& app) {
  return std::make_unique<TestPane>(
      TestPane().with_pane_operation(app.pane_operation()).with_operation_status(app.operation_status()));
}

}  // namespace settings::panes::testing
