// Setting actions from the window: a toggle bound to an accessibility action, clicked through the
// offscreen loop, changes the loop's document and the preferences file; the root's resource tree
// reads current values from the same document, so a flip without a store of its own flips back.
#include <gtest/gtest.h>

#include <cstdlib>
#include <nlohmann/json.hpp>

#include "catalogues/accessibility_bindings.h"
#include "catalogues/section_catalogues.h"
#include "entry.h"
#include "frame_loop.h"
#include "lib/settings_document.h"
#include "offscreen_backend.h"
#include "orvo_ui/launch.h"
#include "orvo_ui/widgets/flex_box.h"
#include "orvo_ui/widgets/toggle.h"
#include "preferences/preferences_file.h"
#include "settings_app/resource_paths.h"
#include "settings_app/settings_app.h"

namespace settings {
namespace {

// The preferences file of these tests lives in a temporary configuration directory.
struct TemporaryConfig : ::testing::Test {
  std::filesystem::path dir = [] {
    char pattern[] = "/tmp/controls-XXXXXX";
    const char* made = ::mkdtemp(pattern);
    return std::filesystem::path(made ? made : "/tmp");
  }();
  std::string saved = std::getenv("XDG_CONFIG_HOME") ? std::getenv("XDG_CONFIG_HOME") : "";

  void SetUp() override { ::setenv("XDG_CONFIG_HOME", dir.c_str(), 1); }
  void TearDown() override {
    if (saved.empty()) {
      ::unsetenv("XDG_CONFIG_HOME");
    } else {
      ::setenv("XDG_CONFIG_HOME", saved.c_str(), 1);
    }
    std::filesystem::remove_all(dir);
  }
};

// A page of controls that publishes the Accessibility section as its resources, as a pane would.
class AccessibilityPage final : public orvo_ui::FlexBuilder<AccessibilityPage> {
 public:
  AccessibilityPage() : FlexBuilder(orvo_ui::FlexDirection::Column) {}
  std::string_view type_name() const override { return "settings::tests::AccessibilityPage"; }
  std::string_view name() const override { return "AccessibilityPage"; }
  std::optional<orvo_actions::Resource> resource(std::string_view id) override {
    const orvo_doc::Document document;
    const preferences::Preferences prefs = preferences::load_preferences();
    return settings_app::resolve_resource(id, {document, prefs, {}, actions::offline_queries()});
  }
};

TEST_F(TemporaryConfig, AToggleClickedInTheWindowChangesTheDocumentAndTheFile) {
  orvo_ui::OffscreenBackend backend(400, 200);
  orvo_ui::App app;
  register_actions(app);
  auto binding = actions::accessibility_toggle_binding("sticky-keys");
  ASSERT_TRUE(binding);
  orvo_ui::PublishedCell<bool> sticky(false);
  AccessibilityPage page;
  page.push(orvo_ui::Toggle::from_state(sticky).with_id("a11y.sticky_keys").on_action(*binding));
  orvo_ui::FrameLoop loop(backend, page, app, orvo_ui::TextRenderer::Metrics::Fixed);
  loop.frame(backend.take_events());

  const auto centre = page.child(0)->get_rect().center();
  auto click = orvo_ui::launch::parse_script("click " + std::to_string(static_cast<int>(centre.x)) + " " +
                                             std::to_string(static_cast<int>(centre.y)));
  ASSERT_TRUE(click);
  for (const auto& step : *click) backend.push(std::get<orvo_ui::launch::step::Deliver>(step).event);
  loop.frame(backend.take_events());

  EXPECT_TRUE(sticky.snapshot());
  EXPECT_EQ(lib::read_bool(loop.document(), orvo_doc::kRoot, "a11y.sticky_keys"), true);
  EXPECT_TRUE(preferences::load_preferences().accessibility.sticky_keys);
  ASSERT_TRUE(loop.host().last_action);
  EXPECT_EQ(loop.host().last_action->payload, R"({"SetSetting":{"key":"a11y.sticky_keys","value":{"Bool":true}}})");
}

TEST_F(TemporaryConfig, TheRootsTreeReadsTheLoopsDocumentSoAFlipWithoutAStoreFlipsBack) {
  orvo_ui::OffscreenBackend backend(1280, 800);
  orvo_ui::App app;
  register_actions(app);
  settings_app::SettingsApp root(dir / "accounts");
  orvo_ui::FrameLoop loop(backend, root, app, orvo_ui::TextRenderer::Metrics::Fixed);
  loop.frame(backend.take_events());

  const orvo_actions::ActionAddress vim{"settings.section:keyboard_shortcuts", "vim-mode"};
  for (bool expected : {true, false, true}) {
    ASSERT_EQ(loop.host().request(root, vim, "{}"), orvo_ui::StartAnswer{orvo_ui::start::Completed{}});
    EXPECT_EQ(lib::read_bool(loop.document(), orvo_doc::kRoot, "shortcuts.vim_mode"), expected);
  }
  const auto tree = root.resources();
  ASSERT_EQ(tree.size(), 1u);
  const auto* section = tree[0].find("settings.section:keyboard_shortcuts");
  ASSERT_NE(section, nullptr);
  EXPECT_EQ(section->find_action("vim-mode")->title.substr(0, 8), "Turn off");
  EXPECT_FALSE(std::filesystem::exists(dir / "orvo" / "settings.json")) << "no store of its own yet";
}

}  // namespace
}  // namespace settings
