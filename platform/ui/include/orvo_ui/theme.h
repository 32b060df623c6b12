#pragma once
#include <optional>
#include <string>
#include <string_view>

#include "orvo_ui/geometry.h"

namespace orvo_ui {

// Colours and shapes shared by every widget, and how large and how lively the interface is.
//
// Named themes are a dark or a light base with their own colours; "custom:" themes come from the
// user's theme file (`configured`). The scales and the reduce-motion flag are the user's choices,
// carried with the theme so every widget reads them from one place.
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
  // Grows the whole interface (1.0: as designed).
  float ui_scale = 1.0f;
  // Grows text on top of the interface scale.
  float text_scale = 1.0f;
  // Animations and transitions are skipped.
  bool reduce_motion = false;

  static Theme dark();
  static Theme light();
  // Black and white with strong borders and a bright focus ring.
  static Theme high_contrast();
  // "dark", "light" and the offered theme names ("Dark", "Light", "Orvo Blue", "Catppuccin
  // Mocha", "Catppuccin Latte", "Dracula", "Nord", "Gruvbox", "Gruvbox Light", "Solarized",
  // "OLED", "Beige"); none for any other name.
  static std::optional<Theme> named(std::string_view name);
  // The user's theme file, "orvo/theme.json" in the configuration directory, under `name`. The
  // file holds a base ("dark" or "light") and colours that replace the base's:
  //   {"base": "light", "colors": {"accent": "#2f6fdf", "background": "#fafafa"}, "corner_radius": 8}
  // A missing or unreadable file, or one that is not of this form, gives the dark theme ("Dark").
  static Theme configured(std::string_view name);
  // The text of a theme file as `configured` reads it; none when it is not of that form.
  static std::optional<Theme> from_theme_file(std::string_view name, std::string_view text);

  Theme with_ui_scale(float scale) const;
  Theme with_text_scale(float scale) const;
  Theme with_reduce_motion(bool reduce) const;
};

// The offered theme names, in offering order.
inline constexpr std::string_view kThemeNames[] = {"Dark",     "Light",         "Orvo Blue", "Catppuccin Mocha",
                                                   "Catppuccin Latte", "Dracula", "Nord",      "Gruvbox",
                                                   "Gruvbox Light",    "Solarized", "OLED",    "Beige"};

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
