// A per-application notification rule over a preferences file that cannot be read fails with the
// sentence the other switches give, and the file stays as it was.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <optional>
#include <string>

#include "orvo_runtime/system_paths.h"
#include "orvo_testing/temp_dir.h"
#include "preferences/setting_fields.h"

namespace settings::preferences {
namespace {

namespace fs = std::filesystem;

TEST(UnreadableRules, ARuleFailsLikeTheSwitchesAndWritesNothing) {
  orvo_testing::TempDir root;
  system_paths::ScopedOverride paths("/", root.root() / "config");
  const fs::path file = root.root() / "config" / "orvo" / "settings.json";
  const std::string damaged = R"({"notifications": {"do_not_disturb": tr)";
  root.write("config/orvo/settings.json", damaged);

  const auto expected = write_setting_through("notifications.do_not_disturb", true);
  ASSERT_FALSE(expected);
  ASSERT_TRUE(expected.error().starts_with("Could not save the preferences: ")) << expected.error();
  for (const auto& [key, value] : {std::pair<const char*, SettingFieldValue>{"notifications.app.a.app.banners", false},
                                   {"notifications.app.a.app.priority", true},
                                   {"notifications.app.a.app.mute", std::string("For 1 hour")}}) {
    const auto written = write_setting_through(key, value);
    ASSERT_FALSE(written) << key;
    EXPECT_EQ(written.error(), expected.error()) << key;
  }
  EXPECT_EQ(orvo_testing::read_file(file), damaged);
}

}  // namespace
}  // namespace settings::preferences
