// Reconciling a setting with its control: what arrives from outside, what the user chose, and a
// foreign text that must be answered once only.
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "actions/settings_action.h"
#include "orvo_doc/document.h"
#include "panes/setting_sync.h"

namespace settings::panes {
namespace {

using actions::SettingsAction;
using orvo_doc::ScalarValue;

// A document and the actions emitted against it; an emitted action is written into it at once,
// as the pane's dispatch does.
struct Fixture {
  orvo_doc::Document document;
  std::vector<SettingsAction> emitted;
  SeenTexts seen;
  EmitSetting emit = [this](const SettingsAction& action) {
    emitted.push_back(action);
    ASSERT_TRUE(action.apply_to_document(document).has_value());
  };

  void put_flag(std::string_view key, bool value) { ASSERT_TRUE(document.put(orvo_doc::kRoot, key, ScalarValue::boolean(value))); }
  void put_text(std::string_view key, std::string value) {
    ASSERT_TRUE(document.put(orvo_doc::kRoot, key, ScalarValue::str(std::move(value))));
  }
  std::optional<bool> flag(std::string_view key) {
    auto value = document.get(orvo_doc::kRoot, key);
    if (!value || !*value) return std::nullopt;
    return std::get<ScalarValue>(**value).as_bool();
  }
  std::optional<std::string> text(std::string_view key) {
    auto value = document.get(orvo_doc::kRoot, key);
    if (!value || !*value || !std::get<ScalarValue>(**value).as_str()) return std::nullopt;
    return *std::get<ScalarValue>(**value).as_str();
  }
  Reconciled<std::string> sync_text(std::string_view current) {
    return sync_text_setting(document, orvo_doc::kRoot, "appearance.theme", current, seen, emit);
  }
};

TEST(SettingSync, BooleanSettingTable) {
  struct Case {
    const char* what;
    std::optional<bool> stored;
    std::optional<bool> edited;
    bool current;
    bool value;
    bool changed;
    std::size_t emitted;
    bool edit_after;
  };
  const Case cases[] = {
      {"outside value adopted into the control", true, false, false, true, true, 0, true},
      {"control flipped by the user is committed", false, true, false, true, true, 1, true},
      {"nothing changed", true, true, true, true, false, 0, true},
      {"no control value yet: shown, nothing emitted", std::nullopt, std::nullopt, true, true, false, 0, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Fixture f;
    if (c.stored) f.put_flag("appearance.reduce_motion", *c.stored);
    if (c.edited) f.put_flag("appearance.reduce_motion.edit", *c.edited);
    auto result = sync_bool_setting(f.document, orvo_doc::kRoot, "appearance.reduce_motion", c.current, f.emit);
    EXPECT_EQ(result.value, c.value);
    EXPECT_EQ(result.changed, c.changed);
    ASSERT_EQ(f.emitted.size(), c.emitted);
    if (c.emitted) {
      EXPECT_EQ(f.emitted[0], SettingsAction::set_setting("appearance.reduce_motion", c.value));
      EXPECT_EQ(f.flag("appearance.reduce_motion"), c.value);
    }
    EXPECT_EQ(f.flag("appearance.reduce_motion.edit"), c.edit_after);
    // A second pass over the result finds nothing to do.
    auto again = sync_bool_setting(f.document, orvo_doc::kRoot, "appearance.reduce_motion", result.value, f.emit);
    EXPECT_FALSE(again.changed);
    EXPECT_EQ(f.emitted.size(), c.emitted);
  }
}

TEST(SettingSync, TextFromOutsideIsAdoptedWithoutEmitting) {
  Fixture f;
  f.put_text("appearance.theme", "Dark");
  EXPECT_FALSE(f.sync_text("Dark").changed);
  EXPECT_EQ(f.text("appearance.theme.edit"), "Dark");

  f.put_text("appearance.theme", "Nord");
  auto result = f.sync_text("Dark");
  EXPECT_TRUE(result.changed);
  EXPECT_EQ(result.value, "Nord");
  EXPECT_EQ(f.text("appearance.theme.edit"), "Nord");
  EXPECT_TRUE(f.emitted.empty());
  EXPECT_FALSE(f.sync_text("Nord").changed);
}

TEST(SettingSync, ForeignTextIsAnsweredOnceAndAChoiceStillCommits) {
  Fixture f;
  f.put_text("appearance.theme", "Dark");
  f.sync_text("Dark");
  // A text the pane never takes: its label stays "Dark".
  f.put_text("appearance.theme", "XYZ");
  auto first = f.sync_text("Dark");
  EXPECT_TRUE(first.changed);
  EXPECT_EQ(first.value, "XYZ");
  for (int pass = 0; pass < 3; ++pass) {
    auto later = f.sync_text("Dark");
    EXPECT_FALSE(later.changed) << "pass " << pass;
    EXPECT_EQ(later.value, "Dark");
  }
  EXPECT_TRUE(f.emitted.empty());

  // The user picks a theme while the foreign text sits under the key.
  f.put_text("appearance.theme.edit", "Light");
  auto chosen = f.sync_text("Dark");
  EXPECT_TRUE(chosen.changed);
  EXPECT_EQ(chosen.value, "Light");
  ASSERT_EQ(f.emitted.size(), 1u);
  EXPECT_EQ(f.emitted[0], SettingsAction::set_setting("appearance.theme", "Light"));
  EXPECT_EQ(f.text("appearance.theme"), "Light");
  EXPECT_FALSE(f.sync_text("Light").changed);

  // The same foreign text arriving again later is answered again, once.
  f.put_text("appearance.theme", "XYZ");
  EXPECT_TRUE(f.sync_text("Light").changed);
  EXPECT_FALSE(f.sync_text("Light").changed);
}

}  // namespace
}  // namespace settings::panes
