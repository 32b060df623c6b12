#include "sdl_backend.h"

#include <SDL.h>

#include <algorithm>
#include <cctype>

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
};

namespace {

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
  SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
  SDL_SetHint(SDL_HINT_VIDEO_X11_NET_WM_BYPASS_COMPOSITOR, "0");
  if (SDL_Init(SDL_INIT_VIDEO | SDL_INIT_EVENTS) != 0) {
    return std::unexpected(std::string("could not open a window: ") + SDL_GetError());
  }
  const char* driver = SDL_GetCurrentVideoDriver();
  if (driver && (std::string_view(driver) == "offscreen" || std::string_view(driver) == "dummy")) {
    SDL_Quit();
    return std::unexpected("no display: set DISPLAY (or WAYLAND_DISPLAY), or ORVO_UI_BACKEND=offscreen");
  }
  Uint32 flags = SDL_WINDOW_SHOWN | (resizable ? SDL_WINDOW_RESIZABLE : 0);
  SDL_Window* window = SDL_CreateWindow(title.c_str(), SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED,
                                        static_cast<int>(width), static_cast<int>(height), flags);
  if (!window) {
    std::string error = SDL_GetError();
    SDL_Quit();
    return std::unexpected("could not open a window: " + error);
  }
  set_window_icon(window);
  std::unique_ptr<SdlBackend> backend(new SdlBackend());
  backend->state_ = std::make_unique<State>();
  backend->state_->window = window;
  backend->state_->wake_event = SDL_RegisterEvents(1);
  SDL_StartTextInput();
  return backend;
}

SdlBackend::~SdlBackend() {
  if (state_ && state_->window) SDL_DestroyWindow(state_->window);
  SDL_Quit();
}

Size SdlBackend::size() const {
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

void SdlBackend::present(const Scene& scene, TextRenderer& text, Color background) {
  SDL_Surface* surface = SDL_GetWindowSurface(state_->window);
  if (!surface) return;
  SDL_LockSurface(surface);
  render_into(scene, text, static_cast<std::uint8_t*>(surface->pixels), surface->w, surface->h, surface->pitch, scale(),
              background);
  SDL_UnlockSurface(surface);
  SDL_UpdateWindowSurface(state_->window);
}

void SdlBackend::wait(std::optional<Deadline> deadline) {
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
  SDL_Event e{};
  e.type = state_->wake_event;
  SDL_PushEvent(&e);
}

void SdlBackend::set_title(const std::string& title) { SDL_SetWindowTitle(state_->window, title.c_str()); }

}  // namespace orvo_ui
