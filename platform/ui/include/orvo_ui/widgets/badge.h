#pragma once
// A short status word on a rounded pill, coloured by a tone of the theme or by an explicit colour.
#include <string>
#include <variant>

#include "orvo_ui/widget.h"

namespace orvo_ui {

// Tone bytes: 0 neutral, 1 accent, 2 success, 3 warning, 4 danger; any other byte looks neutral.
namespace badge_tone {
inline constexpr std::uint8_t kNeutral = 0;
inline constexpr std::uint8_t kAccent = 1;
inline constexpr std::uint8_t kSuccess = 2;
inline constexpr std::uint8_t kWarning = 3;
inline constexpr std::uint8_t kDanger = 4;
}  // namespace badge_tone

struct BadgeTone {
  std::uint8_t tone = badge_tone::kNeutral;
  friend bool operator==(const BadgeTone&, const BadgeTone&) = default;
};
struct BadgeColor {
  Color color;
  friend bool operator==(const BadgeColor&, const BadgeColor&) = default;
};
using BadgeStyle = std::variant<BadgeTone, BadgeColor>;

class Badge final : public Widget {
 public:
  static constexpr float kTextSize = 11;
  static constexpr float kPaddingX = 8;
  static constexpr float kPaddingY = 3;

  [[nodiscard]] static Badge toned(std::string_view text, std::uint8_t tone);
  [[nodiscard]] static Badge colored(std::string_view text, Color color);

  void set_text(std::string text);
  const std::string& text() const { return text_; }
  const BadgeStyle& style() const { return style_; }
  // The pill as last laid out (the layout box, at most the pill's own height, centred in it).
  Rect pill_rect() const { return pill_rect_; }

  std::string_view type_name() const override { return "orvo_ui::widget::badge::Badge"; }
  std::string_view name() const override { return "Badge"; }

  void sync(SyncContext&) override {}
  NodeId build_layout(LayoutTree& tree, LayoutContext& context, NodeMap& nodes) override;
  Size measure(KnownSize known, AvailableSize available, TextRenderer& text) override;
  void apply_layout(const LayoutTree& tree, NodeId node, double x, double y) override;
  void draw(Scene& scene, Affine transform, TextRenderer& text, const Theme& theme,
            const PresenceContext& presence) override;
  void handle_event(const Event&, EventContext&) override {}
  bool needs_redraw() const override { return redraw_; }
  void mark_drawn() override { redraw_ = false; }
  void collect_damage(std::vector<Rect>& damage) const override;
  bool is_layout_dirty() const override;
  Rect get_rect() const override { return rect_; }
  std::optional<AccessibilityNode> accessibility() const override;

 private:
  Badge(std::string text, BadgeStyle style) : text_(std::move(text)), style_(style) {}
  Color base_color(const Theme& theme) const;

  std::string text_;
  BadgeStyle style_;
  bool redraw_ = true;
  float pill_height_ = 0;
  Rect rect_;
  Rect pill_rect_;
};

}  // namespace orvo_ui
