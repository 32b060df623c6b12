// The vision settings the Accessibility and Appearance pages share: a change made on either page,
// or by an action while neither is open, survives opening the other page again.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>
#include <memory>
#include <string>

#include "actions/settings_action.h"
#include "harness/pane_harness.h"
#include "harness/pane_home.h"
#include "orvo_doc/document.h"
#include "panes/accessibility/accessibility_pane.h"
#include "panes/appearance/appearance_pane.h"
#include "preferences/setting_fields.h"

namespace settings::panes {
namespace {

using orvo_doc::ScalarValue;
using testing::PaneHarness;

struct SharedFixture {
  PaneHarness harness;
  // The frame's document: it outlives every page opened on it.
  orvo_doc::Document document;

  // Opens a page, lets it pass, lets `change` act on the document, passes again, and closes it.
  template <class Pane, class Change>
  void open(Change change) {
    auto pane = Pane::load();
    PaneHarness::pass(*pane, &document);
    change(document);
    PaneHarness::pass(*pane, &document);
  }
  template <class Pane>
  void open() {
    open<Pane>([](orvo_doc::Document&) {});
  }
  // An action while no page is open: the write-through, then the document.
  void act(std::string_view key, const preferences::SettingFieldValue& value) {
    ASSERT_TRUE(preferences::write_setting_through(key, value).has_value());
    const auto action = std::holds_alternative<bool>(value)
                            ? actions::SettingsAction::set_setting(key, std::get<bool>(value))
                            : actions::SettingsAction::set_setting(key, std::get<std::string>(value));
    ASSERT_TRUE(action.apply_to_document(document).has_value());
  }
  ScalarValue at(std::string_view key) { return std::get<ScalarValue>(*document.get(orvo_doc::kRoot, key).value()); }
  nlohmann::json appearance() {
    return nlohmann::json::parse(*harness.home().read("config/orvo/settings.json"))["appearance"];
  }
};

auto flip(std::string_view key, ScalarValue value) {
  return [key, value](orvo_doc::Document& document) {
    ASSERT_TRUE(document.put(orvo_doc::kRoot, std::string(key) + ".edit", value));
  };
}

using accessibility::AccessibilityPane;
using appearance::AppearancePane;

TEST(SharedVisionSettings, AChangeOnOnePageSurvivesOpeningTheOther) {
  {
    SharedFixture f;
    f.open<AccessibilityPane>();
    f.open<AppearancePane>(flip("appearance.high_contrast", ScalarValue::boolean(true)));
    f.open<AccessibilityPane>();
    EXPECT_EQ(f.appearance()["high_contrast"], true);
    f.open<AppearancePane>();
    EXPECT_EQ(f.appearance()["high_contrast"], true);
  }
  {
    SharedFixture f;
    f.open<AppearancePane>();
    f.open<AccessibilityPane>(flip("a11y.text_size", ScalarValue::str("Larger")));
    f.open<AccessibilityPane>(flip("a11y.reduce_motion", ScalarValue::boolean(true)));
    f.open<AppearancePane>();
    EXPECT_EQ(f.appearance()["text_scale"], 1.3);
    EXPECT_EQ(f.appearance()["reduce_motion"], true);
    f.open<AccessibilityPane>();
    EXPECT_EQ(f.appearance()["text_scale"], 1.3);
    EXPECT_EQ(f.appearance()["reduce_motion"], true);
  }
}

TEST(SharedVisionSettings, AnActionWhileNeitherPageIsOpenKeepsBothKeysEqual) {
  SharedFixture f;
  f.open<AccessibilityPane>();
  f.open<AppearancePane>();
  f.act("appearance.high_contrast", true);
  f.act("a11y.text_size", std::string("Small"));
  EXPECT_EQ(f.at("a11y.high_contrast"), ScalarValue::boolean(true));
  EXPECT_EQ(f.at("appearance.text_size"), ScalarValue::str("Small"));
  f.open<AccessibilityPane>();
  f.open<AppearancePane>();
  EXPECT_EQ(f.appearance()["high_contrast"], true);
  EXPECT_EQ(f.appearance()["text_scale"], 0.85);
}

}  // namespace
}  // namespace settings::panes
