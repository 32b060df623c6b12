#include "actions/operation_actions.h"

#include <gtest/gtest.h>

#include "actions/contracts.h"
#include "actions/operation_encoding.h"
#include "orvo_actions/action_constructors.h"

namespace settings::actions {
namespace {

using orvo_actions::ActionArgs;
using orvo_actions::EncodedAction;
using orvo_actions::OperationClass;
using Classification = std::array<std::uint8_t, 5>;

TEST(OperationKey, IsTheKindAColonAndTheCompactJson) {
  EXPECT_EQ(operation_key("settings.network-operation", NetworkOperation{NetworkOperation::Refresh{}}),
            R"(settings.network-operation:"Refresh")");
  EXPECT_EQ(operation_key("settings.bluetooth-operation",
                          BluetoothOperation{BluetoothOperation::Connect{"/org/bluez/hci0/dev_AA"}}),
            R"(settings.bluetooth-operation:{"Connect":{"path":"/org/bluez/hci0/dev_AA"}})");
  // Fields in declaration order, an absent optional as null, the pane's kind as given.
  EXPECT_EQ(operation_key("settings.audio-operation",
                          AudioOperation{AudioOperation::RouteStream{7, true, std::nullopt}}),
            R"(settings.audio-operation:{"RouteStream":{"stream_id":7,"playback":true,"device_id":null}})");
}

TEST(OperationEncoding, PairsThePayloadWithItsKind) {
  EXPECT_EQ(encode_operation(StorageOperation{StorageOperation::CleanupCaches{}}),
            (EncodedAction{"settings.storage-operation", R"("CleanupCaches")"}));
  EXPECT_EQ(encode_operation(PowerOperation{PowerOperation::SetSuspendTimeout{"saver", "15 minutes"}}),
            (EncodedAction{"settings.power-operation",
                           R"({"SetSuspendTimeout":{"profile":"saver","label":"15 minutes"}})"}));
  EXPECT_EQ(encode_settings_action(SettingsAction::SetSetting{"appearance.theme", SettingValue::Text{"Dark"}}),
            (EncodedAction{"settings.action", R"({"SetSetting":{"key":"appearance.theme","value":{"Text":"Dark"}}})"}));
  // The action library's typed encoder takes operation values directly.
  auto typed = orvo_actions::encode_typed("settings.user-operation", UserOperation{UserOperation::Remove{"ann", true}});
  ASSERT_TRUE(typed);
  EXPECT_EQ(typed->payload, R"({"Remove":{"username":"ann","remove_files":true}})");
}

TEST(OperationSpec, CarriesTheAreaKindClassAndContract) {
  const Classification effect{0, 2, 0, 1, 3};
  struct Case {
    const char* what;
    std::optional<orvo_actions::ActionSpec> spec;
    const char* kind;
    OperationClass cls;
    std::vector<std::string> tags;
    std::optional<std::string> schema;
    const char* payload;
  };
  const Case cases[] = {
      {"sound", operation_spec("select", "Use as output", AudioOperation{AudioOperation::SelectOutput{42}},
                               {"device-local", "audio", "live-device"}),
       "settings.audio-operation", OperationClass::Effect, {"device-local", "audio", "live-device"},
       R"({"type":"string"})", R"({"SelectOutput":{"device_id":42}})"},
      {"printers", operation_spec("refresh", "Refresh printers", PrinterOperation{PrinterOperation::Refresh{}},
                                  {"device-local", "printers"}),
       "settings.printer-operation", OperationClass::Effect, {"device-local", "printers"}, R"({"type":"string"})",
       R"("Refresh")"},
      {"bluetooth forget",
       operation_spec("forget", "Forget", BluetoothOperation{BluetoothOperation::Forget{"/dev_1"}},
                      {"device-local", "bluetooth", "destructive", "live-device"}),
       "settings.bluetooth-operation", OperationClass::Effect,
       {"device-local", "bluetooth", "destructive", "live-device"}, R"({"type":"string"})",
       R"({"Forget":{"path":"/dev_1"}})"},
      {"local model", operation_spec("remove", "Remove", AgentModelOperation{AgentModelOperation::Remove{"m"}},
                                     {"device-local", "agent-models", "live-model", "destructive"}),
       "settings.agent-model-operation", OperationClass::Effect,
       {"device-local", "agent-models", "live-model", "destructive"}, R"({"type":"string"})",
       R"({"Remove":{"id":"m"}})"},
      {"keyboard source", operation_spec("remove", "Remove", KeyboardSourceOperation{KeyboardSourceOperation::Remove{1}}),
       "settings.keyboard-source-operation", OperationClass::Effect, {"device-local", "input-source"},
       R"({"type":"string"})", R"({"Remove":{"index":1}})"},
      {"account test", operation_spec("test", "Test", AccountOperation{AccountOperation::Test{"a1"}},
                                      OperationClass::Effect),
       "settings.account-operation", OperationClass::Effect, {"device-local", "accounts", "network-probe"},
       R"({"type":"string"})", R"({"Test":{"id":"a1"}})"},
      {"account add", operation_spec("add-mail", "Add mail", AccountOperation{AccountOperation::Add{"email"}},
                                     OperationClass::Navigation),
       "settings.account-operation", OperationClass::Navigation, {}, std::nullopt, R"({"Add":{"kind":"email"}})"},
      {"provider", operation_spec("set-default", "Use by default",
                                  AgentProviderOperation{AgentProviderOperation::SetDefault{"p"}}),
       "settings.agent-provider-operation", OperationClass::Effect, {"device-local", "agent-provider"},
       std::nullopt, R"({"SetDefault":{"id":"p"}})"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    ASSERT_TRUE(c.spec);
    EXPECT_EQ(c.spec->operation_kind, c.kind);
    EXPECT_EQ(c.spec->operation_class, c.cls);
    EXPECT_EQ(c.spec->contract.tags, c.tags);
    EXPECT_EQ(c.spec->contract.result_schema, c.schema);
    EXPECT_TRUE(c.spec->params.empty());
    EXPECT_EQ(c.spec->build_json(ActionArgs()), (EncodedAction{c.kind, c.payload}));
  }
  // The agent-provider contract has no qualifier; the operation contract has one.
  EXPECT_EQ(cases[7].spec->contract, agent_provider_contract());
  EXPECT_EQ(cases[7].spec->contract.classification, effect);
  EXPECT_FALSE(cases[7].spec->contract.qualifier);
  EXPECT_TRUE(cases[0].spec->contract.qualifier);
  // An account action other than Test keeps the default contract of a view-opening action.
  EXPECT_EQ(cases[6].spec->contract, orvo_actions::ActionContract::default_for(OperationClass::Navigation));
}

TEST(OperationSpec, RefusedTagsGiveNoSpecification) {
  EXPECT_FALSE(operation_spec("scan", "Scan", BluetoothOperation{BluetoothOperation::StartScan{}},
                              {"device-local", "bluetooth", "bluetooth"}));
  EXPECT_FALSE(operation_spec("refresh", "Refresh", PrinterOperation{PrinterOperation::Refresh{}}, {"device-local", ""}));
}

TEST(SettingChoiceSpec, OffersTheChoicesInOrderAndFallsBackToTheCurrentValue) {
  auto spec = setting_choice_spec("text-size", "Text size", "accessibility.text_size", "Small, Default, Large or Larger",
                                  {"Small", "Default", "Large", "Larger"}, "Large");
  ASSERT_EQ(spec.params.size(), 1u);
  EXPECT_EQ(spec.params[0].name, "choice");
  EXPECT_EQ(spec.params[0].description, "New setting value");
  EXPECT_EQ(spec.params[0].kind, orvo_actions::ParamKind::Text);
  EXPECT_TRUE(spec.params[0].required);
  EXPECT_EQ(spec.params[0].allowed_values, (std::vector<std::string>{"Small", "Default", "Large", "Larger"}));
  EXPECT_EQ(spec.description(), "Small, Default, Large or Larger");
  EXPECT_FALSE(spec.operation_kind);
  EXPECT_EQ(spec.operation_class, OperationClass::Setting);
  EXPECT_EQ(spec.contract, settings_contract());

  auto chosen = spec.build_json(R"({"choice":"Larger"})");
  ASSERT_TRUE(chosen);
  EXPECT_EQ(*chosen, (EncodedAction{"settings.action",
                                    R"({"SetSetting":{"key":"accessibility.text_size","value":{"Text":"Larger"}}})"}));
  // A value outside the list is refused before the handler runs; the handler itself, called with no
  // choice, sets the current value.
  EXPECT_FALSE(spec.build_json(R"({"choice":"Huge"})"));
  EXPECT_EQ((*spec.encoder)(ActionArgs()).payload,
            R"({"SetSetting":{"key":"accessibility.text_size","value":{"Text":"Large"}}})");
}

}  // namespace
}  // namespace settings::actions
