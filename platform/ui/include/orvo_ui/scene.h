#pragma once
// A recorded list of drawing commands. Widgets draw into a Scene; tests inspect it; the renderer
// replays it with cairo and pango (see render.h).
#include <string>
#include <variant>
#include <vector>

#include "orvo_ui/geometry.h"

namespace orvo_ui {

struct Path {
  struct MoveTo { Point p; };
  struct LineTo { Point p; };
  struct CurveTo { Point c1, c2, p; };
  struct Close {};
  using Element = std::variant<MoveTo, LineTo, CurveTo, Close>;
  std::vector<Element> elements;

  Path& move_to(Point p) { elements.emplace_back(MoveTo{p}); return *this; }
  Path& line_to(Point p) { elements.emplace_back(LineTo{p}); return *this; }
  Path& curve_to(Point c1, Point c2, Point p) { elements.emplace_back(CurveTo{c1, c2, p}); return *this; }
  Path& close() { elements.emplace_back(Close{}); return *this; }
};

struct Ellipse {
  Rect bounds;
};

using Shape = std::variant<RoundedRect, Ellipse, Path>;

// Strokes use round joins and caps, miter limit 4 and no dashes unless told otherwise.
struct StrokeStyle {
  double width = 1;
  bool round = true;
  double miter_limit = 4;
};

namespace draw {
struct Fill {
  Shape shape;
  Color color;
  Affine transform;
};
struct Stroke {
  Shape shape;
  Color color;
  Affine transform;
  StrokeStyle style;
};
// Text laid out from the transform's origin (top left of the first line).
struct Text {
  std::string text;
  float size = 14;
  float max_width = 0;
  bool wrap = true;
  bool bold = false;
  Color color;
  Affine transform;
};
struct PushClip {
  Rect rect;
  Affine transform;
};
struct PopClip {};
}  // namespace draw

using SceneCommand = std::variant<draw::Fill, draw::Stroke, draw::Text, draw::PushClip, draw::PopClip>;

class Scene {
 public:
  void fill(Shape shape, Color color, const Affine& transform) {
    commands_.emplace_back(draw::Fill{std::move(shape), color, transform});
  }
  void stroke(Shape shape, Color color, const Affine& transform, StrokeStyle style = {}) {
    commands_.emplace_back(draw::Stroke{std::move(shape), color, transform, style});
  }
  void text(draw::Text run) { commands_.emplace_back(std::move(run)); }
  void push_clip(Rect rect, const Affine& transform) { commands_.emplace_back(draw::PushClip{rect, transform}); }
  void pop_clip() { commands_.emplace_back(draw::PopClip{}); }
  void clear() { commands_.clear(); }

  const std::vector<SceneCommand>& commands() const { return commands_; }
  std::size_t size() const { return commands_.size(); }

 private:
  std::vector<SceneCommand> commands_;
};

}  // namespace orvo_ui
