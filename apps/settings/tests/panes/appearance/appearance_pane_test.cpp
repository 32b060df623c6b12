// The Appearance pane against a temporary home: what it publishes, what it adopts from outside,
// what it commits of the user's choices, and what it saves.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>
#include <algorithm>
#include <optional>
#include <string>

#include "actions/settings_action.h"
#include "catalogues/appearance_labels.h"
#include "harness/frame_pane.h"
#include "harness/pane_harness.h"
#include "harness/pane_home.h"
#include "orvo_doc/document.h"
#include "panes/appearance/appearance_pane.h"
#include "preferences/preferences_file.h"

namespace settings::panes::appearance {
namespace {

using actions::SettingsAction;
using orvo_doc::ScalarValue;
using testing::PaneHarness;
using testing::PaneHome;

constexpr std::string_view kFile = "config/orvo/settings.json";

// Lays the pane out once (offscreen) and answers whether it shows the text.
bool shows(AppearancePane& pane, std::string_view text) {
  testing::PaneInALoop ui(pane, 1280, 800);
  const auto texts = testing::texts_of(pane);
  return std::find(texts.begin(), texts.end(), text) != texts.end();
}

TEST(AppearanceLabels, NearestChoiceKeepsTheEarlierOnATie) {
  const std::pair<double, std::string_view> text_sizes[] = {
      {1.075, "Default"}, {0.925, "Default"}, {1.225, "Larger"}, {2.0, "Larger"}, {0.85, "Small"}};
  for (const auto& [scale, label] : text_sizes) EXPECT_EQ(text_size_label(scale), label) << scale;
  const std::pair<double, std::string_view> ui_scales[] = {
      {1.05, "100%"}, {1.375, "125%"}, {1.2, "125%"}, {0.5, "90%"}, {1.5, "150%"}};
  for (const auto& [scale, label] : ui_scales) EXPECT_EQ(ui_scale_label(scale), label) << scale;
}

TEST(AppearanceLabels, AppliedTheme) {
  PaneHarness harness;
  preferences::AppearancePrefs appearance;
  appearance.theme = "Nord";
  appearance.ui_scale = 1.25;
  appearance.reduce_motion = true;
  orvo_ui::Theme theme = theme_from_prefs(appearance);
  EXPECT_EQ(theme.name, "Nord");
  EXPECT_EQ(theme.background, orvo_ui::Theme::named("Nord")->background);
  EXPECT_FLOAT_EQ(theme.ui_scale, 1.25f);
  EXPECT_TRUE(theme.reduce_motion);
  // High contrast takes over the look; the chosen theme stays.
  appearance.high_contrast = true;
  theme = theme_from_prefs(appearance);
  EXPECT_EQ(theme.name, "High contrast");
  EXPECT_EQ(theme.background, orvo_ui::Theme::high_contrast().background);
  EXPECT_FLOAT_EQ(theme.ui_scale, 1.25f);
  EXPECT_EQ(appearance.theme, "Nord");
  appearance.high_contrast = false;
  appearance.theme = "Neon Unknown";
  EXPECT_EQ(applied_theme_name(appearance), "Dark");
  EXPECT_EQ(theme_from_prefs(appearance).background, orvo_ui::Theme::dark().background);
  // A custom name reads the user's theme file; without one it is the dark theme.
  appearance.theme = "custom:mine";
  EXPECT_EQ(applied_theme_name(appearance), "Dark");
  harness.home().write("config/orvo/theme.json", R"({"base":"light","colors":{"accent":"#aa0000"}})");
  theme = theme_from_prefs(appearance);
  EXPECT_EQ(theme.name, "custom:mine");
  EXPECT_EQ(theme.accent, orvo_ui::Color::rgb(0xaa0000));
  EXPECT_EQ(scale_percent(1.25), "125%");
  EXPECT_EQ(scale_percent(0.9), "90%");
}

// A pane in a temporary home, passed against a frame document as the loop does.
struct PaneFixture : testing::FramePane<AppearancePane> {
  explicit PaneFixture(std::string_view file = {}) {
    if (!file.empty()) harness.home().write(kFile, file);
    pane = AppearancePane::load();
  }
  std::optional<orvo_actions::EncodedAction> last_action() const { return pane->action_host().last_action; }
};

constexpr std::string_view kSaved = R"({"version":1,"appearance":{"theme":"Nord","high_contrast":false,)"
                                    R"("reduce_motion":true,"text_scale":1.15,"ui_scale":1.25},"other":{"kept":1}})";

TEST(AppearancePane, FirstPassPublishesTheSavedValuesAndSavesNothing) {
  PaneFixture f(kSaved);
  f.pass();
  EXPECT_EQ(f.get("appearance.theme"), ScalarValue::str("Nord"));
  EXPECT_EQ(f.get("appearance.text_size"), ScalarValue::str("Large"));
  EXPECT_EQ(f.get("appearance.ui_scale"), ScalarValue::str("125%"));
  EXPECT_EQ(f.get("appearance.high_contrast"), ScalarValue::boolean(false));
  EXPECT_EQ(f.get("appearance.reduce_motion"), ScalarValue::boolean(true));
  // The controls show the same values.
  EXPECT_EQ(f.get("appearance.theme.edit"), ScalarValue::str("Nord"));
  EXPECT_EQ(f.get("appearance.reduce_motion.edit"), ScalarValue::boolean(true));
  ASSERT_TRUE(f.last_action().has_value());
  EXPECT_EQ(f.pane->saves(), 0u);
  f.pass();
  EXPECT_EQ(f.pane->saves(), 0u);

  EXPECT_TRUE(shows(*f.pane, "Applied theme"));
  EXPECT_TRUE(shows(*f.pane, "125%"));
}

TEST(AppearancePane, AChoiceMadeTwiceIsCommittedAndSavedOnce) {
  PaneFixture f(kSaved);
  f.pass();
  const auto published = f.last_action();
  for (int time = 0; time < 2; ++time) {
    f.put("appearance.text_size.edit", ScalarValue::str("Larger"));
    f.pass();
  }
  EXPECT_EQ(f.get("appearance.text_size"), ScalarValue::str("Larger"));
  EXPECT_NE(f.last_action(), published);
  EXPECT_EQ(f.pane->appearance().text_scale, 1.3);
  EXPECT_EQ(f.pane->saves(), 1u);
  const auto saved = f.saved();
  EXPECT_EQ(saved["appearance"]["text_scale"], 1.3);
  EXPECT_EQ(saved["appearance"]["theme"], "Nord");
  EXPECT_EQ(saved["other"]["kept"], 1);

  // A toggle flipped by the user reaches the file too.
  f.put("appearance.reduce_motion.edit", ScalarValue::boolean(false));
  f.pass();
  EXPECT_EQ(f.get("appearance.reduce_motion"), ScalarValue::boolean(false));
  EXPECT_EQ(f.saved()["appearance"]["reduce_motion"], false);
  EXPECT_EQ(f.pane->saves(), 2u);
}

TEST(AppearancePane, AValueFromOutsideIsAdoptedAndSavedWithoutAnAction) {
  PaneFixture f;
  f.pass();
  const auto published = f.last_action();
  f.put("appearance.theme", ScalarValue::str("Nord"));
  f.put("appearance.high_contrast", ScalarValue::boolean(true));
  f.pass();
  EXPECT_EQ(f.pane->appearance().theme, "Nord");
  EXPECT_TRUE(f.pane->appearance().high_contrast);
  EXPECT_EQ(f.get("appearance.theme.edit"), ScalarValue::str("Nord"));
  EXPECT_EQ(f.get("appearance.high_contrast.edit"), ScalarValue::boolean(true));
  EXPECT_EQ(f.last_action(), published);
  EXPECT_EQ(f.pane->saves(), 1u);
  EXPECT_EQ(f.saved()["appearance"]["theme"], "Nord");
  EXPECT_EQ(f.saved()["appearance"]["high_contrast"], true);
  // High contrast takes over the look, of the pane and of the window; the chosen theme stays.
  EXPECT_TRUE(shows(*f.pane, "High contrast"));
  ASSERT_TRUE(f.pane->theme_override().has_value());
  EXPECT_EQ(f.pane->theme_override()->name, "High contrast");
  f.put("appearance.high_contrast", ScalarValue::boolean(false));
  f.pass();
  EXPECT_EQ(f.pane->theme_override()->name, "Nord");
}

TEST(AppearancePane, AnOffListTextIsAnsweredOnceAndTheUsersChoiceStillWins) {
  PaneFixture f(kSaved);
  f.pass();
  f.put("appearance.theme", ScalarValue::str("XYZ"));
  f.put("appearance.ui_scale", ScalarValue::str("usd"));
  f.pass();
  EXPECT_EQ(f.pane->saves(), 1u);
  for (int pass = 0; pass < 3; ++pass) f.pass();
  EXPECT_EQ(f.pane->saves(), 1u);
  EXPECT_EQ(f.pane->appearance().theme, "Nord");
  EXPECT_EQ(f.pane->appearance().ui_scale, 1.25);

  f.put("appearance.theme.edit", ScalarValue::str("Light"));
  f.pass();
  EXPECT_EQ(f.get("appearance.theme"), ScalarValue::str("Light"));
  EXPECT_EQ(f.pane->appearance().theme, "Light");
  EXPECT_EQ(f.saved()["appearance"]["theme"], "Light");
  EXPECT_EQ(f.pane->saves(), 2u);
}

TEST(AppearancePane, AnUnknownStoredThemeShowsAsDarkAndIsKept) {
  PaneFixture f(R"({"appearance":{"theme":"Neon","high_contrast":false,"reduce_motion":false,"text_scale":1.0}})");
  f.pass();
  EXPECT_EQ(f.get("appearance.theme"), ScalarValue::str("Neon"));
  EXPECT_TRUE(shows(*f.pane, "Dark"));
  f.pass();
  EXPECT_EQ(f.pane->saves(), 0u);
  EXPECT_EQ(f.pane->appearance().theme, "Neon");
}

TEST(AppearancePane, AClickedControlLeavesTheSourceRecordOnce) {
  PaneFixture f(kSaved);
  f.pass();
  EXPECT_FALSE(f.pane->commit_context().has_value());
  testing::PaneInALoop ui(*f.pane, 1280, 800);
  orvo_ui::Widget* toggle = testing::find_widget(*f.pane, "appearance.high_contrast");
  ASSERT_NE(toggle, nullptr);
  ui.click(*toggle);
  ui.frame();
  const auto source = f.pane->commit_context();
  ASSERT_TRUE(source.has_value());
  EXPECT_EQ(source->title, "Change appearance preferences");
  ASSERT_TRUE(source->source.has_value());
  EXPECT_EQ(source->source->resource_id, "settings.preference:appearance");
  EXPECT_EQ(source->source->source_kind, "settings.preference-pane");
  EXPECT_EQ(source->source->label, "Appearance");
  EXPECT_FALSE(f.pane->commit_context().has_value());
}

}  // namespace
}  // namespace settings::panes::appearance
