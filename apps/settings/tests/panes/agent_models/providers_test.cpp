#include "panes/agent_models/providers.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <thread>

#include "accounts/secret_vault.h"
#include "agent_provider_config/provider_config.h"
#include "harness/pane_home.h"
#include "orvo_model_gateway/api_keys.h"
#include "orvo_runtime/atomic_file.h"

namespace settings::panes::agent_models {
namespace {

using agent_provider_config::ModelDescriptor;
using agent_provider_config::ProviderConfig;
using agent_provider_config::ProviderKind;
using agent_provider_config::ProviderProfile;

class ProviderHandlers : public ::testing::Test {
 protected:
  void SetUp() override {
    ProviderProfile work;
    work.id = "work";
    work.label = "Work";
    work.endpoint = "https://llm.example/v1";
    work.models = {ModelDescriptor::named("m1")};
    work.model = "m1";
    ProviderConfig config;
    config.profiles = {work};
    ASSERT_TRUE(config.save().has_value());
    inputs_.label.publish("Work 2");
    inputs_.endpoint.publish("https://llm2.example/v1 ");
  }

  std::filesystem::path file() const { return *ProviderConfig::path(); }
  std::string bytes() const { return atomic_file::read_existing(file())->value_or(""); }
  ProviderProfile work() const { return *ProviderConfig::try_load()->find("work"); }
  std::string notice() const { return notice_.snapshot().value_or(""); }
  std::optional<ProviderProfile> local() const {
    const auto config = ProviderConfig::try_load();
    const ProviderProfile* profile = config->find(agent_provider_config::kLocalVllmProviderId);
    return profile ? std::optional(*profile) : std::nullopt;
  }

  testing::PaneHome home_;
  accounts::vault::LocalKeyOnly local_key_only_;
  ProviderFormInputs inputs_;
  NoticeCell notice_;
};

TEST_F(ProviderHandlers, SaveDetails) {
  struct Case {
    std::string model;
    std::vector<std::string> models;
    std::string chosen;
  };
  const std::vector<Case> cases = {
      {"   ", {"m1"}, "m1"},          // blank: models and model stay
      {"m2", {"m1", "m2"}, "m2"},    // new: added once and chosen
      {"m2", {"m1", "m2"}, "m2"},    // again: no second descriptor
      {" m1", {"m1", "m2", " m1"}, " m1"},  // as typed
  };
  for (const auto& c : cases) {
    inputs_.model.publish(c.model);
    save_provider_details("work", inputs_, notice_);
    EXPECT_EQ(notice(), "Provider details saved.");
    const ProviderProfile profile = work();
    std::vector<std::string> ids;
    for (const auto& m : profile.models) ids.push_back(m.id);
    EXPECT_EQ(ids, c.models) << "'" << c.model << "'";
    EXPECT_EQ(profile.model, c.chosen);
    EXPECT_EQ(profile.label, "Work 2");
    EXPECT_EQ(profile.endpoint, "https://llm2.example/v1 ");
  }
}

TEST_F(ProviderHandlers, SaveDetailsNeverOverwritesWhatItCannotRead) {
  const std::string before = bytes();
  save_provider_details("gone", inputs_, notice_);
  EXPECT_EQ(notice(), "Provider is no longer available.");
  EXPECT_EQ(bytes(), before);

  std::ofstream(file(), std::ios::binary | std::ios::trunc) << R"({"profiles":[{"label":"no id"}]})";
  save_provider_details("work", inputs_, notice_);
  EXPECT_TRUE(notice().starts_with("Provider details were not saved: could not read provider settings: missing field"))
      << notice();
  EXPECT_EQ(bytes(), R"({"profiles":[{"label":"no id"}]})");
}

TEST_F(ProviderHandlers, KeysGoToTheVaultAndTheInputIsWiped) {
  for (const std::string_view key : {"sk-secret-1", "   "}) {
    orvo_secret::SecretBuffer input(key);
    save_provider_key("work", input, notice_);
    EXPECT_TRUE(input.empty());
    const auto storage = input.storage_for_testing();
    EXPECT_TRUE(std::all_of(storage.begin(), storage.end(), [](char c) { return c == 0; }));
    if (key == "   ") {
      EXPECT_EQ(notice(), "API key was not saved: no API key was entered");
    } else {
      EXPECT_EQ(notice(), "API key saved in the Orvo vault.");
    }
  }
  EXPECT_TRUE(orvo_model_gateway::secret_configured("work"));
  remove_provider_key("work", notice_);
  EXPECT_EQ(notice(), "API key removed from the Orvo vault.");
  EXPECT_FALSE(orvo_model_gateway::secret_configured("work"));
}

InstalledLocalModel model(std::string id, LocalModelPhase phase) {
  InstalledLocalModel out;
  out.package.id = id;
  out.package.name = id + " name";
  out.package.revision = "r1";
  out.package.vision = true;
  out.phase = std::move(phase);
  return out;
}

LocalModelPhase serving(std::string url, std::string model_id) {
  return phase::Ready{true, LocalModelEndpoint{std::move(url), std::move(model_id)}};
}

TEST_F(ProviderHandlers, LocalModelProviderFollowsTheServedModel) {
  const std::vector<InstalledLocalModel> served = {model("tiny", phase::Ready{false, std::nullopt}),
                                                   model("big", serving("http://127.0.0.1:8000/v1", "big"))};
  sync_local_model_provider(served);
  auto local = this->local();
  ASSERT_TRUE(local.has_value());
  EXPECT_TRUE(local->enabled);
  EXPECT_EQ(local->kind, ProviderKind::ThisDevice);
  EXPECT_EQ(local->endpoint, "http://127.0.0.1:8000/v1");
  EXPECT_EQ(local->model, "big");
  ASSERT_EQ(local->models.size(), 2u);
  EXPECT_EQ(local->models[0].display_name, "tiny name");
  EXPECT_EQ(local->models[0].revision, "r1");
  EXPECT_TRUE(local->models[0].vision);
  EXPECT_TRUE(ProviderConfig::try_load()->find("work") != nullptr);

  // The same snapshot again writes nothing.
  const auto written = std::filesystem::last_write_time(file());
  std::this_thread::sleep_for(std::chrono::milliseconds(20));
  sync_local_model_provider(served);
  EXPECT_EQ(std::filesystem::last_write_time(file()), written);

  // Not served: another address, another model id. The profile stays, disabled.
  for (const auto& phase : {serving("http://192.168.1.5:8000/v1", "big"), serving("http://[::1]:8000/v1", "other")}) {
    sync_local_model_provider(std::vector{model("big", phase)});
    local = this->local();
    ASSERT_TRUE(local.has_value());
    EXPECT_FALSE(local->enabled);
    EXPECT_EQ(local->model, "big");
  }

  // No ready model: no models, no model, disabled.
  sync_local_model_provider(std::vector{model("big", phase::Downloading{1, 2})});
  local = this->local();
  ASSERT_TRUE(local.has_value());
  EXPECT_TRUE(local->models.empty());
  EXPECT_EQ(local->model, std::nullopt);
  EXPECT_FALSE(local->enabled);
}

TEST_F(ProviderHandlers, LocalModelProviderLeavesAFileItCannotRead) {
  const std::string before = bytes();
  sync_local_model_provider(std::vector{model("tiny", phase::Ready{false, std::nullopt})});
  EXPECT_EQ(bytes(), before);  // nothing to follow and no local profile: no write

  const std::string damaged = R"({"profiles":[{"id":"work","label":"Work"},{"id":1}]})";
  std::ofstream(file(), std::ios::binary | std::ios::trunc) << damaged;
  sync_local_model_provider(std::vector{model("big", serving("http://127.0.0.1:8000/v1", "big"))});
  EXPECT_EQ(bytes(), damaged);
}

}  // namespace
}  // namespace settings::panes::agent_models
