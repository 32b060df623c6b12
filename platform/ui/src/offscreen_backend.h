#pragma once
#include <memory>

#include "backend.h"
#include "orvo_ui/render.h"

namespace orvo_ui {

// No window: frames are rendered into memory; events come from the caller. Sleeping waits on an
// eventfd (wakes) and a signalfd (SIGTERM/SIGINT end the run).
class OffscreenBackend final : public Backend {
 public:
  OffscreenBackend(std::uint32_t width, std::uint32_t height);
  ~OffscreenBackend() override;

  Size size() const override { return {static_cast<float>(frame_->width()), static_cast<float>(frame_->height())}; }
  double scale() const override { return scale_; }
  BackendEvents take_events() override;
  void present(const Scene& scene, TextRenderer& text, Color background, double scale) override;
  void wait(std::optional<Deadline> deadline) override;
  void signal() override;

  void push(Event event) { pending_.events.push_back(std::move(event)); }
  void resize(std::uint32_t width, std::uint32_t height);
  // The interface scale the next frames are laid out at (a monitor change of a real window).
  void set_scale(double scale) { scale_ = scale; }
  const Frame& frame() const { return *frame_; }

 private:
  std::unique_ptr<Frame> frame_;
  BackendEvents pending_;
  double scale_ = 1.0;
  int wake_fd_ = -1;
  int signal_fd_ = -1;
};

}  // namespace orvo_ui
