#include "orvo_actions/resource_json.h"

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "orvo_actions/action_constructors.h"

namespace orvo_actions {
namespace {

using Json = nlohmann::ordered_json;

std::vector<std::string> keys(const Json& object) {
  std::vector<std::string> out;
  for (const auto& [key, value] : object.items()) out.push_back(key);
  return out;
}

Resource storage_tree() {
  auto level = ActionParam::number("value", "Level").with_schema(Json{{"minimum", 0}, {"maximum", 100}});
  auto mode = ActionParam::text("choice", "Mode").with_choices({"Fast", "Safe"}).optional();
  ActionSpec clean = typed_operation_spec("clean", "Clean up", "Frees space", OperationClass::Effect,
                                          "settings.storage-operation", {level, mode},
                                          [](const ActionArgs&) { return EncodedAction{"settings.storage-operation", "{}"}; });
  ActionContract contract = ActionContract::default_for(OperationClass::Effect);
  contract.tags = {"device-local", "storage"};
  contract.result_schema = R"({"type":"object"})";
  ActionSpec erase = *fixed_encoded_spec("erase", "Erase", OperationClass::Effect,
                                         {"settings.storage-operation", R"("Erase")"})
                          .destructive()
                          .with_contract(contract);
  Resource child = Resource::make("settings.user:ada", "settings.user", "Ada");
  child.description = "A local user";
  child.related_ids = {"settings.section:users"};
  return Resource::make("settings.section:storage", "settings.section", "Storage")
      .with_action(std::move(clean))
      .with_action(std::move(erase))
      .with_action(typed_setting_spec("flip", "Flip", "On or off", {}, nullptr))
      .with_child(std::move(child));
}

TEST(ResourceJson, WritesEveryFieldInItsOrderAndNestsChildren) {
  const Json list = Json::parse(resources_json_text({storage_tree()}));
  ASSERT_EQ(list.size(), 1u);
  const Json& section = list[0];
  EXPECT_EQ(keys(section),
            (std::vector<std::string>{"id", "kind", "title", "description", "related_ids", "actions", "children"}));
  EXPECT_EQ(section["id"], "settings.section:storage");
  EXPECT_TRUE(section["description"].is_null());

  const Json& clean = section["actions"][0];
  EXPECT_EQ(keys(clean), (std::vector<std::string>{"name", "title", "description", "parameters", "class", "kind",
                                                   "destructive", "privileged", "contract"}));
  EXPECT_EQ(clean["description"], "Frees space");
  EXPECT_EQ(clean["class"], 1);
  EXPECT_EQ(clean["kind"], "settings.storage-operation");
  EXPECT_EQ(clean["destructive"], false);
  EXPECT_EQ(clean["parameters"][0],
            Json::parse(R"({"name":"value","description":"Level","kind":"number","required":true,
                            "allowed_values":[],"schema":{"minimum":0,"maximum":100}})"));
  EXPECT_EQ(clean["parameters"][1]["allowed_values"], Json::parse(R"(["Fast","Safe"])"));
  EXPECT_EQ(clean["parameters"][1]["required"], false);

  const Json& erase = section["actions"][1];
  EXPECT_EQ(erase["destructive"], true);
  EXPECT_EQ(erase["kind"], "settings.storage-operation");
  EXPECT_EQ(erase["contract"], Json::parse(R"({"tags":["device-local","storage"],"result_schema":{"type":"object"}})"));

  const Json& flip = section["actions"][2];
  EXPECT_EQ(flip["class"], 0);
  EXPECT_TRUE(flip["kind"].is_null()) << "a setting action declares no operation kind";

  ASSERT_EQ(section["children"].size(), 1u);
  EXPECT_EQ(section["children"][0]["description"], "A local user");
  EXPECT_EQ(section["children"][0]["related_ids"], Json::parse(R"(["settings.section:users"])"));
  EXPECT_TRUE(section["children"][0]["children"].empty());
}

TEST(ResourceJson, BadUtf8InATitleIsReplacedRatherThanFailing) {
  const std::string text = resources_json_text({Resource::make("r", "k", "bad \xff title")});
  const Json list = Json::parse(text);
  EXPECT_EQ(list[0]["title"], "bad \xEF\xBF\xBD title");
}

}  // namespace
}  // namespace orvo_actions
