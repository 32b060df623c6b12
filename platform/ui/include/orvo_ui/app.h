#pragma once
// The application object and the descriptor an application hands to the launcher.
#include <array>
#include <cstdint>
#include <expected>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "orvo_actions/executor.h"
#include "orvo_actions/registry.h"

namespace orvo_ui {

class Widget;

// What the launcher hands to the registration hook.
class App {
 public:
  orvo_actions::ActionRegistry& action_registry_mut() { return registry_; }
  const orvo_actions::ActionRegistry& action_registry() const { return registry_; }

  // Set by the registration hook once its namespaces are in: the host then accepts requests from
  // outside and lists the application's actions.
  bool accepts_external_actions = false;
  bool lists_actions = false;

  // Runs on a door thread before an outside request reaches the interface thread, with the resource
  // an invocation names (none for a listing): what the request needs from slow sources is read there.
  // Must be safe to call from any thread, several at once.
  std::function<void(std::optional<std::string_view> resource)> prepare_request;

  // Keeps what a setting action from a control or from outside sets beyond the settings document
  // (the application's own files); see ActionHost::SettingKeeper. None: the document only.
  std::function<std::expected<void, std::string>(const orvo_actions::TypedAction&)> setting_keeper;

 private:
  orvo_actions::ActionRegistry registry_;
};

namespace persist {
// Opens (creating it when missing) the per-application state folder under $XDG_STATE_HOME (else
// ~/.local/state); none when no such folder can be had.
std::optional<std::filesystem::path> open(std::string_view app_id);
}  // namespace persist

struct WindowSize {
  std::uint32_t width = 0;
  std::uint32_t height = 0;
};

struct AppDescriptor {
  std::string_view app_id;
  // Reserved for the toolkit's extension lists and words; applications leave them empty and zero.
  std::array<std::vector<std::string>, 5> reserved_lists{};
  std::array<std::uint64_t, 4> reserved_words_a{};
  std::function<std::unique_ptr<Widget>()> build_root;
  std::array<std::uint64_t, 4> reserved_words_b{};
  std::function<void(App&)> register_actions;
  std::array<std::uint64_t, 4> reserved_words_c{};
  std::function<WindowSize()> initial_window_size;
  // The smallest size the application lays out well at, in points at the interface scale 1; the
  // window cannot be made smaller (it grows with the user's interface scale). Empty: no minimum.
  std::function<WindowSize()> minimum_window_size;
  // Asked when the user closes the window: true lets the application quit.
  std::function<bool()> allow_close;
  std::function<std::optional<std::filesystem::path>(std::string_view)> persistence_opener;
  // [0] resizable window, [1] start full-screen, [2] remember the window size, [3] show in the task switcher.
  std::array<std::uint8_t, 4> flags{};
};

}  // namespace orvo_ui
