#include <gtest/gtest.h>

#include "actions/register.h"
#include "actions/settings_action.h"
#include "lib/settings_document.h"
#include "orvo_actions/encoded_action.h"
#include "orvo_actions/registry.h"
#include "orvo_doc/document.h"

namespace settings::actions {
namespace {

SettingsAction set(std::string key, SettingValue value) {
  return SettingsAction::SetSetting{std::move(key), std::move(value)};
}

TEST(SettingsActionApply, WritesAnAcceptedValueAndKeepsTheHeadsWhenNothingChanges) {
  orvo_doc::Document doc;
  ASSERT_TRUE(set("appearance.theme", std::string("Dark")).apply_to_document(doc));
  ASSERT_TRUE(set("a11y.large_cursor", true).apply_to_document(doc));
  EXPECT_EQ(lib::read_string(doc, orvo_doc::kRoot, "appearance.theme"), "Dark");
  EXPECT_EQ(lib::read_bool(doc, orvo_doc::kRoot, "a11y.large_cursor"), true);

  const auto heads = doc.get_heads();
  ASSERT_TRUE(set("appearance.theme", std::string("Dark")).apply_to_document(doc));
  ASSERT_TRUE(set("a11y.large_cursor", true).apply_to_document(doc));
  EXPECT_EQ(doc.get_heads(), heads);

  ASSERT_TRUE(set("appearance.theme", std::string("Light")).apply_to_document(doc));
  EXPECT_NE(doc.get_heads(), heads);
  EXPECT_EQ(lib::read_string(doc, orvo_doc::kRoot, "appearance.theme"), "Light");
}

TEST(SettingsActionApply, ReplacesAnEntryOfAnotherKindWithTheScalar) {
  orvo_doc::Document doc;
  ASSERT_TRUE(doc.put_object(orvo_doc::kRoot, "default_apps.browser", orvo_doc::ObjType::Map));
  ASSERT_TRUE(doc.put(orvo_doc::kRoot, "a11y.large_cursor", orvo_doc::ScalarValue::str("true")));
  ASSERT_TRUE(set("default_apps.browser", std::string("web.desktop")).apply_to_document(doc));
  ASSERT_TRUE(set("a11y.large_cursor", true).apply_to_document(doc));
  EXPECT_EQ(lib::read_string(doc, orvo_doc::kRoot, "default_apps.browser"), "web.desktop");
  EXPECT_EQ(lib::read_bool(doc, orvo_doc::kRoot, "a11y.large_cursor"), true);
}

TEST(SettingsActionApply, ARefusalNamesTheKeyAndLeavesTheDocumentAlone) {
  orvo_doc::Document doc;
  ASSERT_TRUE(set("appearance.theme", std::string("Dark")).apply_to_document(doc));
  const auto heads = doc.get_heads();
  for (const auto& action : {set("appearance.theme", std::int64_t{2}), set("network.wifi", true),
                             set("default_apps.browser.edit", std::string("x"))}) {
    auto applied = action.apply_to_document(doc);
    ASSERT_FALSE(applied);
    EXPECT_EQ(applied.error().message,
              std::string(kStaleSettingMessage) + std::get<SettingsAction::SetSetting>(action).key);
  }
  EXPECT_EQ(doc.get_heads(), heads);
  EXPECT_EQ(lib::read_string(doc, orvo_doc::kRoot, "appearance.theme"), "Dark");
}

TEST(SettingsActionRegistry, DecodesPayloadsStrictlyAndRunsThem) {
  orvo_actions::ActionRegistry registry;
  register_settings_action(registry);
  orvo_doc::Document doc;
  auto typed =
      registry.decode({"settings.action", R"({"SetSetting":{"key":"appearance.theme","value":{"Text":"Dark"}}})"});
  ASSERT_TRUE(typed) << typed.error().display();
  ASSERT_TRUE((*typed)->apply_to_document(doc));
  EXPECT_EQ(lib::read_string(doc, orvo_doc::kRoot, "appearance.theme"), "Dark");
  EXPECT_FALSE((*typed)->is_query());

  const std::string deep = std::string(200, '[') + std::string(200, ']');
  for (const std::string& payload : {std::string(R"({"SetSetting":{"key":"a"}})"), std::string("not json"), deep,
                                    std::string(R"({"SetSetting":{"key":"a","key":"b","value":{"Bool":true}}})")}) {
    auto refused = registry.decode({"settings.action", payload});
    ASSERT_FALSE(refused) << payload;
    EXPECT_EQ(refused.error().kind, orvo_actions::ActionError::Kind::Decoding);
    EXPECT_EQ(refused.error().action_namespace, "settings.action");
  }
}

TEST(SettingsActionRegistry, RegisteringAgainKeepsOnlyTheNewDecoder) {
  orvo_actions::ActionRegistry registry;
  register_action_namespace(registry, "settings.action");
  register_settings_action(registry);
  auto refused = registry.decode({"settings.action", "[]"});
  ASSERT_FALSE(refused);
  EXPECT_EQ(refused.error().action_namespace, "settings.action");
  register_action_namespace(registry, "settings.other");
  auto other = registry.decode({"settings.other", "[]"});
  ASSERT_FALSE(other);
  EXPECT_EQ(other.error().action_namespace, "settings.other");
}

}  // namespace
}  // namespace settings::actions
