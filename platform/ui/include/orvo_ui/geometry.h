#pragma once
// Plain geometry of the widget tree: points, sizes, half-open rectangles, rounded rectangles,
// 2-D affine transforms and colours. Rectangles are in logical points.
#include <algorithm>
#include <array>
#include <cstdint>

namespace orvo_ui {

struct Point {
  double x = 0;
  double y = 0;
  friend bool operator==(const Point&, const Point&) = default;
};

struct Size {
  float width = 0;
  float height = 0;
  friend bool operator==(const Size&, const Size&) = default;
};

// Left, top, right, bottom. Hit tests are half-open: left <= x < right, top <= y < bottom.
struct Rect {
  double x0 = 0;
  double y0 = 0;
  double x1 = 0;
  double y1 = 0;

  static constexpr Rect from_origin_size(double x, double y, double w, double h) { return {x, y, x + w, y + h}; }
  constexpr double width() const { return x1 - x0; }
  constexpr double height() const { return y1 - y0; }
  constexpr double area() const { return width() * height(); }
  constexpr Point center() const { return {(x0 + x1) / 2, (y0 + y1) / 2}; }
  constexpr bool contains(Point p) const { return p.x >= x0 && p.x < x1 && p.y >= y0 && p.y < y1; }
  // The common part; an empty intersection collapses to zero width or height at the larger edge.
  constexpr Rect intersect(const Rect& o) const {
    double l = std::max(x0, o.x0);
    double t = std::max(y0, o.y0);
    double r = std::max(std::min(x1, o.x1), l);
    double b = std::max(std::min(y1, o.y1), t);
    return {l, t, r, b};
  }
  constexpr Rect inset(double dx, double dy) const { return {x0 + dx, y0 + dy, x1 - dx, y1 - dy}; }
  constexpr Rect translated(double dx, double dy) const { return {x0 + dx, y0 + dy, x1 + dx, y1 + dy}; }
  friend bool operator==(const Rect&, const Rect&) = default;
};

// A rectangle with equal corner radii; the corners are normalised and the radius is limited to half
// the shorter side.
struct RoundedRect {
  Rect rect;
  double radius = 0;

  static RoundedRect from_rect(Rect r, double radius) {
    Rect n{std::min(r.x0, r.x1), std::min(r.y0, r.y1), std::max(r.x0, r.x1), std::max(r.y0, r.y1)};
    double limit = std::min(n.width(), n.height()) / 2;
    return {n, std::clamp(radius, 0.0, limit)};
  }
  friend bool operator==(const RoundedRect&, const RoundedRect&) = default;
};

// x' = a*x + c*y + e, y' = b*x + d*y + f.
struct Affine {
  std::array<double, 6> m{1, 0, 0, 1, 0, 0};

  static constexpr Affine identity() { return {}; }
  static constexpr Affine translate(double dx, double dy) { return {{1, 0, 0, 1, dx, dy}}; }
  static constexpr Affine scale(double s) { return {{s, 0, 0, s, 0, 0}}; }
  // Scaling by s about the point c.
  static constexpr Affine scale_about(double s, Point c) {
    return translate(c.x, c.y) * scale(s) * translate(-c.x, -c.y);
  }
  // this applied after o.
  constexpr Affine operator*(const Affine& o) const {
    const auto& a = m;
    const auto& b = o.m;
    return {{a[0] * b[0] + a[2] * b[1], a[1] * b[0] + a[3] * b[1], a[0] * b[2] + a[2] * b[3],
             a[1] * b[2] + a[3] * b[3], a[0] * b[4] + a[2] * b[5] + a[4], a[1] * b[4] + a[3] * b[5] + a[5]}};
  }
  constexpr Point apply(Point p) const { return {m[0] * p.x + m[2] * p.y + m[4], m[1] * p.x + m[3] * p.y + m[5]}; }
  friend bool operator==(const Affine&, const Affine&) = default;
};

struct Color {
  std::uint8_t r = 0;
  std::uint8_t g = 0;
  std::uint8_t b = 0;
  std::uint8_t a = 255;

  static constexpr Color rgb(std::uint32_t hex) {
    return {static_cast<std::uint8_t>(hex >> 16), static_cast<std::uint8_t>(hex >> 8), static_cast<std::uint8_t>(hex), 255};
  }
  constexpr Color with_alpha(std::uint8_t alpha) const { return {r, g, b, alpha}; }
  friend bool operator==(const Color&, const Color&) = default;
};

}  // namespace orvo_ui
