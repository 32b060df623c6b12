#pragma once
#include <expected>
#include <memory>
#include <optional>
#include <string>

#include "backend.h"

namespace orvo_ui {

// A real window through SDL2; frames are drawn with cairo straight into the window surface. SDL and
// the window start on a helper thread while the loop prepares its first frame; the window is mapped
// when that frame is presented (or when the loop first waits without one).
class SdlBackend final : public Backend {
 public:
  static std::expected<std::unique_ptr<SdlBackend>, std::string> open(const std::string& title, std::uint32_t width,
                                                                      std::uint32_t height, bool resizable);
  ~SdlBackend() override;

  Size size() const override;
  double scale() const override { return 1.0; }
  BackendEvents take_events() override;
  void present(const Scene& scene, TextRenderer& text, Color background, double scale) override;
  void wait(std::optional<Deadline> deadline) override;
  void signal() override;
  void set_title(const std::string& title) override;
  void set_minimum_size(Size size) override;
  // Why the window could not be opened (the loop then ends at once); waits for the start to finish.
  std::optional<std::string> start_error();

 private:
  SdlBackend() = default;
  struct State;
  static std::optional<std::string> start_window(State& state, const std::string& title, std::uint32_t width,
                                                 std::uint32_t height, bool resizable);
  // Joins the start on the loop's thread; false when the window could not be opened.
  bool ensure_started();
  void show();
  std::unique_ptr<State> state_;
};

}  // namespace orvo_ui
