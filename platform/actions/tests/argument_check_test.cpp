// Arguments mean what they say: a member no parameter names is refused for every action, a flip
// with a value sets exactly that value, and free text holds no control characters.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "orvo_actions/action_constructors.h"
#include "orvo_actions/action_spec.h"

namespace orvo_actions {
namespace {

const EncodedAction kFlipped{"test.setting", R"({"on":true})"};

EncodedAction set_to(bool value) { return {"test.setting", value ? R"({"on":true})" : R"({"on":false})"}; }

TEST(ArgumentCheck, AFlipFlipsWithoutAValueSetsExactlyTheValueGivenAndRefusesAnythingElse) {
  const ActionSpec flip = flip_action_spec("dnd", "Turn on Do Not Disturb", kFlipped, set_to);
  struct Case {
    const char* args;
    std::optional<EncodedAction> built;
    const char* refusal = "";
  };
  const Case cases[] = {
      {"{}", kFlipped},
      {R"({"value":null})", kFlipped},
      {R"({"value":true})", set_to(true)},
      {R"({"value":false})", set_to(false)},
      {R"({"value":"false"})", std::nullopt, R"(argument `value` must be true or false; got "false")"},
      {R"({"value":0})", std::nullopt, "argument `value` must be true or false; got 0"},
      {R"({"value":false,"force":true})", std::nullopt, "unknown argument `force`; action `dnd` takes `value`"},
      {R"({"enabled":false})", std::nullopt, "unknown argument `enabled`; action `dnd` takes `value`"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.args);
    auto built = flip.build_json(std::string_view(c.args));
    if (c.built) {
      ASSERT_TRUE(built) << built.error().message;
      EXPECT_EQ(*built, *c.built);
    } else {
      ASSERT_FALSE(built);
      EXPECT_EQ(built.error().message, c.refusal);
    }
  }
}

TEST(ArgumentCheck, AnActionWithoutParametersRefusesEveryArgument) {
  const ActionSpec fixed = prebuilt_action_spec("restart", "Restart", {"test.operation", "{}"});
  EXPECT_TRUE(fixed.build_json(std::string_view("{}")));
  for (const char* args : {R"({"value":false})", R"({"value":null})", R"({"":1})"}) {
    SCOPED_TRACE(args);
    auto built = fixed.build_json(std::string_view(args));
    ASSERT_FALSE(built);
    EXPECT_EQ(built.error().reason, BuildError::Reason::Unknown);
    EXPECT_TRUE(built.error().message.starts_with("action `restart` takes no arguments; got `")) << built.error().message;
  }
}

TEST(ArgumentCheck, FreeTextHoldsNoControlCharacters) {
  const ActionSpec rename = typed_setting_spec("rename", "Rename", "", {ActionParam::text("label", "Name")},
                                               [](const ActionArgs& args) {
                                                 return EncodedAction{"test.setting", args.to_json_text()};
                                               });
  const nlohmann::ordered_json refused[] = {std::string("a\0b", 3), "line\nbreak", "tab\t", "bell\a", "del\x7f",
                                            "c1\xc2\x85"};
  for (const auto& label : refused) {
    SCOPED_TRACE(label.dump());
    auto built = rename.build_json(ActionArgs(nlohmann::ordered_json{{"label", label}}));
    ASSERT_FALSE(built);
    EXPECT_EQ(built.error().message, "argument `label` must not hold control characters");
  }
  for (const char* label : {"Kitchen NAS", "Café · ünïcode ✓", "\u00a0non-breaking"}) {
    SCOPED_TRACE(label);
    EXPECT_TRUE(rename.build_json(ActionArgs(nlohmann::ordered_json{{"label", label}})));
  }
}

}  // namespace
}  // namespace orvo_actions
