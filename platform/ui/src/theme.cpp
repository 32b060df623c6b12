#include "orvo_ui/theme.h"

#include <algorithm>
#include <filesystem>
#include <iterator>
#include <nlohmann/json.hpp>
#include <utility>

#include "orvo_runtime/capped_read.h"
#include "orvo_runtime/system_paths.h"

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

Theme Theme::high_contrast() {
  Theme t;
  t.name = "High contrast";
  t.background = Color::rgb(0x000000);
  t.surface = Color::rgb(0x000000);
  t.surface_border = Color::rgb(0xffffff);
  t.text = Color::rgb(0xffffff);
  t.secondary_text = Color::rgb(0xffffff);
  t.accent = Color::rgb(0xffff00);
  t.accent_text = Color::rgb(0x000000);
  t.focus_ring = Color::rgb(0x00ffff);
  t.hover_fill = Color::rgb(0xffffff).with_alpha(48);
  t.selected_fill = Color::rgb(0xffff00).with_alpha(96);
  t.pressed_fill = Color::rgb(0xffffff).with_alpha(72);
  t.danger = Color::rgb(0xff6b6b);
  t.success = Color::rgb(0x5dff8f);
  t.warning = Color::rgb(0xffd24d);
  t.corner_radius = 10;
  return t;
}

namespace {

// The colours a named theme puts over its base; the fills follow from the accent and the base.
struct Palette {
  std::string_view name;
  bool light = false;
  std::uint32_t background;
  std::uint32_t surface;
  std::uint32_t surface_border;
  std::uint32_t text;
  std::uint32_t secondary_text;
  std::uint32_t accent;
  std::uint32_t accent_text;
  std::uint32_t danger;
  std::uint32_t success;
  std::uint32_t warning;
};

constexpr Palette kPalettes[] = {
    {"Orvo Blue", false, 0x0f1a2e, 0x172640, 0x24385a, 0xe6eefc, 0x9fb2d1, 0x4d8dff, 0xffffff, 0xff6b6b, 0x45c98c,
     0xf2b84b},
    {"Catppuccin Mocha", false, 0x1e1e2e, 0x313244, 0x45475a, 0xcdd6f4, 0xa6adc8, 0x89b4fa, 0x1e1e2e, 0xf38ba8,
     0xa6e3a1, 0xf9e2af},
    {"Catppuccin Latte", true, 0xeff1f5, 0xffffff, 0xccd0da, 0x4c4f69, 0x5c5f77, 0x1e66f5, 0xffffff, 0xd20f39,
     0x40a02b, 0xdf8e1d},
    {"Dracula", false, 0x282a36, 0x343746, 0x44475a, 0xf8f8f2, 0xb6b9cc, 0xbd93f9, 0x282a36, 0xff5555, 0x50fa7b,
     0xf1fa8c},
    {"Nord", false, 0x2e3440, 0x3b4252, 0x4c566a, 0xeceff4, 0xaeb6c5, 0x88c0d0, 0x2e3440, 0xbf616a, 0xa3be8c,
     0xebcb8b},
    {"Gruvbox", false, 0x282828, 0x32302f, 0x504945, 0xebdbb2, 0xbdae93, 0xfabd2f, 0x282828, 0xfb4934, 0xb8bb26,
     0xfe8019},
    {"Gruvbox Light", true, 0xfbf1c7, 0xf9f5d7, 0xd5c4a1, 0x3c3836, 0x504945, 0x076678, 0xffffff, 0x9d0006,
     0x79740e, 0xaf3a03},
    {"Solarized", false, 0x002b36, 0x073642, 0x0f4b5a, 0xeee8d5, 0x93a1a1, 0x268bd2, 0xffffff, 0xdc322f, 0x859900,
     0xb58900},
    {"OLED", false, 0x000000, 0x0d0d0d, 0x262626, 0xf2f2f2, 0xa6a6a6, 0x5b8def, 0xffffff, 0xef5b5b, 0x4cc38a,
     0xf0b44c},
    {"Beige", true, 0xf5efe3, 0xfbf8f1, 0xddd3bf, 0x3b3227, 0x6b5e4d, 0x9a5b2e, 0xffffff, 0xb3261e, 0x3f7d3a,
     0x9a6700},
};

Theme from_palette(const Palette& p) {
  Theme t = p.light ? Theme::light() : Theme::dark();
  t.name = std::string(p.name);
  t.background = Color::rgb(p.background);
  t.surface = Color::rgb(p.surface);
  t.surface_border = Color::rgb(p.surface_border);
  t.text = Color::rgb(p.text);
  t.secondary_text = Color::rgb(p.secondary_text);
  t.accent = Color::rgb(p.accent);
  t.accent_text = Color::rgb(p.accent_text);
  t.focus_ring = Color::rgb(p.accent);
  t.selected_fill = Color::rgb(p.accent).with_alpha(p.light ? 40 : 70);
  t.danger = Color::rgb(p.danger);
  t.success = Color::rgb(p.success);
  t.warning = Color::rgb(p.warning);
  return t;
}

// "#rrggbb" or "#rrggbbaa".
std::optional<Color> parse_colour(std::string_view text) {
  if ((text.size() != 7 && text.size() != 9) || text[0] != '#') return std::nullopt;
  std::uint32_t value = 0;
  for (char c : text.substr(1)) {
    std::uint32_t digit = 0;
    if (c >= '0' && c <= '9') {
      digit = static_cast<std::uint32_t>(c - '0');
    } else if (c >= 'a' && c <= 'f') {
      digit = static_cast<std::uint32_t>(c - 'a' + 10);
    } else if (c >= 'A' && c <= 'F') {
      digit = static_cast<std::uint32_t>(c - 'A' + 10);
    } else {
      return std::nullopt;
    }
    value = value * 16 + digit;
  }
  if (text.size() == 7) return Color::rgb(value);
  return Color::rgb(value >> 8).with_alpha(static_cast<std::uint8_t>(value & 0xff));
}

// The colours a theme file may set.
constexpr std::pair<std::string_view, Color Theme::*> kFileColours[] = {
    {"background", &Theme::background},   {"surface", &Theme::surface},
    {"surface_border", &Theme::surface_border}, {"text", &Theme::text},
    {"secondary_text", &Theme::secondary_text}, {"accent", &Theme::accent},
    {"accent_text", &Theme::accent_text}, {"focus_ring", &Theme::focus_ring},
    {"hover_fill", &Theme::hover_fill},   {"selected_fill", &Theme::selected_fill},
    {"pressed_fill", &Theme::pressed_fill}, {"danger", &Theme::danger},
    {"success", &Theme::success},         {"warning", &Theme::warning},
};

}  // namespace

std::optional<Theme> Theme::named(std::string_view name) {
  if (name == "dark") return dark();
  if (name == "light") return light();
  if (name == "Dark" || name == "Light") {
    Theme t = name == "Dark" ? dark() : light();
    t.name = std::string(name);
    return t;
  }
  for (const Palette& palette : kPalettes) {
    if (palette.name == name) return from_palette(palette);
  }
  return std::nullopt;
}

std::optional<Theme> Theme::from_theme_file(std::string_view name, std::string_view text) {
  const nlohmann::json file = nlohmann::json::parse(text, nullptr, false);
  if (!file.is_object()) return std::nullopt;
  Theme t = dark();
  if (auto base = file.find("base"); base != file.end()) {
    if (!base->is_string()) return std::nullopt;
    if (*base == "light") {
      t = light();
    } else if (*base != "dark") {
      return std::nullopt;
    }
  }
  if (auto colours = file.find("colors"); colours != file.end()) {
    if (!colours->is_object()) return std::nullopt;
    for (const auto& [key, value] : colours->items()) {
      auto known = std::find_if(std::begin(kFileColours), std::end(kFileColours),
                                [&](const auto& entry) { return entry.first == key; });
      if (known == std::end(kFileColours) || !value.is_string()) return std::nullopt;
      auto colour = parse_colour(value.get<std::string>());
      if (!colour) return std::nullopt;
      t.*(known->second) = *colour;
    }
  }
  if (auto radius = file.find("corner_radius"); radius != file.end()) {
    if (!radius->is_number() || !(radius->get<double>() >= 0 && radius->get<double>() <= 64)) return std::nullopt;
    t.corner_radius = radius->get<float>();
  }
  t.name = std::string(name);
  return t;
}

Theme Theme::configured(std::string_view name) {
  Theme fallback = dark();
  fallback.name = "Dark";
  const std::optional<std::filesystem::path> config = system_paths::user_config_dir();
  if (!config) return fallback;
  // A theme file is a few hundred bytes; anything far larger is not one.
  constexpr std::size_t kLimit = 64 * 1024;
  auto text = orvo_runtime::read_capped(*config / "orvo" / "theme.json", kLimit);
  if (!text) return fallback;
  return from_theme_file(name, *text).value_or(fallback);
}

Theme Theme::with_ui_scale(float scale) const {
  Theme t = *this;
  t.ui_scale = scale;
  return t;
}

Theme Theme::with_text_scale(float scale) const {
  Theme t = *this;
  t.text_scale = scale;
  return t;
}

Theme Theme::with_reduce_motion(bool reduce) const {
  Theme t = *this;
  t.reduce_motion = reduce;
  return t;
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
