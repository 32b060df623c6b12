#pragma once
// Colours and shapes shared by every widget, in a dark and a light variant.
#include <optional>
#include <string>
#include <string_view>

#include "orvo_ui/geometry.h"

namespace orvo_ui {

struct Theme {
  std::string name;
  Color background;
  Color surface;
  Color surface_border;
  Color text;
  Color secondary_text;
  Color accent;
  Color accent_text;
  Color focus_ring;
  Color hover_fill;
  Color selected_fill;
  Color pressed_fill;
  Color danger;
  Color success;
  Color warning;
  float corner_radius = 10;

  static Theme dark();
  static Theme light();
  // "dark" or "light"; none for any other name.
  static std::optional<Theme> named(std::string_view name);
};

// How a selectable surface (a sidebar pill, a list entry) looks in one state.
struct SelectionTier {
  Color fill;
  double scale = 1.0;
  std::optional<Color> outline;
  bool inner_ring = false;
  Color ring;
};

SelectionTier selection_tier(const Theme& theme, bool selected, bool hovered, bool pressed);

// The outline of a rounded surface, inset by half a pixel so a 1-wide stroke stays inside it.
RoundedRect edge_outline(const Rect& rect, double radius);

}  // namespace orvo_ui
