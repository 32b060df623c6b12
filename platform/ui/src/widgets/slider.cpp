#include "orvo_ui/widgets/slider.h"

#include <algorithm>
#include <cmath>

#include "widgets/control_support.h"
#include "widgets/node_support.h"

namespace orvo_ui {
namespace {
constexpr double kThumb = 18;
}

Slider Slider::with_range(double min, double max, double step) && {
  if (std::isfinite(min) && std::isfinite(max) && max > min) {
    min_ = min;
    max_ = max;
  }
  if (std::isfinite(step) && step > 0) step_ = step;
  return std::move(*this);
}

double Slider::clamp(double value) const {
  if (std::isnan(value)) return min_;
  return std::clamp(value, min_, max_);
}

Rect Slider::track() const { return rect_.inset(kThumb / 2, 0); }

double Slider::value_at(double x) const {
  const Rect t = track();
  if (t.width() <= 0) return min_;
  return clamp(min_ + (x - t.x0) / t.width() * (max_ - min_));
}

bool Slider::set_value(double value) {
  value = clamp(value);
  if (value == cell_.snapshot()) return false;
  cell_.publish(value);
  return true;
}

NodeId Slider::build_layout(LayoutTree& tree, LayoutContext&, NodeMap& nodes) {
  Style style;
  style.min_width = Dimension::points(kMinWidth);
  style.height = Dimension::points(kHeight);
  style.flex_grow = 1;
  return node_support::plain_leaf(tree, style, nodes, *this);
}

void Slider::draw(Scene& scene, Affine transform, TextRenderer&, const Theme& theme, const PresenceContext&) {
  const bool enabled = is_enabled();
  const Rect t = track();
  const double mid = rect_.center().y;
  const double fraction = (clamp(cell_.snapshot()) - min_) / (max_ - min_);
  const double x = t.x0 + fraction * t.width();
  scene.fill(RoundedRect::from_rect(Rect{t.x0, mid - 2, t.x1, mid + 2}, 2), theme.surface_border, transform);
  Color accent = enabled ? theme.accent : control_support::dimmed(theme.accent);
  scene.fill(RoundedRect::from_rect(Rect{t.x0, mid - 2, x, mid + 2}, 2), accent, transform);
  const Rect thumb{x - kThumb / 2, mid - kThumb / 2, x + kThumb / 2, mid + kThumb / 2};
  scene.fill(Ellipse{thumb}, enabled ? theme.text : control_support::dimmed(theme.text), transform);
  if (focused_) control_support::draw_focus_ring(scene, transform, rect_, theme, rect_.height() / 2);
}

void Slider::handle_event(const Event& event, EventContext& context) {
  if (take_press(event, context)) {
    pointer_down_ = true;
    capture_ = true;
    set_value(value_at(node_support::pointer_position(event, context.scale_factor)->x));
    return;
  }
  if (capture_) {
    if (std::holds_alternative<event::PointerMoved>(event)) {
      if (set_value(value_at(node_support::pointer_position(event, context.scale_factor)->x))) {
        context.request_redraw();
      }
      return;
    }
    auto* button = std::get_if<event::PointerButton>(&event);
    if (button && !button->pressed && button->button == MouseButton::Primary) {
      set_value(value_at(node_support::pointer_position(event, context.scale_factor)->x));
      capture_ = false;
      pointer_down_ = false;
      emit(cell_.snapshot());
      context.request_redraw();
      return;
    }
  }
  const auto* key = std::get_if<event::Key>(&event);
  if (!key || !key->pressed || !focused_ || !is_enabled()) return;
  const double current = clamp(cell_.snapshot());
  double target = current;
  switch (key->key) {
    case NamedKey::Left:
    case NamedKey::Down: target = current - step_; break;
    case NamedKey::Right:
    case NamedKey::Up: target = current + step_; break;
    case NamedKey::Home: target = min_; break;
    case NamedKey::End: target = max_; break;
    default: return;
  }
  if (set_value(target)) {
    emit(cell_.snapshot());
    context.request_redraw();
  }
}

void Slider::set_interaction_environment(const InteractionEnvironment& environment) {
  Control::set_interaction_environment(environment);
  if (environment.flags & InteractionEnvironment::kPointerReset) capture_ = false;
}

std::optional<AccessibilityNode> Slider::accessibility() const {
  AccessibilityNode node = AccessibilityNode{}.with_id(*widget_id());
  node.numeric_value = cell_.snapshot();
  node.min_value = min_;
  node.max_value = max_;
  node.focusable = is_focusable();
  node.focused = focused_;
  node.disabled = !is_enabled();
  return node;
}

bool Slider::perform_action(const AccessibilityAction& action) {
  if (!is_enabled()) return false;
  const double current = clamp(cell_.snapshot());
  std::optional<double> target;
  if (std::holds_alternative<a11y::Increment>(action)) target = current + step_;
  if (std::holds_alternative<a11y::Decrement>(action)) target = current - step_;
  if (auto* set = std::get_if<a11y::SetValue>(&action)) {
    char* end = nullptr;
    const double parsed = std::strtod(set->value.c_str(), &end);
    if (set->value.empty() || *end != '\0' || !std::isfinite(parsed)) return false;
    target = parsed;
  }
  if (!target) return false;
  if (set_value(*target)) emit(cell_.snapshot());
  return true;
}

}  // namespace orvo_ui
