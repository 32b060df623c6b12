#include "orvo_ui/widgets/dropdown.h"

#include <algorithm>

#include "widgets/control_support.h"
#include "widgets/node_support.h"

namespace orvo_ui {
namespace {
constexpr double kPaddingX = 10;
constexpr double kPaddingY = 7;
constexpr double kRadius = 6;
constexpr float kTextSize = 14;
}  // namespace

Dropdown Dropdown::with_placeholder(std::string_view placeholder) && {
  placeholder_ = std::string(placeholder);
  return std::move(*this);
}

std::optional<std::size_t> Dropdown::chosen_index() const {
  const std::string value = cell_.snapshot();
  auto it = std::find(choices_.begin(), choices_.end(), value);
  if (it == choices_.end()) return std::nullopt;
  return static_cast<std::size_t>(it - choices_.begin());
}

Rect Dropdown::entry_rect(std::size_t index) const {
  const double top = popup_.y0 + 4 + static_cast<double>(index) * kEntryHeight;
  return Rect{popup_.x0 + 4, top, popup_.x1 - 4, top + kEntryHeight};
}

void Dropdown::open() {
  if (choices_.empty()) return;
  open_ = true;
  highlight_ = chosen_index().value_or(0);
  const double height = static_cast<double>(choices_.size()) * kEntryHeight + 8;
  popup_ = Rect{rect_.x0, rect_.y1 + 4, rect_.x1, rect_.y1 + 4 + height};
}

void Dropdown::choose(std::size_t index) {
  if (index >= choices_.size()) return;
  highlight_ = index;
  if (cell_.snapshot() != choices_[index]) {
    cell_.publish(choices_[index]);
    emit(choices_[index]);
  }
}

void Dropdown::set_focus(bool focused) {
  focused_ = focused;
  if (!focused) close();
}

NodeId Dropdown::build_layout(LayoutTree& tree, LayoutContext&, NodeMap& nodes) {
  Style style;
  style.min_width = Dimension::points(kMinWidth);
  style.flex_shrink = 0;
  return node_support::measured_leaf(tree, style, nodes, *this);
}

Size Dropdown::measure(KnownSize known, AvailableSize, TextRenderer& text) {
  const float size = text.renderer_input_style(TextStyle{kTextSize});
  float widest = text.measure(placeholder_, false, size, 0).width;
  for (const auto& choice : choices_) widest = std::max(widest, text.measure(choice, false, size, 0).width);
  const float line = text.measure("Mg", false, size, 0).height;
  // Room for the text, the padding and the arrow.
  const auto width = std::max(static_cast<float>(kMinWidth), widest + static_cast<float>(2 * kPaddingX) + 24);
  return {known.width.value_or(width), known.height.value_or(line + static_cast<float>(2 * kPaddingY))};
}

void Dropdown::draw(Scene& scene, Affine transform, TextRenderer& text, const Theme& theme, const PresenceContext&) {
  const bool enabled = is_enabled();
  scene.fill(RoundedRect::from_rect(rect_, kRadius), open_ ? theme.pressed_fill : theme.surface, transform);
  scene.stroke(edge_outline(rect_, kRadius), theme.surface_border, transform);
  const float size = text.renderer_input_style(TextStyle{kTextSize});
  const double line = text.measure("Mg", false, size, 0).height;
  const double top = rect_.y0 + (rect_.height() - line) / 2;
  const auto chosen = chosen_index();
  const std::string shown = chosen ? choices_[*chosen] : placeholder_;
  Color color = chosen ? theme.text : theme.secondary_text;
  if (!enabled) color = control_support::dimmed(color);
  const auto width = static_cast<float>(std::max(0.0, rect_.width() - 2 * kPaddingX - 24));
  text.draw_text(scene, shown, false, size, width, color, transform * Affine::translate(rect_.x0 + kPaddingX, top));
  // A small chevron pointing down (up while open).
  const double cx = rect_.x1 - kPaddingX - 6;
  const double cy = rect_.center().y;
  const double d = open_ ? -3 : 3;
  Path chevron;
  chevron.move_to({cx - 5, cy - d}).line_to({cx, cy + d}).line_to({cx + 5, cy - d});
  scene.stroke(chevron, color, transform, StrokeStyle{1.5});
  if (focused_) control_support::draw_focus_ring(scene, transform, rect_, theme, kRadius);
}

void Dropdown::draw_overlay(Scene& scene, Affine transform, TextRenderer& text, const Theme& theme,
                            const PresenceContext&) {
  if (!open_) return;
  scene.fill(RoundedRect::from_rect(popup_.translated(0, 2), kRadius), Color{0, 0, 0, 90}, transform);
  scene.fill(RoundedRect::from_rect(popup_, kRadius), theme.surface, transform);
  scene.stroke(edge_outline(popup_, kRadius), theme.surface_border, transform);
  const float size = text.renderer_input_style(TextStyle{kTextSize});
  const double line = text.measure("Mg", false, size, 0).height;
  const auto chosen = chosen_index();
  for (std::size_t i = 0; i < choices_.size(); ++i) {
    const Rect entry = entry_rect(i);
    if (i == highlight_) scene.fill(RoundedRect::from_rect(entry, 4), theme.selected_fill, transform);
    const Color color = chosen == i ? theme.accent : theme.text;
    text.draw_text(scene, choices_[i], false, size, static_cast<float>(entry.width() - 12), color,
                   transform * Affine::translate(entry.x0 + 8, entry.y0 + (kEntryHeight - line) / 2));
  }
}

void Dropdown::handle_event(const Event& event, EventContext& context) {
  const auto position = node_support::pointer_position(event, context.scale_factor);
  if (open_) {
    if (auto* button = std::get_if<event::PointerButton>(&event); button && button->pressed && position) {
      if (!context.handled && popup_.contains(*position)) {
        const auto index = static_cast<std::size_t>((position->y - popup_.y0 - 4) / kEntryHeight);
        if (index < choices_.size()) choose(index);
        close();
      } else if (!context.handled && rect_.contains(*position)) {
        close();
      } else {
        close();
        return;  // a press elsewhere only closes the popup; it still reaches what it landed on
      }
      context.handled = true;
      context.request_redraw();
      return;
    }
    if (std::holds_alternative<event::PointerMoved>(event) && position && popup_.contains(*position)) {
      const auto index = static_cast<std::size_t>((position->y - popup_.y0 - 4) / kEntryHeight);
      if (index < choices_.size() && index != highlight_) {
        highlight_ = index;
        context.request_redraw();
      }
    }
  } else if (take_press(event, context)) {
    open();
    return;
  }
  const auto* key = std::get_if<event::Key>(&event);
  if (!key || !key->pressed || !focused_ || !is_enabled()) return;
  switch (key->key) {
    case NamedKey::Enter:
    case NamedKey::Space:
      if (open_) {
        choose(highlight_);
        close();
      } else {
        open();
      }
      break;
    case NamedKey::Escape:
      if (!open_) return;
      close();
      context.handled = true;
      break;
    case NamedKey::Up:
    case NamedKey::Down: {
      const bool down = key->key == NamedKey::Down;
      if (choices_.empty()) return;
      const std::size_t from = open_ ? highlight_ : chosen_index().value_or(down ? choices_.size() - 1 : 0);
      std::size_t next = from;
      if (down && from + 1 < choices_.size()) next = from + 1;
      if (!down && from > 0) next = from - 1;
      if (!chosen_index() && !open_) next = down ? 0 : choices_.size() - 1;
      if (open_) {
        highlight_ = next;
      } else {
        choose(next);
      }
      break;
    }
    default: return;
  }
  context.request_redraw();
}

std::optional<AccessibilityNode> Dropdown::accessibility() const {
  AccessibilityNode node = AccessibilityNode{}.with_id(*widget_id());
  if (!placeholder_.empty()) node = std::move(node).with_label(placeholder_);
  if (auto chosen = chosen_index()) node = std::move(node).with_value(choices_[*chosen]);
  node.actions = choices_;
  node.focusable = is_focusable();
  node.focused = focused_;
  node.disabled = !is_enabled();
  return node;
}

bool Dropdown::perform_action(const AccessibilityAction& action) {
  if (!is_enabled()) return false;
  if (std::holds_alternative<a11y::Activate>(action)) {
    if (open_) {
      close();
    } else {
      open();
    }
    return true;
  }
  if (auto* set = std::get_if<a11y::SetValue>(&action)) {
    auto it = std::find(choices_.begin(), choices_.end(), set->value);
    if (it == choices_.end()) return false;
    choose(static_cast<std::size_t>(it - choices_.begin()));
    return true;
  }
  return false;
}

}  // namespace orvo_ui
