#include "device_local/device_checks.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "fake_probe.h"

namespace settings::device_local {
namespace {

using namespace settings::actions;
using testing::FakeProbe;

// "" for a check that passes, else its message.
std::string outcome(const CheckResult& result) { return result ? "" : result.error(); }

template <class Op>
struct Case {
  Op operation;
  std::string message;
};

template <class Op, class Run>
void expect_cases(const std::vector<Case<Op>>& cases, Run run) {
  for (std::size_t i = 0; i < cases.size(); ++i) {
    EXPECT_EQ(outcome(run(cases[i].operation)), cases[i].message) << "case " << i;
  }
}

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();

TEST(DeviceChecks, UpdateScheduleMustBeOffered) {
  expect_cases<UpdateOperation>({{UpdateOperation::SetSchedule{"Weekly"}, ""},
                                 {UpdateOperation::SetSchedule{"Hourly"}, "unsupported update schedule"},
                                 {UpdateOperation::Check{}, ""}},
                                [](const UpdateOperation& op) { return check_operation(op); });
}

TEST(DeviceChecks, PowerLabelsAndChargeCap) {
  FakeProbe probe;
  auto run = [&](const PowerOperation& op) { return check_operation(op, probe); };
  using P = PowerOperation;
  expect_cases<P>({{P::SetChargeLimit{80}, ""},
                   {P::SetChargeLimit{60}, "battery charge-cap control is unavailable on this device"},
                   {P::SetProfile{"Balanced"}, ""},
                   {P::SetProfile{"Turbo"}, "unsupported power profile"},
                   {P::SetBlankTimeout{"1 minute"}, ""},
                   {P::SetBlankTimeout{"2 minutes"}, "unsupported screen blank timeout"},
                   {P::SetLockTimeout{"45 minutes"}, "unsupported automatic lock timeout"},
                   {P::SetSuspendTimeout{"saver", "1 hour"}, ""},
                   // The label is checked before the profile.
                   {P::SetSuspendTimeout{"eco", "2 hours"}, "unsupported suspend timeout"},
                   {P::SetSuspendTimeout{"eco", "1 hour"}, "unsupported power profile timeout"},
                   {P::SetLidAction{"Lock screen"}, ""},
                   {P::SetCriticalAction{"Hibernate"}, "unsupported power action"},
                   {P::SetAutoSuspend{true}, ""}},
                  run);

  probe.capability = std::optional<os_actions::battery::ChargeCapability>{};  // a desktop
  EXPECT_EQ(outcome(run(P::SetChargeLimit{80})), "battery charge-cap control is unavailable on this device");
  probe.capability = std::unexpected(std::string("Could not read the battery"));
  EXPECT_EQ(outcome(run(P::SetChargeLimit{80})), "battery charge-cap control is unavailable on this device");
}

TEST(DeviceChecks, WiredNetworkingMustExist) {
  FakeProbe probe;
  auto run = [&](const NetworkOperation& op) { return check_operation(op, probe); };
  EXPECT_EQ(outcome(run(NetworkOperation::SetWiredEnabled{true})), "");
  probe.wired_state = os_actions::network::WiredState{};
  EXPECT_EQ(outcome(run(NetworkOperation::SetWiredEnabled{true})), "wired networking is unavailable on this device");
  probe.wired_state = std::unexpected(std::string("the network service is not running"));
  EXPECT_EQ(outcome(run(NetworkOperation::SetWiredEnabled{false})), "the network service is not running");
  const int reads = probe.reads;
  EXPECT_EQ(outcome(run(NetworkOperation::SetWifiEnabled{true})), "");
  EXPECT_EQ(probe.reads, reads) << "other network operations read nothing";
}

TEST(DeviceChecks, BluetoothDeviceMustExistInAFittingState) {
  FakeProbe probe;
  auto run = [&](const BluetoothOperation& op) { return check_operation(op, probe); };
  using B = BluetoothOperation;
  const std::string changed = "Bluetooth device state changed; refresh and try again";
  expect_cases<B>({{B::Pair{"/bt/new"}, ""},
                   {B::Pair{"/bt/paired"}, changed},
                   {B::Connect{"/bt/paired"}, ""},
                   {B::Connect{"/bt/paired_connected"}, changed},
                   {B::Connect{"/bt/new"}, changed},
                   {B::Disconnect{"/bt/paired_connected"}, ""},
                   {B::Disconnect{"/bt/paired"}, changed},
                   {B::Forget{"/bt/paired"}, ""},
                   {B::Forget{"/bt/new"}, changed},
                   {B::Forget{"/bt/gone"}, "Bluetooth device is no longer available"},
                   {B::SetPowered{true}, ""}},
                  run);
  probe.devices = std::unexpected(std::string("the Bluetooth service is not running"));
  EXPECT_EQ(outcome(run(B::Pair{"/bt/new"})), "the Bluetooth service is not running");
}

TEST(DeviceChecks, AudioStreamsDevicesAndLevels) {
  FakeProbe probe;
  auto run = [&](const AudioOperation& op) { return check_operation(op, probe.graph, {true, true, true, true}); };
  using A = AudioOperation;
  expect_cases<A>(
      {{A::SetOutputVolume{1.0}, ""},
       {A::SetOutputVolume{0.0}, ""},
       {A::SetOutputVolume{1.0000001}, "output volume must be between 0 and 1"},
       {A::SetInputVolume{kNaN}, "input volume must be between 0 and 1"},
       {A::SetBalance{-kInf}, "output balance must be between 0 and 1"},
       {A::SetDeviceProfile{30, 1}, ""},
       {A::SetDeviceProfile{30, 2}, "audio profile is no longer available"},
       {A::SetDeviceProfile{31, 1}, "audio hardware is no longer available"},
       {A::RouteStream{60, true, std::nullopt}, ""},
       {A::RouteStream{60, true, 40}, ""},
       {A::RouteStream{60, true, 50}, "audio route is no longer available"},
       // A stream that has ended.
       {A::RouteStream{61, true, std::nullopt}, "audio stream is no longer available"},
       {A::RouteStream{60, false, std::nullopt}, "audio stream is no longer available"},
       {A::RouteStream{70, false, 50}, ""},
       {A::SetStreamVolume{70, 0.5}, ""},
       {A::SetStreamVolume{70, 2.0}, "stream volume must be between 0 and 1"},
       {A::SetStreamVolume{99, 0.5}, "audio stream is no longer available"},
       {A::SetStreamMuted{99, true}, "audio stream is no longer available"},
       {A::SelectOutput{40}, ""},
       {A::SelectOutput{50}, "audio output device is no longer available"},
       {A::SelectInput{40}, "audio input device is no longer available"},
       {A::RoutePlayback{70, 40}, "playback stream is no longer available"},
       {A::RoutePlayback{60, 41}, "audio output device is no longer available"},
       {A::RouteRecording{60, 50}, "recording stream is no longer available"},
       {A::RouteRecording{70, 40}, "audio input device is no longer available"},
       {A::SetOutputMuted{true}, ""}},
      run);
}

TEST(DeviceChecks, DisplayOutputsAndTheirCapabilities) {
  FakeProbe probe;
  auto run = [&](const DisplayOperation& op) { return check_operation(op, probe); };
  using D = DisplayOperation;
  const std::string gone = "display output is no longer available.";
  const std::string profile_gone = "colour profile is no longer available for that output";
  expect_cases<D>(
      {{D::SetBrightness{kNaN}, "display brightness must be between 0 and 1"},
       {D::SetNightLightTemperature{"Warm · 3700 K"}, ""},
       {D::SetNightLightTemperature{"Warm"}, "unsupported Night Light warmth"},
       {D::SetScale{"110%"}, "unsupported display scale"},
       {D::SetOutputScale{"eDP-1", "150%"}, ""},
       {D::SetOutputScale{"eDP-1", "300%"}, "unsupported output scale"},
       // An unplugged display, whatever is asked of it.
       {D::SetOutputScale{"HDMI-A-1", "300%"}, gone},
       {D::SetPrimary{"HDMI-A-1", true}, gone},
       {D::SetPosition{"eDP-1", std::string(160, 'x')}, ""},
       {D::SetPosition{"eDP-1", std::string(161, 'x')}, "display position label is too long"},
       {D::SetMirror{"eDP-1", std::string(161, 'x')}, "display mirror label is too long"},
       {D::SetModeLabel{"eDP-1", "1920 × 1080 @ 60 Hz"}, ""},
       {D::SetModeLabel{"eDP-1", "1280 × 720 @ 60 Hz"}, "display mode is no longer supported by that output"},
       {D::SetMode{"eDP-1", {1920, 1080, 60000}}, ""},
       {D::SetMode{"eDP-1", {1920, 1080, 144000}}, "display mode is no longer supported by that output"},
       {D::SetTransformLabel{"eDP-1", "Portrait left"}, ""},
       {D::SetTransformLabel{"eDP-1", "Sideways"}, "unsupported display orientation"},
       {D::SetColorProfileLabel{"eDP-1", "System default"}, ""},
       {D::SetColorProfileLabel{"eDP-1", "sRGB · srgb"}, ""},
       {D::SetColorProfileLabel{"eDP-1", "srgb · sRGB"}, profile_gone},
       {D::SetColorProfile{"DP-1", std::nullopt}, ""},
       {D::SetColorProfile{"eDP-1", "srgb"}, ""},
       {D::SetColorProfile{"eDP-1", "adobe"}, profile_gone},
       // HDR and VRR asked of an output without them, also to turn them off.
       {D::SetHdr{"eDP-1", false}, "HDR is not available for that output"},
       {D::SetHdr{"DP-1", true}, ""},
       {D::SetVrr{"eDP-1", false}, "variable refresh rate is not available for that output"},
       {D::SetVrr{"DP-1", true}, ""},
       {D::Apply{}, ""}},
      run);

  probe.displays = std::unexpected(std::string("unreadable snapshot"));
  EXPECT_EQ(outcome(run(D::SetEnabled{"eDP-1", true})), "live display capabilities are unavailable");
}

TEST(DeviceChecks, PrinterQueuesAndJobs) {
  FakeProbe probe;
  auto run = [&](const PrinterOperation& op) { return check_operation(op, probe); };
  using P = PrinterOperation;
  const std::string changed = "printer queue state changed; refresh and try again";
  expect_cases<P>({{P::SetDefault{"lab"}, ""},
                   // A queue that was removed.
                   {P::Remove{"basement"}, "printer queue is no longer available"},
                   {P::SetEnabled{"office", true}, ""},
                   {P::SetEnabled{"lab", true}, changed},
                   {P::SetEnabled{"lab", false}, ""},
                   {P::SetEnabled{"office", false}, changed},
                   {P::CancelJob{"office-12"}, ""},
                   {P::RetryJob{"office-13"}, "print job is no longer available"},
                   {P::Refresh{}, ""}},
                  run);
  // A printing service that does not answer lists nothing.
  probe.queues = std::unexpected(std::string("Could not reach the printing service"));
  probe.jobs = std::unexpected(std::string("Could not reach the printing service"));
  EXPECT_EQ(outcome(run(P::SetDefault{"lab"})), "printer queue is no longer available");
  EXPECT_EQ(outcome(run(P::CancelJob{"office-12"})), "print job is no longer available");
}

}  // namespace
}  // namespace settings::device_local
