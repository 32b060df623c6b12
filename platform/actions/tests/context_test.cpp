#include "orvo_actions/context.h"

#include <gtest/gtest.h>

namespace orvo_actions {
namespace {

TEST(HumanizeIdentifier, MakesReadableTitles) {
  const std::pair<const char*, const char*> cases[] = {
      {"SetSetting", "Set setting"},
      {"set-charge-cap", "Set charge cap"},
      {"night_light_temperature", "Night light temperature"},
      {"HTTPServer", "HTTP server"},
      {"SetWifiEnabled", "Set wifi enabled"},
      {"ipv4Address", "Ipv4 address"},
      {"--x--", "X"},
      {"", ""},
  };
  for (const auto& [identifier, title] : cases) EXPECT_EQ(humanize_identifier(identifier), title) << identifier;
}

TEST(ActionContext, EnrichedByFillsOnlyWhatIsMissing) {
  ActionContext host{"Host title", {"settings.root"}, ActionApplication{"org.orvo.Settings", "Settings"},
                     ActionSource{"settings.preference:power", "settings.preference-pane", "Power"}, "host"};
  ActionContext given{"Set setting", {}, std::nullopt, std::nullopt, std::nullopt};
  ActionContext merged = given.enriched_by(host);
  EXPECT_EQ(merged.title, "Set setting");
  EXPECT_EQ(merged.resource_ids, host.resource_ids);
  EXPECT_EQ(merged.application, host.application);
  EXPECT_EQ(merged.source, host.source);
  EXPECT_EQ(merged.reason, "host");

  ActionContext own{"", {"x"}, ActionApplication{"a", "A"}, std::nullopt, "own"};
  ActionContext kept = own.enriched_by(host);
  EXPECT_EQ(kept.title, "Host title");
  EXPECT_EQ(kept.resource_ids, std::vector<std::string>{"x"});
  EXPECT_EQ(kept.application, (ActionApplication{"a", "A"}));
  EXPECT_EQ(kept.reason, "own");
}

}  // namespace
}  // namespace orvo_actions
