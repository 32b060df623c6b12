#include "sdl_backend.h"

#include <SDL.h>

#include <pthread.h>
#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cctype>
#include <cmath>
#include <cstring>
#include <mutex>
#include <optional>
#include <thread>
#include <utility>

#include "orvo_ui/launch.h"
#include "orvo_ui/icon.h"
#include "orvo_ui/render.h"
#include "orvo_ui/scene.h"
#include "orvo_ui/text.h"
#include "orvo_ui/theme.h"

namespace orvo_ui {

struct SdlBackend::State {
  SDL_Window* window = nullptr;
  Uint32 wake_event = 0;
  std::vector<SDL_Event> held;  // an event taken while waiting, delivered with the next batch
  bool shown = false;
  bool icon_set = false;

  // The window system starts on a helper thread while the loop prepares the first frame; the loop's
  // thread joins it (`ensure_started`) before its first use of SDL, and uses SDL alone from then on.
  Size requested;
  std::thread starting;
  std::atomic<bool> start_finished{false};
  std::optional<std::string> start_error;
  std::optional<std::string> pending_title;
  std::optional<Size> pending_minimum;
  std::mutex wake_mutex;
  bool accepts_wakes = false;  // under wake_mutex: SDL's event queue exists
  bool wake_pending = false;   // under wake_mutex: a signal() came before it did
};

namespace {

void apply_minimum_size(SDL_Window* window, Size size) {
  SDL_SetWindowMinimumSize(window, static_cast<int>(std::ceil(size.width)), static_cast<int>(std::ceil(size.height)));
}

// Asks the kernel to back the pixel buffer with memory now, in one call, rather than one page
// fault at a time when the first frame is copied in.
void prefault(void* pixels, std::size_t bytes) {
  const auto page = static_cast<std::uintptr_t>(::sysconf(_SC_PAGESIZE));
  const auto begin = reinterpret_cast<std::uintptr_t>(pixels) & ~(page - 1);
  const auto end = reinterpret_cast<std::uintptr_t>(pixels) + bytes;
  if (::madvise(reinterpret_cast<void*>(begin), end - begin, MADV_POPULATE_WRITE) != 0) {
    std::memset(pixels, 0, bytes);
  }
}

void name_thread(const char* name) { (void)pthread_setname_np(pthread_self(), name); }

// The application icon (a gear on the accent colour) for the window manager's task switcher.
void set_window_icon(SDL_Window* window) {
  constexpr int kSide = 64;
  SDL_Surface* surface = SDL_CreateRGBSurfaceWithFormat(0, kSide, kSide, 32, SDL_PIXELFORMAT_RGB888);
  if (!surface) return;
  const Theme theme = Theme::dark();
  Scene scene;
  Icon::Settings.draw(scene, {8, 8, kSide - 8.0, kSide - 8.0}, theme.accent_text, Affine::identity(), 2.25);
  TextRenderer text(TextRenderer::Metrics::Fixed);
  SDL_LockSurface(surface);
  render_into(scene, text, static_cast<std::uint8_t*>(surface->pixels), kSide, kSide, surface->pitch, 1.0, theme.accent);
  SDL_UnlockSurface(surface);
  SDL_SetWindowIcon(window, surface);
  SDL_FreeSurface(surface);
}

}  // namespace

std::expected<std::unique_ptr<SdlBackend>, std::string> SdlBackend::open(const std::string& title, std::uint32_t width,
                                                                         std::uint32_t height, bool resizable) {
  std::unique_ptr<SdlBackend> backend(new SdlBackend());
  backend->state_ = std::make_unique<State>();
  State& state = *backend->state_;
  state.requested = {static_cast<float>(width), static_cast<float>(height)};
  state.starting = std::thread([&state, title, width, height, resizable] {
    name_thread("window-start");
    state.start_error = start_window(state, title, width, height, resizable);
    SDL_TLSCleanup();  // SDL's per-thread data (its error text) goes with this thread
    state.start_finished = true;
  });
  return backend;
}

// Runs on the helper thread: SDL and a hidden window. Answers the error, if any.
std::optional<std::string> SdlBackend::start_window(State& state, const std::string& title, std::uint32_t width,
                                                    std::uint32_t height, bool resizable) {
  SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
  SDL_SetHint(SDL_HINT_VIDEO_X11_NET_WM_BYPASS_COMPOSITOR, "0");
  if (SDL_Init(SDL_INIT_VIDEO | SDL_INIT_EVENTS) != 0) {
    return std::string("could not open a window: ") + SDL_GetError();
  }
  const char* driver = SDL_GetCurrentVideoDriver();
  if (driver && (std::string_view(driver) == "offscreen" || std::string_view(driver) == "dummy")) {
    SDL_Quit();
    return "no display: set DISPLAY (or WAYLAND_DISPLAY), or ORVO_UI_BACKEND=offscreen";
  }
  // The window stays hidden until its first frame is drawn, so that it appears with its content
  // rather than empty for as long as the first layout and drawing take.
  Uint32 flags = SDL_WINDOW_HIDDEN | (resizable ? SDL_WINDOW_RESIZABLE : 0);
  SDL_Window* window = SDL_CreateWindow(title.c_str(), SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED,
                                        static_cast<int>(width), static_cast<int>(height), flags);
  if (!window) {
    std::string error = SDL_GetError();
    SDL_Quit();
    return "could not open a window: " + error;
  }
  state.window = window;
  state.wake_event = SDL_RegisterEvents(1);
  SDL_StartTextInput();
  // The window's pixel buffer (shared with the X server) is made here, beside the first frame's
  // preparation; the icon waits until the first frame is on the screen.
  if (SDL_Surface* surface = SDL_GetWindowSurface(window)) {
    prefault(surface->pixels, static_cast<std::size_t>(surface->pitch) * surface->h);
  }
  return std::nullopt;
}

bool SdlBackend::ensure_started() {
  State& state = *state_;
  if (state.starting.joinable()) {
    state.starting.join();
    if (state.start_error) {
      // Without a window there is nothing to run: the loop ends and the launcher reports the error.
      launch::request_quit();
      return false;
    }
    if (state.pending_title) SDL_SetWindowTitle(state.window, state.pending_title->c_str());
    if (state.pending_minimum) apply_minimum_size(state.window, *state.pending_minimum);
    bool wake = false;
    {
      std::lock_guard lock(state.wake_mutex);
      state.accepts_wakes = true;
      wake = std::exchange(state.wake_pending, false);
    }
    if (wake) signal();
  }
  return !state.start_error;
}

std::optional<std::string> SdlBackend::start_error() {
  ensure_started();
  return state_->start_error;
}

SdlBackend::~SdlBackend() {
  if (state_ && state_->starting.joinable()) state_->starting.join();
  if (state_ && state_->start_error) return;
  if (state_ && state_->window) SDL_DestroyWindow(state_->window);
  SDL_Quit();
}

Size SdlBackend::size() const {
  if (state_->starting.joinable() || !state_->window) return state_->requested;
  int w = 0;
  int h = 0;
  SDL_GetWindowSize(state_->window, &w, &h);
  return {static_cast<float>(w), static_cast<float>(h)};
}

namespace {

Modifiers modifiers_of(Uint16 mod) {
  return {(mod & KMOD_SHIFT) != 0, (mod & KMOD_CTRL) != 0, (mod & KMOD_ALT) != 0, (mod & KMOD_GUI) != 0};
}

std::optional<Event> key_event(const SDL_KeyboardEvent& k) {
  event::Key key;
  key.pressed = k.type == SDL_KEYDOWN;
  key.modifiers = modifiers_of(k.keysym.mod);
  switch (k.keysym.sym) {
    case SDLK_RETURN:
    case SDLK_KP_ENTER: key.key = NamedKey::Enter; break;
    case SDLK_SPACE: key.key = NamedKey::Space; break;
    case SDLK_TAB: key.key = NamedKey::Tab; break;
    case SDLK_ESCAPE: key.key = NamedKey::Escape; break;
    case SDLK_BACKSPACE: key.key = NamedKey::Backspace; break;
    case SDLK_DELETE: key.key = NamedKey::Delete; break;
    case SDLK_LEFT: key.key = NamedKey::Left; break;
    case SDLK_RIGHT: key.key = NamedKey::Right; break;
    case SDLK_UP: key.key = NamedKey::Up; break;
    case SDLK_DOWN: key.key = NamedKey::Down; break;
    case SDLK_HOME: key.key = NamedKey::Home; break;
    case SDLK_END: key.key = NamedKey::End; break;
    case SDLK_PAGEUP: key.key = NamedKey::PageUp; break;
    case SDLK_PAGEDOWN: key.key = NamedKey::PageDown; break;
    default: {
      std::string name = SDL_GetKeyName(k.keysym.sym);
      if (name.size() != 1) return std::nullopt;
      key.text = std::string(1, static_cast<char>(std::tolower(static_cast<unsigned char>(name[0]))));
    }
  }
  return key;
}

}  // namespace

BackendEvents SdlBackend::take_events() {
  BackendEvents out;
  // Before the window exists nothing can have happened to it.
  if (state_->starting.joinable() && !state_->start_finished) return out;
  if (!ensure_started()) return out;
  auto handle = [&](const SDL_Event& e) {
    switch (e.type) {
      case SDL_QUIT: out.quit = true; break;
      case SDL_MOUSEMOTION: out.events.emplace_back(event::PointerMoved{{double(e.motion.x), double(e.motion.y)}}); break;
      case SDL_MOUSEBUTTONDOWN:
      case SDL_MOUSEBUTTONUP: {
        MouseButton b = e.button.button == SDL_BUTTON_LEFT    ? MouseButton::Primary
                        : e.button.button == SDL_BUTTON_RIGHT ? MouseButton::Secondary
                                                              : MouseButton::Middle;
        out.events.emplace_back(
            event::PointerButton{b, e.type == SDL_MOUSEBUTTONDOWN, {double(e.button.x), double(e.button.y)}});
        break;
      }
      case SDL_MOUSEWHEEL: {
        int x = 0;
        int y = 0;
        SDL_GetMouseState(&x, &y);
        out.events.emplace_back(event::Wheel{{double(x), double(y)}, -40.0 * e.wheel.x, -40.0 * e.wheel.y});
        break;
      }
      case SDL_KEYDOWN:
      case SDL_KEYUP:
        if (auto k = key_event(e.key)) out.events.push_back(std::move(*k));
        break;
      case SDL_TEXTINPUT: out.events.emplace_back(event::TextInput{e.text.text}); break;
      case SDL_WINDOWEVENT:
        if (e.window.event == SDL_WINDOWEVENT_LEAVE) out.events.emplace_back(event::PointerLeft{});
        out.expose = true;
        break;
      default: break;
    }
  };
  for (const auto& e : state_->held) handle(e);
  state_->held.clear();
  SDL_Event e;
  while (SDL_PollEvent(&e)) handle(e);
  return out;
}

void SdlBackend::present(const Scene& scene, TextRenderer& text, Color background, double scale) {
  // The first frame is drawn while the window system may still be starting; it then goes into the
  // window as soon as the window exists.
  std::unique_ptr<Frame> early;
  if (state_->starting.joinable() && !state_->start_finished) {
    const Size size = state_->requested;
    early = std::make_unique<Frame>(static_cast<int>(size.width), static_cast<int>(size.height));
    render_into(scene, text, early->pixels(), early->width(), early->height(), early->stride(), scale, background);
  }
  if (!ensure_started()) return;
  SDL_Surface* surface = SDL_GetWindowSurface(state_->window);
  if (!surface) return;
  SDL_LockSurface(surface);
  auto* pixels = static_cast<std::uint8_t*>(surface->pixels);
  if (early && early->width() == surface->w && early->height() == surface->h) {
    for (int row = 0; row < surface->h; ++row) {
      std::memcpy(pixels + static_cast<std::ptrdiff_t>(row) * surface->pitch, early->pixels() + row * early->stride(),
                  static_cast<std::size_t>(early->stride()));
    }
  } else {
    render_into(scene, text, pixels, surface->w, surface->h, surface->pitch, scale, background);
  }
  SDL_UnlockSurface(surface);
  // Mapping waits for the window system; the drawn pixels follow at once.
  show();
  SDL_UpdateWindowSurface(state_->window);
}

void SdlBackend::show() {
  if (state_->shown || !ensure_started()) return;
  state_->shown = true;
  SDL_ShowWindow(state_->window);
}

void SdlBackend::wait(std::optional<Deadline> deadline) {
  // A loop that goes to sleep without having drawn still shows its window.
  if (!ensure_started()) return;
  show();
  // The icon is made once the first frame is on the screen, off the way to it.
  if (!std::exchange(state_->icon_set, true)) set_window_icon(state_->window);
  if (!state_->held.empty()) return;
  int timeout = -1;
  if (deadline) {
    Deadline now = Deadline::now();
    if (*deadline <= now) return;
    std::int64_t ms = (deadline->secs - now.secs) * 1000 +
                      (static_cast<std::int64_t>(deadline->nanos) - static_cast<std::int64_t>(now.nanos)) / 1'000'000;
    timeout = static_cast<int>(std::clamp<std::int64_t>(ms + 1, 0, 60'000));
  }
  SDL_Event e;
  int got = timeout < 0 ? SDL_WaitEvent(&e) : SDL_WaitEventTimeout(&e, timeout);
  if (got && e.type != state_->wake_event) state_->held.push_back(e);
}

void SdlBackend::signal() {
  {
    std::lock_guard lock(state_->wake_mutex);
    if (!state_->accepts_wakes) {
      state_->wake_pending = true;
      return;
    }
  }
  SDL_Event e{};
  e.type = state_->wake_event;
  SDL_PushEvent(&e);
}

void SdlBackend::set_minimum_size(Size size) {
  if (state_->starting.joinable()) {
    state_->pending_minimum = size;
    return;
  }
  if (state_->window) apply_minimum_size(state_->window, size);
}

void SdlBackend::set_title(const std::string& title) {
  if (state_->starting.joinable()) {
    state_->pending_title = title;
    return;
  }
  if (state_->window) SDL_SetWindowTitle(state_->window, title.c_str());
}

}  // namespace orvo_ui
