// Shortcut and desktop-control settings reach their files while the page is closed: the rows of the
// setting-key table write a chord through the shortcut configuration and the vim flag through the
// desktop controls, refuse what those refuse, and the section's flip reads the flag back.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "../../catalogues_lists/catalogue_fixture.h"
#include "catalogues/section_catalogues.h"
#include "harness/pane_home.h"
#include "preferences/setting_fields.h"

namespace settings::preferences {
namespace {

using Json = nlohmann::json;

TEST(ShortcutWriteThrough, ChordsAndTheVimFlagGoToTheirOwnFiles) {
  panes::testing::PaneHome home;
  home.write("config/orvo/settings.json", R"({"version": 1, "other": {"kept": 1}})");
  const auto saved_chord = [&](const char* action) {
    return Json::parse(*home.read("config/orvo/shortcuts.json"))["bindings"][action].get<std::string>();
  };
  ASSERT_TRUE(write_setting_through("shortcuts.search", std::string("ctrl+alt+super+k")));
  EXPECT_EQ(saved_chord("0"), "Super+Ctrl+Alt+K");
  // A chord that does not parse, or that another shortcut holds, is never written.
  const std::string before = *home.read("config/orvo/shortcuts.json");
  for (const char* chord : {"Super+Nope", "K", "Super+Ctrl+Alt+K"}) {
    const auto refused = write_setting_through("shortcuts.lock", std::string(chord));
    ASSERT_FALSE(refused) << chord;
    EXPECT_TRUE(refused.error().starts_with("Could not set the shortcut: ")) << refused.error();
  }
  EXPECT_FALSE(write_setting_through("shortcuts.lock", true));
  EXPECT_EQ(*home.read("config/orvo/shortcuts.json"), before);

  const auto vim_title = [] {
    return actions::testing::Catalogue{}.build(actions::keyboard_shortcuts_resource).find_action("vim-mode")->title;
  };
  EXPECT_EQ(vim_title(), "Turn on Vim-style desktop navigation");
  ASSERT_TRUE(write_setting_through("shortcuts.vim_mode", true));
  EXPECT_EQ(Json::parse(*home.read("config/orvo/desktop-controls.json"))["vim_mode"], true);
  EXPECT_EQ(stored_section_flag("shortcuts.vim_mode"), true);
  EXPECT_EQ(vim_title(), "Turn off Vim-style desktop navigation") << "read from the file while the document has none";
  EXPECT_EQ(*home.read("config/orvo/settings.json"), R"({"version": 1, "other": {"kept": 1}})");
}

}  // namespace
}  // namespace settings::preferences
