#include "actions/settings_dispatch.h"

#include <gtest/gtest.h>

#include "lib/settings_document.h"
#include "orvo_doc/document.h"
#include "orvo_log/log.h"

namespace settings::actions {
namespace {

SettingsAction set(std::string key, SettingValue value) {
  return SettingsAction::SetSetting{std::move(key), std::move(value)};
}

TEST(SettingsDispatch, TheFirstDispatchSetsTheFirstHeadsALaterOneOnlyTheLastAction) {
  orvo_doc::Document doc;
  orvo_ui::ActionHost host;
  const auto initial = doc.get_heads();
  ASSERT_TRUE(dispatch_typed_action(host, doc, "settings.action", set("appearance.theme", std::string("Dark")),
                                    std::nullopt));
  EXPECT_EQ(host.first_heads, initial);
  ASSERT_TRUE(host.last_action);
  EXPECT_EQ(host.last_action->kind, "settings.action");
  EXPECT_EQ(host.last_action->payload, R"({"SetSetting":{"key":"appearance.theme","value":{"Text":"Dark"}}})");

  ASSERT_TRUE(dispatch_typed_action(host, doc, "settings.action", set("a11y.large_cursor", true), std::nullopt));
  EXPECT_EQ(host.first_heads, initial);
  EXPECT_EQ(host.last_action->payload, R"({"SetSetting":{"key":"a11y.large_cursor","value":{"Bool":true}}})");
  EXPECT_EQ(lib::read_bool(doc, orvo_doc::kRoot, "a11y.large_cursor"), true);
}

TEST(SettingsDispatch, ARefusalWarnsOnceAndWritesNothing) {
  orvo_doc::Document doc;
  orvo_ui::ActionHost host;
  dispatch_with_context(host, doc, "settings.action", set("appearance.theme", std::string("Dark")), std::nullopt);
  const auto heads = doc.get_heads();
  const auto first = host.first_heads;
  const auto last = host.last_action;

  orvo_log::CaptureScope capture;
  dispatch_with_context(host, doc, "settings.action", set("network.wifi", true),
                        context_for_typed_action(kSettingsAppId, kSettingsAppName, set("network.wifi", true)));
  EXPECT_EQ(capture.count("action dispatch failed"), 1u);
  EXPECT_EQ(doc.get_heads(), heads);
  EXPECT_EQ(host.first_heads, first);
  EXPECT_EQ(host.last_action, last);
}

TEST(SettingsDispatch, ContextsAreTitledAfterTheActionAndEnrichedByTheHost) {
  const auto context = context_for_typed_action(kSettingsAppId, kSettingsAppName, set("appearance.theme", true));
  EXPECT_EQ(context.title, orvo_actions::humanize_identifier("SetSetting"));
  ASSERT_TRUE(context.application);
  EXPECT_EQ(context.application->id, "org.orvo.Settings");
  EXPECT_EQ(context.application->name, "Settings");
  EXPECT_FALSE(context.source);
  EXPECT_TRUE(context.resource_ids.empty());

  const auto source = preference_pane_source(true, "appearance", "Appearance", "Change appearance preferences");
  ASSERT_TRUE(source && source->source);
  EXPECT_EQ(source->title, "Change appearance preferences");
  EXPECT_EQ(source->source->resource_id, "settings.preference:appearance");
  EXPECT_EQ(source->source->source_kind, "settings.preference-pane");
  EXPECT_EQ(source->source->label, "Appearance");
  EXPECT_EQ(source->application, context.application);
  EXPECT_FALSE(preference_pane_source(false, "appearance", "Appearance", "Change appearance preferences"));

}

TEST(SettingsDispatch, TheHostsDefaultContextFillsTheGivenOne) {
  orvo_actions::ActionContext host;
  host.title = "Host";
  host.source = orvo_actions::ActionSource{"settings.preference:region", "settings.preference-pane", "Region"};
  const auto given = context_for_typed_action(kSettingsAppId, kSettingsAppName, set("region.currency", true));

  EXPECT_EQ(orvo_ui::dispatch_context(std::nullopt, std::nullopt), std::nullopt);
  EXPECT_EQ(orvo_ui::dispatch_context(std::nullopt, given), given);
  EXPECT_EQ(orvo_ui::dispatch_context(host, std::nullopt), host);
  const auto both = orvo_ui::dispatch_context(host, given);
  ASSERT_TRUE(both);
  EXPECT_EQ(both->title, given.title);
  EXPECT_EQ(both->application, given.application);
  EXPECT_EQ(both->source, host.source);
}

}  // namespace
}  // namespace settings::actions
