#pragma once
// A run of text. Without wrapping it stays on one line (and ends in an ellipsis when squeezed); with
// wrapping it breaks at words to fit the width it is given.
#include <optional>
#include <string>

#include "orvo_ui/widget.h"

namespace orvo_ui {

// Which theme colour a text takes; Custom uses the text's own colour.
enum class TextTone : std::uint8_t { Default, Secondary, Custom };

class Text final : public Widget {
 public:
  static constexpr float kDefaultSize = 14;

  explicit Text(std::string text);

  [[nodiscard]] Text with_size(float size) &&;
  [[nodiscard]] Text with_tone(TextTone tone) &&;
  [[nodiscard]] Text with_color(Color color) &&;
  [[nodiscard]] Text with_wrap(bool wrap) &&;
  [[nodiscard]] Text with_bold(bool bold) &&;
  [[nodiscard]] Text with_id(std::string_view id) &&;

  // Changing the text asks for a new layout and a redraw.
  void set_text(std::string text);
  const std::string& text() const { return text_; }
  float size() const { return size_; }
  TextTone tone() const { return tone_; }
  bool wraps() const { return wrap_; }
  bool bold() const { return bold_; }

  std::string_view type_name() const override { return "orvo_ui::widget::text::Text"; }
  std::string_view name() const override { return "Text"; }
  std::optional<std::string> widget_id() const override { return id_; }

  void sync(SyncContext&) override {}
  NodeId build_layout(LayoutTree& tree, LayoutContext& context, NodeMap& nodes) override;
  Size measure(KnownSize known, AvailableSize available, TextRenderer& text) override;
  void apply_layout(const LayoutTree& tree, NodeId node, double x, double y) override;
  void draw(Scene& scene, Affine transform, TextRenderer& text, const Theme& theme,
            const PresenceContext& presence) override;
  void handle_event(const Event&, EventContext&) override {}
  bool needs_commit() const override { return false; }
  void mark_drawn() override;
  bool needs_redraw() const override { return redraw_ || content_changed_; }
  bool is_layout_dirty() const override;
  bool take_structure_dirty() override;
  Rect get_rect() const override { return rect_; }
  std::optional<AccessibilityNode> accessibility() const override;

 private:
  float resolved_size(TextRenderer& text) const;
  Color color(const Theme& theme) const;

  std::string text_;
  float size_ = kDefaultSize;
  TextTone tone_ = TextTone::Default;
  Color custom_color_;
  bool wrap_ = false;
  bool bold_ = false;
  std::optional<std::string> id_;
  // Two redraw flags: a style or state change, and a change of the text itself.
  bool redraw_ = true;
  bool content_changed_ = true;
  bool relayout_ = false;
  bool structure_dirty_ = false;
  Rect rect_;
};

}  // namespace orvo_ui
