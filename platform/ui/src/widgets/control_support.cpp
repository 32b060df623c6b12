#include "widgets/control_support.h"

#include "widgets/node_support.h"

namespace orvo_ui::control_support {

void draw_focus_ring(Scene& scene, const Affine& transform, const Rect& rect, const Theme& theme, double radius) {
  scene.stroke(RoundedRect::from_rect(rect.inset(-3, -3), radius + 3), theme.focus_ring, transform, StrokeStyle{2});
}

bool is_activation_key(const event::Key& key) {
  if (!key.pressed || key.modifiers.ctrl || key.modifiers.alt || key.modifiers.super) return false;
  return key.key == NamedKey::Space || key.key == NamedKey::Enter;
}

bool is_primary_press_inside(const Event& event, const Rect& rect, double scale_factor) {
  const auto* button = std::get_if<event::PointerButton>(&event);
  if (!button || !button->pressed || button->button != MouseButton::Primary) return false;
  auto position = node_support::pointer_position(event, scale_factor);
  return position && rect.contains(*position);
}

namespace {
bool is_continuation(char c) { return (static_cast<unsigned char>(c) & 0xC0) == 0x80; }
}  // namespace

std::size_t next_boundary(std::string_view text, std::size_t offset) {
  if (offset >= text.size()) return text.size();
  ++offset;
  while (offset < text.size() && is_continuation(text[offset])) ++offset;
  return offset;
}

std::size_t previous_boundary(std::string_view text, std::size_t offset) {
  if (offset == 0) return 0;
  offset = std::min(offset, text.size()) - 1;
  while (offset > 0 && is_continuation(text[offset])) --offset;
  return offset;
}

Color dimmed(Color color) { return color.with_alpha(static_cast<std::uint8_t>(color.a * 0.4)); }

}  // namespace orvo_ui::control_support
