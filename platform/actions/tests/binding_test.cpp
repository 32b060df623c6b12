#include "orvo_actions/binding.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include <nlohmann/json.hpp>

#include "orvo_actions/action_constructors.h"

namespace orvo_actions {
namespace {

using Json = nlohmann::ordered_json;

ActionSpec operation(std::string name, std::vector<ActionParam> params) {
  return typed_operation_spec(std::move(name), "Title", "", OperationClass::Effect, "settings.audio-operation",
                              std::move(params), [](const ActionArgs& args) {
                                return EncodedAction{"settings.audio-operation", args.to_json_text()};
                              });
}

Resource sound() {
  return Resource::make("settings.section:sound", "settings.section", "Sound")
      .with_action(operation("muted", {ActionParam::boolean("value", "Enabled")}))
      .with_action(operation("muted", {}))
      .with_action(operation("volume", {ActionParam::number("value", "Value").with_schema(
                                           Json::parse(R"({"minimum":0.0,"maximum":1.0})"))}))
      .with_action(operation("profile", {ActionParam::text("choice", "Choice").with_choices({"Analog", "HDMI"})}))
      .with_action(operation("diagnostics", {}));
}

TEST(Converters, EachBuildsItsOneEntryObject) {
  struct Case {
    ActionArgs args;
    const char* json;
  };
  const Case cases[] = {
      {converters::unit(Unit{}), "{}"},
      {converters::toggle(true), R"({"value":true})"},
      {converters::toggle(false), R"({"value":false})"},
      {converters::number(0.5), R"({"value":0.5})"},
      {converters::number(std::numeric_limits<double>::quiet_NaN()), R"({"value":null})"},
      {converters::number(-std::numeric_limits<double>::infinity()), R"({"value":null})"},
      {converters::choice("HDMI"), R"({"choice":"HDMI"})"},
      {converters::percent("80%"), R"({"percent":"80%"})"},
      {converters::keyed("label")("Work"), R"({"label":"Work"})"},
  };
  for (const auto& c : cases) EXPECT_EQ(c.args.to_json_text(), c.json);
}

TEST(ActionBinding, BindsTheFirstActionOfTheNameAndMatchesNamesExactly) {
  Resource resource = sound();
  auto bound = ActionBinding<bool>::for_action(resource, "muted");
  ASSERT_TRUE(bound);
  EXPECT_EQ(bound->resource, "settings.section:sound");
  EXPECT_EQ(bound->spec, resource.actions[0]);
  EXPECT_EQ(bound->spec.params.size(), 1u);

  auto wrong_case = ActionBinding<bool>::for_action(resource, "Muted");
  ASSERT_FALSE(wrong_case);
  EXPECT_EQ(wrong_case.error(),
            (BindingError{BindingError::Reason::ActionNotFound, "settings.section:sound", "Muted"}));
  EXPECT_EQ(wrong_case.error().display(), "resource settings.section:sound has no action Muted");
}

TEST(ActionBinding, KeepsItsOwnCopyOfTheSpecAndSharesOneConverterBetweenCopies) {
  Resource resource = sound();
  auto bound = ActionBinding<double>::for_action(resource, "volume").value();
  resource.actions[2].title = "Changed";
  EXPECT_EQ(bound.spec.title, "Title");
  ActionBinding<double> copy = bound;
  EXPECT_EQ(copy.converter, bound.converter);
  EXPECT_EQ(copy, bound);
}

TEST(ActionBinding, UnitForRefusesAMissingActionAndOneWithParameters) {
  Resource resource = sound();
  EXPECT_TRUE(ActionBinding<Unit>::unit_for(resource, "diagnostics"));
  EXPECT_EQ(ActionBinding<Unit>::unit_for(resource, "volume").error().reason, BindingError::Reason::TakesArguments);
  EXPECT_EQ(ActionBinding<Unit>::unit_for(resource, "nothing").error().reason, BindingError::Reason::ActionNotFound);
}

TEST(BuildControlInvocation, QueuesOnlyWhatTheSpecAccepts) {
  Resource resource = sound();
  auto volume = ActionBinding<double>::for_action(resource, "volume").value();
  auto profile = ActionBinding<std::string>::for_action(resource, "profile").value();
  auto profile_by_percent =
      ActionBinding<std::string>::for_action(resource, "profile", converters::percent).value();

  auto ok = build_control_invocation(volume, 0.25);
  ASSERT_TRUE(ok);
  EXPECT_EQ(*ok, (ControlInvocation{"settings.section:sound", "volume", R"({"value":0.25})"}));
  EXPECT_EQ(build_control_invocation(profile, std::string("HDMI"))->args_json, R"({"choice":"HDMI"})");

  // A NaN slider must not become a volume: null is not a number.
  EXPECT_EQ(build_control_invocation(volume, std::nan("")).error().message,
            "argument `value` must be a finite number; got null");
  EXPECT_EQ(build_control_invocation(volume, 2.0).error().reason, BuildError::Reason::OutOfRange);
  EXPECT_EQ(build_control_invocation(profile, std::string("Optical")).error().reason, BuildError::Reason::NotAllowed);
  EXPECT_EQ(build_control_invocation(profile_by_percent, std::string("HDMI")).error().message,
            "missing required argument `choice`");
}

}  // namespace
}  // namespace orvo_actions
