#pragma once
// An in-process stand-in for the machine under the Updates pane: the commands of the update
// service answered from a table (with the update check held at a gate until the test opens it),
// firmware listings and installations the test scripts, and worker starts that can be refused or
// swallowed. Every command line is logged; so is every command that ran on the test's own thread
// (the interface thread), which never waits at the gate.
#include <pthread.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "panes/updates/updates_pane.h"
#include "panes/workers/worker_start.h"

namespace settings::panes::updates::testing {

struct Answer {
  int status = 0;
  std::string out;
  std::string err;
};

class FakeUpdateSystem : public std::enable_shared_from_this<FakeUpdateSystem> {
 public:
  static constexpr std::string_view kUpdateLine = "systemctl start --wait orvo-deployment-update.service";

  // How worker threads are started.
  enum class Workers { Run, Refuse, Swallow };

  FakeUpdateSystem() {
    answers_["systemctl is-enabled bootc-fetch-apply-updates.timer"] = {0, "enabled\n", ""};
    answers_["bootc status --format json"] = {0, "{}", ""};
  }

  void answer(const std::string& line, Answer answer) {
    std::lock_guard lock(mutex_);
    answers_[line] = std::move(answer);
  }
  // The update check waits until `open_gate`.
  void close_gate() {
    std::lock_guard lock(mutex_);
    gate_open_ = false;
  }
  void open_gate() {
    {
      std::lock_guard lock(mutex_);
      gate_open_ = true;
    }
    changed_.notify_all();
  }
  // Every command, not just the update check, waits at the gate (except on the interface thread).
  void gate_every_command() {
    std::lock_guard lock(mutex_);
    gate_everything_ = true;
  }
  // Commands run on the thread that calls this are counted in `interface_commands`.
  void watch_interface_thread() {
    std::lock_guard lock(mutex_);
    interface_thread_ = std::this_thread::get_id();
  }
  int interface_commands() const {
    std::lock_guard lock(mutex_);
    return interface_commands_;
  }
  // Waits until the update check has started (it waits at the gate).
  bool wait_for_check(std::chrono::seconds limit = std::chrono::seconds(10)) {
    std::unique_lock lock(mutex_);
    return changed_.wait_for(lock, limit, [&] { return waiting_at_gate_; });
  }

  // Waits until every worker started through the services has ended, so none outlives a test.
  bool wait_for_workers(std::chrono::seconds limit = std::chrono::seconds(10)) {
    std::unique_lock lock(mutex_);
    return changed_.wait_for(lock, limit, [&] { return running_workers_ == 0; });
  }

  // The name of the thread the update check ran on.
  std::string check_thread() const {
    std::lock_guard lock(mutex_);
    return check_thread_;
  }

  std::vector<std::string> log() const {
    std::lock_guard lock(mutex_);
    return log_;
  }
  int count(std::string_view line) const {
    std::lock_guard lock(mutex_);
    return static_cast<int>(std::count(log_.begin(), log_.end(), line));
  }
  void clear_log() {
    std::lock_guard lock(mutex_);
    log_.clear();
  }

  Workers workers = Workers::Run;
  bool timer_obeys = true;
  std::atomic<int> workers_started = 0;
  Listing<os_actions::firmware::FirmwareUpgrade> upgrades = std::vector<os_actions::firmware::FirmwareUpgrade>{};
  Listing<os_actions::firmware::FirmwareHistoryEntry> history = std::vector<os_actions::firmware::FirmwareHistoryEntry>{};
  std::atomic<int> listings = 0;
  FirmwareRefreshMessage refreshed = FirmwareInventory{};
  std::atomic<int> installs = 0;
  std::optional<orvo_runtime::Sender<os_actions::firmware::InstallEvent>> install_events;

  UpdatesServices services() {
    ServiceCommands commands;
    commands.run = [self = shared_from_this()](std::string_view program, std::span<const std::string> arguments,
                                               std::chrono::seconds) { return self->run(program, arguments); };
    UpdatesServices services = UpdatesServices::system(commands);
    services.timestamp = [] { return std::string("2026-12-10 14:05"); };
    auto self = shared_from_this();
    services.refresh_firmware = [self] { return self->refreshed; };
    services.firmware_updates = [self] {
      ++self->listings;
      return self->upgrades;
    };
    services.firmware_history = [self] { return self->history; };
    services.start_firmware_install = [self](std::vector<os_actions::firmware::FirmwareUpgrade>)
        -> std::expected<orvo_runtime::Receiver<os_actions::firmware::InstallEvent>, std::string> {
      ++self->installs;
      auto [sender, receiver] = orvo_runtime::make_channel<os_actions::firmware::InstallEvent>(16);
      self->install_events.emplace(std::move(sender));
      return std::move(receiver);
    };
    services.start_worker = [self](std::string name,
                                   std::function<void()> work) -> std::expected<void, std::string> {
      if (self->workers == Workers::Refuse) return std::unexpected("Resource temporarily unavailable");
      ++self->workers_started;
      if (self->workers == Workers::Swallow) return {};
      {
        std::lock_guard lock(self->mutex_);
        ++self->running_workers_;
      }
      auto finished = [self] {
        {
          std::lock_guard lock(self->mutex_);
          --self->running_workers_;
        }
        self->changed_.notify_all();
      };
      auto started = workers::start_worker(std::move(name), [work = std::move(work), finished] {
        work();
        finished();
      });
      if (!started) finished();
      return started;
    };
    return services;
  }

 private:
  CommandResult run(std::string_view program, std::span<const std::string> arguments) {
    std::string line(program);
    for (const auto& argument : arguments) line += " " + argument;
    std::unique_lock lock(mutex_);
    log_.push_back(line);
    if (interface_thread_ == std::this_thread::get_id()) {
      ++interface_commands_;
    } else if (gate_everything_) {
      changed_.wait(lock, [&] { return gate_open_; });
    }
    if (line == kUpdateLine) {
      char name[16] = {};
      ::pthread_getname_np(::pthread_self(), name, sizeof name);
      check_thread_ = name;
      waiting_at_gate_ = true;
      changed_.notify_all();
      changed_.wait(lock, [&] { return gate_open_; });
      waiting_at_gate_ = false;
    }
    const auto found = answers_.find(line);
    const Answer answer = found == answers_.end() ? Answer{} : found->second;
    // The timer follows a change that succeeded, unless the test says the system ignores it.
    const bool enable = line == "systemctl enable --now bootc-fetch-apply-updates.timer";
    if (timer_obeys && answer.status == 0 && (enable || line == "systemctl disable --now bootc-fetch-apply-updates.timer")) {
      answers_["systemctl is-enabled bootc-fetch-apply-updates.timer"] = {0, enable ? "enabled\n" : "disabled\n", ""};
    }
    bounded_command::Output output;
    output.status.code = answer.status;
    output.standard_output = answer.out;
    output.standard_error = answer.err;
    return output;
  }

  mutable std::mutex mutex_;
  std::condition_variable changed_;
  std::map<std::string, Answer, std::less<>> answers_;
  std::vector<std::string> log_;
  std::string check_thread_;
  bool gate_open_ = true;
  bool gate_everything_ = false;
  std::optional<std::thread::id> interface_thread_;
  int interface_commands_ = 0;
  bool waiting_at_gate_ = false;
  int running_workers_ = 0;
};

}  // namespace settings::panes::updates::testing
