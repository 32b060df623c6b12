#pragma once
// One window's frame loop. Each frame, in order: deliver input events, root sync, layout when the
// structure is dirty or the size or scale changed, draw (with the window as clip), mark drawn,
// dispatch queued control invocations, answer the outside door's tree requests, poll in-flight
// operations. Between frames it sleeps until an event, a wake or the root's next deadline (while
// operations are in flight, at most kInFlightPollMillis; while a widget asks for idle syncs, at most
// kIdleSyncMillis); an idle window uses no CPU. After the action host has started, carried out or
// completed anything, one more frame runs at once, so that what it changed is drawn.
//
// The loop owns the application's settings document for the whole run: every sync gets it, the
// root's operations are started with it, and the action host carries setting actions out on it.
#include <chrono>
#include <cstdint>
#include <expected>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "backend.h"
#include "orvo_ui/action_door.h"
#include "orvo_ui/action_host.h"
#include "orvo_doc/document.h"
#include "orvo_ui/app.h"
#include "orvo_ui/launch.h"
#include "orvo_ui/layout.h"
#include "orvo_ui/scene.h"
#include "orvo_ui/text.h"
#include "orvo_ui/theme.h"
#include "orvo_ui/widget.h"

namespace orvo_ui {

class OffscreenBackend;

class FrameLoop {
 public:
  FrameLoop(Backend& backend, Widget& root, App& app, TextRenderer::Metrics metrics);
  ~FrameLoop();
  FrameLoop(const FrameLoop&) = delete;
  FrameLoop& operator=(const FrameLoop&) = delete;

  void run_until_quit();
  void run_script(const std::vector<launch::ScriptStep>& steps, OffscreenBackend& backend);

  // Runs one frame with these events.
  void frame(const BackendEvents& events);

  Widget& root() { return root_; }
  ActionHost& host() { return host_; }
  orvo_doc::Document& document() { return document_; }
  const Scene& scene() const { return scene_; }
  Widget* focused() const { return focused_; }
  std::uint64_t frames() const { return frames_; }

  void set_on_idle(std::function<void(std::uint64_t)> on_idle) { on_idle_ = std::move(on_idle); }
  void set_allow_close(std::function<bool()> allow_close) { allow_close_ = std::move(allow_close); }
  // The smallest layout size, in layout points: a smaller window (only offscreen, since the window
  // system keeps a real one at least this large) shows the top left of the layout.
  void set_minimum_size(Size minimum);

  // Opens the outside door at this socket path when the application accepts outside actions (and
  // does nothing otherwise). The door closes, and its socket goes, with the loop.
  std::expected<void, std::string> open_action_door(std::filesystem::path socket);
  const ActionDoor* door() const { return door_.get(); }

  static void request_quit();

  // Pixels per layout point: the window's scale times the interface scale of the current theme.
  double pixel_scale() const;

 private:
  void deliver(const Event& event);
  // Takes the root's theme for this frame and carries its text scale to the text renderer; true
  // when the text scale changed (the tree is laid out again).
  bool take_theme();
  // The size the tree is laid out in (window points over the interface scale, never below the
  // minimum).
  Size layout_size() const;
  void layout();
  void draw();
  void set_focus(Widget* widget);
  static bool is_focus_traversal(const Event& event);
  // Ctrl+Q and Ctrl+W (pressed, no other modifier) close the window as its close button does.
  static bool is_close_key(const Event& event);
  // Whether a close asked for (button or keys) may end the loop.
  bool close_allowed() const { return !allow_close_ || allow_close_(); }
  // Tab order: every focusable widget of the last layout in tree order, wrapping at both ends; a
  // part of the tree that is not laid out (the hidden side of a narrow window) has no stops.
  void move_focus(bool backwards);
  // The focusable widget of the last layout with this id (and type, when given), when exactly one.
  Widget* find_focusable(std::string_view id, std::string_view type) const;
  // After a rebuild the focused widget may be gone: focus goes to its successor, the widget with
  // the same id and type, when there is one.
  void keep_focus_after_layout();
  void report_startup();
  std::optional<Deadline> next_deadline() const;

  Backend& backend_;
  Widget& root_;
  App& app_;
  TextRenderer text_;
  LayoutTree tree_;
  NodeMap nodes_;
  NodeId root_node_ = 0;
  Scene scene_;
  // Before the host, which carries setting actions out on it.
  orvo_doc::Document document_;
  ActionHost host_;
  // After the host: the door's threads hand requests to it until the door is gone.
  std::unique_ptr<ActionDoor> door_;
  Widget* focused_ = nullptr;
  // Id and type of the focused widget, to find its successor after a rebuild.
  std::string focused_id_;
  std::string focused_type_;
  std::optional<std::string> pending_focus_id_;
  Size last_size_{};
  double last_scale_ = 0;
  // The root's theme of the current frame.
  Theme theme_ = Theme::dark();
  Size minimum_{};
  bool first_ = true;
  bool update_wants_frame_ = false;
  bool host_acted_ = false;
  // How many operations were in flight at the last frame, and since when.
  std::size_t in_flight_seen_ = 0;
  std::chrono::steady_clock::time_point in_flight_since_{};
  bool close_requested_ = false;
  // Where the pointer was last seen (physical pixels), to refresh hover after the tree is rebuilt.
  std::optional<Point> pointer_;
  std::uint64_t frames_ = 0;
  std::function<void(std::uint64_t)> on_idle_;
  std::function<bool()> allow_close_;
};

}  // namespace orvo_ui
