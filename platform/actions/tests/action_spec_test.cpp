#include "orvo_actions/action_spec.h"

#include <gtest/gtest.h>

#include <limits>

#include <nlohmann/json.hpp>

#include "orvo_actions/action_constructors.h"

namespace orvo_actions {
namespace {

using Json = nlohmann::ordered_json;

// An operation action with one parameter of each shape; the encoder counts its runs and echoes the
// arguments, so a test sees both whether it ran and what it got.
struct Fixture {
  std::shared_ptr<int> runs = std::make_shared<int>(0);
  ActionSpec spec = typed_operation_spec(
      "apply", "Apply", "Test action", OperationClass::Effect, "test.operation",
      {ActionParam::boolean("value", "Enabled"),
       ActionParam::number("level", "Value").with_schema(Json::parse(R"({"minimum":0.0,"maximum":1.0})")),
       ActionParam::text("choice", "Choice").with_choices({"Balanced", "Performance"}),
       ActionParam::text("model", "Default model id").with_schema(Json::parse(R"({"maxLength":4})")).optional()},
      [runs = runs](const ActionArgs& args) {
        ++*runs;
        return EncodedAction{"test.operation", args.to_json_text()};
      });
};

TEST(ActionSpecBuildJson, AcceptsArgumentsThatFitAndRunsTheEncoderOnce) {
  const char* accepted[] = {
      R"({"value":true,"level":0.5,"choice":"Balanced"})",
      R"({"value":false,"level":1,"choice":"Performance","model":"m1"})",  // an integer is a number
      R"({"value":false,"level":0,"choice":"Balanced","model":null})",     // an optional null is absent
      R"({"value":false,"level":0,"choice":"Balanced","model":"ééé"})",    // length counts characters
  };
  for (const char* args : accepted) {
    SCOPED_TRACE(args);
    Fixture f;
    auto built = f.spec.build_json(std::string_view(args));
    ASSERT_TRUE(built) << built.error().message;
    EXPECT_EQ(built->kind, "test.operation");
    EXPECT_EQ(built->payload, Json::parse(args).dump());
    EXPECT_EQ(*f.runs, 1);
  }
}

TEST(ActionSpecBuildJson, RefusesArgumentsThatDoNotFitBeforeAnyEncoderRuns) {
  struct Case {
    const char* args;
    BuildError::Reason reason;
    const char* message;
  };
  const Case cases[] = {
      {R"({"level":0.5,"choice":"Balanced"})", BuildError::Reason::Missing, "missing required argument `value`"},
      {R"({"value":null,"level":0.5,"choice":"Balanced"})", BuildError::Reason::WrongType,
       "argument `value` must be true or false; got null"},
      {R"({"value":"true","level":0.5,"choice":"Balanced"})", BuildError::Reason::WrongType,
       R"(argument `value` must be true or false; got "true")"},
      {R"({"value":true,"level":"0.5","choice":"Balanced"})", BuildError::Reason::WrongType,
       R"(argument `level` must be a finite number; got "0.5")"},
      {R"({"value":true,"level":1.5,"choice":"Balanced"})", BuildError::Reason::OutOfRange,
       "argument `level` must be at most 1.0; got 1.5"},
      {R"({"value":true,"level":-0.5,"choice":"Balanced"})", BuildError::Reason::OutOfRange,
       "argument `level` must be at least 0.0; got -0.5"},
      {R"({"value":true,"level":0.5,"choice":"Turbo"})", BuildError::Reason::NotAllowed,
       R"(argument `choice` must be one of "Balanced", "Performance"; got "Turbo")"},
      {R"({"value":true,"level":0.5,"choice":"balanced"})", BuildError::Reason::NotAllowed,
       R"(argument `choice` must be one of "Balanced", "Performance"; got "balanced")"},
      {R"({"value":true,"level":0.5,"choice":3})", BuildError::Reason::WrongType,
       "argument `choice` must be a text; got 3"},
      {R"({"value":true,"level":0.5,"choice":"Balanced","model":"model-x"})", BuildError::Reason::OutOfRange,
       "argument `model` must be at most 4 characters long; got 7"},
      {R"({"value":false,"level":0,"choice":"Balanced","extra":[1]})", BuildError::Reason::Unknown,
       "unknown argument `extra`; action `apply` takes `value`, `level`, `choice`, `model`"},
      {"[]", BuildError::Reason::NotAnObject, "arguments must be a JSON object"},
      {"{", BuildError::Reason::NotAnObject, "arguments are not valid JSON"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.args);
    Fixture f;
    auto built = f.spec.build_json(std::string_view(c.args));
    ASSERT_FALSE(built);
    EXPECT_EQ(built.error().reason, c.reason);
    EXPECT_EQ(built.error().message, c.message);
    EXPECT_EQ(*f.runs, 0);
  }
}

TEST(ActionSpecBuildJson, RefusesANumberThatIsNotFinite) {
  Fixture f;
  Json args = Json::parse(R"({"value":true,"choice":"Balanced"})");
  args["level"] = std::numeric_limits<double>::quiet_NaN();
  auto built = f.spec.build_json(ActionArgs(args));
  ASSERT_FALSE(built);
  EXPECT_EQ(built.error().message, "argument `level` must be a finite number; got null");
  EXPECT_EQ(*f.runs, 0);
}

TEST(ActionSpecBuildJson, ExclusiveBoundsAndAllowedNonTextValues) {
  ActionSpec spec = typed_setting_spec(
      "rate", "Rate", "", {ActionParam::number("value", "Rate").with_schema(Json::parse(R"({"exclusiveMinimum":0})")),
                           ActionParam::boolean("flag", "Flag").with_choices({"true"})},
      [](const ActionArgs&) { return EncodedAction{"settings.action", "{}"}; });
  EXPECT_EQ(spec.build_json(std::string_view(R"({"value":0,"flag":true})")).error().message,
            "argument `value` must be greater than 0; got 0");
  EXPECT_EQ(spec.build_json(std::string_view(R"({"value":1,"flag":false})")).error().message,
            R"(argument `flag` must be one of "true"; got false)");
  EXPECT_TRUE(spec.build_json(std::string_view(R"({"value":0.1,"flag":true})")));
}

TEST(ActionSpecBuildJson, ASpecWithoutEncoderIsRefused) {
  ActionSpec bare;
  bare.name = "bare";
  EXPECT_EQ(bare.build_json(ActionArgs()).error().message, "action `bare` has no encoder");
  ActionSpec no_handler = typed_operation_spec("op", "Op", "", OperationClass::Effect, "k", {}, nullptr);
  EXPECT_EQ(no_handler.build_json(ActionArgs()).error().reason, BuildError::Reason::NoEncoder);
  EXPECT_EQ(typed_setting_spec("s", "S", "", {}, nullptr).build_json(ActionArgs()).error().reason,
            BuildError::Reason::NoEncoder);
}

TEST(ActionSpec, WithContractRefusesAMalformedContract) {
  auto build = [](ActionContract contract) {
    return prebuilt_action_spec("a", "A", {"k", "\"p\""}).with_contract(std::move(contract));
  };
  ActionContract good;
  good.tags = {"device-local", "audio"};
  good.result_schema = R"({"type":"string"})";
  auto attached = build(good);
  ASSERT_TRUE(attached);
  EXPECT_EQ(attached->contract, good);

  ActionContract repeated;
  repeated.tags = {"audio", "audio"};
  EXPECT_FALSE(build(repeated));
  ActionContract empty_tag;
  empty_tag.tags = {""};
  EXPECT_FALSE(build(empty_tag));
  ActionContract bad_schema;
  bad_schema.result_schema = "\"string\"";
  EXPECT_FALSE(build(bad_schema));
}

TEST(ActionSpec, FlagsAndDerivedInput) {
  Fixture f;
  ActionSpec spec = std::move(f.spec).destructive().privileged();
  EXPECT_TRUE(spec.is_destructive);
  EXPECT_TRUE(spec.is_privileged);
  EXPECT_EQ(spec.description(), "Test action");
  const auto& derived = std::get<DerivedInput>(spec.input);
  Json schema = Json::parse(derived.arguments_schema);
  EXPECT_EQ(schema["required"], Json::parse(R"(["value","level","choice"])"));
  EXPECT_EQ(schema["properties"]["level"],
            Json::parse(R"({"type":"number","description":"Value","minimum":0.0,"maximum":1.0})"));
  EXPECT_EQ(schema["properties"]["choice"]["enum"], Json::parse(R"(["Balanced","Performance"])"));
}

}  // namespace
}  // namespace orvo_actions
