#include "panes/time_date/time_zone_map.h"

#include <algorithm>
#include <cmath>
#include <fmt/format.h>

namespace settings::panes::time_date {

using orvo_ui::Point;
using orvo_ui::Rect;

namespace {

constexpr double kInset = 10;
constexpr double kCaptionRoom = 34;
constexpr double kDotRadius = 2.2;
constexpr double kCurrentDotRadius = 4.5;
constexpr double kRingGap = 4;
constexpr double kRingWidth = 2;
constexpr double kCrossPenalty = 2.5;
constexpr std::array<double, 5> kMeridians{-120, -60, 0, 60, 120};
constexpr std::array<double, 3> kParallels{-45, 0, 45};

double degrees(std::int32_t e6) { return e6 / 1'000'000.0; }

Point project_onto(const Rect& map, double longitude, double latitude) {
  return {map.x0 + map.width() * (longitude + 180) / 360, map.y0 + map.height() * (90 - latitude) / 180};
}

orvo_ui::Ellipse circle(Point centre, double radius) {
  return {Rect{centre.x - radius, centre.y - radius, centre.x + radius, centre.y + radius}};
}

// Keys and clicks that carry a shortcut modifier belong to someone else.
bool has_shortcut_modifier(const orvo_ui::Modifiers& modifiers) {
  return modifiers.ctrl || modifiers.alt || modifiers.super;
}

}  // namespace

TimeZoneMap::TimeZoneMap(std::vector<TimeZoneEntry> entries, std::string current_zone,
                         std::optional<orvo_actions::ActionBinding<std::string>> binding)
    : entries_(std::move(entries)), current_zone_(std::move(current_zone)) {
  if (binding) emitter_.emplace(std::move(*binding));
  keyboard_selection_ = current_index();
}

orvo_ui::NodeId TimeZoneMap::build_layout(orvo_ui::LayoutTree& tree, orvo_ui::LayoutContext&,
                                          orvo_ui::NodeMap& nodes) {
  orvo_ui::Style style;
  style.width = orvo_ui::Dimension::percent(1.0f);
  style.height = orvo_ui::Dimension::points(kHeight);
  style.flex_shrink = 0;
  const orvo_ui::NodeId node = tree.new_leaf(style).value_or(0);
  nodes[node] = this;
  return node;
}

void TimeZoneMap::apply_layout(const orvo_ui::LayoutTree& tree, orvo_ui::NodeId node, double x, double y) {
  const auto layout = tree.layout(node);
  if (!layout) {
    rect_ = Rect{};
    return;
  }
  rect_ = Rect::from_origin_size(x + layout->x, y + layout->y, layout->size.width, layout->size.height);
}

Rect TimeZoneMap::map_rect() const {
  const double left = rect_.x0 + kInset;
  const double top = rect_.y0 + kInset;
  return Rect{left, top, std::max(rect_.x1 - kInset, left + 1), std::max(rect_.y1 - kCaptionRoom, top + 1)};
}

Point TimeZoneMap::project(std::size_t index) const {
  if (index >= entries_.size()) return {};
  const auto& entry = entries_[index];
  return project_onto(map_rect(), degrees(entry.longitude_e6), degrees(entry.latitude_e6));
}

std::optional<std::size_t> TimeZoneMap::hit_test(Point point) const {
  if (!rect_.contains(point)) return std::nullopt;
  std::optional<std::size_t> best;
  double best_distance = 0;
  for (std::size_t i = 0; i < entries_.size(); ++i) {
    const Point at = project(i);
    const double distance = std::hypot(at.x - point.x, at.y - point.y);
    if (distance > kHitRadius) continue;
    if (!best || distance < best_distance) {
      best = i;
      best_distance = distance;
    }
  }
  return best;
}

void TimeZoneMap::move_selection(int dx, int dy) {
  if (entries_.empty()) return;
  const std::size_t origin = keyboard_selection_.value_or(current_index().value_or(0));
  const double origin_longitude = degrees(entries_[origin].longitude_e6);
  const double origin_latitude = degrees(entries_[origin].latitude_e6);
  std::optional<std::size_t> best;
  double best_score = 0;
  for (std::size_t i = 0; i < entries_.size(); ++i) {
    if (i == origin) continue;
    const double d_longitude = degrees(entries_[i].longitude_e6) - origin_longitude;
    const double d_south = origin_latitude - degrees(entries_[i].latitude_e6);
    const double along = d_longitude * dx + d_south * dy;
    if (along <= 0) continue;
    const double score = along + kCrossPenalty * std::abs(d_longitude * dy - dx * d_south);
    if (!best || score < best_score) {
      best = i;
      best_score = score;
    }
  }
  if (best) keyboard_selection_ = best;
}

void TimeZoneMap::commit(std::size_t index) {
  if (index >= entries_.size() || entries_[index].name == current_zone_) return;
  current_zone_ = entries_[index].name;
  keyboard_selection_ = index;
  if (emitter_) (void)emitter_->emit(current_zone_);
}

std::optional<std::size_t> TimeZoneMap::index_of(std::string_view name) const {
  for (std::size_t i = 0; i < entries_.size(); ++i) {
    if (entries_[i].name == name) return i;
  }
  return std::nullopt;
}

void TimeZoneMap::set_focus(bool focused) {
  focused_ = focused;
  if (focused && !keyboard_selection_ && !entries_.empty()) keyboard_selection_ = current_index().value_or(0);
}

void TimeZoneMap::handle_event(const orvo_ui::Event& event, orvo_ui::EventContext& context) {
  using namespace orvo_ui;
  if (const auto* key = std::get_if<event::Key>(&event)) {
    if (!focused_ || !key->pressed || entries_.empty() || has_shortcut_modifier(key->modifiers)) return;
    switch (key->key) {
      case NamedKey::Left: move_selection(-1, 0); break;
      case NamedKey::Right: move_selection(1, 0); break;
      case NamedKey::Up: move_selection(0, -1); break;
      case NamedKey::Down: move_selection(0, 1); break;
      case NamedKey::Enter:
      case NamedKey::Space:
        if (keyboard_selection_) commit(*keyboard_selection_);
        break;
      default: return;
    }
    context.handled = true;
    context.request_redraw();
    return;
  }
  if (const auto* moved = std::get_if<event::PointerMoved>(&event)) {
    const double scale = context.scale_factor > 0 ? context.scale_factor : 1.0;
    pointer_ = Point{moved->position.x / scale, moved->position.y / scale};
    const auto hit = hit_test(pointer_);
    if (hit != hovered_) {
      hovered_ = hit;
      context.handled = true;
      context.request_redraw();
    }
    return;
  }
  if (std::holds_alternative<event::PointerLeft>(event)) {
    if (hovered_) context.request_redraw();
    hovered_.reset();
    return;
  }
  if (const auto* button = std::get_if<event::PointerButton>(&event)) {
    if (button->pressed || button->button != MouseButton::Primary || context.handled) return;
    const auto hit = hit_test(pointer_);
    if (!hit) return;
    commit(*hit);
    context.focus_request = context.node;
    context.handled = true;
    context.request_redraw();
  }
}

std::optional<orvo_ui::CursorKind> TimeZoneMap::cursor_at(Point point) const {
  if (hit_test(point)) return orvo_ui::cursor::kPointer;
  return std::nullopt;
}

std::optional<std::string> TimeZoneMap::tooltip_text() const {
  if (!hovered_ || *hovered_ >= entries_.size()) return std::nullopt;
  return entries_[*hovered_].name;
}

std::optional<orvo_ui::AccessibilityNode> TimeZoneMap::accessibility() const {
  const std::string value =
      keyboard_selection_ && *keyboard_selection_ < entries_.size() ? entries_[*keyboard_selection_].name : current_zone_;
  auto node = orvo_ui::AccessibilityNode{}
                  .with_id("time.timezone-map")
                  .with_label(kMapLabel)
                  .with_description(kMapDescription)
                  .with_value(value);
  node.focused = focused_;
  node.focusable = is_focusable();
  return node;
}

bool TimeZoneMap::perform_action(const orvo_ui::AccessibilityAction& action) {
  std::optional<std::size_t> index;
  if (const auto* set = std::get_if<orvo_ui::a11y::SetValue>(&action)) {
    index = index_of(set->value);
  } else if (std::holds_alternative<orvo_ui::a11y::Activate>(action)) {
    index = keyboard_selection_ ? keyboard_selection_ : current_index();
  }
  if (!index) return false;
  commit(*index);
  return true;
}

std::optional<orvo_actions::ControlInvocation> TimeZoneMap::take_control_invocation() {
  if (!emitter_) return std::nullopt;
  return emitter_->take();
}

void TimeZoneMap::draw(orvo_ui::Scene& scene, orvo_ui::Affine transform, orvo_ui::TextRenderer& text,
                       const orvo_ui::Theme& theme, const orvo_ui::PresenceContext&) {
  using orvo_ui::Path;
  using orvo_ui::RoundedRect;
  scene.fill(RoundedRect::from_rect(rect_, theme.corner_radius), theme.surface, transform);
  scene.stroke(orvo_ui::edge_outline(rect_, theme.corner_radius), theme.surface_border, transform);
  const float text_width = static_cast<float>(std::max(rect_.width() - 2 * kInset, 1.0));
  if (entries_.empty()) {
    const auto size = text.measure(kMapUnavailable, false, kCaptionSize, 0);
    const double y = rect_.y0 + (rect_.height() - size.height) / 2;
    text.draw_text(scene, kMapUnavailable, false, kCaptionSize, static_cast<float>(std::max(rect_.width() - 16, 1.0)),
                   theme.secondary_text, transform * orvo_ui::Affine::translate(rect_.x0 + 8, y));
    return;
  }
  const Rect map = map_rect();
  for (const double longitude : kMeridians) {
    const Point top = project_onto(map, longitude, 90);
    const Point bottom = project_onto(map, longitude, -90);
    scene.stroke(Path{}.move_to(top).line_to(bottom), theme.surface_border, transform, {.width = 1});
  }
  for (const double latitude : kParallels) {
    const Point west = project_onto(map, -180, latitude);
    const Point east = project_onto(map, 180, latitude);
    scene.stroke(Path{}.move_to(west).line_to(east), theme.surface_border, transform, {.width = 1});
  }
  for (std::size_t i = 0; i < entries_.size(); ++i) {
    const bool current = entries_[i].name == current_zone_;
    const double radius = current ? kCurrentDotRadius : kDotRadius;
    const Point at = project(i);
    scene.fill(circle(at, radius), current ? theme.accent : theme.secondary_text, transform);
    const bool ringed = hovered_ == i || (focused_ && keyboard_selection_ == i);
    if (ringed) scene.stroke(circle(at, radius + kRingGap), theme.focus_ring, transform, {.width = kRingWidth});
  }
  const std::string caption = focused_ && keyboard_selection_ && *keyboard_selection_ < entries_.size()
                                  ? fmt::format("{} — {}", entries_[*keyboard_selection_].place,
                                                entries_[*keyboard_selection_].region)
                                  : fmt::format("Selected: {}", current_zone_);
  text.draw_text(scene, caption, false, kCaptionSize, text_width, theme.text,
                 transform * orvo_ui::Affine::translate(rect_.x0 + kInset, rect_.y1 - 23));
}

}  // namespace settings::panes::time_date
