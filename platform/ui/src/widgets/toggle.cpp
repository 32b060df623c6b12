#include "orvo_ui/widgets/toggle.h"

#include "widgets/control_support.h"
#include "widgets/node_support.h"

namespace orvo_ui {

NodeId Toggle::build_layout(LayoutTree& tree, LayoutContext&, NodeMap& nodes) {
  Style style;
  style.width = Dimension::points(kWidth);
  style.height = Dimension::points(kHeight);
  style.flex_shrink = 0;
  return node_support::plain_leaf(tree, style, nodes, *this);
}

void Toggle::draw(Scene& scene, Affine transform, TextRenderer&, const Theme& theme, const PresenceContext&) {
  const bool on = cell_.snapshot();
  const bool enabled = is_enabled();
  const double radius = rect_.height() / 2;
  Color track = on ? theme.accent : theme.surface_border;
  if (!enabled) track = control_support::dimmed(track);
  scene.fill(RoundedRect::from_rect(rect_, radius), track, transform);
  const double knob = rect_.height() - 6;
  const double x = on ? rect_.x1 - 3 - knob : rect_.x0 + 3;
  Color knob_color = on ? theme.accent_text : theme.text;
  if (!enabled) knob_color = control_support::dimmed(knob_color);
  scene.fill(Ellipse{Rect::from_origin_size(x, rect_.y0 + 3, knob, knob)}, knob_color, transform);
  if (focused_) control_support::draw_focus_ring(scene, transform, rect_, theme, radius);
}

void Toggle::flip() {
  const bool next = !cell_.snapshot();
  cell_.publish(next);
  emit(next);
}

void Toggle::handle_event(const Event& event, EventContext& context) {
  if (take_press(event, context)) {
    pointer_down_ = true;
    return;
  }
  if (auto* button = std::get_if<event::PointerButton>(&event); button && !button->pressed && pointer_down_) {
    pointer_down_ = false;
    auto position = node_support::pointer_position(event, context.scale_factor);
    if (position && rect_.contains(*position) && is_enabled()) {
      flip();
      context.request_redraw();
    }
    return;
  }
  const auto* key = std::get_if<event::Key>(&event);
  if (key && focused_ && is_enabled() && control_support::is_activation_key(*key)) {
    flip();
    context.request_redraw();
  }
}

std::optional<AccessibilityNode> Toggle::accessibility() const {
  AccessibilityNode node = AccessibilityNode{}.with_id(*widget_id()).with_value(cell_.snapshot() ? "on" : "off");
  node.focusable = is_focusable();
  node.focused = focused_;
  node.disabled = !is_enabled();
  node.tri_state[0] = cell_.snapshot() ? TriState::True : TriState::False;
  return node;
}

bool Toggle::perform_action(const AccessibilityAction& action) {
  if (!is_enabled()) return false;
  if (std::holds_alternative<a11y::Activate>(action)) {
    flip();
    return true;
  }
  return false;
}

}  // namespace orvo_ui
