#pragma once
// The whole application started offscreen in a temporary home, driven from outside by the client
// tool. The home holds a private runtime folder (the door's socket), a configuration folder with a
// chosen settings.json, and a state folder; it is removed with the object.
#include <stdlib.h>
#include <sys/stat.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "child_process.h"

namespace settings::door_tests {

struct ToolRun {
  std::optional<int> status;
  std::string out;
  std::string err;
};

class OffscreenApp {
 public:
  explicit OffscreenApp(std::string_view settings_json = R"({"input": {"tap_to_click": false}})") {
    char pattern[] = "/tmp/orvo-offscreen-app-XXXXXX";
    const char* made = ::mkdtemp(pattern);
    home_ = made ? std::filesystem::path(made) : std::filesystem::temp_directory_path() / "orvo-offscreen-app";
    std::filesystem::create_directories(runtime());
    ::chmod(runtime().c_str(), 0700);
    std::filesystem::create_directories(config() / "orvo");
    std::ofstream(config() / "orvo/settings.json") << settings_json;
    std::filesystem::create_directories(home_ / "state");
  }
  ~OffscreenApp() {
    app_.reset();
    std::error_code ignored;
    std::filesystem::remove_all(home_, ignored);
  }
  OffscreenApp(const OffscreenApp&) = delete;
  OffscreenApp& operator=(const OffscreenApp&) = delete;

  const std::filesystem::path& home() const { return home_; }
  std::filesystem::path runtime() const { return home_ / "runtime"; }
  std::filesystem::path config() const { return home_ / "config"; }
  std::filesystem::path settings_file() const { return config() / "orvo/settings.json"; }

  // Starts the application with the current environment (so a PATH set by stub programs reaches it)
  // and waits up to 30 s for its door; answers whether the door appeared.
  bool start() {
    env_ = environment(std::nullopt);
    std::filesystem::create_directories(home_ / "app");
    app_ = std::make_unique<ChildProcess>(ORVO_SETTINGS, std::vector<std::string>{}, env_, home_ / "app");
    if (!app_->started()) return false;
    const auto socket = runtime() / "so.orvo.settings.actions.sock";
    for (int i = 0; i < 600 && !std::filesystem::exists(socket); ++i) {
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return std::filesystem::exists(socket);
  }

  // Runs the application on an input script (the offscreen backend's script lines) until the script
  // ends; answers its exit status, none when it could not start or did not end within 60 s.
  std::optional<int> run_script(std::string_view script) {
    std::ofstream(home_ / "script") << script;
    env_ = environment(home_ / "script");
    std::filesystem::create_directories(home_ / "app");
    app_ = std::make_unique<ChildProcess>(ORVO_SETTINGS, std::vector<std::string>{}, env_, home_ / "app");
    if (!app_->started()) return std::nullopt;
    return app_->wait();
  }

  ChildProcess& process() { return *app_; }

  // From the next start on, the run's last frame is written to `png` when it ends.
  void write_png_at_end(std::filesystem::path png) { png_ = std::move(png); }
  // The same, into the home's "last-frame.png" (`last_frame()`).
  void keep_last_frame() { png_ = last_frame(); }
  std::filesystem::path last_frame() const { return home_ / "last-frame.png"; }
  // Ends a started application as the session would (SIGTERM) and answers its exit status.
  std::optional<int> stop() {
    if (!app_) return std::nullopt;
    app_->signal(SIGTERM);
    return app_->wait();
  }

  // Runs orvo-settings-actions with `args` against the running application and waits for it.
  ToolRun tool(const std::vector<std::string>& args) const {
    std::filesystem::create_directories(home_ / "tool");
    ChildProcess run(ORVO_SETTINGS_ACTIONS, args, env_, home_ / "tool");
    auto status = run.wait();
    return ToolRun{status, run.out(), run.err()};
  }

 private:
  std::vector<std::string> environment(const std::optional<std::filesystem::path>& script) const {
    return environment_with({{"ORVO_UI_BACKEND", "offscreen"},
                             {"ORVO_UI_SCRIPT", script ? std::optional(script->native()) : std::nullopt},
                             {"ORVO_UI_PNG", png_ ? std::optional(png_->native()) : std::nullopt},
                             {"ORVO_UI_STATE", (home_ / "state.json").native()},
                             {"XDG_RUNTIME_DIR", runtime().native()},
                             {"XDG_CONFIG_HOME", config().native()},
                             {"XDG_STATE_HOME", (home_ / "state").native()},
                             {"HOME", home_.native()}});
  }

  std::filesystem::path home_;
  std::optional<std::filesystem::path> png_;
  std::vector<std::string> env_;
  std::unique_ptr<ChildProcess> app_;
};

}  // namespace settings::door_tests
