#include "settings_app/resource_paths.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <cstdlib>
#include <filesystem>
#include <functional>

#include "catalogue_support.h"
#include "catalogues/resource_tree.h"
#include "orvo_ui/action_host.h"
#include "settings_app/settings_app.h"

namespace settings::settings_app {
namespace {

using actions::testing::action_names;
using actions::testing::FakeDeviceQueries;
using actions::testing::Inputs;
using Names = std::vector<std::string>;

TEST(ResourcePrefixes, EachPrefixNamesItsOwningSection) {
  const struct {
    std::string_view prefix;
    const char* owner;
  } table[] = {
      {"settings.default-app:", "default-apps"},   {"settings.account:", "external_accounts"},
      {"settings.notification-app:", "notifications"}, {"settings.audio-output:", "sound"},
      {"settings.audio-input:", "sound"},           {"settings.audio-playback:", "sound"},
      {"settings.audio-recording:", "sound"},       {"settings.display-output:", "displays"},
      {"settings.input-source:", "mouse_keyboard"}, {"settings.bluetooth-device:", "bluetooth"},
      {"settings.printer:", "printers"},            {"settings.print-job:", "printers"},
      {"settings.user:", "users"},                  {"settings.device-mesh-workspace:", "devices_sync"},
      {"settings.agent-model-recommendation:", "agent_models"}, {"settings.agent-model:", "agent_models"},
      {"settings.agent-provider:", "agent_models"},
  };
  ASSERT_EQ(kResourcePrefixes.size(), std::size(table));
  for (std::size_t i = 0; i < std::size(table); ++i) {
    EXPECT_EQ(kResourcePrefixes[i].prefix, table[i].prefix);
    const auto owner = resource_owner(std::string(table[i].prefix) + "some-key");
    ASSERT_TRUE(owner) << table[i].prefix;
    EXPECT_EQ(owner->id(), table[i].owner) << table[i].prefix;
  }
}

TEST(ResourcePrefixes, NoneIsAPrefixOfAnother) {
  for (const auto& a : kResourcePrefixes) {
    for (const auto& b : kResourcePrefixes) {
      if (&a == &b) continue;
      EXPECT_FALSE(b.prefix.starts_with(a.prefix)) << a.prefix << " / " << b.prefix;
    }
  }
}

TEST(ResourcePrefixes, RouteNothingElse) {
  for (const char* id : {"settings.root", "settings.section:", "settings.section:nowhere", "Settings.section:network",
                         "Settings.account:a", "settings.preference:appearance.theme", "settings.account",
                         "org.example.other:thing", ""}) {
    EXPECT_FALSE(resource_owner(id)) << id;
  }
  EXPECT_EQ(resource_owner("settings.section:time_date"), SettingsSection::TimeDate);
}

TEST(ResolveResource, AnswersTheLightRootForSettingsRoot) {
  const Inputs inputs;
  const auto root = resolve_resource("settings.root", inputs.get());
  ASSERT_TRUE(root);
  EXPECT_EQ(root->kind, "settings.root");
  EXPECT_EQ(root->title, "Settings");
  ASSERT_EQ(root->children.size(), 22u);
  for (std::size_t i = 0; i < SIDEBAR_ORDER.size(); ++i) {
    EXPECT_EQ(root->children[i].id, "settings.section:" + std::string(SIDEBAR_ORDER[i].id()));
    EXPECT_EQ(action_names(root->children[i]), Names{"open"});
  }
}

TEST(ResolveResource, BuildsTheOwningSectionAndFindsTheExactId) {
  FakeDeviceQueries devices;
  devices.devices = {{"/org/bluez/hci0/dev_AA", "Headset", true, false}};
  const Inputs inputs(devices);

  const auto time = resolve_resource("settings.section:time_date", inputs.get());
  ASSERT_TRUE(time);
  EXPECT_EQ(action_names(*time), (Names{"open", "automatic-time", "24-hour", "timezone"}));

  const auto headset = resolve_resource("settings.bluetooth-device:/org/bluez/hci0/dev_AA", inputs.get());
  ASSERT_TRUE(headset);
  EXPECT_EQ(headset->title, "Headset");
  EXPECT_EQ(action_names(*headset), (Names{"connect", "forget"}));

  for (const char* id : {"settings.bluetooth-device:/org/bluez/hci0/dev_ZZ", "settings.account:not-configured",
                         "settings.section:nowhere", "Settings.bluetooth-device:/org/bluez/hci0/dev_AA",
                         "settings.preference:x"}) {
    EXPECT_FALSE(resolve_resource(id, inputs.get())) << id;
  }
}

// Every resource below a section carries an id that routes back to that section, so that the root
// can find it again by rebuilding only its owner.
TEST(ResolveResource, EveryChildOfTheTreeRoutesToItsOwnSection) {
  FakeDeviceQueries devices;
  devices.devices = {{"/org/bluez/hci0/dev_AA", "Headset", true, true}};
  const Inputs inputs(devices);
  const ::accounts::Account account = ::accounts::Account::make("acc-1", "email");
  const orvo_doc::Document document;
  const auto tree = actions::settings_root_resource(document, {&account, 1}, inputs.queries());
  ASSERT_EQ(tree.size(), 1u);
  std::size_t checked = 0;
  std::function<void(const orvo_actions::Resource&, SettingsSection)> walk = [&](const orvo_actions::Resource& r,
                                                                                 SettingsSection owner) {
    for (const auto& child : r.children) {
      EXPECT_EQ(resource_owner(child.id), owner) << child.id;
      ++checked;
      walk(child, owner);
    }
  };
  for (std::size_t i = 0; i < SIDEBAR_ORDER.size(); ++i) {
    EXPECT_EQ(resource_owner(tree.front().children[i].id), SIDEBAR_ORDER[i]);
    walk(tree.front().children[i], SIDEBAR_ORDER[i]);
  }
  EXPECT_GE(checked, 1u);
}

TEST(OpenSectionResource, AnswersOnlyTheOpenAction) {
  const auto bluetooth = open_section_resource({"settings.section:bluetooth", "open"});
  ASSERT_TRUE(bluetooth);
  EXPECT_EQ(action_names(*bluetooth), Names{"open"});
  EXPECT_FALSE(open_section_resource({"settings.section:bluetooth", "scan"}));
  EXPECT_FALSE(open_section_resource({"settings.section:nowhere", "open"}));
}

// The root over a private configuration directory and accounts root.
class RootResources : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/orvo-settings-tree-XXXXXX";
    dir_ = ::mkdtemp(pattern);
    if (const char* old = std::getenv("XDG_CONFIG_HOME")) saved_ = old;
    ::setenv("XDG_CONFIG_HOME", (dir_ / "config").c_str(), 1);
    app_ = std::make_unique<SettingsApp>(dir_ / "accounts");
  }
  void TearDown() override {
    app_.reset();
    if (saved_) {
      ::setenv("XDG_CONFIG_HOME", saved_->c_str(), 1);
    } else {
      ::unsetenv("XDG_CONFIG_HOME");
    }
    std::filesystem::remove_all(dir_);
  }

  std::filesystem::path dir_;
  std::optional<std::string> saved_;
  std::unique_ptr<SettingsApp> app_;
};

TEST_F(RootResources, AnswerTheFullTreeAndSingleResources) {
  const auto tree = app_->resources();
  ASSERT_EQ(tree.size(), 1u);
  ASSERT_EQ(tree.front().children.size(), 22u);
  EXPECT_EQ(action_names(tree.front().children.front()).size(), 12u);  // Network in full

  const auto root = app_->resource("settings.root");
  ASSERT_TRUE(root);
  EXPECT_EQ(action_names(root->children.front()), Names{"open"});
  const auto updates = app_->resource("settings.section:updates");
  ASSERT_TRUE(updates);
  EXPECT_EQ(updates->actions.size(), 10u);
  EXPECT_FALSE(app_->resource("settings.section:Updates"));
}

TEST_F(RootResources, OpenSwitchesThePageThroughTheActionHost) {
  orvo_ui::ActionHost host;
  const auto answer = host.request(*app_, {"settings.section:bluetooth", "open"}, "{}");
  EXPECT_TRUE(std::holds_alternative<orvo_ui::start::Completed>(answer));
  EXPECT_EQ(app_->section(), SettingsSection::Bluetooth);

  EXPECT_TRUE(std::holds_alternative<orvo_ui::start::Completed>(
      host.request(*app_, {"settings.section:default-apps", "open"}, "{}")));
  EXPECT_EQ(app_->section(), SettingsSection::DefaultApps);
}

}  // namespace
}  // namespace settings::settings_app
