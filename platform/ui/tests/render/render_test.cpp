#include <gtest/gtest.h>

#include <cairo.h>

#include <cmath>
#include <cstring>
#include <numbers>
#include <optional>
#include <random>
#include <vector>

#include "orvo_ui/render.h"
#include "orvo_ui/scene.h"
#include "orvo_ui/text.h"

namespace orvo_ui {
namespace {

constexpr int kWidth = 320;
constexpr int kHeight = 200;

struct Placed {
  RoundedRect shape;
  Color color;
  Affine transform;
};

// cairo filling each rounded rectangle in place: what the renderer must draw, however it gets there.
Frame reference(const std::vector<Placed>& shapes, double scale, Color background, std::optional<Rect> clip = {}) {
  Frame frame(kWidth, kHeight);
  cairo_surface_t* surface =
      cairo_image_surface_create_for_data(frame.pixels(), CAIRO_FORMAT_RGB24, kWidth, kHeight, frame.stride());
  cairo_t* cr = cairo_create(surface);
  cairo_set_source_rgba(cr, background.r / 255.0, background.g / 255.0, background.b / 255.0, 1);
  cairo_paint(cr);
  cairo_scale(cr, scale, scale);
  if (clip) {
    cairo_rectangle(cr, clip->x0, clip->y0, clip->width(), clip->height());
    cairo_clip(cr);
  }
  for (const auto& p : shapes) {
    cairo_save(cr);
    cairo_matrix_t m;
    cairo_matrix_init(&m, 1, 0, 0, 1, p.transform.m[4], p.transform.m[5]);
    cairo_transform(cr, &m);
    const Rect& r = p.shape.rect;
    const double rad = p.shape.radius;
    constexpr double kPi = std::numbers::pi;
    cairo_new_path(cr);
    if (rad <= 0) cairo_rectangle(cr, r.x0, r.y0, r.width(), r.height());
    if (rad > 0) cairo_new_sub_path(cr);
    if (rad > 0) {
      cairo_arc(cr, r.x1 - rad, r.y0 + rad, rad, -kPi / 2, 0);
      cairo_arc(cr, r.x1 - rad, r.y1 - rad, rad, 0, kPi / 2);
      cairo_arc(cr, r.x0 + rad, r.y1 - rad, rad, kPi / 2, kPi);
      cairo_arc(cr, r.x0 + rad, r.y0 + rad, rad, kPi, 3 * kPi / 2);
      cairo_close_path(cr);
    }
    cairo_set_source_rgba(cr, p.color.r / 255.0, p.color.g / 255.0, p.color.b / 255.0, p.color.a / 255.0);
    cairo_fill(cr);
    cairo_restore(cr);
  }
  cairo_destroy(cr);
  cairo_surface_flush(surface);
  cairo_surface_destroy(surface);
  return frame;
}

Frame rendered(const std::vector<Placed>& shapes, double scale, Color background, std::optional<Rect> clip = {}) {
  Scene scene;
  if (clip) scene.push_clip(*clip, Affine{});
  for (const auto& p : shapes) scene.fill(p.shape, p.color, p.transform);
  if (clip) scene.pop_clip();
  TextRenderer text(TextRenderer::Metrics::Fixed);
  Frame frame(kWidth, kHeight);
  render_into(scene, text, frame.pixels(), kWidth, kHeight, frame.stride(), scale, background);
  return frame;
}

int differing_pixels(const Frame& a, const Frame& b) {
  int differ = 0;
  for (std::size_t i = 0; i < std::size_t(kWidth) * kHeight * 4; i += 4) {
    differ += std::memcmp(a.pixels() + i, b.pixels() + i, 3) != 0;
  }
  return differ;
}

// Many overlapping rounded rectangles at fractional positions, repeated at the same sizes so that
// later fills reuse what earlier ones rasterised, some crossing the frame's edge.
std::vector<Placed> random_shapes(unsigned seed) {
  std::mt19937 random(seed);
  auto uniform = [&](double lo, double hi) { return std::uniform_real_distribution<double>(lo, hi)(random); };
  std::vector<Placed> out;
  for (int i = 0; i < 300; ++i) {
    const double w = std::round(uniform(2, 60) * 4) / 4;
    const double h = std::round(uniform(2, 40) * 4) / 4;
    const double x = uniform(-10, kWidth - 20);
    const double y = uniform(-10, kHeight - 10);
    const Color color{static_cast<std::uint8_t>(random()), static_cast<std::uint8_t>(random()),
                      static_cast<std::uint8_t>(random()), i % 7 == 0 ? std::uint8_t(128) : std::uint8_t(255)};
    const Affine transform = i % 3 == 0 ? Affine::translate(std::round(uniform(0, 40)), uniform(0, 20)) : Affine{};
    out.push_back({RoundedRect::from_rect(Rect::from_origin_size(x, y, w, h), std::round(uniform(0, 12))), color,
                   transform});
    // The same shape again, moved by whole and by fractional pixels.
    if (i % 2 == 0) out.push_back({RoundedRect::from_rect(Rect::from_origin_size(x + 17, y + 9, w, h), out.back().shape.radius), color, transform});
  }
  return out;
}

TEST(RenderTest, RoundedFillsDrawCairosOwnPixelsAtEveryScale) {
  for (double scale : {1.0, 1.25, 2.0}) {
    for (unsigned seed : {1u, 2u, 3u}) {
      const auto shapes = random_shapes(seed);
      const Color background = Color::rgb(0x202124);
      // Twice: the second frame draws from the masks the first one kept.
      for (int frame = 0; frame < 2; ++frame) {
        EXPECT_EQ(differing_pixels(rendered(shapes, scale, background), reference(shapes, scale, background)), 0)
            << "scale " << scale << ", seed " << seed << ", frame " << frame;
      }
      // A clip whose edges fall inside pixels cuts some of the shapes.
      const Rect clip{10.5, 8.25, 250.75, 150.5};
      EXPECT_EQ(differing_pixels(rendered(shapes, scale, background, clip), reference(shapes, scale, background, clip)), 0)
          << "clipped, scale " << scale << ", seed " << seed;
    }
  }
}

}  // namespace
}  // namespace orvo_ui
