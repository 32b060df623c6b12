#pragma once
// A radio link's strength as four rising bars (those above the level dimmed), followed by a
// padlock when the link is secured. Drawn with paths, so it needs no icon font.
#include <cstdint>

#include "orvo_ui/widget.h"

namespace orvo_ui {

class SignalStrength final : public Widget {
 public:
  static constexpr std::uint8_t kMaxBars = 4;
  static constexpr float kHeight = 14;
  static constexpr float kBarsWidth = 18;
  static constexpr float kLockWidth = 12;
  static constexpr float kGap = 6;

  // `bars` above kMaxBars count as kMaxBars.
  SignalStrength(std::uint8_t bars, bool secured) : bars_(bars > kMaxBars ? kMaxBars : bars), secured_(secured) {}

  std::uint8_t bars() const { return bars_; }
  bool secured() const { return secured_; }

  std::string_view type_name() const override { return "orvo_ui::widget::signal_strength::SignalStrength"; }
  std::string_view name() const override { return "SignalStrength"; }

  void sync(SyncContext&) override {}
  NodeId build_layout(LayoutTree& tree, LayoutContext& context, NodeMap& nodes) override;
  void apply_layout(const LayoutTree& tree, NodeId node, double x, double y) override;
  void draw(Scene& scene, Affine transform, TextRenderer& text, const Theme& theme,
            const PresenceContext& presence) override;
  void handle_event(const Event&, EventContext&) override {}
  bool is_layout_dirty() const override;
  Rect get_rect() const override { return rect_; }
  std::optional<AccessibilityNode> accessibility() const override;

 private:
  std::uint8_t bars_;
  bool secured_;
  Rect rect_;
};

}  // namespace orvo_ui
