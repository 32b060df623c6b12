#pragma once
#include <expected>
#include <memory>
#include <string>

#include "backend.h"

namespace orvo_ui {

// A real window through SDL2; frames are drawn with cairo straight into the window surface. The
// window is mapped when its first frame is presented (or when the loop first waits without one).
class SdlBackend final : public Backend {
 public:
  static std::expected<std::unique_ptr<SdlBackend>, std::string> open(const std::string& title, std::uint32_t width,
                                                                      std::uint32_t height, bool resizable);
  ~SdlBackend() override;

  Size size() const override;
  double scale() const override { return 1.0; }
  BackendEvents take_events() override;
  void present(const Scene& scene, TextRenderer& text, Color background) override;
  void wait(std::optional<Deadline> deadline) override;
  void signal() override;
  void set_title(const std::string& title) override;

 private:
  SdlBackend() = default;
  void show();
  struct State;
  std::unique_ptr<State> state_;
};

}  // namespace orvo_ui
