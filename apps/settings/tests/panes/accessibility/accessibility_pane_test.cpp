// The Accessibility pane against a temporary home: what it publishes and keeps, how it reads texts
// back, what it saves, and what it says when an assistive program is missing.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <nlohmann/json.hpp>
#include <algorithm>
#include <optional>
#include <string>

#include "harness/frame_pane.h"
#include "harness/pane_harness.h"
#include "harness/pane_home.h"
#include "harness/stub_programs.h"
#include "orvo_doc/document.h"
#include "orvo_testing/scoped_env.h"
#include "panes/accessibility/accessibility_pane.h"

namespace settings::panes::accessibility {
namespace {

using orvo_doc::ScalarValue;
using orvo_testing::ScopedEnv;
using testing::PaneHarness;

constexpr std::string_view kFile = "config/orvo/settings.json";

std::vector<std::string> texts(AccessibilityPane& pane) {
  testing::PaneInALoop ui(pane, 1280, 800);
  return testing::texts_of(pane);
}

bool has(const std::vector<std::string>& texts, std::string_view text) {
  return std::ranges::find(texts, text) != texts.end();
}

struct PaneFixture : testing::FramePane<AccessibilityPane> {
  explicit PaneFixture(std::string_view file = {}) {
    if (!file.empty()) harness.home().write(kFile, file);
    pane = AccessibilityPane::load();
  }
};

constexpr std::string_view kSaved =
    R"({"appearance":{"theme":"Nord","high_contrast":false,"reduce_motion":true,"text_scale":1.0,"ui_scale":1.25},)"
    R"("accessibility":{"cursor_size":48,"magnifier_zoom":3,"screen_reader_rate":185,"sticky_keys":true},)"
    R"("other":{"kept":1}})";

TEST(AccessibilityPane, PublishesOnlyWhatTheDocumentLacksAndTakesWhatItHolds) {
  PaneFixture f(kSaved);
  f.put("a11y.text_size", ScalarValue::str("Large"));
  f.put("a11y.sticky_keys", ScalarValue::boolean(false));
  f.pass();
  // Missing keys are published from the saved values, in their labels.
  EXPECT_EQ(f.get("a11y.reduce_motion"), ScalarValue::boolean(true));
  EXPECT_EQ(f.get("a11y.cursor_size"), ScalarValue::str("Larger"));
  EXPECT_EQ(f.get("a11y.magnifier"), ScalarValue::str("3×"));
  EXPECT_EQ(f.get("a11y.reader_rate"), ScalarValue::str("Very fast"));
  EXPECT_EQ(f.get("a11y.color_filter"), ScalarValue::str("Off"));
  // Values already there are kept, taken and saved.
  EXPECT_EQ(f.get("a11y.text_size"), ScalarValue::str("Large"));
  EXPECT_EQ(f.pane->appearance().text_scale, 1.15);
  EXPECT_FALSE(f.pane->accessibility_prefs().sticky_keys);
  EXPECT_EQ(f.pane->saves(), 1u);
  auto saved = f.saved();
  EXPECT_EQ(saved["appearance"]["text_scale"], 1.15);
  EXPECT_EQ(saved["appearance"]["theme"], "Nord");
  EXPECT_EQ(saved["accessibility"]["sticky_keys"], false);
  EXPECT_EQ(saved["accessibility"]["cursor_size"], 48);
  EXPECT_EQ(saved["other"]["kept"], 1);
  // The twin key of the shared text size follows.
  EXPECT_EQ(f.get("appearance.text_size"), ScalarValue::str("Large"));
  f.pass();
  EXPECT_EQ(f.pane->saves(), 1u);
}

TEST(AccessibilityPane, TextsOutsideAChoiceListFallBackOrChangeNothing) {
  struct Case {
    std::string_view key;
    std::string_view text;
    std::string_view field;
    int stored;
  };
  // The magnifier, automatic scan and speech rate fall back to their defaults; the cursor size
  // keeps its value.
  const Case cases[] = {
      {"a11y.magnifier", "7×", "magnifier_zoom", 1},
      {"a11y.reader_rate", "Turbo", "screen_reader_rate", 100},
      {"a11y.switch_scan", "Forever", "switch_scan_ms", 0},
      {"a11y.cursor_size", "Huge", "cursor_size", 48},
  };
  for (const Case& c : cases) {
    PaneFixture f(R"({"accessibility":{"cursor_size":48,"magnifier_zoom":3,"screen_reader_rate":185,)"
                  R"("switch_scan_ms":2000}})");
    f.pass();
    f.put(c.key, ScalarValue::str(std::string(c.text)));
    f.pass();
    EXPECT_EQ(f.saved()["accessibility"].value(c.field, -1), c.stored) << c.key;
  }
  // A user's choice in a control still reaches the file.
  PaneFixture f(kSaved);
  f.pass();
  f.put("a11y.color_filter.edit", ScalarValue::str("Grayscale + inverted"));
  f.put("a11y.visual_alerts.edit", ScalarValue::boolean(true));
  f.pass();
  EXPECT_EQ(f.get("a11y.color_filter"), ScalarValue::str("Grayscale + inverted"));
  EXPECT_EQ(f.saved()["accessibility"]["color_filter"], "grayscale_inverted");
  EXPECT_EQ(f.saved()["accessibility"]["visual_alerts"], true);
}

TEST(AccessibilityPane, SaysPlainlyWhenAScreenReaderOrTheKeyboardIsMissing) {
  PaneFixture f;
  const std::string data_home = (f.harness.home().root() / "xdg-data").string();
  ScopedEnv data(("XDG_DATA_HOME"), data_home);
  ScopedEnv dirs("XDG_DATA_DIRS", (f.harness.home().root() / "no-system-data").string());
  f.pass();
  {
    ScopedEnv path("PATH", std::nullopt);
    const auto shown = texts(*f.pane);
    EXPECT_TRUE(has(shown, "Unavailable — install Speech Dispatcher or eSpeak NG"));
    EXPECT_FALSE(has(shown, "Speech engine"));
    EXPECT_TRUE(has(shown, "Not installed — add the signed so.orvo.osk system package"));
    EXPECT_EQ(testing::find_widget(*f.pane, "a11y.screen_reader"), nullptr);
    EXPECT_EQ(testing::find_widget(*f.pane, "a11y.on_screen_keyboard"), nullptr);
  }
  // Installed programs show their rows at the next layout.
  testing::StubPrograms programs(f.harness.home().root() / "stubs");
  programs.answer("speech-dispatcher", "");
  f.harness.home().write("xdg-data/applications/so.orvo.osk.desktop",
                         "[Desktop Entry]\nType=Application\nName=Keyboard\nExec=orvo-osk\n");
  const auto shown = texts(*f.pane);
  EXPECT_TRUE(has(shown, "Speech Dispatcher"));
  EXPECT_TRUE(has(shown, "Speech rate"));
  EXPECT_FALSE(has(shown, "Not installed — add the signed so.orvo.osk system package"));
  EXPECT_NE(testing::find_widget(*f.pane, "a11y.screen_reader"), nullptr);
  EXPECT_NE(testing::find_widget(*f.pane, "a11y.on_screen_keyboard"), nullptr);
}

TEST(AccessibilityPane, TheKeyboardPackageShowsItsToggleOnlyWithAGraphicalService) {
  PaneFixture f;
  ScopedEnv data("XDG_DATA_HOME", (f.harness.home().root() / "xdg-data").string());
  ScopedEnv dirs("XDG_DATA_DIRS", (f.harness.home().root() / "no-system-data").string());
  f.pass();
  const auto install = [&](std::string_view gui_bin) {
    f.harness.home().write("data/orvo/packages/so.orvo.osk/manifest.json",
                           R"({"app_id":"so.orvo.osk","name":"Keyboard","entrypoints":[{"kind":"service")" +
                               std::string(gui_bin) + "}]}");
  };
  install("");
  EXPECT_TRUE(has(texts(*f.pane), "Not installed — add the signed so.orvo.osk system package"));
  EXPECT_EQ(testing::find_widget(*f.pane, "a11y.on_screen_keyboard"), nullptr);
  install(R"(,"gui_bin":"bin/osk")");
  EXPECT_FALSE(has(texts(*f.pane), "Not installed — add the signed so.orvo.osk system package"));
  EXPECT_NE(testing::find_widget(*f.pane, "a11y.on_screen_keyboard"), nullptr);
}

}  // namespace
}  // namespace settings::panes::accessibility
