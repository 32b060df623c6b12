#include "orvo_actions/action_constructors.h"

#include <gtest/gtest.h>

#include <array>

#include "orvo_log/log.h"

namespace test_payloads {

// A typed value whose writer fails on demand, standing in for the operation enumerations.
struct Operation {
  std::string json;
  bool fails = false;
};
std::expected<std::string, std::string> to_payload_json(const Operation& op) {
  if (op.fails) return std::unexpected("key must be a string");
  return op.json;
}

// An operation enumeration described to the strict JSON layer, as the payload types are.
namespace storage {
struct CleanupCaches {
  bool operator==(const CleanupCaches&) const = default;
};
struct Evict {
  std::string path;
  bool operator==(const Evict&) const = default;
};
}  // namespace storage
struct StorageOperation : std::variant<storage::CleanupCaches, storage::Evict> {
  using variant::variant;
};
constexpr auto describe_json(orvo_json::Tag<StorageOperation>) {
  return orvo_json::externally_tagged<StorageOperation>(
      "StorageOperation", orvo_json::unit_variant<storage::CleanupCaches>("CleanupCaches"),
      orvo_json::struct_variant("Evict", orvo_json::field("path", &storage::Evict::path)));
}

}  // namespace test_payloads

namespace orvo_actions {
namespace {

using Classification = std::array<std::uint8_t, 5>;
constexpr Classification kEffectDefault{0, 2, 0, 1, 3};
constexpr Classification kNavigationDefault{0, 0, 0, 0, 1};

EncodedAction echo_kind(const ActionArgs& args) { return {args.text("kind").value_or(""), "\"x\""}; }

TEST(SpecBuilders, ClassificationDefaultsFollowTheOperationClass) {
  test_payloads::Operation op{"\"Refresh\""};
  struct Case {
    const char* what;
    ActionSpec spec;
    OperationClass cls;
    Classification classification;
  };
  const Case cases[] = {
      {"typed setting", typed_setting_spec("s", "S", "", {}, echo_kind), OperationClass::Setting, kEffectDefault},
      {"typed effect", typed_operation_spec("o", "O", "", OperationClass::Effect, "k", {}, echo_kind),
       OperationClass::Effect, kEffectDefault},
      {"typed navigation", typed_operation_spec("o", "O", "", OperationClass::Navigation, "k", {}, echo_kind),
       OperationClass::Navigation, kNavigationDefault},
      {"prebuilt", prebuilt_action_spec("p", "P", {"k", "1"}), OperationClass::Setting, kEffectDefault},
      {"fixed effect", *fixed_action_spec("f", "F", OperationClass::Effect, "k", op), OperationClass::Effect,
       kEffectDefault},
      {"fixed navigation", *fixed_action_spec("f", "F", OperationClass::Navigation, "k", op),
       OperationClass::Navigation, kNavigationDefault},
      {"fixed setting", *fixed_action_spec("f", "F", "settings.action", op), OperationClass::Setting,
       kEffectDefault},
      {"control invoke", *fixed_action_spec("Save", OperationClass::Navigation, ControlId{"save"}),
       OperationClass::Navigation, kNavigationDefault},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(c.spec.operation_class, c.cls);
    EXPECT_EQ(c.spec.contract.classification, c.classification);
    EXPECT_TRUE(c.spec.contract.tags.empty());
    EXPECT_FALSE(c.spec.contract.result_schema);
    EXPECT_FALSE(c.spec.contract.qualifier);
  }
}

TEST(SpecBuilders, AnOperationGuardEnforcesTheDeclaredKindWhileASettingSpecPassesItsHandlerThrough) {
  ActionSpec operation = typed_operation_spec("o", "O", "", OperationClass::Effect, "settings.audio-operation",
                                              {ActionParam::text("kind", "Kind")}, echo_kind);
  ActionSpec setting = typed_setting_spec("s", "S", "", {ActionParam::text("kind", "Kind")}, echo_kind);
  EXPECT_EQ(operation.operation_kind, "settings.audio-operation");
  EXPECT_FALSE(setting.operation_kind);

  struct Case {
    const char* handler_kind;
    EncodedAction operation_result;
    EncodedAction setting_result;
    std::size_t warnings;
  };
  const Case cases[] = {
      {"settings.audio-operation", {"settings.audio-operation", "\"x\""}, {"settings.audio-operation", "\"x\""}, 0},
      {"settings.power-operation", {"settings.audio-operation", ""}, {"settings.power-operation", "\"x\""}, 1},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.handler_kind);
    std::string args = std::string(R"({"kind":")") + c.handler_kind + "\"}";
    orvo_log::CaptureScope capture;
    EXPECT_EQ(operation.build_json(std::string_view(args)), c.operation_result);
    EXPECT_EQ(setting.build_json(std::string_view(args)), c.setting_result);
    EXPECT_EQ(capture.count("operation kind does not match its declaration"), c.warnings);
  }
}

TEST(SpecBuilders, FixedAndPrebuiltSpecsAnswerTheirActionAndRefuseArguments) {
  test_payloads::Operation op{R"({"SetDefault":{"name":"lp"}})"};
  const ActionSpec specs[] = {
      prebuilt_action_spec("p", "P", {"settings.action", R"({"SetSetting":{"key":"k","value":true}})"}),
      *fixed_action_spec("f", "F", OperationClass::Effect, "settings.printer-operation", op),
      *fixed_action_spec("Open", OperationClass::Effect, ControlId{"open-workspace-privacy"}),
  };
  const char* refused[] = {R"({"value":false})", R"({"choice":"x","value":null})"};
  for (const auto& spec : specs) {
    SCOPED_TRACE(spec.name);
    EXPECT_TRUE(spec.params.empty());
    const auto& prebuilt = std::get<PrebuiltInput>(spec.input).action;
    EXPECT_EQ(spec.build_json(std::string_view("{}")), prebuilt);
    for (const char* args : refused) {
      EXPECT_EQ(spec.build_json(std::string_view(args)).error().reason, BuildError::Reason::Unknown) << args;
    }
  }
  EXPECT_EQ(specs[1].operation_kind, "settings.printer-operation");
  EXPECT_FALSE(specs[0].operation_kind);
}

TEST(SpecBuilders, FixedSpecOfAValueThatFailsToEncodeReturnsTheErrorAndNoSpec) {
  auto spec = fixed_action_spec("f", "F", OperationClass::Effect, "k", test_payloads::Operation{"", true});
  ASSERT_FALSE(spec);
  EXPECT_EQ(spec.error(), ActionError::encoding("key must be a string"));
  EXPECT_EQ(spec.error().display(), "could not encode the action: key must be a string");
  EXPECT_FALSE(fixed_action_spec("f", "F", "settings.action", test_payloads::Operation{"", true}));
}

TEST(SpecBuilders, ControlInvokeSpecCarriesTheIdAsAJsonString) {
  auto spec = fixed_action_spec("Say \"hi\"", OperationClass::Effect, ControlId{"a\"b\\c\n"});
  ASSERT_TRUE(spec);
  EXPECT_EQ(spec->name, "invoke");
  EXPECT_EQ(spec->title, "Say \"hi\"");
  EXPECT_EQ(spec->operation_kind, "orvo.ui.control.invoke");
  EXPECT_EQ(std::get<PrebuiltInput>(spec->input).action,
            (EncodedAction{"orvo.ui.control.invoke", R"("a\"b\\c\n")"}));
}

TEST(TypedEncoding, TextsAreOneJsonStringAndTypedValuesKeepTheirWriterText) {
  EXPECT_EQ(encode_text("settings.open-pane", "network"), (EncodedAction{"settings.open-pane", "\"network\""}));
  EXPECT_EQ(json_string("ü/\x01"), "\"ü/\\u0001\"");
  EXPECT_EQ(encode_typed("settings.storage-operation", test_payloads::Operation{"\"CleanupCaches\""}),
            (EncodedAction{"settings.storage-operation", "\"CleanupCaches\""}));
  EXPECT_EQ(encode_typed("k", test_payloads::Operation{"", true}).error().kind, ActionError::Kind::Encoding);
}

TEST(TypedEncoding, ValuesOfTheJsonLayerAreWrittenCompactly) {
  using test_payloads::StorageOperation;
  EXPECT_EQ(encode_typed("settings.storage-operation", StorageOperation{test_payloads::storage::CleanupCaches{}}),
            (EncodedAction{"settings.storage-operation", "\"CleanupCaches\""}));
  auto spec = fixed_action_spec("evict", "Free \"x\"", OperationClass::Effect, "settings.storage-operation",
                                StorageOperation{test_payloads::storage::Evict{"/home/a \"b\""}});
  ASSERT_TRUE(spec);
  EXPECT_EQ(std::get<PrebuiltInput>(spec->input).action.payload, R"({"Evict":{"path":"/home/a \"b\""}})");
  EXPECT_EQ(encode_typed("orvo.ui.control.invoke", std::string("a\"b")),
            encode_control_id("orvo.ui.control.invoke", ControlId{"a\"b"}));
}

}  // namespace
}  // namespace orvo_actions
