#include "device_local/local_operations.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <nlohmann/json.hpp>
#include <sdbus-c++/sdbus-c++.h>

#include "orvo_dbus/connection.h"
#include "orvo_dbus_testing/stand_in_bus.h"
#include "preferences/preferences_file.h"
#include "temp_home.h"

namespace settings::device_local {
namespace {

using namespace settings::actions;
using preferences::InputPrefs;
using testing::TempHome;

const KeyboardLayoutCatalogue kCatalogue = [] {
  return std::vector<settings_store::hardware::KeyboardLayout>{{"us", "English (US)"},
                                          {"de", "German"},
                                          {"fr", "French"},
                                          {"es", "Spanish"},
                                          {"it", "Italian"},
                                          {"de:nodeadkeys", "German (no dead keys)"}};
};

InputPrefs with_sources(std::vector<std::string> sources, std::string in_use) {
  InputPrefs input;
  input.keyboard_layouts = std::move(sources);
  input.keyboard_layout = std::move(in_use);
  return input;
}

nlohmann::json input_section(const TempHome& home) {
  return nlohmann::json::parse(home.read_preferences().value()).at("input");
}

TEST(KeyboardSources, ChangesToTheListAndTheSourceInUse) {
  struct Row {
    KeyboardSourceOperation operation;
    std::vector<std::string> sources;
    std::string in_use;
    std::string message;
    std::vector<std::string> sources_after;
    std::string in_use_after;
  };
  using K = KeyboardSourceOperation;
  const std::vector<Row> rows{
      // Adding makes the new source the one in use.
      {K::Add{"German"}, {"us"}, "us", "keyboard input source added", {"us", "de"}, "de"},
      {K::Add{"German"}, {"us", "de"}, "us", "keyboard input source is already active", {"us", "de"}, "us"},
      {K::Add{"Klingon"}, {"us"}, "us", "keyboard input source is no longer installed", {"us"}, "us"},
      {K::Add{"Italian"}, {"us", "de", "fr", "es"}, "us",
       "the maximum number of keyboard input sources is already active", {"us", "de", "fr", "es"}, "us"},
      {K::MoveUp{1}, {"us", "de"}, "us", "keyboard input source moved up", {"de", "us"}, "us"},
      {K::MoveUp{0}, {"us", "de"}, "us", "keyboard input source can no longer move up", {"us", "de"}, "us"},
      {K::MoveDown{0}, {"us", "de"}, "us", "keyboard input source moved down", {"de", "us"}, "us"},
      {K::MoveDown{1}, {"us", "de"}, "us", "keyboard input source can no longer move down", {"us", "de"}, "us"},
      {K::MoveDown{std::numeric_limits<std::uint64_t>::max()}, {"us", "de"}, "us",
       "keyboard input source can no longer move down", {"us", "de"}, "us"},
      // Removing the source in use at the last position: the new last entry takes over.
      {K::Remove{2}, {"us", "de", "fr"}, "fr", "keyboard input source removed", {"us", "de"}, "de"},
      // In the middle: the entry that moved into its place.
      {K::Remove{1}, {"us", "de", "fr"}, "de", "keyboard input source removed", {"us", "fr"}, "fr"},
      {K::Remove{0}, {"us", "de"}, "de", "keyboard input source removed", {"de"}, "de"},
      {K::Remove{0}, {"us"}, "us", "keyboard input source can no longer be removed", {"us"}, "us"},
      {K::Remove{5}, {"us", "de"}, "us", "keyboard input source can no longer be removed", {"us", "de"}, "us"},
  };
  for (std::size_t i = 0; i < rows.size(); ++i) {
    const Row& row = rows[i];
    InputPrefs input = with_sources(row.sources, row.in_use);
    auto applied = apply_keyboard_source_operation(input, row.operation, kCatalogue);
    EXPECT_EQ(applied ? *applied : applied.error(), row.message) << "row " << i;
    EXPECT_EQ(input.keyboard_layouts, row.sources_after) << "row " << i;
    EXPECT_EQ(input.keyboard_layout, row.in_use_after) << "row " << i;
  }
}

TEST(KeyboardSources, FifthSourceIsRefusedAndTheFileIsUnchanged) {
  TempHome home;
  home.write_preferences(
      R"({"version": 1, "input": {"keyboard_layout": "us", "keyboard_layouts": ["us", "de", "fr", "es"]}})");
  const auto before = home.read_preferences();
  auto outcome = run_keyboard_source_operation(KeyboardSourceOperation::Add{"Italian"}, kCatalogue);
  EXPECT_EQ(outcome, (LocalOutcome{false, "the maximum number of keyboard input sources is already active"}));
  EXPECT_EQ(home.read_preferences(), before);
}

TEST(KeyboardSources, RemovingTheActiveLastSourceIsSaved) {
  TempHome home;
  home.write_preferences(R"({"input": {"keyboard_layout": "fr", "keyboard_layouts": ["us", "de", "fr"]}})");
  auto outcome = run_keyboard_source_operation(KeyboardSourceOperation::Remove{2}, kCatalogue);
  EXPECT_EQ(outcome, (LocalOutcome{true, "keyboard input source removed"}));
  const auto input = input_section(home);
  EXPECT_EQ(input.at("keyboard_layouts"), nlohmann::json::parse(R"(["us", "de"])"));
  EXPECT_EQ(input.at("keyboard_layout"), "de");
}

TEST(InputOperations, ValuesLabelsAndTheirFailures) {
  struct Row {
    InputOperation operation;
    std::string message;
  };
  using I = InputOperation;
  const std::string out_of_range = "input value must be between 0.0 and 1.0";
  const std::vector<Row> rows{
      {I::SetTouchpadPointerSpeed{1.5}, out_of_range},
      {I::SetMousePointerSpeed{std::numeric_limits<double>::quiet_NaN()}, out_of_range},
      {I::SetKeyRepeat{-0.1}, out_of_range},
      {I::SetAccelerationProfile{"Linear"}, "unsupported acceleration profile"},
      {I::SetComposeKey{"Scroll Lock"}, "unsupported compose key"},
      {I::SetActiveSource{"Klingon"}, "keyboard input source is no longer installed"},
      {I::SetActiveSource{"French"}, "keyboard input source is not active on this device"},
  };
  for (std::size_t i = 0; i < rows.size(); ++i) {
    InputPrefs input = with_sources({"us", "de"}, "us");
    const InputPrefs before = input;
    auto applied = apply_input_operation(input, rows[i].operation, kCatalogue);
    ASSERT_FALSE(applied.has_value()) << "row " << i;
    EXPECT_EQ(applied.error(), rows[i].message) << "row " << i;
    EXPECT_EQ(input, before) << "row " << i;
  }

  InputPrefs input = with_sources({"us", "de"}, "us");
  EXPECT_EQ(apply_input_operation(input, I::SetActiveSource{"German"}, kCatalogue), "active keyboard source updated");
  EXPECT_EQ(input.keyboard_layout, "de");
  EXPECT_EQ(apply_input_operation(input, I::SetAccelerationProfile{"Flat"}, kCatalogue), "pointer acceleration updated");
  EXPECT_EQ(input.accel_profile, "flat");
  EXPECT_EQ(apply_input_operation(input, I::SetMousePointerSpeed{1.0}, kCatalogue), "mouse speed updated");
  EXPECT_EQ(input.mouse_pointer_speed, 1.0);
}

TEST(InputOperations, KeyRepeatClearsTheFinerDelayAndRate) {
  TempHome home;
  home.write_preferences(R"({"input": {"key_repeat": 0.2, "key_repeat_delay_ms": 300, "key_repeat_rate_hz": 40}})");
  EXPECT_EQ(run_input_operation(InputOperation::SetKeyRepeat{0.75}, kCatalogue),
            (LocalOutcome{true, "key repeat updated"}));
  const auto saved = preferences::load_preferences().input;
  EXPECT_EQ(saved.key_repeat, 0.75);
  EXPECT_EQ(saved.key_repeat_delay_ms, std::nullopt);
  EXPECT_EQ(saved.key_repeat_rate_hz, std::nullopt);
}

TEST(InputOperations, ComposeKeyIsSetAndDisabledInTheFile) {
  TempHome home;
  EXPECT_EQ(run_input_operation(InputOperation::SetComposeKey{"Right Super"}, kCatalogue),
            (LocalOutcome{true, "compose key updated"}));
  EXPECT_EQ(input_section(home).at("compose_key"), "rwin");
  EXPECT_EQ(run_input_operation(InputOperation::SetComposeKey{"Disabled"}, kCatalogue),
            (LocalOutcome{true, "compose key updated"}));
  const auto input = input_section(home);
  EXPECT_TRUE(!input.contains("compose_key") || input.at("compose_key").is_null()) << input.dump();
  EXPECT_EQ(preferences::load_preferences().input.compose_key, std::nullopt);
}

TEST(InputOperations, AFileThatCannotBeReadIsNotReplaced) {
  TempHome home;
  std::filesystem::create_directories(home.preferences_path());  // a directory where the file belongs
  auto outcome = run_input_operation(InputOperation::SetTapToClick{false}, kCatalogue);
  EXPECT_FALSE(outcome.succeeded);
  EXPECT_TRUE(outcome.message.starts_with("could not persist input preferences: ")) << outcome.message;
  EXPECT_TRUE(std::filesystem::is_directory(home.preferences_path()));
}

// The methods the time service stand-in was asked, in order (dbusmock's own call log).
std::vector<std::string> time_service_calls() {
  auto bus = orvo_dbus::Connection::open(orvo_dbus::Bus::System);
  if (!bus) return {"<no bus>"};
  using Call = sdbus::Struct<std::uint64_t, std::string, std::vector<sdbus::Variant>>;
  auto calls = bus->call<std::vector<Call>>({"org.freedesktop.timedate1", "/org/freedesktop/timedate1"},
                                            "org.freedesktop.DBus.Mock", "GetCalls", std::chrono::seconds(5));
  if (!calls) return {"<" + calls.error().text() + ">"};
  std::vector<std::string> methods;
  for (const auto& call : std::get<0>(*calls)) methods.push_back(call.get<1>());
  return methods;
}

class TimeDateOperations : public ::testing::Test {
 protected:
  void SetUp() override {
    home_.write("usr/share/zoneinfo/zone1970.tab",
                "# comment\nDE\t+5230+01322\tEurope/Berlin\nUS\t+404251-0740023\tAmerica/New_York\n");
  }
  TempHome home_;
};

TEST_F(TimeDateOperations, UnknownZoneNeverReachesTheTimeService) {
  ORVO_STAND_IN_BUS(bus);
  ORVO_STAND_IN_MOCK(bus, "org.freedesktop.timedate1", "--template", "timedated");
  EXPECT_EQ(run_time_date_operation(TimeDateOperation::SetTimezone{"Mars/Olympus_Mons"}),
            (LocalOutcome{false, "time zone is not available on this device"}));
  EXPECT_EQ(time_service_calls(), std::vector<std::string>{});

  EXPECT_EQ(run_time_date_operation(TimeDateOperation::SetTimezone{"Europe/Berlin"}),
            (LocalOutcome{true, "time zone updated"}));
  EXPECT_EQ(time_service_calls(), std::vector<std::string>{"SetTimezone"});
  EXPECT_EQ(run_time_date_operation(TimeDateOperation::SetAutomaticTime{true}),
            (LocalOutcome{true, "automatic time updated"}));
}

TEST_F(TimeDateOperations, MissingServiceAndMissingTzdata) {
  ORVO_STAND_IN_BUS(bus);
  EXPECT_EQ(run_time_date_operation(TimeDateOperation::SetAutomaticTime{false}),
            (LocalOutcome{false, "automatic time could not be changed: the time service is not running"}));
  EXPECT_EQ(run_time_date_operation(TimeDateOperation::SetTimezone{"Europe/Berlin"}),
            (LocalOutcome{false, "time zone could not be changed: the time service is not running"}));
  std::filesystem::remove(home_.root() / "usr/share/zoneinfo/zone1970.tab");
  EXPECT_EQ(run_time_date_operation(TimeDateOperation::SetTimezone{"Europe/Berlin"}),
            (LocalOutcome{false, "time zone is not available on this device"}));
}

TEST_F(TimeDateOperations, HourCycleIsSavedInTheLocaleSection) {
  EXPECT_EQ(run_time_date_operation(TimeDateOperation::SetHourCycle{false}),
            (LocalOutcome{true, "clock format updated"}));
  EXPECT_EQ(preferences::load_locale_preferences().time_format, preferences::TimeFormat::H12);
  EXPECT_EQ(run_time_date_operation(TimeDateOperation::SetHourCycle{true}), (LocalOutcome{true, "clock format updated"}));
  EXPECT_EQ(preferences::load_locale_preferences().time_format, preferences::TimeFormat::H24);
}

}  // namespace
}  // namespace settings::device_local
