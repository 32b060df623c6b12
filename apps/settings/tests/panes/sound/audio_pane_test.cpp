// The sound pane: construction, the handed-over operations and how each ends, the handlers'
// gating, streams, profiles, the speaker and microphone tests, the graph refresh and the view.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <thread>

#include "fake_audio.h"
#include "harness/pane_harness.h"
#include "lib/settings_document.h"
#include "orvo_log/log.h"
#include "orvo_ui/widgets/button.h"
#include "orvo_ui/widgets/dropdown.h"
#include "panes/sound/audio_pane.h"

namespace settings::panes::sound::testing {
namespace {

using actions::AudioOperation;
using panes::testing::find_widget;
using panes::testing::PaneHarness;
using panes::testing::PaneInALoop;
using panes::testing::texts_of;
using settings_app::OperationStatus;
using settings_app::PaneOperation;

constexpr auto kNever = std::chrono::steady_clock::duration::max();

enum class Mount { Shell, Unattached };

// A pane mounted as the pane table mounts it (or with its own cells only), on a fake sound system,
// seeded by one pass.
struct Mounted {
  explicit Mounted(const std::function<void(FakeAudio&, const PaneHarness&)>& setup = {}, Mount mount = Mount::Shell) {
    audio->graph = sample_graph();
    if (setup) setup(*audio, harness);
    AudioPane built(fake_services(audio));
    built.set_refresh_interval(kNever);
    pane = mount == Mount::Shell ? std::make_unique<AudioPane>(std::move(built)
                                                                   .with_pane_operation(harness.operation_cell())
                                                                   .with_operation_status(harness.status_cell()))
                                 : std::make_unique<AudioPane>(std::move(built).with_pane_operation(harness.operation_cell()));
    pass();
    audio->calls.clear();
  }
  // One pass, and further passes until a change sent to the (fake) platform has answered.
  void pass() {
    PaneHarness::pass(*pane);
    const auto limit = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while ((pane->probing() || pane->change_in_flight()) && std::chrono::steady_clock::now() < limit) {
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
      PaneHarness::pass(*pane);
    }
  }
  std::string hand(AudioOperation operation) {
    std::string key = harness.hand_over(PaneOperation(std::move(operation)));
    pass();
    return key;
  }
  orvo_doc::Document& doc() { return *pane->own_document(); }
  std::optional<double> number(std::string_view key) { return lib::read_f64(doc(), orvo_doc::kRoot, key); }
  std::optional<bool> flag(std::string_view key) { return lib::read_bool(doc(), orvo_doc::kRoot, key); }
  std::optional<std::string> text(std::string_view key) { return lib::read_string(doc(), orvo_doc::kRoot, key); }
  void put(std::string_view key, orvo_doc::ScalarValue value) { (void)doc().put(orvo_doc::kRoot, key, std::move(value)); }

  PaneHarness harness;
  std::shared_ptr<FakeAudio> audio = std::make_shared<FakeAudio>();
  std::unique_ptr<AudioPane> pane;
};

OperationStatus ended(bool succeeded, const std::string& key, std::string message) {
  return succeeded ? OperationStatus(OperationStatus::Succeeded{key, std::move(message)})
                   : OperationStatus(OperationStatus::Failed{key, std::move(message)});
}

void fail(FakeAudio& audio, std::string call) { audio.failures[std::move(call)] = "boom"; }

struct OperationCase {
  std::string_view name;
  AudioOperation operation;
  std::function<void(FakeAudio&)> setup;
  bool succeeded;
  std::string message;
  std::vector<std::string> calls;
  std::string_view warning = {};
};

// Every variant, carried out, refused by the platform, with nothing to do, or on a target the
// graph no longer has; each ends under the key the runner gave it.
TEST(AudioPane, HandedOverOperationsEndUnderTheirKey) {
  using Op = AudioOperation;
  const auto none = [](FakeAudio&) {};
  const std::vector<OperationCase> cases = {
      {"volume", Op::SetOutputVolume{0.4}, none, true, "Output volume set to 40%.", {"set_volume 40"}},
      {"volume that does not survive narrowing", Op::SetOutputVolume{0.1}, none, true, "Output volume set to 10%.",
       {"set_volume 10"}},
      {"volume within 0.001", Op::SetOutputVolume{0.5004}, none, true, "Output volume set to 50%.", {}},
      {"volume refused", Op::SetOutputVolume{0.4}, [](auto& a) { fail(a, "set_volume"); }, false,
       "Output volume could not be changed: boom", {"set_volume 40"}, "audio pane dispatch failed"},
      {"input level", Op::SetInputVolume{0.3}, none, true, "Input level set to 30%.", {"input_level 30"}},
      {"input level refused", Op::SetInputVolume{0.3}, [](auto& a) { fail(a, "input_level"); }, false,
       "Input level could not be changed: boom", {"input_level 30"}, "audio pane dispatch failed"},
      {"mute", Op::SetOutputMuted{true}, none, true, "Output muted.", {"set_mute true"}},
      {"mute unchanged", Op::SetOutputMuted{false}, none, true, "Output unmuted.", {}},
      {"mute refused", Op::SetOutputMuted{true}, [](auto& a) { fail(a, "set_mute"); }, false,
       "Output mute could not be changed: boom", {"set_mute true"}, "audio pane dispatch failed"},
      {"balance", Op::SetBalance{0.25}, none, true, "Output balance set to 25%.", {}},
      {"balance unchanged", Op::SetBalance{0.5}, none, true, "Output balance set to 50%.", {}},
      {"mono", Op::SetMono{true}, none, true, "Mono output enabled.", {}},
      {"mono unchanged", Op::SetMono{false}, none, true, "Mono output disabled.", {}},
      {"output device", Op::SelectOutput{41}, none, true, "Audio output device changed.", {"set_default 41"}},
      {"output device already default", Op::SelectOutput{40}, none, true, "Audio output device changed.", {}},
      {"output device gone", Op::SelectOutput{99}, none, false,
       "Output device could not be changed: audio output device is no longer available", {}},
      {"output device refused", Op::SelectOutput{41}, [](auto& a) { fail(a, "set_default"); }, false,
       "Output device could not be changed: boom", {"set_default 41"}, "audio pane device switch failed"},
      {"input device already default", Op::SelectInput{50}, none, true, "Audio input device changed.", {}},
      {"input device gone", Op::SelectInput{99}, none, false,
       "Input device could not be changed: audio input device is no longer available", {}},
      {"route to a device", Op::RouteStream{71, true, 41}, none, true, "Audio stream route changed.",
       {"route_stream 71 1041"}},
      {"route to the default", Op::RouteStream{70, true, std::nullopt}, none, true, "Audio stream route changed.",
       {"unroute_stream 70"}},
      {"route already applied", Op::RoutePlayback{70, 41}, none, true, "Audio stream route changed.", {}},
      {"recording route", Op::RouteRecording{72, 50}, none, true, "Audio stream route changed.", {"route_stream 72 1050"}},
      {"route of a stream gone", Op::RouteStream{99, true, 40}, none, false,
       "Audio stream route could not be changed: audio stream is no longer available", {}},
      {"route to a device gone", Op::RoutePlayback{70, 99}, none, false,
       "Audio stream route could not be changed: audio route is no longer available", {}},
      {"route to an unknown id", Op::RouteStream{70, true, 99}, none, false,
       "Audio stream route could not be changed: audio route is no longer available", {}},
      {"route refused", Op::RouteStream{70, true, 40}, [](auto& a) { fail(a, "route_stream"); }, false,
       "Audio stream route could not be changed: boom", {"route_stream 70 1040"}, "audio pane stream route failed"},
      {"stream volume", Op::SetStreamVolume{70, 0.3}, none, true, "Audio stream volume changed.",
       {"set_node_volume 70 0.30"}},
      {"stream volume unchanged", Op::SetStreamVolume{70, 0.8}, none, true, "Audio stream volume changed.", {}},
      {"stream volume gone", Op::SetStreamVolume{99, 0.3}, none, false,
       "Audio stream volume could not be changed: audio stream is no longer available", {}},
      {"stream volume refused", Op::SetStreamVolume{70, 0.3}, [](auto& a) { fail(a, "set_node_volume"); }, false,
       "Audio stream volume could not be changed: boom", {"set_node_volume 70 0.30"}, "audio pane stream volume failed"},
      {"stream mute", Op::SetStreamMuted{72, true}, none, true, "Audio stream mute changed.", {"set_node_mute 72 true"}},
      {"stream mute unchanged", Op::SetStreamMuted{72, false}, none, true, "Audio stream mute changed.", {}},
      {"stream mute gone", Op::SetStreamMuted{99, true}, none, false,
       "Audio stream mute could not be changed: audio stream is no longer available", {}},
      {"stream mute refused", Op::SetStreamMuted{72, true}, [](auto& a) { fail(a, "set_node_mute"); }, false,
       "Audio stream mute could not be changed: boom", {"set_node_mute 72 true"}, "audio pane stream mute failed"},
      {"profile", Op::SetDeviceProfile{30, 2}, none, true, "Audio device profile changed.", {"set_device_profile 30 2"}},
      {"profile already active", Op::SetDeviceProfile{30, 1}, none, true, "Audio device profile changed.", {}},
      {"profile unavailable", Op::SetDeviceProfile{30, 3}, none, false,
       "Audio device profile could not be changed: audio profile is no longer available", {}},
      {"profile of a device gone", Op::SetDeviceProfile{99, 1}, none, false,
       "Audio device profile could not be changed: audio hardware is no longer available", {}},
      {"profile refused", Op::SetDeviceProfile{30, 2}, [](auto& a) { fail(a, "set_device_profile"); }, false,
       "Audio device profile could not be changed: boom", {"set_device_profile 30 2"}, "audio profile change failed"},
      {"diagnostics", Op::ToggleDiagnostics{}, none, true, "Speaker diagnostics shown.", {}},
      {"left speaker", Op::TestChannel{true}, none, true, "Left speaker test started.",
       {"channel_test alsa_output.speakers left"}},
      {"right speaker refused", Op::TestChannel{false}, [](auto& a) { fail(a, "channel_test"); }, false,
       "Could not test the right speaker: boom", {"channel_test alsa_output.speakers right"}},
      {"speaker test on a mono output", Op::TestChannel{true}, [](auto& a) { a.graph.sinks[0].channels = 1; }, false,
       "Could not test the left speaker: Speaker test requires a stereo PipeWire sink", {}},
      {"microphone", Op::ToggleMicrophoneMeter{}, none, true, "Microphone level test started for eight seconds.",
       {"meter alsa_input.mic 8000"}},
      {"microphone without a source", Op::ToggleMicrophoneMeter{}, [](auto& a) { a.graph.sources.clear(); }, false,
       "Could not test the microphone: No PipeWire microphone is available", {}},
  };
  for (const OperationCase& c : cases) {
    SCOPED_TRACE(c.name);
    Mounted mounted([&](FakeAudio& audio, const PaneHarness&) { c.setup(audio); });
    orvo_log::CaptureScope log;
    const std::string key = mounted.hand(c.operation);
    EXPECT_EQ(mounted.harness.status(), ended(c.succeeded, key, c.message));
    EXPECT_EQ(mounted.audio->calls, c.calls);
    if (!c.warning.empty()) {
      EXPECT_EQ(log.count(c.warning), 1u);
    }
    // The pass after ends nothing again and calls nothing.
    mounted.audio->calls.clear();
    mounted.pass();
    EXPECT_EQ(mounted.harness.status(), ended(c.succeeded, key, c.message));
    EXPECT_TRUE(mounted.audio->calls.empty());
  }
}

TEST(AudioPane, RefusedChangesReturnTheDocumentToTheAppliedState) {
  Mounted mounted([](FakeAudio& audio, const PaneHarness&) {
    for (const char* call : {"set_volume", "set_mute", "set_default", "unroute_stream", "set_node_volume", "set_device_profile"}) {
      fail(audio, call);
    }
  });
  orvo_log::CaptureScope log;
  mounted.hand(AudioOperation::SetOutputVolume{0.4});
  EXPECT_EQ(mounted.number(kVolumeKey), 0.5);
  EXPECT_EQ(mounted.pane->message(), "Volume could not be changed: boom");
  mounted.hand(AudioOperation::SetOutputMuted{true});
  EXPECT_EQ(mounted.flag(kMutedKey), false);
  mounted.hand(AudioOperation::SelectOutput{41});
  EXPECT_EQ(mounted.text(kOutputDeviceKey), "Built-in Speakers");
  mounted.hand(AudioOperation::RouteStream{70, true, std::nullopt});
  EXPECT_EQ(mounted.text(stream_sink_key(70)), "Wireless Headphones");
  mounted.hand(AudioOperation::SetStreamVolume{70, 0.2});
  EXPECT_NEAR(*mounted.number(stream_volume_key(70)), 0.8, 1e-6);
  mounted.hand(AudioOperation::SetDeviceProfile{30, 2});
  EXPECT_EQ(mounted.text(device_profile_key(30)), "Analog Stereo Output");
  EXPECT_EQ(mounted.pane->message(), "Device profile could not be changed: boom");
  const auto events = log.events();
  const auto route = std::find_if(events.begin(), events.end(), [](const auto& e) { return e.message == "audio pane stream route failed"; });
  ASSERT_NE(route, events.end());
  EXPECT_EQ(route->rendered(), "audio pane stream route failed op=route_stream stream=70 error=boom");
}

TEST(AudioPane, ChangesRunOffTheInterfaceThreadOneAtATime) {
  Mounted mounted;
  std::promise<void> open;
  mounted.audio->gate = open.get_future().share();
  const std::string key = mounted.harness.hand_over(PaneOperation(AudioOperation(AudioOperation::SetOutputVolume{0.4})));
  for (int i = 0; i < 3; ++i) PaneHarness::pass(*mounted.pane);
  EXPECT_TRUE(mounted.pane->change_in_flight());
  EXPECT_EQ(mounted.harness.status(), OperationStatus(OperationStatus::Running{key}));
  open.set_value();
  mounted.pass();
  EXPECT_EQ(mounted.harness.status(), ended(true, key, "Output volume set to 40%."));
  EXPECT_EQ(mounted.audio->calls, std::vector<std::string>{"set_volume 40"});

  // A pane closed while its change runs ends the operation; the late answer is dropped.
  std::promise<void> later;
  mounted.audio->gate = later.get_future().share();
  const std::string muting = mounted.harness.hand_over(PaneOperation(AudioOperation(AudioOperation::SetOutputMuted{true})));
  PaneHarness::pass(*mounted.pane);
  mounted.pane.reset();
  EXPECT_EQ(mounted.harness.status(), ended(false, muting, std::string(kInterruptedSentence)));
  later.set_value();
  while (mounted.audio->answered < 2) std::this_thread::sleep_for(std::chrono::milliseconds(1));
}

TEST(AudioPane, AnOperationHandedOverBeforeTheFirstReadingWaitsForIt) {
  PaneHarness harness;
  auto audio = std::make_shared<FakeAudio>();
  audio->graph = sample_graph();
  std::promise<void> open;
  audio->gate = open.get_future().share();
  AudioPane pane =
      AudioPane(fake_services(audio)).with_pane_operation(harness.operation_cell()).with_operation_status(harness.status_cell());
  const std::string key = harness.hand_over(PaneOperation(AudioOperation(AudioOperation::SetOutputVolume{0.4})));
  PaneHarness::pass(pane);
  EXPECT_TRUE(pane.probing());
  EXPECT_FALSE(harness.operation_cell().snapshot().has_value()) << "taken in the first pass";
  EXPECT_EQ(harness.status(), OperationStatus(OperationStatus::Running{key}));
  open.set_value();
  const auto limit = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  do {
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
    PaneHarness::pass(pane);
  } while ((pane.probing() || pane.change_in_flight()) && std::chrono::steady_clock::now() < limit);
  EXPECT_EQ(harness.status(), ended(true, key, "Output volume set to 40%."));
  EXPECT_EQ(audio->calls, std::vector<std::string>{"set_volume 40"});
}

TEST(AudioPane, OnlyTheRunningOperationsChangeIsCarriedOut) {
  Mounted mounted;
  // Another audio operation runs: a change of the output volume in the document is undone unreported.
  mounted.put(kVolumeKey, orvo_doc::ScalarValue::f64(0.9));
  const std::string key = mounted.hand(AudioOperation::SetInputVolume{0.3});
  EXPECT_EQ(mounted.harness.status(), ended(true, key, "Input level set to 30%."));
  EXPECT_EQ(mounted.audio->calls, std::vector<std::string>{"input_level 30"});
  EXPECT_EQ(mounted.number(kVolumeKey), 0.5);

  // A running operation of another area keeps the handlers idle.
  mounted.audio->calls.clear();
  mounted.harness.mark_running("settings.display-operation:{\"SetBrightness\":{\"value\":0.5}}");
  mounted.put(kVolumeKey, orvo_doc::ScalarValue::f64(0.9));
  mounted.pass();
  EXPECT_EQ(mounted.number(kVolumeKey), 0.9);
  EXPECT_TRUE(mounted.audio->calls.empty());
  // An audio operation left Running with nobody's change in hand undoes it without a report.
  mounted.harness.mark_running("settings.audio-operation:\"ToggleDiagnostics\"");
  mounted.pass();
  EXPECT_EQ(mounted.number(kVolumeKey), 0.5);
  EXPECT_TRUE(std::holds_alternative<OperationStatus::Running>(mounted.harness.status()));
  EXPECT_FALSE(mounted.pane->speaker_tests_shown());
}

TEST(AudioPane, AnOperationOfAnotherAreaStaysInTheCell) {
  Mounted mounted;
  const PaneOperation other(actions::DisplayOperation(actions::DisplayOperation::SetBrightness{0.5}));
  mounted.harness.hand_over(other);
  mounted.pass();
  EXPECT_EQ(mounted.harness.operation_cell().snapshot(), other);
}

TEST(AudioPane, PreferencesAreSavedAndASaveFailureIsReported) {
  {
    Mounted mounted;
    mounted.hand(AudioOperation::SetBalance{0.25});
    mounted.hand(AudioOperation::SetMono{true});
    mounted.hand(AudioOperation::SelectOutput{41});
    const auto saved = mounted.harness.home().read("config/orvo/settings.json");
    ASSERT_TRUE(saved);
    EXPECT_NE(saved->find("\"balance\": 0.25"), std::string::npos) << *saved;
    EXPECT_NE(saved->find("\"mono_output\": true"), std::string::npos);
    EXPECT_NE(saved->find("\"output_device\": \"Wireless Headphones\""), std::string::npos);
    EXPECT_EQ(mounted.pane->message(), "Mono output is active for this desktop session.");
  }
  // A settings file that cannot be read is never written over.
  Mounted mounted([](FakeAudio&, const PaneHarness& harness) {
    std::filesystem::create_directories(harness.home().config() / "orvo/settings.json");
  });
  orvo_log::CaptureScope log;
  std::string key = mounted.hand(AudioOperation::SetMono{true});
  const OperationStatus status = mounted.harness.status();
  const auto* failed = std::get_if<OperationStatus::Failed>(&status);
  ASSERT_TRUE(failed);
  EXPECT_TRUE(failed->message.starts_with("Audio preference could not be saved: ")) << failed->message;
  EXPECT_EQ(mounted.flag(kMonoKey), false);
  EXPECT_FALSE(mounted.pane->applied_mono());
  key = mounted.hand(AudioOperation::SelectOutput{41});
  EXPECT_EQ(mounted.harness.status(), ended(true, key, "Audio output device changed."));
  EXPECT_EQ(mounted.pane->default_output_name(), "Wireless Headphones");
  EXPECT_EQ(log.count("failed to persist audio prefs"), 2u);
}

TEST(AudioPane, ConstructionProbesAndTheirFallbacks) {
  struct Case {
    std::optional<std::string> answer;
    double input_level;
  };
  for (const Case& c : {Case{"Volume: 0.40 [MUTED]\n", 0.4}, Case{"Volume:\n", 0.75}, Case{"Volume: 1.7", 1.0},
                        Case{"Volume: loud", 0.75}, Case{std::nullopt, 0.75}}) {
    SCOPED_TRACE(c.answer.value_or("(failed)"));
    Mounted mounted([&](FakeAudio& audio, const PaneHarness&) {
      audio.input_answer = c.answer;
      audio.volume_state = std::unexpected("no sound server");
    });
    EXPECT_NEAR(*mounted.number(kInputVolumeKey), c.input_level, 1e-6);
    EXPECT_EQ(mounted.number(kVolumeKey), 0.5);
    EXPECT_EQ(mounted.flag(kMutedKey), false);
  }
  // Without a graph the device lists come from `wpctl status`.
  Mounted listed([](FakeAudio& audio, const PaneHarness&) {
    audio.graph = {};
    audio.status_answer = "Audio\n ├─ Sinks:\n │  *   48. Desk Speakers  [vol: 0.40]\n │      49. HDMI Output\n";
  });
  ASSERT_EQ(listed.pane->output_devices().size(), 2u);
  EXPECT_EQ(listed.pane->default_output_name(), "Desk Speakers");
  EXPECT_EQ(listed.text(kOutputDeviceKey), "Desk Speakers");
}

TEST(AudioPane, PreferredDevicesAreMadeDefaultByDescription) {
  Mounted mounted([](FakeAudio& audio, const PaneHarness& harness) {
    harness.home().write("config/orvo/settings.json",
                         R"({"audio": {"event_sounds": true, "chat_join": true, "chat_leave": true,
                              "output_device": "Wireless Headphones", "input_device": "Missing Mic"}})");
    (void)audio;
  });
  // The calls of the construction were cleared by the fixture: look at the result.
  EXPECT_EQ(mounted.pane->default_output_name(), "Wireless Headphones");
  EXPECT_EQ(mounted.text(kOutputDeviceKey), "Wireless Headphones");
  EXPECT_EQ(mounted.pane->default_input_name(), "Built-in Microphone");
  ASSERT_EQ(mounted.pane->output_devices().size(), 2u);
  EXPECT_FALSE(mounted.pane->output_devices()[0].is_default);
  EXPECT_TRUE(mounted.pane->output_devices()[1].is_default);
}

TEST(AudioPane, StreamsAreAdoptedOnceAndFollowTheirDocumentKeys) {
  Mounted mounted({}, Mount::Unattached);
  AudioPane& pane = *mounted.pane;
  // A stream without a reported volume enters at full volume; routes read "Default" on the default node.
  EXPECT_EQ(mounted.number(stream_volume_key(71)), 1.0);
  EXPECT_EQ(mounted.text(stream_sink_key(71)), "Default");
  EXPECT_EQ(mounted.text(stream_sink_key(70)), "Wireless Headphones");
  EXPECT_EQ(mounted.text(stream_sink_key(72)), "Default");

  // A change of 0.0005 is no change.
  mounted.put(stream_volume_key(70), orvo_doc::ScalarValue::f64(0.8005));
  mounted.pass();
  EXPECT_TRUE(mounted.audio->calls.empty());
  // A description no output carries routes the stream to the default.
  mounted.put(stream_sink_key(70), orvo_doc::ScalarValue::str("Unplugged Speakers"));
  mounted.pass();
  EXPECT_EQ(mounted.audio->calls, std::vector<std::string>{"unroute_stream 70"});

  // After a topology change the maps keep only streams still present; a new id is adopted afresh.
  mounted.audio->graph.playback_streams.erase(mounted.audio->graph.playback_streams.begin());
  mounted.audio->graph.playback_streams.push_back({"Music", std::nullopt, std::nullopt, 0.3F, 80, true, true});
  pane.set_refresh_interval(std::chrono::steady_clock::duration::zero());
  mounted.pass();
  EXPECT_EQ(pane.known_streams(), (std::set<std::uint32_t>{71, 72, 80}));
  EXPECT_FALSE(pane.applied_stream_routes().contains(70));
  EXPECT_FALSE(pane.applied_stream_volumes().contains(70));
  EXPECT_FALSE(pane.applied_stream_mutes().contains(70));
  EXPECT_NEAR(*mounted.number(stream_volume_key(80)), 0.3, 1e-6);
  EXPECT_EQ(mounted.flag(stream_muted_key(80)), true);
}

TEST(AudioPane, SpeakerAndMicrophoneTests) {
  Mounted mounted;
  AudioPane& pane = *mounted.pane;
  FakeAudio& audio = *mounted.audio;
  mounted.hand(AudioOperation::TestChannel{false});
  const std::string key = mounted.hand(AudioOperation::TestChannel{true});
  ASSERT_EQ(audio.speaker_tests.size(), 2u);
  EXPECT_TRUE(audio.speaker_tests[0]->dropped);
  EXPECT_FALSE(audio.speaker_tests[1]->dropped);
  EXPECT_EQ(mounted.harness.status(), ended(true, key, "Left speaker test started."));
  EXPECT_EQ(pane.message(), "Playing a short left-channel tone…");
  audio.speaker_tests[1]->running = false;
  mounted.pass();
  EXPECT_FALSE(pane.speaker_test_running());
  EXPECT_EQ(pane.message(), "Speaker test finished.");

  // Hiding the diagnostics ends a running tone.
  mounted.hand(AudioOperation::ToggleDiagnostics{});
  mounted.hand(AudioOperation::TestChannel{true});
  const std::string hidden = mounted.hand(AudioOperation::ToggleDiagnostics{});
  EXPECT_EQ(mounted.harness.status(), ended(true, hidden, "Speaker diagnostics hidden."));
  EXPECT_TRUE(audio.speaker_tests.back()->dropped);
  EXPECT_EQ(mounted.flag(kAdvancedKey), false);

  // The meter: small level moves do not rebuild the view; a second request stops it.
  mounted.hand(AudioOperation::ToggleMicrophoneMeter{});
  (void)pane.take_structure_dirty();
  auto& meter = *audio.meters.back();
  const std::pair<float, bool> moves[] = {{0.40F, true}, {0.41F, false}, {0.42F, true}, {0.435F, false}};
  for (const auto& [level, rebuilds] : moves) {
    meter.level = level;
    mounted.pass();
    EXPECT_EQ(pane.take_structure_dirty(), rebuilds) << level;
  }
  const std::string stop = mounted.hand(AudioOperation::ToggleMicrophoneMeter{});
  EXPECT_EQ(mounted.harness.status(), ended(true, stop, "Microphone test stopped; no audio was saved."));
  EXPECT_EQ(pane.message(), "Microphone test stopped; no audio was saved.");
  EXPECT_TRUE(meter.dropped);

  // A meter that ends by itself.
  mounted.hand(AudioOperation::ToggleMicrophoneMeter{});
  audio.meters.back()->running = false;
  mounted.pass();
  EXPECT_FALSE(pane.microphone_meter_running());
  EXPECT_EQ(pane.message(), "Microphone test finished; no audio was saved.");
}

TEST(AudioPane, GraphRefreshFollowsTheTopology) {
  Mounted mounted;
  AudioPane& pane = *mounted.pane;
  FakeAudio& audio = *mounted.audio;
  mounted.hand(AudioOperation::TestChannel{true});
  mounted.hand(AudioOperation::ToggleMicrophoneMeter{});
  (void)pane.take_structure_dirty();

  // The maximum interval never refreshes.
  audio.graph.sinks.pop_back();
  mounted.pass();
  EXPECT_EQ(pane.output_devices().size(), 2u);

  // A zero interval refreshes on every pass; a volume-only change keeps the graph and the tests.
  pane.set_refresh_interval(std::chrono::steady_clock::duration::zero());
  audio.graph = sample_graph();
  audio.graph.playback_streams[0].volume = 0.1F;
  mounted.pass();
  EXPECT_TRUE(pane.speaker_test_running());
  EXPECT_FALSE(pane.take_structure_dirty());

  // A changed topology stops both tests, rebuilds the device lists and the view.
  audio.graph.sinks.pop_back();
  audio.graph.playback_streams.erase(audio.graph.playback_streams.begin());
  mounted.pass();
  EXPECT_EQ(pane.output_devices().size(), 1u);
  EXPECT_FALSE(pane.speaker_test_running());
  EXPECT_FALSE(pane.microphone_meter_running());
  EXPECT_TRUE(audio.speaker_tests.back()->dropped);
  EXPECT_TRUE(audio.meters.back()->dropped);
  EXPECT_FALSE(pane.known_streams().contains(70));
  EXPECT_TRUE(pane.take_structure_dirty());
  // Profiles applied before stay.
  EXPECT_EQ(pane.applied_device_profiles().at(30), "Analog Stereo Output");
}

TEST(AudioPane, SeedingHappensOnce) {
  Mounted mounted({}, Mount::Unattached);
  EXPECT_EQ(mounted.flag(kAdvancedKey), false);
  EXPECT_EQ(mounted.text(device_profile_key(30)), "Analog Stereo Output");
  // A change made after seeding is carried out, not overwritten by a second seeding.
  mounted.put(kVolumeKey, orvo_doc::ScalarValue::f64(0.7));
  mounted.pass();
  EXPECT_EQ(mounted.audio->calls, std::vector<std::string>{"set_volume 70"});
  mounted.pass();
  EXPECT_EQ(mounted.number(kVolumeKey), 0.7);
  EXPECT_NEAR(mounted.pane->applied_output_volume(), 0.7, 1e-6);
}

// --- the view ---

struct Shown {
  explicit Shown(const std::function<void(FakeAudio&)>& setup = {}, Mount mount = Mount::Shell)
      : mounted([&](FakeAudio& audio, const PaneHarness&) {
          if (setup) setup(audio);
        }, mount),
        loop(*mounted.pane, 1280, 800) {}
  orvo_ui::Widget* find(std::string_view id) { return find_widget(*mounted.pane, id); }
  // Frames until a change sent to the platform has answered.
  void frames() {
    loop.frame();
    const auto limit = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (mounted.pane->change_in_flight() && std::chrono::steady_clock::now() < limit) {
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
      loop.frame();
    }
  }
  std::optional<std::string> placeholder(std::string_view id) {
    auto* dropdown = dynamic_cast<orvo_ui::Dropdown*>(find(id));
    if (!dropdown) return std::nullopt;
    return dropdown->accessibility()->label;
  }
  bool shows(std::string_view text) {
    const auto texts = texts_of(*mounted.pane);
    return std::find(texts.begin(), texts.end(), text) != texts.end();
  }
  Mounted mounted;
  PaneInALoop loop;
};

TEST(AudioPaneView, ShowsTheDevicesStreamsAndProfiles) {
  Shown shown;
  EXPECT_TRUE(shown.find("audio.output_device"));
  EXPECT_FALSE(shown.find("audio.input_device"));  // one microphone: no choice
  EXPECT_TRUE(shown.find("audio.volume"));
  EXPECT_TRUE(shown.find("audio.mute"));
  EXPECT_TRUE(shown.find("audio.balance"));
  EXPECT_TRUE(shown.find("audio.mono"));
  EXPECT_TRUE(shown.find("settings.audio.advanced"));
  EXPECT_FALSE(shown.find("settings.audio.test.left"));
  EXPECT_EQ(shown.placeholder("audio.profile.30"), "Analog Stereo Output");
  EXPECT_FALSE(shown.find("audio.profile.31"));  // one available profile
  EXPECT_TRUE(shown.shows("AAC codec"));
  EXPECT_TRUE(shown.find("audio.stream.70.sink.dd"));
  EXPECT_TRUE(shown.find("audio.stream.71.volume.sl"));
  EXPECT_TRUE(shown.find("audio.stream.72.muted.tg"));
  EXPECT_EQ(shown.placeholder("audio.stream.70.sink.dd"), "Wireless Headphones");
  EXPECT_TRUE(shown.shows("Night Drive"));
  EXPECT_TRUE(shown.shows("Microphone test records no audio"));
}

TEST(AudioPaneView, HidesWhatTheDevicesCannotDo) {
  Shown shown([](FakeAudio& audio) {
    audio.graph.sinks.pop_back();
    audio.graph.sinks[0].channels = 1;
    audio.graph.devices[0].active_profile = 9;
    audio.graph.playback_streams.clear();
    audio.graph.recording_streams.clear();
  });
  EXPECT_FALSE(shown.find("audio.output_device"));
  EXPECT_FALSE(shown.find("audio.balance"));
  EXPECT_FALSE(shown.find("audio.mono"));
  EXPECT_FALSE(shown.find("settings.audio.advanced"));
  EXPECT_EQ(shown.placeholder("audio.profile.30"), "Choose a profile");
  EXPECT_TRUE(shown.shows("No applications are playing audio."));
  EXPECT_TRUE(shown.shows("No applications are recording."));
  const auto texts = texts_of(*shown.mounted.pane);
  const auto output = std::find(texts.begin(), texts.end(), "Output");
  ASSERT_NE(output, texts.end());
  EXPECT_EQ(*std::next(output), "Volume");
}

TEST(AudioPaneView, FollowsTheTestsAndTheMeter) {
  Shown shown;
  shown.mounted.hand(AudioOperation::ToggleDiagnostics{});
  shown.loop.frame();
  EXPECT_TRUE(shown.find("settings.audio.test.left"));
  EXPECT_TRUE(shown.find("settings.audio.test.right"));
  auto* toggle = dynamic_cast<orvo_ui::Button*>(shown.find("settings.audio.advanced"));
  ASSERT_TRUE(toggle);
  EXPECT_EQ(toggle->label(), "Hide speaker test");
  shown.mounted.hand(AudioOperation::ToggleMicrophoneMeter{});
  shown.mounted.audio->meters.back()->level = 0.456F;
  shown.loop.frame();
  EXPECT_TRUE(shown.shows("Input activity: 46%"));
  auto* stop = dynamic_cast<orvo_ui::Button*>(shown.find("settings.audio.mic_test"));
  ASSERT_TRUE(stop);
  EXPECT_EQ(stop->label(), "Stop test");
}

TEST(AudioPaneView, ControlsChangeTheMachineByMouseAndKeyboard) {
  Shown shown({}, Mount::Unattached);
  auto* mute = shown.find("audio.mute");
  ASSERT_TRUE(mute);
  shown.loop.click(*mute);
  shown.frames();
  EXPECT_EQ(shown.mounted.audio->calls, std::vector<std::string>{"set_mute true"});
  // Space on the focused toggle flips it back.
  shown.loop.press(orvo_ui::NamedKey::Space);
  shown.frames();
  EXPECT_EQ(shown.mounted.audio->calls, (std::vector<std::string>{"set_mute true", "set_mute false"}));
  EXPECT_TRUE(shown.mounted.pane->output_muted() == false);
}

}  // namespace
}  // namespace settings::panes::sound::testing
