#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "actions/register.h"
#include "entry.h"
#include "orvo_ui/launch.h"
#include "orvo_ui/widget.h"

namespace settings {
namespace {

TEST(Entry, DescriptorCarriesTheApplicationsValues) {
  const orvo_ui::AppDescriptor d = make_descriptor();
  EXPECT_EQ(d.app_id, "so.orvo.settings");
  for (const auto& list : d.reserved_lists) EXPECT_TRUE(list.empty());
  for (auto word : d.reserved_words_a) EXPECT_EQ(word, 0u);
  for (auto word : d.reserved_words_b) EXPECT_EQ(word, 0u);
  for (auto word : d.reserved_words_c) EXPECT_EQ(word, 0u);
  ASSERT_TRUE(d.initial_window_size);
  EXPECT_EQ(d.initial_window_size().width, 1280u);
  EXPECT_EQ(d.initial_window_size().height, 800u);
  ASSERT_TRUE(d.allow_close);
  EXPECT_TRUE(d.allow_close());
  EXPECT_TRUE(d.persistence_opener);
  EXPECT_EQ(d.flags, (std::array<std::uint8_t, 4>{1, 0, 1, 1}));
}

TEST(Entry, RegisteringTwiceLeavesOneSettingsActionHandler) {
  orvo_ui::App app;
  register_actions(app);
  register_actions(app);
  EXPECT_EQ(app.action_registry().size(), 1u);
  EXPECT_TRUE(app.action_registry().contains("settings.action"));
  EXPECT_TRUE(app.accepts_external_actions);
  EXPECT_TRUE(app.lists_actions);
}

TEST(Entry, EachFactoryCallBuildsAFreshRoot) {
  auto a = build_root_widget();
  auto b = build_root_widget();
  ASSERT_TRUE(a && b);
  EXPECT_NE(a.get(), b.get());
  EXPECT_EQ(a->accessibility()->label, "Settings");
}

// The whole program under the offscreen backend: a script runs, a PNG and the state are written.
TEST(Entry, OffscreenRunWritesPictureAndState) {
  auto dir = std::filesystem::temp_directory_path() / ("orvo-entry-" + std::to_string(::getpid()));
  std::filesystem::create_directories(dir);
  std::ofstream(dir / "script") << "frames 2\nmove 10 10\n";
  ::setenv("ORVO_UI_BACKEND", "offscreen", 1);
  ::setenv("ORVO_UI_SCRIPT", (dir / "script").c_str(), 1);
  ::setenv("ORVO_UI_PNG", (dir / "frame.png").c_str(), 1);
  ::setenv("ORVO_UI_STATE", (dir / "state.json").c_str(), 1);
  const orvo_ui::AppDescriptor descriptor = make_descriptor();
  orvo_ui::launch::run_or_exit(descriptor);
  for (const char* name : {"ORVO_UI_BACKEND", "ORVO_UI_SCRIPT", "ORVO_UI_PNG", "ORVO_UI_STATE"}) ::unsetenv(name);

  EXPECT_GT(std::filesystem::file_size(dir / "frame.png"), 1000u);
  std::stringstream state;
  state << std::ifstream(dir / "state.json").rdbuf();
  EXPECT_NE(state.str().find("so.orvo.settings"), std::string::npos);
  std::filesystem::remove_all(dir);
}

}  // namespace
}  // namespace settings
