#include "orvo_ui/theme.h"

namespace orvo_ui {

Theme Theme::dark() {
  Theme t;
  t.name = "dark";
  t.background = Color::rgb(0x1b1c20);
  t.surface = Color::rgb(0x26282e);
  t.surface_border = Color::rgb(0x34363d);
  t.text = Color::rgb(0xe8e9ed);
  t.secondary_text = Color::rgb(0x9b9ea8);
  t.accent = Color::rgb(0x5b8def);
  t.accent_text = Color::rgb(0xffffff);
  t.focus_ring = Color::rgb(0x8ab0ff);
  t.hover_fill = Color::rgb(0xffffff).with_alpha(18);
  t.selected_fill = Color::rgb(0x5b8def).with_alpha(70);
  t.pressed_fill = Color::rgb(0xffffff).with_alpha(30);
  t.danger = Color::rgb(0xef5b5b);
  t.success = Color::rgb(0x4cc38a);
  t.warning = Color::rgb(0xf0b44c);
  t.corner_radius = 10;
  return t;
}

Theme Theme::light() {
  Theme t;
  t.name = "light";
  t.background = Color::rgb(0xf4f5f7);
  t.surface = Color::rgb(0xffffff);
  t.surface_border = Color::rgb(0xdcdee3);
  t.text = Color::rgb(0x1d1f24);
  t.secondary_text = Color::rgb(0x5f636d);
  t.accent = Color::rgb(0x2f6fdf);
  t.accent_text = Color::rgb(0xffffff);
  t.focus_ring = Color::rgb(0x2f6fdf);
  t.hover_fill = Color::rgb(0x000000).with_alpha(12);
  t.selected_fill = Color::rgb(0x2f6fdf).with_alpha(40);
  t.pressed_fill = Color::rgb(0x000000).with_alpha(24);
  t.danger = Color::rgb(0xc93434);
  t.success = Color::rgb(0x23865a);
  t.warning = Color::rgb(0xa86d00);
  t.corner_radius = 10;
  return t;
}

std::optional<Theme> Theme::named(std::string_view name) {
  if (name == "dark") return dark();
  if (name == "light") return light();
  return std::nullopt;
}

SelectionTier selection_tier(const Theme& theme, bool selected, bool hovered, bool pressed) {
  SelectionTier tier;
  tier.fill = Color{0, 0, 0, 0};
  tier.ring = theme.accent;
  if (selected) {
    tier.fill = theme.selected_fill;
    tier.outline = theme.accent.with_alpha(90);
  } else if (pressed) {
    tier.fill = theme.pressed_fill;
  } else if (hovered) {
    tier.fill = theme.hover_fill;
  }
  if (pressed) tier.scale = 0.98;
  return tier;
}

RoundedRect edge_outline(const Rect& rect, double radius) {
  return RoundedRect::from_rect(rect.inset(0.5, 0.5), std::max(radius - 0.5, 0.0));
}

}  // namespace orvo_ui
