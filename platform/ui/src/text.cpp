#include "orvo_ui/text.h"

#include <fontconfig/fontconfig.h>
#include <pango/pangocairo.h>
#include <pthread.h>

#include <atomic>
#include <cmath>
#include <future>
#include <mutex>
#include <string>
#include <thread>
#include <unordered_map>
#include <vector>

#include "orvo_runtime/text.h"
#include "orvo_ui/scene.h"

namespace orvo_ui {
namespace {

constexpr const char* kFontFamily = "DejaVu Sans";
constexpr std::size_t kMeasureCacheLimit = 4096;
constexpr std::size_t kShapedCacheLimit = 1024;
// How much of one text is laid out: a single line longer than any screen ends in an ellipsis
// anyway, and wrapped text stops after pages of it, so an enormous name (from a file edited by
// hand, say) never stalls a frame.
constexpr std::size_t kMaxLineCharacters = 1024;
constexpr std::size_t kMaxWrappedCharacters = 16384;

std::size_t code_points(std::string_view text) {
  std::size_t n = 0;
  for (unsigned char c : text) n += (c & 0xC0) != 0x80 ? 1 : 0;
  return n;
}

// Fixed metrics: each code point is half an em wide, each line 1.25 em high; words wrap greedily.
Size fixed_measure(std::string_view text, bool wrap, float size, float max_width) {
  const float advance = size * 0.5f;
  const float line_height = size * 1.25f;
  float widest = 0;
  int lines = 0;
  std::size_t start = 0;
  while (start <= text.size()) {
    auto nl = text.find('\n', start);
    std::string_view paragraph = text.substr(start, nl == std::string_view::npos ? std::string_view::npos : nl - start);
    float line = 0;
    int paragraph_lines = 1;
    std::size_t pos = 0;
    while (pos < paragraph.size()) {
      auto space = paragraph.find(' ', pos);
      std::string_view word = paragraph.substr(pos, space == std::string_view::npos ? std::string_view::npos : space - pos);
      float w = advance * static_cast<float>(code_points(word));
      float with_space = line > 0 ? line + advance + w : w;
      if (wrap && max_width > 0 && line > 0 && with_space > max_width) {
        widest = std::max(widest, line);
        ++paragraph_lines;
        line = w;
      } else {
        line = with_space;
      }
      if (space == std::string_view::npos) break;
      pos = space + 1;
    }
    widest = std::max(widest, line);
    lines += paragraph_lines;
    if (nl == std::string_view::npos) break;
    start = nl + 1;
  }
  if (wrap && max_width > 0) widest = std::min(widest, max_width);
  return {widest, line_height * static_cast<float>(std::max(lines, 1))};
}

struct MeasureKey {
  std::string text;
  float size;
  float max_width;
  bool wrap;
  bool bold;
  bool operator==(const MeasureKey&) const = default;
};

// The same fields with the text borrowed, so a lookup allocates nothing.
struct MeasureKeyView {
  std::string_view text;
  float size;
  float max_width;
  bool wrap;
  bool bold;
};

template <typename Key>
std::size_t hash_key(const Key& k) {
  std::size_t h = std::hash<std::string_view>{}(k.text);
  h ^= std::hash<float>{}(k.size) + 0x9e3779b9 + (h << 6) + (h >> 2);
  h ^= std::hash<float>{}(k.max_width) + 0x9e3779b9 + (h << 6) + (h >> 2);
  return h ^ (static_cast<std::size_t>(k.wrap) << 1) ^ static_cast<std::size_t>(k.bold);
}

struct MeasureKeyHash {
  using is_transparent = void;
  std::size_t operator()(const MeasureKey& k) const { return hash_key(k); }
  std::size_t operator()(const MeasureKeyView& k) const { return hash_key(k); }
};

struct MeasureKeyEqual {
  using is_transparent = void;
  template <typename A, typename B>
  bool operator()(const A& a, const B& b) const {
    return std::string_view(a.text) == std::string_view(b.text) && a.size == b.size && a.max_width == b.max_width &&
           a.wrap == b.wrap && a.bold == b.bold;
  }
};

void configure(PangoLayout* layout, std::string_view text, bool wrap, float size, float max_width, bool bold) {
  PangoFontDescription* font = pango_font_description_new();
  pango_font_description_set_family(font, kFontFamily);
  pango_font_description_set_absolute_size(font, size * PANGO_SCALE);
  pango_font_description_set_weight(font, bold ? PANGO_WEIGHT_BOLD : PANGO_WEIGHT_NORMAL);
  pango_layout_set_font_description(layout, font);
  pango_font_description_free(font);
  text = orvo_runtime::text::first_characters(text, wrap ? kMaxWrappedCharacters : kMaxLineCharacters);
  pango_layout_set_text(layout, text.data(), static_cast<int>(text.size()));
  if (wrap && max_width > 0) {
    pango_layout_set_width(layout, static_cast<int>(max_width * PANGO_SCALE));
    pango_layout_set_wrap(layout, PANGO_WRAP_WORD_CHAR);
    pango_layout_set_ellipsize(layout, PANGO_ELLIPSIZE_NONE);
  } else if (max_width > 0) {
    pango_layout_set_width(layout, static_cast<int>(max_width * PANGO_SCALE));
    pango_layout_set_ellipsize(layout, PANGO_ELLIPSIZE_END);
  } else {
    pango_layout_set_width(layout, -1);
  }
}

}  // namespace

struct TextRenderer::Fonts {
  PangoFontMap* map = nullptr;
  PangoContext* context = nullptr;
  PangoLayout* layout = nullptr;
  std::unordered_map<MeasureKey, Size, MeasureKeyHash, MeasureKeyEqual> cache;
  // Shaped layouts kept for painting: a frame mostly repaints the texts of the frame before.
  std::unordered_map<MeasureKey, PangoLayout*, MeasureKeyHash, MeasureKeyEqual> shaped;

  void forget_shaped() {
    for (auto& [key, shaped_layout] : shaped) g_object_unref(shaped_layout);
    shaped.clear();
  }

  Fonts() {
    map = pango_cairo_font_map_new();
    context = pango_font_map_create_context(map);
    cairo_font_options_t* options = cairo_font_options_create();
    cairo_font_options_set_antialias(options, CAIRO_ANTIALIAS_GRAY);
    cairo_font_options_set_hint_metrics(options, CAIRO_HINT_METRICS_OFF);
    pango_cairo_context_set_font_options(context, options);
    cairo_font_options_destroy(options);
    layout = pango_layout_new(context);
  }
  ~Fonts() {
    forget_shaped();
    g_object_unref(layout);
    g_object_unref(context);
    g_object_unref(map);
  }

  // Loads the font files, then shapes and then rasterises the printable ASCII characters at the
  // sizes the first page uses, so that its first layout and drawing find them ready. Shaping comes
  // first because layout needs every size before anything is drawn. Stops between steps once
  // `enough` is set.
  void warm(const std::atomic<bool>& enough) {
    constexpr std::string_view kSample =
        " !\"#$%&'()*+,-./0123456789:;<=>?@ABCDEFGHIJKLMNOPQRSTUVWXYZ[\\]^_`abcdefghijklmnopqrstuvwxyz{|}~";
    struct Face {
      float size;
      bool bold;
    };
    constexpr Face kFaces[] = {{14, false}, {12, false}, {13, false}, {15, true}, {24, false}};
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_RGB24, 1600, 40);
    cairo_t* cr = cairo_create(surface);
    PangoLayout* samples[std::size(kFaces)];
    for (std::size_t i = 0; i < std::size(kFaces); ++i) {
      samples[i] = pango_layout_new(context);
      configure(samples[i], kSample, false, kFaces[i].size, 0, kFaces[i].bold);
    }
    for (PangoLayout* sample : samples) {
      if (enough) break;
      pango_layout_get_pixel_size(sample, nullptr, nullptr);
    }
    for (PangoLayout* sample : samples) {
      if (enough) break;
      cairo_move_to(cr, 0, 0);
      pango_cairo_show_layout(cr, sample);
    }
    for (PangoLayout* sample : samples) g_object_unref(sample);
    cairo_destroy(cr);
    cairo_surface_destroy(surface);
  }
};

namespace {

// Fonts made and warmed on the preload thread, for the first renderer with real fonts to take.
struct Preloaded {
  std::mutex mutex;
  std::future<std::unique_ptr<TextRenderer::Fonts>> fonts;
  std::atomic<bool> wanted{false};  // a renderer waits for the fonts: warming stops early
};

Preloaded& preloaded() {
  static Preloaded* slot = new Preloaded();  // never destroyed: the helper thread may outlive main
  return *slot;
}

}  // namespace

void TextRenderer::preload_fonts() {
  // Reading the font configuration, opening the font files and rasterising the first glyphs take
  // tens of milliseconds; doing it beside the window's set-up shortens the start.
  Preloaded& slot = preloaded();
  std::lock_guard lock(slot.mutex);
  if (slot.fonts.valid()) return;
  std::packaged_task<std::unique_ptr<Fonts>()> task([&slot] {
    (void)pthread_setname_np(pthread_self(), "font-preload");
    FcInit();
    auto fonts = std::make_unique<Fonts>();
    fonts->warm(slot.wanted);
    return fonts;
  });
  slot.fonts = task.get_future();
  std::thread(std::move(task)).detach();
}

TextRenderer::TextRenderer(Metrics metrics, float text_scale) : metrics_(metrics), text_scale_(text_scale) {
  if (metrics_ != Metrics::Fonts) return;
  {
    Preloaded& slot = preloaded();
    std::lock_guard lock(slot.mutex);
    if (slot.fonts.valid()) {
      slot.wanted = true;
      fonts_ = slot.fonts.get();
    }
  }
  if (!fonts_) fonts_ = std::make_unique<Fonts>();
}

TextRenderer::~TextRenderer() = default;

void TextRenderer::set_text_scale(float scale) {
  text_scale_ = scale;
  if (fonts_) {
    fonts_->cache.clear();
    fonts_->forget_shaped();
  }
}

float TextRenderer::renderer_input_style(const TextStyle& style) const { return style.size * text_scale_; }

Size TextRenderer::measure(std::string_view text, bool wrap, float size, float max_width, bool bold) {
  if (metrics_ == Metrics::Fixed) return fixed_measure(text, wrap, size, max_width);
  if (auto it = fonts_->cache.find(MeasureKeyView{text, size, max_width, wrap, bold}); it != fonts_->cache.end()) {
    return it->second;
  }
  MeasureKey key{std::string(text), size, max_width, wrap, bold};
  configure(fonts_->layout, text, wrap, size, max_width, bold);
  int w = 0;
  int h = 0;
  pango_layout_get_pixel_size(fonts_->layout, &w, &h);
  Size result{static_cast<float>(w), static_cast<float>(h)};
  if (fonts_->cache.size() >= kMeasureCacheLimit) fonts_->cache.clear();
  fonts_->cache.emplace(std::move(key), result);
  return result;
}

std::vector<double> TextRenderer::caret_positions(std::string_view text, float size) {
  std::vector<std::size_t> boundaries;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if ((static_cast<unsigned char>(text[i]) & 0xC0) != 0x80) boundaries.push_back(i);
  }
  boundaries.push_back(text.size());
  std::vector<double> xs(boundaries.size(), 0.0);
  if (metrics_ == Metrics::Fixed) {
    for (std::size_t k = 0; k < xs.size(); ++k) xs[k] = static_cast<double>(k) * size * 0.5;
    return xs;
  }
  configure(fonts_->layout, text, false, size, 0, false);
  // One walk over the shaped clusters: a boundary inside a cluster (a ligature) takes the cluster's
  // start, and the end takes the line's width.
  PangoLayoutIter* iter = pango_layout_get_iter(fonts_->layout);
  std::size_t k = 0;
  do {
    const auto index = static_cast<std::size_t>(pango_layout_iter_get_index(iter));
    PangoRectangle logical;
    pango_layout_iter_get_cluster_extents(iter, nullptr, &logical);
    const double x = static_cast<double>(logical.x) / PANGO_SCALE;
    while (k < boundaries.size() && boundaries[k] <= index) {
      if (k == 0 || boundaries[k] == index) xs[k] = x;
      else xs[k] = xs[k - 1];
      ++k;
    }
  } while (pango_layout_iter_next_cluster(iter));
  pango_layout_iter_free(iter);
  PangoRectangle line;
  pango_layout_get_extents(fonts_->layout, nullptr, &line);
  const double end = static_cast<double>(line.width) / PANGO_SCALE;
  for (; k < boundaries.size(); ++k) xs[k] = end;
  xs.back() = end;
  return xs;
}

void TextRenderer::draw_text(Scene& scene, std::string_view text, bool wrap, float size, float max_width, Color color,
                             const Affine& transform, bool bold) {
  scene.text(draw::Text{std::string(text), size, max_width, wrap, bold, color, transform});
}

void TextRenderer::paint(void* cairo, std::string_view text, bool wrap, float size, float max_width, bool bold) {
  auto* cr = static_cast<cairo_t*>(cairo);
  if (!fonts_) {
    PangoLayout* layout = pango_cairo_create_layout(cr);
    configure(layout, text, wrap, size, max_width, bold);
    pango_cairo_show_layout(cr, layout);
    g_object_unref(layout);
    return;
  }
  auto it = fonts_->shaped.find(MeasureKeyView{text, size, max_width, wrap, bold});
  if (it == fonts_->shaped.end()) {
    if (fonts_->shaped.size() >= kShapedCacheLimit) fonts_->forget_shaped();
    PangoLayout* layout = pango_layout_new(fonts_->context);
    configure(layout, text, wrap, size, max_width, bold);
    it = fonts_->shaped.emplace(MeasureKey{std::string(text), size, max_width, wrap, bold}, layout).first;
  }
  pango_cairo_show_layout(cr, it->second);
}

}  // namespace orvo_ui
