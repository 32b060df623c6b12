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
  // Logical size of the drawing area and its scale (pixels per logical point).
  virtual Size size() const = 0;
  virtual double scale() const = 0;
  virtual BackendEvents take_events() = 0;
  virtual void present(const Scene& scene, TextRenderer& text, Color background) = 0;
  // Sleeps until an event, a signal() or the deadline (none: no deadline). Answers early when
  // something is already pending.
  virtual void wait(std::optional<Deadline> deadline) = 0;
  virtual void set_title(const std::string& /*title*/) {}
};

}  // namespace orvo_ui
