// The Keyboard Shortcuts pane against a temporary home: what it publishes, what it saves of a
// recording and of a change through the action system, how it answers a refusal, and its view.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <optional>
#include <string>

#include <nlohmann/json.hpp>

#include "catalogues/shortcut_titles.h"
#include "harness/frame_pane.h"
#include "harness/pane_harness.h"
#include "harness/pane_home.h"
#include "orvo_doc/document.h"
#include "panes/keyboard_shortcuts/shortcut_pane.h"
#include "panes/setting_sync.h"

namespace settings::panes::keyboard_shortcuts {
namespace {

namespace hw = settings_store::hardware;
using orvo_doc::ScalarValue;
using testing::PaneHarness;

constexpr std::string_view kShortcuts = "config/orvo/shortcuts.json";
constexpr std::string_view kControls = "config/orvo/desktop-controls.json";
constexpr std::string_view kLock = "shortcuts.lock";

struct PaneFixture : testing::FramePane<ShortcutPane> {
  explicit PaneFixture(std::string_view shortcuts_file = {}) {
    if (!shortcuts_file.empty()) harness.home().write(kShortcuts, shortcuts_file);
    pane = ShortcutPane::load();
    pass();
  }
  void pass(int times = 1) {
    for (int i = 0; i < times; ++i) FramePane::pass();
  }
  std::optional<std::string> text(std::string_view key) {
    auto value = get(key);
    return value && value->as_str() ? std::optional(std::string(*value->as_str())) : std::nullopt;
  }
  std::string saved_chord(int action) {
    return nlohmann::json::parse(*harness.home().read(kShortcuts))["bindings"][std::to_string(action)];
  }
  // Makes the next save of a file fail: a directory stands where it would be renamed to.
  void break_file(std::string_view relative) {
    const auto path = harness.home().root() / relative;
    std::filesystem::remove(path);
    std::filesystem::create_directories(path / "blocker");
  }
  std::string last_payload() {
    const auto& action = pane->action_host().last_action;
    return action ? action->payload : std::string();
  }
};

TEST(ShortcutChordTexts, OneEntryPerBinding) {
  EXPECT_TRUE(shortcut_chord_texts({}).empty());
  const auto chord = *hw::KeyChord::parse("Super+K");
  const auto texts = shortcut_chord_texts({{0, chord}, {2, chord}});
  ASSERT_EQ(texts.size(), 2u);
  EXPECT_EQ(texts.at(0), "Super+K");
  EXPECT_EQ(texts.at(2), "Super+K");
}

TEST(ShortcutPane, PublishesTheConfiguredChordsAndSavesNothing) {
  PaneFixture f(R"({"bindings": {"2": "alt+ctrl+super+l"}})");
  EXPECT_EQ(f.text(kLock), "Super+Ctrl+Alt+L");
  EXPECT_EQ(f.text(edit_key(kLock)), "Super+Ctrl+Alt+L");
  EXPECT_EQ(f.text("shortcuts.search"), "Super+Space");
  EXPECT_EQ(f.get("shortcuts.vim_mode"), ScalarValue::boolean(false));
  EXPECT_EQ(f.get("shortcuts.vim_mode.edit"), ScalarValue::boolean(false));
  f.pass(3);
  EXPECT_EQ(f.pane->saves(), 0u);
  EXPECT_EQ(f.pane->dispatches(), 0u);
  // Recording the chord already shown, in another order, is nothing new either.
  f.put(edit_key(kLock), ScalarValue::str("Super+Ctrl+Alt+L"));
  f.pass();
  EXPECT_EQ(f.pane->saves(), 0u);
  EXPECT_EQ(f.pane->dispatches(), 0u);
}

TEST(ShortcutPane, ARecordingIsSavedOnceShownCanonicallyAndAnnounced) {
  PaneFixture f;
  f.put(edit_key(kLock), ScalarValue::str("Ctrl+Alt+Super+L"));  // the recorder's order
  f.pass();
  EXPECT_EQ(f.pane->saves(), 1u);
  EXPECT_EQ(f.saved_chord(2), "Super+Ctrl+Alt+L");
  EXPECT_EQ(f.text(kLock), "Super+Ctrl+Alt+L");
  EXPECT_EQ(f.text(edit_key(kLock)), "Super+Ctrl+Alt+L");
  EXPECT_EQ(f.get("shortcuts.lock.error"), ScalarValue::boolean(false));
  EXPECT_EQ(f.pane->dispatches(), 1u);
  EXPECT_EQ(f.last_payload(), R"({"SetSetting":{"key":"shortcuts.lock","value":{"Text":"Super+Ctrl+Alt+L"}}})");
  f.pass(5);
  EXPECT_EQ(f.pane->saves(), 1u);
  EXPECT_EQ(f.pane->dispatches(), 1u);
  EXPECT_EQ(f.text(kLock), "Super+Ctrl+Alt+L");
}

TEST(ShortcutPane, AChangeThroughTheActionSystemIsSavedWithoutAnnouncement) {
  PaneFixture f;
  f.put(kLock, ScalarValue::str("ctrl+super+l"));
  f.pass();
  EXPECT_EQ(f.pane->saves(), 1u);
  EXPECT_EQ(f.saved_chord(2), "Super+Ctrl+L");
  EXPECT_EQ(f.text(kLock), "Super+Ctrl+L");
  EXPECT_EQ(f.text(edit_key(kLock)), "Super+Ctrl+L");
  EXPECT_EQ(f.pane->dispatches(), 0u);
  f.pass(5);
  EXPECT_EQ(f.pane->saves(), 1u);
  EXPECT_EQ(f.text(kLock), "Super+Ctrl+L");
}

TEST(ShortcutPane, ARefusedRecordingRaisesTheErrorUntilASuccess) {
  PaneFixture f;
  const std::string shown = *f.text(kLock);
  // Unparsable, and a chord another shortcut holds.
  for (const char* chord : {"Super+Nope", "L", "Super+Space"}) {
    f.put(edit_key(kLock), ScalarValue::str(chord));
    f.pass();
    EXPECT_EQ(f.text(edit_key(kLock)), shown) << chord;
    EXPECT_EQ(f.get("shortcuts.lock.error"), ScalarValue::boolean(true)) << chord;
    EXPECT_EQ(f.text(kLock), shown) << chord;
  }
  EXPECT_EQ(f.pane->saves(), 0u);
  EXPECT_EQ(f.pane->dispatches(), 0u);
  // A failing save is refused the same way.
  f.break_file(kShortcuts);
  f.put(edit_key(kLock), ScalarValue::str("Super+Ctrl+Q"));
  f.pass();
  EXPECT_EQ(f.text(edit_key(kLock)), shown);
  EXPECT_EQ(f.pane->dispatches(), 0u);
  std::filesystem::remove_all(f.harness.home().root() / kShortcuts);

  f.put(edit_key(kLock), ScalarValue::str("Super+Ctrl+Q"));
  f.pass();
  EXPECT_EQ(f.get("shortcuts.lock.error"), ScalarValue::boolean(false));
  EXPECT_EQ(f.text(kLock), "Super+Ctrl+Q");
  EXPECT_EQ(f.last_payload(), R"({"SetSetting":{"key":"shortcuts.lock","value":{"Text":"Super+Ctrl+Q"}}})");
}

TEST(ShortcutPane, ARefusedChangeThroughTheActionSystemIsUndone) {
  PaneFixture f;
  const std::string shown = *f.text(kLock);
  f.put(kLock, ScalarValue::str("Super+Nope"));
  f.pass();
  EXPECT_EQ(f.pane->dispatches(), 1u);
  EXPECT_EQ(f.text(kLock), shown);  // the announcement put it back
  EXPECT_EQ(f.text(edit_key(kLock)), shown);
  EXPECT_EQ(f.get("shortcuts.lock.error"), ScalarValue::boolean(true));
  f.pass(5);
  EXPECT_EQ(f.pane->saves(), 0u);
  EXPECT_EQ(f.pane->dispatches(), 1u);
}

TEST(ShortcutPane, ARefusedChangeOfAShortcutWithoutChordIsNotRetried) {
  // Lock's default is taken by search, so lock has no chord.
  PaneFixture f(R"({"bindings": {"0": "Super+Escape"}})");
  ASSERT_EQ(f.text(kLock), "");
  f.put(kLock, ScalarValue::str("Super+Nope"));
  f.pass(6);
  EXPECT_EQ(f.text(kLock), "Super+Nope");
  EXPECT_EQ(f.text(edit_key(kLock)), "");
  EXPECT_FALSE(f.get("shortcuts.lock.error"));
  EXPECT_EQ(f.pane->dispatches(), 0u);

  f.break_file(kShortcuts);
  f.put(kLock, ScalarValue::str("Super+Ctrl+Alt+L"));
  f.pass();
  EXPECT_EQ(f.pane->saves(), 1u);
  f.pass(5);
  EXPECT_EQ(f.pane->saves(), 1u);  // not rewritten on every pass
  // A new text is tried again.
  std::filesystem::remove_all(f.harness.home().root() / kShortcuts);
  f.put(kLock, ScalarValue::str("Super+Ctrl+Alt+K"));
  f.pass();
  EXPECT_EQ(f.saved_chord(2), "Super+Ctrl+Alt+K");
  EXPECT_EQ(f.text(edit_key(kLock)), "Super+Ctrl+Alt+K");
}

TEST(ShortcutPane, TheRecorderStaysUsableAfterARefusedChangeFromOutside) {
  PaneFixture f(R"({"bindings": {"0": "Super+Escape"}})");
  f.put(kLock, ScalarValue::str("Super+Nope"));
  f.pass();
  f.put(edit_key(kLock), ScalarValue::str("Ctrl+Super+L"));
  f.pass();
  EXPECT_EQ(f.saved_chord(2), "Super+Ctrl+L");
  EXPECT_EQ(f.text(kLock), "Super+Ctrl+L");
  EXPECT_EQ(f.pane->dispatches(), 1u);
}

TEST(ShortcutPane, VimModeBothWays) {
  PaneFixture f;
  // The user's flip is saved and announced.
  f.put("shortcuts.vim_mode.edit", ScalarValue::boolean(true));
  f.pass();
  EXPECT_TRUE(f.pane->vim_mode());
  EXPECT_EQ(f.get("shortcuts.vim_mode"), ScalarValue::boolean(true));
  EXPECT_EQ(nlohmann::json::parse(*f.harness.home().read(kControls))["vim_mode"], true);
  EXPECT_EQ(f.pane->dispatches(), 1u);
  // Through the action system: saved, the toggle follows, nothing announced.
  f.put("shortcuts.vim_mode", ScalarValue::boolean(false));
  f.pass();
  EXPECT_FALSE(f.pane->vim_mode());
  EXPECT_EQ(f.get("shortcuts.vim_mode.edit"), ScalarValue::boolean(false));
  EXPECT_EQ(nlohmann::json::parse(*f.harness.home().read(kControls))["vim_mode"], false);
  EXPECT_EQ(f.pane->dispatches(), 1u);
  f.pass(3);
  EXPECT_EQ(f.pane->saves(), 2u);

  // A failing save after a change through the action system announces the previous value.
  f.break_file(kControls);
  f.put("shortcuts.vim_mode", ScalarValue::boolean(true));
  f.pass();
  EXPECT_FALSE(f.pane->vim_mode());
  EXPECT_EQ(f.pane->dispatches(), 2u);
  EXPECT_EQ(f.last_payload(), R"({"SetSetting":{"key":"shortcuts.vim_mode","value":{"Bool":false}}})");
  EXPECT_EQ(f.get("shortcuts.vim_mode"), ScalarValue::boolean(false));
  EXPECT_EQ(f.get("shortcuts.vim_mode.edit"), ScalarValue::boolean(false));
  // A failing flip puts the toggle back without an announcement.
  f.put("shortcuts.vim_mode.edit", ScalarValue::boolean(true));
  f.pass();
  EXPECT_EQ(f.get("shortcuts.vim_mode.edit"), ScalarValue::boolean(false));
  EXPECT_EQ(f.pane->dispatches(), 2u);
  f.pass(3);
  EXPECT_EQ(f.pane->saves(), 4u);
}

TEST(ShortcutPane, ViewGroupsTheShortcuts) {
  PaneFixture f;
  testing::PaneInALoop ui(*f.pane, 1280, 800);
  const auto texts = testing::texts_of(*f.pane);
  const auto at = [&](std::string_view text) {
    return std::find(texts.begin(), texts.end(), text) - texts.begin();
  };
  ASSERT_LT(at("System"), static_cast<long>(texts.size()));
  EXPECT_LT(at("System"), at("Open search"));
  EXPECT_LT(at("Desktop help"), at("Desktop navigation"));
  EXPECT_LT(at("Desktop navigation"), at("Vim navigation (H J K L)"));
  EXPECT_LT(at("Vim navigation (H J K L)"), at("Focus previous window"));
  EXPECT_LT(at("Focus previous window"), at("Make window wider"));
  EXPECT_EQ(std::count(texts.begin(), texts.end(), "Cycle tabs in the focused window group"), 2);
  ASSERT_NE(testing::find_widget(*f.pane, "shortcuts.vim_mode"), nullptr);
  ASSERT_NE(testing::find_widget(*f.pane, "shortcuts.resize_wider"), nullptr);
}

}  // namespace
}  // namespace settings::panes::keyboard_shortcuts
