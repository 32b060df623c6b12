#include "orvo_ui/render.h"

#include <cairo.h>

#include <cmath>
#include <numbers>

#include "orvo_ui/scene.h"
#include "orvo_ui/text.h"

namespace orvo_ui {
namespace {

void set_color(cairo_t* cr, Color c) { cairo_set_source_rgba(cr, c.r / 255.0, c.g / 255.0, c.b / 255.0, c.a / 255.0); }

void apply(cairo_t* cr, const Affine& a) {
  cairo_matrix_t m;
  cairo_matrix_init(&m, a.m[0], a.m[1], a.m[2], a.m[3], a.m[4], a.m[5]);
  cairo_transform(cr, &m);
}

void rounded_rect_path(cairo_t* cr, const RoundedRect& rr) {
  const Rect& r = rr.rect;
  double rad = rr.radius;
  if (rad <= 0) {
    cairo_rectangle(cr, r.x0, r.y0, r.width(), r.height());
    return;
  }
  constexpr double kPi = std::numbers::pi;
  cairo_new_sub_path(cr);
  cairo_arc(cr, r.x1 - rad, r.y0 + rad, rad, -kPi / 2, 0);
  cairo_arc(cr, r.x1 - rad, r.y1 - rad, rad, 0, kPi / 2);
  cairo_arc(cr, r.x0 + rad, r.y1 - rad, rad, kPi / 2, kPi);
  cairo_arc(cr, r.x0 + rad, r.y0 + rad, rad, kPi, 3 * kPi / 2);
  cairo_close_path(cr);
}

void shape_path(cairo_t* cr, const Shape& shape) {
  cairo_new_path(cr);
  if (auto* rr = std::get_if<RoundedRect>(&shape)) {
    rounded_rect_path(cr, *rr);
  } else if (auto* e = std::get_if<Ellipse>(&shape)) {
    const Rect& b = e->bounds;
    if (b.width() <= 0 || b.height() <= 0) return;
    cairo_save(cr);
    cairo_translate(cr, b.center().x, b.center().y);
    cairo_scale(cr, b.width() / 2, b.height() / 2);
    cairo_arc(cr, 0, 0, 1, 0, 2 * std::numbers::pi);
    cairo_restore(cr);
  } else {
    for (const auto& el : std::get<Path>(shape).elements) {
      std::visit(
          [&](const auto& e) {
            using T = std::decay_t<decltype(e)>;
            if constexpr (std::is_same_v<T, Path::MoveTo>) cairo_move_to(cr, e.p.x, e.p.y);
            if constexpr (std::is_same_v<T, Path::LineTo>) cairo_line_to(cr, e.p.x, e.p.y);
            if constexpr (std::is_same_v<T, Path::CurveTo>) cairo_curve_to(cr, e.c1.x, e.c1.y, e.c2.x, e.c2.y, e.p.x, e.p.y);
            if constexpr (std::is_same_v<T, Path::Close>) cairo_close_path(cr);
          },
          el);
    }
  }
}

void replay(cairo_t* cr, const Scene& scene, TextRenderer& text, double scale) {
  int clips = 0;
  for (const auto& command : scene.commands()) {
    std::visit(
        [&](const auto& c) {
          using T = std::decay_t<decltype(c)>;
          if constexpr (std::is_same_v<T, draw::Fill>) {
            cairo_save(cr);
            apply(cr, c.transform);
            shape_path(cr, c.shape);
            set_color(cr, c.color);
            cairo_set_fill_rule(cr, CAIRO_FILL_RULE_WINDING);
            cairo_fill(cr);
            cairo_restore(cr);
          } else if constexpr (std::is_same_v<T, draw::Stroke>) {
            cairo_save(cr);
            apply(cr, c.transform);
            shape_path(cr, c.shape);
            set_color(cr, c.color);
            cairo_set_line_width(cr, c.style.width);
            cairo_set_line_join(cr, c.style.round ? CAIRO_LINE_JOIN_ROUND : CAIRO_LINE_JOIN_MITER);
            cairo_set_line_cap(cr, c.style.round ? CAIRO_LINE_CAP_ROUND : CAIRO_LINE_CAP_BUTT);
            cairo_set_miter_limit(cr, c.style.miter_limit);
            cairo_stroke(cr);
            cairo_restore(cr);
          } else if constexpr (std::is_same_v<T, draw::Text>) {
            cairo_save(cr);
            apply(cr, c.transform);
            set_color(cr, c.color);
            text.paint(cr, c.text, c.wrap, c.size, c.max_width, c.bold);
            cairo_restore(cr);
          } else if constexpr (std::is_same_v<T, draw::PushClip>) {
            cairo_save(cr);
            apply(cr, c.transform);
            cairo_rectangle(cr, c.rect.x0, c.rect.y0, c.rect.width(), c.rect.height());
            cairo_identity_matrix(cr);
            cairo_scale(cr, scale, scale);
            cairo_clip(cr);
            ++clips;
          } else if constexpr (std::is_same_v<T, draw::PopClip>) {
            if (clips > 0) {
              cairo_restore(cr);
              --clips;
            }
          }
        },
        command);
  }
  while (clips-- > 0) cairo_restore(cr);
}

}  // namespace

void render_into(const Scene& scene, TextRenderer& text, std::uint8_t* pixels, int width, int height, int stride,
                 double scale, Color background) {
  cairo_surface_t* surface = cairo_image_surface_create_for_data(pixels, CAIRO_FORMAT_RGB24, width, height, stride);
  cairo_t* cr = cairo_create(surface);
  set_color(cr, background);
  cairo_paint(cr);
  cairo_scale(cr, scale, scale);
  replay(cr, scene, text, scale);
  cairo_destroy(cr);
  cairo_surface_flush(surface);
  cairo_surface_destroy(surface);
}

Frame::Frame(int width, int height)
    : width_(width), height_(height), pixels_(static_cast<std::size_t>(width) * height * 4, 0) {}

std::expected<void, std::string> Frame::write_png(const std::string& path) const {
  cairo_surface_t* surface = cairo_image_surface_create_for_data(const_cast<std::uint8_t*>(pixels_.data()),
                                                                 CAIRO_FORMAT_RGB24, width_, height_, stride());
  cairo_status_t status = cairo_surface_write_to_png(surface, path.c_str());
  cairo_surface_destroy(surface);
  if (status != CAIRO_STATUS_SUCCESS) {
    return std::unexpected("could not write " + path + ": " + cairo_status_to_string(status));
  }
  return {};
}

}  // namespace orvo_ui
