#pragma once
// A Displays pane on stand-in services in a temporary home: a dispatcher whose brightness calls can
// be held, refused and counted, a clock the test moves, and a display snapshot written as the
// compositor writes it.
#include <pthread.h>

#include <chrono>
#include <condition_variable>
#include <fstream>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "harness/pane_harness.h"
#include "lib/settings_document.h"
#include "panes/display/display_pane.h"

namespace settings::panes::display::testing {

// Two outputs: the laptop panel and a 4K monitor (which also shows 1080p).
inline constexpr std::string_view kTwoOutputs = R"({"outputs": [
  {"connector": "HDMI-A-1", "display_name": "Studio", "connected": true,
   "modes": [{"width": 3840, "height": 2160, "refresh_mhz": 60000},
             {"width": 1920, "height": 1080, "refresh_mhz": 50000},
             {"width": 1920, "height": 1080, "refresh_mhz": 60000}],
   "current_mode": {"width": 3840, "height": 2160, "refresh_mhz": 60000},
   "color_profiles": ["srgb"], "color_profile_names": {"srgb": "sRGB"}},
  {"connector": "eDP-1", "display_name": "Panel", "built_in": true, "connected": true,
   "modes": [{"width": 1920, "height": 1080, "refresh_mhz": 60000}],
   "current_mode": {"width": 1920, "height": 1080, "refresh_mhz": 60000}}]})";

inline std::string thread_name() {
  char name[16] = {};
  pthread_getname_np(pthread_self(), name, sizeof name);
  return name;
}

class FakeDispatcher final : public os_actions::Dispatcher {
 public:
  os_actions::DispatchResult set_brightness(float percent) const override {
    std::unique_lock lock(mutex_);
    calls_.push_back(percent);
    thread_ = thread_name();
    changed_.notify_all();
    changed_.wait(lock, [&] { return !held_; });
    if (refusal_) return std::unexpected(*refusal_);
    return {};
  }
  void hold() {
    std::lock_guard lock(mutex_);
    held_ = true;
  }
  void release() {
    std::lock_guard lock(mutex_);
    held_ = false;
    changed_.notify_all();
  }
  void refuse(std::string why) {
    std::lock_guard lock(mutex_);
    refusal_ = std::move(why);
  }
  bool wait_calls(std::size_t count) const {
    std::unique_lock lock(mutex_);
    return changed_.wait_for(lock, std::chrono::seconds(10), [&] { return calls_.size() >= count; });
  }
  std::vector<float> calls() const {
    std::lock_guard lock(mutex_);
    return calls_;
  }
  std::string thread() const {
    std::lock_guard lock(mutex_);
    return thread_;
  }

 private:
  mutable std::mutex mutex_;
  mutable std::condition_variable changed_;
  mutable std::vector<float> calls_;
  mutable std::string thread_;
  bool held_ = false;
  std::optional<std::string> refusal_;
};

struct FakeMachine {
  std::expected<float, std::string> brightness = 0.7f;
  bool sensor = true;
  std::string probe_thread;
  std::chrono::steady_clock::time_point now{};
  std::shared_ptr<FakeDispatcher> dispatcher = std::make_shared<FakeDispatcher>();
};

inline void write_snapshot(std::string_view json) {
  const auto path = settings_store::DisplayHardwareSnapshot::path();
  std::filesystem::create_directories(path.parent_path());
  std::ofstream(path) << json;
}

inline DisplayServices fake_services(const std::shared_ptr<FakeMachine>& machine) {
  DisplayServices services = real_display_services();
  services.get_brightness = [machine] {
    machine->probe_thread = thread_name();
    return machine->brightness;
  };
  services.has_ambient_light_sensor = [machine] { return machine->sensor; };
  services.dispatcher = machine->dispatcher;
  services.now = [machine] { return machine->now; };
  return services;
}

inline settings_app::OperationStatus ended(bool succeeded, const std::string& key, std::string message) {
  using settings_app::OperationStatus;
  return succeeded ? OperationStatus(OperationStatus::Succeeded{key, std::move(message)})
                   : OperationStatus(OperationStatus::Failed{key, std::move(message)});
}

// A pane as the pane table mounts it (or keeping its own status when `reporting` is false), after
// its first pass; the probe's answer has arrived.
struct Mounted {
  explicit Mounted(std::string_view snapshot = kTwoOutputs, bool reporting = true,
                   std::function<void(Mounted&, DisplayServices&)> setup = {}) {
    if (!snapshot.empty()) write_snapshot(snapshot);
    DisplayServices services = fake_services(machine);
    if (setup) setup(*this, services);
    DisplayPane made = DisplayPane(std::move(services)).with_pane_operation(harness.operation_cell());
    pane = reporting ? std::make_unique<DisplayPane>(std::move(made).with_operation_status(harness.status_cell()))
                     : std::make_unique<DisplayPane>(std::move(made));
    pass_until([&] { return !pane->probing(); });
    pass();
  }
  void pass() { panes::testing::PaneHarness::pass(*pane); }
  // Passes until `done` holds (up to 10 s); answers whether it did.
  bool pass_until(const std::function<bool()>& done) {
    const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (std::chrono::steady_clock::now() < until) {
      pass();
      if (done()) return true;
      std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return false;
  }
  // Hands the operation over, runs one pass, and answers its key.
  std::string run(actions::DisplayOperation operation) {
    const std::string key = harness.hand_over(settings_app::PaneOperation(std::move(operation)));
    pass();
    return key;
  }
  orvo_doc::Document& doc() { return *pane->own_document(); }
  std::optional<std::string> text(std::string_view key) { return lib::read_string(doc(), orvo_doc::kRoot, key); }
  std::optional<bool> flag(std::string_view key) { return lib::read_bool(doc(), orvo_doc::kRoot, key); }
  std::optional<double> number(std::string_view key) { return lib::read_f64(doc(), orvo_doc::kRoot, key); }
  void put(std::string_view key, orvo_doc::ScalarValue value) { (void)doc().put(orvo_doc::kRoot, key, std::move(value)); }

  panes::testing::PaneHarness harness;
  std::shared_ptr<FakeMachine> machine = std::make_shared<FakeMachine>();
  std::unique_ptr<DisplayPane> pane;
};

}  // namespace settings::panes::display::testing
