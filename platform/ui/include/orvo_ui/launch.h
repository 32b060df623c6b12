#pragma once
// Starting an application: the window (or the offscreen backend), the frame loop and its end.
//
// The environment chooses the backend; the program reads no arguments:
//   ORVO_UI_BACKEND=offscreen   no window, the same loop renders into memory
//   ORVO_UI_SCRIPT=FILE         input events for the offscreen backend, one per line; the run ends after the last
//   ORVO_UI_PNG=FILE            a PNG of the last frame, written when the run ends
//   ORVO_UI_STATE=FILE          the root's state_json, written when the run ends
// An application that accepts outside actions also gets its door in $XDG_RUNTIME_DIR for the
// length of the run (orvo_ui/action_door.h).
#include <cstdint>
#include <expected>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "orvo_ui/app.h"
#include "orvo_ui/event.h"
#include "orvo_ui/text.h"

namespace orvo_ui::launch {

// One line of an offscreen script.
namespace step {
struct Deliver {
  Event event;
};
struct Resize {
  std::uint32_t width;
  std::uint32_t height;
};
struct Frames {
  std::uint32_t count;
};
}  // namespace step
using ScriptStep = std::variant<step::Deliver, step::Resize, step::Frames>;

// Parses a script; a malformed line gives an error naming its line number and text.
std::expected<std::vector<ScriptStep>, std::string> parse_script(std::string_view text);

struct Options {
  enum class Backend : std::uint8_t { Window, Offscreen };
  Backend backend = Backend::Window;
  // Offscreen only: with a script the run ends after its last step; without one it idles until
  // SIGTERM, SIGINT or request_quit.
  std::optional<std::vector<ScriptStep>> script;
  std::string png_path;
  std::string state_path;
  TextRenderer::Metrics metrics = TextRenderer::Metrics::Fonts;
  // Called each time the loop has nothing to do and goes to sleep, with the number of frames run.
  std::function<void(std::uint64_t frames)> on_idle;
};

struct StartError {
  int exit_status;
  std::string message;
};

// Reads the variables above. A missing display with no offscreen backend chosen is status 1, a
// script that cannot be read or parsed status 2.
std::expected<Options, StartError> options_from_environment();

// Runs the loop until the window closes, the script ends or a quit is requested; answers the exit status.
int run(const AppDescriptor& descriptor, const Options& options);

// options_from_environment + run. Prints a one-line error and exits with its status when the toolkit
// cannot start; otherwise returns once the loop has ended normally.
void run_or_exit(const AppDescriptor& descriptor);

// Asks the running loop to end after its current frame. Thread-safe.
void request_quit();

}  // namespace orvo_ui::launch
