#include "actions/setting_key_filter.h"

#include <gtest/gtest.h>

#include <string>

namespace settings::actions {
namespace {

struct FilterCase {
  std::string key;
  SettingValue value;
  bool allowed;
};

SettingValue text(std::size_t bytes) { return SettingValue(std::string(bytes, 'x')); }
std::string app_key(std::size_t id_bytes, std::string_view field) {
  return "notifications.app." + std::string(id_bytes, 'a') + "." + std::string(field);
}

TEST(SettingKeyFilter, AcceptsOnlyTheFamiliesTypesAndSizesItKnows) {
  const FilterCase cases[] = {
      // Text limits, counted in bytes.
      {"appearance.theme", text(1024), true},
      {"appearance.theme", text(1025), false},
      {"appearance.theme", SettingValue(std::string()), false},
      {"appearance.theme", SettingValue(std::string("\xc3\xa9")), true},
      {"appearance.theme", SettingValue(true), false},
      // Booleans: the text "true" is not a boolean.
      {"appearance.high_contrast", SettingValue(std::string("true")), false},
      {"appearance.high_contrast", SettingValue(true), true},
      {"shortcuts.vim_mode", SettingValue(false), true},
      {"shortcuts.vim_mode", SettingValue(std::string("on")), false},
      {"shortcuts.search", SettingValue(std::string("Super+Space")), true},
      {"shortcuts.search", SettingValue(true), false},
      {"notifications.focus.start", SettingValue(std::string("22:00")), true},
      // Int and Float are refused everywhere.
      {"appearance.theme", SettingValue(std::int64_t{1}), false},
      {"a11y.large_cursor", SettingValue(0.5), false},
      {"default_apps.browser", SettingValue(std::int64_t{2}), false},
      {"notifications.app.mail.banners", SettingValue(1.0), false},
      // Default applications, but not their edit and error state.
      {"default_apps.browser", SettingValue(std::string("web.desktop")), true},
      {"default_apps.browser.edit", SettingValue(std::string("web.desktop")), false},
      {"default_apps.browser.error", SettingValue(std::string("web.desktop")), false},
      {"default_apps.browser", text(1025), false},
      // Per-application notification keys.
      {"notifications.app.mail.banners", SettingValue(false), true},
      {"notifications.app.mail.banners", SettingValue(std::string("false")), false},
      {"notifications.app.mail.priority_contacts", SettingValue(true), true},
      {"notifications.app.mail.mute", SettingValue(std::string("1h")), true},
      {"notifications.app.mail.mute", SettingValue(true), false},
      {"notifications.app.mail.colour", SettingValue(true), false},
      {"notifications.app.mail", SettingValue(true), false},
      {app_key(160, "banners"), SettingValue(true), true},
      {app_key(161, "banners"), SettingValue(true), false},
      {"notifications.app..banners", SettingValue(true), false},
      {"notifications.app.my app.banners", SettingValue(true), false},
      {"notifications.app.my/app.banners", SettingValue(true), false},
      {"notifications.app.a.b.sounds", SettingValue(true), true},
      {"notifications.app.org.example-app_2.badges", SettingValue(true), true},
      // Unknown keys and near misses.
      {"appearance.Theme", SettingValue(std::string("Dark")), false},
      {"appearance.theme ", SettingValue(std::string("Dark")), false},
      {"", SettingValue(true), false},
      {"network.wifi", SettingValue(true), false},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(is_allowed_setting_key(c.key, c.value), c.allowed) << c.key;
  }
}

TEST(SettingKeyFilter, DisallowedBytesAreThoseOutsideTheApplicationIdAlphabet) {
  EXPECT_FALSE(setting_key_has_disallowed_byte("Org.example-App_9"));
  EXPECT_FALSE(setting_key_has_disallowed_byte(""));
  const std::string_view bad_ids[] = {"a b", "a/b", "a\\b", "caf\xc3\xa9", std::string_view("a\0b", 3), "a+b"};
  for (std::string_view bad : bad_ids) {
    EXPECT_TRUE(setting_key_has_disallowed_byte(bad)) << bad;
  }
}

}  // namespace
}  // namespace settings::actions
