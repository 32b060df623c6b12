#include "orvo_ui/render.h"

#include <cairo.h>

#include <cmath>
#include <cstring>
#include <numbers>
#include <optional>
#include <unordered_map>
#include <vector>

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

// Small rounded shapes (rows, buttons, chips, cards of a grid) come back frame after frame at the
// same size. Each is rasterised once per size and sub-pixel position, and the coverage of every
// pixel kept; a fill then blends its colour by that coverage with the arithmetic of cairo's own
// fill, so the pixels are those of the path filled in place. Used by one thread at a time.
class ShapeMasks {
 public:
  struct Mask {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> coverage;  // row after row, 0 (outside) to 255 (inside)
  };
  struct Placed {
    const Mask* mask;
    int x;
    int y;
  };

  // The mask of `shape` (in device pixels, at non-negative coordinates) and where its top left
  // corner goes; none for a shape too large to keep.
  std::optional<Placed> find_or_make(const RoundedRect& shape) {
    const double x = std::floor(shape.rect.x0);
    const double y = std::floor(shape.rect.y0);
    const Key key{shape.rect.x0 - x, shape.rect.y0 - y, shape.rect.width(), shape.rect.height(), shape.radius};
    const int width = static_cast<int>(std::ceil(key.x + key.width));
    const int height = static_cast<int>(std::ceil(key.y + key.height));
    const std::size_t bytes = static_cast<std::size_t>(width) * height;
    if (bytes > kLargestMask) return std::nullopt;
    auto it = masks_.find(key);
    if (it == masks_.end()) {
      if (bytes_ + bytes > kMaskBudget) forget();
      it = masks_.emplace(key, rasterise(key, width, height)).first;
      bytes_ += bytes;
    }
    return Placed{&it->second, static_cast<int>(x), static_cast<int>(y)};
  }

 private:
  static constexpr std::size_t kLargestMask = 32 * 1024;
  static constexpr std::size_t kMaskBudget = 4 * 1024 * 1024;

  struct Key {
    double x, y, width, height, radius;
    bool operator==(const Key&) const = default;
  };
  struct KeyHash {
    std::size_t operator()(const Key& k) const {
      std::size_t h = 0;
      for (double v : {k.x, k.y, k.width, k.height, k.radius}) h = h * 1000003 ^ std::hash<double>{}(v);
      return h;
    }
  };

  static Mask rasterise(const Key& key, int width, int height) {
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_A8, width, height);
    cairo_t* cr = cairo_create(surface);
    rounded_rect_path(cr, RoundedRect{Rect{key.x, key.y, key.x + key.width, key.y + key.height}, key.radius});
    cairo_fill(cr);
    cairo_destroy(cr);
    cairo_surface_flush(surface);
    Mask mask{width, height, std::vector<std::uint8_t>(static_cast<std::size_t>(width) * height)};
    const std::uint8_t* data = cairo_image_surface_get_data(surface);
    const int stride = cairo_image_surface_get_stride(surface);
    for (int row = 0; row < height; ++row) {
      std::memcpy(mask.coverage.data() + static_cast<std::size_t>(row) * width, data + row * stride, width);
    }
    cairo_surface_destroy(surface);
    return mask;
  }

  void forget() {
    masks_.clear();
    bytes_ = 0;
  }

  std::unordered_map<Key, Mask, KeyHash> masks_;
  std::size_t bytes_ = 0;
};

ShapeMasks& shape_masks() {
  thread_local ShapeMasks masks;
  return masks;
}

bool is_translation(const Affine& a) { return a.m[0] == 1 && a.m[1] == 0 && a.m[2] == 0 && a.m[3] == 1; }

// `r` under `transform` (a translation) and `scale`, as cairo maps it to device pixels.
Rect device_rect(const Rect& r, const Affine& transform, double scale) {
  const double tx = transform.m[4] * scale;
  const double ty = transform.m[5] * scale;
  return {r.x0 * scale + tx, r.y0 * scale + ty, r.x1 * scale + tx, r.y1 * scale + ty};
}

// Fills through a cached mask when that gives exactly cairo's pixels: an opaque colour, a rounded
// rectangle that is only moved and scaled, and no clip edge or surface edge crossing its pixels.
// `clip` is the device rectangle the active clips leave (none: no clip).
// Blends `pixel` (opaque xRGB) over `dst` at coverage `a` as cairo's own fill does, two channels at
// a time: each product divided by 255 and rounded with 127 (not 128) added, then added with
// saturation. One rounding step off and edge pixels come out one level lighter.
std::uint32_t blend(std::uint32_t pixel, std::uint8_t a, std::uint32_t dst) {
  constexpr std::uint32_t kPair = 0x00ff00ff;
  auto scale_pair = [](std::uint32_t v, std::uint32_t by) {
    std::uint32_t t = (v & kPair) * by + 0x007f007f;
    return ((t + ((t >> 8) & kPair)) >> 8) & kPair;
  };
  auto add_pair = [](std::uint32_t x, std::uint32_t y) {
    std::uint32_t t = x + y;
    t |= 0x01000100 - ((t >> 8) & kPair);  // saturate each channel at 255
    return t & kPair;
  };
  const std::uint32_t keep = 255u - a;
  return add_pair(scale_pair(pixel, a), scale_pair(dst, keep)) |
         add_pair(scale_pair(pixel >> 8, a), scale_pair(dst >> 8, keep)) << 8;
}

struct Target {
  cairo_surface_t* surface;
  std::uint8_t* pixels;
  int stride;
  Rect bounds;
};

// Fills through a cached mask when that gives exactly cairo's pixels: an opaque colour, a rounded
// rectangle that is only moved and scaled, and no clip edge or surface edge crossing its pixels.
// `clip` is the device rectangle the active clips leave.
bool fill_masked(const Target& target, const draw::Fill& fill, double scale, const Rect& clip) {
  const auto* shape = std::get_if<RoundedRect>(&fill.shape);
  if (!shape || shape->radius <= 0 || fill.color.a != 255 || !is_translation(fill.transform)) return false;
  const Rect device = device_rect(shape->rect, fill.transform, scale);
  const Rect pixels{std::floor(device.x0), std::floor(device.y0), std::ceil(device.x1), std::ceil(device.y1)};
  auto inside = [&](const Rect& area) {
    return pixels.x0 >= std::ceil(area.x0) && pixels.y0 >= std::ceil(area.y0) && pixels.x1 <= std::floor(area.x1) &&
           pixels.y1 <= std::floor(area.y1);
  };
  if (!inside(target.bounds) || !inside(clip)) return false;
  auto placed = shape_masks().find_or_make(RoundedRect{device, shape->radius * scale});
  if (!placed) return false;

  const ShapeMasks::Mask& mask = *placed->mask;
  const int x0 = placed->x;
  const int y0 = placed->y;
  const std::uint32_t pixel =
      0xff000000u | std::uint32_t(fill.color.r) << 16 | std::uint32_t(fill.color.g) << 8 | fill.color.b;
  cairo_surface_flush(target.surface);
  for (int y = 0; y < mask.height; ++y) {
    const std::uint8_t* row = mask.coverage.data() + static_cast<std::size_t>(y) * mask.width;
    auto* out = reinterpret_cast<std::uint32_t*>(target.pixels + static_cast<std::ptrdiff_t>(y0 + y) * target.stride) + x0;
    for (int x = 0; x < mask.width; ++x) {
      if (const std::uint8_t a = row[x]; a == 255) {
        out[x] = pixel;
      } else if (a != 0) {
        out[x] = blend(pixel, a, out[x]);
      }
    }
  }
  cairo_surface_mark_dirty_rectangle(target.surface, x0, y0, mask.width, mask.height);
  return true;
}

void replay(cairo_t* cr, const Scene& scene, TextRenderer& text, double scale, const Target& target) {
  int clips = 0;
  // The device rectangle left by the clips pushed so far; none when a clip is not a moved rectangle.
  std::vector<std::optional<Rect>> clip_stack;
  auto current_clip = [&]() -> std::optional<Rect> { return clip_stack.empty() ? target.bounds : clip_stack.back(); };
  for (const auto& command : scene.commands()) {
    std::visit(
        [&](const auto& c) {
          using T = std::decay_t<decltype(c)>;
          if constexpr (std::is_same_v<T, draw::Fill>) {
            const std::optional<Rect> clip = current_clip();
            if (clip && fill_masked(target, c, scale, *clip)) return;
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
            std::optional<Rect> clip = current_clip();
            if (clip && is_translation(c.transform)) {
              clip = clip->intersect(device_rect(c.rect, c.transform, scale));
            } else {
              clip.reset();
            }
            clip_stack.push_back(clip);
          } else if constexpr (std::is_same_v<T, draw::PopClip>) {
            if (clips > 0) {
              cairo_restore(cr);
              --clips;
              clip_stack.pop_back();
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
  replay(cr, scene, text, scale,
         Target{surface, pixels, stride, Rect{0, 0, static_cast<double>(width), static_cast<double>(height)}});
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
