// The workspace grants overview from fixture state files.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <time.h>

#include <optional>
#include <string>

#include "harness/pane_home.h"
#include "panes/permissions/workspace_grants.h"

namespace settings::panes::permissions {
namespace {

using testing::PaneHome;

std::string app_grant(std::string_view app, std::string_view scope, std::string_view verb = "Read",
                      std::string_view expiry = "\"Never\"") {
  return "{\"subject\": {\"Principal\": {\"App\": \"" + std::string(app) + "\"}}, \"scope\": " + std::string(scope) +
         ", \"effect\": \"Grant\", \"verb\": \"" + std::string(verb) + "\", \"expiry\": " + std::string(expiry) + "}";
}

std::string state_file(std::initializer_list<std::pair<std::string, std::string>> workspaces) {
  std::string text = "{\"version\": 3, \"workspaces\": [";
  bool first = true;
  for (const auto& [name, grants] : workspaces) {
    if (!std::exchange(first, false)) text += ",";
    text += "{\"id\": 7, \"name\": \"" + name + "\", \"capabilities\": [" + grants + "]}";
  }
  return text + "]}";
}

std::expected<GrantOverview, std::string> load(const PaneHome& home, std::string_view content) {
  home.write("config/orvo/state.json", content);
  return load_grant_overview(home.config() / "orvo/state.json", true);
}

TEST(WorkspaceGrants, AnUnreadableOrUndecodableFileIsUnavailable) {
  PaneHome home;
  EXPECT_FALSE(load_grant_overview(home.config() / "orvo/state.json", true)) << "missing";
  EXPECT_FALSE(load_grant_overview(std::nullopt, true)) << "no configuration directory";
  for (const char* text : {"{ not json", "{\"workspaces\": 3}",
                           // One bad override fails the whole document.
                           "{\"workspaces\": [{\"name\": \"a\", \"capabilities\": [{\"subject\": {\"Role\": "
                           "\"Viewer\"}, \"scope\": \"Workspace\", \"effect\": \"Grant\", \"verb\": \"Read\", "
                           "\"colour\": 1}]}]}"}) {
    EXPECT_FALSE(load(home, text)) << text;
  }
}

TEST(WorkspaceGrants, OnlyAppGrantsOfShownKindsCount) {
  PaneHome home;
  const std::string not_shown =
      // A restriction of an app, grants to a role, a person and an agent, and scopes with no kind.
      "{\"subject\": {\"Principal\": {\"App\": \"org.example.Editor\"}}, \"scope\": {\"Device\": \"camera\"}, "
      "\"effect\": \"Restrict\", \"verb\": \"Read\"},"
      "{\"subject\": {\"Role\": \"Viewer\"}, \"scope\": {\"Device\": \"camera\"}, \"effect\": \"Grant\", \"verb\": "
      "\"Read\"},"
      "{\"subject\": {\"Principal\": {\"Person\": \"sam\"}}, \"scope\": {\"NetHost\": \"*\"}, \"effect\": \"Grant\", "
      "\"verb\": \"Read\"},"
      "{\"subject\": {\"Principal\": {\"Agent\": \"helper\"}}, \"scope\": {\"FsPath\": \"/\"}, \"effect\": \"Grant\", "
      "\"verb\": \"Write\"}," +
      app_grant("org.example.Editor", "{\"Device\": \"printer\"}") + "," +
      app_grant("org.example.Editor", "\"Workspace\"") + "," +
      app_grant("org.example.Editor", "{\"App\": \"org.example.Other\"}");
  const auto overview = load(home, state_file({{"Home", not_shown}, {"Empty", ""}}));
  ASSERT_TRUE(overview) << overview.error();
  EXPECT_EQ(overview->grant_count(), 0u);
  EXPECT_TRUE(overview->workspaces.empty());
}

TEST(WorkspaceGrants, OneGrantInOneWorkspace) {
  PaneHome home;
  const auto overview = load(home, state_file({{"  ", app_grant("org.example.Browser", "{\"NetHost\": \"*\"}")}}));
  ASSERT_TRUE(overview) << overview.error();
  EXPECT_EQ(grant_summary(*overview), "1 grant across 1 workspace");
  ASSERT_EQ(overview->workspaces.size(), 1u);
  EXPECT_EQ(overview->workspaces[0].label, "Workspace") << "a blank name";
  const std::vector<AppGrants> expected{{"org.example.Browser", {{GrantKind::Network, "Any host", "No expiry"}}}};
  EXPECT_EQ(overview->workspaces[0].apps, expected);
}

TEST(WorkspaceGrants, GroupedByWorkspaceAndAppAndSortedWithin) {
  PaneHome home;
  const std::string design = app_grant("org.example.Editor", "{\"FsPath\": \"/home/alex/Designs\"}", "Write") + "," +
                             app_grant("org.example.Call", "{\"Device\": \"microphone\"}", "Read",
                                       "\"EndOfSession\"") +
                             "," + app_grant("org.example.Editor", "{\"NetHost\": \"fonts.example.org\"}") + "," +
                             app_grant("org.example.Call", "{\"Device\": \"camera\"}", "Read", "\"AfterUse\"") + "," +
                             app_grant("org.example.Editor", "{\"FsPath\": \"/home/alex/Brand\"}", "Comment") + "," +
                             app_grant("org.example.Call", "{\"Device\": \"screencast\"}") + "," +
                             app_grant("org.example.Call", "{\"Device\": \"remote-desktop\"}", "Admin");
  const std::string notes = app_grant("org.example.Notes", "{\"FsPath\": \"/srv/notes\"}", "Invite");
  const auto overview = load(home, state_file({{"Design", design}, {"Notes", notes}}));
  ASSERT_TRUE(overview) << overview.error();
  EXPECT_EQ(grant_summary(*overview), "8 grants across 2 workspaces");
  ASSERT_EQ(overview->workspaces.size(), 2u);
  const std::vector<AppGrants> design_apps{
      {"org.example.Call",
       {{GrantKind::Camera, "Capture video", "One use"},
        {GrantKind::Microphone, "Capture audio", "Until you sign out"},
        {GrantKind::RemoteControl, "Inject pointer & keyboard", "No expiry"},
        {GrantKind::ScreenSharing, "Stream this workspace", "No expiry"}}},
      {"org.example.Editor",
       {{GrantKind::Files, "/home/alex/Brand  \u00b7  read-only", "No expiry"},
        {GrantKind::Files, "/home/alex/Designs  \u00b7  read & write", "No expiry"},
        {GrantKind::Network, "fonts.example.org", "No expiry"}}},
  };
  EXPECT_EQ(overview->workspaces[0].label, "Design");
  EXPECT_EQ(overview->workspaces[0].apps, design_apps);
  EXPECT_EQ(overview->workspaces[1].apps.at(0).grants.at(0).detail, "/srv/notes  \u00b7  read & write");
}

TEST(WorkspaceGrants, ExpiryTexts) {
  namespace caps = collab_types::caps;
  const char* saved = ::getenv("TZ");
  const std::optional<std::string> old = saved ? std::optional<std::string>(saved) : std::nullopt;
  ::setenv("TZ", "UTC", 1);
  ::tzset();
  EXPECT_EQ(expiry_text(caps::expiry::AtUnix{1'800'000'000}, true), "Until 2027-01-15 08:00");
  EXPECT_EQ(expiry_text(caps::expiry::AtUnix{1'800'000'000 + 6 * 3600}, false), "Until 2027-01-15 2:00 PM");
  // Past what the C library can place: still a moment, shown as its number.
  EXPECT_EQ(expiry_text(caps::expiry::AtUnix{INT64_MAX}, true), "Until 9223372036854775807 (Unix time)");
  EXPECT_EQ(expiry_text(caps::expiry::Never{}, true), "No expiry");
  EXPECT_EQ(expiry_text(caps::expiry::EndOfSession{}, true), "Until you sign out");
  EXPECT_EQ(expiry_text(caps::expiry::AfterUse{}, true), "One use");
  if (old) ::setenv("TZ", old->c_str(), 1);
  else ::unsetenv("TZ");
  ::tzset();
}

}  // namespace
}  // namespace settings::panes::permissions
