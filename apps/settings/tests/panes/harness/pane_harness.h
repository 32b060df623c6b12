#pragma once
// What a pane test needs around its pane: a temporary home, the shell's cells handed over as the
// pane factory hands them (`PaneInputs::pane_operation` and `operation_status`), an
// operation published with Running under its key as the runner does, passes of `sync`, widgets
// found by id, and an offscreen frame loop for input.
//
// Each test starts from a fresh wake (see fresh_wake.cpp in this folder), since a frame loop that
// ends shuts the process's wake down and cells then refuse publications.
#include <functional>
#include <ostream>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "frame_loop.h"
#include "harness/pane_home.h"
#include "offscreen_backend.h"
#include "orvo_ui/app.h"
#include "orvo_ui/widget.h"
#include "panes/taken_operation.h"
#include "settings_app/settings_app.h"

namespace settings::settings_app {
// How test failures print an operation status: "Idle", "Running{key}", "Succeeded{key, message}".
void PrintTo(const OperationStatus& status, std::ostream* out);
}  // namespace settings::settings_app

namespace settings::panes::testing {

// The root's cells, in a temporary home.
class PaneHarness {
 public:
  PaneHarness();

  const PaneHome& home() const { return home_; }
  settings_app::SettingsApp& app() { return *app_; }
  const settings_app::PaneOperationCell& operation_cell() const { return app_->pane_operation(); }
  const settings_app::OperationStatusCell& status_cell() const { return app_->operation_status(); }
  settings_app::OperationStatus status() const { return status_cell().snapshot(); }

  // Publishes the operation into the cell and Running with its key; answers the key.
  std::string hand_over(settings_app::PaneOperation operation) const;
  // Publishes Running under a key of the caller's choice (another operation's, say).
  void mark_running(std::string key) const;

  // One pass of the pane, with the frame's document when given.
  static void pass(orvo_ui::Widget& pane, orvo_doc::Document* frame_document = nullptr);

 private:
  PaneHome home_;
  std::unique_ptr<settings_app::SettingsApp> app_;
};

// The first widget (depth first) whose id is `id`; null when there is none.
orvo_ui::Widget* find_widget(orvo_ui::Widget& root, std::string_view id);
// The texts the widget and its descendants show, in tree order.
std::vector<std::string> texts_of(orvo_ui::Widget& root);

// A widget run by the toolkit's frame loop on the offscreen backend (480x600 unless given).
class PaneInALoop {
 public:
  explicit PaneInALoop(orvo_ui::Widget& pane, std::uint32_t width = 480, std::uint32_t height = 600);

  void frame() { loop_.frame(backend_.take_events()); }
  void click(const orvo_ui::Widget& widget);
  void type(const std::string& text);
  // A key pressed and released, with no modifier.
  void press(orvo_ui::NamedKey key);
  // The pointer moved to a point (logical units at scale 1).
  void point_at(orvo_ui::Point at);

 private:
  void send(orvo_ui::Event event);
  orvo_ui::OffscreenBackend backend_;
  orvo_ui::App app_;
  orvo_ui::FrameLoop loop_;
};

}  // namespace settings::panes::testing
