// The toolkit's themes: the offered palettes stay readable, the user's theme file is read strictly
// and anything else falls back to the dark theme.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <unistd.h>

#include "orvo_runtime/system_paths.h"
#include "orvo_ui/theme.h"

namespace orvo_ui {
namespace {

double luminance(Color c) {
  const auto channel = [](std::uint8_t v) {
    const double s = v / 255.0;
    return s <= 0.03928 ? s / 12.92 : std::pow((s + 0.055) / 1.055, 2.4);
  };
  return 0.2126 * channel(c.r) + 0.7152 * channel(c.g) + 0.0722 * channel(c.b);
}

double contrast(Color a, Color b) {
  const double la = luminance(a);
  const double lb = luminance(b);
  return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

TEST(Theme, EveryOfferedThemeIsNamedAndReadable) {
  for (std::string_view name : kThemeNames) {
    SCOPED_TRACE(name);
    auto theme = Theme::named(name);
    ASSERT_TRUE(theme.has_value());
    EXPECT_EQ(theme->name, name);
    EXPECT_GE(contrast(theme->text, theme->background), 7.0);
    EXPECT_GE(contrast(theme->text, theme->surface), 7.0);
    EXPECT_GE(contrast(theme->secondary_text, theme->surface), 4.5);
    EXPECT_GE(contrast(theme->accent_text, theme->accent), 3.0);
  }
  EXPECT_EQ(Theme::named("Light")->background, Theme::light().background);
  EXPECT_EQ(Theme::named("dark")->name, "dark");
  EXPECT_FALSE(Theme::named("Neon").has_value());
  EXPECT_FALSE(Theme::named("nord").has_value());

  const Theme high = Theme::high_contrast();
  EXPECT_GE(contrast(high.text, high.background), 15.0);
  EXPECT_GE(contrast(high.surface_border, high.surface), 15.0);
}

TEST(Theme, ScalesAndMotionTravelWithTheTheme) {
  const Theme theme = Theme::named("Nord")->with_ui_scale(1.25f).with_text_scale(1.15f).with_reduce_motion(true);
  EXPECT_EQ(theme.name, "Nord");
  EXPECT_FLOAT_EQ(theme.ui_scale, 1.25f);
  EXPECT_FLOAT_EQ(theme.text_scale, 1.15f);
  EXPECT_TRUE(theme.reduce_motion);
  EXPECT_FLOAT_EQ(Theme::dark().ui_scale, 1.0f);
  EXPECT_FALSE(Theme::dark().reduce_motion);
}

TEST(Theme, ThemeFileTable) {
  struct Case {
    const char* what;
    const char* text;
    bool read;
  };
  const Case cases[] = {
      {"light base with colours", R"({"base":"light","colors":{"accent":"#123456","hover_fill":"#00000020"}})", true},
      {"empty object: the dark base", "{}", true},
      {"not JSON", "{base", false},
      {"not an object", "[1]", false},
      {"unknown base", R"({"base":"sepia"})", false},
      {"unknown colour", R"({"colors":{"glow":"#ffffff"}})", false},
      {"colour not hex", R"({"colors":{"text":"white"}})", false},
      {"short colour", R"({"colors":{"text":"#fff"}})", false},
      {"radius out of range", R"({"corner_radius":-1})", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(Theme::from_theme_file("custom:mine", c.text).has_value(), c.read);
  }
  const Theme read = *Theme::from_theme_file("custom:mine", cases[0].text);
  EXPECT_EQ(read.name, "custom:mine");
  EXPECT_EQ(read.accent, Color::rgb(0x123456));
  EXPECT_EQ(read.hover_fill, Color::rgb(0).with_alpha(0x20));
  EXPECT_EQ(read.background, Theme::light().background);
}

TEST(Theme, ConfiguredThemeComesFromTheUsersFile) {
  const auto root = std::filesystem::temp_directory_path() / ("orvo-theme-" + std::to_string(::getpid()));
  std::filesystem::create_directories(root / "config" / "orvo");
  system_paths::ScopedOverride paths(root, root / "config");

  // No file: the dark theme.
  Theme fallback = Theme::configured("custom:mine");
  EXPECT_EQ(fallback.name, "Dark");
  EXPECT_EQ(fallback.background, Theme::dark().background);

  std::ofstream(root / "config" / "orvo" / "theme.json") << R"({"base":"light","colors":{"accent":"#aa0000"}})";
  Theme mine = Theme::configured("custom:mine");
  EXPECT_EQ(mine.name, "custom:mine");
  EXPECT_EQ(mine.accent, Color::rgb(0xaa0000));
  EXPECT_EQ(mine.background, Theme::light().background);

  std::ofstream(root / "config" / "orvo" / "theme.json") << "not json";
  EXPECT_EQ(Theme::configured("custom:mine").name, "Dark");
  // A directory where the file should be is unreadable too.
  std::filesystem::remove(root / "config" / "orvo" / "theme.json");
  std::filesystem::create_directories(root / "config" / "orvo" / "theme.json");
  EXPECT_EQ(Theme::configured("custom:mine").name, "Dark");
  std::filesystem::remove_all(root);
}

}  // namespace
}  // namespace orvo_ui
