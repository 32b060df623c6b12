#include "actions/operation_payload.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <map>
#include <nlohmann/json.hpp>
#include <set>
#include <string>
#include <variant>
#include <vector>

#include "orvo_json/variant.h"

namespace settings::actions {
namespace {

using Json = nlohmann::ordered_json;
using settings_store::hardware::OutputMode;
using settings_store::hardware::OutputTransform;

// Decodes `payload` as the enumeration of `kind` ("settings.action" for SettingsAction) and writes it
// again; a failure gives "error: " and the reason.
std::string reencode(std::string_view kind, std::string_view payload) {
  std::string out = "no such kind";
  const auto attempt = [&]<class Op>(std::string_view op_kind) {
    if (op_kind != kind) return;
    auto decoded = decode_payload<Op>(payload);
    out = decoded ? encode_payload(*decoded) : "error: " + decoded.error().reason;
  };
  std::apply([&](auto... ops) { (attempt.template operator()<decltype(ops)>(decltype(ops)::kKind), ...); },
             OperationPayloads{});
  attempt.template operator()<SettingsAction>(SettingsAction::kNamespace);
  return out;
}

constexpr const char* kUpdate = "settings.update-operation";
constexpr const char* kKeyboard = "settings.keyboard-source-operation";
constexpr const char* kPower = "settings.power-operation";
constexpr const char* kNetwork = "settings.network-operation";
constexpr const char* kAudio = "settings.audio-operation";
constexpr const char* kDisplay = "settings.display-operation";
constexpr const char* kPrinter = "settings.printer-operation";
constexpr const char* kStorage = "settings.storage-operation";
constexpr const char* kProvider = "settings.agent-provider-operation";
constexpr const char* kAction = "settings.action";

std::string nested(int depth) {
  // The variant object and its field object are two levels; the dropped member holds the rest.
  return R"({"SetWifiEnabled":{"enabled":true,"deep":)" + std::string(depth - 2, '[') + std::string(depth - 2, ']') +
         "}}";
}

TEST(OperationPayload, DecodesTheEdgeCasesToTheirCanonicalTextOrExactError) {
  const struct {
    const char* kind;
    std::string payload;
    const char* expected;
  } cases[] = {
      // Unit variants: bare string or the one-key object with null, nothing else.
      {kUpdate, R"("Check")", R"("Check")"},
      {kUpdate, R"( {"Check" : null} )", R"("Check")"},
      {kUpdate, R"({"Check":{}})", "error: invalid type: map, expected unit"},
      {kUpdate, R"({"Check":true})", "error: invalid type: boolean `true`, expected unit"},
      {kDisplay, R"({"Apply":null})", R"("Apply")"},
      {kStorage, R"("OpenBackups")", R"("OpenBackups")"},
      // Struct variants: object or array of the fields; a bare name is refused.
      {kUpdate, R"("SetAutomatic")", "error: invalid type: unit variant, expected struct variant"},
      {kDisplay, R"("SetHdr")", "error: invalid type: unit variant, expected struct variant"},
      {kUpdate, R"({"SetAutomatic":[true]})", R"({"SetAutomatic":{"enabled":true}})"},
      {kUpdate, R"({"SetAutomatic":[]})",
       "error: invalid length 0, expected struct variant UpdateOperation::SetAutomatic with 1 element"},
      {kUpdate, R"({"SetAutomatic":[true,false]})", "error: trailing characters"},
      {kUpdate, R"({"SetAutomatic":true})",
       "error: invalid type: boolean `true`, expected struct variant UpdateOperation::SetAutomatic"},
      {kUpdate, R"({"SetAutomatic":{"enabled":true,"schedule":"Daily"}})", R"({"SetAutomatic":{"enabled":true}})"},
      {kUpdate, R"({"SetAutomatic":{"enabled":true,"enabled":false}})", "error: duplicate field `enabled`"},
      {kUpdate, R"({"SetAutomatic":{}})", "error: missing field `enabled`"},
      {kUpdate, R"({"SetAutomatic":{"enabled":"yes"}})", "error: invalid type: string \"yes\", expected a boolean"},
      {kUpdate, R"({"SetAutomatic":{"enabled":1}})", "error: invalid type: integer `1`, expected a boolean"},
      {kUpdate, R"({"Check":null,"Restart":null})", "error: expected value"},
      {kPower, R"({"SetSuspendTimeout":{"label":"1 minute","profile":"balanced"}})",
       R"({"SetSuspendTimeout":{"profile":"balanced","label":"1 minute"}})"},
      {kNetwork, "{\n  \"SetWifiEnabled\" : {\n    \"enabled\" : true\n  }\n}\n",
       R"({"SetWifiEnabled":{"enabled":true}})"},
      // Variant names: exact and case-sensitive, listed in declaration order when unknown.
      {kUpdate, R"("check")",
       "error: unknown variant `check`, expected one of `Check`, `Restart`, `ReviewRollback`, `Rollback`, "
       "`RefreshFirmware`, `InstallFirmware`, `SetAutomatic`, `SetSchedule`, `SetMetered`"},
      {kPrinter, R"({"SetOutputVolume":{"value":1}})",
       "error: unknown variant `SetOutputVolume`, expected one of `Refresh`, `Discover`, `SetDefault`, "
       "`SetEnabled`, `Remove`, `CancelJob`, `RetryJob`"},
      {kAction, R"("Set")", "error: unknown variant `Set`, expected `SetSetting`"},
      // Optional fields: absent or null is none, written as null; the array form needs every element.
      {kProvider, R"({"SetDetails":{"id":"a","label":"b","endpoint":"c"}})",
       R"({"SetDetails":{"id":"a","label":"b","endpoint":"c","model":null}})"},
      {kProvider, R"({"SetDetails":{"id":"a","label":"b","endpoint":"c","model":null}})",
       R"({"SetDetails":{"id":"a","label":"b","endpoint":"c","model":null}})"},
      {kProvider, R"({"SetDetails":["a","b","c"]})",
       "error: invalid length 3, expected struct variant AgentProviderOperation::SetDetails with 4 elements"},
      {kProvider, R"({"SetDetails":["a","b","c","m"]})",
       R"({"SetDetails":{"id":"a","label":"b","endpoint":"c","model":"m"}})"},
      {kAudio, R"({"RouteStream":{"stream_id":42,"playback":true}})",
       R"({"RouteStream":{"stream_id":42,"playback":true,"device_id":null}})"},
      {kAudio, R"({"RouteStream":[42,true]})",
       "error: invalid length 2, expected struct variant AudioOperation::RouteStream with 3 elements"},
      {kAudio, R"({"RouteStream":[42,true,null]})",
       R"({"RouteStream":{"stream_id":42,"playback":true,"device_id":null}})"},
      {kAudio, R"({"RouteStream":[42,false,7]})", R"({"RouteStream":{"stream_id":42,"playback":false,"device_id":7}})"},
      {kDisplay, R"({"SetColorProfile":{"connector":"eDP-1"}})",
       R"({"SetColorProfile":{"connector":"eDP-1","profile":null}})"},
      {kDisplay, R"({"SetColorProfile":{"profile":"sRGB"}})", "error: missing field `connector`"},
      // Integers: type and range of the field; floats take any number.
      {kKeyboard, R"({"MoveUp":{"index":-1}})", "error: invalid value: integer `-1`, expected u64"},
      {kKeyboard, R"({"MoveUp":{"index":1.5}})", "error: invalid type: floating point `1.5`, expected u64"},
      {kKeyboard, R"({"MoveUp":{"index":18446744073709551615}})", R"({"MoveUp":{"index":18446744073709551615}})"},
      {kPower, R"({"SetChargeLimit":{"percent":4294967296}})",
       "error: invalid value: integer `4294967296`, expected u32"},
      {kPower, R"({"SetChargeLimit":{"percent":250}})", R"({"SetChargeLimit":{"percent":250}})"},
      {kAudio, R"({"SelectOutput":{"device_id":-1}})", "error: invalid value: integer `-1`, expected u32"},
      {kAudio, R"({"SelectOutput":{"device_id":4294967296}})",
       "error: invalid value: integer `4294967296`, expected u32"},
      {kAudio, R"({"SetOutputVolume":{"value":1}})", R"({"SetOutputVolume":{"value":1.0}})"},
      {kAudio, R"({"SetOutputVolume":{"value":-2.5e-1}})", R"({"SetOutputVolume":{"value":-0.25}})"},
      {kAudio, R"({"SetOutputVolume":{"value":null}})", "error: invalid type: null, expected f64"},
      {kAudio, R"({"SetOutputVolume":{"value":"1"}})", "error: invalid type: string \"1\", expected f64"},
      // The settings action and its newtype values.
      {kAction, R"({"SetSetting":{"key":"appearance.theme","value":{"Text":"Dark"}}})",
       R"({"SetSetting":{"key":"appearance.theme","value":{"Text":"Dark"}}})"},
      {kAction, R"({"SetSetting":{"value":{"Bool":false},"key":"a"}})",
       R"({"SetSetting":{"key":"a","value":{"Bool":false}}})"},
      {kAction, R"({"SetSetting":{"key":"a","value":"Text"}})",
       "error: invalid type: unit variant, expected newtype variant"},
      {kAction, R"({"SetSetting":{"key":"a","value":{"Int":1.5}}})",
       "error: invalid type: floating point `1.5`, expected i64"},
      {kAction, R"({"SetSetting":{"key":"a","value":{"Int":-9223372036854775808}}})",
       R"({"SetSetting":{"key":"a","value":{"Int":-9223372036854775808}}})"},
      {kAction, R"({"SetSetting":{"key":"a","value":{"Int":9223372036854775808}}})",
       "error: invalid value: integer `9223372036854775808`, expected i64"},
      {kAction, R"({"SetSetting":{"key":"a","value":{"Float":2}}})",
       R"({"SetSetting":{"key":"a","value":{"Float":2.0}}})"},
      {kAction, R"({"SetSetting":["a",{"Float":0.5}]})", R"({"SetSetting":{"key":"a","value":{"Float":0.5}}})"},
      {kAction, R"({"SetSetting":[]})",
       "error: invalid length 0, expected struct variant SettingsAction::SetSetting with 2 elements"},
      // Records of the settings store inside display payloads.
      {kDisplay, R"({"SetMode":{"mode":{"refresh_mhz":60000,"width":1920,"height":1080},"connector":"eDP-1"}})",
       R"({"SetMode":{"connector":"eDP-1","mode":{"width":1920,"height":1080,"refresh_mhz":60000}}})"},
      {kDisplay, R"({"SetMode":["eDP-1",[1920,1080,60000]]})",
       R"({"SetMode":{"connector":"eDP-1","mode":{"width":1920,"height":1080,"refresh_mhz":60000}}})"},
      {kDisplay, R"({"SetMode":{"connector":"eDP-1","mode":[1920,1080]}})",
       "error: invalid length 2, expected struct OutputMode with 3 elements"},
      {kDisplay, R"({"SetMode":{"connector":"eDP-1","mode":{"width":1920,"height":1080}}})",
       "error: missing field `refresh_mhz`"},
      {kDisplay, R"({"SetTransform":{"connector":"HDMI-1","transform":{"rotate90":null}}})",
       R"({"SetTransform":{"connector":"HDMI-1","transform":"rotate90"}})"},
      {kDisplay, R"({"SetTransform":{"connector":"HDMI-1","transform":"Rotate90"}})",
       "error: unknown variant `Rotate90`, expected one of `normal`, `rotate90`, `rotate180`, `rotate270`"},
      // Text-level rules: one value, trailing white space only, nesting up to 128 levels.
      {kNetwork, "", "error: EOF while parsing a value"},
      {kNetwork, "{}", "error: expected value"},
      {kNetwork, "\"Refresh\" \n\t", R"("Refresh")"},
      {kNetwork, R"("Refresh" "Refresh")", "error: trailing characters"},
      {kNetwork, R"({"SetWifiEnabled":{"enabled":true}}x)", "error: trailing characters"},
      {kNetwork, R"({"SetWifiEnabled":{"enabled":tru}})", "error: expected ident"},
      {kNetwork, R"({"SetWifiEnabled":{"enabled":true})", "error: EOF while parsing an object"},
      {kNetwork, nested(128), R"({"SetWifiEnabled":{"enabled":true}})"},
      {kNetwork, nested(129), "error: recursion limit exceeded"},
  };
  for (const auto& c : cases) EXPECT_EQ(reencode(c.kind, c.payload), c.expected) << c.kind << " " << c.payload;
}

TEST(OperationPayload, ErrorTextNamesLineAndColumn) {
  auto bad = decode_payload<NetworkOperation>("{\"SetWifiEnabled\":\n {\"enabled\":1}}");
  ASSERT_FALSE(bad.has_value());
  EXPECT_EQ(bad.error().text(), "invalid type: integer `1`, expected a boolean at line 2 column 13");
}

TEST(OperationPayload, NonFiniteFloatIsWrittenAsNullAndNotReadBack) {
  const std::string text = encode_payload(InputOperation{InputOperation::SetKeyRepeat{std::nan("")}});
  EXPECT_EQ(text, R"({"SetKeyRepeat":{"value":null}})");
  EXPECT_FALSE(decode_payload<InputOperation>(text).has_value());
  EXPECT_EQ(encode_payload(AudioOperation{AudioOperation::SetBalance{std::numeric_limits<double>::infinity()}}),
            R"({"SetBalance":{"value":null}})");
}

TEST(OperationPayload, SettingsActionAsJsonValue) {
  const SettingsAction action{SettingsAction::SetSetting{"appearance.theme", SettingValue{"Dark"}}};
  const Json value = settings_action_value(action);
  EXPECT_EQ(value.begin().key(), "SetSetting");
  EXPECT_EQ(value.dump(), encode_payload(action));
  EXPECT_TRUE(std::holds_alternative<SettingValue::Text>(std::get<0>(action).value));
}

// Every variant of every enumeration, with values that are not the defaults.
using Sample = std::variant<AccountOperation, UpdateOperation, KeyboardSourceOperation, InputOperation,
                            TimeDateOperation, PowerOperation, NetworkOperation, BluetoothOperation, StorageOperation,
                            AudioOperation, DisplayOperation, PrinterOperation, UserOperation, AgentModelOperation,
                            DeviceMeshOperation, AgentProviderOperation, SettingsAction>;

// One statement per sample: a single initializer list of this many variants costs GCC gigabytes.
std::vector<Sample> samples() {
  std::vector<Sample> all;
  const auto add = [&all](auto op) { all.emplace_back(std::move(op)); };
  add(AccountOperation{AccountOperation::Add{.kind = "kind é"}});
  add(AccountOperation{AccountOperation::Open{.id = "id é"}});
  add(AccountOperation{AccountOperation::Edit{.id = "id é"}});
  add(AccountOperation{AccountOperation::Reauthenticate{.id = "id é"}});
  add(AccountOperation{AccountOperation::SubmitForm{}});
  add(AccountOperation{AccountOperation::CancelForm{}});
  add(AccountOperation{AccountOperation::SubmitReauthentication{}});
  add(AccountOperation{AccountOperation::CancelReauthentication{}});
  add(AccountOperation{AccountOperation::Test{.id = "id é"}});
  add(AccountOperation{AccountOperation::Remove{.id = "id é"}});
  add(UpdateOperation{UpdateOperation::Check{}});
  add(UpdateOperation{UpdateOperation::Restart{}});
  add(UpdateOperation{UpdateOperation::ReviewRollback{}});
  add(UpdateOperation{UpdateOperation::Rollback{}});
  add(UpdateOperation{UpdateOperation::RefreshFirmware{}});
  add(UpdateOperation{UpdateOperation::InstallFirmware{}});
  add(UpdateOperation{UpdateOperation::SetAutomatic{.enabled = true}});
  add(UpdateOperation{UpdateOperation::SetSchedule{.schedule = "Daily \"at\" 03:00\n\t\x01\\"}});
  add(UpdateOperation{UpdateOperation::SetMetered{.allowed = true}});
  add(KeyboardSourceOperation{KeyboardSourceOperation::Add{.label = "label é"}});
  add(KeyboardSourceOperation{KeyboardSourceOperation::MoveUp{.index = 18446744073709551615ULL}});
  add(KeyboardSourceOperation{KeyboardSourceOperation::MoveDown{.index = 18446744073709551615ULL}});
  add(KeyboardSourceOperation{KeyboardSourceOperation::Remove{.index = 18446744073709551615ULL}});
  add(InputOperation{InputOperation::SetTouchpadNaturalScroll{.enabled = true}});
  add(InputOperation{InputOperation::SetMouseNaturalScroll{.enabled = true}});
  add(InputOperation{InputOperation::SetTapToClick{.enabled = true}});
  add(InputOperation{InputOperation::SetTouchpadPointerSpeed{.value = 0.75}});
  add(InputOperation{InputOperation::SetMousePointerSpeed{.value = 0.75}});
  add(InputOperation{InputOperation::SetKeyRepeat{.value = 1e21}});
  add(InputOperation{InputOperation::SetTapDrag{.enabled = true}});
  add(InputOperation{InputOperation::SetDisableWhileTyping{.enabled = true}});
  add(InputOperation{InputOperation::SetMiddleEmulation{.enabled = true}});
  add(InputOperation{InputOperation::SetLeftHanded{.enabled = true}});
  add(InputOperation{InputOperation::SetTouchpadGestures{.enabled = true}});
  add(InputOperation{InputOperation::SetAccelerationProfile{.profile = "profile é"}});
  add(InputOperation{InputOperation::SetComposeKey{.key = "key é"}});
  add(InputOperation{InputOperation::SetActiveSource{.label = "label é"}});
  add(TimeDateOperation{TimeDateOperation::SetAutomaticTime{.enabled = true}});
  add(TimeDateOperation{TimeDateOperation::SetTimezone{.timezone = "America/São_Paulo"}});
  add(TimeDateOperation{TimeDateOperation::SetHourCycle{.h24 = true}});
  add(PowerOperation{PowerOperation::SetChargeLimit{.percent = 4294967295}});
  add(PowerOperation{PowerOperation::SetProfile{.profile = "profile é"}});
  add(PowerOperation{PowerOperation::SetAutoSuspend{.enabled = true}});
  add(PowerOperation{PowerOperation::SetBlankTimeout{.label = "label é"}});
  add(PowerOperation{PowerOperation::SetLockTimeout{.label = "label é"}});
  add(PowerOperation{PowerOperation::SetSuspendTimeout{.profile = "profile é", .label = "label é"}});
  add(PowerOperation{PowerOperation::SetLidAction{.action = "action é"}});
  add(PowerOperation{PowerOperation::SetPowerKeyAction{.action = "action é"}});
  add(PowerOperation{PowerOperation::SetCriticalAction{.action = "action é"}});
  add(StorageOperation{StorageOperation::CleanupCaches{}});
  add(NetworkOperation{NetworkOperation::Refresh{}});
  add(NetworkOperation{NetworkOperation::SetWifiEnabled{.enabled = true}});
  add(NetworkOperation{NetworkOperation::SetWiredEnabled{.enabled = true}});
  add(NetworkOperation{NetworkOperation::SetAirplaneMode{.enabled = true}});
  add(NetworkOperation{NetworkOperation::SetHotspot{.enabled = true}});
  add(NetworkOperation{NetworkOperation::SetMobileBroadband{.enabled = true}});
  add(NetworkOperation{NetworkOperation::RunDiagnostics{}});
  add(BluetoothOperation{BluetoothOperation::SetPowered{.enabled = true}});
  add(BluetoothOperation{BluetoothOperation::StartScan{}});
  add(BluetoothOperation{BluetoothOperation::Refresh{}});
  add(BluetoothOperation{BluetoothOperation::Pair{.path = "path é"}});
  add(BluetoothOperation{BluetoothOperation::Connect{.path = "path é"}});
  add(BluetoothOperation{BluetoothOperation::Disconnect{.path = "path é"}});
  add(BluetoothOperation{BluetoothOperation::Forget{.path = "path é"}});
  add(AudioOperation{AudioOperation::SetOutputVolume{.value = 0.1}});
  add(AudioOperation{AudioOperation::SetOutputMuted{.muted = true}});
  add(AudioOperation{AudioOperation::SetInputVolume{.value = 0.75}});
  add(AudioOperation{AudioOperation::SetBalance{.value = -1e-300}});
  add(AudioOperation{AudioOperation::SetMono{.enabled = true}});
  add(AudioOperation{AudioOperation::SetDeviceProfile{.device_id = 4294967295, .profile_index = 4294967295}});
  add(AudioOperation{AudioOperation::RouteStream{.stream_id = 4294967295, .playback = true, .device_id = 7}});
  add(AudioOperation{AudioOperation::SetStreamVolume{.stream_id = 4294967295, .value = 0.75}});
  add(AudioOperation{AudioOperation::SetStreamMuted{.stream_id = 4294967295, .muted = true}});
  add(AudioOperation{AudioOperation::ToggleDiagnostics{}});
  add(AudioOperation{AudioOperation::TestChannel{.left = true}});
  add(AudioOperation{AudioOperation::ToggleMicrophoneMeter{}});
  add(AudioOperation{AudioOperation::SelectOutput{.device_id = 4294967295}});
  add(AudioOperation{AudioOperation::SelectInput{.device_id = 4294967295}});
  add(AudioOperation{AudioOperation::RoutePlayback{.stream_id = 4294967295, .device_id = 4294967295}});
  add(AudioOperation{AudioOperation::RouteRecording{.stream_id = 4294967295, .device_id = 4294967295}});
  add(DisplayOperation{DisplayOperation::SetBrightness{.value = 0.75}});
  add(DisplayOperation{DisplayOperation::SetAutoBrightness{.enabled = true}});
  add(DisplayOperation{DisplayOperation::SetNightLight{.enabled = true}});
  add(DisplayOperation{DisplayOperation::SetNightLightTemperature{.label = "label é"}});
  add(DisplayOperation{DisplayOperation::SetScale{.label = "label é"}});
  add(DisplayOperation{DisplayOperation::SetPrimary{.connector = "connector é", .primary = true}});
  add(DisplayOperation{DisplayOperation::SetOutputScale{.connector = "connector é", .label = "label é"}});
  add(DisplayOperation{DisplayOperation::SetPosition{.connector = "connector é", .label = "label é"}});
  add(DisplayOperation{DisplayOperation::SetMirror{.connector = "connector é", .label = "label é"}});
  add(DisplayOperation{DisplayOperation::SetModeLabel{.connector = "connector é", .label = "label é"}});
  add(DisplayOperation{DisplayOperation::SetTransformLabel{.connector = "connector é", .label = "label é"}});
  add(DisplayOperation{DisplayOperation::SetColorProfileLabel{.connector = "connector é", .label = "label é"}});
  add(DisplayOperation{DisplayOperation::SetEnabled{.connector = "connector é", .enabled = true}});
  add(DisplayOperation{DisplayOperation::SetMode{.connector = "connector é",
                                                 .mode = settings_store::hardware::OutputMode{1920, 1080, 60000}}});
  add(DisplayOperation{DisplayOperation::SetTransform{
      .connector = "connector é", .transform = settings_store::hardware::OutputTransform::Rotate270}});
  add(DisplayOperation{DisplayOperation::SetHdr{.connector = "connector é", .enabled = true}});
  add(DisplayOperation{DisplayOperation::SetVrr{.connector = "connector é", .enabled = true}});
  add(DisplayOperation{DisplayOperation::SetColorProfile{.connector = "connector é", .profile = "profile é"}});
  add(DisplayOperation{DisplayOperation::Apply{}});
  add(DisplayOperation{DisplayOperation::Confirm{}});
  add(DisplayOperation{DisplayOperation::Revert{}});
  add(PrinterOperation{PrinterOperation::Refresh{}});
  add(PrinterOperation{PrinterOperation::Discover{}});
  add(PrinterOperation{PrinterOperation::SetDefault{.name = "name é"}});
  add(PrinterOperation{PrinterOperation::SetEnabled{.name = "name é", .enabled = true}});
  add(PrinterOperation{PrinterOperation::Remove{.name = "name é"}});
  add(PrinterOperation{PrinterOperation::CancelJob{.id = "id é"}});
  add(PrinterOperation{PrinterOperation::RetryJob{.id = "id é"}});
  add(StorageOperation{StorageOperation::FreeSyncedFiles{}});
  add(StorageOperation{StorageOperation::OpenDisks{}});
  add(StorageOperation{StorageOperation::OpenBackups{}});
  add(UserOperation{UserOperation::SetAdmin{.username = "username é", .admin = true}});
  add(UserOperation{UserOperation::SetAutologin{.username = "username é", .enabled = true}});
  add(UserOperation{UserOperation::Remove{.username = "username é", .remove_files = true}});
  add(AgentModelOperation{AgentModelOperation::StageAccelerator{}});
  add(AgentModelOperation{AgentModelOperation::Install{.id = "id é", .revision = "revision é"}});
  add(AgentModelOperation{AgentModelOperation::Start{.id = "id é"}});
  add(AgentModelOperation{AgentModelOperation::Stop{.id = "id é"}});
  add(AgentModelOperation{AgentModelOperation::Retry{.id = "id é", .revision = "revision é"}});
  add(AgentModelOperation{AgentModelOperation::Remove{.id = "id é"}});
  add(DeviceMeshOperation{DeviceMeshOperation::SetRole{.role = "role é"}});
  add(DeviceMeshOperation{DeviceMeshOperation::SetReplication{.replication = "replication é"}});
  add(DeviceMeshOperation{DeviceMeshOperation::SetService{.service = "service é", .enabled = true}});
  add(DeviceMeshOperation{DeviceMeshOperation::SetWorkspace{.id = 18446744073709551615ULL, .enabled = true}});
  add(AgentProviderOperation{AgentProviderOperation::Add{.protocol = "protocol é"}});
  add(AgentProviderOperation{AgentProviderOperation::SetProtocol{.id = "id é", .protocol = "protocol é"}});
  add(AgentProviderOperation{AgentProviderOperation::SetEnabled{.id = "id é", .enabled = true}});
  add(AgentProviderOperation{AgentProviderOperation::Remove{.id = "id é"}});
  add(AgentProviderOperation{AgentProviderOperation::SetDefault{.id = "id é"}});
  add(AgentProviderOperation{AgentProviderOperation::SetDetails{
      .id = "id é", .label = "label é", .endpoint = "endpoint é", .model = "model é"}});
  add(SettingsAction{SettingsAction::SetSetting{.key = "a.b", .value = SettingValue{true}}});
  add(SettingsAction{SettingsAction::SetSetting{.key = "a.b", .value = SettingValue{std::int64_t{-3}}}});
  add(SettingsAction{SettingsAction::SetSetting{.key = "a.b", .value = SettingValue{0.1}}});
  add(SettingsAction{SettingsAction::SetSetting{.key = "a.b", .value = SettingValue{"Dark \"blue\"\n"}}});
  return all;
}

// The same JSON with the keys of every object in reverse order, indented.
std::string respelled(const std::string& text) {
  const auto reverse = [](auto& self, const Json& j) -> Json {
    if (j.is_object()) {
      Json out = Json::object();
      std::vector<std::pair<std::string, Json>> members;
      for (const auto& [k, v] : j.items()) members.emplace_back(k, self(self, v));
      for (auto it = members.rbegin(); it != members.rend(); ++it) out[it->first] = it->second;
      return out;
    }
    if (j.is_array()) {
      Json out = Json::array();
      for (const auto& v : j) out.push_back(self(self, v));
      return out;
    }
    return j;
  };
  return reverse(reverse, Json::parse(text)).dump(2);
}

// A struct variant with its fields given as an array, in declaration order; other forms unchanged.
std::string array_form(const std::string& text) {
  Json j = Json::parse(text);
  if (!j.is_object() || !j.begin().value().is_object()) return text;
  Json fields = Json::array();
  for (const auto& [k, v] : j.begin().value().items()) fields.push_back(v);
  j.begin().value() = fields;
  return j.dump();
}

TEST(OperationPayload, EveryVariantRoundTripsAndEverySpellingReencodesToOneText) {
  std::map<std::size_t, std::set<std::size_t>> seen;  // sample type -> variant indices covered
  const std::vector<Sample> all = samples();
  for (const Sample& sample : all) {
    seen[sample.index()].insert(std::visit([](const auto& op) { return op.index(); }, sample));
    std::visit(
        [](const auto& op) {
          using Op = std::decay_t<decltype(op)>;
          const std::string text = encode_payload(op);
          auto back = decode_payload<Op>(text);
          ASSERT_TRUE(back.has_value()) << text << ": " << back.error().text();
          EXPECT_TRUE(*back == op) << text;

          const std::string spaced = respelled(text);
          auto from_spaced = decode_payload<Op>(spaced);
          ASSERT_TRUE(from_spaced.has_value()) << spaced << ": " << from_spaced.error().text();
          EXPECT_EQ(encode_payload(*from_spaced), text) << spaced;

          const std::string array = array_form(text);
          auto from_array = decode_payload<Op>(array);
          ASSERT_TRUE(from_array.has_value()) << array << ": " << from_array.error().text();
          EXPECT_TRUE(*from_array == op) << array;
        },
        sample);
  }
  // Each enumeration has every one of its variants among the samples.
  const auto expect_all_variants = [&]<std::size_t I>(std::integral_constant<std::size_t, I>) {
    using Enumeration = orvo_json::VariantBase<std::variant_alternative_t<I, Sample>>;
    EXPECT_EQ(seen[I].size(), std::variant_size_v<Enumeration>) << "sample type " << I;
  };
  [&]<std::size_t... I>(std::index_sequence<I...>) {
    (expect_all_variants(std::integral_constant<std::size_t, I>{}), ...);
  }
  (std::make_index_sequence<std::variant_size_v<Sample>>{});
}

}  // namespace
}  // namespace settings::actions
