#pragma once
// Replays a recorded Scene into pixels with cairo: into a caller's buffer (the window) or into a PNG.
#include <cstdint>
#include <expected>
#include <string>

#include "orvo_ui/geometry.h"

namespace orvo_ui {

class Scene;
class TextRenderer;

// 32-bit pixels, native-endian xRGB (cairo RGB24, SDL RGB888). `scale` maps logical points to pixels.
void render_into(const Scene& scene, TextRenderer& text, std::uint8_t* pixels, int width, int height, int stride,
                 double scale, Color background);

class Frame {
 public:
  Frame(int width, int height);
  int width() const { return width_; }
  int height() const { return height_; }
  int stride() const { return width_ * 4; }
  std::uint8_t* pixels() { return pixels_.data(); }
  const std::uint8_t* pixels() const { return pixels_.data(); }
  std::expected<void, std::string> write_png(const std::string& path) const;

 private:
  int width_;
  int height_;
  std::basic_string<std::uint8_t> pixels_;
};

}  // namespace orvo_ui
