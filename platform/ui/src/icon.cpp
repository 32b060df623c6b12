#include "orvo_ui/icon.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "orvo_ui/scene.h"

namespace orvo_ui {
namespace {

constexpr double kGrid = 24.0;
constexpr double kPi = std::numbers::pi;

// Appends a circular arc (angles in degrees, clockwise on screen from a0 to a1) as cubic curves of at
// most 90 degrees each. Starts with a move when `move` is set, otherwise with a line to the start.
void arc(Path& path, double cx, double cy, double r, double a0, double a1, bool move = true) {
  auto at = [&](double deg) {
    double rad = deg * kPi / 180.0;
    return Point{cx + r * std::cos(rad), cy + r * std::sin(rad)};
  };
  if (move) {
    path.move_to(at(a0));
  } else {
    path.line_to(at(a0));
  }
  int pieces = std::max(1, static_cast<int>(std::ceil(std::abs(a1 - a0) / 90.0)));
  double step = (a1 - a0) / pieces;
  for (int i = 0; i < pieces; ++i) {
    double s = (a0 + step * i) * kPi / 180.0;
    double e = (a0 + step * (i + 1)) * kPi / 180.0;
    double k = 4.0 / 3.0 * std::tan((e - s) / 4.0);
    Point p0{cx + r * std::cos(s), cy + r * std::sin(s)};
    Point p3{cx + r * std::cos(e), cy + r * std::sin(e)};
    Point c1{p0.x - k * r * std::sin(s), p0.y + k * r * std::cos(s)};
    Point c2{p3.x + k * r * std::sin(e), p3.y - k * r * std::cos(e)};
    path.curve_to(c1, c2, p3);
  }
}

Path polyline(std::initializer_list<Point> points, bool closed = false) {
  Path p;
  bool first = true;
  for (Point pt : points) {
    if (first) {
      p.move_to(pt);
    } else {
      p.line_to(pt);
    }
    first = false;
  }
  if (closed) p.close();
  return p;
}

Ellipse circle(double cx, double cy, double r) { return Ellipse{{cx - r, cy - r, cx + r, cy + r}}; }
RoundedRect box(double x0, double y0, double x1, double y1, double radius) {
  return RoundedRect::from_rect({x0, y0, x1, y1}, radius);
}

struct Pen {
  Scene& scene;
  Color color;
  Affine transform;
  StrokeStyle style;
  void stroke(Shape shape) { scene.stroke(std::move(shape), color, transform, style); }
  void dot(double cx, double cy, double r) { scene.fill(circle(cx, cy, r), color, transform); }
};

void draw_shape(std::uint8_t value, Pen& pen) {
  switch (value) {
    case 0:  // apps and files: four tiles
      pen.stroke(box(4, 4, 10.5, 10.5, 1.5));
      pen.stroke(box(13.5, 4, 20, 10.5, 1.5));
      pen.stroke(box(4, 13.5, 10.5, 20, 1.5));
      pen.stroke(box(13.5, 13.5, 20, 20, 1.5));
      return;
    case 1: {  // settings: a gear of eight teeth round a hub
      pen.stroke(circle(12, 12, 6));
      pen.stroke(circle(12, 12, 2.5));
      Path teeth;
      for (int i = 0; i < 8; ++i) {
        const double a = i * kPi / 4;
        teeth.move_to({12 + 6 * std::cos(a), 12 + 6 * std::sin(a)});
        teeth.line_to({12 + 9 * std::cos(a), 12 + 9 * std::sin(a)});
      }
      pen.stroke(std::move(teeth));
      return;
    }
    case 2:  // keyboard
      pen.stroke(box(2.5, 6, 21.5, 18, 2));
      for (double x : {6.5, 10.0, 13.5, 17.0}) pen.dot(x, 10, 0.9);
      pen.stroke(polyline({{8, 14.5}, {16, 14.5}}));
      return;
    case 3: {  // shortcuts: the command loop
      Path p;
      arc(p, 7.5, 7.5, 2.5, 0, 270);
      p.line_to({16.5, 5});
      arc(p, 16.5, 7.5, 2.5, 270, 540, false);
      p.line_to({19, 16.5});
      arc(p, 16.5, 16.5, 2.5, 0, 270, false);
      p.line_to({7.5, 19});
      arc(p, 7.5, 16.5, 2.5, 90, 360, false);
      p.line_to({10, 7.5});
      pen.stroke(std::move(p));
      pen.stroke(box(10, 10, 14, 14, 0));
      return;
    }
    case 4: {  // users: head and shoulders
      pen.stroke(circle(12, 8, 3.75));
      Path p;
      arc(p, 12, 20.5, 7, 180, 360);
      pen.stroke(std::move(p));
      return;
    }
    case 5:  // printer
      pen.stroke(polyline({{7, 9}, {7, 3.5}, {17, 3.5}, {17, 9}}));
      pen.stroke(box(3, 9, 21, 17, 2));
      pen.stroke(box(7, 14, 17, 21, 0.5));
      return;
    case 6: {  // globe
      pen.stroke(circle(12, 12, 9));
      pen.stroke(Ellipse{{8, 3, 16, 21}});
      pen.stroke(polyline({{3, 12}, {21, 12}}));
      return;
    }
    case 7: {  // wifi: three arcs over a dot
      for (double r : {4.0, 8.0, 12.0}) {
        Path p;
        arc(p, 12, 19, r, 225, 315);
        pen.stroke(std::move(p));
      }
      pen.dot(12, 19, 1.4);
      return;
    }
    case 8:  // bluetooth rune
      pen.stroke(polyline({{6.5, 7.5}, {17, 16.5}, {12, 21}, {12, 3}, {17, 7.5}, {6.5, 16.5}}));
      return;
    case 9:  // display
      pen.stroke(box(2.5, 4, 21.5, 16.5, 2));
      pen.stroke(polyline({{12, 16.5}, {12, 20}}));
      pen.stroke(polyline({{8, 20.5}, {16, 20.5}}));
      return;
    case 10:  // battery
      pen.stroke(box(2.5, 7, 19, 17, 2));
      pen.stroke(polyline({{21.5, 10.5}, {21.5, 13.5}}));
      pen.scene.fill(box(5, 9.5, 12, 14.5, 0.75), pen.color, pen.transform);
      return;
    case 11: {  // shield
      Path p;
      p.move_to({12, 2.5}).line_to({20, 5.5}).line_to({20, 11});
      p.curve_to({20, 16}, {16.5, 19.5}, {12, 21.5});
      p.curve_to({7.5, 19.5}, {4, 16}, {4, 11});
      p.line_to({4, 5.5}).close();
      pen.stroke(std::move(p));
      pen.stroke(polyline({{8.5, 12}, {11, 14.5}, {15.5, 9.5}}));
      return;
    }
    case 12:  // chevron left
      pen.stroke(polyline({{15, 5}, {8, 12}, {15, 19}}));
      return;
    case 56:  // storage: a drive
      pen.stroke(polyline({{3, 13}, {6, 5}, {18, 5}, {21, 13}}));
      pen.stroke(box(3, 13, 21, 20, 2));
      pen.dot(17, 16.5, 1.1);
      return;
    case 66: {  // sparkle: a four-pointed star and a small one
      Path p;
      p.move_to({10, 3});
      p.curve_to({10.8, 8.2}, {11.8, 9.2}, {17, 10});
      p.curve_to({11.8, 10.8}, {10.8, 11.8}, {10, 17});
      p.curve_to({9.2, 11.8}, {8.2, 10.8}, {3, 10});
      p.curve_to({8.2, 9.2}, {9.2, 8.2}, {10, 3});
      p.close();
      pen.stroke(std::move(p));
      Path q;
      q.move_to({17.5, 15});
      q.curve_to({17.8, 17.2}, {18.3, 17.7}, {20.5, 18});
      q.curve_to({18.3, 18.3}, {17.8, 18.8}, {17.5, 21});
      q.curve_to({17.2, 18.8}, {16.7, 18.3}, {14.5, 18});
      q.curve_to({16.7, 17.7}, {17.2, 17.2}, {17.5, 15});
      q.close();
      pen.stroke(std::move(q));
      return;
    }
    case 67:  // accessibility: a figure in a ring
      pen.stroke(circle(12, 12, 9.5));
      pen.dot(12, 7, 1.5);
      pen.stroke(polyline({{7, 9.5}, {12, 10.5}, {17, 9.5}}));
      pen.stroke(polyline({{12, 10.5}, {12, 14}}));
      pen.stroke(polyline({{9, 18}, {12, 14}, {15, 18}}));
      return;
    case 70:  // info
      pen.stroke(circle(12, 12, 9.5));
      pen.dot(12, 7.75, 1.2);
      pen.stroke(polyline({{12, 11}, {12, 17}}));
      return;
    case 71: {  // cloud
      Path p;
      arc(p, 8, 14.5, 4, 90, 260);
      arc(p, 12.5, 10, 5, 200, 340, false);
      arc(p, 17, 14.5, 4, 270, 450, false);
      p.close();
      pen.stroke(std::move(p));
      return;
    }
    case 73: {  // bell
      Path p;
      p.move_to({5, 17});
      p.line_to({6.5, 15}).line_to({6.5, 10.5});
      p.curve_to({6.5, 7}, {9, 4.5}, {12, 4.5});
      p.curve_to({15, 4.5}, {17.5, 7}, {17.5, 10.5});
      p.line_to({17.5, 15}).line_to({19, 17}).close();
      pen.stroke(std::move(p));
      Path clapper;
      arc(clapper, 12, 19, 2, 0, 180);
      pen.stroke(std::move(clapper));
      return;
    }
    case 76: {  // update: a circular arrow
      Path p;
      arc(p, 12, 12, 7.5, -60, 240);
      pen.stroke(std::move(p));
      pen.stroke(polyline({{15.75, 2.5}, {15.75, 5.5}, {18.75, 5.5}}));
      pen.stroke(polyline({{12, 8.5}, {12, 12}, {14.5, 13.5}}));
      return;
    }
    case 85:  // clock
      pen.stroke(circle(12, 12, 9.5));
      pen.stroke(polyline({{12, 6.5}, {12, 12}, {15.5, 14}}));
      return;
    case 89: {  // speaker
      pen.stroke(polyline({{3.5, 9}, {7.5, 9}, {12.5, 4.5}, {12.5, 19.5}, {7.5, 15}, {3.5, 15}}, true));
      Path near;
      arc(near, 13, 12, 4, -45, 45);
      pen.stroke(std::move(near));
      Path far;
      arc(far, 13, 12, 7.5, -50, 50);
      pen.stroke(std::move(far));
      return;
    }
    default:
      pen.stroke(circle(12, 12, 7));
      return;
  }
}

}  // namespace

std::optional<std::string_view> Icon::name() const {
  switch (value_) {
    case 0: return "apps-and-files";
    case 1: return "settings";
    case 2: return "keyboard";
    case 3: return "shortcuts";
    case 4: return "users";
    case 5: return "printer";
    case 6: return "globe";
    case 7: return "wifi";
    case 8: return "bluetooth";
    case 9: return "display";
    case 10: return "battery";
    case 11: return "shield";
    case 12: return "chevron-left";
    case 56: return "storage";
    case 66: return "sparkle";
    case 67: return "accessibility";
    case 70: return "info";
    case 71: return "cloud";
    case 73: return "bell";
    case 76: return "update";
    case 85: return "clock";
    case 89: return "speaker";
    default: return std::nullopt;
  }
}

void Icon::draw(Scene& scene, Rect rect, Color color, const Affine& transform, double stroke_width) const {
  const double side = std::min(rect.width(), rect.height());
  if (side <= 0) return;
  const double scale = side / kGrid;
  const double left = rect.x0 + (rect.width() - side) / 2;
  const double top = rect.y0 + (rect.height() - side) / 2;
  Pen pen{scene, color, transform * Affine::translate(left, top) * Affine::scale(scale), StrokeStyle{stroke_width}};
  draw_shape(value_, pen);
}

}  // namespace orvo_ui
