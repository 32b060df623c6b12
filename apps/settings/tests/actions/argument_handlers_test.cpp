#include <gtest/gtest.h>

#include <string>

#include "actions/audio_handlers.h"
#include "actions/connectivity_handlers.h"
#include "actions/device_local_operation.h"
#include "actions/display_handlers.h"
#include "actions/input_handlers.h"
#include "actions/power_handlers.h"
#include "actions/setting_handlers.h"
#include "actions/system_handlers.h"
#include "lib/settings_document.h"
#include "orvo_doc/document.h"

namespace settings::actions {
namespace {

using orvo_actions::ActionArgs;
using orvo_actions::ArgumentHandler;
using orvo_actions::EncodedAction;

// Two devices share a name: the first in list order wins.
const AudioDeviceList kDevices{{"Speakers", 41}, {"Headphones", 52}, {"Speakers", 63}};

ActionArgs args(const char* json) { return *ActionArgs::parse(json); }

TEST(ArgumentHandlers, BuildTheOperationFromArgumentsDefaultsAndCapturedData) {
  struct Case {
    const char* what;
    ArgumentHandler handler;
    const char* arguments;
    const char* kind;
    const char* payload;
  };
  const char* power = "settings.power-operation";
  const char* audio = "settings.audio-operation";
  const char* display = "settings.display-operation";
  const char* input = "settings.input-operation";
  const char* time = "settings.time-date-operation";
  const char* mesh = "settings.device-mesh-operation";
  const Case cases[] = {
      // Missing or mistyped arguments fall back to false, 0, "" or the captured default.
      {"auto_suspend without value", power_auto_suspend_handler(), "{}", power,
       R"({"SetAutoSuspend":{"enabled":false}})"},
      {"auto_suspend with a text value", power_auto_suspend_handler(), R"({"value":"true"})", power,
       R"({"SetAutoSuspend":{"enabled":false}})"},
      {"timezone without choice", timezone_handler(), "{}", time, R"({"SetTimezone":{"timezone":"UTC"}})"},
      {"timezone", timezone_handler(), R"({"choice":"Europe/Oslo"})", time,
       R"({"SetTimezone":{"timezone":"Europe/Oslo"}})"},
      {"volume without value", audio_level_handler(AudioLevel::OutputVolume), "{}", audio,
       R"({"SetOutputVolume":{"value":0.0}})"},
      {"compose key without choice", input_choice_handler(InputChoice::ComposeKey, "Right Alt"), "{}", input,
       R"({"SetComposeKey":{"key":"Right Alt"}})"},
      {"add source without label", keyboard_source_add_handler("English (US)"), "{}",
       "settings.keyboard-source-operation", R"j({"Add":{"label":"English (US)"}})j"},
      // Charge cap: trailing percent signs go, anything else gives the captured default.
      {"charge cap 80%", charge_limit_handler(90), R"({"percent":"80%"})", power,
       R"({"SetChargeLimit":{"percent":80}})"},
      {"charge cap 80%%%", charge_limit_handler(90), R"({"percent":"80%%%"})", power,
       R"({"SetChargeLimit":{"percent":80}})"},
      {"charge cap 80", charge_limit_handler(90), R"({"percent":"80"})", power,
       R"({"SetChargeLimit":{"percent":80}})"},
      {"charge cap not a number", charge_limit_handler(90), R"({"percent":"eighty"})", power,
       R"({"SetChargeLimit":{"percent":90}})"},
      {"charge cap with a blank", charge_limit_handler(90), R"({"percent":" 80%"})", power,
       R"({"SetChargeLimit":{"percent":90}})"},
      {"charge cap beyond 32 bits", charge_limit_handler(90), R"({"percent":"4294967296%"})", power,
       R"({"SetChargeLimit":{"percent":90}})"},
      {"charge cap only percent signs", charge_limit_handler(90), R"({"percent":"%%"})", power,
       R"({"SetChargeLimit":{"percent":90}})"},
      {"charge cap absent", charge_limit_handler(90), "{}", power, R"({"SetChargeLimit":{"percent":90}})"},
      // Device and profile look-ups: the first name that matches, the largest u32 when none does.
      {"known output", audio_select_output_handler(kDevices), R"({"choice":"Headphones"})", audio,
       R"({"SelectOutput":{"device_id":52}})"},
      {"duplicate names", audio_select_output_handler(kDevices), R"({"choice":"Speakers"})", audio,
       R"({"SelectOutput":{"device_id":41}})"},
      {"unknown device", audio_select_output_handler(kDevices), R"({"choice":"HDMI"})", audio,
       R"({"SelectOutput":{"device_id":4294967295}})"},
      {"names compare exactly", audio_select_input_handler(kDevices), R"({"choice":"speakers"})", audio,
       R"({"SelectInput":{"device_id":4294967295}})"},
      {"dropdown for output-device", audio_device_choice_handler(kDevices, "output-device"),
       R"({"choice":"Headphones"})", audio, R"({"SelectOutput":{"device_id":52}})"},
      {"dropdown for another name", audio_device_choice_handler(kDevices, "input-device"),
       R"({"choice":"Headphones"})", audio, R"({"SelectInput":{"device_id":52}})"},
      {"profile", audio_device_profile_handler(52, {{"Off", 0}, {"Stereo", 3}}), R"({"choice":"Stereo"})", audio,
       R"({"SetDeviceProfile":{"device_id":52,"profile_index":3}})"},
      {"unknown profile", audio_device_profile_handler(52, {{"Off", 0}}), R"({"choice":"Surround"})", audio,
       R"({"SetDeviceProfile":{"device_id":52,"profile_index":4294967295}})"},
      // Stream routes: "Default" and unknown names route to the default device.
      {"route to a device", audio_route_stream_handler(9, true, kDevices), R"({"choice":"Speakers"})", audio,
       R"({"RouteStream":{"stream_id":9,"playback":true,"device_id":41}})"},
      {"route Default", audio_route_stream_handler(9, true, kDevices), R"({"choice":"Default"})", audio,
       R"({"RouteStream":{"stream_id":9,"playback":true,"device_id":null}})"},
      {"route unknown", audio_route_stream_handler(9, false, kDevices), R"({"choice":"HDMI"})", audio,
       R"({"RouteStream":{"stream_id":9,"playback":false,"device_id":null}})"},
      // Input speeds are clamped; volumes and brightness are not.
      {"touchpad speed 1.7", input_level_handler(InputLevel::TouchpadPointerSpeed), R"({"value":1.7})", input,
       R"({"SetTouchpadPointerSpeed":{"value":1.0}})"},
      {"mouse speed -0.2", input_level_handler(InputLevel::MousePointerSpeed), R"({"value":-0.2})", input,
       R"({"SetMousePointerSpeed":{"value":0.0}})"},
      {"key repeat 0.4", input_level_handler(InputLevel::KeyRepeat), R"({"value":0.4})", input,
       R"({"SetKeyRepeat":{"value":0.4}})"},
      {"output volume 1.7", audio_level_handler(AudioLevel::OutputVolume), R"({"value":1.7})", audio,
       R"({"SetOutputVolume":{"value":1.7}})"},
      {"stream volume -0.2", audio_stream_volume_handler(9), R"({"value":-0.2})", audio,
       R"({"SetStreamVolume":{"stream_id":9,"value":-0.2}})"},
      {"brightness 1.5", display_brightness_handler(), R"({"value":1.5})", display,
       R"({"SetBrightness":{"value":1.5}})"},
      // Handlers chosen by a captured name.
      {"lid", power_button_choice_handler("lid"), R"({"choice":"Suspend"})", power,
       R"({"SetLidAction":{"action":"Suspend"}})"},
      {"power key", power_button_choice_handler("power-key"), R"({"choice":"Nothing"})", power,
       R"({"SetPowerKeyAction":{"action":"Nothing"}})"},
      {"critical", power_button_choice_handler("critical"), R"({"choice":"Hibernate"})", power,
       R"({"SetCriticalAction":{"action":"Hibernate"}})"},
      {"profile choice", power_timeout_choice_handler("active"), R"({"choice":"Balanced"})", power,
       R"({"SetProfile":{"profile":"Balanced"}})"},
      {"blank after", power_timeout_choice_handler("blank"), R"({"choice":"5 minutes"})", power,
       R"({"SetBlankTimeout":{"label":"5 minutes"}})"},
      {"lock after", power_timeout_choice_handler("lock"), R"({"choice":"Never"})", power,
       R"({"SetLockTimeout":{"label":"Never"}})"},
      {"saver suspend", power_timeout_choice_handler("saver"), R"({"choice":"15 minutes"})", power,
       R"({"SetSuspendTimeout":{"profile":"saver","label":"15 minutes"}})"},
      {"output scale", output_choice_handler("eDP-1", OutputChoice::Scale), R"({"choice":"150%"})", display,
       R"({"SetOutputScale":{"connector":"eDP-1","label":"150%"}})"},
      {"output dropdown color-profile", *output_choice_handler("HDMI-A-1", std::string_view("color-profile")),
       R"({"choice":"sRGB"})", display, R"({"SetColorProfileLabel":{"connector":"HDMI-A-1","label":"sRGB"}})"},
      {"output primary", output_switch_handler("eDP-1", OutputSwitch::Primary), R"({"value":true})", display,
       R"({"SetPrimary":{"connector":"eDP-1","primary":true}})"},
      {"24-hour", time_switch_handler(TimeSwitch::HourCycle), R"({"value":true})", time,
       R"({"SetHourCycle":{"h24":true}})"},
      {"tap to click", input_switch_handler(InputSwitch::TapToClick), R"({"value":true})", input,
       R"({"SetTapToClick":{"enabled":true}})"},
      {"wifi", wifi_enabled_handler(), R"({"value":true})", "settings.network-operation",
       R"({"SetWifiEnabled":{"enabled":true}})"},
      {"bluetooth", bluetooth_powered_handler(), R"({"value":true})", "settings.bluetooth-operation",
       R"({"SetPowered":{"enabled":true}})"},
      {"metered", update_switch_handler(UpdateSwitch::Metered), R"({"value":true})", "settings.update-operation",
       R"({"SetMetered":{"allowed":true}})"},
      {"workspace", device_mesh_workspace_handler(18446744073709551615ull), R"({"value":true})", mesh,
       R"({"SetWorkspace":{"id":18446744073709551615,"enabled":true}})"},
      {"mesh service", device_mesh_service_handler("continuity.media"), R"({"value":false})", mesh,
       R"({"SetService":{"service":"continuity.media","enabled":false}})"},
      {"replication", device_mesh_choice_handler(DeviceMeshChoice::Replication), R"({"choice":"Full"})", mesh,
       R"({"SetReplication":{"replication":"Full"}})"},
      // Provider details: an absent model stays absent, an absent label is empty.
      {"provider details without model", agent_provider_details_handler("p1"),
       R"({"label":"Work","endpoint":"https://api.example.com"})", "settings.agent-provider-operation",
       R"({"SetDetails":{"id":"p1","label":"Work","endpoint":"https://api.example.com","model":null}})"},
      {"provider details without label", agent_provider_details_handler("p1"), R"({"model":"m-2"})",
       "settings.agent-provider-operation", R"({"SetDetails":{"id":"p1","label":"","endpoint":"","model":"m-2"}})"},
      // Setting actions.
      {"setting switch", setting_switch_handler("accessibility.large_text"), R"({"value":true})",
       "settings.action", R"({"SetSetting":{"key":"accessibility.large_text","value":{"Bool":true}}})"},
      {"shortcut without choice", setting_text_handler("shortcuts.search"), "{}", "settings.action",
       R"({"SetSetting":{"key":"shortcuts.search","value":{"Text":""}}})"},
      {"setting choice without choice", setting_choice_handler("notifications.mute", "1 hour"), "{}",
       "settings.action", R"({"SetSetting":{"key":"notifications.mute","value":{"Text":"1 hour"}}})"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const EncodedAction encoded = c.handler(args(c.arguments));
    EXPECT_EQ(encoded, (EncodedAction{c.kind, c.payload}));
    // What a handler sends is what the root's reader accepts, already in canonical form.
    const bool device_local = encoded.kind != "settings.action" && encoded.kind != "settings.agent-provider-operation";
    if (device_local) {
      EXPECT_EQ(parse_device_local_operation(encoded.kind, encoded.payload), encoded.kind + ":" + encoded.payload);
    }
  }
}

TEST(ArgumentHandlers, TheOutputDropdownKnowsOnlyItsSixNames) {
  for (const char* name : {"scale", "position", "mirror", "mode", "transform", "color-profile"}) {
    EXPECT_TRUE(output_choice_handler("DP-1", std::string_view(name))) << name;
  }
  EXPECT_FALSE(output_choice_handler("DP-1", std::string_view("enabled")));
  EXPECT_FALSE(output_choice_handler("DP-1", std::string_view("Scale")));
}

TEST(CurrentValue, ReadsTheRootOfTheSettingsDocumentOrFallsBack) {
  orvo_doc::Document doc;
  ASSERT_TRUE(doc.put(orvo_doc::kRoot, "appearance.reduce_motion", orvo_doc::ScalarValue::boolean(true)));
  ASSERT_TRUE(doc.put(orvo_doc::kRoot, "appearance.theme", orvo_doc::ScalarValue::str("Dark")));
  ASSERT_TRUE(lib::ensure_text_object(doc, orvo_doc::kRoot, "region.currency"));
  ASSERT_TRUE(doc.put(orvo_doc::kRoot, "appearance.count", orvo_doc::ScalarValue::int64(3)));

  EXPECT_TRUE(current_bool(doc, "appearance.reduce_motion", false));
  EXPECT_FALSE(current_bool(doc, "appearance.theme", false));  // a text is not a boolean
  EXPECT_TRUE(current_bool(doc, "missing", true));
  EXPECT_EQ(current_text(doc, "appearance.theme", "Light"), "Dark");
  EXPECT_EQ(current_text(doc, "region.currency", "EUR"), "");  // an empty text object is a text
  EXPECT_EQ(current_text(doc, "appearance.count", "Light"), "Light");
  EXPECT_EQ(current_text(doc, "missing", "Light"), "Light");
}

}  // namespace
}  // namespace settings::actions
