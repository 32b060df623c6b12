// Balance and mono on a sound system that cannot apply them are refused with a sentence: by the
// checks before an operation is handed over, by the pane, and from outside with no sound server.
#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <thread>

#include "../../door/offscreen_app.h"
#include "device_local/device_checks.h"
#include "fake_audio.h"
#include "harness/pane_harness.h"
#include "lib/settings_document.h"
#include "panes/sound/audio_pane.h"

namespace settings::panes::sound::testing {
namespace {

using actions::AudioOperation;
using settings_app::OperationStatus;
using settings_app::PaneOperation;

const std::string kBalance(device_local::kBalanceUnavailable);
const std::string kMono(device_local::kMonoUnavailable);

TEST(AudioOutcomes, BalanceAndMonoNeedASoundSystemThatAppliesThem) {
  using Op = AudioOperation;
  struct Case {
    Op operation;
    media::audio_runtime::RuntimeCapabilities capabilities;
    std::string refusal;  // empty: passes
  };
  const media::audio_runtime::RuntimeCapabilities none{false, false, true, true};
  const media::audio_runtime::RuntimeCapabilities all{true, true, true, true};
  const std::vector<Case> cases = {
      {Op::SetMono{true}, none, kMono},
      {Op::SetMono{false}, none, kMono},
      {Op::SetBalance{0.25}, none, kBalance},
      {Op::SetBalance{2.0}, none, kBalance},
      {Op::SetMono{true}, all, ""},
      {Op::SetBalance{0.25}, all, ""},
      {Op::SetBalance{2.0}, all, "output balance must be between 0 and 1"},
      {Op::SetOutputVolume{0.5}, none, ""},
  };
  for (const auto& test : cases) {
    const auto checked = device_local::check_operation(test.operation, sample_graph(), test.capabilities);
    EXPECT_EQ(checked ? std::string() : checked.error(), test.refusal) << handed_operation_key(PaneOperation(test.operation));
  }

  // The pane refuses them too, and leaves the preferences and the document as they were.
  panes::testing::PaneHarness harness;
  auto audio = std::make_shared<FakeAudio>();
  audio->graph = sample_graph();
  audio->capabilities = none;
  AudioPane pane = AudioPane(fake_services(audio)).with_pane_operation(harness.operation_cell()).with_operation_status(harness.status_cell());
  // Passes until the first read of the sound system has arrived and nothing is in flight.
  const auto settle = [&pane] {
    panes::testing::PaneHarness::pass(pane);
    const auto limit = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while ((pane.probing() || pane.change_in_flight()) && std::chrono::steady_clock::now() < limit) {
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
      panes::testing::PaneHarness::pass(pane);
    }
  };
  settle();
  for (const auto& [operation, refusal] : {std::pair<Op, std::string>{Op::SetMono{true}, kMono}, {Op::SetBalance{0.25}, kBalance}}) {
    const std::string key = harness.hand_over(PaneOperation(operation));
    for (int i = 0; i < 3; ++i) settle();
    EXPECT_EQ(harness.status(), OperationStatus(OperationStatus::Failed{key, refusal}));
  }
  EXPECT_FALSE(pane.applied_mono());
  EXPECT_EQ(pane.applied_balance(), 0.5F);
  EXPECT_EQ(lib::read_bool(*pane.own_document(), orvo_doc::kRoot, kMonoKey), false);
  const auto saved = harness.home().read("config/orvo/settings.json");
  EXPECT_TRUE(!saved || saved->find("\"mono_output\": true") == std::string::npos);
}

TEST(AudioOutcomes, MonoFromOutsideWithoutASoundServerIsRefused) {
  door_tests::OffscreenApp app;
  ASSERT_TRUE(app.start()) << app.process().err();
  const auto run = app.tool({"--timeout", "20", "invoke", "settings.section:sound", "mono", R"({"value":true})"});
  EXPECT_EQ(run.status, 1) << run.out << run.err;
  EXPECT_NE(run.err.find(kMono), std::string::npos) << run.err;
  EXPECT_EQ(run.out.find("Mono output enabled."), std::string::npos) << run.out;
  app.process().signal(SIGTERM);
  EXPECT_EQ(app.process().wait(), 0) << app.process().err();
}

}  // namespace
}  // namespace settings::panes::sound::testing
