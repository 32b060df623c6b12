#pragma once
// What the frame loop needs of a window system: events, a size, a place to show frames, and a way
// to sleep until something happens.
#include <optional>
#include <vector>

#include "orvo_ui/event.h"
#include "orvo_ui/operations.h"
#include "orvo_ui/wake.h"

namespace orvo_ui {

class Scene;
class TextRenderer;

struct BackendEvents {
  std::vector<Event> events;
  bool quit = false;
  bool expose = false;
};

class Backend : public LoopSignal {
 public:
  // Size of the drawing area in window points and the window's own scale (pixels per point).
  virtual Size size() const = 0;
  virtual double scale() const = 0;
  virtual BackendEvents take_events() = 0;
  // Draws the scene, whose lengths are layout points, at `scale` pixels per layout point (the
  // window's scale times the user's interface scale).
  virtual void present(const Scene& scene, TextRenderer& text, Color background, double scale) = 0;
  // Sleeps until an event, a signal() or the deadline (none: no deadline). Answers early when
  // something is already pending.
  virtual void wait(std::optional<Deadline> deadline) = 0;
  virtual void set_title(const std::string& /*title*/) {}
  // The smallest size, in window points, the user may make the window.
  virtual void set_minimum_size(Size /*size*/) {}
};

}  // namespace orvo_ui
