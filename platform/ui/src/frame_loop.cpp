#include "frame_loop.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <unordered_set>
#include <utility>

#include "offscreen_backend.h"
#include "orvo_ui/wake.h"

namespace orvo_ui {
namespace {

std::atomic<bool> g_quit_requested{false};

// Pace of frames while something animates, and of polling while a widget's update asks for it.
constexpr std::int64_t kAnimationFrameMillis = 16;
constexpr std::int64_t kUpdatePollMillis = 250;
// Some operations finish without waking the loop (their worker only fills a channel), so the
// loop polls while any is in flight: often at first, then less often the longer they run (after as
// long again as they have run so far, at most kInFlightPollMaxMillis), so a long wait costs few
// frames.
constexpr std::int64_t kInFlightPollMillis = 50;
constexpr std::int64_t kInFlightPollMaxMillis = 1000;
// Pace of syncs while a widget asks for them with nothing else to do (a worker it watches).
constexpr std::int64_t kIdleSyncMillis = 100;
// The user's interface and text scales are honoured within these bounds; a value outside them (a
// hand-edited file) would make the window unusable.
constexpr float kMinScale = 0.5f;
constexpr float kMaxScale = 3.0f;

float bounded_scale(float scale) {
  if (std::isnan(scale)) return 1.0f;
  return std::clamp(scale, kMinScale, kMaxScale);
}

// Every widget that takes keyboard focus and was laid out, in tree order.
void collect_focusable(Widget& widget, const std::unordered_set<const Widget*>& laid_out, std::vector<Widget*>& out) {
  if (widget.is_focusable() && laid_out.contains(&widget)) out.push_back(&widget);
  for (Widget* child : widget.children_mut()) collect_focusable(*child, laid_out, out);
}

}  // namespace

// Tab and Shift+Tab (pressed, with no other modifier) move keyboard focus; the loop keeps them.
bool FrameLoop::is_focus_traversal(const Event& event) {
  const auto* key = std::get_if<event::Key>(&event);
  if (!key || key->key != NamedKey::Tab) return false;
  if (key->modifiers.ctrl || key->modifiers.alt || key->modifiers.super) return false;
  return true;
}

bool FrameLoop::is_close_key(const Event& event) {
  const auto* key = std::get_if<event::Key>(&event);
  if (!key || !key->pressed || key->key != NamedKey::None) return false;
  if (!key->modifiers.ctrl || key->modifiers.alt || key->modifiers.super || key->modifiers.shift) return false;
  return key->text == "q" || key->text == "w";
}

void FrameLoop::move_focus(bool backwards) {
  std::unordered_set<const Widget*> laid_out;
  for (const auto& [node, widget] : nodes_) laid_out.insert(widget);
  std::vector<Widget*> order;
  collect_focusable(root_, laid_out, order);
  if (order.empty()) return;
  auto it = std::find(order.begin(), order.end(), focused_);
  if (it == order.end()) {
    set_focus(backwards ? order.back() : order.front());
  } else if (backwards) {
    set_focus(it == order.begin() ? order.back() : *(it - 1));
  } else {
    set_focus(it + 1 == order.end() ? order.front() : *(it + 1));
  }
}

FrameLoop::FrameLoop(Backend& backend, Widget& root, App& app, TextRenderer::Metrics metrics)
    : backend_(backend), root_(root), app_(app), text_(metrics) {
  g_quit_requested = false;
  wake::install(&backend_);
  host_.set_accepts_outside_requests(app_.accepts_external_actions);
  host_.set_setting_target(&app_.action_registry(), &document_, app_.setting_keeper);
}

FrameLoop::~FrameLoop() {
  door_.reset();
  wake::shut_down();
}

std::expected<void, std::string> FrameLoop::open_action_door(std::filesystem::path socket) {
  if (!app_.accepts_external_actions) return {};
  auto door = ActionDoor::open(std::move(socket), host_, app_.lists_actions, app_.prepare_request);
  if (!door) return std::unexpected(door.error());
  door_ = std::move(*door);
  return {};
}

void FrameLoop::request_quit() {
  g_quit_requested = true;
  WakeHandle{}.wake();
}

void FrameLoop::run_until_quit() {
  while (true) {
    BackendEvents events = backend_.take_events();
    if (g_quit_requested) break;
    if (events.quit && close_allowed()) break;
    frame(events);
    if (g_quit_requested) break;
    if (std::exchange(close_requested_, false) && close_allowed()) break;
    if (on_idle_) on_idle_(frames_);
    if (g_quit_requested) break;
    backend_.wait(next_deadline());
    wake::clear_pending();
  }
}

void FrameLoop::run_script(const std::vector<launch::ScriptStep>& steps, OffscreenBackend& backend) {
  frame(backend.take_events());
  for (const auto& step : steps) {
    if (g_quit_requested) return;
    if (std::exchange(close_requested_, false) && close_allowed()) return;
    if (auto* deliver = std::get_if<launch::step::Deliver>(&step)) {
      backend.push(deliver->event);
      frame(backend.take_events());
    } else if (auto* resize = std::get_if<launch::step::Resize>(&step)) {
      backend.resize(resize->width, resize->height);
      frame(backend.take_events());
    } else {
      for (std::uint32_t i = 0; i < std::get<launch::step::Frames>(step).count; ++i) frame(backend.take_events());
    }
  }
  if (host_acted_ && !g_quit_requested) frame(backend.take_events());
}

std::optional<Deadline> FrameLoop::next_deadline() const {
  if (host_acted_) return Deadline::now();
  std::optional<Deadline> deadline = root_.next_wake_deadline();
  auto sooner = [&](std::int64_t millis) {
    Deadline d = Deadline::after_millis(millis);
    if (!deadline || d < *deadline) deadline = d;
  };
  if (!theme_.reduce_motion && root_.needs_animation_frame()) sooner(kAnimationFrameMillis);
  if (update_wants_frame_) sooner(kUpdatePollMillis);
  if (host_.in_flight_count() > 0) {
    const auto running = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() -
                                                                               in_flight_since_)
                             .count();
    sooner(std::clamp<std::int64_t>(running, kInFlightPollMillis, kInFlightPollMaxMillis));
  }
  if (root_.needs_idle_sync()) sooner(kIdleSyncMillis);
  return deadline;
}

void FrameLoop::frame(const BackendEvents& events) {
  wake::begin_frame();
  bool redraw = first_ || events.expose;
  for (const auto& e : events.events) {
    if (is_close_key(e)) {
      close_requested_ = true;
      continue;
    }
    if (is_focus_traversal(e)) {
      const auto& key = std::get<event::Key>(e);
      if (key.pressed) move_focus(key.modifiers.shift);
      redraw = true;
      continue;
    }
    if (const auto* moved = std::get_if<event::PointerMoved>(&e)) pointer_ = moved->position;
    if (const auto* button = std::get_if<event::PointerButton>(&e)) pointer_ = button->position;
    if (std::holds_alternative<event::PointerLeft>(e)) pointer_.reset();
    EventContext context{pixel_scale(), false, std::nullopt, root_node_, &tree_};
    root_.handle_event(e, context);
    redraw = redraw || context.redraw_requested;
    if (context.focus_request) {
      auto it = nodes_.find(*context.focus_request);
      if (it != nodes_.end()) set_focus(it->second);
    }
    if (context.focus_request_id) pending_focus_id_ = std::move(context.focus_request_id);
  }

  SyncContext sync{&document_};
  root_.sync(sync);
  update_wants_frame_ = root_.update();

  const bool rescaled = take_theme();
  const Size size = layout_size();
  const double scale = pixel_scale();
  const bool structure = root_.take_structure_dirty();
  if (first_ || structure || rescaled || size != last_size_ || scale != last_scale_) {
    last_size_ = size;
    last_scale_ = scale;
    layout();
    redraw = true;
    // Widgets built anew know nothing of the pointer: tell them where it is.
    if (structure && pointer_) {
      EventContext context{pixel_scale(), false, std::nullopt, root_node_, &tree_};
      root_.handle_event(event::PointerMoved{*pointer_}, context);
    }
  }
  if (pending_focus_id_) {
    if (Widget* widget = find_focusable(*pending_focus_id_, {})) set_focus(widget);
    pending_focus_id_.reset();
    redraw = true;
  }
  if (redraw || root_.needs_redraw()) draw();
  if (first_) report_startup();
  root_.mark_drawn();

  while (auto invocation = root_.take_control_invocation()) host_.dispatch(root_, *invocation);
  if (door_) door_->serve(root_);
  host_.poll(root_);
  host_acted_ = host_.take_acted();
  if (const std::size_t in_flight = host_.in_flight_count(); in_flight != in_flight_seen_) {
    in_flight_seen_ = in_flight;
    in_flight_since_ = std::chrono::steady_clock::now();
  }

  first_ = false;
  ++frames_;
  wake::end_frame();
}

// With ORVO_UI_STARTED_AT_NS (wall-clock nanoseconds taken just before the program was started),
// says how long the first frame took to reach the screen; bench/startup.sh reads it.
void FrameLoop::report_startup() {
  const char* started = std::getenv("ORVO_UI_STARTED_AT_NS");
  if (!started) return;
  long long start_ns = std::atoll(started);
  long long now_ns = std::chrono::duration_cast<std::chrono::nanoseconds>(
                         std::chrono::system_clock::now().time_since_epoch())
                         .count();
  std::fprintf(stderr, "startup: first frame presented after %.1f ms\n", (now_ns - start_ns) / 1e6);
}

void FrameLoop::set_minimum_size(Size minimum) {
  minimum_ = minimum;
  backend_.set_minimum_size({minimum_.width * theme_.ui_scale, minimum_.height * theme_.ui_scale});
}

bool FrameLoop::take_theme() {
  const float ui_scale = theme_.ui_scale;
  theme_ = root_.theme_override().value_or(Theme::dark());
  theme_.ui_scale = bounded_scale(theme_.ui_scale);
  theme_.text_scale = bounded_scale(theme_.text_scale);
  if (theme_.ui_scale != ui_scale) {
    backend_.set_minimum_size({minimum_.width * theme_.ui_scale, minimum_.height * theme_.ui_scale});
  }
  if (text_.text_scale() == theme_.text_scale) return false;
  text_.set_text_scale(theme_.text_scale);
  return true;
}

Size FrameLoop::layout_size() const {
  const Size window = backend_.size();
  return {std::max(window.width / theme_.ui_scale, minimum_.width),
          std::max(window.height / theme_.ui_scale, minimum_.height)};
}

double FrameLoop::pixel_scale() const { return backend_.scale() * theme_.ui_scale; }

void FrameLoop::layout() {
  tree_.clear();
  nodes_.clear();
  LayoutContext context{static_cast<float>(pixel_scale()), 14.0f, &text_, last_size_};
  root_node_ = root_.build_layout(tree_, context, nodes_);
  tree_.compute(root_node_, last_size_, text_);
  root_.apply_layout(tree_, root_node_, 0, 0);
  keep_focus_after_layout();
}

void FrameLoop::keep_focus_after_layout() {
  if (!focused_) return;
  // A focused widget that is no longer in the tree has gone with its old subtree; one in the tree
  // that does not know it has focus is a new widget that took the old one's place in memory.
  bool alive = false;
  for (const auto& [node, widget] : nodes_) alive = alive || widget == focused_;
  if (alive && focused_->has_focus()) return;
  focused_ = nullptr;
  if (focused_id_.empty()) return;
  if (Widget* successor = find_focusable(focused_id_, focused_type_)) set_focus(successor);
}

Widget* FrameLoop::find_focusable(std::string_view id, std::string_view type) const {
  std::unordered_set<const Widget*> laid_out;
  for (const auto& [node, widget] : nodes_) laid_out.insert(widget);
  std::vector<Widget*> order;
  collect_focusable(root_, laid_out, order);
  Widget* found = nullptr;
  for (Widget* widget : order) {
    if (widget->widget_id() != id || (!type.empty() && widget->type_name() != type)) continue;
    if (found) return nullptr;
    found = widget;
  }
  return found;
}

void FrameLoop::draw() {
  scene_.clear();
  PresenceContext presence{Rect{0, 0, last_size_.width, last_size_.height}};
  root_.draw_with_presence(scene_, Affine::identity(), text_, theme_, presence);
  root_.draw_overlay(scene_, Affine::identity(), text_, theme_, presence);
  backend_.present(scene_, text_, theme_.background, last_scale_);
}

void FrameLoop::set_focus(Widget* widget) {
  if (widget == focused_) return;
  if (focused_) focused_->set_focus(false);
  focused_ = widget;
  focused_id_ = widget ? widget->widget_id().value_or("") : "";
  focused_type_ = widget ? std::string(widget->type_name()) : "";
  if (focused_) {
    focused_->set_focus(true);
    // Scroll containers bring the newly focused widget into view.
    root_.reveal_descendant(focused_);
  }
}

}  // namespace orvo_ui
