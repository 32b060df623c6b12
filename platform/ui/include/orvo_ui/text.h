#pragma once
// Text measurement and drawing. Two metric modes: real fonts through pango, and a fixed mode (every
// character 0.5 em wide, lines 1.25 em high) that makes layout tests independent of installed fonts.
#include <cstdint>
#include <memory>
#include <string_view>
#include <vector>

#include "orvo_ui/geometry.h"

namespace orvo_ui {

class Scene;

struct TextStyle {
  float size = 14;
  float line_height = 1.25;
  bool bold = false;
};

class TextRenderer {
 public:
  enum class Metrics : std::uint8_t { Fonts, Fixed };

  explicit TextRenderer(Metrics metrics = Metrics::Fonts, float text_scale = 1.0f);
  ~TextRenderer();
  TextRenderer(const TextRenderer&) = delete;
  TextRenderer& operator=(const TextRenderer&) = delete;

  // Starts loading the fonts on a helper thread; the next renderer with real fonts takes them
  // (waiting for the helper if it has not finished), so its first measuring and drawing wait less.
  static void preload_fonts();

  Metrics metrics() const { return metrics_; }
  // The user's text scale multiplies every resolved size.
  void set_text_scale(float scale);
  float text_scale() const { return text_scale_; }

  // The size the renderer draws a style at.
  float renderer_input_style(const TextStyle& style) const;

  // Width and height of the text at the size; with `wrap`, lines break at words to fit max_width
  // (max_width <= 0 means no limit).
  Size measure(std::string_view text, bool wrap, float size, float max_width, bool bold = false);

  // The x position of every code-point boundary of one line of text (the start, each character,
  // the end), from one shaping of the whole line. The text must be valid UTF-8.
  std::vector<double> caret_positions(std::string_view text, float size);

  // Records the text into the scene at the transform's origin.
  void draw_text(Scene& scene, std::string_view text, bool wrap, float size, float max_width, Color color,
                 const Affine& transform, bool bold = false);

  // Draws a recorded text run onto a cairo context (an opaque cairo_t*); used by the renderer.
  void paint(void* cairo, std::string_view text, bool wrap, float size, float max_width, bool bold);

  struct Fonts;  // pango's font map, context and caches; defined in text.cpp

 private:
  Metrics metrics_;
  float text_scale_;
  std::unique_ptr<Fonts> fonts_;
};

}  // namespace orvo_ui
