#include "orvo_ui/widgets/qr_widget.h"

#include <qrencode.h>

#include <cerrno>
#include <cmath>
#include <cstring>
#include <string.h>

#include "widgets/node_support.h"

namespace orvo_ui {
namespace {

constexpr float kErrorTextSize = 12;
constexpr float kErrorTextWidth = 200;

QRecLevel to_level(std::uint8_t level) {
  switch (level) {
    case 0: return QR_ECLEVEL_L;
    case 2: return QR_ECLEVEL_Q;
    case 3: return QR_ECLEVEL_H;
    default: return QR_ECLEVEL_M;
  }
}

// The encoder reports failures through errno; these are its own words for them.
std::string encoder_error(int error) {
  switch (error) {
    case ERANGE: return "input data is too large";
    case EINVAL: return "invalid input object";
    case ENOMEM: return "unable to allocate memory for input objects";
    default: return std::strerror(error);
  }
}

QrWidget::DropObserver& drop_observer() {
  static QrWidget::DropObserver observer;
  return observer;
}

}  // namespace

QrWidget::QrWidget(std::string_view payload) { set_payload(payload); }

QrWidget::QrWidget(orvo_secret::SecretString payload) { set_payload(std::move(payload)); }

QrWidget::~QrWidget() {
  payload_.wipe();
  wipe_modules();
  if (const DropObserver& observer = drop_observer()) observer(payload_.storage_for_testing(), modules_);
}

void QrWidget::set_drop_observer_for_testing(DropObserver observer) { drop_observer() = std::move(observer); }

void QrWidget::set_payload(std::string_view payload) { set_payload(orvo_secret::SecretString(payload)); }

void QrWidget::set_payload(orvo_secret::SecretString payload) {
  payload_ = std::move(payload);
  encode();
}

void QrWidget::wipe_modules() {
  if (!modules_.empty()) explicit_bzero(modules_.data(), modules_.size());
}

void QrWidget::encode() {
  wipe_modules();
  errno = 0;
  QRcode* code = nullptr;
  if (payload_.view().find('\0') == std::string_view::npos) {
    // Mixed modes: digit and upper-case runs pack tighter; everything else is encoded byte by byte.
    code = QRcode_encodeString(payload_.c_str(), 0, to_level(level_), QR_MODE_8, 1);
  } else {
    code = QRcode_encodeData(static_cast<int>(payload_.size()), reinterpret_cast<const unsigned char*>(payload_.data()),
                             0, to_level(level_));
  }
  if (code == nullptr) {
    width_ = 0;
    modules_.clear();
    error_ = encoder_error(errno != 0 ? errno : EINVAL);
    return;
  }
  width_ = static_cast<std::uint64_t>(code->width);
  const std::size_t count = static_cast<std::size_t>(code->width) * static_cast<std::size_t>(code->width);
  modules_.resize(count);
  for (std::size_t i = 0; i < count; ++i) modules_[i] = code->data[i] & 1;
  error_.reset();
  explicit_bzero(code->data, count);
  QRcode_free(code);
}

NodeId QrWidget::build_layout(LayoutTree& tree, LayoutContext&, NodeMap& nodes) {
  Style style;
  style.flex_shrink = 0;
  return node_support::measured_leaf(tree, style, nodes, *this);
}

Size QrWidget::measure(KnownSize known, AvailableSize, TextRenderer& text) {
  Size natural;
  if (width_ > 0) {
    const float side = static_cast<float>(width_ + 2 * quiet_zone_) * kModulePoints;
    natural = {side, side};
  } else if (error_) {
    natural = text.measure(*error_, true, text.renderer_input_style(TextStyle{kErrorTextSize}), kErrorTextWidth);
  }
  return {known.width.value_or(natural.width), known.height.value_or(natural.height)};
}

void QrWidget::apply_layout(const LayoutTree& tree, NodeId node, double x, double y) {
  rect_ = node_support::laid_out_rect(tree, node, x, y);
}

void QrWidget::draw(Scene& scene, Affine transform, TextRenderer& text, const Theme& theme, const PresenceContext&) {
  if (width_ == 0) {
    if (error_) {
      text.draw_text(scene, *error_, true, text.renderer_input_style(TextStyle{kErrorTextSize}),
                     static_cast<float>(rect_.width()) + 0.5f, theme.danger,
                     transform * Affine::translate(rect_.x0, rect_.y0));
    }
    return;
  }
  const double cells = static_cast<double>(width_ + 2 * quiet_zone_);
  const double side = std::min(rect_.width(), rect_.height());
  // Whole points per module when there is room for them, so module edges stay sharp.
  double module = side / cells;
  if (module >= 1) module = std::floor(module);
  const double code_side = module * cells;
  const double left = rect_.x0 + (rect_.width() - code_side) / 2;
  const double top = rect_.y0 + (rect_.height() - code_side) / 2;
  // Dark on light whatever the theme: readers expect it.
  scene.fill(RoundedRect::from_rect(Rect::from_origin_size(left, top, code_side, code_side), module), Color::rgb(0xffffff),
             transform);
  Path dark;
  const double origin_x = left + module * static_cast<double>(quiet_zone_);
  const double origin_y = top + module * static_cast<double>(quiet_zone_);
  for (std::uint64_t row = 0; row < width_; ++row) {
    std::uint64_t col = 0;
    while (col < width_) {
      if (modules_[row * width_ + col] == 0) {
        ++col;
        continue;
      }
      std::uint64_t end = col;
      while (end < width_ && modules_[row * width_ + end] != 0) ++end;
      const double x0 = origin_x + module * static_cast<double>(col);
      const double x1 = origin_x + module * static_cast<double>(end);
      const double y0 = origin_y + module * static_cast<double>(row);
      dark.move_to({x0, y0}).line_to({x1, y0}).line_to({x1, y0 + module}).line_to({x0, y0 + module}).close();
      col = end;
    }
  }
  if (!dark.elements.empty()) scene.fill(std::move(dark), Color::rgb(0x000000), transform);
}

std::optional<AccessibilityNode> QrWidget::accessibility() const {
  // The payload may hold a secret (a network password); it is not exposed.
  AccessibilityNode node = AccessibilityNode{}.with_label(label_).with_id(id_);
  if (error_) node = std::move(node).with_description(*error_);
  return node;
}

}  // namespace orvo_ui
