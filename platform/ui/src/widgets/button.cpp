#include "orvo_ui/widgets/button.h"

#include "orvo_actions/action_constructors.h"
#include "widgets/control_support.h"
#include "widgets/node_support.h"

namespace orvo_ui {
namespace {
constexpr double kPaddingX = 14;
constexpr double kPaddingY = 7;
constexpr double kRadius = 6;
constexpr float kTextSize = 14;
}  // namespace

Button Button::with_tooltip(std::string_view tooltip) && {
  tooltip_ = std::string(tooltip);
  return std::move(*this);
}

Button Button::with_accessible_name(std::string_view name) && {
  accessible_name_ = std::string(name);
  return std::move(*this);
}

Button Button::on_press(std::function<void()> handler) && {
  handler_ = std::move(handler);
  return std::move(*this);
}

Button Button::with_min_size(float width, float height) && {
  min_size_ = Size{width, height};
  return std::move(*this);
}

Button Button::with_control_resource(orvo_actions::Resource resource) && {
  control_resource_ = std::move(resource);
  return std::move(*this);
}

Button Button::on_invoke(std::function<void()> handler) && {
  invoke_handler_ = std::move(handler);
  return std::move(*this);
}

void Button::press() {
  if (handler_) handler_();
  emit(orvo_actions::Unit{});
}

NodeId Button::build_layout(LayoutTree& tree, LayoutContext&, NodeMap& nodes) {
  Style style;
  style.flex_shrink = 0;
  if (min_size_) {
    style.min_width = Dimension::points(min_size_->width);
    style.min_height = Dimension::points(min_size_->height);
  }
  return node_support::measured_leaf(tree, style, nodes, *this);
}

Size Button::measure(KnownSize known, AvailableSize, TextRenderer& text) {
  const Size label = text.measure(label_, false, text.renderer_input_style(TextStyle{kTextSize}), 0);
  return {known.width.value_or(label.width + static_cast<float>(2 * kPaddingX)),
          known.height.value_or(label.height + static_cast<float>(2 * kPaddingY))};
}

void Button::draw(Scene& scene, Affine transform, TextRenderer& text, const Theme& theme, const PresenceContext&) {
  const bool enabled = is_enabled();
  Color fill = pointer_down_ ? theme.pressed_fill : theme.selected_fill;
  if (!enabled) fill = control_support::dimmed(fill);
  scene.fill(RoundedRect::from_rect(rect_, kRadius), fill, transform);
  scene.stroke(edge_outline(rect_, kRadius), theme.surface_border, transform);
  const float size = text.renderer_input_style(TextStyle{kTextSize});
  const Size label = text.measure(label_, false, size, 0);
  const double x = rect_.x0 + std::max(kPaddingX, (rect_.width() - label.width) / 2);
  const double y = rect_.y0 + (rect_.height() - label.height) / 2;
  text.draw_text(scene, label_, false, size, static_cast<float>(rect_.width() - 2 * kPaddingX),
                 enabled ? theme.text : control_support::dimmed(theme.text), transform * Affine::translate(x, y));
  if (focused_) control_support::draw_focus_ring(scene, transform, rect_, theme, kRadius);
}

void Button::handle_event(const Event& event, EventContext& context) {
  if (take_press(event, context)) {
    pointer_down_ = true;
    redraw_ = true;
    return;
  }
  if (auto* button = std::get_if<event::PointerButton>(&event); button && !button->pressed && pointer_down_) {
    pointer_down_ = false;
    redraw_ = true;
    context.request_redraw();
    auto position = node_support::pointer_position(event, context.scale_factor);
    if (position && rect_.contains(*position) && is_enabled()) press();
    return;
  }
  const auto* key = std::get_if<event::Key>(&event);
  if (key && focused_ && is_enabled() && control_support::is_activation_key(*key)) {
    press();
    context.request_redraw();
  }
}

void Button::set_focus(bool focused) {
  focused_ = focused;
  redraw_ = true;
}

std::optional<AccessibilityNode> Button::accessibility() const {
  AccessibilityNode node = AccessibilityNode{}.with_label(accessible_name_.value_or(label_));
  if (id_ && !id_->empty()) node = std::move(node).with_id(*id_);
  if (tooltip_) node = std::move(node).with_description(*tooltip_);
  node.focusable = is_focusable();
  node.focused = focused_;
  node.disabled = !is_enabled();
  return node;
}

bool Button::perform_action(const AccessibilityAction& action) {
  if (!is_enabled() || !std::holds_alternative<a11y::Activate>(action)) return false;
  press();
  return true;
}

std::vector<orvo_actions::Resource> Button::resources() {
  if (!control_resource_) return {};
  return {*control_resource_};
}

std::unordered_set<std::string> Button::resource_operation_handlers() const {
  if (!invoke_handler_) return {};
  return {std::string(orvo_actions::kControlInvokeKind)};
}

// The invoke operation names its button by the payload, the id written as a JSON string by the same
// writer that encoded the action, so the texts compare whole. Any other operation is not this
// button's, and a disabled button refuses to be pressed from outside as it refuses a click.
InvokeV2Answer Button::invoke_resource_operation_v2(OperationClass cls, std::string_view kind, std::string_view payload,
                                                    orvo_doc::Document*) {
  if (cls == OperationClass::Setting || !invoke_handler_) return std::nullopt;
  if (kind != orvo_actions::kControlInvokeKind || payload != orvo_actions::json_string(id_.value_or(""))) {
    return std::nullopt;
  }
  if (!is_enabled()) {
    return InvokeV2Answer{std::in_place, InvokeError{"the control " + id_.value_or("") + " is disabled"}};
  }
  invoke_handler_();
  return InvokeV2Answer{std::in_place, OperationOutcome{}};
}

}  // namespace orvo_ui
