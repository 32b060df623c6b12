#include "panes/device_mesh/continuity.h"

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "device_mesh/mesh_pane_fixture.h"
#include "panes/device_mesh/device_mesh_pane.h"
#include "settings_store/settings_path.h"

namespace settings::panes::device_mesh {
namespace {

using panes::testing::PaneHarness;
using testing::MeshPaneFixture;
using SetService = DeviceMeshOperation::SetService;

std::string audit_of(std::size_t count) {
  std::string entries;
  for (std::size_t i = 0; i < count; ++i) {
    if (i) entries += ',';
    entries += R"({"recorded_at_secs":)" + std::to_string(i) + R"(,"capability":"media","enabled":true})";
  }
  return "[" + entries + "]";
}

void write_settings(const MeshPaneFixture& fixture, const std::string& text) {
  const auto path = settings_store::settings_path();
  ASSERT_TRUE(path.has_value());
  fixture.home().write(std::filesystem::relative(*path, fixture.home().root()).string(), text);
}

std::string settings_text() {
  std::ifstream in(*settings_store::settings_path(), std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}

void change(MeshPaneFixture& fixture, DeviceMeshPane& pane, SetService operation) {
  fixture.hand_over(operation);
  PaneHarness::pass(pane);
}

TEST(Continuity, SectionsLoadAsTheRecordOrTheDefault) {
  MeshPaneFixture fixture;
  EXPECT_EQ(load_continuity(), ContinuityPrivacy{});

  write_settings(fixture, R"({"continuity":{"enabled":true}})");
  ContinuityPrivacy master_only;
  master_only.enabled = true;
  EXPECT_EQ(load_continuity(), master_only);

  write_settings(fixture,
                 R"({"continuity":{"clipboard":true,"audit":[{"recorded_at_secs":1,"capability":"bluetooth","enabled":true}]}})");
  EXPECT_EQ(load_continuity(), ContinuityPrivacy{});

  write_settings(fixture, R"({"continuity":{"media":true,"media":false}})");
  EXPECT_EQ(load_continuity(), ContinuityPrivacy{});

  write_settings(fixture, R"({"continuity":{"audit":[{"recorded_at_secs":3,"enabled":false}]}})");
  ASSERT_EQ(load_continuity().audit.size(), 1u);
  EXPECT_EQ(load_continuity().audit[0], (AuditEntry{3, std::nullopt, false}));
}

TEST(Continuity, TheAuditKeepsTheLast24Entries) {
  MeshPaneFixture fixture;
  write_settings(fixture, R"({"continuity":{"audit":)" + audit_of(30) + "}}");
  auto pane = fixture.attached_pane();
  ASSERT_EQ(pane.continuity().audit.size(), 24u);
  EXPECT_EQ(pane.continuity().audit.front().recorded_at_secs, 6u);

  change(fixture, pane, SetService{"continuity.enabled", false});
  const auto& audit = pane.continuity().audit;
  ASSERT_EQ(audit.size(), 24u);
  EXPECT_EQ(audit.front().recorded_at_secs, 7u);
  EXPECT_EQ(audit.back().capability, std::nullopt);
  EXPECT_FALSE(audit.back().enabled);
  EXPECT_GT(audit.back().recorded_at_secs, 1'600'000'000u);
}

TEST(Continuity, AChangeIsSavedWithElevenMembersAndOtherKeysKept) {
  MeshPaneFixture fixture;
  write_settings(fixture, R"({"theme":"dark","continuity":{"enabled":true},"locale":{"region":"GB"}})");
  auto pane = fixture.attached_pane();
  change(fixture, pane, SetService{"continuity.clipboard", true});
  EXPECT_TRUE(pane.continuity().clipboard);
  EXPECT_EQ(pane.continuity_error(), std::nullopt);

  const auto file = nlohmann::ordered_json::parse(settings_text());
  std::vector<std::string> keys;
  for (const auto& [key, value] : file.items()) keys.push_back(key);
  EXPECT_EQ(keys, (std::vector<std::string>{"theme", "continuity", "locale"}));
  EXPECT_EQ(file["locale"]["region"], "GB");
  std::vector<std::string> members;
  for (const auto& [key, value] : file["continuity"].items()) members.push_back(key);
  EXPECT_EQ(members, (std::vector<std::string>{"enabled", "clipboard", "notifications", "wifi_settings", "media",
                                               "display_input", "file_transfer", "realtime_sessions", "typed_gamepad",
                                               "app_continuations", "audit"}));
  EXPECT_EQ(file["continuity"]["audit"][0]["capability"], "clipboard");

  // The master switch off keeps each capability's own choice.
  change(fixture, pane, SetService{"continuity.enabled", false});
  EXPECT_FALSE(pane.continuity().enabled);
  EXPECT_TRUE(pane.continuity().clipboard);
  EXPECT_EQ(load_continuity(), pane.continuity());
}

TEST(Continuity, AFailedSaveIsShownAndKeepsTheChangeInMemory) {
  MeshPaneFixture fixture;
  std::filesystem::create_directories(*settings_store::settings_path());
  auto pane = fixture.attached_pane();
  change(fixture, pane, SetService{"continuity.media", true});
  EXPECT_TRUE(pane.continuity().media);
  ASSERT_TRUE(pane.continuity_error().has_value());
  EXPECT_TRUE(pane.continuity_error()->starts_with("Continuity choices were not saved: ")) << *pane.continuity_error();

  std::filesystem::remove(*settings_store::settings_path());
  change(fixture, pane, SetService{"continuity.file_transfer", true});
  EXPECT_EQ(pane.continuity_error(), std::nullopt);
  const ContinuityPrivacy saved = load_continuity();
  EXPECT_TRUE(saved.media);
  EXPECT_TRUE(saved.file_transfer);
  EXPECT_EQ(saved.audit.size(), 2u);
}

TEST(Continuity, CapabilityTextsFollowTheirIds) {
  for (ContinuityCapability capability : kContinuityCapabilities) {
    EXPECT_EQ(capability_from_id(id(capability)), capability);
    EXPECT_FALSE(title(capability).empty());
    EXPECT_FALSE(description(capability).empty());
  }
  EXPECT_EQ(title(ContinuityCapability::WifiSettings), "Wi-Fi & settings");
  EXPECT_EQ(capability_from_id("bluetooth"), std::nullopt);
}

}  // namespace
}  // namespace settings::panes::device_mesh
