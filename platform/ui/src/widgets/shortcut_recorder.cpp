#include "orvo_ui/widgets/shortcut_recorder.h"

#include <algorithm>
#include <cctype>

#include "widgets/control_support.h"
#include "widgets/node_support.h"

namespace orvo_ui {
namespace {
constexpr double kPaddingX = 10;
constexpr double kPaddingY = 7;
constexpr double kRadius = 6;
constexpr float kTextSize = 14;
constexpr std::string_view kUnavailable = "Shortcut unavailable";

std::optional<std::string_view> key_name(NamedKey key) {
  switch (key) {
    case NamedKey::Enter: return "Enter";
    case NamedKey::Space: return "Space";
    case NamedKey::Tab: return "Tab";
    case NamedKey::Delete: return "Delete";
    case NamedKey::Left: return "Left";
    case NamedKey::Right: return "Right";
    case NamedKey::Up: return "Up";
    case NamedKey::Down: return "Down";
    case NamedKey::Home: return "Home";
    case NamedKey::End: return "End";
    case NamedKey::PageUp: return "PageUp";
    case NamedKey::PageDown: return "PageDown";
    default: return std::nullopt;
  }
}
}  // namespace

ShortcutRecorder ShortcutRecorder::with_default(std::string_view chord) && {
  default_chord_ = std::string(chord);
  return std::move(*this);
}

ShortcutRecorder ShortcutRecorder::unavailable(bool unavailable) && {
  unavailable_ = unavailable;
  return std::move(*this);
}

std::optional<std::string> ShortcutRecorder::chord_text(const event::Key& key) {
  std::string name;
  if (key.key == NamedKey::None) {
    if (key.text.empty()) return std::nullopt;  // a modifier on its own
    name = key.text;
    if (name.size() == 1) name[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(name[0])));
  } else if (auto named = key_name(key.key)) {
    name = std::string(*named);
  } else {
    return std::nullopt;
  }
  std::string chord;
  if (key.modifiers.ctrl) chord += "Ctrl+";
  if (key.modifiers.alt) chord += "Alt+";
  if (key.modifiers.shift) chord += "Shift+";
  if (key.modifiers.super) chord += "Super+";
  return chord + name;
}

void ShortcutRecorder::broadcast_flag_a(std::uint8_t flag) {
  broadcast_ = flag != 0;
  // The environment's second field is the negation of the flag.
  if (flag) environment_.flags &= ~std::uint32_t{0x100};
  else environment_.flags |= 0x100;
}

std::string ShortcutRecorder::shown_text() const {
  if (capture_) return "Press a shortcut…";
  std::string chord = cell_.snapshot();
  if (chord.empty()) chord = default_chord_;
  return chord.empty() ? std::string("Disabled") : chord;
}

NodeId ShortcutRecorder::build_layout(LayoutTree& tree, LayoutContext&, NodeMap& nodes) {
  Style style;
  style.min_width = Dimension::points(kMinWidth);
  style.flex_shrink = 0;
  return node_support::measured_leaf(tree, style, nodes, *this);
}

Size ShortcutRecorder::measure(KnownSize known, AvailableSize, TextRenderer& text) {
  const Size line = text.measure("Mg", false, text.renderer_input_style(TextStyle{kTextSize}), 0);
  return {known.width.value_or(static_cast<float>(kMinWidth)),
          known.height.value_or(line.height + static_cast<float>(2 * kPaddingY))};
}

void ShortcutRecorder::apply_layout(const LayoutTree& tree, NodeId node, double x, double y) {
  rect_ = node_support::laid_out_rect(tree, node, x, y);
}

void ShortcutRecorder::draw(Scene& scene, Affine transform, TextRenderer& text, const Theme& theme,
                            const PresenceContext&) {
  scene.fill(RoundedRect::from_rect(rect_, kRadius), capture_ ? theme.pressed_fill : theme.surface, transform);
  scene.stroke(edge_outline(rect_, kRadius), capture_ ? theme.accent : theme.surface_border, transform);
  const float size = text.renderer_input_style(TextStyle{kTextSize});
  const std::string shown = shown_text();
  const Size measured = text.measure(shown, false, size, 0);
  Color color = cell_.snapshot().empty() && !capture_ ? theme.secondary_text : theme.text;
  if (unavailable_) color = theme.warning;
  text.draw_text(scene, shown, false, size, static_cast<float>(rect_.width() - 2 * kPaddingX), color,
                 transform * Affine::translate(rect_.x0 + kPaddingX, rect_.y0 + (rect_.height() - measured.height) / 2));
  if (focused_) control_support::draw_focus_ring(scene, transform, rect_, theme, kRadius);
}

void ShortcutRecorder::handle_event(const Event& event, EventContext& context) {
  if (!context.handled && control_support::is_primary_press_inside(event, rect_, context.scale_factor)) {
    if (!focused_) context.focus_request = context.node;
    context.handled = true;
    capture_ = true;
    context.request_redraw();
    return;
  }
  const auto* key = std::get_if<event::Key>(&event);
  if (!key || !key->pressed || !focused_) return;
  if (!capture_) {
    if (control_support::is_activation_key(*key)) {
      capture_ = true;
      context.request_redraw();
    }
    return;
  }
  // While recording, every key belongs to the recorder.
  context.handled = true;
  const bool plain = !key->modifiers.ctrl && !key->modifiers.alt && !key->modifiers.shift && !key->modifiers.super;
  if (plain && key->key == NamedKey::Escape) {
    capture_ = false;
  } else if (plain && key->key == NamedKey::Backspace) {
    cell_.publish(std::string());
    capture_ = false;
  } else if (auto chord = chord_text(*key)) {
    cell_.publish(std::move(*chord));
    capture_ = false;
  } else {
    return;  // a modifier on its own: keep waiting for the key
  }
  context.request_redraw();
}

std::optional<std::string> ShortcutRecorder::tooltip_text() const {
  if (!unavailable_) return std::nullopt;
  return std::string(kUnavailable);
}

std::optional<std::pair<Rect, std::string>> ShortcutRecorder::tooltip_at(Point point) const {
  if (!unavailable_ || !rect_.contains(point)) return std::nullopt;
  return std::pair{rect_, std::string(kUnavailable)};
}

void ShortcutRecorder::set_focus(bool focused) {
  focused_ = focused;
  if (!focused) capture_ = false;
}

std::optional<AccessibilityNode> ShortcutRecorder::accessibility() const {
  AccessibilityNode node = AccessibilityNode{}.with_id(id_).with_value(shown_text());
  if (unavailable_) node = std::move(node).with_description(kUnavailable);
  node.focusable = true;
  node.focused = focused_;
  return node;
}

bool ShortcutRecorder::perform_action(const AccessibilityAction& action) {
  if (!std::holds_alternative<a11y::Activate>(action)) return false;
  capture_ = true;
  return true;
}

}  // namespace orvo_ui
