#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "actions/device_local_operation.h"
#include "fake_probe.h"
#include "orvo_ui/wake.h"
#include "settings_app/settings_app.h"
#include "temp_home.h"

namespace settings::settings_app {
namespace {

using namespace orvo_ui;
using device_local::testing::FakeProbe;
using device_local::testing::TempHome;

constexpr std::string_view kBluetooth = "settings.bluetooth-operation";
constexpr std::string_view kPowerOn = R"({ "SetPowered" : { "enabled" : true } })";
constexpr std::string_view kStillRunning = "another device-local Settings operation is still running";

RequestId request(std::uint8_t n) {
  RequestId id{};
  id[0] = n;
  return id;
}

// A root against a fixed machine, in a private home, with no loop running.
class Runner : public ::testing::Test {
 protected:
  void SetUp() override {
    wake::install(nullptr);
    app_.set_device_probe(probe_);
    app_.set_keyboard_layouts([] { return std::vector<settings_store::hardware::KeyboardLayout>{{"us", "English (US)"}}; });
  }
  void TearDown() override { wake::install(nullptr); }

  StartAnswer start(RequestId id, std::string_view kind, std::string_view payload,
                    OperationClass cls = OperationClass::Effect) {
    return app_.start_resource_operation_with_document(id, cls, kind, payload, nullptr);
  }
  OperationStatus status() const { return app_.operation_status().snapshot(); }

  TempHome home_;
  std::shared_ptr<FakeProbe> probe_ = std::make_shared<FakeProbe>();
  SettingsApp app_{std::nullopt};
};

TEST_F(Runner, HandOverPublishesTheOperationThenRunningWithItsKey) {
  ASSERT_EQ(start(request(1), kBluetooth, kPowerOn), StartAnswer(start::InFlight{}));
  const auto key = actions::parse_device_local_operation(kBluetooth, kPowerOn);
  ASSERT_TRUE(key.has_value());
  EXPECT_TRUE(key->starts_with(std::string(kBluetooth) + ":")) << *key;
  EXPECT_EQ(status(), OperationStatus(OperationStatus::Running{*key}));
  EXPECT_EQ(app_.pending_operation_key(), *key);
  EXPECT_EQ(app_.pane_operation().snapshot(),
            std::optional<PaneOperation>(actions::BluetoothOperation::SetPowered{true}));
  EXPECT_EQ(app_.section(), SettingsSection::Bluetooth);
  EXPECT_TRUE(app_.operation_running());
  EXPECT_EQ(app_.running_operation_id(), request(1));
}

TEST_F(Runner, OneOperationAtATime) {
  ASSERT_EQ(start(request(1), kBluetooth, kPowerOn), StartAnswer(start::InFlight{}));
  const auto version = app_.operation_status().version();
  const auto before = status();
  EXPECT_EQ(start(request(2), "settings.input-operation", R"({"SetTapToClick":{"enabled":false}})"),
            StartAnswer(start::Rejected{std::string(kStillRunning)}));
  EXPECT_EQ(status(), before);
  EXPECT_EQ(app_.operation_status().version(), version);
  EXPECT_EQ(app_.section(), SettingsSection::Bluetooth);
  EXPECT_EQ(app_.running_operation_id(), request(1));
  // The class is checked first, even while another operation runs.
  EXPECT_EQ(app_.run_device_local_operation(OperationClass::Navigation, kBluetooth, kPowerOn),
            DeviceLocalOutcome(DeviceLocalOutcome::Rejected{"device-local settings commands must be effect operations"}));
}

TEST_F(Runner, RefusalsBeforeTheHandOverPublishNothing) {
  struct Row {
    std::string_view kind;
    std::string_view payload;
    std::string message;
    SettingsSection section;
  };
  const std::vector<Row> rows{
      {"settings.display-operation", R"({"SetHdr":{"connector":"HDMI-A-1","enabled":true}})",
       "display output is no longer available.", SettingsSection::Displays},
      {"settings.audio-operation", R"({"SetStreamMuted":{"stream_id":61,"muted":true}})",
       "audio stream is no longer available", SettingsSection::Sound},
      {"settings.power-operation", R"({"SetChargeLimit":{"percent":50}})",
       "battery charge-cap control is unavailable on this device", SettingsSection::Power},
      {"settings.printer-operation", R"({"Remove":{"name":"basement"}})", "printer queue is no longer available",
       SettingsSection::Printers},
  };
  for (const Row& row : rows) {
    const auto status_version = app_.operation_status().version();
    const auto cell_version = app_.pane_operation().version();
    EXPECT_EQ(start(request(3), row.kind, row.payload), StartAnswer(start::Rejected{row.message})) << row.kind;
    // The pane is on screen; nothing was published.
    EXPECT_EQ(app_.section(), row.section) << row.kind;
    EXPECT_EQ(status(), OperationStatus(OperationStatus::Idle{}));
    EXPECT_EQ(app_.operation_status().version(), status_version);
    EXPECT_EQ(app_.pane_operation().version(), cell_version);
    EXPECT_EQ(app_.pane_operation().snapshot(), std::nullopt);
    EXPECT_FALSE(app_.operation_running());
  }

  const auto section = app_.section();
  auto undecodable = start(request(4), kBluetooth, R"({"SetPowered":{}})");
  ASSERT_TRUE(std::holds_alternative<start::Rejected>(undecodable));
  EXPECT_NE(std::get<start::Rejected>(undecodable).message.find("enabled"), std::string::npos);
  EXPECT_EQ(app_.section(), section);
  EXPECT_EQ(app_.run_device_local_operation(OperationClass::Effect, "settings.open-pane", R"("network")"),
            DeviceLocalOutcome(DeviceLocalOutcome::NotHandled{}));
  EXPECT_EQ(app_.section(), section);
}

TEST_F(Runner, PaneOutcomeIsReportedOnceAndFreesTheRunner) {
  ASSERT_EQ(start(request(1), kBluetooth, kPowerOn), StartAnswer(start::InFlight{}));
  const std::string key = *app_.pending_operation_key();
  EXPECT_EQ(app_.poll_operation_results(request(1), false), std::nullopt);  // still Running
  (void)app_.operation_status().publish(OperationStatus::Failed{"settings.bluetooth-operation:other", "no"});
  EXPECT_EQ(app_.poll_operation_results(request(1), false), std::nullopt) << "a finish of another key is not ours";
  (void)app_.operation_status().publish(OperationStatus::Succeeded{key, "Bluetooth enabled."});
  EXPECT_EQ(app_.poll_operation_results(request(1), false),
            std::optional<OperationCompletion>(completion::Succeeded{"Bluetooth enabled."}));
  EXPECT_EQ(status(), OperationStatus(OperationStatus::Idle{}));
  EXPECT_FALSE(app_.operation_running());
  EXPECT_EQ(app_.pending_operation_key(), std::nullopt);
  EXPECT_EQ(app_.poll_operation_results(request(1), false), std::nullopt);
  EXPECT_EQ(start(request(2), kBluetooth, kPowerOn), StartAnswer(start::InFlight{}));
}

TEST_F(Runner, CancelFreesTheRunnerWhenThePaneNeverReports) {
  ASSERT_EQ(start(request(1), kBluetooth, kPowerOn), StartAnswer(start::InFlight{}));
  const std::string key = *app_.pending_operation_key();
  EXPECT_EQ(app_.poll_operation_results(request(1), true),
            std::optional<OperationCompletion>(completion::Cancelled{"operation cancelled"}));
  EXPECT_EQ(status(), OperationStatus(OperationStatus::Idle{}));
  EXPECT_FALSE(app_.operation_running());
  // The operation no pane took is withdrawn, and a late finish would find no Running to close.
  EXPECT_EQ(app_.pane_operation().snapshot(), std::nullopt);
  EXPECT_FALSE(status().is_running(key));

  ASSERT_EQ(start(request(2), "settings.display-operation", R"({"SetNightLight":{"enabled":true}})"),
            StartAnswer(start::InFlight{}));
  EXPECT_EQ(app_.running_operation_id(), request(2));
  // A finished status wins over a cancel that arrives with it.
  (void)app_.operation_status().publish(OperationStatus::Failed{*app_.pending_operation_key(), "no compositor"});
  EXPECT_EQ(app_.poll_operation_results(request(2), true),
            std::optional<OperationCompletion>(completion::Failed{"device_local_operation_failed", "no compositor"}));
}

TEST_F(Runner, RefusedPublicationIsARefusalNotAnOperationInFlight) {
  wake::shut_down();
  auto answer = start(request(1), kBluetooth, kPowerOn);
  ASSERT_TRUE(std::holds_alternative<start::Rejected>(answer));
  EXPECT_FALSE(app_.operation_running());
  EXPECT_EQ(app_.pending_operation_key(), std::nullopt);
  EXPECT_EQ(app_.pane_operation().snapshot(), std::nullopt);
  wake::install(nullptr);
  EXPECT_EQ(start(request(2), kBluetooth, kPowerOn), StartAnswer(start::InFlight{}));
}

TEST_F(Runner, LocalOperationsAreRecordedUnderTheirKey) {
  constexpr std::string_view kInput = "settings.input-operation";
  constexpr std::string_view kTapOff = R"({"SetTapToClick":{"enabled":false}})";
  ASSERT_EQ(start(request(1), kInput, kTapOff), StartAnswer(start::InFlight{}));
  const std::string key = *actions::parse_device_local_operation(kInput, kTapOff);
  EXPECT_EQ(status(), OperationStatus(OperationStatus::Succeeded{key, "tap to click updated"}));
  EXPECT_EQ(app_.pending_operation_key(), key);
  EXPECT_EQ(app_.section(), SettingsSection::MouseKeyboard);
  EXPECT_EQ(nlohmann::json::parse(home_.read_preferences().value())["input"]["tap_to_click"], false);
  EXPECT_EQ(app_.poll_operation_results(request(1), false),
            std::optional<OperationCompletion>(completion::Succeeded{"tap to click updated"}));

  // A failure is recorded too, and the section is switched all the same.
  app_.select_section(SettingsSection::Network);
  ASSERT_EQ(start(request(2), kInput, R"({"SetTouchpadPointerSpeed":{"value":1.5}})"), StartAnswer(start::InFlight{}));
  EXPECT_EQ(app_.section(), SettingsSection::MouseKeyboard);
  EXPECT_EQ(app_.poll_operation_results(request(2), false),
            std::optional<OperationCompletion>(
                completion::Failed{"device_local_operation_failed", "input value must be between 0.0 and 1.0"}));

  ASSERT_EQ(start(request(3), "settings.time-date-operation", R"({"SetHourCycle":{"h24":false}})"),
            StartAnswer(start::InFlight{}));
  EXPECT_EQ(app_.section(), SettingsSection::TimeDate);
  EXPECT_EQ(app_.poll_operation_results(request(3), false),
            std::optional<OperationCompletion>(completion::Succeeded{"clock format updated"}));
}

TEST_F(Runner, DeviceMeshOperationsGoToTheirOwnCell) {
  ASSERT_EQ(start(request(1), "settings.device-mesh-operation", R"({"SetRole":{"role":"home"}})"),
            StartAnswer(start::InFlight{}));
  EXPECT_EQ(app_.section(), SettingsSection::DevicesSync);
  EXPECT_TRUE(app_.device_mesh_operation().snapshot().has_value());
  EXPECT_EQ(app_.pane_operation().snapshot(), std::nullopt);
  EXPECT_TRUE(std::holds_alternative<OperationStatus::Running>(status()));
}

}  // namespace
}  // namespace settings::settings_app
