#pragma once
// A QR code of a text payload, encoded at error-correction level M in the smallest version that
// holds it. A payload the encoder refuses leaves no modules and the encoder's error text; the widget
// stays usable and a later payload replaces both.
//
// A payload may carry a secret (a network's password): it is kept only in wiping memory, and the
// payload and the modules that encode it are wiped when a new payload replaces them and when the
// widget is dropped.
#include <cstdint>
#include <functional>
#include <span>
#include <optional>
#include <string>
#include <vector>

#include "orvo_secret/secret_string.h"
#include "orvo_ui/widget.h"

namespace orvo_ui {

class QrWidget final : public Widget {
 public:
  // Error-correction levels: 0 L, 1 M, 2 Q, 3 H.
  static constexpr std::uint8_t kLevelM = 1;
  // Natural size of one module, in points.
  static constexpr float kModulePoints = 4;

  explicit QrWidget(std::string_view payload);
  explicit QrWidget(orvo_secret::SecretString payload);
  QrWidget(QrWidget&&) noexcept = default;
  QrWidget& operator=(QrWidget&&) noexcept = default;
  ~QrWidget() override;

  // Stores the payload and encodes it again; the previous payload and modules are wiped.
  void set_payload(std::string_view payload);
  void set_payload(orvo_secret::SecretString payload);

  std::string_view payload() const { return payload_.view(); }

  // Tests: called as a widget is dropped, after the wipe and before its memory is released, with
  // the payload's storage and the modules.
  using DropObserver = std::function<void(std::span<const char> payload, std::span<const std::uint8_t> modules)>;
  static void set_drop_observer_for_testing(DropObserver observer);
  // One byte per module, row by row from the top left: 1 dark, 0 light.
  const std::vector<std::uint8_t>& modules() const { return modules_; }
  std::uint64_t width() const { return width_; }
  const std::optional<std::string>& error() const { return error_; }
  // Light modules drawn around the code on every side (the quiet zone).
  std::uint64_t quiet_zone() const { return quiet_zone_; }
  std::uint8_t error_correction() const { return level_; }
  const std::string& label() const { return label_; }

  std::string_view type_name() const override { return "orvo_ui::widget::qr::QrWidget"; }
  std::string_view name() const override { return "QrWidget"; }
  std::optional<std::string> widget_id() const override { return id_; }

  void sync(SyncContext&) override {}
  NodeId build_layout(LayoutTree& tree, LayoutContext& context, NodeMap& nodes) override;
  Size measure(KnownSize known, AvailableSize available, TextRenderer& text) override;
  void apply_layout(const LayoutTree& tree, NodeId node, double x, double y) override;
  void draw(Scene& scene, Affine transform, TextRenderer& text, const Theme& theme,
            const PresenceContext& presence) override;
  void handle_event(const Event&, EventContext&) override {}
  Rect get_rect() const override { return rect_; }
  std::optional<AccessibilityNode> accessibility() const override;

 private:
  void encode();
  void wipe_modules();

  std::string id_ = "qr_widget";
  std::string label_ = "QR code";
  orvo_secret::SecretString payload_;
  std::vector<std::uint8_t> modules_;
  std::optional<std::string> error_;
  Rect rect_;
  std::uint64_t width_ = 0;
  std::uint64_t quiet_zone_ = 4;
  std::uint8_t level_ = kLevelM;
};

}  // namespace orvo_ui
