#include "orvo_ui/launch.h"

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>

#include "frame_loop.h"
#include "offscreen_backend.h"
#include "orvo_log/log.h"
#include "orvo_runtime/atomic_file.h"
#include "orvo_ui/widget.h"
#include "sdl_backend.h"
#include "window_size_store.h"

namespace orvo_ui {

namespace persist {
std::optional<std::filesystem::path> open(std::string_view app_id) {
  std::filesystem::path base;
  if (const char* state = std::getenv("XDG_STATE_HOME"); state && *state) {
    base = state;
  } else if (const char* home = std::getenv("HOME"); home && *home) {
    base = std::filesystem::path(home) / ".local" / "state";
  } else {
    return std::nullopt;
  }
  std::filesystem::path dir = base / std::string(app_id);
  if (atomic_file::create_private_directories(dir)) return std::nullopt;
  return dir;
}
}  // namespace persist

namespace launch {
namespace {

std::string env(const char* name) {
  const char* value = std::getenv(name);
  return value ? value : "";
}

bool write_text(const std::string& path, const std::string& text) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << text;
  return static_cast<bool>(out);
}

void write_outputs(const Options& options, FrameLoop& loop, OffscreenBackend* offscreen) {
  if (!options.png_path.empty() && offscreen) {
    if (auto written = offscreen->frame().write_png(options.png_path); !written) {
      orvo_log::error("could not write the frame picture", {{"error", written.error()}});
    }
  }
  if (!options.state_path.empty()) {
    std::string state = loop.root().state_json(loop.document(), orvo_doc::kRoot).value_or("null");
    if (!write_text(options.state_path, state + "\n")) {
      orvo_log::error("could not write the state snapshot", {{"path", options.state_path}});
    }
  }
}

// The outside door is a convenience: a run without one (no runtime directory, another instance
// already serving) goes on with a warning.
void open_action_door(FrameLoop& loop, std::string_view app_id, const App& app) {
  if (!app.accepts_external_actions) return;
  auto path = door::socket_path(app_id);
  if (!path) {
    orvo_log::warn("no outside action door", {{"error", path.error()}});
    return;
  }
  if (auto opened = loop.open_action_door(*path); !opened) {
    orvo_log::warn("no outside action door", {{"error", opened.error()}});
  }
}

}  // namespace

void request_quit() { FrameLoop::request_quit(); }

std::expected<Options, StartError> options_from_environment() {
  Options options;
  std::string backend = env("ORVO_UI_BACKEND");
  if (backend == "offscreen") {
    options.backend = Options::Backend::Offscreen;
  } else if (!backend.empty() && backend != "window") {
    return std::unexpected(StartError{1, "unknown ORVO_UI_BACKEND `" + backend + "` (use offscreen or window)"});
  } else if (env("DISPLAY").empty() && env("WAYLAND_DISPLAY").empty()) {
    return std::unexpected(StartError{1, "no display: set DISPLAY (or WAYLAND_DISPLAY), or ORVO_UI_BACKEND=offscreen"});
  }
  options.png_path = env("ORVO_UI_PNG");
  options.state_path = env("ORVO_UI_STATE");
  if (std::string path = env("ORVO_UI_SCRIPT"); !path.empty()) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return std::unexpected(StartError{2, "could not read ORVO_UI_SCRIPT file " + path});
    std::stringstream text;
    text << in.rdbuf();
    auto steps = parse_script(text.str());
    if (!steps) return std::unexpected(StartError{2, steps.error()});
    options.script = std::move(*steps);
  }
  return options;
}

namespace {

void set_minimum_size(FrameLoop& loop, const AppDescriptor& descriptor) {
  if (!descriptor.minimum_window_size) return;
  const WindowSize minimum = descriptor.minimum_window_size();
  loop.set_minimum_size({static_cast<float>(minimum.width), static_cast<float>(minimum.height)});
}

}  // namespace

int run(const AppDescriptor& descriptor, const Options& options) {
  App app;
  if (descriptor.register_actions) descriptor.register_actions(app);
  WindowSize size = descriptor.initial_window_size ? descriptor.initial_window_size() : WindowSize{1280, 800};
  if (size.width == 0 || size.height == 0) size = {1280, 800};
  std::unique_ptr<Widget> root = descriptor.build_root ? descriptor.build_root() : nullptr;
  if (!root) {
    std::fprintf(stderr, "%.*s: the application built no root widget\n", int(descriptor.app_id.size()),
                 descriptor.app_id.data());
    return 1;
  }
  std::string title = std::string(descriptor.app_id);
  if (auto node = root->accessibility(); node && node->label) title = *node->label;

  if (options.backend == Options::Backend::Offscreen) {
    OffscreenBackend backend(size.width, size.height);
    FrameLoop loop(backend, *root, app, options.metrics);
    set_minimum_size(loop, descriptor);
    loop.set_on_idle(options.on_idle);
    open_action_door(loop, descriptor.app_id, app);
    if (options.script) {
      loop.run_script(*options.script, backend);
    } else {
      loop.run_until_quit();
    }
    write_outputs(options, loop, &backend);
    return 0;
  }

  if (options.metrics == TextRenderer::Metrics::Fonts) TextRenderer::preload_fonts();
  // With "remember size" set the window opens at the size it was left at.
  std::optional<std::filesystem::path> state_folder;
  if (descriptor.flags[2] != 0 && descriptor.persistence_opener) {
    state_folder = descriptor.persistence_opener(descriptor.app_id);
  }
  if (state_folder) size = window_size_store::load(*state_folder).value_or(size);
  // The window's class (X11) and app id (Wayland) are the application id, so the desktop can
  // match the window to its entry and icon.
  const std::string app_id(descriptor.app_id);
  ::setenv("SDL_VIDEO_X11_WMCLASS", app_id.c_str(), 1);
  ::setenv("SDL_VIDEO_WAYLAND_WMCLASS", app_id.c_str(), 1);
  auto backend = SdlBackend::open(title, size.width, size.height, descriptor.flags[0] != 0);
  if (!backend) {
    std::fprintf(stderr, "%.*s: %s\n", int(descriptor.app_id.size()), descriptor.app_id.data(),
                 backend.error().c_str());
    return 1;
  }
  FrameLoop loop(**backend, *root, app, options.metrics);
  set_minimum_size(loop, descriptor);
  loop.set_on_idle(options.on_idle);
  loop.set_allow_close(descriptor.allow_close);
  open_action_door(loop, descriptor.app_id, app);
  loop.run_until_quit();
  if (auto failed = (*backend)->start_error()) {
    std::fprintf(stderr, "%.*s: %s\n", int(descriptor.app_id.size()), descriptor.app_id.data(), failed->c_str());
    return 1;
  }
  if (state_folder) {
    const Size left = (*backend)->size();
    window_size_store::save(*state_folder, WindowSize{static_cast<std::uint32_t>(left.width),
                                                      static_cast<std::uint32_t>(left.height)});
  }
  write_outputs(options, loop, nullptr);
  return 0;
}

void run_or_exit(const AppDescriptor& descriptor) {
  auto options = options_from_environment();
  if (!options) {
    std::fprintf(stderr, "%.*s: %s\n", int(descriptor.app_id.size()), descriptor.app_id.data(),
                 options.error().message.c_str());
    std::exit(options.error().exit_status);
  }
  int status = run(descriptor, *options);
  if (status != 0) std::exit(status);
}

}  // namespace launch
}  // namespace orvo_ui
