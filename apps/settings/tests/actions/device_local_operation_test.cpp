#include "actions/device_local_operation.h"

#include <gtest/gtest.h>

#include <string>

namespace settings::actions {
namespace {

constexpr const char* kNetwork = "settings.network-operation";
constexpr const char* kWifiOnKey = R"(settings.network-operation:{"SetWifiEnabled":{"enabled":true}})";

// "key:" followed by the key, or "error:" followed by the message.
std::string read(std::string_view kind, std::string_view payload) {
  auto key = parse_device_local_operation(kind, payload);
  return key ? "key:" + *key : "error:" + key.error();
}

TEST(DeviceLocalReader, KeysEverySpellingOfAnOperationAlikeAndRefusesTheRestWithItsMessage) {
  const struct {
    const char* what;
    const char* kind;
    std::string payload;
    std::string expected;
  } cases[] = {
      {"compact", kNetwork, R"({"SetWifiEnabled":{"enabled":true}})", std::string("key:") + kWifiOnKey},
      {"spaces and line breaks", kNetwork, "{ \"SetWifiEnabled\" :\n  { \"enabled\" : true } }\n",
       std::string("key:") + kWifiOnKey},
      {"unknown member dropped", kNetwork, R"({"SetWifiEnabled":{"band":"5GHz","enabled":true}})",
       std::string("key:") + kWifiOnKey},
      {"array form", kNetwork, R"({"SetWifiEnabled":[true]})", std::string("key:") + kWifiOnKey},
      {"unit variant as a string", kNetwork, R"("Refresh")", R"(key:settings.network-operation:"Refresh")"},
      {"unit variant as an object", kNetwork, R"({"Refresh":null})", R"(key:settings.network-operation:"Refresh")"},
      {"display mode", "settings.display-operation",
       R"({"SetMode":{"connector":"DP-1","mode":[1920,1080,60000]}})",
       R"(key:settings.display-operation:{"SetMode":{"connector":"DP-1","mode":{"width":1920,"height":1080,"refresh_mhz":60000}}})"},
      {"last of the table", "settings.device-mesh-operation", R"({"SetWorkspace":{"enabled":true,"id":7}})",
       R"(key:settings.device-mesh-operation:{"SetWorkspace":{"id":7,"enabled":true}})"},
      // Kinds outside the table, compared byte for byte.
      {"account kind", "settings.account-operation", R"({"Test":{"id":"a1"}})",
       "error:unknown device-local operation type"},
      {"provider kind", "settings.agent-provider-operation", R"({"SetDefault":{"id":"p"}})",
       "error:unknown device-local operation type"},
      {"open pane", "settings.open-pane", R"("network")", "error:unknown device-local operation type"},
      {"capitalised kind", "Settings.network-operation", R"("Refresh")", "error:unknown device-local operation type"},
      {"kind with a trailing blank", "settings.network-operation ", R"("Refresh")",
       "error:unknown device-local operation type"},
      {"empty kind", "", R"("Refresh")", "error:unknown device-local operation type"},
      // Payloads that do not decode: the decoder's message with its position.
      {"empty payload", kNetwork, "", "error:EOF while parsing a value at line 1 column 0"},
      {"empty object", kNetwork, "{}", "error:expected value at line 1 column 2"},
      {"trailing value", kNetwork, R"({"SetWifiEnabled":{"enabled":true}} "Refresh")",
       "error:trailing characters at line 1 column 37"},
      {"missing field", kNetwork, R"({"SetWifiEnabled":{}})", "error:missing field `enabled` at line 1 column 20"},
      {"another kind's variant", "settings.display-operation", R"({"SetOutputVolume":{"value":0.5}})",
       "error:unknown variant `SetOutputVolume`, expected one of `SetBrightness`, `SetAutoBrightness`, "
       "`SetNightLight`, `SetNightLightTemperature`, `SetScale`, `SetPrimary`, `SetOutputScale`, `SetPosition`, "
       "`SetMirror`, `SetModeLabel`, `SetTransformLabel`, `SetColorProfileLabel`, `SetEnabled`, `SetMode`, "
       "`SetTransform`, `SetHdr`, `SetVrr`, `SetColorProfile`, `Apply`, `Confirm`, `Revert` at line 1 column 19"},
      {"out of range", "settings.power-operation", R"({"SetChargeLimit":{"percent":4294967296}})",
       "error:invalid value: integer `4294967296`, expected u32 at line 1 column 39"},
      {"wrong type", kNetwork, R"({"SetWifiEnabled":{"enabled":"yes"}})",
       "error:invalid type: string \"yes\", expected a boolean at line 1 column 34"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(read(c.kind, c.payload), c.expected);
  }
}

TEST(DeviceLocalReader, ReadsEachOfTheFourteenKindsWithItsOwnEnumeration) {
  const struct {
    const char* kind;
    const char* payload;
  } kinds[] = {
      {"settings.update-operation", R"("Check")"},
      {"settings.keyboard-source-operation", R"({"MoveUp":{"index":2}})"},
      {"settings.input-operation", R"({"SetKeyRepeat":{"value":0.5}})"},
      {"settings.time-date-operation", R"({"SetHourCycle":{"h24":true}})"},
      {"settings.power-operation", R"({"SetProfile":{"profile":"Balanced"}})"},
      {"settings.network-operation", R"("RunDiagnostics")"},
      {"settings.bluetooth-operation", R"("StartScan")"},
      {"settings.storage-operation", R"("CleanupCaches")"},
      {"settings.audio-operation", R"("ToggleDiagnostics")"},
      {"settings.display-operation", R"("Apply")"},
      {"settings.printer-operation", R"("Discover")"},
      {"settings.user-operation", R"({"SetAdmin":{"username":"ann","admin":false}})"},
      {"settings.agent-model-operation", R"("StageAccelerator")"},
      {"settings.device-mesh-operation", R"({"SetRole":{"role":"Hub"}})"},
  };
  for (const auto& k : kinds) {
    SCOPED_TRACE(k.kind);
    EXPECT_EQ(read(k.kind, k.payload), std::string("key:") + k.kind + ":" + k.payload);
    // A payload of the update kind is no payload of any other.
    if (std::string_view(k.kind) != "settings.update-operation") {
      EXPECT_TRUE(read(k.kind, R"({"SetSchedule":{"schedule":"Daily"}})").starts_with("error:unknown variant"));
    }
  }
}

}  // namespace
}  // namespace settings::actions
