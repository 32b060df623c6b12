// The Agent Models pane against a recording stand-in of the model manager: the verdict it works out
// when the manager is missing, its polling, the requests it carries out (from its keys and from
// operations the shell hands over) and how each ends, the manager's long calls on workers, and the
// wiping of typed keys.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <future>
#include <mutex>
#include <ostream>
#include <string>
#include <thread>
#include <vector>

#include "harness/pane_harness.h"
#include "harness/stub_programs.h"
#include "model_stub.h"
#include "lib/settings_document.h"
#include "panes/agent_models/agent_models_pane.h"

namespace settings::panes::agent_models {
namespace {

using settings_app::OperationStatus;
using testing::PaneHarness;
using Clock = std::chrono::steady_clock;
namespace op = actions::agent_model_operation;

LocalModelPackage package(std::string id, std::string revision = "r1") {
  LocalModelPackage p;
  p.id = std::move(id);
  p.name = "Compact " + p.id;
  p.revision = std::move(revision);
  p.installed_bytes = 4509715660;  // 4.2 GiB
  return p;
}

InstalledLocalModel installed(std::string id, LocalModelPhase phase) { return {package(std::move(id)), std::move(phase)}; }

LocalModelSnapshot sample_snapshot() {
  LocalModelSnapshot snapshot;
  snapshot.hardware.fit = HardwareFit::Good;
  snapshot.hardware.memory_gib = 16;
  snapshot.recommendation = package("rec", "r7");
  snapshot.models = {installed("idle", phase::Ready{false, std::nullopt}), installed("busy", phase::Ready{true, std::nullopt})};
  snapshot.accelerator_setup = AcceleratorSetup{"pack", accelerator::Available{}};
  return snapshot;
}

// Records every call ("install rec@r7", "start idle", ...). Answers with `failure` when set; while
// `gate` is set, a long call waits for it first, and while `snapshot_gate` is set, a snapshot does
// (counted when it begins).
class FakeManager final : public ModelManagerBackend {
 public:
  std::expected<LocalModelSnapshot, std::string> snapshot() const override {
    std::optional<std::shared_future<void>> wait;
    {
      std::lock_guard guard(lock_);
      ++snapshots;
      wait = snapshot_gate;
    }
    if (wait) wait->wait();
    std::lock_guard guard(lock_);
    if (snapshot_failure) return std::unexpected(*snapshot_failure);
    return current;
  }
  std::expected<void, std::string> install(const LocalModelPackage& p) const override {
    return call("install " + p.id + "@" + p.revision);
  }
  std::expected<void, std::string> start(std::string_view id) const override { return call("start " + std::string(id)); }
  std::expected<void, std::string> stop(std::string_view id) const override { return call("stop " + std::string(id)); }
  std::expected<void, std::string> remove(std::string_view id) const override { return call("remove " + std::string(id)); }
  std::expected<void, std::string> stage_accelerator() const override { return call("stage"); }

  std::vector<std::string> taken_calls() const {
    std::lock_guard guard(lock_);
    return calls;
  }
  int snapshot_count() const {
    std::lock_guard guard(lock_);
    return snapshots;
  }

  mutable std::mutex lock_;
  LocalModelSnapshot current = sample_snapshot();
  std::optional<std::string> snapshot_failure;
  std::optional<std::string> failure;
  std::optional<std::shared_future<void>> gate;
  std::optional<std::shared_future<void>> snapshot_gate;
  mutable std::vector<std::string> calls;
  mutable int snapshots = 0;

 private:
  std::expected<void, std::string> call(std::string what) const {
    std::optional<std::shared_future<void>> wait;
    {
      std::lock_guard guard(lock_);
      calls.push_back(std::move(what));
      wait = gate;
    }
    if (wait) wait->wait();
    std::lock_guard guard(lock_);
    if (failure) return std::unexpected(*failure);
    return {};
  }
};

// Passes until neither a snapshot nor a manager call is awaited.
void settle(AgentModelsPane& pane) {
  PaneHarness::pass(pane);
  for (int i = 0; i < 1000 && pane.busy(); ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
    PaneHarness::pass(pane);
  }
  ASSERT_FALSE(pane.busy());
}

// Waits until the workers' copies of the manager are gone, so no worker outlives the test.
template <typename Manager>
void await_workers(const std::shared_ptr<Manager>& manager, long owners) {
  for (int i = 0; i < 2000 && manager.use_count() > owners; ++i) std::this_thread::sleep_for(std::chrono::milliseconds(5));
  EXPECT_EQ(manager.use_count(), owners);
}

// A pane attached to the harness's cells, with its own document where the page's buttons write.
struct Scene {
  PaneHarness harness;
  std::shared_ptr<FakeManager> manager = std::make_shared<FakeManager>();
  std::optional<AgentModelsPane> pane;

  // Opened, with its first snapshot taken.
  Scene() {
    open();
    settle();
  }
  // Opened while the manager holds its first snapshot back until the gate opens.
  explicit Scene(std::shared_future<void> snapshot_gate) {
    manager->snapshot_gate = std::move(snapshot_gate);
    open();
  }
  ~Scene() {
    pane.reset();
    await_workers(manager, 1);
  }
  void open() {
    pane.emplace(AgentModelsPane::with_backend(manager)
                     .with_pane_operation(harness.operation_cell())
                     .with_operation_status(harness.status_cell()));
    pass();
  }
  orvo_doc::Document& document() { return *pane->own_document(); }
  void press(std::string_view key) { (void)document().put(orvo_doc::kRoot, key, orvo_doc::ScalarValue::boolean(true)); }
  std::optional<bool> flag(std::string_view key) { return lib::read_bool(document(), orvo_doc::kRoot, key); }
  std::string hand(AgentModelOperation operation) { return harness.hand_over(settings_app::PaneOperation(operation)); }
  void pass() { PaneHarness::pass(*pane); }
  // Passes until every snapshot and manager call has answered.
  void settle() { agent_models::settle(*pane); }
};

OperationStatus succeeded(std::string key, std::string message) {
  return OperationStatus::Succeeded{std::move(key), std::move(message)};
}
OperationStatus failed(std::string key, std::string message) { return OperationStatus::Failed{std::move(key), std::move(message)}; }

// --- The verdict without the manager ---

struct MeminfoCase {
  std::optional<std::string> meminfo;
  std::uint16_t gib;
  HardwareFit fit;
};

TEST(AgentModelsFallback, MemoryGivesTheVerdict) {
  const MeminfoCase cases[] = {
      {"MemTotal:       33554432 kB\n", 32, HardwareFit::Excellent},
      {"MemTotal:       33554431 kB\n", 31, HardwareFit::Good},
      {"MemTotal: 8388608 kB\n", 8, HardwareFit::Tight},
      {"MemTotal: 8388607 kB\n", 7, HardwareFit::Unsupported},
      {"MemFree: 1 kB\nMemTotal: lots kB\nMemTotal:\nMemTotal: 16777216 kB\n", 16, HardwareFit::Good},
      {std::nullopt, 8, HardwareFit::Tight},
      {"MemAvailable: 33554432 kB\n", 8, HardwareFit::Tight},
      {"MemTotal: 68719476736 kB\n", 8, HardwareFit::Tight},
      {"MemTotal: 68719476735 kB\n", 65535, HardwareFit::Excellent},
  };
  for (const auto& c : cases) {
    const auto verdict = fallback_recommendation(c.meminfo);
    SCOPED_TRACE(c.meminfo.value_or("(unreadable)"));
    EXPECT_EQ(verdict.memory_gib, c.gib);
    EXPECT_EQ(verdict.fit, c.fit);
    EXPECT_EQ(verdict.accelerator, "Checked by the model service at install");
    EXPECT_FALSE(verdict.accelerator_memory_gib);
    EXPECT_FALSE(verdict.free_storage_gib);
  }
}

TEST(AgentModelsPane, OpensWithoutTheManager) {
  PaneHarness harness;
  harness.home().write("proc/meminfo", "MemTotal:       25165824 kB\nMemFree: 1 kB\n");
  {
    testing::StubPrograms no_programs(harness.home().root() / "stubs");
    auto pane = AgentModelsPane::with_backend(std::make_shared<SystemModelManager>());
    settle(pane);
    EXPECT_TRUE(pane.loaded());
    EXPECT_FALSE(pane.service_available());
    EXPECT_EQ(pane.snapshot().hardware, fallback_recommendation("MemTotal: 25165824 kB"));
    EXPECT_EQ(pane.snapshot().hardware.memory_gib, 24);
    EXPECT_FALSE(pane.snapshot().recommendation);
    EXPECT_TRUE(pane.snapshot().models.empty());
    EXPECT_FALSE(pane.snapshot().accelerator_setup);
    ASSERT_TRUE(pane.status_message());
    EXPECT_TRUE(pane.status_message()->starts_with("The local model service is unavailable (model service is unavailable: "))
        << *pane.status_message();
    EXPECT_TRUE(pane.status_message()->ends_with(
        "). Install or start orvo-model-manager to inspect hardware, install models, or manage local model lifecycle."));
  }
  // With no meminfo at all the device counts as 8 GiB.
  std::filesystem::remove(harness.home().system("/proc/meminfo"));
  auto manager = std::make_shared<FakeManager>();
  manager->snapshot_failure = "model service is unavailable: gone";
  auto pane = AgentModelsPane::with_backend(manager);
  settle(pane);
  EXPECT_EQ(pane.snapshot().hardware.memory_gib, 8);
  EXPECT_EQ(pane.snapshot().hardware.fit, HardwareFit::Tight);
  EXPECT_EQ(*pane.status_message(),
            "The local model service is unavailable (model service is unavailable: gone). Install or start "
            "orvo-model-manager to inspect hardware, install models, or manage local model lifecycle.");
}

// --- Polling ---

TEST(AgentModelsPane, PollsOnlyWhileWorkIsInFlight) {
  PaneHarness harness;
  auto manager = std::make_shared<FakeManager>();
  manager->current.models.push_back(installed("dl", phase::Downloading{1, 10}));
  Clock::time_point now = Clock::now();
  auto pane = AgentModelsPane::with_backend(manager, [&] { return now; });
  settle(pane);
  ASSERT_EQ(manager->snapshot_count(), 1);

  now += std::chrono::milliseconds(500);
  EXPECT_TRUE(pane.update());
  settle(pane);
  EXPECT_EQ(manager->snapshot_count(), 1);
  now += std::chrono::milliseconds(250);
  EXPECT_TRUE(pane.update());
  settle(pane);
  EXPECT_EQ(manager->snapshot_count(), 2);

  // A failing refresh keeps what was shown and says why.
  manager->snapshot_failure = "model service refused snapshot";
  now += std::chrono::milliseconds(750);
  EXPECT_TRUE(pane.update());
  settle(pane);
  EXPECT_EQ(pane.snapshot().models.size(), 3u);
  EXPECT_FALSE(pane.service_available());
  EXPECT_EQ(pane.status_message(), "Could not refresh local models: model service refused snapshot");

  // Nothing in flight: never asked again.
  manager->snapshot_failure.reset();
  manager->current = sample_snapshot();
  manager->current.accelerator_setup->status = accelerator::Active{};
  pane.refresh();
  settle(pane);
  EXPECT_TRUE(pane.service_available());
  EXPECT_FALSE(pane.status_message());
  const int asked = manager->snapshot_count();
  for (int i = 0; i < 3; ++i) {
    now += std::chrono::seconds(10);
    EXPECT_FALSE(pane.update());
    settle(pane);
  }
  EXPECT_EQ(manager->snapshot_count(), asked);

  // A staging accelerator is work in flight too.
  manager->current.accelerator_setup->status = accelerator::Staging{};
  pane.refresh();
  settle(pane);
  EXPECT_TRUE(pane.needs_polling());
}

TEST(AgentModelsPane, OneSnapshotReadAtATime) {
  PaneHarness harness;
  auto manager = std::make_shared<FakeManager>();
  manager->current.models.push_back(installed("dl", phase::Downloading{1, 10}));
  Clock::time_point now = Clock::now();
  auto pane = AgentModelsPane::with_backend(manager, [&] { return now; });
  settle(pane);
  std::promise<void> release;
  manager->snapshot_gate = release.get_future().share();

  now += kPollInterval;
  EXPECT_TRUE(pane.update());
  for (int i = 0; i < 1000 && manager->snapshot_count() < 2; ++i) std::this_thread::sleep_for(std::chrono::milliseconds(5));
  ASSERT_EQ(manager->snapshot_count(), 2);
  // The manager hangs: passes and polls come back, and no poll starts a read beside the one running.
  for (int i = 0; i < 5; ++i) {
    now += std::chrono::seconds(5);
    EXPECT_TRUE(pane.update());
    PaneHarness::pass(pane);
  }
  std::this_thread::sleep_for(std::chrono::milliseconds(20));
  EXPECT_EQ(manager->snapshot_count(), 2);
  EXPECT_TRUE(pane.reading());
  EXPECT_TRUE(pane.needs_idle_sync());

  // A refresh asked for meanwhile (after a request was carried out) follows the running read.
  pane.refresh();
  manager->current.models.back().phase = phase::Ready{false, std::nullopt};
  {
    std::lock_guard guard(manager->lock_);
    manager->snapshot_gate.reset();
  }
  release.set_value();
  settle(pane);
  EXPECT_EQ(manager->snapshot_count(), 3);
  EXPECT_FALSE(pane.needs_polling());
  await_workers(manager, 2);
}

// --- Requests ---

struct RequestCase {
  std::string name;
  std::function<void(Scene&)> act;
  std::vector<std::string> calls;
  std::optional<std::string> message;
  // The status the shell shows afterwards, built from the key handed over (empty when none).
  std::function<OperationStatus(const std::string&)> status;
};

TEST(AgentModelsPane, CarriesOutRequests) {
  const std::vector<RequestCase> cases = {
      {"setup then confirm installs the pinned revision",
       [](Scene& s) {
         s.press(kSetupKey);
         s.pass();
         EXPECT_EQ(s.pane->pending_install(), "rec");
         s.press(kConfirmKey);
       },
       {"install rec@r7"}, std::nullopt, nullptr},
      {"setup then cancel installs nothing",
       [](Scene& s) {
         s.press(kSetupKey);
         s.pass();
         s.press(kCancelKey);
         s.pass();
         EXPECT_FALSE(s.pane->pending_install());
         s.press(kConfirmKey);
       },
       {}, std::nullopt, nullptr},
      {"confirm alone does nothing", [](Scene& s) { s.press(kConfirmKey); }, {}, std::nullopt, nullptr},
      {"two remove presses",
       [](Scene& s) {
         s.press(local_model_control_id("idle", LocalModelAction::Remove));
         s.pass();
         EXPECT_TRUE(s.manager->taken_calls().empty());
         EXPECT_EQ(s.pane->status_message(),
                   "Remove Compact idle? This deletes its 4.2 GiB local snapshot. Tasks and workspace data are unchanged.");
         s.press(local_model_control_id("idle", LocalModelAction::Remove));
       },
       {"remove idle"}, std::nullopt, nullptr},
      {"a remove press on another model asks again",
       [](Scene& s) {
         s.press(local_model_control_id("idle", LocalModelAction::Remove));
         s.pass();
         s.press(local_model_control_id("busy", LocalModelAction::Remove));
         s.pass();
         EXPECT_EQ(s.pane->pending_removal(), "busy");
       },
       {}, "Remove Compact busy? This deletes its 4.2 GiB local snapshot. Tasks and workspace data are unchanged.",
       nullptr},
      {"start failing",
       [](Scene& s) {
         s.manager->failure = "model service refused start";
         s.press(local_model_control_id("idle", LocalModelAction::Start));
       },
       {"start idle"}, "Start failed: model service refused start", nullptr},
      {"typed stop of a running model",
       [](Scene& s) { s.hand(op::Stop{"busy"}); },
       {"stop busy"}, std::nullopt,
       [](const std::string& key) { return succeeded(key, "Stop request accepted by the local model manager"); }},
      {"stop pressed while another operation runs leaves it alone",
       [](Scene& s) {
         s.harness.mark_running("settings.agent-model-operation:\"StageAccelerator\"");
         s.press(local_model_control_id("busy", LocalModelAction::Stop));
       },
       {"stop busy"}, std::nullopt,
       [](const std::string&) {
         return OperationStatus(OperationStatus::Running{"settings.agent-model-operation:\"StageAccelerator\""});
       }},
      {"typed install of another revision",
       [](Scene& s) { s.hand(op::Install{"rec", "r6"}); },
       {}, std::nullopt,
       [](const std::string& key) {
         return failed(key, "Installation could not start: the model or its revision is no longer the recommended one");
       }},
      {"typed install of the recommendation",
       [](Scene& s) { s.hand(op::Install{"rec", "r7"}); },
       {"install rec@r7"}, std::nullopt,
       [](const std::string& key) { return succeeded(key, "Model installation request accepted by the local model manager"); }},
      {"typed remove removes at once",
       [](Scene& s) { s.hand(op::Remove{"idle"}); },
       {"remove idle"}, std::nullopt,
       [](const std::string& key) { return succeeded(key, "Remove… request accepted by the local model manager"); }},
      {"typed start of a running model",
       [](Scene& s) { s.hand(op::Start{"busy"}); },
       {}, std::nullopt,
       [](const std::string& key) {
         return failed(key, "Start failed: the model is not installed or cannot do this now");
       }},
      {"typed retry of a model that is not installed",
       [](Scene& s) { s.hand(op::Retry{"gone", "r1"}); },
       {}, std::nullopt,
       [](const std::string& key) {
         return failed(key, "Retry install failed: the model is not installed or cannot do this now");
       }},
      {"accelerator request refreshes",
       [](Scene& s) { s.hand(op::StageAccelerator{}); },
       {"stage"}, std::nullopt,
       [](const std::string& key) { return succeeded(key, "Accelerator setup request accepted by the local model manager"); }},
      {"accelerator request failing",
       [](Scene& s) {
         s.manager->failure = "model service refused accelerator";
         s.hand(op::StageAccelerator{});
       },
       {"stage"}, "Accelerator setup could not start: model service refused accelerator",
       [](const std::string& key) {
         return failed(key, "Accelerator setup could not start: model service refused accelerator");
       }},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Scene scene;
    const int snapshots = scene.manager->snapshot_count();
    const auto before = scene.harness.status();
    c.act(scene);
    const auto status_then = scene.harness.status();
    scene.settle();
    EXPECT_EQ(scene.manager->taken_calls(), c.calls);
    EXPECT_EQ(scene.pane->status_message(), c.message);
    // Every successful call is followed by a fresh snapshot.
    const bool succeeded_call = !c.calls.empty() && !scene.manager->failure;
    EXPECT_EQ(scene.manager->snapshot_count(), snapshots + (succeeded_call ? 1 : 0));
    if (c.status) {
      const auto* running = std::get_if<OperationStatus::Running>(&status_then);
      EXPECT_EQ(scene.harness.status(), c.status(running ? running->key : std::string()));
    } else {
      EXPECT_EQ(scene.harness.status(), before);
    }
    // No request is left waiting to run by surprise later.
    for (const std::string_view key : {kSetupKey, kConfirmKey, kCancelKey, kAcceleratorSetupKey}) {
      EXPECT_EQ(scene.flag(key), false) << key;
    }
    for (const auto& model : sample_snapshot().models) {
      for (const auto action : phase_actions(model.phase)) {
        EXPECT_EQ(scene.flag(local_model_control_id(model.package.id, action)), false);
      }
    }
  }
}

TEST(AgentModelsPane, AnOperationHandedOverWhileLoadingWaitsForTheFirstSnapshot) {
  std::promise<void> release;
  Scene scene(release.get_future().share());
  // The pass came back while the manager still holds the first snapshot; the page is loading.
  EXPECT_FALSE(scene.pane->loaded());
  EXPECT_TRUE(scene.pane->reading());
  EXPECT_TRUE(scene.pane->needs_idle_sync());
  const std::string start = scene.hand(op::Start{"idle"});
  for (int i = 0; i < 3; ++i) scene.pass();
  // Held, not failed: the models are not known yet.
  EXPECT_TRUE(scene.harness.status().is_running(start));
  EXPECT_TRUE(scene.manager->taken_calls().empty());

  release.set_value();
  scene.settle();
  EXPECT_TRUE(scene.pane->loaded());
  EXPECT_EQ(scene.manager->taken_calls(), std::vector<std::string>{"start idle"});
  EXPECT_EQ(scene.harness.status(), succeeded(start, "Start request accepted by the local model manager"));
  EXPECT_EQ(scene.flag(local_model_control_id("idle", LocalModelAction::Start)), false);
}

TEST(AgentModelsPane, ClosingWhileLoadingEndsTheHeldOperation) {
  std::promise<void> release;
  Scene scene(release.get_future().share());
  const std::string key = scene.hand(op::Remove{"idle"});
  scene.pass();
  scene.pane.reset();
  EXPECT_EQ(scene.harness.status(), failed(key, std::string(kInterruptedSentence)));
  // The first snapshot arrives for nobody.
  release.set_value();
  EXPECT_TRUE(scene.manager->taken_calls().empty());
}

TEST(AgentModelsPane, TypedOperationOfAnAbsentModelIsResetAndEnded) {
  Scene scene;
  const std::string key = scene.hand(op::Start{"later"});
  scene.settle();
  EXPECT_EQ(scene.harness.status(), failed(key, "Start failed: the model is not installed or cannot do this now"));
  EXPECT_EQ(scene.flag(local_model_control_id("later", LocalModelAction::Start)), false);
  // When the model appears, nothing starts by surprise.
  scene.manager->current.models.push_back(installed("later", phase::Ready{false, std::nullopt}));
  scene.pane->refresh();
  scene.settle();
  EXPECT_TRUE(scene.manager->taken_calls().empty());
}

TEST(AgentModelsPane, NoticeBecomesTheStatusMessage) {
  Scene scene;
  (void)scene.pane->notice_cell().publish(std::string("Provider details saved."));
  scene.pass();
  EXPECT_EQ(scene.pane->status_message(), "Provider details saved.");
  EXPECT_EQ(scene.pane->notice_cell().snapshot(), std::nullopt);
}

TEST(AgentModelsPane, TakesOnlyABooleanTrue) {
  orvo_doc::Document document;
  (void)document.put(orvo_doc::kRoot, "text", orvo_doc::ScalarValue::str("true"));
  (void)document.put(orvo_doc::kRoot, "off", orvo_doc::ScalarValue::boolean(false));
  (void)document.put(orvo_doc::kRoot, "on", orvo_doc::ScalarValue::boolean(true));
  EXPECT_FALSE(take_document_flag(document, orvo_doc::kRoot, "text"));
  EXPECT_EQ(lib::read_string(document, orvo_doc::kRoot, "text"), "true");
  EXPECT_FALSE(take_document_flag(document, orvo_doc::kRoot, "off"));
  EXPECT_FALSE(take_document_flag(document, orvo_doc::kRoot, "missing"));
  EXPECT_FALSE(lib::read_scalar(document, orvo_doc::kRoot, "missing"));
  EXPECT_TRUE(take_document_flag(document, orvo_doc::kRoot, "on"));
  EXPECT_EQ(lib::read_bool(document, orvo_doc::kRoot, "on"), false);
  EXPECT_FALSE(take_document_flag(document, orvo_doc::kRoot, "on"));
}

// --- The manager's long calls ---

TEST(AgentModelsPane, LongCallsRunOnAWorker) {
  Scene scene;
  std::promise<void> release;
  scene.manager->gate = release.get_future().share();
  const std::string key = scene.hand(op::Start{"idle"});
  scene.pass();
  // The pass came back while the manager is still busy.
  EXPECT_TRUE(scene.pane->working("idle"));
  EXPECT_FALSE(scene.pane->working("busy"));
  EXPECT_TRUE(scene.harness.status().is_running(key));

  // A second request for the same model is refused; another model's goes ahead.
  scene.press(local_model_control_id("idle", LocalModelAction::Start));
  scene.press(local_model_control_id("busy", LocalModelAction::Stop));
  scene.pass();
  EXPECT_EQ(scene.pane->status_message(), "Start failed: another request for this model is still running");
  EXPECT_TRUE(scene.pane->working("busy"));
  EXPECT_TRUE(scene.harness.status().is_running(key));

  release.set_value();
  scene.settle();
  auto calls = scene.manager->taken_calls();
  std::sort(calls.begin(), calls.end());
  EXPECT_EQ(calls, (std::vector<std::string>{"start idle", "stop busy"}));
  EXPECT_EQ(scene.harness.status(), succeeded(key, "Start request accepted by the local model manager"));
}

constexpr std::string_view kRecommending = R"({"hardware":{"fit":"good","memory_gib":32,"accelerator":"none",
"reason":"Enough memory."},"recommendation":{"id":"tiny-2.5","name":"Tiny","description":"Small.","source":"s",
"revision":"r7","license":"MIT","license_url":"u","download_bytes":1,"installed_bytes":2},"models":[]})";

TEST(AgentModelsPane, FramesGoOnDuringASlowInstall) {
  PaneHarness harness;
  testing::ModelManagerStub stub(harness.home().root() / "stubs");
  stub.answer(kRecommending);
  stub.sleep_on("install", 5);
  auto manager = std::make_shared<SystemModelManager>();
  auto pane = AgentModelsPane::with_backend(manager)
                  .with_pane_operation(harness.operation_cell())
                  .with_operation_status(harness.status_cell());
  testing::PaneInALoop loop(pane);
  loop.frame();
  for (int i = 0; i < 2000 && !pane.loaded(); ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
    loop.frame();
  }
  ASSERT_TRUE(pane.snapshot().recommendation);
  const std::string key = harness.hand_over(settings_app::PaneOperation(AgentModelOperation(op::Install{"tiny-2.5", "r7"})));
  for (int i = 0; i < 10; ++i) loop.frame();
  // Ten frames came and went while the manager still installs.
  EXPECT_TRUE(pane.working("tiny-2.5"));
  EXPECT_TRUE(harness.status().is_running(key));
  for (int i = 0; i < 2000 && pane.calls_in_flight(); ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
    loop.frame();
  }
  EXPECT_EQ(harness.status(), succeeded(key, "Model installation request accepted by the local model manager"));
  EXPECT_EQ(pane.status_message(), std::nullopt);
  await_workers(manager, 2);
}

TEST(AgentModelsPane, ClosingWithACallRunningEndsTheOperation) {
  Scene scene;
  std::promise<void> release;
  scene.manager->gate = release.get_future().share();
  const std::string key = scene.hand(op::Remove{"idle"});
  scene.pass();
  ASSERT_TRUE(scene.pane->working("idle"));
  scene.pane.reset();
  EXPECT_EQ(scene.harness.status(), failed(key, std::string(kInterruptedSentence)));
  // The worker's late reply finds nobody listening.
  release.set_value();
}

// --- Secrets ---

TEST(AgentModelsPane, DroppingThePaneWipesTypedKeys) {
  Scene scene;
  auto held_by_page = scene.pane->key_input("hosted");
  held_by_page->assign("sk-typed-but-unsaved");
  bool wiped_on_destroy = false;
  scene.pane->key_input("other")->assign("sk-other");
  scene.pane->key_input("other")->on_destroy_for_testing([&](std::span<const char> storage) {
    wiped_on_destroy = std::all_of(storage.begin(), storage.end(), [](char c) { return c == 0; });
  });
  scene.pane.reset();
  EXPECT_TRUE(wiped_on_destroy);
  EXPECT_TRUE(held_by_page->empty());
  const auto storage = held_by_page->storage_for_testing();
  EXPECT_TRUE(std::all_of(storage.begin(), storage.end(), [](char c) { return c == 0; }));
}

// --- The root passes polling on ---

class Polling final : public orvo_ui::Widget {
 public:
  explicit Polling(bool answer) : answer_(answer) {}
  std::string_view type_name() const override { return "Polling"; }
  std::string_view name() const override { return "Polling"; }
  void sync(orvo_ui::SyncContext&) override {}
  orvo_ui::NodeId build_layout(orvo_ui::LayoutTree& tree, orvo_ui::LayoutContext&, orvo_ui::NodeMap& nodes) override {
    const orvo_ui::NodeId node = tree.new_with_children(orvo_ui::Style{}, {}).value_or(0);
    nodes[node] = this;
    return node;
  }
  void apply_layout(const orvo_ui::LayoutTree&, orvo_ui::NodeId, double, double) override {}
  void draw(orvo_ui::Scene&, orvo_ui::Affine, orvo_ui::TextRenderer&, const orvo_ui::Theme&,
            const orvo_ui::PresenceContext&) override {}
  void handle_event(const orvo_ui::Event&, orvo_ui::EventContext&) override {}
  orvo_ui::Rect get_rect() const override { return {}; }
  bool update() override {
    ++asked;
    return answer_;
  }
  int asked = 0;

 private:
  bool answer_;
};

TEST(AgentModelsRoot, RootAnswersItsPagesUpdate) {
  for (const bool answer : {true, false}) {
    PaneHarness harness;
    testing::PaneInALoop loop(harness.app(), 1280, 800);
    loop.frame();
    auto page = std::make_unique<Polling>(answer);
    Polling* polling = page.get();
    ASSERT_TRUE(harness.app().shell_mut());
    harness.app().shell_mut()->set_content(std::move(page));
    EXPECT_EQ(harness.app().update(), answer);
    EXPECT_EQ(polling->asked, 1);
    // The loop asks too, every frame.
    loop.frame();
    EXPECT_EQ(polling->asked, 2);
  }
}

}  // namespace
}  // namespace settings::panes::agent_models
