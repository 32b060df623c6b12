#pragma once
// Runs a page of controls in the real frame loop on the offscreen backend and feeds it input events
// the way a window would (pointer in physical pixels, scale 1).
#include <memory>
#include <string>

#include "frame_loop.h"
#include "offscreen_backend.h"
#include "orvo_ui/app.h"
#include "orvo_ui/widgets/column.h"

namespace orvo_ui::testing {

struct ControlHarness {
  explicit ControlHarness(std::unique_ptr<Widget> page, std::uint32_t width = 480, std::uint32_t height = 360,
                          TextRenderer::Metrics metrics = TextRenderer::Metrics::Fixed)
      : root(std::move(page)), backend(width, height), loop(backend, *root, app, metrics) {
    loop.frame(backend.take_events());
  }

  void send(Event event) {
    backend.push(std::move(event));
    loop.frame(backend.take_events());
  }
  void click(Point at) {
    send(event::PointerButton{MouseButton::Primary, true, at});
    send(event::PointerButton{MouseButton::Primary, false, at});
  }
  void click(const Widget& widget) { click(widget.get_rect().center()); }
  void key(NamedKey named, Modifiers modifiers = {}) {
    send(event::Key{named, "", true, modifiers});
    send(event::Key{named, "", false, modifiers});
  }
  void type(const std::string& text) { send(event::TextInput{text}); }

  std::unique_ptr<Widget> root;
  App app;
  OffscreenBackend backend;
  FrameLoop loop;
};

}  // namespace orvo_ui::testing
